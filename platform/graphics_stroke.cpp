// The high-speed stroke: thin solid pens laid down pixel by pixel.
//
// Cairo strokes a path by building the exact outline of the pen along it
// and filling that; for a path of tens of thousands of short segments (every
// cut of a puzzle preview) the outline costs far more than the few pixels it
// covers. Here each segment is walked one pixel at a time and a square of
// the pen's width is set in a coverage mask; the mask is then painted with
// the pen's colour through the context, so the clip and the compositing
// still apply and a pixel where segments meet is painted once.

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/cairo_path.h"
#include "platform/graphics.h"

namespace Gdiplus {

namespace {

// Wider pens look square at their corners when stamped; they take the
// exact outline.
constexpr double kMaxFastWidth = 4.5;
// Axis scales that differ by more than this share stretch the pen.
constexpr double kScaleSkew = 0.01;

struct DevicePoint {
  double x, y;
  bool start;
};

// The largest whole number not above v, without a library call (the build
// does not assume an instruction that rounds down).
inline int FloorToInt(double v) {
  const int i = static_cast<int>(v);
  return i - (v < i ? 1 : 0);
}

// Sets every pixel of a kSide × kSide square around (x, y) in the mask. The
// side is a constant so that each square is a handful of plain stores.
template <int kSide>
inline void Stamp(std::uint8_t* mask, int stride, int w, int h, double x, double y) {
  const int left = FloorToInt(x - kSide * 0.5 + 0.5);
  const int top = FloorToInt(y - kSide * 0.5 + 0.5);
  if (left >= 0 && top >= 0 && left + kSide <= w && top + kSide <= h) {
    std::uint8_t* row = mask + static_cast<std::ptrdiff_t>(top) * stride + left;
    for (int py = 0; py < kSide; ++py, row += stride)
      for (int px = 0; px < kSide; ++px) row[px] = 0xFF;
    return;
  }
  const int l = std::max(0, left), r = std::min(w, left + kSide);
  const int t = std::max(0, top), b = std::min(h, top + kSide);
  for (int py = t; py < b; ++py)
    for (int px = l; px < r; ++px) mask[static_cast<std::ptrdiff_t>(py) * stride + px] = 0xFF;
}

// Walks every segment one pixel at a time, stamping the pen at each step.
// Points are in mask pixels.
template <int kSide>
void StampFigures(const std::vector<DevicePoint>& points, std::uint8_t* mask, int stride, int w, int h) {
  for (size_t i = 0; i < points.size(); ++i) {
    const double x1 = points[i].x, y1 = points[i].y;
    if (points[i].start) {
      // A figure of one point still shows as a dot.
      const bool alone = i + 1 == points.size() || points[i + 1].start;
      if (alone && x1 > -kSide && x1 < w + kSide && y1 > -kSide && y1 < h + kSide)
        Stamp<kSide>(mask, stride, w, h, x1, y1);
      continue;
    }
    double x0 = points[i - 1].x, y0 = points[i - 1].y;
    // Only the part of the segment near the mask is walked: a segment that
    // reaches far outside (a huge shape seen through a small clip) must not
    // cost a step per pixel of its whole length.
    double from = 0.0, to = 1.0;
    const double dx0 = x1 - x0, dy0 = y1 - y0;
    auto keep = [&](double p, double q) {  // the part where p·t ≤ q
      if (p == 0.0) return q >= 0.0;
      const double t = q / p;
      if (p < 0.0) from = std::max(from, t);
      else to = std::min(to, t);
      return from <= to;
    };
    if (!keep(-dx0, x0 + kSide) || !keep(dx0, w + kSide - x0) || !keep(-dy0, y0 + kSide) ||
        !keep(dy0, h + kSide - y0))
      continue;
    x0 += dx0 * from, y0 += dy0 * from;
    const double dx = dx0 * (to - from), dy = dy0 * (to - from);
    const int steps = std::max(1, static_cast<int>(std::ceil(std::max(std::fabs(dx), std::fabs(dy)))));
    const double stepX = dx / steps, stepY = dy / steps;
    for (int s = 0; s <= steps; ++s) Stamp<kSide>(mask, stride, w, h, x0 + stepX * s, y0 + stepY * s);
  }
}

}  // namespace

bool Graphics::StrokePathFast(const Pen* pen, const GraphicsPath& path) {
  if (pen->GetBrush() || pen->GetDashStyle() != DashStyleSolid || m_quality.compositing != CompositingModeSourceOver)
    return false;
  cairo_matrix_t m;
  cairo_get_matrix(m_cr, &m);
  const double sx = std::hypot(m.xx, m.yx), sy = std::hypot(m.xy, m.yy);
  if (std::fabs(sx - sy) > kScaleSkew * std::max(sx, sy)) return false;
  const double width = pen->GetWidth() <= 0.0f ? 1.0 : pen->GetWidth() * sx;
  if (width > kMaxFastWidth) return false;
  const int side = std::max(1, static_cast<int>(std::lround(width)));

  // The path's points taken to device pixels; curves are flattened first.
  std::vector<DevicePoint> points;
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  auto add = [&](double x, double y, bool start) {
    cairo_matrix_transform_point(&m, &x, &y);
    points.push_back({x, y, start});
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  };
  const std::vector<std::uint8_t>& types = path.Types();
  const bool curved = std::any_of(types.begin(), types.end(), [](std::uint8_t t) {
    return (t & PathPointTypePathTypeMask) == PathPointTypeBezier;
  });
  if (!curved) {
    const std::vector<PointF>& from = path.Points();
    points.reserve(from.size() + from.size() / 8);
    size_t figure = 0;
    for (size_t i = 0; i < from.size(); ++i) {
      const bool start = (types[i] & PathPointTypePathTypeMask) == PathPointTypeStart;
      if (start) figure = i;
      add(from[i].X, from[i].Y, start);
      if (types[i] & PathPointTypeCloseSubpath) add(from[figure].X, from[figure].Y, false);
    }
  } else {
    cairo_new_path(m_cr);
    AppendPath(m_cr, path);
    cairo_path_t* flat = cairo_copy_path_flat(m_cr);
    cairo_new_path(m_cr);
    if (!flat || flat->status != CAIRO_STATUS_SUCCESS) {
      cairo_path_destroy(flat);
      return false;
    }
    points.reserve(static_cast<size_t>(flat->num_data));
    double figureX = 0, figureY = 0;
    for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
      const cairo_path_data_t& head = flat->data[i];
      if (head.header.type == CAIRO_PATH_MOVE_TO) {
        figureX = flat->data[i + 1].point.x;
        figureY = flat->data[i + 1].point.y;
        add(figureX, figureY, true);
      } else if (head.header.type == CAIRO_PATH_LINE_TO) {
        add(flat->data[i + 1].point.x, flat->data[i + 1].point.y, false);
      } else if (head.header.type == CAIRO_PATH_CLOSE_PATH) {
        add(figureX, figureY, false);
      }
    }
    cairo_path_destroy(flat);
  }
  if (points.empty()) return true;

