#include "canvas/styles/simple_parts.h"

#include <algorithm>
#include <cmath>

#include "platform/brush.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"

namespace simple_parts {

std::unique_ptr<Gdiplus::GraphicsPath> RoundedRect(float width, float height, float radius) {
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  width = std::max(0.0f, width);
  height = std::max(0.0f, height);
  if (!std::isfinite(radius)) radius = 0.0f;
  radius = std::clamp(radius, 0.0f, std::min(width, height) / 2.0f);
  if (radius < 0.5f) {
    path->AddRectangle(RectF(0.0f, 0.0f, width, height));
    return path;
  }
  const float d = radius * 2.0f;
  path->AddArc(0.0f, 0.0f, d, d, 180.0f, 90.0f);
  path->AddArc(width - d, 0.0f, d, d, 270.0f, 90.0f);
  path->AddArc(width - d, height - d, d, d, 0.0f, 90.0f);
  path->AddArc(0.0f, height - d, d, d, 90.0f, 90.0f);
  path->CloseFigure();
  return path;
}

void SetShape(CRSCanvasShape& shape, const RectF& rect, std::unique_ptr<Gdiplus::GraphicsPath> path,
              std::shared_ptr<Gdiplus::Brush> fill, ARGB border, float borderWidth) {
  shape.SetAntiAliasFill(true);
  shape.SetPosition(PointF(rect.X, rect.Y));
  shape.SetPath(std::move(path));
  if (fill) {
    shape.SetBrush(std::move(fill), 0);
  } else {
    while (shape.GetBrushCount() > 0) shape.RemoveBrush(0);
  }
  if (Gdiplus::AlphaOf(border) != 0 && borderWidth > 0.0f) {
    auto pen = std::make_shared<Gdiplus::Pen>(Gdiplus::Color(border), borderWidth);
    pen->SetLineJoin(Gdiplus::LineJoinRound);
    shape.SetPen(std::move(pen), 0);
  } else {
    while (shape.GetPenCount() > 0) shape.RemovePen(0);
  }
}

void SetRoundedShape(CRSCanvasShape& shape, const RectF& rect, float radius, ARGB fill, ARGB border,
                     float borderWidth) {
  SetShape(shape, rect, RoundedRect(rect.Width, rect.Height, radius),
           std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(fill)), border, borderWidth);
}

void SetTextItem(CRSCanvasText& item, const std::string& text, const CRSStyleFont& font, ARGB colour) {
  const Gdiplus::Font* current = item.GetFont();
  if (!current || current->GetFamilyName() != font.family || current->GetSize() != font.size ||
      current->GetStyle() != font.style)
    item.SetFont(font.family, font.size, font.style);
  auto* brush = dynamic_cast<Gdiplus::SolidBrush*>(item.GetBrush(0));
  Gdiplus::Color have;
  if (!brush || brush->GetColor(&have) != Gdiplus::Ok || have.GetValue() != colour || item.GetBrushCount() != 1) {
    while (item.GetBrushCount() > 0) item.RemoveBrush(0);
    item.AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(colour)));
    item.Invalidate();
  }
  item.SetText(DisplayText(text));
}

void PlaceShadowedText(CRSCanvasText& text, CRSCanvasText* shadow, const std::string& content,
                       const CRSStyleFont& font, ARGB colour, const PointF& topLeft) {
  SetTextItem(text, content, font, colour);
  text.SetPosition(topLeft);
  if (!shadow) return;
  // The shadow fades with the text, so a disabled caption does not keep a
  // dark ghost.
  const float fade = Gdiplus::AlphaOf(colour) / 255.0f;
  SetTextItem(*shadow, content, font, ScaleAlpha(kTextShadow, fade));
  shadow->SetPosition(PointF(topLeft.X + kShadowOffset, topLeft.Y + kShadowOffset));
}

std::string DisplayText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char lead = p[i];
    size_t length = lead < 0x80 ? 1 : (lead >= 0xC2 && lead <= 0xDF) ? 2 : (lead >= 0xE0 && lead <= 0xEF) ? 3
                  : (lead >= 0xF0 && lead <= 0xF4) ? 4 : 0;
    bool valid = length > 0 && i + length <= n;
    for (size_t k = 1; valid && k < length; ++k) valid = (p[i + k] & 0xC0) == 0x80;
    if (valid && length >= 3) {
      // No overlong forms, no surrogates, nothing beyond U+10FFFF.
      const unsigned second = p[i + 1];
      if (lead == 0xE0 && second < 0xA0) valid = false;
      if (lead == 0xED && second >= 0xA0) valid = false;
      if (lead == 0xF0 && second < 0x90) valid = false;
      if (lead == 0xF4 && second >= 0x90) valid = false;
    }
    if (valid) {
      out.append(text, i, length);
      i += length;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

ARGB ScaleAlpha(ARGB colour, float factor) {
  const float a = std::clamp(Gdiplus::AlphaOf(colour) * factor, 0.0f, 255.0f);
  return (static_cast<ARGB>(std::lround(a)) << 24) | (colour & 0x00FFFFFFu);
}

ARGB Opaque(ARGB colour) { return colour | 0xFF000000u; }

ARGB Lighten(ARGB colour, float amount) {
  amount = std::clamp(amount, 0.0f, 1.0f);
  auto mix = [amount](unsigned c) {
    return static_cast<unsigned>(std::lround(static_cast<float>(c) + (255.0f - static_cast<float>(c)) * amount));
  };
  return (colour & 0xFF000000u) | (mix(Gdiplus::RedOf(colour)) << 16) | (mix(Gdiplus::GreenOf(colour)) << 8) |
         mix(Gdiplus::BlueOf(colour));
}

std::shared_ptr<Gdiplus::Brush> FaceBrush(const RectF& rect, ARGB colour) {
  const float h = std::max(1.0f, rect.Height);
  auto brush = std::make_shared<Gdiplus::LinearGradientBrush>(PointF(0.0f, rect.Y), PointF(0.0f, rect.Y + h),
                                                              Gdiplus::Color(Lighten(colour, 0.35f)),
                                                              Gdiplus::Color(colour));
  // Beyond the face (its outline) the end colours hold instead of repeating.
  brush->SetWrapMode(Gdiplus::WrapModeClamp);
  return brush;
}

}  // namespace simple_parts
