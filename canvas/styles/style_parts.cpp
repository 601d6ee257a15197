#include "canvas/styles/style_parts.h"

#include <algorithm>
#include <cmath>

namespace style_parts {

std::unique_ptr<Gdiplus::GraphicsPath> RoundedRect(const RectF& rect, float radius) {
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  const float r = std::clamp(radius, 0.0f, std::min(rect.Width, rect.Height) * 0.5f);
  if (r < 0.5f) {
    path->AddRectangle(rect);
    return path;
  }
  const float d = r * 2.0f;
  const float l = rect.X, t = rect.Y, rt = rect.GetRight(), b = rect.GetBottom();
  path->StartFigure();
  path->AddArc(l, t, d, d, 180.0f, 90.0f);
  path->AddArc(rt - d, t, d, d, 270.0f, 90.0f);
  path->AddArc(rt - d, b - d, d, d, 0.0f, 90.0f);
  path->AddArc(l, b - d, d, d, 90.0f, 90.0f);
  path->CloseFigure();
  return path;
}

std::shared_ptr<Gdiplus::Brush> VerticalGradient(float height, const Gdiplus::Color* colours, const float* positions,
                                                 int count) {
  // Half a pixel beyond each edge, so the repeat never shows on the shape.
  auto brush = std::make_shared<Gdiplus::LinearGradientBrush>(PointF(0, -0.5f), PointF(0, height + 0.5f), colours[0],
                                                              colours[count - 1]);
  brush->SetInterpolationColors(colours, positions, count);
  return brush;
}

uint32_t ScaleAlpha(uint32_t argb, float factor) {
  const float a = static_cast<float>(argb >> 24) * std::clamp(factor, 0.0f, 1.0f);
  return (static_cast<uint32_t>(std::lround(a)) << 24) | (argb & 0x00FFFFFFu);
}

float Luminance(uint32_t argb, uint32_t backdrop) {
  const float a = static_cast<float>(argb >> 24) / 255.0f;
  auto channel = [&](int shift) {
    const float c = static_cast<float>((argb >> shift) & 0xFF), b = static_cast<float>((backdrop >> shift) & 0xFF);
    return (c * a + b * (1.0f - a)) / 255.0f;
  };
  return 0.2126f * channel(16) + 0.7152f * channel(8) + 0.0722f * channel(0);
}

uint32_t Lighten(uint32_t argb, float amount) {
  const float t = std::clamp(std::fabs(amount), 0.0f, 1.0f);
  const float target = amount >= 0.0f ? 255.0f : 0.0f;
  uint32_t out = argb & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const float c = static_cast<float>((argb >> shift) & 0xFFu);
    out |= static_cast<uint32_t>(std::lround(c + (target - c) * t)) << shift;
  }
  return out;
}

CRSCanvasShape* MakePanel(CRSObject* parent, const std::string& name, const RectF& rect, float radius,
                          uint32_t colour, float gloss, uint32_t rim) {
  auto* panel = new CRSCanvasShape(PointF(rect.X, rect.Y), parent, name,
                                   RoundedRect(RectF(0, 0, rect.Width, rect.Height), radius));
  panel->SetAntiAliasFill(true);
  panel->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(colour)));
  if (gloss > 0.0f && rect.Height > 2.0f) {
    // Light from above: a white sheen fading out by the middle, and a faint
    // shade toward the bottom edge, so a flat colour reads as a surface. One
    // gradient spans the whole height, since a gradient repeats past its
    // ends.
    const float g = std::min(gloss, 1.0f);
    const Gdiplus::Color colours[] = {Gdiplus::Color(static_cast<uint32_t>(std::lround(0x78 * g)) << 24 | 0xFFFFFFu),
                                      Gdiplus::Color(0x00FFFFFFu), Gdiplus::Color(0x00000000u),
                                      Gdiplus::Color(static_cast<uint32_t>(std::lround(0x38 * g)) << 24)};
    const float positions[] = {0.0f, 0.5f, 0.55f, 1.0f};
    panel->AddBrush(VerticalGradient(rect.Height, colours, positions, 4));
  }
  if ((rim >> 24) != 0) panel->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(rim), 1.0f));
  return panel;
}

CRSCanvasGroup* MakeCaption(CRSObject* parent, const std::string& name, const std::string& text,
                            const CRSStyleFont& font, uint32_t colour, bool hotKey, Shadow shadow, float maxHeight) {
  auto* group = new CRSCanvasGroup(PointF(), parent, name);
  auto* front = new CRSCanvasText(PointF(), group, "text");
  front->SetHotkeyPrefix(hotKey);
  front->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(colour)));
  front->SetFont(font.family, font.size, font.style);
  front->SetText(text);
  float size = font.size;
  const float height = front->GetSize().Height;
  if (maxHeight > 0.0f && height > maxHeight) {
    // Text height grows in step with the font size; a floor keeps it legible.
    size = std::max(6.0f, std::floor(font.size * maxHeight / height * 4.0f) / 4.0f);
    front->SetFont(font.family, size, font.style);
  }
  if (shadow != kShadowNone) {
    // A drop shadow down and right; an outline is four copies around the
    // text, for light text on a light face.
    static const PointF kDrop[] = {PointF(1.0f, 1.0f)};
    static const PointF kRing[] = {PointF(1.0f, 1.0f), PointF(-1.0f, 1.0f), PointF(1.0f, -1.0f), PointF(-1.0f, -1.0f)};
    const PointF* offsets = shadow == kShadowOutline ? kRing : kDrop;
    const int count = shadow == kShadowOutline ? 4 : 1;
    const uint32_t dark = ScaleAlpha(shadow == kShadowOutline ? 0x90000000u : 0xD0000000u, (colour >> 24) / 255.0f);
    for (int i = 0; i < count; ++i) {
      auto* back = new CRSCanvasText(offsets[i], group, "shadow");
      back->SetFont(font.family, size, font.style);
      back->SetHotkeyPrefix(hotKey);
      back->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(dark)));
      back->SetText(text);
      // Painted first, underneath.
      back->MoveBeforeSibling(front);
    }
  }
  return group;
}

void CentreOn(CRSCanvasItem& item, const PointF& centre) {
  const RectF local = item.GetLocalRect();
  item.SetPosition(PointF(std::round(centre.X - local.X - local.Width * 0.5f),
                          std::round(centre.Y - local.Y - local.Height * 0.5f)));
}

}  // namespace style_parts
