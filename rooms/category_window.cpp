#include "rooms/category_window.h"

#include <algorithm>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "data/library.h"

namespace category_rooms {

std::string WindowCaption(const std::string& title) { return kWindowPrefix + title; }

CRSControlWindow* GetOrCreateWindow(CPuzzleCategoryData& category, CRSCanvasItem* floor, CRSCanvasItem* root) {
  if (auto* window = dynamic_cast<CRSControlWindow*>(category.GetWindow())) {
    // A window left half-built or closed by the player is not reused.
    if (!window->IsClosing()) return window;
  }
  if (!floor || !root) return nullptr;
  const SizeF rootSize = root->GetSize();
  const SizeF size(std::max(kWindowMinSide, rootSize.Width * kWindowShare),
                   std::max(kWindowMinSide, rootSize.Height * kWindowShare));
  auto* window = new CRSControlWindow(PointF(), floor, "categoryWindow", size);
  window->SetVisible(false);
  window->SetCaption(WindowCaption(category.GetTitle()));
  window->SetFrameMode(CRSFrameMode::kResizable);
  window->SetZOrder(kWindowZOrder);
  window->SetMinSize(SizeF(kWindowMinSide, kWindowMinSide));

  CRSCanvasItem* client = window->GetClientArea();
  auto* list = new CRSListView(PointF(), client, "categoryList", client->GetSize());
  auto* fill = new CBehaviourSize(list, PointF(1, 1), CBehaviourSize::kWidth | CBehaviourSize::kHeight);
  fill->Update();

  // Centred once, when built (the behaviour aligns as it is made); the
  // keep-inside behaviour then replaces it, so the place the player drags
  // the window to is the place it stays.
  new CBehaviourAlign(window, CBehaviourAlign::kCentre);
  new CBehaviourAlign(window, CBehaviourAlign::kKeepInside);

  category.SetWindow(window);
  category.SetListView(list);
  return window;
}

CRSListView* GetListView(CPuzzleCategoryData& category, CRSCanvasItem* floor, CRSCanvasItem* root) {
  if (!GetOrCreateWindow(category, floor, root)) return nullptr;
  return dynamic_cast<CRSListView*>(category.GetListView());
}

CRSControlWindow* ShowWindow(CPuzzleCategoryData& category, CRSCanvasItem* floor, CRSCanvasItem* root) {
  CRSControlWindow* window = GetOrCreateWindow(category, floor, root);
  if (!window) return nullptr;
  window->SetVisible(true);
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
