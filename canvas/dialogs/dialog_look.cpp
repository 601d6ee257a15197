#include "canvas/dialogs/dialog_look.h"

#include <memory>

#include "canvas/styles/style_parts.h"
#include "platform/bitmap.h"
#include "platform/pen.h"

namespace dialog_look {

const CRSStylePalette& Palette() { return CRSControlStyles::GetCurrent()->GetPalette(); }

const Fonts& GetFonts() {
  static const Fonts fonts;
  return fonts;
}

float MeasureWidth(const std::string& text, const Gdiplus::Font& font) {
  // A tiny surface is enough to measure on; it lives as long as the game.
  static Gdiplus::Bitmap surface(4, 4, Gdiplus::PixelFormat::Format32bppARGB);
  static Gdiplus::Graphics g(&surface);
  RectF box;
  g.MeasureString(text, &font, PointF(0, 0), nullptr, &box);
  return box.Width;
}

void DrawLine(Gdiplus::Graphics& g, const std::string& text, const Gdiplus::Font& font, const Gdiplus::Brush& brush,
              const RectF& rect, Gdiplus::StringAlignment alignment) {
  if (rect.IsEmptyArea() || text.empty()) return;
  Gdiplus::StringFormat format(Gdiplus::StringFormatFlagsNoWrap);
  format.SetAlignment(alignment);
  format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
  format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
  g.DrawString(text, &font, rect, &format, &brush);
}

void FillPanel(Gdiplus::Graphics& g, const RectF& rect) {
  if (rect.IsEmptyArea()) return;
  std::unique_ptr<Gdiplus::GraphicsPath> path(style_parts::RoundedRect(rect, 6.0f));
  Gdiplus::SolidBrush fill{Gdiplus::Color(Palette().dialogPanel)};
  g.FillPath(&fill, path.get());
  Gdiplus::Pen rim{Gdiplus::Color(Palette().dialogPanelRim), 1.0f};
  std::unique_ptr<Gdiplus::GraphicsPath> edge(
      style_parts::RoundedRect(RectF(rect.X + 0.5f, rect.Y + 0.5f, rect.Width - 1, rect.Height - 1), 6.0f));
  g.DrawPath(&rim, edge.get());
}

void FillHighlight(Gdiplus::Graphics& g, const RectF& rect, ARGB colour) {
  if (rect.IsEmptyArea()) return;
  std::unique_ptr<Gdiplus::GraphicsPath> path(style_parts::RoundedRect(rect, 5.0f));
  Gdiplus::SolidBrush fill{Gdiplus::Color(colour)};
  g.FillPath(&fill, path.get());
}

}  // namespace dialog_look
