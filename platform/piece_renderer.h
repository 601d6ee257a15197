#pragma once
// Pixel work of the puzzle cutter: taking the covered part out of a
// picture, scaling it, and copying the pixels inside a piece's outline into
// the piece's own bitmap.

#include <memory>
#include <vector>

#include "platform/bitmap.h"
#include "platform/types.h"

namespace platform {

// A 24-bit RGB copy of the rectangle `area` of `picture`. Parts of the
// rectangle outside the picture come out black. Null for an empty area.
std::unique_ptr<Bitmap> CopyArea(const Bitmap& picture, const Rect& area);

// A 32-bit ARGB copy of `picture` resized to width x height with smooth
// interpolation. Null for an empty size.
std::unique_ptr<Bitmap> ScaledCopy(const Bitmap& picture, int width, int height);

// A new, transparent 32-bit ARGB bitmap of area's size holding the pixels
// of `source` whose centres lie inside `outline`, where source pixel (u, v)
// lands on (u - area.X, v - area.Y). The outline is a closed polygon in cut
// coordinates; each vertex is multiplied by (scaleX, scaleY) to reach source
// pixels. No anti-aliasing: a pixel is either copied whole or left out, and
// two polygons that share an edge never both take a pixel on it.
std::unique_ptr<Bitmap> CopyInsideOutline(const Bitmap& source, const std::vector<PointF>& outline,
                                          float scaleX, float scaleY, const Rect& area);

}  // namespace platform
