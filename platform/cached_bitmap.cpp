#include "platform/cached_bitmap.h"

#include <cairo.h>

#include <cstddef>
#include <cstdint>

#include "platform/graphics.h"

namespace Gdiplus {

namespace {

bool IsOpaque(const Bitmap& bitmap) {
  const std::uint8_t* data = bitmap.GetData();
  const int stride = bitmap.GetStride();
  for (int y = 0; y < bitmap.GetHeight(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < bitmap.GetWidth(); ++x)
      if ((row[x] >> 24) != 0xFFu) return false;
  }
  return true;
}

// A copy in a format the target composites fastest: opaque pictures stay
// opaque, so drawing them is a plain copy. A picture with an alpha channel
// whose every pixel is opaque (a photo turned or scaled into a transparent
// bitmap that it covers whole) is kept opaque as well. Null on failure.
cairo_surface_t* CopyForTarget(const Bitmap& bitmap, const Graphics& graphics) {
  cairo_surface_t* target = cairo_get_target(graphics.GetCairo());
  const cairo_format_t format = bitmap.HasAlpha() && !IsOpaque(bitmap) ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
  cairo_surface_t* s = cairo_surface_create_similar_image(target, format, bitmap.GetWidth(), bitmap.GetHeight());
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  cairo_t* cr = cairo_create(s);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, bitmap.GetSurface(), 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  return s;
}

}  // namespace

CachedBitmap::CachedBitmap(const Bitmap* bitmap, const Graphics* graphics) {
  if (!bitmap || !bitmap->IsValid() || !graphics || !graphics->IsValid()) return;
  m_surface = CopyForTarget(*bitmap, *graphics);
  if (!m_surface) return;
  m_width = bitmap->GetWidth();
  m_height = bitmap->GetHeight();
}

CachedBitmap::CachedBitmap(std::unique_ptr<Bitmap> bitmap, const Graphics* graphics) {
  if (!bitmap || !bitmap->IsValid() || !graphics || !graphics->IsValid()) return;
  if (!bitmap->HasAlpha() || IsOpaque(*bitmap)) {
    m_surface = CopyForTarget(*bitmap, *graphics);
  } else {
    // The surface is shared; the bitmap goes with the unique pointer, and
    // its pixels live on for as long as this holds them.
    cairo_surface_flush(bitmap->GetSurface());
    m_surface = cairo_surface_reference(bitmap->GetSurface());
  }
  if (!m_surface) return;
  m_width = bitmap->GetWidth();
  m_height = bitmap->GetHeight();
}

CachedBitmap::~CachedBitmap() {
  if (m_surface) cairo_surface_destroy(m_surface);
}

}  // namespace Gdiplus
