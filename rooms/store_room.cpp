// The store room: construction, the floor and the selection.

#include "rooms/store_room.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "canvas/items.h"
#include "data/library.h"
#include "data/room_host.h"
#include "platform/report.h"
#include "rooms/category_window.h"

namespace {

CPuzzleImageData* PuzzleOf(const CRSCanvasItem* item) {
  auto* data = item ? dynamic_cast<CPuzzleImageData::PuzzleImageUserData*>(item->GetUserData()) : nullptr;
  return data ? data->GetData() : nullptr;
}

CPuzzleCategoryData* CategoryOf(const CRSCanvasItem* item) {
  auto* data = item ? dynamic_cast<CPuzzleCategoryData::PuzzleCategoryUserData*>(item->GetUserData()) : nullptr;
  return data ? data->GetData() : nullptr;
}

// The clock that paces the frames shown while the floor is built: the
// processor time this program has used. On a busy machine the wall clock
// runs on while other programs work, and painting more often then would
// only make the room slower to finish.
std::uint32_t BuildClockMs() {
  return static_cast<std::uint32_t>(static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC);
}

}  // namespace

CPuzzleStoreRoom::CPuzzleStoreRoom(CPuzzleRoomHost* root, const std::string& name)
    : CRSObject(nullptr, name.empty() ? "storeRoom" : name), m_root(root) {
  m_root->ClearFloor();
  // The first frame that shows the filling floor waits the same pause as
  // the next ones: a small library is laid out before it would be due, and
  // the finished room is then painted once instead of twice.
  m_lastPaint = BuildClockMs();
  m_root->SetFloorMinSize(SizeF(kMinWidth, kMinHeight));
  m_root->UpdateBackground();
  m_root->CreateRoomTitle(this, "Store Room");
  SetParent(m_root->GetFloor());

  m_selection = new CBehaviourExclusive(this, "selection");
  m_selection->sigSelected.connect(this, &CPuzzleStoreRoom::OnSelected);

  BuildLogo();
  BuildPanels();
  BuildHint();

  CPuzzleLibrary& library = m_root->GetLibrary();
  // Records may go while the floor is built (a slot may delete one); walk
  // copies of the lists and skip what is gone.
  const CPuzzleLibrary::CategoryList categories = library.GetCategories();
  for (const auto& category : categories)
    if (category) AddCategory(*category);
  const CPuzzleLibrary::ImageList images = library.GetPuzzleImages();
  for (const auto& entry : images) {
    if (!entry || entry->GetPercentCompleted() >= 100) continue;
    CPuzzleCategoryData* category =
        entry->GetCategory().empty() ? nullptr : library.FindCategory(entry->GetCategory());
    if (category && !entry->IsSelected())
      AddPuzzleLater(*category, *entry);
    else
      AddPuzzle(*entry);
  }
  // The first frame's thumbnails are decoded on a second core while this
  // one paints the rest of it.
  if (CRSCanvasItem* floor = m_root->GetFloor()) CPuzzleImageData::DecodeThumbnailsInSight(*floor);

  // Puzzles made while the room exists (the cuts room returns here, but a
  // tool may add one directly) join the floor too.
  library.sigPuzzleImageAdded.connect(this, &CPuzzleStoreRoom::OnPuzzleAdded);
  AddGlobalListener(this, CRSEvents::kEventKey);
  ReportPositions();
}

CPuzzleStoreRoom::~CPuzzleStoreRoom() {
  RemoveGlobalListener(this, CRSEvents::kEventKey);
  KillAllTimers();
}

// --- the floor ------------------------------------------------------------------

