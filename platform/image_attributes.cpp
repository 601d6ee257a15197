#include "platform/image_attributes.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace Gdiplus {

Status ImageAttributes::SetColorMatrix(const ColorMatrix* matrix, ColorMatrixFlags flags, ColorAdjustType) {
  if (!matrix) return InvalidParameter;
  m_matrix = *matrix;
  m_hasMatrix = true;
  m_skipGrays = flags == ColorMatrixFlagsSkipGrays;
  return Ok;
}

Status ImageAttributes::ClearColorMatrix(ColorAdjustType) {
  m_hasMatrix = false;
  return Ok;
}

void ImageAttributes::ApplyToPixels(std::uint32_t* pixels, int width, int height, int strideInPixels) const {
  if (!m_hasMatrix || !pixels) return;
  const auto& m = m_matrix.m;
  for (int y = 0; y < height; ++y) {
    std::uint32_t* row = pixels + static_cast<size_t>(y) * strideInPixels;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = row[x];
      const std::uint32_t a8 = p >> 24;
      // Work on straight colour; premultiplied input would darken edges.
      float c[4] = {0, 0, 0, a8 / 255.0f};
      if (a8) {
        c[0] = std::min(1.0f, ((p >> 16) & 0xFF) / float(a8));
        c[1] = std::min(1.0f, ((p >> 8) & 0xFF) / float(a8));
        c[2] = std::min(1.0f, (p & 0xFF) / float(a8));
      }
      if (m_skipGrays && c[0] == c[1] && c[1] == c[2]) continue;
      float out[4];
      for (int j = 0; j < 4; ++j)
        out[j] = std::clamp(c[0] * m[0][j] + c[1] * m[1][j] + c[2] * m[2][j] + c[3] * m[3][j] + m[4][j], 0.0f, 1.0f);
      // The values are never negative, so adding a half and truncating
      // rounds exactly as lround does; done in double the sum is exact, and
      // it spares a library call per channel of every pixel of a picture.
      auto round = [](float v) { return static_cast<std::uint32_t>(static_cast<double>(v) + 0.5); };
      const std::uint32_t a = round(out[3] * 255);
      auto channel = [&](float v) { return round(v * out[3] * 255); };
      row[x] = (a << 24) | (channel(out[0]) << 16) | (channel(out[1]) << 8) | channel(out[2]);
    }
  }
}

std::unique_ptr<Bitmap> ImageAttributes::Apply(const Bitmap& source) const {
  if (!source.IsValid()) return nullptr;
  auto out = std::make_unique<Bitmap>(source.GetWidth(), source.GetHeight(), PixelFormat::Format32bppARGB);
  if (!out->IsValid()) return nullptr;
  cairo_t* cr = cairo_create(out->GetSurface());
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, source.GetSurface(), 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  ApplyToPixels(reinterpret_cast<std::uint32_t*>(out->GetData()), out->GetWidth(), out->GetHeight(),
                out->GetStride() / 4);
  out->MarkDirty();
  return out;
}

}  // namespace Gdiplus
