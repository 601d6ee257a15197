#include "app/root_background.h"

#include <algorithm>
#include <cmath>

#include "platform/bitmap.h"
#include "platform/brush.h"

namespace app {

std::shared_ptr<Gdiplus::Brush> MakeBackgroundBrush(const Gdiplus::Bitmap* picture) {
  if (picture && picture->GetWidth() > 0 && picture->GetHeight() > 0) {
    auto brush = std::make_shared<Gdiplus::TextureBrush>(picture, Gdiplus::WrapModeTile);
    // A picture made for a denser screen tiles at its size in units.
    const float density = picture->GetHorizontalResolution() / Gdiplus::Bitmap::kUnitResolution;
    if (density != 1.0f) brush->ScaleTransform(1.0f / density, 1.0f / density);
    if (brush->GetLastStatus() == Gdiplus::Ok) return brush;
  }
  return std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0xFFFFFFFFu));
}

int GradientSide(const SizeF& windowSize) {
  return static_cast<int>(std::lround(std::max(windowSize.Width, windowSize.Height)));
}

std::shared_ptr<Gdiplus::Brush> MakeGradientBrush(std::uint32_t rgb, const SizeF& windowSize) {
  const float d = static_cast<float>(std::max(1, GradientSide(windowSize)));
  const std::uint32_t colour = rgb & 0xFFFFFFu;
  auto brush = std::make_shared<Gdiplus::LinearGradientBrush>(
      PointF(0, 0), PointF(d, d), Gdiplus::Color((std::uint32_t{kGradientAlphaStart} << 24) | colour),
      Gdiplus::Color((std::uint32_t{kGradientAlphaEnd} << 24) | colour));
  brush->SetWrapMode(Gdiplus::WrapModeTile);
  return brush;
}

}  // namespace app
