#include "platform/bitmap.h"

#include <cairo.h>

#include <cmath>
#include <cstddef>
#include <cstring>

namespace Gdiplus {

Bitmap::Bitmap(int width, int height, PixelFormat format) : m_format(format) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return;
  cairo_format_t cf = format == PixelFormat::Format24bppRGB ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32;
  cairo_surface_t* s = cairo_image_surface_create(cf, width, height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return;
  }
  m_surface = s;
  m_width = width;
  m_height = height;
}

Bitmap::Bitmap(cairo_surface_t* adopted) {
  if (!adopted) return;
  if (cairo_surface_status(adopted) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_get_type(adopted) != CAIRO_SURFACE_TYPE_IMAGE) {
    cairo_surface_destroy(adopted);
    return;
  }
  cairo_format_t cf = cairo_image_surface_get_format(adopted);
  if (cf != CAIRO_FORMAT_RGB24 && cf != CAIRO_FORMAT_ARGB32) {
    cairo_surface_destroy(adopted);
    return;
  }
  m_surface = adopted;
  m_width = cairo_image_surface_get_width(adopted);
  m_height = cairo_image_surface_get_height(adopted);
  m_format = cf == CAIRO_FORMAT_RGB24 ? PixelFormat::Format24bppRGB : PixelFormat::Format32bppARGB;
}

Bitmap::~Bitmap() {
  if (m_surface) cairo_surface_destroy(m_surface);
}

void Bitmap::SetResolution(float xDpi, float yDpi) {
  // One density for both axes: the game never stretches a picture by its
  // resolution, and a nonsense value keeps the one before.
  const float dpi = (xDpi + yDpi) * 0.5f;
  if (std::isfinite(dpi) && dpi >= kUnitResolution / 16.0f && dpi <= kUnitResolution * 16.0f) m_resolution = dpi;
}

std::unique_ptr<Bitmap> Bitmap::Clone() const {
  if (!IsValid()) return nullptr;
  auto copy = std::make_unique<Bitmap>(m_width, m_height, m_format);
  if (!copy->IsValid()) return nullptr;
  cairo_surface_flush(m_surface);
  const int stride = GetStride();
  std::memcpy(copy->GetData(), GetData(), static_cast<size_t>(stride) * m_height);
  copy->MarkDirty();
  copy->m_resolution = m_resolution;
  return copy;
}

std::unique_ptr<Bitmap> Bitmap::ViewOfRows(int top, int height) {
  if (!IsValid() || top < 0 || height <= 0 || height > m_height - top) return nullptr;
  std::uint8_t* rows = GetData() + static_cast<std::ptrdiff_t>(top) * GetStride();
  cairo_surface_t* view = cairo_image_surface_create_for_data(rows, cairo_image_surface_get_format(m_surface), m_width,
                                                              height, GetStride());
  auto bitmap = std::make_unique<Bitmap>(view);
  if (!bitmap->IsValid()) return nullptr;
  return bitmap;
}

int Bitmap::GetStride() const { return m_surface ? cairo_image_surface_get_stride(m_surface) : 0; }

std::uint8_t* Bitmap::GetData() {
  if (!m_surface) return nullptr;
  cairo_surface_flush(m_surface);
  return cairo_image_surface_get_data(m_surface);
}

const std::uint8_t* Bitmap::GetData() const {
  if (!m_surface) return nullptr;
  cairo_surface_flush(m_surface);
  return cairo_image_surface_get_data(m_surface);
}

void Bitmap::MarkDirty() {
  if (m_surface) cairo_surface_mark_dirty(m_surface);
}

ARGB Bitmap::GetPixel(int x, int y) const {
  if (!m_surface || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
  const std::uint32_t p = GetRow(y)[x];
  if (m_format == PixelFormat::Format24bppRGB) return 0xFF000000u | (p & 0x00FFFFFFu);
  const std::uint32_t a = p >> 24;
  if (a == 0) return 0;
  if (a == 255) return p;
  auto unpremultiply = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
  return MakeARGB(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(unpremultiply((p >> 16) & 0xFF)),
                  static_cast<std::uint8_t>(unpremultiply((p >> 8) & 0xFF)),
                  static_cast<std::uint8_t>(unpremultiply(p & 0xFF)));
}

void Bitmap::SetPixel(int x, int y, ARGB colour) {
  if (!m_surface || x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  std::uint32_t* row = GetRow(y);
  if (m_format == PixelFormat::Format24bppRGB) {
    row[x] = 0xFF000000u | (colour & 0x00FFFFFFu);
  } else {
    const std::uint32_t a = AlphaOf(colour);
    auto premultiply = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    row[x] = (a << 24) | (premultiply(RedOf(colour)) << 16) | (premultiply(GreenOf(colour)) << 8) |
             premultiply(BlueOf(colour));
  }
  MarkDirty();
}

}  // namespace Gdiplus
