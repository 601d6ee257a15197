// The item the pieces lie on.

#include "play/play_area.h"

CPuzzlePlayArea::CPuzzlePlayArea(CRSObject* parent) : CRSCanvasItem(PointF(), nullptr, kItemName) {
  SetParent(parent);
}

CPuzzlePlayArea::~CPuzzlePlayArea() = default;

CRSObject* CPuzzlePlayArea::FindInsertPosition(CRSObject* child) {
  auto* item = dynamic_cast<CRSCanvasItem*>(child);
  if (!item || item->GetZOrder() == kZOrderTop) return nullptr;
  // The children are sorted by z-order (every insertion keeps them so), so
  // the first child of a higher z-order is found by halving. The child
  // itself may already be in the list with its old z-order: it counts as
  // its left neighbour, which keeps the sequence sorted.
  const auto& children = GetChildren();
  const int z = item->GetZOrder();
  auto keyAt = [&](std::size_t i) -> long long {
    for (;;) {
      auto* at = dynamic_cast<CRSCanvasItem*>(children[i].get());
      if (at && at != item) return at->GetZOrder();
      if (i == 0) return -1;  // below every z-order
      --i;
    }
  };
  std::size_t lo = 0, hi = children.size();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (keyAt(mid) > z) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  // Skip the child itself: the place before it is the same place.
  while (lo < children.size() && children[lo].get() == child) ++lo;
  return lo < children.size() ? children[lo].get() : nullptr;
}

void CPuzzlePlayArea::DropListeners(bool keepResize) {
  sigGeometryChanged.disconnect_all();
  sigParentChanged.disconnect_all();
  if (!keepResize) sigResized.disconnect_all();
  sigVisibleChanged.disconnect_all();
  sigMinSizeChanged.disconnect_all();
  sigZOrderChanged.disconnect_all();
  sigContentChanged.disconnect_all();
}
