// The helping commands: Hint puts the piece in hand on its place over the
// ghost picture, Neighbour lifts the pieces that fit onto it, Reveal lifts
// every loose piece. None of them makes a sound of its own.

#include <vector>

#include "canvas/behaviours.h"
#include "canvas/global_events.h"
#include "canvas/sound.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/play_room.h"
#include "platform/report.h"

namespace {

// Sound effects stay off while a helping command moves and lifts pieces,
// and come back as they were.
class CEffectsMuted {
 public:
  CEffectsMuted() : m_wasOn(CRSSoundHandler::Instance().EffectsEnabled()) {
    CRSSoundHandler::Instance().SetEffectsEnabled(false);
  }
  ~CEffectsMuted() { CRSSoundHandler::Instance().SetEffectsEnabled(m_wasOn); }
  CEffectsMuted(const CEffectsMuted&) = delete;
  CEffectsMuted& operator=(const CEffectsMuted&) = delete;

 private:
  bool m_wasOn;
};

std::vector<CPuzzlePiece*> PiecesOf(CRSCanvasItem* item) {
  std::vector<CPuzzlePiece*> pieces;
  if (auto* piece = dynamic_cast<CPuzzlePiece*>(item)) {
    pieces.push_back(piece);
  } else if (item) {
    for (CRSCanvasItem* child : item->GetChildItems())
      if (auto* piece = dynamic_cast<CPuzzlePiece*>(child)) pieces.push_back(piece);
  }
  return pieces;
}

CRSCanvasItem* TopItemOf(CPuzzlePiece* piece) {
  if (auto* group = dynamic_cast<CRSCanvasGroup*>(piece->GetParent())) return group;
  return piece;
}

void RaiseUntilNextPress(CRSCanvasItem* item) {
  if (auto* raiseable = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(item)) raiseable->Raise();
}

}  // namespace

void CPuzzlePlayRoom::Hint() {
  CRSCanvasItem* item = m_current.get();
  if (!item) return;
  CEffectsMuted muted;
  if (auto* rotate = CRSCanvasBehaviour::Find<CBehaviourRotate90>(item)) rotate->Stop();
  // A piece still held under the pointer would follow its next move and
  // leave the place the hint gives it.
  if (auto* drag = CRSCanvasBehaviour::Find<CBehaviourDrag>(item)) drag->End();
  if (auto* raiseable = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(item); raiseable && raiseable->IsRaised())
    raiseable->Lower();
  // Lowering may have joined the item to a neighbour: the item in hand is
  // then the group it joined.
  if (auto* piece = dynamic_cast<CPuzzlePiece*>(item)) {
    if (auto* group = dynamic_cast<CRSCanvasGroup*>(piece->GetParent())) item = group;
  }
  CRSCanvasItem* parent = item->GetParentItem();
  if (!parent) return;
  // The ghost's corner, in the coordinates of the item's parent (the
  // floor, where the ghost lies too).
  PointF ghostTopLeft;
  if (CRSCanvasImage* ghost = m_ghost.get()) {
    ghostTopLeft = ghost->GetTopLeft() - parent->MapToAncestor(PointF(), ghost->GetParentItem());
  }

  item->Invalidate();
  item->SetUpdatesEnabled(false);
  item->SetRotation(0.0f);
  if (auto* piece = dynamic_cast<CPuzzlePiece*>(item)) {
    piece->SetOrigin(piece->GetAnchor());
    piece->SetPosition(ghostTopLeft + piece->GetCellCentre());
  } else {
    // A group's own coordinates are the cut picture's: its origin goes on
    // the ghost's top-left corner.
    item->MoveBy(ghostTopLeft - item->MapToAncestor(PointF(), parent));
  }
  item->SetUpdatesEnabled(true);
  item->Invalidate();
  m_current.Assign(item);
  BringIntoView({item});
  platform::ReportLine("play hint");
  ReportPieces();
}

void CPuzzlePlayRoom::ShowNeighbours() {
  CRSCanvasItem* item = m_current.get();
  if (!item) return;
  CEffectsMuted muted;
  EndNeighbourHighlight();
  CBehaviourHighlight::SetHighlight(item, true);
  m_neighbourItem.Assign(item);
  if (CRSGlobalEvents* events = CRSGlobalEvents::Get()) {
    events->sigNextMouseDown.connect(this, &CPuzzlePlayRoom::EndNeighbourHighlight);
    events->sigNextKeyDown.connect(this, &CPuzzlePlayRoom::EndNeighbourHighlight);
  }
  std::vector<CRSCanvasItem*> shown = {item};
  for (CPuzzlePiece* piece : PiecesOf(item)) {
    for (const CPuzzlePiece::NeighbourSlot& slot : piece->GetNeighbourSlots()) {
      CPuzzlePiece* neighbour = slot.piece.get();
      if (!slot.connected && neighbour) {
        RaiseUntilNextPress(TopItemOf(neighbour));
        shown.push_back(TopItemOf(neighbour));
      }
    }
  }
  BringIntoView(shown);
}

void CPuzzlePlayRoom::EndNeighbourHighlight() {
  if (CRSCanvasItem* item = m_neighbourItem.get()) CBehaviourHighlight::SetHighlight(item, false);
  m_neighbourItem.Release();
}

void CPuzzlePlayRoom::Reveal() {
  CEffectsMuted muted;
  std::vector<CRSCanvasItem*> shown;
  for (const auto& ref : m_pieces) {
    CPuzzlePiece* piece = ref.get();
    if (!piece) continue;
    bool joined = false;
    for (const CPuzzlePiece::NeighbourSlot& slot : piece->GetNeighbourSlots()) joined = joined || slot.connected;
    if (!joined) {
      RaiseUntilNextPress(piece);
      shown.push_back(piece);
    }
  }
  BringIntoView(shown);
}
