#include "platform/graphics_path.h"

namespace Gdiplus {

Status GraphicsPath::AddString(const std::string&, const FontFamily*, int, float, const RectF&,
                               const StringFormat*) {
  return NotImplemented;
}

Status GraphicsPath::AddString(const std::string&, const FontFamily*, int, float, const PointF&,
                               const StringFormat*) {
  return NotImplemented;
}

}  // namespace Gdiplus
