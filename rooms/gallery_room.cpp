#include "rooms/gallery_room.h"

#include <memory>

#include "canvas/controls.h"
#include "canvas/items.h"
#include "data/library.h"
#include "data/room_host.h"
#include "platform/display_scale.h"
#include "platform/image_helpers.h"
#include "platform/report.h"
#include "rooms/gallery_frame.h"

namespace {

constexpr float kButtonGap = 6.0f;
constexpr float kButtonTop = 2.0f;
const SizeF kRootMinSize(300.0f, 1.0f);

// The wall's own background, decoded once: it is shown every time the
// gallery is entered.
const std::shared_ptr<Gdiplus::Bitmap>& GalleryBackground() {
  static const std::shared_ptr<Gdiplus::Bitmap> picture =
      platform::LoadImageFromResource("IMG", "IMG_GALLERY_BACKGROUND", platform::GetDisplayScale());
  return picture;
}

}  // namespace

CPuzzleGalleryRoom::CPuzzleGalleryRoom(CPuzzleRoomHost* root, const std::string& name)
    : CRSObject(nullptr, name.empty() ? "galleryRoom" : name), m_root(root) {
  m_root->ClearFloor();
  m_root->ShowBackgroundImage(GalleryBackground());
  m_root->CreateRoomTitle(this, "Gallery Room");
  SetParent(m_root->GetFloor());
  m_selection = new CBehaviourExclusive(this, "selection");
  m_selection->sigSelected.connect(this, &CPuzzleGalleryRoom::OnSelected);

  BuildPanel();

  CPuzzleLibrary& library = m_root->GetLibrary();
  for (const auto& category : library.GetCategories()) {
    if (!category) continue;
    for (CPuzzleImageData* entry : library.GetPuzzleImagesOfCategory(category->GetTitle())) {
      if (entry->GetPercentCompleted() == 100) {
        AddCategory(*category);
        break;
      }
    }
  }
  // Entries are added from a copy of the list: adding may clear a record's
  // dangling category, and nothing here may add or drop records.
  std::vector<CPuzzleImageData*> solved;
  for (const auto& entry : library.GetPuzzleImages())
    if (entry && entry->GetPercentCompleted() == 100) solved.push_back(entry.get());
  for (CPuzzleImageData* entry : solved) AddPuzzle(*entry);

  m_root->SetFloorMinSize(kRootMinSize);
  if (CRSCanvasItem* view = GetViewArea()) view->sigResized.connect(this, &CPuzzleGalleryRoom::OnViewResized);
  Layout();
  UpdateButtons();

  if (m_floorItems.empty()) {
    if (CRSMessageBox* box = CRSMessageBox::Show(kEmptyText, "Tandrill", m_root->GetRootWindow()))
      box->sigClosed.connect(this, &CPuzzleGalleryRoom::OnEmptyBoxClosed);
  }
  platform::ReportLine("gallery items " + std::to_string(m_floorItems.size()));
}

CPuzzleGalleryRoom::~CPuzzleGalleryRoom() {
  // The floating windows live beside the floor, not on it: they go with
  // the room that made them. The room usually ends inside a handler of one
  // of its own buttons (Back), so they are deleted once that handler has
  // returned rather than under it.
  ClosePictureWindow();
  for (auto& window : m_categoryWindows) {
    if (CRSObject* w = window.get()) w->DeleteLater();
    window.Release();
  }
  if (CRSObject* panel = m_panel.get()) panel->DeleteLater();
  m_panel.Release();
}

CRSCanvasItem* CPuzzleGalleryRoom::GetViewArea() const {
  CRSCanvasItem* floor = m_root->GetFloor();
  if (!floor) return nullptr;
  CRSCanvasItem* holder = floor->GetParentItem();
  return holder ? holder : floor;
}

// --- the panel -------------------------------------------------------------

void CPuzzleGalleryRoom::BuildPanel() {
  CRSCanvasItem* view = GetViewArea();
  auto* panel = new CRSControlWindow(PointF(), view, "Menu", SizeF(kPanelWidth, 100.0f));
  m_panel = panel;
  panel->SetCaption("Menu");
  panel->SetCloseButton(false);
  panel->SetZOrder(kPanelZOrder);
  CRSCanvasItem* client = panel->GetClientArea();
  const float width = client->GetSize().Width - 2.0f;
  float y = kButtonTop;
  auto add = [&](const char* caption, const char* name) {
    auto* button = new CRSControlButton(PointF(0.0f, y), client, name, SizeF(width, 0.0f), caption);
    auto* centre = new CBehaviourAlign(button, CBehaviourAlign::kCentreX);
    centre->Align();
    y += button->GetFaceSize().Height + kButtonGap;
    return button;
  };
  m_open = add("&Open", "buttonOpen");
  m_picture = add("&Picture", "buttonPicture");
  m_remove = add("&Remove", "buttonRemove");
  CRSControlButton* back = add("&Back", "buttonBack");
  m_picture->SetToggle(true);
  panel->SetClientSize(SizeF(client->GetSize().Width, y - kButtonGap + 2.0f));

  m_open->sigClicked.connect(this, &CPuzzleGalleryRoom::Open);
  m_picture->sigToggled.connect(this, &CPuzzleGalleryRoom::OnPictureToggled);
  m_remove->sigClicked.connect(this, &CPuzzleGalleryRoom::Remove);
  back->sigClicked.connect(this, &CPuzzleGalleryRoom::Back);

  // Placed once in the bottom right corner, then only kept inside.
  (new CBehaviourAlign(panel, CBehaviourAlign::kRight | CBehaviourAlign::kBottom))->Align();
  (new CBehaviourAlign(panel, CBehaviourAlign::kKeepInside))->Align();
}

