#include "rooms/category_window.h"

#include <algorithm>
#include <cstdio>

#include "canvas/behaviours.h"
#include "data/library.h"
#include "platform/report.h"

CPuzzleCategoryWindow::CPuzzleCategoryWindow(CRSCanvasItem* parent, const std::string& title, const SizeF& size)
    : CRSControlWindow(PointF(), parent, "categoryWindow", size) {
  SetVisible(false);
  SetCaption(category_rooms::WindowCaption(title));
  SetFrameMode(CRSFrameMode::kResizable);
  SetZOrder(category_rooms::kWindowZOrder);
  SetMinSize(SizeF(category_rooms::kWindowMinSide, category_rooms::kWindowMinSide));

  CRSCanvasItem* client = GetClientArea();
  m_list = new CRSListView(PointF(), client, "categoryList", client->GetSize());
  (new CBehaviourSize(m_list.get(), PointF(1, 1), CBehaviourSize::kWidth | CBehaviourSize::kHeight))->Update();

  // Centred once, when built (the behaviour aligns as it is made); the
  // keep-inside behaviour then replaces it, so the place the player drags
  // the window to is the place it stays.
  new CBehaviourAlign(this, CBehaviourAlign::kCentre);
  new CBehaviourAlign(this, CBehaviourAlign::kKeepInside);
}

void CPuzzleCategoryWindow::Close() {
  // Not the base's deletion: see the header. Nothing of the window's input
  // is under way here, since the close button's click arrives once the
  // mouse has been released.
  if (!IsVisible()) return;
  SetVisible(false);
  sigClosed.EmitLater();
  Report("window hidden");
}

void CPuzzleCategoryWindow::Report(const std::string& what) {
  if (!platform::IsReporting()) return;
  // On the root, whose coordinates are the platform window's pixels, so
  // that a test can point at the window and compare it across a close.
  const RectF r = GetBoundsIn(nullptr);
  RectF close;
  if (CRSControlButton* button = GetTitleButton(kButtonClose)) close = button->GetBoundsIn(nullptr);
  char figures[128];
  std::snprintf(figures, sizeof figures, " | %.0f %.0f %.0f %.0f | close %.0f %.0f | entries", r.X, r.Y, r.Width,
                r.Height, close.X + close.Width / 2, close.Y + close.Height / 2);
  std::string line = what + " " + GetCaption() + figures;
  if (m_list)
    for (CRSCanvasItem* item : m_list->GetItems()) line += " " + item->GetName();
  platform::ReportLine(line);
}

namespace category_rooms {

std::string WindowCaption(const std::string& title) { return kWindowPrefix + title; }

CPuzzleCategoryWindow* GetOrCreateWindow(CPuzzleCategoryData& category, CRSCanvasItem* parent, CRSCanvasItem* root) {
  if (auto* window = dynamic_cast<CPuzzleCategoryWindow*>(category.GetWindow())) {
    if (window->GetParent() == parent && window->GetList()) return window;
  }
  if (!parent || !root) return nullptr;
  const SizeF rootSize = root->GetSize();
  const SizeF size(std::max(kWindowMinSide, rootSize.Width * kWindowShare),
                   std::max(kWindowMinSide, rootSize.Height * kWindowShare));
  auto* window = new CPuzzleCategoryWindow(parent, category.GetTitle(), size);
  category.SetWindow(window);
  category.SetListView(window->GetList());
  return window;
}

CRSListView* GetListView(CPuzzleCategoryData& category, CRSCanvasItem* parent, CRSCanvasItem* root) {
  CPuzzleCategoryWindow* window = GetOrCreateWindow(category, parent, root);
  return window ? window->GetList() : nullptr;
}

CPuzzleCategoryWindow* ShowWindow(CPuzzleCategoryData& category, CRSCanvasItem* parent, CRSCanvasItem* root) {
  CPuzzleCategoryWindow* window = GetOrCreateWindow(category, parent, root);
  if (!window) return nullptr;
  window->SetVisible(true);
  // Items of one z-order are painted in the order they were sorted in; the
  // window is sorted in again, after the other category windows, so that
  // the one just opened is never hidden behind one opened before.
  if (window->GetZOrder() == kWindowZOrder) {
    window->SetZOrder(kWindowZOrder - 1);
    window->SetZOrder(kWindowZOrder);
  }
  window->Report("window");
  return window;
}

int CountUnfinished(const CPuzzleLibrary& library, const std::string& title, const CPuzzleImageData* leaving) {
  int count = 0;
  for (CPuzzleImageData* entry : library.GetPuzzleImagesOfCategory(title)) {
    if (entry != leaving && entry->GetPercentCompleted() != 100) ++count;
  }
  return count;
}

void UpdateFolderNumber(const CPuzzleLibrary& library, CPuzzleCategoryData& category,
                        const CPuzzleImageData* leaving) {
  category.SetNumber(CountUnfinished(library, category.GetTitle(), leaving));
}

}  // namespace category_rooms
