// Shared pictures of outlined texts, and the shape text's paint through them.

#include "canvas/items/text_pictures.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <list>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "canvas/items.h"
#include "platform/brush.h"
#include "platform/graphics_path.h"
#include "platform/outlined_fill.h"
#include "platform/pen.h"

namespace text_pictures {
namespace {

// The translation is compared in steps of this fraction of a pixel: finer
// differences cannot be seen, and coarser ones would move the edges.
constexpr double kTranslationSteps = 1024.0;

struct PenLook {
  ARGB colour;
  float width;
  int join;
  int cap;
  int dash;
  float miterLimit;
  bool operator==(const PenLook&) const = default;
};

// A look holds at most this many brushes and pens; a text painted with more
// is painted as it is.
constexpr int kMaxStrokes = 4;

// Everything that decides the pixels of a look but the outline itself,
// which is compared with the shape's path where it lies.
struct Look {
  std::array<ARGB, kMaxStrokes> brushes{};
  std::array<PenLook, kMaxStrokes> pens{};
  int brushCount = 0;
  int penCount = 0;
  int fillMode = 0;
  bool antiAliasFill = false;
  bool antiAliasOutline = false;
  int smoothing = 0;
  int pixelOffset = 0;
  // The linear part of the world transform and the translation's fraction
  // of a pixel, in steps of 1 / kTranslationSteps.
  double m11 = 1, m22 = 1;
  long long fractionX = 0, fractionY = 0;
  float localX = 0, localY = 0, localWidth = 0, localHeight = 0;
  bool operator==(const Look&) const = default;

  RectF Local() const { return RectF(localX, localY, localWidth, localHeight); }
};

std::uint64_t Mix(std::uint64_t hash, const void* data, std::size_t size) {
  // FNV-1a over the bytes; the hash is only a first sieve before the full
  // comparison.
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3ull;
  return hash;
}

template <class T>
std::uint64_t MixValue(std::uint64_t hash, const T& value) {
  return Mix(hash, &value, sizeof value);
}

std::uint64_t HashOf(const Look& look, const Gdiplus::GraphicsPath& path) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  h = Mix(h, path.Points().data(), path.Points().size() * sizeof(PointF));
  h = Mix(h, path.Types().data(), path.Types().size());
  h = Mix(h, look.brushes.data(), static_cast<std::size_t>(look.brushCount) * sizeof(ARGB));
  for (int i = 0; i < look.penCount; ++i) {
    const PenLook& pen = look.pens[static_cast<std::size_t>(i)];
    h = MixValue(h, pen.colour);
    h = MixValue(h, pen.width);
    h = MixValue(h, pen.join + 8 * pen.cap + 64 * pen.dash);
    h = MixValue(h, pen.miterLimit);
  }
  h = MixValue(h, look.fillMode + 8 * look.smoothing + 64 * look.pixelOffset + (look.antiAliasFill ? 1024 : 0) +
                      (look.antiAliasOutline ? 2048 : 0));
  h = MixValue(h, look.m11);
  h = MixValue(h, look.m22);
  h = MixValue(h, look.fractionX);
  h = MixValue(h, look.fractionY);
  h = MixValue(h, look.localX);
  h = MixValue(h, look.localY);
  h = MixValue(h, look.localWidth);
  h = MixValue(h, look.localHeight);
  return h;
}

struct Kept {
  std::uint64_t hash = 0;
  Look look;
  std::vector<PointF> points;
  std::vector<std::uint8_t> types;
  std::unique_ptr<Gdiplus::Bitmap> picture;
  // The picture's corner relative to the whole-pixel part of the translation.
  Point offset;
  std::size_t pixels = 0;
};

// Point by point, bit for bit: two outlines that differ anywhere may differ
// in a pixel.
bool SamePoints(const std::vector<PointF>& a, const std::vector<PointF>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(PointF)) == 0);
}

