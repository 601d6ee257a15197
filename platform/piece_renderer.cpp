#include "platform/piece_renderer.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// Owns a drawing context for the length of one call.
struct Context {
  explicit Context(cairo_surface_t* target) : cr(cairo_create(target)) {}
  ~Context() { cairo_destroy(cr); }
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;
  bool Ok() const { return cairo_status(cr) == CAIRO_STATUS_SUCCESS; }
  cairo_t* cr;
};

bool Usable(const Bitmap& b) { return b.IsValid() && b.GetWidth() > 0 && b.GetHeight() > 0; }

// Where an outline edge crosses the centre line of a pixel row.
struct Crossing {
  int row;
  double x;
  bool operator<(const Crossing& other) const { return row != other.row ? row < other.row : x < other.x; }
};

// The crossings of the piece being cut. Thousands of pieces are cut in a
// row, on several threads: one buffer per thread, kept from piece to piece,
// rather than a list per pixel row of every piece.
std::vector<Crossing>& CrossingBuffer() {
  thread_local std::vector<Crossing> buffer;
  buffer.clear();
  return buffer;
}

}  // namespace

std::unique_ptr<Bitmap> CopyArea(const Bitmap& picture, const Rect& area) {
  if (!Usable(picture) || area.IsEmptyArea()) return nullptr;
  auto copy = std::make_unique<Bitmap>(area.Width, area.Height, PixelFormat::Format24bppRGB);
  if (!copy->IsValid()) return nullptr;
  Context ctx(copy->GetSurface());
  if (!ctx.Ok()) return nullptr;
  cairo_set_source_rgb(ctx.cr, 0, 0, 0);
  cairo_paint(ctx.cr);
  cairo_set_operator(ctx.cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(ctx.cr, picture.GetSurface(), -area.X, -area.Y);
  cairo_rectangle(ctx.cr, 0, 0, area.Width, area.Height);
  cairo_fill(ctx.cr);
  cairo_surface_flush(copy->GetSurface());
  return copy;
}

std::unique_ptr<Bitmap> ScaledCopy(const Bitmap& picture, int width, int height) {
  if (!Usable(picture) || width <= 0 || height <= 0) return nullptr;
  auto copy = std::make_unique<Bitmap>(width, height, PixelFormat::Format32bppARGB);
  if (!copy->IsValid()) return nullptr;
  Context ctx(copy->GetSurface());
  if (!ctx.Ok()) return nullptr;
  cairo_scale(ctx.cr, static_cast<double>(width) / picture.GetWidth(),
              static_cast<double>(height) / picture.GetHeight());
  cairo_set_source_surface(ctx.cr, picture.GetSurface(), 0, 0);
  // Pad the edges so that the border pixels are not blended with
  // transparency while scaling.
  cairo_pattern_set_extend(cairo_get_source(ctx.cr), CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(cairo_get_source(ctx.cr), CAIRO_FILTER_GOOD);
  cairo_set_operator(ctx.cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(ctx.cr);
  cairo_surface_flush(copy->GetSurface());
  return copy;
}

std::unique_ptr<Bitmap> CopyInsideOutline(const Bitmap& source, const std::vector<PointF>& outline,
                                          float scaleX, float scaleY, const Rect& area) {
  if (!Usable(source) || area.IsEmptyArea() || outline.size() < 3) return nullptr;
  // The drawing library's aliased fill was tried first: near the vertices
  // of a shared edge it hands some pixels to both neighbours. This scan
  // conversion samples every pixel at its centre and works in the source
  // picture's own coordinates, so two pieces that share an edge compute the
  // very same crossings and split the pixels on it between them exactly.
  const int rows = area.Height;
  std::vector<Crossing>& crossings = CrossingBuffer();
  const size_t n = outline.size();
  for (size_t i = 0; i < n; ++i) {
    double ax = static_cast<double>(outline[i].X) * scaleX, ay = static_cast<double>(outline[i].Y) * scaleY;
    double bx = static_cast<double>(outline[(i + 1) % n].X) * scaleX;
    double by = static_cast<double>(outline[(i + 1) % n].Y) * scaleY;
    if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by)) return nullptr;
    if (ay == by) continue;
    // Ordered by height, so that the crossing does not depend on which way
    // round the piece runs along the edge.
    if (ay > by) {
      std::swap(ax, bx);
      std::swap(ay, by);
    }
    // Rows whose centre lies in [ay, by).
    const double first = std::max<double>(std::ceil(ay - 0.5), area.Y);
    const double last = std::min<double>(std::ceil(by - 0.5) - 1.0, area.Y + rows - 1.0);
    const double slope = (bx - ax) / (by - ay);
    for (double y = first; y <= last; y += 1.0) {
      crossings.push_back({static_cast<int>(y - area.Y), ax + (y + 0.5 - ay) * slope});
    }
  }

  auto piece = std::make_unique<Bitmap>(area.Width, area.Height, PixelFormat::Format32bppARGB);
  if (!piece->IsValid()) return nullptr;
  // A fresh picture is transparent; only the spans inside are written.
  const std::uint32_t opaque = source.HasAlpha() ? 0u : 0xFF000000u;
  const int sourceWidth = source.GetWidth(), sourceHeight = source.GetHeight();
  // Row by row, each row's crossings from left to right.
  std::sort(crossings.begin(), crossings.end());
  for (size_t first = 0; first < crossings.size();) {
    const int row = crossings[first].row;
    size_t last = first;
    while (last < crossings.size() && crossings[last].row == row) ++last;
    const int y = area.Y + row;
    if (last - first >= 2 && y >= 0 && y < sourceHeight) {
      const std::uint32_t* from = source.GetRow(y);
      std::uint32_t* to = piece->GetRow(row);
      // Inside between the first and second crossing, the third and fourth,
      // and so on: the even-odd rule. A pixel is inside when its centre is
      // at or right of the opening crossing and left of the closing one.
      for (size_t k = first; k + 1 < last; k += 2) {
        const double begin = std::max({std::ceil(crossings[k].x - 0.5), static_cast<double>(area.X), 0.0});
        const double end = std::min({std::ceil(crossings[k + 1].x - 0.5), static_cast<double>(area.X + area.Width),
                                     static_cast<double>(sourceWidth)});
        for (int x = static_cast<int>(begin); x < static_cast<int>(end); ++x) to[x - area.X] = from[x] | opaque;
      }
    }
    first = last;
  }
  piece->MarkDirty();
  return piece;
}

}  // namespace platform