void CPuzzleGalleryRoom::UpdateButtons() {
  const bool puzzle = SelectedPuzzle() != nullptr;
  const bool folder = !puzzle && SelectedCategory() != nullptr;
  if (m_open) m_open->SetEnabled(folder);
  if (m_picture) m_picture->SetEnabled(puzzle);
  if (m_remove) m_remove->SetEnabled(puzzle);
}

// --- entries ---------------------------------------------------------------

void CPuzzleGalleryRoom::AddPuzzle(CPuzzleImageData& entry) {
  CRSCanvasItem* item = gallery::CreateFramedPicture(entry);
  if (!item) return;
  CPuzzleLibrary& library = m_root->GetLibrary();
  CPuzzleCategoryData* category = nullptr;
  if (!entry.GetCategory().empty()) {
    category = library.FindCategory(entry.GetCategory());
    if (!category) entry.SetCategory(std::string());
  }
  CRSListView* list = category ? CategoryList(*category) : nullptr;
  if (list) {
    list->AddItem(item);
  } else {
    // Uncategorised, or a category that cannot show a window: the frame
    // hangs on the wall, where the layout places it.
    item->SetParent(m_root->GetFloor());
    m_floorItems.emplace_back(item);
  }
  if (entry.IsSelected() && category && category->GetWindow()) ShowCategoryWindow(*category);
  WireItem(item, entry.IsSelected());
}

void CPuzzleGalleryRoom::AddCategory(CPuzzleCategoryData& category) {
  CRSCanvasItem* folder = category.CreateFolder();
  if (!folder) return;
  // The count of unfinished puzzles belongs to the store room's folders;
  // on the wall it would always read as nothing left to do.
  if (auto* number = dynamic_cast<CRSCanvasItem*>(folder->FindChild("textShapeNumber"))) number->SetVisible(false);
  folder->SetParent(m_root->GetFloor());
  m_floorItems.emplace_back(folder);
  WireItem(folder, category.IsSelected());
}

void CPuzzleGalleryRoom::WireItem(CRSCanvasItem* item, bool selected) {
  auto* mouse = CBehaviourSignalMousEvents::GetOrCreate(item);
  mouse->sigDoubleClickedLater.connect(this, &CPuzzleGalleryRoom::OnDoubleClicked);
  mouse->sigPressedItemLater.connect(m_selection.get(), &CBehaviourExclusive::Select);
  CBehaviourExclusive::Entry& entry = m_selection->GetEntry(item);
  if (auto* highlight = CRSCanvasBehaviour::Find<CBehaviourHighlight>(item))
    entry.sigSelected.connect(highlight, &CBehaviourHighlight::SetOn);
  if (auto* data = dynamic_cast<CPuzzleImageData::PuzzleImageUserData*>(item->GetUserData())) {
    if (CPuzzleImageData* record = data->GetData()) entry.sigSelected.connect(record, &CPuzzleImageData::SetSelected);
  } else if (auto* folder = dynamic_cast<CPuzzleCategoryData::PuzzleCategoryUserData*>(item->GetUserData())) {
    if (CPuzzleCategoryData* record = folder->GetData())
      entry.sigSelected.connect(record, &CPuzzleCategoryData::SetSelected);
  }
  if (selected) m_selection->Select(item);
}

CPuzzleImageData* CPuzzleGalleryRoom::SelectedPuzzle() const {
  CRSCanvasItem* item = m_selection ? m_selection->GetSelection() : nullptr;
  auto* data = item ? dynamic_cast<CPuzzleImageData::PuzzleImageUserData*>(item->GetUserData()) : nullptr;
  return data ? data->GetData() : nullptr;
}

