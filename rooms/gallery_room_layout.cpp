#include "rooms/gallery_room_layout.h"

#include <algorithm>
#include <cmath>

#include "canvas/items.h"

namespace gallery {

WallLayout LayOutWall(const std::vector<CRSCanvasItem*>& items, float visibleWidth) {
  WallLayout out;
  std::vector<CRSCanvasItem*> live;
  std::vector<RectF> bounds;
  for (CRSCanvasItem* item : items) {
    if (!item) continue;
    live.push_back(item);
    bounds.push_back(item->GetBoundsIn(item->GetParentItem()));
  }
  float cellW = 0.0f;
  for (const RectF& r : bounds) {
    cellW = std::max(cellW, r.Width);
    out.cellHeight = std::max(out.cellHeight, r.Height);
  }
  const float view = std::max(0.0f, visibleWidth);
  float p = cellW + kCellGap;
  out.columns = static_cast<int>(live.size());
  if (static_cast<float>(live.size()) * p > view) {
    // The columns spread over the whole width. A view narrower than one
    // cell keeps one column of natural pitch rather than dividing by zero.
    const int c = static_cast<int>(std::floor(view / p));
    if (c >= 1) p = view / static_cast<float>(c);
    out.columns = std::max(1, c);
  }
  out.pitch = p;

  float x = 0.0f, y = 0.0f;
  const float cellH = out.cellHeight;
  for (size_t i = 0; i < live.size(); ++i) {
    const RectF& r = bounds[i];
    // The bounds may not start at the item's position (a group's children
    // can lie left of or above it), so the item moves by the difference.
    const PointF topLeft(std::round(x + (p - r.Width) / 2.0f), std::round(y + (cellH - r.Height) / 2.0f));
    CRSCanvasItem* item = live[i];
    item->MoveBy(PointF(topLeft.X - r.X, topLeft.Y - r.Y));
    x += p;
    if (x > 0.0f && x + p - 1.0f > view) {
      x = 0.0f;
      y += cellH;
    }
  }
  if (x != 0.0f) y += cellH;
  out.minSize = SizeF(3.0f * (cellW + kCellGap), y);
  return out;
}

}  // namespace gallery
