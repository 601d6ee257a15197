// The glow effect. The box sum is separable: a running sum along each row,
// then a running sum of those down each column, so the cost does not depend
// on the box size.

#include "canvas/glow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "canvas/items.h"
#include "platform/display_scale.h"
#include "platform/graphics.h"

namespace {

// Glows are made of on-screen items; a larger request is refused rather than
// allowed to claim gigabytes for its working rows.
constexpr long long kMaxGlowPixels = 1LL << 26;

std::uint32_t Premultiplied(std::uint32_t alpha, ARGB colour) {
  auto scale = [alpha](std::uint32_t c) { return (c * alpha + 127) / 255; };
  return (alpha << 24) | (scale(Gdiplus::RedOf(colour)) << 16) | (scale(Gdiplus::GreenOf(colour)) << 8) |
         scale(Gdiplus::BlueOf(colour));
}

}  // namespace

namespace {

// The box sums into `out`, with sums of type Sum: row sums reach 255·n and
// column sums 255·n², so 32 bits hold them for any box side below 4096 and
// halve the memory the sums stream through; larger boxes take 64 bits.
template <typename Sum>
void FillGlow(const Gdiplus::Bitmap& source, int n, ARGB colour, float strength, Gdiplus::Bitmap& out) {
  const int sw = source.GetWidth(), sh = source.GetHeight();
  const int w = out.GetWidth(), h = out.GetHeight();
  std::vector<Sum> rows(static_cast<size_t>(w) * sh, 0);
  const bool opaque = !source.HasAlpha();
  for (int y = 0; y < sh; ++y) {
    const std::uint32_t* src = source.GetRow(y);
    Sum* row = &rows[static_cast<size_t>(y) * w];
    Sum sum = 0;
    for (int x = 0; x < w; ++x) {
      if (x < sw) sum += opaque ? 255u : (src[x] >> 24);
      if (x >= n) sum -= opaque ? 255u : (src[x - n] >> 24);
      row[x] = sum;
    }
  }

  // The pixel for each possible value, so the inner loop is a look-up.
  const std::uint32_t colourAlpha = Gdiplus::AlphaOf(colour);
  std::uint32_t pixelOf[256];
  for (std::uint32_t value = 0; value < 256; ++value) pixelOf[value] = Premultiplied((value * colourAlpha) >> 8, colour);

  // The value is computed in single precision in the order written above, so
  // every picture matches the one the formula gives.
  const float area = static_cast<float>(n) * static_cast<float>(n);
  std::vector<Sum> column(static_cast<size_t>(w), 0);
  for (int y = 0; y < h; ++y) {
    if (y < sh) {
      const Sum* add = &rows[static_cast<size_t>(y) * w];
      for (int x = 0; x < w; ++x) column[x] += add[x];
    }
    if (y >= n) {
      const Sum* sub = &rows[static_cast<size_t>(y - n) * w];
      for (int x = 0; x < w; ++x) column[x] -= sub[x];
    }
    std::uint32_t* dst = out.GetRow(y);
    for (int x = 0; x < w; ++x) {
      const float v = static_cast<float>(column[x]) * strength / area;
      const std::uint32_t value = v >= 255.0f ? 255u : (v > 0.0f ? static_cast<std::uint32_t>(v) : 0u);
      dst[x] = pixelOf[value];
    }
  }
  out.MarkDirty();
}

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> BuildGlow(const Gdiplus::Bitmap& source, int n, ARGB colour, float strength) {
  if (!source.IsValid() || n < 1 || n > Gdiplus::Bitmap::kMaxSide) return nullptr;
  const int sw = source.GetWidth(), sh = source.GetHeight();
  const long long lw = static_cast<long long>(sw) + n - 1, lh = static_cast<long long>(sh) + n - 1;
  if (lw > Gdiplus::Bitmap::kMaxSide || lh > Gdiplus::Bitmap::kMaxSide || lw * lh > kMaxGlowPixels) return nullptr;
  auto out = std::make_unique<Gdiplus::Bitmap>(static_cast<int>(lw), static_cast<int>(lh), PixelFormat::Format32bppARGB);
  if (!out->IsValid()) return nullptr;
  if (n < 4096) {
    FillGlow<std::uint32_t>(source, n, colour, strength, *out);
  } else {
    FillGlow<std::uint64_t>(source, n, colour, strength, *out);
  }
  return out;
}

namespace {

// Glows already made and still shown somewhere, by what decides their
// pixels: the alpha of the painted item and the glow's parameters. A floor
// of thumbnails of one size casts one shadow picture, not a thousand alike.
struct KeptGlow {
  int width = 0, height = 0, n = 0;
  ARGB colour = 0;
  float strength = 0.0f;
  float density = 1.0f;  // pixels a unit, which the glow's resolution says
  std::vector<std::uint8_t> alpha;
  std::weak_ptr<Gdiplus::Bitmap> glow;

