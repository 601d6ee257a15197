#pragma once
// Small filled and outlined paths (the texts on thumbnails and folders)
// painted from each pixel's distance to the outline.
//
// The drawing library fills and strokes a text of a few letters through its
// general scan converter and pen outliner: about a million instructions a
// label, and the store room shows hundreds of labels in its first frame.
// Here the path is flattened once, each pixel centre is told inside or out
// by the fill rule, and the pixels near the outline take their coverage from
// their distance to it: a fill ramps over one pixel across its edge, and a
// pen covers the band of its width centred on the outline. Straight edges
// come out as the scan converter draws them; corners are rounded by less
// than a pixel's share, as a round join would draw them.

#include <cstdint>
#include <span>

#include "platform/bitmap.h"
#include "platform/graphics_path.h"
#include "platform/matrix.h"

namespace Gdiplus {

// A solid pen: its colour (not premultiplied) and its width in pixels of the
// picture.
struct OutlinePen {
  ARGB colour = 0;
  double width = 1.0;
};

// The widest pen this paints (a label's one-unit pen at twice the pixels);
// on wider ones the mitred joins of the library show.
inline constexpr double kMaxOutlinePenWidth = 2.0;

// Composites onto picture the path, taken to the picture's pixels by
// toPicture: filled with each colour of fills by the path's fill rule, then
// outlined with each pen, in that order, as a shape paints itself. Returns
// false, having painted nothing, when it cannot paint the path this way (a
// figure left open under a pen, a pen too wide, an empty picture); the
// caller then paints it through the library.
bool PaintOutlinedFill(Bitmap& picture, const Matrix& toPicture, const GraphicsPath& path,
                       std::span<const ARGB> fills, std::span<const OutlinePen> pens);

}  // namespace Gdiplus
