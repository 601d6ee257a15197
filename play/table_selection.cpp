// The table's selection: the rubber band, Ctrl+click, Ctrl+A and Escape,
// moving and turning what is selected, dropping it (into a tray, or onto the
// table with one connect test for every item and one sound), and the tools
// that lay the selection out (Arrange, Gather).

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "canvas/behaviours.h"
#include "canvas/sound.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/table.h"
#include "play/table_arrange.h"
#include "play/tray.h"
#include "platform/messages.h"
#include "platform/report.h"

namespace {

constexpr ARGB kBandLine = 0xE02A8CFF;
constexpr float kBandLineWidth = 2.0f;
// A press that moves less than this many pixels before it is let go is a
// click on the empty table: it clears the selection.
constexpr float kClickSlop = 3.0f;
// Between items laid out by Arrange and Gather, in units.
constexpr float kArrangeGap = 8.0f;

bool IsPieceOrGroup(const CRSCanvasItem* item) {
  return dynamic_cast<const CPuzzlePiece*>(item) || dynamic_cast<const CPuzzleGroup*>(item);
}

int CountJoins(const std::vector<CPuzzlePiece*>& pieces) {
  int joins = 0;
  for (CPuzzlePiece* piece : pieces)
    for (const CPuzzlePiece::NeighbourSlot& slot : piece->GetNeighbourSlots()) joins += slot.connected ? 1 : 0;
  return joins;
}

}  // namespace

void CPuzzleTable::SetPieces(const std::vector<CRSWeakRef<CPuzzlePiece>>* pieces, int columns) {
  m_pieces = pieces;
  m_columns = std::max(0, columns);
}

void CPuzzleTable::KeepClearOf(CRSCanvasItem* panel) { m_keepClear.emplace_back(panel); }

RectF CPuzzleTable::GetPictureArea() const {
  const SizeF table = GetSize();
  return RectF((table.Width - m_pictureSize.Width) / 2.0f, (table.Height - m_pictureSize.Height) / 2.0f,
               m_pictureSize.Width, m_pictureSize.Height);
}

std::vector<CRSCanvasItem*> CPuzzleTable::GetLooseItems() const {
  std::vector<CRSCanvasItem*> items;
  for (CRSCanvasItem* layer : {m_surface.get(), m_lift.get()}) {
    if (!layer) continue;
    for (CRSCanvasItem* child : layer->GetChildItems())
      if (IsPieceOrGroup(child)) items.push_back(child);
  }
  return items;
}

CRSCanvasItem* CPuzzleTable::TableItemOf(CRSCanvasItem* target) const {
  CRSCanvasItem* top = TopItemOn(target, m_surface.get());
  if (!top) top = TopItemOn(target, m_lift.get());
  return IsPieceOrGroup(top) ? top : nullptr;
}

void CPuzzleTable::SelectAll() {
  m_selection.Set(GetLooseItems());
  platform::ReportLine("table selected " + std::to_string(m_selection.GetItems().size()));
}

std::vector<CRSCanvasItem*> CPuzzleTable::ItemsTouching(const RectF& rect) const {
  std::vector<CRSCanvasItem*> touched;
  for (CRSCanvasItem* item : GetLooseItems())
    if (item->GetBoundsIn(item->GetParentItem()).IntersectsWith(rect)) touched.push_back(item);
  return touched;
}

// --- the rubber band ----------------------------------------------------------

void CPuzzleTable::BeginBand(const PointF& floorPoint, bool adding) {
  m_banding = true;
  m_bandAdding = adding;
  m_bandStart = m_bandEnd = m_viewport.ToTable(floorPoint);
  m_bandKept = adding ? m_selection.GetItems() : std::vector<CRSCanvasItem*>();
  // Nothing moves while the band is drawn: the bounds are taken once, so a
  // move of the pointer over ten thousand pieces compares rectangles only.
  m_bandCandidates.clear();
  for (CRSCanvasItem* item : GetLooseItems())
    m_bandCandidates.emplace_back(CRSWeakRef<CRSCanvasItem>(item), item->GetBoundsIn(item->GetParentItem()));
  m_bandFrame.Create(m_floor.get(), "selectionBand", kLiftZOrder - 1, kBandLine, 0, kBandLineWidth);
}

void CPuzzleTable::MoveBand(const PointF& floorPoint) {
  if (!m_banding) return;
  m_bandEnd = m_viewport.ToTable(floorPoint);
  const RectF band(std::min(m_bandStart.X, m_bandEnd.X), std::min(m_bandStart.Y, m_bandEnd.Y),
                   std::fabs(m_bandEnd.X - m_bandStart.X), std::fabs(m_bandEnd.Y - m_bandStart.Y));
  std::vector<CRSCanvasItem*> touched = m_bandKept;
  for (const auto& [ref, bounds] : m_bandCandidates)
    if (CRSCanvasItem* item = ref.get(); item && bounds.IntersectsWith(band)) touched.push_back(item);
  m_selection.Set(touched);
  UpdateBandShape();
}

