// Filled and outlined paths from each pixel's distance to the outline.

#include "platform/outlined_fill.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Gdiplus {
namespace {

// Curves are flattened until no control point lies farther than this from
// its chord, in pixels: the library's own tolerance.
constexpr double kTolerance = 0.1;
constexpr int kMaxCurveDepth = 12;
// A picture larger than this is not a label.
constexpr int kMaxPixels = 1 << 20;

struct Edge {
  double x0, y0, x1, y1;
};

struct Flattener {
  std::vector<Edge>& edges;
  double lastX = 0, lastY = 0;

  void LineTo(double x, double y) {
    if (x != lastX || y != lastY) edges.push_back({lastX, lastY, x, y});
    lastX = x;
    lastY = y;
  }

  // Whether p lies within the tolerance of the chord from a to b.
  static bool NearChord(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double lengthSquared = dx * dx + dy * dy;
    const double cross = (px - ax) * dy - (py - ay) * dx;
    if (lengthSquared < 1e-24) return (px - ax) * (px - ax) + (py - ay) * (py - ay) <= kTolerance * kTolerance;
    return cross * cross <= kTolerance * kTolerance * lengthSquared;
  }

  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3, int depth) {
    const double x0 = lastX, y0 = lastY;
    if (depth >= kMaxCurveDepth || (NearChord(x1, y1, x0, y0, x3, y3) && NearChord(x2, y2, x0, y0, x3, y3))) {
      LineTo(x3, y3);
      return;
    }
    // Halved by de Casteljau's construction.
    const double ax = (x0 + x1) / 2, ay = (y0 + y1) / 2;
    const double bx = (x1 + x2) / 2, by = (y1 + y2) / 2;
    const double cx = (x2 + x3) / 2, cy = (y2 + y3) / 2;
    const double abx = (ax + bx) / 2, aby = (ay + by) / 2;
    const double bcx = (bx + cx) / 2, bcy = (by + cy) / 2;
    const double mx = (abx + bcx) / 2, my = (aby + bcy) / 2;
    CurveTo(ax, ay, abx, aby, mx, my, depth + 1);
    CurveTo(bcx, bcy, cx, cy, x3, y3, depth + 1);
  }
};

// The path's figures as closed polygons in picture pixels; false when a
// figure is left open and open figures matter (they are stroked open).
bool Flatten(const GraphicsPath& path, const Matrix& m, bool needClosed, std::vector<Edge>& edges) {
  const std::vector<PointF>& points = path.Points();
  const std::vector<std::uint8_t>& types = path.Types();
  auto at = [&](std::size_t i, double* x, double* y) {
    const double px = points[i].X, py = points[i].Y;
    *x = m.M11() * px + m.M21() * py + m.DX();
    *y = m.M12() * px + m.M22() * py + m.DY();
  };
  Flattener flat{edges};
  double startX = 0, startY = 0;
  bool figureOpen = false;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const int kind = types[i] & PathPointTypePathTypeMask;
    double x, y;
    at(i, &x, &y);
    if (kind == PathPointTypeStart) {
      if (figureOpen) {
        if (needClosed) return false;
        flat.LineTo(startX, startY);
      }
      startX = flat.lastX = x;
      startY = flat.lastY = y;
      figureOpen = true;
    } else if (kind == PathPointTypeBezier && i + 2 < points.size()) {
      double x2, y2, x3, y3;
      at(i + 1, &x2, &y2);
      at(i + 2, &x3, &y3);
      flat.CurveTo(x, y, x2, y2, x3, y3, 0);
      i += 2;
    } else {
      flat.LineTo(x, y);
    }
    if (types[i] & PathPointTypeCloseSubpath) {
      flat.LineTo(startX, startY);
      figureOpen = false;
    }
  }
  if (figureOpen) {
    if (needClosed) return false;
    flat.LineTo(startX, startY);
  }
  return true;
}

// The share of a pixel covered by the half-plane on the inner side of an
// edge at signed distance d from its centre (positive outside).
inline float Coverage(float d) { return std::clamp(0.5f - d, 0.0f, 1.0f); }

struct Coat {
  float r, g, b, a;  // premultiplied, 0..255
};

Coat CoatOf(ARGB colour) {
  const float a = static_cast<float>(colour >> 24);
  const float k = a / 255.0f;
  return {static_cast<float>((colour >> 16) & 0xFF) * k, static_cast<float>((colour >> 8) & 0xFF) * k,
          static_cast<float>(colour & 0xFF) * k, a};
}

inline std::uint32_t Over(std::uint32_t below, const Coat& coat, float share) {
  if (share <= 0.0f) return below;
  const float through = 1.0f - coat.a * share / 255.0f;
  auto channel = [&](int shift, float top) {
    const float v = top * share + static_cast<float>((below >> shift) & 0xFF) * through;
    return static_cast<std::uint32_t>(std::min(255.0f, v + 0.5f)) << shift;
  };
  return channel(24, coat.a) | channel(16, coat.r) | channel(8, coat.g) | channel(0, coat.b);
}

}  // namespace

