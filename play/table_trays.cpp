// The table's trays: making them, finding the one under the pointer or
// holding an item, dragging items out of them, emptying them for a scatter,
// and Edges, which sorts the border's pieces into a tray of their own.

#include <algorithm>
#include <cstdio>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "play/piece.h"
#include "play/table.h"
#include "play/table_arrange.h"
#include "play/table_history.h"
#include "play/tray.h"
#include "platform/report.h"

namespace {

constexpr const char* kEdgesTitle = "Edges";
// Each new tray lies this much lower and further left than the one before,
// so that none hides another entirely.
constexpr float kCascade = 24.0f;
constexpr float kTrayMargin = 8.0f;

}  // namespace

CPuzzleTray* CPuzzleTable::AddTray(const std::string& title, const RectF& place, float scale, int serial) {
  CRSCanvasItem* floor = m_floor.get();
  if (!floor) return nullptr;
  if (serial <= 0) serial = m_lastTraySerial + 1;
  m_lastTraySerial = std::max(m_lastTraySerial, serial);
  // Oldest first, by number: a tray opened again by the history takes its
  // old place in the list, and the file keeps its trays in that order.
  const auto at = std::find_if(m_trays.begin(), m_trays.end(),
                               [&](const std::unique_ptr<CPuzzleTray>& other) { return other->GetSerial() > serial; });
  CPuzzleTray* tray = m_trays.insert(at, std::make_unique<CPuzzleTray>(floor, title, place, scale))->get();
  tray->SetSerial(serial);
  // Renamed or closed by the player: a step.
  tray->sigChanged.connect(m_history.get(), &CTableHistory::RequestCommit);
  return tray;
}

CPuzzleTray* CPuzzleTable::FindTrayBySerial(int serial) {
  for (CPuzzleTray* tray : GetTrays())
    if (tray->GetSerial() == serial) return tray;
  return nullptr;
}

CPuzzleTray* CPuzzleTable::NewTray(const std::string& wanted) {
  CRSCanvasItem* floor = m_floor.get();
  if (!floor) return nullptr;
  std::string title = wanted;
  for (int n = 1; title.empty(); ++n) {
    const std::string candidate = "Tray " + std::to_string(n);
    if (!FindTray(candidate)) title = candidate;
  }
  // A quarter of the window, in its lower right part.
  const SizeF window = floor->GetSize();
  const SizeF size(window.Width / 2.0f, window.Height / 2.0f);
  const float shift = kCascade * static_cast<float>(GetTrays().size() % 8);
  const RectF place(window.Width - size.Width - kTrayMargin - shift, window.Height - size.Height - kTrayMargin - shift,
                    size.Width, size.Height);
  CPuzzleTray* tray = AddTray(title, place, CPuzzleTray::kDefaultScale * std::max(0.25f, GetZoom()));
  if (tray && platform::IsReporting()) {
    // In the window's coordinates, as the pieces are reported.
    const RectF box = tray->GetWindow()->GetBoundsIn(nullptr);
    char line[96];
    std::snprintf(line, sizeof line, "tray new %.0f %.0f %.0f %.0f ", static_cast<double>(box.X),
                  static_cast<double>(box.Y), static_cast<double>(box.Width), static_cast<double>(box.Height));
    platform::ReportLine(line + title);
  }
  m_history->RequestCommit();
  return tray;
}

std::vector<CPuzzleTray*> CPuzzleTable::GetTrays() {
  // A tray closed by the player, or cleared with the floor, is forgotten.
  std::erase_if(m_trays, [](const std::unique_ptr<CPuzzleTray>& tray) { return tray->IsGone(); });
  std::vector<CPuzzleTray*> trays;
  trays.reserve(m_trays.size());
  for (const auto& tray : m_trays) trays.push_back(tray.get());
  return trays;
}

CPuzzleTray* CPuzzleTable::FindTray(const std::string& title) {
  for (CPuzzleTray* tray : GetTrays())
    if (tray->GetTitle() == title) return tray;
  return nullptr;
}