void CPuzzleTable::UpdateBandShape() {
  const PointF a = m_viewport.ToScreen(m_bandStart), b = m_viewport.ToScreen(m_bandEnd);
  m_bandFrame.Place(RectF(std::min(a.X, b.X), std::min(a.Y, b.Y), std::fabs(b.X - a.X), std::fabs(b.Y - a.Y)));
}

void CPuzzleTable::EndBand(const PointF& floorPoint) {
  if (!m_banding) return;
  const PointF start = m_viewport.ToScreen(m_bandStart);
  const bool click = std::fabs(floorPoint.X - start.X) < kClickSlop && std::fabs(floorPoint.Y - start.Y) < kClickSlop;
  if (click && !m_bandAdding) {
    m_selection.Clear();
  } else {
    MoveBand(floorPoint);
  }
  m_banding = false;
  m_bandCandidates.clear();
  m_bandKept.clear();
  m_bandFrame.Delete();
  platform::ReportLine("table selected " + std::to_string(m_selection.GetItems().size()));
}

// --- input ----------------------------------------------------------------------

bool CPuzzleTable::OnSelectionKey(unsigned vk, unsigned modifiers) {
  if (vk == 'A' && (modifiers & platform::kKeyStateControl)) {
    SelectAll();
    return true;
  }
  if (vk == platform::kVkEscape && !m_selection.IsEmpty()) {
    m_selection.Clear();
    platform::ReportLine("table selected 0");
    // That was what this Escape meant: it closes no window as well. (A
    // field being typed in has the keys before the table.)
    return true;
  }
  return false;
}

bool CPuzzleTable::OnSelectionMouse(CRSCanvasItem* target, unsigned message, const PointF& local, unsigned keyFlags,
                                    int& verdict) {
  const bool onTable = IsOnTable(target);
  const bool ctrl = (keyFlags & platform::kKeyStateControl) != 0;
  switch (message) {
    case platform::kMsgLButtonDown: {
      if (!onTable || m_spaceHeld) return false;
      const PointF floorPoint = ToFloor(target, local);
      if (target == m_surface.get()) {
        BeginBand(floorPoint, ctrl);
        verdict = kVerdictSkipTarget;
        return true;
      }
      CRSCanvasItem* top = TableItemOf(target);
      if (!top) return false;
      if (ctrl) {
        m_selection.Toggle(top);
        platform::ReportLine("table selected " + std::to_string(m_selection.GetItems().size()));
        verdict = kVerdictSkipTarget;
        return true;
      }
      if (m_selection.Contains(top)) BeginSelectionDrag(top, floorPoint);
      return false;
    }
    case platform::kMsgMouseMove: {
      if (!onTable && !m_banding && m_followers.empty()) return false;
      const PointF floorPoint = ToFloor(target, local);
      m_pointerPlace = m_viewport.ToTable(floorPoint);
      if (m_banding) {
        MoveBand(floorPoint);
        verdict = kVerdictSkipTarget;
        return true;
      }
      if (!m_followers.empty()) {
        const float zoom = m_viewport.GetZoom();
        const PointF delta((floorPoint.X - m_dragLast.X) / zoom, (floorPoint.Y - m_dragLast.Y) / zoom);
        m_dragLast = floorPoint;
        for (const auto& follower : m_followers)
          if (CRSCanvasItem* item = follower.get()) item->MoveBy(delta);
      }
      return false;
    }
    case platform::kMsgLButtonUp: {
      const PointF floorPoint = onTable || m_banding ? ToFloor(target, local) : PointF();
      if (m_banding) {
        EndBand(floorPoint);
        verdict = kVerdictSkipTarget;
        return true;
      }
      CRSCanvasItem* held = m_held.get();
      auto* drag = held ? CRSCanvasBehaviour::Find<CBehaviourDrag>(held) : nullptr;
      if (onTable && drag && drag->IsDragging()) {
        Drop(held, floorPoint);
      } else {
        // The press never became a drag (something took the input): the
        // items lifted with it go back down where they are.
        for (const auto& follower : m_followers) {
          if (CRSCanvasItem* item = follower.get()) {
            item->MoveBy(PointF(CBehaviourRaiseable::kRaiseLift, CBehaviourRaiseable::kRaiseLift));
            Settle(item);
          }
        }
        m_followers.clear();
      }
      return false;
    }
    case platform::kMsgRButtonDown: {
      if (!onTable) return false;
      CRSCanvasItem* top = TableItemOf(target);
      if (!top || !m_selection.Contains(top) || m_selection.GetItems().size() < 2) return false;
      TurnSelection(ctrl ? -1 : 1);
      verdict = kVerdictSkipTarget;
      return true;
    }
    default:
      return false;
  }
}

