// Text outlines for paths.
#include <cairo.h>

#include "platform/cairo_path.h"
#include "platform/font.h"
#include "platform/font_layout.h"
#include "platform/graphics_path.h"

namespace Gdiplus {

Status GraphicsPath::AddString(const std::string& str, const FontFamily* family, int style, float emSize,
                               const RectF& layoutRect, const StringFormat* format) {
  if (!family || family->GetName().empty() || !(emSize > 0)) return InvalidParameter;
  if (str.empty()) return Ok;
  // Laid out on the shared scratch target, whose transform is the identity.
  cairo_t* cr = text::OutlineContext();
  Status status = Ok;
  text::TextLayout layout(nullptr, str, {family->GetName(), emSize, style}, layoutRect, format, true);
  cairo_new_path(cr);
  cairo_move_to(cr, layout.Origin().X, layout.Origin().Y);
  pango_cairo_layout_path(cr, layout.Get());
  cairo_path_t* data = cairo_copy_path(cr);
  if (data->status == CAIRO_STATUS_SUCCESS)
    AppendCairoPathData(this, data);
  else
    status = OutOfMemory;
  cairo_path_destroy(data);
  cairo_new_path(cr);
  return status;
}

Status GraphicsPath::AddString(const std::string& str, const FontFamily* family, int style, float emSize,
                               const PointF& origin, const StringFormat* format) {
  return AddString(str, family, style, emSize, RectF(origin.X, origin.Y, 0, 0), format);
}

}  // namespace Gdiplus
