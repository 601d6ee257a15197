// Device-resolution layers of painted items.

#include "canvas/items/paint_layer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

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
    SplitIntoPieces(std::move(picture));
    ++m_builds;
  }
  g.ResetTransform();
  // Pieces outside the clip are not handed to the library at all.
  RectF clip;
  g.GetClipBounds(&clip);
  for (const Piece& piece : m_pieces) {
    const PointF at(static_cast<float>(shift.X + m_offset.X + piece.offset.X),
                    static_cast<float>(shift.Y + m_offset.Y + piece.offset.Y));
    const RectF area(at.X, at.Y, static_cast<float>(piece.bitmap->GetWidth()),
                     static_cast<float>(piece.bitmap->GetHeight()));
    if (area.IntersectsWith(clip)) g.DrawImage(piece.bitmap.get(), at);
  }
  ++m_draws;
  return true;
}

void CRSPaintLayer::SplitIntoPieces(std::unique_ptr<Gdiplus::Bitmap> picture) {
  const int w = picture->GetWidth(), h = picture->GetHeight();
  const std::uint8_t* data = picture->GetData();
  const int stride = picture->GetStride();
  const int columns = (w + kTile - 1) / kTile, rows = (h + kTile - 1) / kTile;
  // Each tile is empty (every pixel transparent), solid (every pixel
  // opaque) or mixed.
  enum : std::uint8_t { kEmpty, kMixed, kSolid };
  std::vector<std::uint8_t> kinds(static_cast<size_t>(columns) * rows);
  for (int ty = 0; ty < rows; ++ty) {
    for (int tx = 0; tx < columns; ++tx) {
      bool any = false, all = true;
      const int x0 = tx * kTile, x1 = std::min(w, x0 + kTile);
      for (int y = ty * kTile; y < std::min(h, (ty + 1) * kTile); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = x0; x < x1; ++x) {
          const std::uint32_t alpha = row[x] >> 24;
          any = any || alpha != 0;
          all = all && alpha == 0xFFu;
        }
      }
      kinds[static_cast<size_t>(ty) * columns + tx] = all ? kSolid : any ? kMixed : kEmpty;
    }
  }
  // Runs of tiles of one kind along each row of tiles; a run with the same
  // place and kind as one in the row above grows that rectangle downward.
  struct Run {
    int first, last;  // tile columns
    std::uint8_t kind;
    int top, bottom;  // tile rows, bottom exclusive
  };
  std::vector<Run> done, open;
  for (int ty = 0; ty < rows; ++ty) {
    std::vector<Run> here;
    for (int tx = 0; tx < columns;) {
      const std::uint8_t kind = kinds[static_cast<size_t>(ty) * columns + tx];
      int end = tx + 1;
      while (end < columns && kinds[static_cast<size_t>(ty) * columns + end] == kind) ++end;
      if (kind != kEmpty) here.push_back({tx, end - 1, kind, ty, ty + 1});
      tx = end;
    }
    for (Run& run : here) {
      for (Run& above : open) {
        if (above.first == run.first && above.last == run.last && above.kind == run.kind && above.bottom == ty) {
          run.top = above.top;
          above.kind = kEmpty;  // taken over by run
        }
      }
    }
    for (const Run& above : open)
      if (above.kind != kEmpty) done.push_back(above);
    open = std::move(here);
  }
  done.insert(done.end(), open.begin(), open.end());
  // Many small pieces would cost more in calls than they spare in pixels.
  if (done.empty() || done.size() > kMaxPieces) {
    if (!done.empty()) m_pieces.push_back({std::move(picture), Point()});
    return;
  }
  for (const Run& run : done) {
    const int left = run.first * kTile, right = std::min(w, (run.last + 1) * kTile);
    const int top = run.top * kTile, bottom = std::min(h, run.bottom * kTile);
    auto piece = std::make_unique<Gdiplus::Bitmap>(
        right - left, bottom - top, run.kind == kSolid ? PixelFormat::Format24bppRGB : PixelFormat::Format32bppARGB);
    if (!piece->IsValid()) {
      m_pieces.clear();
      m_pieces.push_back({std::move(picture), Point()});
      return;
    }
    std::uint8_t* to = piece->GetData();
    const int toStride = piece->GetStride();
    for (int y = top; y < bottom; ++y)
      std::memcpy(to + static_cast<std::ptrdiff_t>(y - top) * toStride,
                  data + static_cast<std::ptrdiff_t>(y) * stride + static_cast<std::ptrdiff_t>(left) * 4,
                  static_cast<size_t>(right - left) * 4);
    piece->MarkDirty();
    m_pieces.push_back({std::move(piece), Point(left, top)});
  }
}
