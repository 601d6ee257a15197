// The helping commands: Hint, Neighbor and Reveal.

#include "play/play_hints.h"

#include "canvas/behaviours.h"
#include "canvas/global_events.h"
#include "canvas/sound.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/play_preview.h"
#include "play/table.h"
#include "platform/report.h"

namespace {

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

CPlayHints::CPlayHints(CPuzzleTable* table, const CPlayPreview* preview,
                       const std::vector<CRSWeakRef<CPuzzlePiece>>& pieces)
    : CRSObject(nullptr, "playHints"), m_table(table), m_preview(preview), m_pieces(pieces) {}

CPlayHints::~CPlayHints() { EndNeighbourHighlight(); }

void CPlayHints::BringIntoView(const std::vector<CRSCanvasItem*>& items) {
  if (m_table) m_table->BringIntoView(items);
}

CRSCanvasItem* CPlayHints::Hint(CRSCanvasItem* item) {
  if (!item) return nullptr;
  CRSEffectsMuted muted;
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
  // The place a hint gives is on the table: a piece in a tray leaves it.
  if (m_table) item = m_table->BringOntoTable(item);
  if (!item->GetParentItem()) return nullptr;
  // The ghost's corner, in the coordinates of the item's parent (the
  // table, where the ghost lies too).
  const PointF ghostTopLeft = m_preview ? m_preview->GetGhostCornerFor(*item) : PointF();

  item->Invalidate();
  item->SetUpdatesEnabled(false);
  item->SetRotation(0.0f);
  if (auto* piece = dynamic_cast<CPuzzlePiece*>(item)) {
    piece->SetOrigin(piece->GetAnchor());
    piece->SetPosition(ghostTopLeft + piece->GetCellCentre());
  } else {
    // A group's own coordinates are the cut picture's: its origin goes on
    // the ghost's top-left corner.
    item->MoveBy(ghostTopLeft - item->MapToAncestor(PointF(), item->GetParentItem()));
  }
  item->SetUpdatesEnabled(true);
  item->Invalidate();
  BringIntoView({item});
  platform::ReportLine("play hint");
  return item;
}

void CPlayHints::ShowNeighbours(CRSCanvasItem* item) {
  if (!item) return;
  CRSEffectsMuted muted;
  EndNeighbourHighlight();
  CBehaviourHighlight::SetHighlight(item, true);
  m_neighbourItem.Assign(item);
  if (CRSGlobalEvents* events = CRSGlobalEvents::Get()) {
    events->sigNextMouseDown.connect(this, &CPlayHints::EndNeighbourHighlight);
    events->sigNextKeyDown.connect(this, &CPlayHints::EndNeighbourHighlight);
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

void CPlayHints::EndNeighbourHighlight() {
  if (CRSCanvasItem* item = m_neighbourItem.get()) CBehaviourHighlight::SetHighlight(item, false);
  m_neighbourItem.Release();
}

void CPlayHints::Reveal() {
  CRSEffectsMuted muted;
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
