#pragma once
// The gallery wall's grid: the floor items in their order, left to right in
// equal cells that spread over the visible width, each centred in its cell,
// new rows as the width runs out.

#include <vector>

#include "platform/types.h"

class CRSCanvasItem;

namespace gallery {

// Space added to the widest item for the natural cell pitch.
inline constexpr float kCellGap = 16.0f;

struct WallLayout {
  float pitch = 0.0f;       // the cell width in force
  float cellHeight = 0.0f;  // the tallest item's height
  int columns = 0;          // cells in a full row
  SizeF minSize;            // what the wall needs before it scrolls
};

// Places the items for a visible width and returns the figures it used.
// Items that are gone (null) are skipped. A width too narrow for even one
// cell still gives one column.
WallLayout LayOutWall(const std::vector<CRSCanvasItem*>& items, float visibleWidth);

}  // namespace gallery