// --- moving and turning the selection ---------------------------------------------

void CPuzzleTable::BeginSelectionDrag(CRSCanvasItem* held, const PointF& floorPoint) {
  m_followers.clear();
  m_dragLast = floorPoint;
  for (CRSCanvasItem* item : m_selection.GetItems()) {
    if (item == held) continue;
    // The others rise with the held one, above every window, until the drop.
    Lift(item);
    item->MoveBy(PointF(-CBehaviourRaiseable::kRaiseLift, -CBehaviourRaiseable::kRaiseLift));
    m_followers.emplace_back(item);
  }
}

void CPuzzleTable::Drop(CRSCanvasItem* held, const PointF& floorPoint) {
  std::vector<CRSCanvasItem*> followers;
  for (const auto& follower : m_followers)
    if (CRSCanvasItem* item = follower.get()) followers.push_back(item);
  m_followers.clear();
  CRSCanvasItem* top = TableItemOf(held);
  if (!top) top = held;

  if (CPuzzleTray* tray = TrayAt(floorPoint)) {
    // The held item's own put-down follows, inside the tray: it is lowered
    // there and joins what it fits, as on the table.
    std::vector<CRSCanvasItem*> items = followers;
    items.push_back(top);
    for (CRSCanvasItem* item : items) m_selection.Remove(item);
    tray->PutAt(followers, top, floorPoint);
    platform::ReportLine("tray took " + std::to_string(items.size()) + " " + tray->GetTitle());
    sigItemsMoved();
    return;
  }
  if (followers.empty()) return;
  std::vector<CRSCanvasItem*> items = followers;
  items.push_back(top);
  PutDown(items, [&] {
    if (auto* drag = CRSCanvasBehaviour::Find<CBehaviourDrag>(top)) drag->End();
    if (auto* raiseable = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(top)) raiseable->Lower();
    for (CRSCanvasItem* item : followers) {
      item->MoveBy(PointF(CBehaviourRaiseable::kRaiseLift, CBehaviourRaiseable::kRaiseLift));
      Settle(item);
    }
  });
}

void CPuzzleTable::PutDown(const std::vector<CRSCanvasItem*>& items, const std::function<void()>& lower) {
  // Every item goes down and runs its connect test, and the player hears
  // one put-down and at most one join.
  std::vector<CPuzzlePiece*> pieces;
  for (CRSCanvasItem* item : items)
    for (CPuzzlePiece* piece : CTableSelection::PiecesOf(item)) pieces.push_back(piece);
  std::vector<CRSWeakRef<CPuzzlePiece>> alive(pieces.begin(), pieces.end());
  const int joinsBefore = CountJoins(pieces);
  {
    CRSEffectsMuted muted;
    lower();
    for (const auto& ref : alive)
      if (CPuzzlePiece* piece = ref.get()) piece->TryConnect();
  }
  pieces.clear();
  for (const auto& ref : alive)
    if (CPuzzlePiece* piece = ref.get()) pieces.push_back(piece);
  CRSSoundHandler& sound = CRSSoundHandler::Instance();
  sound.PlayResourceSound(CPuzzlePiece::kLowerSound, false);
  if (CountJoins(pieces) > joinsBefore) sound.PlayResourceSound(CPuzzlePiece::kConnectSound, false);
  m_selection.Refresh();
  platform::ReportLine("table dropped " + std::to_string(items.size()));
  sigItemsMoved();
}

void CPuzzleTable::TurnAboutCentre(CRSCanvasItem* item, int direction) {
  CRSCanvasItem* parent = item->GetParentItem();
  if (!parent) return;
  const RectF before = item->GetBoundsIn(parent);
  item->SetRotation(CBehaviourRotate90::Snap(item->GetRotation() + 90.0f * static_cast<float>(direction)));
  const RectF after = item->GetBoundsIn(parent);
  item->MoveBy(PointF(before.X + before.Width / 2 - (after.X + after.Width / 2),
                      before.Y + before.Height / 2 - (after.Y + after.Height / 2)));
}

void CPuzzleTable::TurnSelection(int direction) { TurnItems(m_selection.GetItems(), direction); }

void CPuzzleTable::TurnItems(const std::vector<CRSCanvasItem*>& items, int direction) {
  if (items.empty()) return;
  for (CRSCanvasItem* item : items) TurnAboutCentre(item, direction);
  CRSSoundHandler::Instance().PlayResourceSound(CPuzzlePiece::kRotateSound, false);
  platform::ReportLine("table turned " + std::to_string(items.size()));
  sigItemsMoved();
}

// --- laying out -------------------------------------------------------------------

