// Text drawing and measuring of the drawing context.
#include <cairo.h>

#include "platform/font_layout.h"
#include "platform/graphics.h"

namespace Gdiplus {

namespace {

bool Antialiased(TextRenderingHint hint) {
  return hint != TextRenderingHintSingleBitPerPixel && hint != TextRenderingHintSingleBitPerPixelGridFit;
}

text::TextStyle StyleOf(const Font& font) { return {font.GetFamilyName(), font.GetSizeInPixels(), font.GetStyle()}; }

}  // namespace

Status Graphics::DrawString(const std::string& str, const Font* font, const RectF& layoutRect,
                            const StringFormat* format, const Brush* brush) {
  if (!m_cr || !font || !brush) return InvalidParameter;
  if (font->GetLastStatus() != Ok) return InvalidParameter;
  if (str.empty()) return Ok;
  text::TextLayout layout(m_cr, str, StyleOf(*font), layoutRect, format, Antialiased(m_quality.textHint));
  cairo_save(m_cr);
  if (layout.Clips()) {
    const RectF r = layout.ClipRect();
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, r.X, r.Y, r.Width, r.Height);
    cairo_clip(m_cr);
  }
  SetSource(brush);
  cairo_new_path(m_cr);
  cairo_move_to(m_cr, layout.Origin().X, layout.Origin().Y);
  pango_cairo_show_layout(m_cr, layout.Get());
  cairo_restore(m_cr);
  return Ok;
}

Status Graphics::DrawString(const std::string& str, const Font* font, const PointF& origin,
                            const StringFormat* format, const Brush* brush) {
  return DrawString(str, font, RectF(origin.X, origin.Y, 0, 0), format, brush);
}

Status Graphics::MeasureString(const std::string& str, const Font* font, const RectF& layoutRect,
                               const StringFormat* format, RectF* boundingBox, int* codepointsFitted,
                               int* linesFilled) const {
  if (!font || !boundingBox) return InvalidParameter;
  if (font->GetLastStatus() != Ok) return InvalidParameter;
  if (str.empty()) {
    *boundingBox = RectF(layoutRect.X, layoutRect.Y, 0, 0);
    if (codepointsFitted) *codepointsFitted = 0;
    if (linesFilled) *linesFilled = 0;
    return Ok;
  }
  text::TextLayout layout(m_cr, str, StyleOf(*font), layoutRect, format, Antialiased(m_quality.textHint));
  *boundingBox = layout.Box();
  if (codepointsFitted) *codepointsFitted = layout.CodepointsFitted();
  if (linesFilled) *linesFilled = layout.Lines();
  return Ok;
}

Status Graphics::MeasureString(const std::string& str, const Font* font, const PointF& origin,
                               const StringFormat* format, RectF* boundingBox) const {
  return MeasureString(str, font, RectF(origin.X, origin.Y, 0, 0), format, boundingBox);
}

}  // namespace Gdiplus