  bool Matches(const KeptGlow& o) const {
    return width == o.width && height == o.height && n == o.n && colour == o.colour && strength == o.strength &&
           density == o.density && alpha == o.alpha;
  }
};

struct GlowStore {
  std::unordered_multimap<std::uint64_t, KeptGlow> kept;
  // Glows no longer shown are swept out when the store has doubled since
  // the last sweep, so a look-up never walks them all.
  size_t sweepAt = 64;
  int builds = 0;

  void Sweep() {
    if (kept.size() < sweepAt) return;
    std::erase_if(kept, [](const auto& entry) { return entry.second.glow.expired(); });
    sweepAt = std::max<size_t>(64, 2 * kept.size());
  }
};

GlowStore& Glows() {
  static GlowStore store;
  return store;
}

std::uint64_t HashOf(const KeptGlow& k) {
  // FNV-1a; the full comparison follows.
  std::uint64_t h = 0xCBF29CE484222325ull;
  auto mix = [&h](const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) h = (h ^ bytes[i]) * 0x100000001B3ull;
  };
  mix(&k.width, sizeof k.width);
  mix(&k.height, sizeof k.height);
  mix(&k.n, sizeof k.n);
  mix(&k.colour, sizeof k.colour);
  mix(&k.strength, sizeof k.strength);
  mix(&k.density, sizeof k.density);
  mix(k.alpha.data(), k.alpha.size());
  return h;
}

std::vector<std::uint8_t> AlphaOf(const Gdiplus::Bitmap& painted) {
  std::vector<std::uint8_t> alpha(static_cast<size_t>(painted.GetWidth()) * painted.GetHeight());
  // The spare byte of an opaque picture's pixels holds no alpha.
  if (painted.GetPixelFormat() == PixelFormat::Format24bppRGB) {
    std::fill(alpha.begin(), alpha.end(), std::uint8_t{0xFF});
    return alpha;
  }
  size_t i = 0;
  for (int y = 0; y < painted.GetHeight(); ++y) {
    const std::uint32_t* row = painted.GetRow(y);
    for (int x = 0; x < painted.GetWidth(); ++x) alpha[i++] = static_cast<std::uint8_t>(row[x] >> 24);
  }
  return alpha;
}

// The picture an item paints, when painting it would only copy that picture
// pixel for pixel: a plain image, shown at its own size (in units, for a
// picture made for a denser screen) from its own corner, with nothing of its
// own drawn over it. Null when it must be painted.
const Gdiplus::Bitmap* PlainPicture(CRSCanvasItem& item, const RectF& rect) {
  auto* image = dynamic_cast<CRSCanvasImage*>(&item);
  if (!image || !image->IsVisible() || !image->DrawsItself() || image->GetPrePaintNotification() ||
      image->GetImageAttributes() || !image->GetChildItems().empty())
    return nullptr;
  const Gdiplus::Bitmap* picture = image->GetImage().get();
  if (!picture || !picture->IsValid()) return nullptr;
  const bool fits = rect.X == 0.0f && rect.Y == 0.0f && rect.Width == picture->GetUnitWidth() &&
                    rect.Height == picture->GetUnitHeight();
  return fits ? picture : nullptr;
}

// The fraction of a pixel at which the corner of rect lies on the root, for
// an item shown at its own size and upright; none for any other.
PointF ScreenFraction(const CRSCanvasItem& item, const RectF& rect) {
  const Gdiplus::Matrix world = item.GetTransformTo(nullptr);
  if (world.M11() != 1.0 || world.M22() != 1.0 || world.M12() != 0.0 || world.M21() != 0.0) return PointF();
  const double x = world.DX() + rect.X, y = world.DY() + rect.Y;
  if (!std::isfinite(x) || !std::isfinite(y)) return PointF();
  return PointF(static_cast<float>(x - std::floor(x)), static_cast<float>(y - std::floor(y)));
}

}  // namespace