bool PaintOutlinedFill(Bitmap& picture, const Matrix& toPicture, const GraphicsPath& path,
                       std::span<const ARGB> fills, std::span<const OutlinePen> pens) {
  const int w = static_cast<int>(picture.GetWidth()), h = static_cast<int>(picture.GetHeight());
  if (w <= 0 || h <= 0 || w * static_cast<long long>(h) > kMaxPixels || picture.GetData() == nullptr) return false;
  double widest = 0;
  for (const OutlinePen& pen : pens) {
    if (!(pen.width > 0.0) || pen.width > kMaxOutlinePenWidth) return false;
    widest = std::max(widest, pen.width);
  }
  std::vector<Edge> edges;
  edges.reserve(path.Points().size() * 2);
  if (!Flatten(path, toPicture, !pens.empty(), edges)) return false;
  if (edges.empty()) return true;

  // Inside or out at every pixel centre, by the fill rule, row by row: each
  // edge crosses the centre line of the rows it spans once.
  struct Crossing {
    int row;
    float x;
    int direction;
    bool operator<(const Crossing& o) const { return row != o.row ? row < o.row : x < o.x; }
  };
  std::vector<Crossing> crossings;
  crossings.reserve(edges.size() * 2);
  for (const Edge& e : edges) {
    if (e.y0 == e.y1) continue;
    // Rows whose centre y + 0.5 lies in [min, max) of the edge.
    const double top = std::min(e.y0, e.y1), bottom = std::max(e.y0, e.y1);
    const int first = std::max(0, static_cast<int>(std::ceil(top - 0.5)));
    const int last = std::min(h, static_cast<int>(std::ceil(bottom - 0.5)));
    const double slope = (e.x1 - e.x0) / (e.y1 - e.y0);
    for (int y = first; y < last; ++y)
      crossings.push_back({y, static_cast<float>(e.x0 + (y + 0.5 - e.y0) * slope), e.y1 > e.y0 ? 1 : -1});
  }
  std::sort(crossings.begin(), crossings.end());
  const bool winding = path.GetFillMode() == FillModeWinding;
  std::vector<std::uint8_t> inside(static_cast<std::size_t>(w) * h, 0);
  int count = 0;
  for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
    const Crossing& c = crossings[i];
    if (i == 0 || crossings[i - 1].row != c.row) count = 0;
    count += winding ? c.direction : 1;
    const bool in = winding ? count != 0 : (count & 1) != 0;
    if (!in || crossings[i + 1].row != c.row) continue;
    // Pixel centres x + 0.5 from this crossing up to the next.
    std::uint8_t* row = inside.data() + static_cast<std::size_t>(c.row) * w;
    const int from = std::max(0, static_cast<int>(std::ceil(c.x - 0.5f)));
    const int to = std::min(w, static_cast<int>(std::ceil(crossings[i + 1].x - 0.5f)));
    for (int x = from; x < to; ++x) row[x] = 1;
  }

  // The distance to the outline, for the pixels it can reach.
  // Past half a pixel beyond the widest pen's edge nothing is covered.
  const float reach = static_cast<float>(0.5 + widest / 2.0);
  std::vector<float> distance(static_cast<std::size_t>(w) * h, reach * reach);
  for (const Edge& e : edges) {
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min(e.x0, e.x1) - reach)));
    const int x1 = std::min(w - 1, static_cast<int>(std::ceil(std::max(e.x0, e.x1) + reach)));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min(e.y0, e.y1) - reach)));
    const int y1 = std::min(h - 1, static_cast<int>(std::ceil(std::max(e.y0, e.y1) + reach)));
    const float dx = static_cast<float>(e.x1 - e.x0), dy = static_cast<float>(e.y1 - e.y0);
    const float inverse = 1.0f / (dx * dx + dy * dy);
    for (int y = y0; y <= y1; ++y) {
      float* row = distance.data() + static_cast<std::size_t>(y) * w;
      const float py = static_cast<float>(y + 0.5 - e.y0);
      for (int x = x0; x <= x1; ++x) {
        const float px = static_cast<float>(x + 0.5 - e.x0);
        const float t = std::clamp((px * dx + py * dy) * inverse, 0.0f, 1.0f);
        const float ex = px - t * dx, ey = py - t * dy;
        row[x] = std::min(row[x], ex * ex + ey * ey);
      }
    }
  }

  std::vector<Coat> fillCoats, penCoats;
  std::vector<float> halves;
  for (ARGB colour : fills) fillCoats.push_back(CoatOf(colour));
  for (const OutlinePen& pen : pens) {
    penCoats.push_back(CoatOf(pen.colour));
    halves.push_back(static_cast<float>(pen.width / 2.0));
  }
  // Far outside nothing is painted; deep inside, over nothing, every pixel
  // takes the same colour.
  const float farSquared = reach * reach;
  std::uint32_t solid = 0;
  for (const Coat& coat : fillCoats) solid = Over(solid, coat, 1.0f);
  for (int y = 0; y < h; ++y) {
    std::uint32_t* out = picture.GetRow(y);
    const std::uint8_t* in = inside.data() + static_cast<std::size_t>(y) * w;
    const float* far = distance.data() + static_cast<std::size_t>(y) * w;
    for (int x = 0; x < w; ++x) {
      if (far[x] >= farSquared) {
        if (!in[x]) continue;
        if (out[x] == 0) {
          out[x] = solid;
          continue;
        }
      }
      const float unsigned_ = std::sqrt(far[x]);
      const float d = in[x] ? -unsigned_ : unsigned_;
      std::uint32_t pixel = out[x];
      const float filled = Coverage(d);
      for (const Coat& coat : fillCoats) pixel = Over(pixel, coat, filled);
      for (std::size_t i = 0; i < penCoats.size(); ++i)
        pixel = Over(pixel, penCoats[i], Coverage(d - halves[i]) - Coverage(d + halves[i]));
      out[x] = pixel;
    }
  }
  picture.MarkDirty();
  return true;
}

}  // namespace Gdiplus