CPuzzleTray* CPuzzleTable::TrayAt(const PointF& floorPoint) {
  // The tray painted last lies on top.
  CPuzzleTray* found = nullptr;
  std::size_t foundIndex = 0;
  for (CPuzzleTray* tray : GetTrays()) {
    if (!tray->ContainsFloorPoint(floorPoint)) continue;
    CRSCanvasItem* window = tray->GetWindow();
    const auto& siblings = window->GetParentItem()->GetChildItems();
    const std::size_t index =
        static_cast<std::size_t>(std::find(siblings.begin(), siblings.end(), window) - siblings.begin());
    if (!found || index > foundIndex) {
      found = tray;
      foundIndex = index;
    }
  }
  return found;
}

CPuzzleTray* CPuzzleTable::TrayHolding(const CRSCanvasItem* item) {
  for (CPuzzleTray* tray : GetTrays())
    if (tray->Holds(item)) return tray;
  return nullptr;
}

bool CPuzzleTable::LiftFromTray(CRSCanvasItem* item) {
  CPuzzleTray* tray = item ? TrayHolding(item) : nullptr;
  CRSCanvasItem* lift = m_lift.get();
  CRSCanvasItem* floor = m_floor.get();
  if (!tray || !lift || !floor) return false;
  CRSCanvasItem* top = item;
  while (top->GetParentItem() && top->GetParentItem() != tray->GetContent()) top = top->GetParentItem();
  // Only what the player drags leaves the tray; Reveal and Neighbor raise
  // pieces where they lie.
  auto* drag = CRSCanvasBehaviour::Find<CBehaviourDrag>(top);
  if (!drag || !drag->IsDragging()) return true;
  // The grabbed point is the item's origin: it goes on the table under the
  // pointer, and the item takes the table's scale from now on.
  const PointF pointer = tray->GetContent()->MapToAncestor(top->GetPosition(), floor);
  top->SetParent(lift);
  top->SetPosition(m_viewport.ToTable(pointer));
  return true;
}

CRSCanvasItem* CPuzzleTable::BringOntoTable(CRSCanvasItem* item) {
  CPuzzleTray* tray = item ? TrayHolding(item) : nullptr;
  CRSCanvasItem* surface = m_surface.get();
  if (!tray || !surface) return item;
  CRSCanvasItem* top = item;
  while (top->GetParentItem() && top->GetParentItem() != tray->GetContent()) top = top->GetParentItem();
  top->SetParent(surface);
  return top;
}

void CPuzzleTable::EmptyTrays() {
  CRSCanvasItem* surface = m_surface.get();
  if (!surface) return;
  for (CPuzzleTray* tray : GetTrays()) {
    for (CRSCanvasItem* item : tray->GetItems()) item->SetParent(surface);
    tray->LayOut(false);
  }
}

void CPuzzleTable::GatherEdges() {
  if (!m_pieces || m_columns <= 0) return;
  const int rows = static_cast<int>((m_pieces->size() + static_cast<std::size_t>(m_columns) - 1) /
                                    static_cast<std::size_t>(m_columns));
  CPuzzleTray* edges = FindTray(kEdgesTitle);
  std::vector<std::pair<long, CRSCanvasItem*>> found;
  for (std::size_t i = 0; i < m_pieces->size(); ++i) {
    CPuzzlePiece* piece = (*m_pieces)[i].get();
    if (!piece) continue;
    const long rank = table_arrange::EdgeRank(static_cast<int>(i % static_cast<std::size_t>(m_columns)),
                                              static_cast<int>(i / static_cast<std::size_t>(m_columns)), m_columns,
                                              rows);
    if (rank < 0) continue;
    // Loose: joined to nothing yet, on the table or in another tray.
    const auto& slots = piece->GetNeighbourSlots();
    if (std::any_of(slots.begin(), slots.end(), [](const auto& slot) { return slot.connected; })) continue;
    if (edges && edges->Holds(piece)) continue;
    if (!IsOnTable(piece) && !TrayHolding(piece)) continue;
    found.emplace_back(rank, piece);
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  if (!edges) edges = NewTray(kEdgesTitle);
  if (!edges) return;
  std::vector<CRSCanvasItem*> items;
  items.reserve(found.size());
  for (const auto& entry : found) {
    if (auto* raiseable = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(entry.second);
        raiseable && raiseable->IsRaised())
      raiseable->Lower();
    m_selection.Remove(entry.second);
    items.push_back(entry.second);
  }
  edges->Take(items);
  edges->BringToFront();
  platform::ReportLine("tray edges " + std::to_string(items.size()));
  sigItemsMoved();
}