std::shared_ptr<Gdiplus::Bitmap> RenderGlow(CRSCanvasItem& item, int n, ARGB colour, float strength, int level) {
  const RectF rect = item.GetLocalRect();
  // Only the alpha of what the item paints counts: a piece's own picture
  // gives it without being painted into a second one first, at that
  // picture's density. Anything else is painted at the screen's, so that
  // the silhouette shows as sharp as the item it follows.
  const Gdiplus::Bitmap* source = PlainPicture(item, rect);
  const float scale = platform::GetDisplayScale();
  float density = source ? source->GetHorizontalResolution() / Gdiplus::Bitmap::kUnitResolution : scale;
  if (source && level > 0) {
    // The halved copy is the one the image itself draws from at that size,
    // so it is made once for both. Its density follows from how often it
    // was actually halved.
    const Gdiplus::Bitmap* reduced = static_cast<CRSCanvasImage&>(item).PictureAtLevel(level);
    if (reduced && reduced->IsValid()) {
      for (int w = source->GetWidth(); w > reduced->GetWidth(); w = (w + 1) / 2) density /= 2.0f;
      source = reduced;
    }
  }
  if (density != 1.0f) n = std::max(1, static_cast<int>(std::lround(n * density)));
  std::optional<Gdiplus::Bitmap> painted;
  if (!source) {
    // An upright item is painted at the fraction of a pixel it lies at on
    // screen, so that its texts find the pictures the screen's paint made of
    // them; a floor of labelled thumbnails would otherwise paint every label
    // twice. The silhouette moves by less than a pixel, under a soft edge.
    const PointF shift = scale == 1.0f ? ScreenFraction(item, rect) : PointF();
    const long w = std::lround(rect.Width * scale + (shift.X > 0.0f ? 1.0f : 0.0f));
    const long h = std::lround(rect.Height * scale + (shift.Y > 0.0f ? 1.0f : 0.0f));
    if (w <= 0 || h <= 0 || w > Gdiplus::Bitmap::kMaxSide || h > Gdiplus::Bitmap::kMaxSide) return nullptr;
    painted.emplace(static_cast<int>(w), static_cast<int>(h), PixelFormat::Format32bppARGB);
    if (!painted->IsValid()) return nullptr;
    {
      Gdiplus::Graphics g(&*painted);
      if (scale != 1.0f) g.ScaleTransform(scale, scale);
      g.TranslateTransform(-rect.X + shift.X, -rect.Y + shift.Y);
      item.Paint(g, CRSCanvasItem::kZOrderTop, false);
      g.Flush();
    }
    source = &*painted;
  }
  // The glow depends on the painted alpha alone: an item whose alpha matches
  // one whose glow is still in use shares that picture.
  KeptGlow key{source->GetWidth(), source->GetHeight(), n, colour, strength, density, AlphaOf(*source), {}};
  const std::uint64_t hash = HashOf(key);
  GlowStore& store = Glows();
  auto [first, last] = store.kept.equal_range(hash);
  for (auto it = first; it != last; ++it) {
    if (!it->second.Matches(key)) continue;
    if (std::shared_ptr<Gdiplus::Bitmap> glow = it->second.glow.lock()) return glow;
  }
  std::shared_ptr<Gdiplus::Bitmap> glow = BuildGlow(*source, n, colour, strength);
  if (!glow) return nullptr;
  const float dpi = Gdiplus::Bitmap::kUnitResolution * density;
  glow->SetResolution(dpi, dpi);
  ++store.builds;
  store.Sweep();
  key.glow = glow;
  store.kept.emplace(hash, std::move(key));
  return glow;
}

int GetGlowBuildCount() { return Glows().builds; }
