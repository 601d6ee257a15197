// Device-resolution layers of painted items.

#include "canvas/items/paint_layer.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Transforms that differ by less than this paint the same pixels.
constexpr double kKeyTolerance = 1e-6;

// The whole-pixel part of the world translation: the layer moves with it.
Point WholeShift(const Gdiplus::Matrix& world) {
  return Point(static_cast<int>(std::floor(world.DX())), static_cast<int>(std::floor(world.DY())));
}

}  // namespace

bool CRSPaintLayer::Key::Equals(const Key& other) const {
  const Gdiplus::Matrix& a = fraction;
  const Gdiplus::Matrix& b = other.fraction;
  return smoothing == other.smoothing && revision == other.revision &&
         std::fabs(a.M11() - b.M11()) < kKeyTolerance && std::fabs(a.M12() - b.M12()) < kKeyTolerance &&
         std::fabs(a.M21() - b.M21()) < kKeyTolerance && std::fabs(a.M22() - b.M22()) < kKeyTolerance &&
         std::fabs(a.DX() - b.DX()) < kKeyTolerance && std::fabs(a.DY() - b.DY()) < kKeyTolerance;
}

void CRSPaintLayer::Drop() {
  m_pieces.clear();
  m_keyValid = false;
}

bool CRSPaintLayer::Paint(Gdiplus::Graphics& g, const RectF& local, unsigned revision, const Painter& paint) {
  // Copy mode replaces what lies below, which a layer drawn over it cannot.
  if (g.GetCompositingMode() != Gdiplus::CompositingModeSourceOver || local.IsEmptyArea()) return false;
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  const Point shift = WholeShift(world);
  Key key;
  key.fraction = Gdiplus::Matrix::FromElements(world.M11(), world.M12(), world.M21(), world.M22(),
                                               world.DX() - shift.X, world.DY() - shift.Y);
  key.smoothing = static_cast<int>(g.GetSmoothingMode());
  key.revision = revision;

  const bool same = m_keyValid && key.Equals(m_key);
  if (!same) {
    // Something changed since the last paint: remember what was asked for
    // and paint directly; a layer pays off only once the item holds still.
    m_pieces.clear();
    m_key = key;
    m_keyValid = true;
    m_stillPaints = 1;
    return false;
  }
  if (m_pieces.empty() && m_stillPaints < kPaintsBeforeLayer) {
    ++m_stillPaints;
    return false;
  }
  if (m_pieces.empty()) {
    // Two pixels of slack on every side hold anti-aliased edges.
    const RectF device = Gdiplus::TransformedBounds(key.fraction, local);
    const int left = static_cast<int>(std::floor(device.GetLeft())) - 2;
    const int top = static_cast<int>(std::floor(device.GetTop())) - 2;
    const int right = static_cast<int>(std::ceil(device.GetRight())) + 2;
    const int bottom = static_cast<int>(std::ceil(device.GetBottom())) + 2;
    const float area = static_cast<float>(right - left) * static_cast<float>(bottom - top);
    if (area > kMaxLayerPixels) return false;
    auto picture = std::make_unique<Gdiplus::Bitmap>(right - left, bottom - top, PixelFormat::Format32bppARGB);
    if (!picture->IsValid()) return false;
    {
      Gdiplus::Graphics lg(picture.get());
      lg.SetSmoothingMode(g.GetSmoothingMode());
      lg.SetInterpolationMode(g.GetInterpolationMode());
      lg.SetTextRenderingHint(g.GetTextRenderingHint());
      Gdiplus::Matrix m = key.fraction;
      m.Translate(static_cast<float>(-left), static_cast<float>(-top), MatrixOrderAppend);
      lg.SetTransform(&m);
      paint(lg);
    }
    m_offset = Point(left, top);
    SplitOpaqueBand(std::move(picture));
    ++m_builds;
  }
  g.ResetTransform();
  for (const Piece& piece : m_pieces)
    g.DrawImage(piece.bitmap.get(), PointF(static_cast<float>(shift.X + m_offset.X + piece.offset.X),
                                           static_cast<float>(shift.Y + m_offset.Y + piece.offset.Y)));
  ++m_draws;
  return true;
}

void CRSPaintLayer::SplitOpaqueBand(std::unique_ptr<Gdiplus::Bitmap> picture) {
  const int w = picture->GetWidth(), h = picture->GetHeight();
  const std::uint8_t* data = picture->GetData();
  const int stride = picture->GetStride();
  auto opaqueRow = [&](int y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < w; ++x)
      if ((row[x] >> 24) != 0xFFu) return false;
    return true;
  };
  // The longest run of opaque rows: a window's face with rounded corners
  // is opaque but for a few rows at the top and bottom.
  int bandTop = 0, bandRows = 0;
  for (int y = 0; y < h;) {
    if (!opaqueRow(y)) {
      ++y;
      continue;
    }
    int end = y + 1;
    while (end < h && opaqueRow(end)) ++end;
    if (end - y > bandRows) bandTop = y, bandRows = end - y;
    y = end;
  }
  // A thin band is not worth the extra pieces.
  if (bandRows < h / 4 || bandRows < 8) {
    m_pieces.push_back({std::move(picture), Point()});
    return;
  }
  auto copyRows = [&](int top, int rows, PixelFormat format) {
    auto piece = std::make_unique<Gdiplus::Bitmap>(w, rows, format);
    if (!piece->IsValid()) return false;
    std::uint8_t* to = piece->GetData();
    const int toStride = piece->GetStride();
    for (int y = 0; y < rows; ++y)
      std::memcpy(to + static_cast<std::ptrdiff_t>(y) * toStride, data + static_cast<std::ptrdiff_t>(top + y) * stride,
                  static_cast<size_t>(w) * 4);
    piece->MarkDirty();
    m_pieces.push_back({std::move(piece), Point(0, top)});
    return true;
  };
  const bool split = (bandTop == 0 || copyRows(0, bandTop, PixelFormat::Format32bppARGB)) &&
                     copyRows(bandTop, bandRows, PixelFormat::Format24bppRGB) &&
                     (bandTop + bandRows == h ||
                      copyRows(bandTop + bandRows, h - bandTop - bandRows, PixelFormat::Format32bppARGB));
  if (!split) {
    m_pieces.clear();
    m_pieces.push_back({std::move(picture), Point()});
  }
}