CPuzzleCategoryData* CPuzzleGalleryRoom::SelectedCategory() const {
  CRSCanvasItem* item = m_selection ? m_selection->GetSelection() : nullptr;
  auto* data = item ? dynamic_cast<CPuzzleCategoryData::PuzzleCategoryUserData*>(item->GetUserData()) : nullptr;
  return data ? data->GetData() : nullptr;
}

// --- handlers --------------------------------------------------------------

void CPuzzleGalleryRoom::OnSelected(CRSCanvasItem*) {
  UpdateButtons();
  if (CPuzzleImageData* puzzle = SelectedPuzzle()) {
    if (m_picture && m_picture->IsChecked()) ShowPicture(true);
    const std::string& title = puzzle->GetTitle().empty() ? puzzle->GetName() : puzzle->GetTitle();
    const Size& size = puzzle->GetSize();
    m_root->SetCaption(title + " (" + std::to_string(size.Width) + " x " + std::to_string(size.Height) + ")");
  } else if (CPuzzleCategoryData* category = SelectedCategory()) {
    m_root->SetCaption(category->GetTitle() + " (group)");
  }
}

void CPuzzleGalleryRoom::OnDoubleClicked() {
  if (SelectedPuzzle()) {
    if (m_picture && !m_picture->IsChecked()) m_picture->SetChecked(true);
  } else if (CPuzzleCategoryData* category = SelectedCategory()) {
    ShowCategoryWindow(*category);
  }
}

void CPuzzleGalleryRoom::Open() {
  if (CPuzzleCategoryData* category = SelectedCategory()) ShowCategoryWindow(*category);
}

void CPuzzleGalleryRoom::Back() { m_root->GoHome(); }

void CPuzzleGalleryRoom::OnEmptyBoxClosed(int) { m_root->GoHome(); }

void CPuzzleGalleryRoom::Remove() {
  if (!SelectedPuzzle()) return;
  if (CRSMessageBox* box =
          CRSMessageBox::Show(kRemoveText, "Tandrill", m_root->GetRootWindow(), CRSMessageBox::Kind::kYesNo))
    box->sigButton0.connect(this, &CPuzzleGalleryRoom::OnRemoveConfirmed);
}

void CPuzzleGalleryRoom::OnRemoveConfirmed() {
  CRSCanvasItem* item = m_selection->GetSelection();
  CPuzzleImageData* record = SelectedPuzzle();
  if (!item || !record) return;
  record->SetPercentCompleted(0);
  record->SetScattered(true);
  std::erase_if(m_floorItems, [item](const CRSAutoPtrPolymorphic<CRSCanvasItem>& p) { return !p || p.get() == item; });
  // Unselect first, so no handler sees a selection that is being deleted.
  m_selection->Select(nullptr);
  item->Delete();
  m_root->GetLibrary().ClearPuzzleSelection(true);
  record->SetSelected(true);
  if (m_picture && m_picture->IsChecked()) m_picture->SetChecked(false);
  ClosePictureWindow();
  UpdateButtons();
  m_root->SetCaption(std::string());
  Layout();
  platform::ReportLine("gallery removed " + record->GetName());
}

// --- layout ----------------------------------------------------------------

void CPuzzleGalleryRoom::OnViewResized(CRSCanvasItem*, const SizeF&) { Layout(); }

void CPuzzleGalleryRoom::Layout() {
  // Setting the wall's size may show or hide the scroll bar, which resizes
  // the visible area and asks for the layout again; that request is run
  // after this one, a bounded number of times, so the two cannot chase
  // each other.
  if (m_layingOut) {
    m_layoutAgain = true;
    return;
  }
  CRSCanvasItem* view = GetViewArea();
  if (!view) return;
  m_layingOut = true;
  for (int pass = 0; pass < 3; ++pass) {
    m_layoutAgain = false;
    std::vector<CRSCanvasItem*> items;
    items.reserve(m_floorItems.size());
    for (const auto& item : m_floorItems) items.push_back(item.get());
    m_lastLayout = gallery::LayOutWall(items, view->GetSize().Width);
    m_root->SetFloorMinSize(m_lastLayout.minSize);
    if (!m_layoutAgain) break;
  }
  m_layingOut = false;
  if (platform::IsReporting()) ReportLayout();
}

void CPuzzleGalleryRoom::ReportLayout() const {
  // Where each item is on the window, so that a test driving the real
  // program can point at frames without guessing from pixels.
  platform::ReportLine("gallery layout columns " + std::to_string(m_lastLayout.columns));
  for (const auto& item : m_floorItems) {
    if (!item) continue;
    const RectF b = item->GetBoundsIn(nullptr);
    platform::ReportLine("gallery item " + item->GetName() + " " + std::to_string(static_cast<int>(b.X)) + " " +
                         std::to_string(static_cast<int>(b.Y)) + " " + std::to_string(static_cast<int>(b.Width)) +
                         " " + std::to_string(static_cast<int>(b.Height)));
  }
}