  // The mask covers what the clip and the target leave of the path's box.
  cairo_identity_matrix(m_cr);
  double cx1, cy1, cx2, cy2;
  cairo_clip_extents(m_cr, &cx1, &cy1, &cx2, &cy2);
  cairo_set_matrix(m_cr, &m);
  // Coordinates are brought within the target's reach before they become
  // whole numbers, so a far-away point cannot overflow them.
  auto whole = [](double v) { return static_cast<int>(std::clamp(v, -1e8, 1e8)); };
  const int left = std::max({0, whole(std::floor(cx1)), whole(std::floor(minX)) - side});
  const int top = std::max({0, whole(std::floor(cy1)), whole(std::floor(minY)) - side});
  const int right = std::min({m_width, whole(std::ceil(cx2)), whole(std::ceil(maxX)) + side + 1});
  const int bottom = std::min({m_height, whole(std::ceil(cy2)), whole(std::ceil(maxY)) + side + 1});
  if (right <= left || bottom <= top) return true;
  const int w = right - left, h = bottom - top;
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(mask);
    return false;
  }
  cairo_surface_flush(mask);
  std::uint8_t* data = cairo_image_surface_get_data(mask);
  const int stride = cairo_image_surface_get_stride(mask);

  for (DevicePoint& p : points) p.x -= left, p.y -= top;
  switch (side) {
    case 1: StampFigures<1>(points, data, stride, w, h); break;
    case 2: StampFigures<2>(points, data, stride, w, h); break;
    case 3: StampFigures<3>(points, data, stride, w, h); break;
    case 4: StampFigures<4>(points, data, stride, w, h); break;
    default: StampFigures<5>(points, data, stride, w, h); break;
  }
  cairo_surface_mark_dirty(mask);

  Color colour;
  pen->GetColor(&colour);
  cairo_save(m_cr);
  cairo_identity_matrix(m_cr);
  cairo_set_source_rgba(m_cr, colour.GetR() / 255.0, colour.GetG() / 255.0, colour.GetB() / 255.0,
                        colour.GetA() / 255.0);
  cairo_mask_surface(m_cr, mask, left, top);
  cairo_restore(m_cr);
  cairo_surface_destroy(mask);
  return true;
}

}  // namespace Gdiplus
