#include "platform/image_attributes.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

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

namespace {

// One premultiplied pixel through the matrix: the reference every faster
// path must match bit for bit.
std::uint32_t TransformPixel(const float (&m)[5][5], std::uint32_t p, bool skipGrays) {
  const std::uint32_t a8 = p >> 24;
  // Work on straight colour; premultiplied input would darken edges.
  float c[4] = {0, 0, 0, a8 / 255.0f};
  if (a8) {
    c[0] = std::min(1.0f, ((p >> 16) & 0xFF) / float(a8));
    c[1] = std::min(1.0f, ((p >> 8) & 0xFF) / float(a8));
    c[2] = std::min(1.0f, (p & 0xFF) / float(a8));
  }
  if (skipGrays && c[0] == c[1] && c[1] == c[2]) return p;
  float out[4];
  for (int j = 0; j < 4; ++j)
    out[j] = std::clamp(c[0] * m[0][j] + c[1] * m[1][j] + c[2] * m[2][j] + c[3] * m[3][j] + m[4][j], 0.0f, 1.0f);
  // The values are never negative, so adding a half and truncating
  // rounds exactly as lround does; done in double the sum is exact, and
  // it spares a library call per channel of every pixel of a picture.
  auto round = [](float v) { return static_cast<std::uint32_t>(static_cast<double>(v) + 0.5); };
  const std::uint32_t a = round(out[3] * 255);
  auto channel = [&](float v) { return round(v * out[3] * 255); };
  return (a << 24) | (channel(out[0]) << 16) | (channel(out[1]) << 8) | channel(out[2]);
}

// Whether each of red, green and blue comes out of its own input channel
// alone (besides alpha and the constant row) and alpha does not depend on
// the colour: then an opaque pixel's result is three table look-ups. The
// translucent tint of a picture is such a matrix; a channel swap is not.
bool IsChannelWise(const float (&m)[5][5]) {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 4; ++j)
      if (i != j && m[i][j] != 0.0f) return false;
  }
  return true;
}

}  // namespace

void ImageAttributes::ApplyToPixels(std::uint32_t* pixels, int width, int height, int strideInPixels) const {
  if (!m_hasMatrix || !pixels) return;
  const auto& m = m_matrix.m;
  // Opaque pixels of a channel-wise matrix are looked up: the table is made
  // by the reference itself from grey pixels, so the results are the same
  // to the bit, at a small fraction of the cost for a screen-sized photo.
  const bool lookUp = !m_skipGrays && IsChannelWise(m);
  std::uint32_t table[3][256];
  std::uint32_t opaqueAlpha = 0;
  if (lookUp) {
    for (std::uint32_t v = 0; v < 256; ++v) {
      const std::uint32_t q = TransformPixel(m, 0xFF000000u | v << 16 | v << 8 | v, false);
      table[0][v] = q & 0x00FF0000u;
      table[1][v] = q & 0x0000FF00u;
      table[2][v] = q & 0x000000FFu;
      opaqueAlpha = q & 0xFF000000u;
    }
  }
  for (int y = 0; y < height; ++y) {
    std::uint32_t* row = pixels + static_cast<size_t>(y) * strideInPixels;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = row[x];
      if (lookUp && (p >> 24) == 0xFFu) {
        row[x] = opaqueAlpha | table[0][(p >> 16) & 0xFF] | table[1][(p >> 8) & 0xFF] | table[2][p & 0xFF];
      } else {
        row[x] = TransformPixel(m, p, m_skipGrays);
      }
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
