#pragma once
// The tidy layouts of the play room's tools: rows of items that do not
// overlap (Arrange, Gather, a tray's grid), the order of the edge pieces
// (Edges) and the colour order that lays sky beside sky (Arrange). Plain
// arithmetic over rectangles and pixels, so that it is tested and measured
// without a canvas.

#include <vector>

#include "platform/bitmap.h"
#include "platform/types.h"

namespace table_arrange {

// Top-left corners for boxes of these sizes laid in rows from the area's
// top left, `gap` apart, each row as high as its highest box. A box that
// would cross one of the `keepOut` rectangles goes on past its right side;
// a box that passes the area's right side starts the next row. Rows run on
// below the area when it is full. `usedHeight` (when given) gets the height
// the rows take.
std::vector<PointF> LayRows(const std::vector<SizeF>& sizes, const RectF& area, float gap,
                            const std::vector<RectF>& keepOut, float* usedHeight = nullptr);

// A piece's place on the picture's border, for sorting: 0 to 3 for the
// corners (top left, top right, bottom right, bottom left), then the top
// edge left to right, the right one downwards, the bottom one right to left
// and the left one upwards; -1 for a piece inside the border.
long EdgeRank(int column, int row, int columns, int rows);

// A sort key of a picture's colour: its mean hue in twelve bands, with the
// greys (too little colour for a hue) in a band of their own after them,
// then lightness, so that equal keys look alike.
float ColourKey(const Gdiplus::Bitmap& picture);

}  // namespace table_arrange
