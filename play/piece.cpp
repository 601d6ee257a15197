// Pieces: neighbour slots, the connect test and the completion test.

#include "play/piece.h"

#include <algorithm>
#include <cmath>

#include "canvas/behaviours.h"
#include "canvas/sound.h"

CPuzzlePiece::CPuzzlePiece(const std::string& name, std::shared_ptr<Gdiplus::Bitmap> bitmap,
                           float neighbourDistance)
    : CRSCanvasImage(PointF(), nullptr, name, std::move(bitmap)),
      m_solved(std::make_shared<CRSSignalEmittedTroughEvent0>()),
      m_neighbourDistance(neighbourDistance) {
  new CBehaviourDrag(this);
  (new CBehaviourRotate90(this))->SetRotationSound(kRotateSound);
  auto* raiseable = new CBehaviourRaiseable(this);
  raiseable->SetRaiseSound(kRaiseSound);
  raiseable->SetLowerSound(kLowerSound);
  raiseable->sigLowered.connect(this, &CPuzzlePiece::OnLowered);
}

CPuzzlePiece::~CPuzzlePiece() = default;

const CPuzzlePiece::NeighbourSlot* CPuzzlePiece::FindSlot(float angle) const {
  const float normalised = NormalizeAngle(angle);
  for (const NeighbourSlot& slot : m_neighbours) {
    if (slot.angle == normalised) return &slot;
  }
  return nullptr;
}

CPuzzlePiece::NeighbourSlot& CPuzzlePiece::SlotFor(float angle) {
  const float normalised = NormalizeAngle(angle);
  for (NeighbourSlot& slot : m_neighbours) {
    if (slot.angle == normalised) return slot;
  }
  NeighbourSlot& slot = m_neighbours.emplace_back();
  slot.angle = normalised;
  return slot;
}

void CPuzzlePiece::AddNeighbourSlot(float angle) { SlotFor(angle); }

void CPuzzlePiece::LinkNeighbour(CPuzzlePiece* other, float angle) {
  if (!other || other == this) return;
  other->SlotFor(angle).piece.Assign(this);
  SlotFor(angle + 180.0f).piece.Assign(other);
}

void CPuzzlePiece::SetConnected(CPuzzlePiece* other, bool connected) {
  if (!other) return;
  for (NeighbourSlot& slot : m_neighbours) {
    if (slot.piece.get() == other) slot.connected = connected;
  }
  for (NeighbourSlot& slot : other->m_neighbours) {
    if (slot.piece.get() == this) slot.connected = connected;
  }
}

void CPuzzlePiece::DisconnectAll() {
  for (NeighbourSlot& slot : m_neighbours) {
    if (CPuzzlePiece* other = slot.piece.get()) SetConnected(other, false);
    slot.connected = false;
  }
}

std::uint8_t CPuzzlePiece::GetJoinedMask() const {
  std::uint8_t mask = 0;
  for (std::size_t i = 0; i < m_neighbours.size() && i < 8; ++i)
    if (m_neighbours[i].connected) mask = static_cast<std::uint8_t>(mask | (1u << i));
  return mask;
}

void CPuzzlePiece::SetJoinedMask(std::uint8_t mask) {
  for (std::size_t i = 0; i < m_neighbours.size() && i < 8; ++i) m_neighbours[i].connected = (mask >> i) & 1u;
}

float CPuzzlePiece::TotalAngle(const CRSCanvasItem* item) {
  float sum = 0.0f;
  for (const CRSCanvasItem* link = item; link; link = link->GetParentItem()) sum += link->GetRotation();
  return sum;
}

