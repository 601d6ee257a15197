// The table's side of its history: the keys, putting down what the hand
// holds before a step is taken back, and showing a restored step.

#include <string>

#include "canvas/behaviours.h"
#include "canvas/sound.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/table.h"
#include "play/table_history.h"
#include "play/tray.h"
#include "platform/messages.h"
#include "platform/report.h"

namespace {

bool IsPieceOrGroupOn(const CRSCanvasItem* layer) {
  for (const CRSCanvasItem* child : layer->GetChildItems())
    if (dynamic_cast<const CPuzzlePiece*>(child) || dynamic_cast<const CPuzzleGroup*>(child)) return true;
  return false;
}

}  // namespace

void CPuzzleTable::Undo() {
  if (m_history->Undo()) return;
  platform::ReportLine("table undo none");
}

void CPuzzleTable::Redo() {
  if (m_history->Redo()) return;
  platform::ReportLine("table redo none");
}

bool CPuzzleTable::OnHistoryKey(unsigned vk, unsigned modifiers) {
  if (!(modifiers & platform::kKeyStateControl)) return false;
  const bool shift = (modifiers & platform::kKeyStateShift) != 0;
  if (vk == 'Z' && !shift) {
    Undo();
    return true;
  }
  if (vk == 'Y' || (vk == 'Z' && shift)) {
    Redo();
    return true;
  }
  return false;
}

bool CPuzzleTable::IsHandEmpty() const {
  const CRSCanvasItem* lift = m_lift.get();
  return m_followers.empty() && !CBehaviourRotate90::IsAnyRotationRunning() && !(lift && IsPieceOrGroupOn(lift));
}

void CPuzzleTable::EndHand() {
  CRSEffectsMuted muted;
  // What the hand can hold lies on the lift, or in a tray while pressed
  // there; only a turn may run on the surface.
  std::vector<CRSWeakRef<CRSCanvasItem>> items;
  if (CBehaviourRotate90::IsAnyRotationRunning()) {
    for (CRSCanvasItem* item : GetLooseItems()) items.emplace_back(item);
  } else if (CRSCanvasItem* lift = m_lift.get()) {
    for (CRSCanvasItem* item : lift->GetChildItems())
      if (dynamic_cast<CPuzzlePiece*>(item) || dynamic_cast<CPuzzleGroup*>(item)) items.emplace_back(item);
  }
  for (CPuzzleTray* tray : GetTrays()) {
    if (tray->IsRenaming()) tray->EndRename(true);
    for (CRSCanvasItem* item : tray->GetItems()) items.emplace_back(item);
  }
  // A turn ends on the angle it was going to.
  if (CBehaviourRotate90::IsAnyRotationRunning()) {
    for (const auto& ref : items) {
      CRSCanvasItem* item = ref.get();
      auto* turn = item ? CRSCanvasBehaviour::Find<CBehaviourRotate90>(item) : nullptr;
      if (!turn || !turn->IsAnimating()) continue;
      const float angle = turn->GetTargetAngle();
      turn->Stop();
      item->SetRotation(angle);
    }
  }
  // The selection that follows the held item comes down where it is.
  for (const auto& follower : m_followers) {
    if (CRSCanvasItem* item = follower.get()) {
      item->MoveBy(PointF(CBehaviourRaiseable::kRaiseLift, CBehaviourRaiseable::kRaiseLift));
      Settle(item);
    }
  }
  m_followers.clear();
  // The held item, and whatever Reveal or Neighbor raised, goes down as on
  // a drop: it joins what it fits.
  for (const auto& ref : items) {
    CRSCanvasItem* item = ref.get();
    if (!item) continue;
    if (auto* drag = CRSCanvasBehaviour::Find<CBehaviourDrag>(item)) drag->End();
    if (auto* raiseable = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(item); raiseable && raiseable->IsRaised())
      raiseable->Lower();
  }
  for (const auto& ref : items)
    if (CRSCanvasItem* item = ref.get()) Settle(item);
  m_held.Release();
}

void CPuzzleTable::OnStepRestored(const std::vector<CRSCanvasItem*>& items, bool redone) {
  m_selection.Refresh();
  std::vector<CRSCanvasItem*> onTable;
  CRSCanvasItem* surface = m_surface.get();
  // The view moves only when some of what the step moved cannot be seen
  // at all: a step the player watched keeps the view (and the saved view)
  // as it was.
  const SizeF window = m_viewport.GetWindowSize();
  const PointF a = m_viewport.ToTable(PointF()), b = m_viewport.ToTable(PointF(window.Width, window.Height));
  const RectF seen(a.X, a.Y, b.X - a.X, b.Y - a.Y);
  bool hidden = false;
  for (CRSCanvasItem* item : items) {
    if (item->GetParentItem() != surface) continue;
    onTable.push_back(item);
    hidden = hidden || !GetTableBounds(item).IntersectsWith(seen);
  }
  if (hidden) BringIntoView(onTable);
  platform::ReportLine(std::string(redone ? "table redo " : "table undo ") + std::to_string(items.size()));
  sigItemsMoved();
}