class Store {
 public:
  // The most recently used first.
  std::list<Kept> kept;
  std::unordered_multimap<std::uint64_t, std::list<Kept>::iterator> byHash;
  std::size_t pixels = 0;
  int builds = 0;
  int hits = 0;

  Kept* Find(std::uint64_t hash, const Look& look, const Gdiplus::GraphicsPath& path) {
    auto [first, last] = byHash.equal_range(hash);
    for (auto it = first; it != last; ++it) {
      const Kept& candidate = *it->second;
      if (candidate.look == look && candidate.types == path.Types() && SamePoints(candidate.points, path.Points())) {
        kept.splice(kept.begin(), kept, it->second);
        return &*it->second;
      }
    }
    return nullptr;
  }

  Kept& Add(Kept entry) {
    pixels += entry.pixels;
    kept.push_front(std::move(entry));
    byHash.emplace(kept.front().hash, kept.begin());
    // The new one is first, so it is never the one let go.
    while (pixels > kMaxKeptPixels && kept.size() > 1) Drop(std::prev(kept.end()));
    return kept.front();
  }

  void Drop(std::list<Kept>::iterator it) {
    auto [first, last] = byHash.equal_range(it->hash);
    for (auto h = first; h != last; ++h) {
      if (h->second == it) {
        byHash.erase(h);
        break;
      }
    }
    pixels -= it->pixels;
    kept.erase(it);
  }

  void Clear() {
    byHash.clear();
    kept.clear();
    pixels = 0;
  }
};

Store& TheStore() {
  static Store store;
  return store;
}

// Fills look from the shape and the graphics; false when the look cannot be
// told apart by these values.
bool Describe(CRSCanvasShape& shape, const Gdiplus::Graphics& g, const Brushes& brushes, Look* look,
              Point* shift) {
  if (g.GetCompositingMode() != Gdiplus::CompositingModeSourceOver) return false;
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  // A turned or sheared text is painted as it is: its edges fall on the
  // pixels differently at every angle, so there is nothing to share.
  if (world.M12() != 0.0 || world.M21() != 0.0 || world.M11() <= 0.0 || world.M22() <= 0.0) return false;
  const Gdiplus::GraphicsPath* path = shape.GetPath();
  if (!path || path->IsEmpty()) return false;

  if (brushes.size() > kMaxStrokes || shape.GetPenCount() > kMaxStrokes) return false;
  for (const auto& brush : brushes) {
    if (!brush || brush->GetType() != Gdiplus::BrushTypeSolidColor) return false;
    Gdiplus::Color colour;
    static_cast<const Gdiplus::SolidBrush*>(brush.get())->GetColor(&colour);
    look->brushes[static_cast<std::size_t>(look->brushCount++)] = colour.GetValue();
  }
  for (int i = 0; i < shape.GetPenCount(); ++i) {
    const Gdiplus::Pen* pen = shape.GetPen(i);
    if (!pen || pen->GetBrush()) return false;
    Gdiplus::Color colour;
    pen->GetColor(&colour);
    look->pens[static_cast<std::size_t>(look->penCount++)] = {
        colour.GetValue(),           pen->GetWidth(),       static_cast<int>(pen->GetLineJoin()),
        static_cast<int>(pen->GetLineCap()), static_cast<int>(pen->GetDashStyle()), pen->GetMiterLimit()};
  }

  const RectF local = shape.GetLocalRect();
  if (local.IsEmptyArea()) return false;
  look->localX = local.X;
  look->localY = local.Y;
  look->localWidth = local.Width;
  look->localHeight = local.Height;
  const RectF device = Gdiplus::TransformedBounds(world, local);
  if (device.Width * device.Height > kMaxPicturePixels) return false;

  look->fillMode = static_cast<int>(path->GetFillMode());
  look->antiAliasFill = shape.GetAntiAliasFill();
  look->antiAliasOutline = shape.GetAntiAliasOutline();
  look->smoothing = static_cast<int>(g.GetSmoothingMode());
  look->pixelOffset = static_cast<int>(g.GetPixelOffsetMode());
  look->m11 = world.M11();
  look->m22 = world.M22();
  // The translation in steps; its whole pixels move the picture, the rest
  // is part of the look.
  const long long stepsX = std::llround(world.DX() * kTranslationSteps);
  const long long stepsY = std::llround(world.DY() * kTranslationSteps);
  const auto steps = static_cast<long long>(kTranslationSteps);
  const long long wholeX = stepsX >= 0 ? stepsX / steps : -((-stepsX + steps - 1) / steps);
  const long long wholeY = stepsY >= 0 ? stepsY / steps : -((-stepsY + steps - 1) / steps);
  look->fractionX = stepsX - wholeX * steps;
  look->fractionY = stepsY - wholeY * steps;
  *shift = Point(static_cast<int>(wholeX), static_cast<int>(wholeY));
  return true;
}

