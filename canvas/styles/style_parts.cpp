#include "canvas/styles/style_parts.h"

#include <algorithm>
#include <cmath>

namespace style_parts {

Gdiplus::GraphicsPath* RoundedRect(const RectF& rect, float radius) {
  auto* path = new Gdiplus::GraphicsPath();
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

uint32_t ScaleAlpha(uint32_t argb, float factor) {
  const float a = static_cast<float>(argb >> 24) * std::clamp(factor, 0.0f, 1.0f);
  return (static_cast<uint32_t>(std::lround(a)) << 24) | (argb & 0x00FFFFFFu);
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
    // darkening toward the bottom edge, so a flat colour reads as a surface.
    const uint32_t sheen = static_cast<uint32_t>(std::lround(0x70 * std::min(gloss, 1.0f))) << 24 | 0xFFFFFFu;
    auto top = std::make_shared<Gdiplus::LinearGradientBrush>(PointF(0, -1.0f), PointF(0, rect.Height * 0.55f),
                                                              Gdiplus::Color(sheen), Gdiplus::Color(0x00FFFFFFu));
    panel->AddBrush(top);
    const uint32_t dusk = static_cast<uint32_t>(std::lround(0x40 * std::min(gloss, 1.0f))) << 24;
    auto bottom = std::make_shared<Gdiplus::LinearGradientBrush>(
        PointF(0, rect.Height * 0.5f), PointF(0, rect.Height + 1.0f), Gdiplus::Color(0x00000000u), Gdiplus::Color(dusk));
    panel->AddBrush(bottom);
  }
  if ((rim >> 24) != 0) panel->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(rim), 1.0f));
  return panel;
}

CRSCanvasGroup* MakeCaption(CRSObject* parent, const std::string& name, const std::string& text,
                            const CRSStyleFont& font, uint32_t colour, bool hotKey, bool shadow) {
  auto* group = new CRSCanvasGroup(PointF(), parent, name);
  if (shadow) {
    auto* back = new CRSCanvasText(PointF(1.0f, 1.0f), group, "shadow");
    back->SetFont(font.family, font.size, font.style);
    back->SetHotkeyPrefix(hotKey);
    back->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(ScaleAlpha(0xD0000000u, (colour >> 24) / 255.0f))));
    back->SetText(text);
  }
  auto* front = new CRSCanvasText(PointF(), group, "text");
  front->SetFont(font.family, font.size, font.style);
  front->SetHotkeyPrefix(hotKey);
  front->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(colour)));
  front->SetText(text);
  return group;
}

void CentreOn(CRSCanvasItem& item, const PointF& centre) {
  const RectF local = item.GetLocalRect();
  item.SetPosition(PointF(std::round(centre.X - local.X - local.Width * 0.5f),
                          std::round(centre.Y - local.Y - local.Height * 0.5f)));
}

}  // namespace style_parts
