#include "platform/image_helpers.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/image_codec.h"
#include "platform/resources.h"

namespace platform {

std::unique_ptr<Gdiplus::Bitmap> LoadImageFromResource(std::string_view type, std::string_view name, float scale) {
  if (scale > 1.0f) {
    const std::span<const std::uint8_t> dense = FindResource(type, std::string(name) + "@2x");
    if (std::unique_ptr<Gdiplus::Bitmap> picture = dense.empty() ? nullptr : DecodeImage(dense)) {
      picture->SetResolution(2.0f * Gdiplus::Bitmap::kUnitResolution, 2.0f * Gdiplus::Bitmap::kUnitResolution);
      return picture;
    }
  }
  const std::span<const std::uint8_t> bytes = FindResource(type, name);
  if (bytes.empty()) return nullptr;
  return DecodeImage(bytes);
}

std::unique_ptr<Gdiplus::Bitmap> ScaledCopy(const Gdiplus::Bitmap& image, int width, int height,
                                            Gdiplus::PixelFormat format, bool keepAspect) {
  if (!image.IsValid() || width <= 0 || height <= 0) return nullptr;
  const double iw = image.GetWidth(), ih = image.GetHeight();
  if (keepAspect) {
    const double scale = std::min(width / iw, height / ih);
    width = std::max(1, static_cast<int>(std::lround(iw * scale)));
    height = std::max(1, static_cast<int>(std::lround(ih * scale)));
  }
  auto out = std::make_unique<Gdiplus::Bitmap>(width, height, format);
  if (!out->IsValid()) return nullptr;
  cairo_surface_t* source = image.GetSurface();
  cairo_surface_flush(source);
  cairo_t* cr = cairo_create(out->GetSurface());
  // A new RGB bitmap is black, so a picture with alpha lands on black.
  if (format == Gdiplus::PixelFormat::Format24bppRGB) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
  }
  cairo_scale(cr, width / iw, height / ih);
  cairo_set_source_surface(cr, source, 0, 0);
  cairo_pattern_t* pattern = cairo_get_source(cr);
  // Shrinking needs the better filter; pad keeps the edges from fading to
  // transparent when a picture is enlarged.
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_rectangle(cr, 0, 0, iw, ih);
  cairo_fill(cr);
  const bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  cairo_surface_flush(out->GetSurface());
  if (!ok) return nullptr;
  return out;
}

std::unique_ptr<Gdiplus::Bitmap> ColourKeyedCopy(const Gdiplus::Bitmap& image, Gdiplus::ARGB key) {
  if (!image.IsValid()) return nullptr;
  auto out = std::make_unique<Gdiplus::Bitmap>(image.GetWidth(), image.GetHeight(),
                                               Gdiplus::PixelFormat::Format32bppARGB);
  if (!out->IsValid()) return nullptr;
  const std::uint32_t keyRgb = key & 0x00FFFFFFu;
  for (int y = 0; y < image.GetHeight(); ++y) {
    const std::uint32_t* src = image.GetRow(y);
    std::uint32_t* dst = out->GetRow(y);
    for (int x = 0; x < image.GetWidth(); ++x) {
      std::uint32_t p = src[x];
      if (!image.HasAlpha()) p |= 0xFF000000u;
      // Only opaque pixels can match: a premultiplied partly transparent
      // pixel no longer carries its own colour.
      dst[x] = ((p >> 24) == 0xFF && (p & 0x00FFFFFFu) == keyRgb) ? 0u : p;
    }
  }
  out->MarkDirty();
  return out;
}

std::unique_ptr<Gdiplus::Bitmap> HalvedCopy(const Gdiplus::Bitmap& image) {
  const int w = image.GetWidth(), h = image.GetHeight();
  if (!image.IsValid() || w <= 0 || h <= 0) return nullptr;
  const int hw = (w + 1) / 2, hh = (h + 1) / 2;
  auto half = std::make_unique<Gdiplus::Bitmap>(hw, hh, image.GetPixelFormat());
  if (!half->IsValid()) return nullptr;
  // Premultiplied words average channel by channel, rounded; an odd last
  // row or column counts its own pixels twice. The channels are summed two
  // at a time in 16-bit lanes (four of them stay below 1024), so a zoom out
  // that meets thousands of pieces at once halves each in a few passes.
  constexpr std::uint32_t kLanes = 0x00FF00FFu;
  const auto average = [](std::uint32_t p, std::uint32_t q, std::uint32_t r, std::uint32_t s) {
    const std::uint32_t even = (p & kLanes) + (q & kLanes) + (r & kLanes) + (s & kLanes) + 0x00020002u;
    const std::uint32_t odd =
        ((p >> 8) & kLanes) + ((q >> 8) & kLanes) + ((r >> 8) & kLanes) + ((s >> 8) & kLanes) + 0x00020002u;
    return ((even >> 2) & kLanes) | (((odd >> 2) & kLanes) << 8);
  };
  for (int y = 0; y < hh; ++y) {
    const std::uint32_t* a = image.GetRow(2 * y);
    const std::uint32_t* b = image.GetRow(std::min(2 * y + 1, h - 1));
    std::uint32_t* out = half->GetRow(y);
    const int pairs = w / 2;
    for (int x = 0; x < pairs; ++x) out[x] = average(a[2 * x], a[2 * x + 1], b[2 * x], b[2 * x + 1]);
    if (pairs < hw) out[pairs] = average(a[w - 1], a[w - 1], b[w - 1], b[w - 1]);
  }
  half->MarkDirty();
  return half;
}

}  // namespace platform
