// The shape-shadow operation: paint an item off screen and spread its alpha
// into a soft silhouette.

#include "canvas/shape_shadow.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "canvas/items.h"

namespace {

// Silhouettes are made of on-screen items; anything beyond this is refused
// rather than allowed to claim gigabytes for its working rows.
constexpr long long kMaxSilhouettePixels = 1LL << 26;

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> BuildSoftSilhouette(const Gdiplus::Bitmap& source, int boxSize, ARGB colour,
                                                     float strength) {
  if (!source.IsValid() || boxSize < 1 || boxSize > Gdiplus::Bitmap::kMaxSide) return nullptr;
  const int n = boxSize;
  const int sw = source.GetWidth(), sh = source.GetHeight();
  const long long ow = static_cast<long long>(sw) + n - 1, oh = static_cast<long long>(sh) + n - 1;
  if (ow > Gdiplus::Bitmap::kMaxSide || oh > Gdiplus::Bitmap::kMaxSide || ow * oh > kMaxSilhouettePixels) {
    return nullptr;
  }
  auto out = std::make_unique<Gdiplus::Bitmap>(static_cast<int>(ow), static_cast<int>(oh),
                                               PixelFormat::Format32bppARGB);
  if (!out->IsValid()) return nullptr;
  const int w = static_cast<int>(ow), h = static_cast<int>(oh);

  // The box sum is separable: first along each row, then down each column.
  // Row sums reach 255·n and column sums 255·n², well inside 32 bits for
  // any box we accept.
  std::vector<std::uint32_t> rows(static_cast<size_t>(w) * sh, 0);
  const bool opaque = !source.HasAlpha();
  for (int y = 0; y < sh; ++y) {
    const std::uint32_t* src = source.GetRow(y);
    std::uint32_t* row = &rows[static_cast<size_t>(y) * w];
    std::uint32_t sum = 0;
    for (int x = 0; x < w; ++x) {
      if (x < sw) sum += opaque ? 255u : (src[x] >> 24);
      if (x - n >= 0) sum -= opaque ? 255u : (src[x - n] >> 24);
      row[x] = sum;
    }
  }
  const std::uint32_t ca = Gdiplus::AlphaOf(colour);
  const std::uint32_t cr = Gdiplus::RedOf(colour), cg = Gdiplus::GreenOf(colour), cb = Gdiplus::BlueOf(colour);
  // Our pictures hold premultiplied pixels: the colour is scaled by the
  // pixel's alpha so that it composites as that colour at that alpha.
  std::uint32_t table[256];
  for (std::uint32_t value = 0; value < 256; ++value) {
    const std::uint32_t a = (value * ca) >> 8;
    table[value] = (a << 24) | (((cr * a + 127) / 255) << 16) | (((cg * a + 127) / 255) << 8) |
                   ((cb * a + 127) / 255);
  }
  const double scale = static_cast<double>(strength) / (static_cast<double>(n) * n);
  std::vector<std::uint32_t> column(static_cast<size_t>(w), 0);
  for (int y = 0; y < h; ++y) {
    if (y < sh) {
      const std::uint32_t* add = &rows[static_cast<size_t>(y) * w];
      for (int x = 0; x < w; ++x) column[x] += add[x];
    }
    if (y - n >= 0 && y - n < sh) {
      const std::uint32_t* sub = &rows[static_cast<size_t>(y - n) * w];
      for (int x = 0; x < w; ++x) column[x] -= sub[x];
    }
    std::uint32_t* dst = out->GetRow(y);
    for (int x = 0; x < w; ++x) {
      const double v = std::floor(column[x] * scale);
      const std::uint32_t value = v >= 255.0 ? 255u : (v <= 0.0 ? 0u : static_cast<std::uint32_t>(v));
      dst[x] = table[value];
    }
  }
  out->MarkDirty();
  return out;
}

std::shared_ptr<Gdiplus::Bitmap> RenderSoftSilhouette(CRSCanvasItem& item, int boxSize, ARGB colour,
                                                      float strength) {
  const RectF rect = item.GetLocalRect();
  const long w = std::lround(rect.Width), h = std::lround(rect.Height);
  if (w <= 0 || h <= 0 || w > Gdiplus::Bitmap::kMaxSide || h > Gdiplus::Bitmap::kMaxSide) return nullptr;
  Gdiplus::Bitmap painted(static_cast<int>(w), static_cast<int>(h), PixelFormat::Format32bppARGB);
  if (!painted.IsValid()) return nullptr;
  {
    Gdiplus::Graphics g(&painted);
    g.TranslateTransform(-rect.X, -rect.Y);
    item.Paint(g, CRSCanvasItem::kZOrderTop, false);
  }
  return BuildSoftSilhouette(painted, boxSize, colour, strength);
}

CRSCanvasImage* CreateShapeShadow(CRSCanvasItem& item, int boxSize, ARGB colour, float strength,
                                  const PointF& position, CRSObject* parent, const std::string& name) {
  std::shared_ptr<Gdiplus::Bitmap> silhouette = RenderSoftSilhouette(item, boxSize, colour, strength);
  if (!silhouette) return nullptr;
  return new CRSCanvasImage(position, parent, name, std::move(silhouette));
}