// The transform of a look, less its whole pixels.
Gdiplus::Matrix FractionMatrix(const Look& look) {
  return Gdiplus::Matrix::FromElements(look.m11, 0.0, 0.0, look.m22,
                                       static_cast<double>(look.fractionX) / kTranslationSteps,
                                       static_cast<double>(look.fractionY) / kTranslationSteps);
}

// Paints a look of solid fills and thin solid pens through the distance
// painter, which costs a fraction of the library's fill and stroke; false
// when the look needs the library.
bool PaintByDistance(const Look& look, const Gdiplus::GraphicsPath& path, const Gdiplus::Matrix& toPicture,
                     Gdiplus::Bitmap& picture) {
  if (look.brushCount > 0 && !look.antiAliasFill) return false;
  if (look.penCount > 0 && !look.antiAliasOutline) return false;
  // A pen is round only where both axes scale alike.
  if (look.penCount > 0 && std::fabs(look.m11 - look.m22) > 1e-6 * std::max(look.m11, look.m22)) return false;
  std::array<Gdiplus::OutlinePen, kMaxStrokes> pens{};
  for (int i = 0; i < look.penCount; ++i) {
    const PenLook& pen = look.pens[static_cast<std::size_t>(i)];
    if (pen.dash != Gdiplus::DashStyleSolid) return false;
    // A pen of no width draws one pixel whatever the scale.
    pens[static_cast<std::size_t>(i)] = {pen.colour, pen.width <= 0.0f ? 1.0 : pen.width * look.m11};
  }
  return Gdiplus::PaintOutlinedFill(picture, toPicture, path,
                                    std::span(look.brushes.data(), static_cast<std::size_t>(look.brushCount)),
                                    std::span(pens.data(), static_cast<std::size_t>(look.penCount)));
}

bool BuildPicture(Kept& entry, const Gdiplus::Graphics& g, const Gdiplus::GraphicsPath& path, const Painter& paint) {
  const Gdiplus::Matrix fraction = FractionMatrix(entry.look);
  const RectF device = Gdiplus::TransformedBounds(fraction, entry.look.Local());
  // Two pixels of slack on every side hold anti-aliased edges.
  const int left = static_cast<int>(std::floor(device.GetLeft())) - 2;
  const int top = static_cast<int>(std::floor(device.GetTop())) - 2;
  const int right = static_cast<int>(std::ceil(device.GetRight())) + 2;
  const int bottom = static_cast<int>(std::ceil(device.GetBottom())) + 2;
  auto picture = std::make_unique<Gdiplus::Bitmap>(right - left, bottom - top, PixelFormat::Format32bppARGB);
  if (!picture->IsValid()) return false;
  Gdiplus::Matrix m = fraction;
  m.Translate(static_cast<float>(-left), static_cast<float>(-top), MatrixOrderAppend);
  if (!PaintByDistance(entry.look, path, m, *picture)) {
    Gdiplus::Graphics pg(picture.get());
    pg.SetSmoothingMode(g.GetSmoothingMode());
    pg.SetPixelOffsetMode(g.GetPixelOffsetMode());
    pg.SetTransform(&m);
    paint(pg);
    pg.Flush();
  }
  entry.offset = Point(left, top);
  entry.pixels = static_cast<std::size_t>(right - left) * static_cast<std::size_t>(bottom - top);
  entry.picture = std::move(picture);
  return true;
}

}  // namespace

