#pragma once
// Bridges between the facade's geometry and Cairo, for platform code only
// (the piece renderer and the drawing context). Nothing outside platform/
// includes this header.

#include <cairo.h>

#include "platform/graphics_path.h"
#include "platform/matrix.h"
#include "platform/region.h"

namespace Gdiplus {

cairo_matrix_t ToCairoMatrix(const Matrix& matrix);
Matrix FromCairoMatrix(const cairo_matrix_t& matrix);

// Prepends matrix to the context's transform (it acts on points first), as
// the facade's MultiplyTransform does with the default order.
void ApplyMatrix(cairo_t* cr, const Matrix& matrix);

// Appends the figures of path to the context's current path, in user space;
// the fill rule is set from the path's fill mode. Open figures stay open so
// that strokes end where the path does.
void AppendPath(cairo_t* cr, const GraphicsPath& path);
void SetFillRule(cairo_t* cr, FillMode mode);

// Narrows the clip of cr to region (in user space). An empty region clips
// everything away; the infinite region leaves the clip as it was.
void ClipToRegion(cairo_t* cr, const Region& region);
// Narrows the clip of cr to the outside of path.
void ClipExcluding(cairo_t* cr, const GraphicsPath& path);

// Appends Cairo path data (from cairo_copy_path) to path as new figures.
void AppendCairoPathData(GraphicsPath* path, const cairo_path_t* data);

}  // namespace Gdiplus