void CPuzzleStoreRoom::AddCategory(CPuzzleCategoryData& category) {
  // A category without a picture has no folder; its puzzles still go into
  // its window.
  CRSCanvasItem* folder = category.GetItem();
  if (!folder) return;
  category_rooms::UpdateFolderNumber(m_root->GetLibrary(), category);
  folder->SetParent(m_root->GetFloor());
  if (category.IsPositionValid()) {
    folder->SetPosition(category.GetPosition());
  } else {
    category.PlaceRandomlyOnce();
    PlaceClearOfPanels(folder);
  }
  WireEntry(folder, category.IsSelected());
  m_selection->GetEntry(folder).sigSelected.connect(&category, &CPuzzleCategoryData::SetSelected);
  if (category.IsSelected()) m_selection->Select(folder);
  LetPaintsThrough();
}

void CPuzzleStoreRoom::AddPuzzleLater(CPuzzleCategoryData& category, CPuzzleImageData& entry) {
  // A window already built here (a selected entry opened it) takes its
  // entries at once.
  if (CRSObject* window = category.GetWindow(); window && window->GetParent() == m_root->GetFloor()) {
    AddPuzzle(entry);
    return;
  }
  auto waiting = std::find_if(m_waiting.begin(), m_waiting.end(),
                              [&category](const WaitingEntries& w) { return w.category.get() == &category; });
  if (waiting == m_waiting.end()) waiting = m_waiting.insert(m_waiting.end(), WaitingEntries{CRSWeakRef<CPuzzleCategoryData>(&category), {}});
  waiting->entries.emplace_back(&entry);
}

void CPuzzleStoreRoom::BuildWaitingEntries(CPuzzleCategoryData& category) {
  auto waiting = std::find_if(m_waiting.begin(), m_waiting.end(),
                              [&category](const WaitingEntries& w) { return w.category.get() == &category; });
  if (waiting == m_waiting.end()) return;
  const std::vector<CRSWeakRef<CPuzzleImageData>> entries = std::move(waiting->entries);
  m_waiting.erase(waiting);
  // An entry may have left the category (or the library) meanwhile.
  for (const CRSWeakRef<CPuzzleImageData>& ref : entries)
    if (CPuzzleImageData* entry = ref.get(); entry && entry->GetCategory() == category.GetTitle()) AddPuzzle(*entry);
}

void CPuzzleStoreRoom::AddPuzzle(CPuzzleImageData& entry) {
  CPuzzleLibrary& library = m_root->GetLibrary();
  CPuzzleCategoryData* category = nullptr;
  if (!entry.GetCategory().empty()) {
    category = library.FindCategory(entry.GetCategory());
    if (!category) entry.SetCategory(std::string());
  }
  // The window's list keeps the library's order: those before this one go
  // in first.
  if (category) BuildWaitingEntries(*category);
  CRSCanvasItem* item = entry.GetItem();
  if (!item) return;
  CRSCanvasItem* floor = m_root->GetFloor();
  CRSListView* list = category ? category_rooms::GetListView(*category, floor, m_root->GetRootWindow()) : nullptr;
  if (list) {
    // In a window the list places the thumbnail; it is not dragged about.
    while (auto* drag = CRSCanvasBehaviour::Find<CBehaviourDrag>(item)) drag->Delete();
    list->AddItem(item);
  } else {
    item->SetParent(floor);
    if (entry.IsPositionValid()) {
      item->SetPosition(entry.GetPosition());
    } else {
      entry.PlaceRandomlyOnce();
      PlaceClearOfPanels(item);
    }
  }
  WireEntry(item, entry.IsSelected());
  m_selection->GetEntry(item).sigSelected.connect(&entry, &CPuzzleImageData::SetSelected);
  if (entry.IsSelected()) {
    if (category) category_rooms::ShowWindow(*category, floor, m_root->GetRootWindow());
    m_selection->Select(item);
  }
  LetPaintsThrough();
}

void CPuzzleStoreRoom::WireEntry(CRSCanvasItem* item, bool) {
  auto* mouse = CBehaviourSignalMousEvents::GetOrCreate(item);
  mouse->sigDoubleClickedLater.connect(this, &CPuzzleStoreRoom::Open);
  mouse->sigPressedItemLater.connect(m_selection.get(), &CBehaviourExclusive::Select);
  if (auto* raise = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(item))
    raise->sigLowered.connect(this, &CPuzzleStoreRoom::OnItemDropped);
}