bool Paint(CRSCanvasShape& shape, Gdiplus::Graphics& g, const Brushes& brushes, const Painter& paint) {
  Look look;
  Point shift;
  if (!Describe(shape, g, brushes, &look, &shift)) return false;
  const Gdiplus::GraphicsPath& path = *shape.GetPath();
  Store& store = TheStore();
  const std::uint64_t hash = HashOf(look, path);
  Kept* kept = store.Find(hash, look, path);
  if (kept) {
    ++store.hits;
  } else {
    Kept entry;
    entry.hash = hash;
    entry.look = look;
    entry.points = path.Points();
    entry.types = path.Types();
    if (!BuildPicture(entry, g, path, paint)) return false;
    ++store.builds;
    kept = &store.Add(std::move(entry));
  }
  g.ResetTransform();
  g.DrawImage(kept->picture.get(), PointF(static_cast<float>(shift.X + kept->offset.X),
                                          static_cast<float>(shift.Y + kept->offset.Y)));
  return true;
}

namespace {

struct OutlineStore {
  // The most recently laid out last; the key is every argument, in bytes.
  std::list<std::pair<std::string, Gdiplus::GraphicsPath>> order;
  std::unordered_map<std::string, std::list<std::pair<std::string, Gdiplus::GraphicsPath>>::iterator> byKey;
  int builds = 0;
};

OutlineStore& Outlines() {
  static OutlineStore store;
  return store;
}

template <class T>
void Append(std::string& key, const T& value) {
  key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

std::unique_ptr<Gdiplus::GraphicsPath> Outline(const std::string& text, const Gdiplus::FontFamily& family, int style,
                                               float emSize, const RectF& layout, const Gdiplus::StringFormat& format) {
  std::string key = family.GetName();
  key.push_back('\0');
  Append(key, style);
  Append(key, emSize);
  Append(key, layout.X);
  Append(key, layout.Y);
  Append(key, layout.Width);
  Append(key, layout.Height);
  Append(key, static_cast<int>(format.GetAlignment()));
  Append(key, static_cast<int>(format.GetLineAlignment()));
  Append(key, static_cast<int>(format.GetTrimming()));
  Append(key, static_cast<int>(format.GetHotkeyPrefix()));
  Append(key, format.GetFormatFlags());
  key += text;
  OutlineStore& store = Outlines();
  const auto found = store.byKey.find(key);
  if (found != store.byKey.end()) {
    store.order.splice(store.order.end(), store.order, found->second);
    return std::make_unique<Gdiplus::GraphicsPath>(found->second->second);
  }
  auto path = std::make_unique<Gdiplus::GraphicsPath>();
  path->AddString(text, &family, style, emSize, layout, &format);
  ++store.builds;
  store.order.emplace_back(key, *path);
  store.byKey.emplace(std::move(key), std::prev(store.order.end()));
  if (store.order.size() > kMaxKeptOutlines) {
    store.byKey.erase(store.order.front().first);
    store.order.pop_front();
  }
  return path;
}

int OutlineBuildCount() { return Outlines().builds; }

std::size_t KeptCount() { return TheStore().kept.size(); }
int BuildCount() { return TheStore().builds; }
int HitCount() { return TheStore().hits; }
void Clear() { TheStore().Clear(); }

}  // namespace text_pictures

void CRSCanvasShapeText::PaintContent(Gdiplus::Graphics& g, bool useCache) {
  // The shared picture is keyed on everything that decides its pixels, so
  // it serves off-screen paints (glows, silhouettes) as well as the window.
  if (text_pictures::Paint(*this, g, Brushes(), [this](Gdiplus::Graphics& pg) { PaintDirect(pg); })) return;
  CRSCanvasShape::PaintContent(g, useCache);
}
