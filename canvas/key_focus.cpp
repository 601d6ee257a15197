#include "canvas/key_focus.h"

#include <algorithm>
#include <memory>

#include "canvas/controls.h"
#include "canvas/items.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"

namespace {

bool s_keyRequest = false;

// A ring is drawn, never hit: the press goes to the item under it.
class FocusRing : public CRSCanvasShape {
 public:
  explicit FocusRing(CRSCanvasItem* root) : CRSCanvasShape(PointF(), root, "focusRing") {}
  CRSCanvasItem* HitTest(const PointF&) override { return nullptr; }
};

bool IsShownAndEnabled(CRSCanvasItem* item, const CRSCanvasItem* scope) {
  for (CRSCanvasItem* link = item; link; link = link->GetParentItem()) {
    if (!link->IsVisible()) return false;
    if (link == scope) break;
  }
  if (auto* button = dynamic_cast<CRSControlButton*>(item)) return button->IsEnabled();
  if (auto* box = dynamic_cast<CRSCheckBox*>(item)) return box->IsEnabled();
  return true;
}

void Collect(CRSCanvasItem* item, std::vector<CRSCanvasItem*>& out) {
  for (CRSCanvasItem* child : item->GetChildItems()) {
    if (child->IsTabStop()) out.push_back(child);
    // A control's own parts (a choice list's arrows) are the control's.
    else Collect(child, out);
  }
}

CRSCanvasItem* ScopeOf(CRSCanvasItem* root, CRSCanvasItem* current) {
  if (CRSControlWindow* modal = CRSControlWindow::GetTopModal()) return modal;
  for (CRSCanvasItem* link = current; link && link != root; link = link->GetParentItem())
    if (auto* window = dynamic_cast<CRSControlWindow*>(link)) return window;
  return root;
}

}  // namespace

void SortInReadingOrder(std::vector<CRSCanvasItem*>& items, float rowBand) {
  std::vector<std::pair<PointF, CRSCanvasItem*>> placed;
  placed.reserve(items.size());
  for (CRSCanvasItem* item : items) {
    const RectF r = item->GetLocalRect();
    placed.emplace_back(item->MapToAncestor(PointF(r.X, r.Y), nullptr), item);
  }
  std::stable_sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) { return a.first.Y < b.first.Y; });
  for (std::size_t first = 0; first < placed.size();) {
    std::size_t end = first + 1;
    while (end < placed.size() && placed[end].first.Y - placed[first].first.Y < rowBand) ++end;
    std::stable_sort(placed.begin() + static_cast<std::ptrdiff_t>(first), placed.begin() + static_cast<std::ptrdiff_t>(end),
                     [](const auto& a, const auto& b) { return a.first.X < b.first.X; });
    first = end;
  }
  for (std::size_t i = 0; i < placed.size(); ++i) items[i] = placed[i].second;
}

std::vector<CRSCanvasItem*> GetTabOrder(CRSCanvasItem* scope) {
  std::vector<CRSCanvasItem*> items;
  if (!scope) return items;
  Collect(scope, items);
  std::erase_if(items, [&](CRSCanvasItem* item) { return !IsShownAndEnabled(item, scope); });
  SortInReadingOrder(items, kTabRowBand);
  return items;
}

bool MoveKeyFocus(CRSCanvasItem* root, CRSCanvasItem* current, bool backwards) {
  if (!root) return false;
  const std::vector<CRSCanvasItem*> order = GetTabOrder(ScopeOf(root, current));
  if (order.empty()) return false;
  const auto at = std::find(order.begin(), order.end(), current);
  const std::size_t n = order.size();
  std::size_t next = backwards ? n - 1 : 0;
  if (at != order.end()) {
    const auto now = static_cast<std::size_t>(at - order.begin());
    next = backwards ? (now + n - 1) % n : (now + 1) % n;
  }
  s_keyRequest = true;
  root->sigFocusRequest(order[next]);
  s_keyRequest = false;
  return true;
}

namespace {

CRSControlButton* CloseButtonOf(CRSCanvasItem* item) {
  auto* window = dynamic_cast<CRSControlWindow*>(item);
  CRSControlButton* close = window ? window->GetTitleButton(CRSControlWindow::kButtonClose) : nullptr;
  return close && close->IsVisible() && close->IsEnabled() ? close : nullptr;
}

// The close button of the last window painted, in paint order, under item.
void FindFrontCloseButton(CRSCanvasItem* item, CRSControlButton*& found) {
  for (CRSCanvasItem* child : item->GetChildItems()) {
    if (!child->IsVisible()) continue;
    if (CRSControlButton* close = CloseButtonOf(child)) found = close;
    FindFrontCloseButton(child, found);
  }
}

}  // namespace

bool CloseFrontWindow(CRSCanvasItem* root, CRSCanvasItem* focus) {
  if (!root || CRSControlWindow::GetTopModal()) return false;
  CRSControlButton* close = nullptr;
  CRSCanvasItem* holder = focus ? ScopeOf(root, focus) : nullptr;
  if (holder && holder != root) close = CloseButtonOf(holder);
  if (!close) FindFrontCloseButton(root, close);
  if (!close) return false;
  close->Click();
  return true;
}

bool IsKeyFocusRequest() { return s_keyRequest; }

CRSCanvasItem* CreateFocusRing(CRSCanvasItem* item) {
  // Over everything, in the root: the item's own paint (a control drawn
  // through its window's picture) would leave a child of its out.
  auto* ring = new FocusRing(item->GetRootItem());
  const RectF r = item->GetBoundsIn(nullptr);
  const float out = kFocusRingGap + kFocusRingWidth / 2;
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddRectangle(RectF(0, 0, 1, 1));
  ring->SetPath(std::move(path));
  ring->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(kFocusRingColour), kFocusRingWidth));
  ring->SetZOrder(CRSCanvasItem::kZOrderTop);
  ring->SetPosition(PointF(r.X - out, r.Y - out));
  ring->SetSize(SizeF(r.Width + 2 * out, r.Height + 2 * out));
  ring->Invalidate();
  return ring;
}