void CPuzzleStoreRoom::OnPuzzleAdded(CPuzzleImageData* entry) {
  if (entry && entry->GetPercentCompleted() < 100) AddPuzzle(*entry);
}

void CPuzzleStoreRoom::LetPaintsThrough() {
  // The floor fills visibly while a large library is laid out. Painting
  // after every single entry would cost a whole frame per puzzle, so the
  // window paints at most every kPaintEveryMs of work, and never spends
  // more than a fifth of the building time on these intermediate frames (a
  // floor of thousands of thumbnails takes long to paint).
  const std::uint32_t now = BuildClockMs();
  if (now - m_lastPaint < m_paintPause) return;
  if (CRSCanvasItem* floor = m_root->GetFloor()) floor->UpdateNow();
  m_lastPaint = BuildClockMs();
  m_paintPause = std::max<std::uint32_t>(kPaintEveryMs, 4 * (m_lastPaint - now));
}

void CPuzzleStoreRoom::OnItemDropped(CRSCanvasItem* item) {
  if (!item || !platform::IsReporting()) return;
  // The place kept in the record (on the floor) and the centre on the
  // root window, where a test's pointer finds the item.
  const PointF p = item->GetTopLeft();
  const RectF onRoot = item->GetBoundsIn(m_root->GetRootWindow());
  char line[96];
  std::snprintf(line, sizeof line, " %.1f %.1f %d %d", p.X, p.Y, static_cast<int>(onRoot.X + onRoot.Width / 2),
                static_cast<int>(onRoot.Y + onRoot.Height / 2));
  platform::ReportLine("item " + item->GetName() + line);
}

void CPuzzleStoreRoom::ReportPositions() const {
  if (!platform::IsReporting() || !m_root) return;
  CPuzzleLibrary& library = m_root->GetLibrary();
  for (const auto& category : library.GetCategories())
    if (category) const_cast<CPuzzleStoreRoom*>(this)->OnItemDropped(category->PeekItem());
  for (const auto& entry : library.GetPuzzleImages())
    if (entry && entry->GetCategory().empty()) const_cast<CPuzzleStoreRoom*>(this)->OnItemDropped(entry->PeekItem());
}

// --- the selection --------------------------------------------------------------

void CPuzzleStoreRoom::OnSelected(CRSCanvasItem* item) {
  if (CPuzzleImageData* entry = PuzzleOf(item)) {
    GetButton(kPlay)->SetCaption("&Play");
    GetButton(kPlay)->SetEnabled(true);
    GetButton(kModify)->SetEnabled(true);
    GetButton(kDelete)->SetEnabled(true);
    GetButton(kEmailGift)->SetEnabled(entry->CanBeGift());
    // A surprise keeps its subject to itself, even in the caption.
    std::string title = entry->GetTitle().empty() ? entry->GetName() : entry->GetTitle();
    if (entry->IsSurprise()) title = kSurpriseCaption;
    char size[64];
    std::snprintf(size, sizeof size, " (%d x %d)", entry->GetSize().Width, entry->GetSize().Height);
    m_root->SetCaption(title + size);
    platform::ReportLine("selected " + entry->GetName());
  } else if (CPuzzleCategoryData* category = CategoryOf(item)) {
    GetButton(kPlay)->SetCaption("O&pen");
    GetButton(kPlay)->SetEnabled(true);
    GetButton(kModify)->SetEnabled(false);
    GetButton(kDelete)->SetEnabled(false);
    GetButton(kEmailGift)->SetEnabled(false);
    m_root->SetCaption(category->GetTitle() + " (group)");
    platform::ReportLine("selected " + category->GetTitle());
  }
}