bool CPuzzlePiece::TryConnect() {
  bool connected = false;
  // Measured on screen: the snap distance in units at the table's own size
  // and zoomed in, and never fewer pixels however far the table is zoomed out.
  const CRSCanvasItem* top = dynamic_cast<CRSCanvasGroup*>(GetParent()) ? GetParentItem() : this;
  const CRSCanvasItem* table = top->GetParentItem();
  const float snapDistance = kSnapDistance * std::max(1.0f, table ? table->GetAccumulatedScale().X : 1.0f);
  // Merging re-parents pieces and may delete this piece's old group; the
  // piece itself stays, but a slot's neighbour may be gone meanwhile.
  for (std::size_t i = 0; i < m_neighbours.size(); ++i) {
    CPuzzlePiece* other = m_neighbours[i].piece.get();
    if (!other || m_neighbours[i].connected) continue;
    if (std::fabs(TotalAngle(this) - TotalAngle(other)) > kMaxAngleDifference) continue;
    // Where the neighbour's anchor belongs: the neighbour distance away from
    // this piece's anchor in the slot's direction, in this piece's frame.
    const float radians = m_neighbours[i].angle * static_cast<float>(M_PI) / 180.0f;
    const PointF expectedLocal(m_anchor.X + m_neighbourDistance * std::cos(radians),
                               m_anchor.Y + m_neighbourDistance * std::sin(radians));
    const PointF expected = MapToAncestor(expectedLocal, nullptr);
    const PointF actual = other->MapToAncestor(other->GetAnchor(), nullptr);
    const float dx = expected.X - actual.X, dy = expected.Y - actual.Y;
    if (!(std::sqrt(dx * dx + dy * dy) < snapDistance)) continue;
    MergePieces(this, other);
    connected = true;
    if (IsWhole()) m_solved->EmitLater();
  }
  return connected;
}

bool CPuzzlePiece::CollectConnected(PieceSet& visited) {
  bool whole = true;
  std::vector<CPuzzlePiece*> pending{this};
  visited.insert(this);
  // An explicit stack: a 1296-piece puzzle in one group would otherwise
  // recurse a thousand levels deep.
  while (!pending.empty()) {
    CPuzzlePiece* piece = pending.back();
    pending.pop_back();
    for (const NeighbourSlot& slot : piece->m_neighbours) {
      if (!slot.connected) {
        whole = false;
        continue;
      }
      CPuzzlePiece* next = slot.piece.get();
      if (next && visited.insert(next).second) pending.push_back(next);
    }
  }
  return whole;
}

bool CPuzzlePiece::IsWhole() {
  // Nearest pieces first: the open side that tells a puzzle is not whole
  // lies next to the piece that just joined, where a walk deep into the
  // group first would cross all of it at every join.
  PieceSet visited{this};
  std::vector<CPuzzlePiece*> pending{this};
  for (std::size_t next = 0; next < pending.size(); ++next) {
    for (const NeighbourSlot& slot : pending[next]->m_neighbours) {
      if (!slot.connected) return false;
      CPuzzlePiece* neighbour = slot.piece.get();
      if (neighbour && visited.insert(neighbour).second) pending.push_back(neighbour);
    }
  }
  return true;
}

void CPuzzlePiece::OnLowered(CRSCanvasItem*) {
  // The signal may come from the group that holds this piece; each piece of
  // a dropped group tests its own neighbours.
  if (!TryConnect()) return;
  CRSSoundHandler::Instance().PlayResourceSound(kConnectSound, false);
  sigConnectSound(this);
}

int ComputeProgress(const std::vector<CPuzzlePiece*>& pieces) {
  CPuzzlePiece::PieceSet visited;
  int n = 0, groups = 0;
  for (CPuzzlePiece* piece : pieces) {
    if (!piece) continue;
    ++n;
    if (visited.count(piece)) continue;
    ++groups;
    piece->CollectConnected(visited);
  }
  // Pieces reached through joined slots count even when they were not
  // listed: they are part of the groups that were.
  n = static_cast<int>(visited.size());
  if (n == 0) return 0;
  if (n == 1) return 100;
  return (n - groups) * 100 / (n - 1);
}