namespace {

// Items with their colour order, in the order Arrange lays them.
std::vector<CRSCanvasItem*> SortedByColour(const std::vector<CRSCanvasItem*>& items) {
  std::vector<std::pair<float, CRSCanvasItem*>> keyed;
  keyed.reserve(items.size());
  for (CRSCanvasItem* item : items) {
    const std::vector<CPuzzlePiece*> pieces = CTableSelection::PiecesOf(item);
    float key = 0.0f;
    // A group sorts by its first piece: the group stays whole anyway.
    if (!pieces.empty() && pieces.front()->GetImage()) key = table_arrange::ColourKey(*pieces.front()->GetImage());
    keyed.emplace_back(key, item);
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<CRSCanvasItem*> sorted;
  sorted.reserve(keyed.size());
  for (const auto& entry : keyed) sorted.push_back(entry.second);
  return sorted;
}

// Moves each item's bounds to its place; every change is one repaint of
// the table's layer.
void PlaceItems(const std::vector<CRSCanvasItem*>& items, const std::vector<PointF>& places) {
  CBehaviourAlign::Hold hold;
  for (std::size_t i = 0; i < items.size() && i < places.size(); ++i) {
    const RectF box = items[i]->GetBoundsIn(items[i]->GetParentItem());
    items[i]->MoveBy(PointF(places[i].X - box.X, places[i].Y - box.Y));
  }
}

std::vector<SizeF> SizesOf(const std::vector<CRSCanvasItem*>& items) {
  std::vector<SizeF> sizes;
  sizes.reserve(items.size());
  for (CRSCanvasItem* item : items) {
    const RectF box = item->GetBoundsIn(item->GetParentItem());
    sizes.emplace_back(box.Width, box.Height);
  }
  return sizes;
}

}  // namespace

void CPuzzleTable::Arrange() {
  std::vector<CRSCanvasItem*> items = m_selection.GetItems();
  std::erase_if(items, [&](CRSCanvasItem* item) { return !IsOnTable(item); });
  if (items.empty()) items = GetLooseItems();
  if (items.empty()) return;
  for (CRSCanvasItem* item : items) Settle(item);
  items = SortedByColour(items);
  const std::vector<SizeF> sizes = SizesOf(items);
  const SizeF table = GetSize();
  const RectF area(kArrangeGap, kArrangeGap, table.Width - 2 * kArrangeGap, table.Height - 2 * kArrangeGap);
  // The panels that float over the table keep their column clear, from the
  // table's top down.
  std::vector<RectF> keepOut = {GetPictureArea()};
  CRSCanvasItem* floor = m_floor.get();
  for (const auto& ref : m_keepClear) {
    CRSCanvasItem* panel = ref.get();
    if (!panel || !floor || !panel->IsVisible()) continue;
    const RectF box = panel->GetBoundsIn(floor);
    const PointF a = m_viewport.ToTable(PointF(box.X, 0.0f)), b = m_viewport.ToTable(PointF(box.X + box.Width, box.Y + box.Height));
    keepOut.emplace_back(a.X, a.Y, b.X - a.X, b.Y - a.Y);
  }
  float used = 0.0f;
  std::vector<PointF> places = table_arrange::LayRows(sizes, area, kArrangeGap, keepOut, &used);
  // Where the space beside the picture is too small, the rows cover the
  // whole table rather than run off its edge.
  if (used > area.Height) {
    keepOut.erase(keepOut.begin());
    places = table_arrange::LayRows(sizes, area, kArrangeGap, keepOut, &used);
  }
  if (CRSCanvasItem* surface = m_surface.get()) surface->Invalidate();
  PlaceItems(items, places);
  platform::ReportLine("table arranged " + std::to_string(items.size()));
  sigItemsMoved();
}

void CPuzzleTable::Gather() {
  std::vector<CRSCanvasItem*> items = m_selection.GetItems();
  std::erase_if(items, [&](CRSCanvasItem* item) { return !IsOnTable(item); });
  if (items.empty()) return;
  for (CRSCanvasItem* item : items) Settle(item);
  const std::vector<SizeF> sizes = SizesOf(items);
  // Rows about as wide as the block is high, starting at the pointer.
  double area = 0.0;
  for (const SizeF& size : sizes) area += (size.Width + kArrangeGap) * (size.Height + kArrangeGap);
  const float side = static_cast<float>(std::sqrt(area));
  const SizeF table = GetSize();
  PointF corner = m_pointerPlace;
  corner.X = std::clamp(corner.X, 0.0f, std::max(0.0f, table.Width - side));
  corner.Y = std::clamp(corner.Y, 0.0f, std::max(0.0f, table.Height - side));
  const std::vector<PointF> places =
      table_arrange::LayRows(sizes, RectF(corner.X, corner.Y, side, side), kArrangeGap, {});
  PlaceItems(items, places);
  platform::ReportLine("table gathered " + std::to_string(items.size()));
  sigItemsMoved();
}
