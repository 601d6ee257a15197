#include "platform/graphics_path.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace Gdiplus {

namespace {

constexpr std::uint8_t kTypeMask = PathPointTypePathTypeMask;
constexpr std::uint8_t kClose = PathPointTypeCloseSubpath;

// Curves are split at most this deep while flattening: 2^12 segments is far
// finer than any pixel, and the limit keeps degenerate input from recursing
// without end.
constexpr int kMaxFlattenDepth = 12;

PointF Mid(const PointF& a, const PointF& b) { return PointF((a.X + b.X) * 0.5f, (a.Y + b.Y) * 0.5f); }

// Whether both control points of a cubic lie within the tolerance of the
// chord from p0 to p3. The chord's length is found once for both points;
// the cuts of a puzzle preview ask this some hundred thousand times a step.
bool FlatEnough(const PointF& p0, const PointF& p1, const PointF& p2, const PointF& p3, float tolerance) {
  const double dx = double(p3.X) - p0.X, dy = double(p3.Y) - p0.Y;
  const double len = std::hypot(dx, dy);
  if (len < 1e-12) {
    return std::max(std::hypot(double(p1.X) - p0.X, double(p1.Y) - p0.Y),
                    std::hypot(double(p2.X) - p0.X, double(p2.Y) - p0.Y)) <= tolerance;
  }
  const double d1 = std::fabs((double(p1.X) - p0.X) * dy - (double(p1.Y) - p0.Y) * dx) / len;
  const double d2 = std::fabs((double(p2.X) - p0.X) * dy - (double(p2.Y) - p0.Y) * dx) / len;
  return std::max(d1, d2) <= tolerance;
}

// Appends the points after p0 of a polyline within the tolerance of the
// cubic. p0 is taken by value: it may be an element of out, which grows.
void FlattenBezier(const PointF p0, const PointF& p1, const PointF& p2, const PointF& p3, float tolerance,
                   int depth, std::vector<PointF>* out) {
  if (depth >= kMaxFlattenDepth || FlatEnough(p0, p1, p2, p3, tolerance)) {
    out->push_back(p3);
    return;
  }
  const PointF a = Mid(p0, p1), b = Mid(p1, p2), c = Mid(p2, p3);
  const PointF d = Mid(a, b), e = Mid(b, c), m = Mid(d, e);
  FlattenBezier(p0, a, d, m, tolerance, depth + 1, out);
  FlattenBezier(m, e, c, p3, tolerance, depth + 1, out);
}

// Widens [lo, hi] by the extremes of one coordinate of a cubic Bézier.
void BezierExtremes(double a, double b, double c, double d, double* lo, double* hi) {
  auto include = [&](double v) {
    *lo = std::min(*lo, v);
    *hi = std::max(*hi, v);
  };
  include(a);
  include(d);
  // Derivative / 3 = qa t² + qb t + qc.
  const double qa = -a + 3 * b - 3 * c + d;
  const double qb = 2 * (a - 2 * b + c);
  const double qc = b - a;
  auto at = [&](double t) {
    if (t <= 0 || t >= 1) return;
    const double u = 1 - t;
    include(u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d);
  };
  if (std::fabs(qa) < 1e-12) {
    if (std::fabs(qb) > 1e-12) at(-qc / qb);
    return;
  }
  const double disc = qb * qb - 4 * qa * qc;
  if (disc < 0) return;
  const double r = std::sqrt(disc);
  at((-qb + r) / (2 * qa));
  at((-qb - r) / (2 * qa));
}

// The parametric angle of the point where the ray at geometric angle theta
// (radians) meets an ellipse with radii rx, ry.
double ParametricAngle(double theta, double rx, double ry) {
  if (rx == ry) return theta;
  const double t = std::atan2(std::sin(theta) * rx, std::cos(theta) * ry);
  // Keep the turn count of theta so that sweeps stay monotonic.
  const double turns = std::floor(theta / (2 * std::numbers::pi));
  double result = t + turns * 2 * std::numbers::pi;
  if (result < theta - std::numbers::pi) result += 2 * std::numbers::pi;
  if (result > theta + std::numbers::pi) result -= 2 * std::numbers::pi;
  return result;
}

// Bézier points (after the first) approximating an elliptical arc; the first
// point is returned through start.
void ArcToBeziers(const RectF& rect, float startAngle, float sweepAngle, PointF* start, std::vector<PointF>* out) {
  const double rx = rect.Width / 2.0, ry = rect.Height / 2.0;
  const double cx = rect.X + rx, cy = rect.Y + ry;
  const double sweep = std::clamp<double>(sweepAngle, -360.0, 360.0);
  const int segments = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / 90.0 - 1e-9)));
  const double deg = std::numbers::pi / 180.0;
  auto pointAt = [&](double t) { return PointF(float(cx + rx * std::cos(t)), float(cy + ry * std::sin(t))); };
  const double tStart = ParametricAngle(startAngle * deg, rx, ry);
  // A whole turn ends where it began; split it evenly in parametric angle.
  const bool wholeTurn = std::fabs(sweep) >= 360.0;
  const double tEnd = tStart + (sweep > 0 ? 2 : -2) * std::numbers::pi;
  double t0 = tStart;
  *start = pointAt(t0);
  for (int i = 1; i <= segments; ++i) {
    const double t1 = wholeTurn ? tStart + (tEnd - tStart) * i / segments
                                : ParametricAngle((startAngle + sweep * i / segments) * deg, rx, ry);
    const double k = 4.0 / 3.0 * std::tan((t1 - t0) / 4.0);
    const PointF p0 = pointAt(t0), p3 = pointAt(t1);
    out->push_back(PointF(float(p0.X - k * rx * std::sin(t0)), float(p0.Y + k * ry * std::cos(t0))));
    out->push_back(PointF(float(p3.X + k * rx * std::sin(t1)), float(p3.Y - k * ry * std::cos(t1))));
    out->push_back(p3);
    t0 = t1;
  }
}

double SegmentDistance(const PointF& p, const PointF& a, const PointF& b) {
  const double dx = double(b.X) - a.X, dy = double(b.Y) - a.Y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((double(p.X) - a.X) * dx + (double(p.Y) - a.Y) * dy) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(double(p.X) - (a.X + t * dx), double(p.Y) - (a.Y + t * dy));
}

}  // namespace

GraphicsPath::GraphicsPath(const PointF* points, const std::uint8_t* types, int count, FillMode fillMode)
    : m_fillMode(fillMode) {
  if (!points || !types || count <= 0) return;
  m_points.assign(points, points + count);
  m_types.assign(types, types + count);
  bool start = true;
  for (int i = 0; i < count; ++i) {
    std::uint8_t& t = m_types[i];
    const std::uint8_t close = t & kClose;
    std::uint8_t kind = t & kTypeMask;
    if (start) {
      kind = PathPointTypeStart;
    } else if (kind == PathPointTypeBezier) {
      // A Bézier needs three points of its own; a short run becomes lines.
      int run = 0;
      while (i + run < count && (m_types[i + run] & kTypeMask) == PathPointTypeBezier && run < 3 &&
             (run == 0 || !(m_types[i + run - 1] & kClose)))
        ++run;
      if (run < 3) {
        kind = PathPointTypeLine;
      } else {
        m_types[i] = PathPointTypeBezier;
        m_types[i + 1] = PathPointTypeBezier;
        m_types[i + 2] = PathPointTypeBezier | (m_types[i + 2] & kClose);
        i += 2;
        start = (m_types[i] & kClose) != 0;
        continue;
      }
    } else if (kind != PathPointTypeLine) {
      kind = PathPointTypeLine;
    }
    t = kind | close;
    start = close != 0;
  }
  m_newFigure = start;
}

Status GraphicsPath::Reset() {
  m_points.clear();
  m_types.clear();
  m_fillMode = FillModeAlternate;
  m_newFigure = true;
  return Ok;
}

Status GraphicsPath::SetFillMode(FillMode mode) {
  m_fillMode = mode;
  return Ok;
}

bool GraphicsPath::FigureOpen() const { return !m_newFigure && !m_points.empty() && !(m_types.back() & kClose); }

void GraphicsPath::MoveOrLineTo(const PointF& p) {
  if (FigureOpen()) {
    const PointF& last = m_points.back();
    if (last.X != p.X || last.Y != p.Y) {
      m_points.push_back(p);
      m_types.push_back(PathPointTypeLine);
    }
    return;
  }
  m_points.push_back(p);
  m_types.push_back(PathPointTypeStart);
  m_newFigure = false;
}

Status GraphicsPath::StartFigure() {
  m_newFigure = true;
  return Ok;
}

Status GraphicsPath::CloseFigure() {
  if (!m_points.empty()) m_types.back() |= kClose;
  m_newFigure = true;
  return Ok;
}

Status GraphicsPath::CloseAllFigures() {
  for (size_t i = 0; i < m_types.size(); ++i) {
    const bool lastOfFigure = i + 1 == m_types.size() || (m_types[i + 1] & kTypeMask) == PathPointTypeStart;
    if (lastOfFigure) m_types[i] |= kClose;
  }
  m_newFigure = true;
  return Ok;
}

Status GraphicsPath::AddLine(const PointF& a, const PointF& b) {
  MoveOrLineTo(a);
  m_points.push_back(b);
  m_types.push_back(PathPointTypeLine);
  return Ok;
}

Status GraphicsPath::AddLines(const PointF* points, int count) {
  if (!points || count < 2) return InvalidParameter;
  MoveOrLineTo(points[0]);
  for (int i = 1; i < count; ++i) {
    m_points.push_back(points[i]);
    m_types.push_back(PathPointTypeLine);
  }
  return Ok;
}

Status GraphicsPath::AddBezier(const PointF& p1, const PointF& p2, const PointF& p3, const PointF& p4) {
  MoveOrLineTo(p1);
  for (const PointF& p : {p2, p3, p4}) {
    m_points.push_back(p);
    m_types.push_back(PathPointTypeBezier);
  }
  return Ok;
}

Status GraphicsPath::AddBeziers(const PointF* points, int count) {
  if (!points || count < 4 || (count - 1) % 3 != 0) return InvalidParameter;
  MoveOrLineTo(points[0]);
  for (int i = 1; i < count; ++i) {
    m_points.push_back(points[i]);
    m_types.push_back(PathPointTypeBezier);
  }
  return Ok;
}

Status GraphicsPath::AddCurve(const PointF* points, int count, float tension) {
  if (!points || count < 2) return InvalidParameter;
  const float k = tension / 3.0f;
  std::vector<PointF> bez;
  bez.reserve(static_cast<size_t>(count - 1) * 3 + 1);
  bez.push_back(points[0]);
  for (int i = 0; i + 1 < count; ++i) {
    const PointF& prev = points[std::max(i - 1, 0)];
    const PointF& from = points[i];
    const PointF& to = points[i + 1];
    const PointF& next = points[std::min(i + 2, count - 1)];
    bez.push_back(PointF(from.X + k * (to.X - prev.X), from.Y + k * (to.Y - prev.Y)));
    bez.push_back(PointF(to.X - k * (next.X - from.X), to.Y - k * (next.Y - from.Y)));
    bez.push_back(to);
  }
  return AddBeziers(bez.data(), static_cast<int>(bez.size()));
}

Status GraphicsPath::AddArc(const RectF& rect, float startAngle, float sweepAngle) {
  if (rect.Width <= 0 || rect.Height <= 0) return InvalidParameter;
  PointF start;
  std::vector<PointF> rest;
  ArcToBeziers(rect, startAngle, sweepAngle, &start, &rest);
  MoveOrLineTo(start);
  for (const PointF& p : rest) {
    m_points.push_back(p);
    m_types.push_back(PathPointTypeBezier);
  }
  return Ok;
}

Status GraphicsPath::AddRectangle(const RectF& r) {
  if (r.Width == 0 || r.Height == 0) return Ok;  // nothing to enclose
  const PointF corners[4] = {{r.X, r.Y}, {r.X + r.Width, r.Y}, {r.X + r.Width, r.Y + r.Height}, {r.X, r.Y + r.Height}};
  return AddPolygon(corners, 4);
}

Status GraphicsPath::AddRectangles(const RectF* rects, int count) {
  if (!rects || count < 0) return InvalidParameter;
  for (int i = 0; i < count; ++i) AddRectangle(rects[i]);
  return Ok;
}

Status GraphicsPath::AddEllipse(const RectF& rect) {
  if (rect.Width <= 0 || rect.Height <= 0) return InvalidParameter;
  m_newFigure = true;
  AddArc(rect, 0.0f, 360.0f);
  return CloseFigure();
}

Status GraphicsPath::AddPolygon(const PointF* points, int count) {
  if (!points || count < 3) return InvalidParameter;
  m_newFigure = true;
  AddLines(points, count);
  return CloseFigure();
}

Status GraphicsPath::AddPath(const GraphicsPath* other, bool connect) {
  if (!other) return InvalidParameter;
  if (other == this) {
    const GraphicsPath copy(*this);
    return AddPath(&copy, connect);
  }
  const size_t n = other->m_points.size();
  for (size_t i = 0; i < n; ++i) {
    const std::uint8_t t = other->m_types[i];
    if (i == 0 && connect && FigureOpen()) {
      MoveOrLineTo(other->m_points[0]);
      if (t & kClose) m_types.back() |= kClose;
      continue;
    }
    m_points.push_back(other->m_points[i]);
    m_types.push_back(t);
  }
  if (n > 0) m_newFigure = other->m_newFigure || (m_types.back() & kClose);
  return Ok;
}

Status GraphicsPath::Transform(const Matrix* matrix) {
  if (!matrix) return Ok;
  if (!m_points.empty()) matrix->TransformPoints(m_points.data(), static_cast<int>(m_points.size()));
  return Ok;
}

void GraphicsPath::FlattenFigures(float tolerance, std::vector<std::vector<PointF>>* polygons,
                                  std::vector<bool>* closed) const {
  polygons->clear();
  if (closed) closed->clear();
  tolerance = std::max(tolerance, 0.001f);
  const size_t n = m_points.size();
  for (size_t i = 0; i < n; ++i) {
    const std::uint8_t kind = m_types[i] & kTypeMask;
    if (kind == PathPointTypeStart || polygons->empty()) {
      polygons->emplace_back();
      polygons->back().push_back(m_points[i]);
      if (closed) closed->push_back(false);
    } else if (kind == PathPointTypeBezier && i + 2 < n) {
      FlattenBezier(polygons->back().back(), m_points[i], m_points[i + 1], m_points[i + 2], tolerance, 0,
                    &polygons->back());
      i += 2;
    } else {
      polygons->back().push_back(m_points[i]);
    }
    if ((m_types[i] & kClose) && closed) closed->back() = true;
  }
}

std::vector<std::vector<PointF>> GraphicsPath::FlattenToPolygons(float tolerance) const {
  std::vector<std::vector<PointF>> polygons;
  FlattenFigures(tolerance, &polygons, nullptr);
  return polygons;
}

Status GraphicsPath::Flatten(const Matrix* matrix, float flatness) {
  // The polyline is written straight into the path's own lists, which a
  // long path (every cut of a puzzle) would otherwise copy twice more.
  std::vector<PointF> points = std::move(m_points);
  const std::vector<std::uint8_t> types = std::move(m_types);
  if (matrix && !points.empty()) matrix->TransformPoints(points.data(), static_cast<int>(points.size()));
  const float tolerance = std::max(flatness, 0.001f);
  m_points.clear();
  m_types.clear();
  m_points.reserve(points.size() * 2);
  m_types.reserve(points.size() * 2);
  // A figure's closing mark goes on its last point once the figure ends.
  bool closed = false;
  const size_t n = points.size();
  for (size_t i = 0; i < n; ++i) {
    const std::uint8_t kind = types[i] & kTypeMask;
    if (kind == PathPointTypeStart || m_points.empty()) {
      if (closed) m_types.back() |= kClose;
      closed = false;
      m_points.push_back(points[i]);
      m_types.push_back(PathPointTypeStart);
    } else if (kind == PathPointTypeBezier && i + 2 < n) {
      FlattenBezier(m_points.back(), points[i], points[i + 1], points[i + 2], tolerance, 0, &m_points);
      m_types.resize(m_points.size(), PathPointTypeLine);
      i += 2;
    } else {
      m_points.push_back(points[i]);
      m_types.push_back(PathPointTypeLine);
    }
    if (types[i] & kClose) closed = true;
  }
  if (closed) m_types.back() |= kClose;
  return Ok;
}

Status GraphicsPath::Reverse() {
  const size_t n = m_points.size();
  size_t s = 0;
  while (s < n) {
    size_t e = s;
    while (e + 1 < n && (m_types[e + 1] & kTypeMask) != PathPointTypeStart) ++e;
    const bool closed = (m_types[e] & kClose) != 0;
    std::vector<PointF> pts(m_points.begin() + s, m_points.begin() + e + 1);
    std::vector<std::uint8_t> types(m_types.begin() + s, m_types.begin() + e + 1);
    const size_t len = e - s + 1;
    for (size_t k = 0; k < len; ++k) {
      m_points[s + k] = pts[len - 1 - k];
      // The segment ending at reversed point k is the one that ended at the
      // original point just after it.
      m_types[s + k] = k == 0 ? PathPointTypeStart : (types[len - k] & kTypeMask);
    }
    if (closed) m_types[e] |= kClose;
    s = e + 1;
  }
  return Ok;
}

Status GraphicsPath::GetBounds(RectF* bounds, const Matrix* matrix) const {
  if (!bounds) return InvalidParameter;
  if (m_points.empty()) {
    *bounds = RectF();
    return Ok;
  }
  // Only a transformed path needs a copy of its points.
  std::vector<PointF> transformed;
  if (matrix) {
    transformed = m_points;
    matrix->TransformPoints(transformed.data(), static_cast<int>(transformed.size()));
  }
  const std::vector<PointF>& pts = matrix ? transformed : m_points;
  double minX = std::numeric_limits<double>::max(), maxX = std::numeric_limits<double>::lowest();
  double minY = minX, maxY = maxX;
  const size_t n = pts.size();
  for (size_t i = 0; i < n; ++i) {
    const std::uint8_t kind = m_types[i] & kTypeMask;
    if (kind == PathPointTypeBezier && i > 0 && i + 2 < n) {
      const PointF &a = pts[i - 1], &b = pts[i], &c = pts[i + 1], &d = pts[i + 2];
      BezierExtremes(a.X, b.X, c.X, d.X, &minX, &maxX);
      BezierExtremes(a.Y, b.Y, c.Y, d.Y, &minY, &maxY);
      i += 2;
      continue;
    }
    minX = std::min<double>(minX, pts[i].X);
    maxX = std::max<double>(maxX, pts[i].X);
    minY = std::min<double>(minY, pts[i].Y);
    maxY = std::max<double>(maxY, pts[i].Y);
  }
  *bounds = RectF(float(minX), float(minY), float(maxX - minX), float(maxY - minY));
  return Ok;
}

bool GraphicsPath::IsVisible(const PointF& point) const {
  const double px = point.X, py = point.Y;
  int crossings = 0, winding = 0;
  for (const auto& poly : FlattenToPolygons(0.05f)) {
    const size_t m = poly.size();
    for (size_t i = 0; i < m; ++i) {
      const PointF& a = poly[i];
      const PointF& b = poly[(i + 1) % m];
      const bool up = a.Y <= py && b.Y > py;
      const bool down = b.Y <= py && a.Y > py;
      if (!up && !down) continue;
      const double x = a.X + (py - a.Y) * (double(b.X) - a.X) / (double(b.Y) - a.Y);
      if (x > px) {
        ++crossings;
        winding += up ? 1 : -1;
      }
    }
  }
  return m_fillMode == FillModeWinding ? winding != 0 : (crossings & 1) != 0;
}

bool GraphicsPath::IsOutlineVisible(const PointF& point, float penWidth) const {
  const double half = std::max(penWidth, 1.0f) / 2.0;
  std::vector<std::vector<PointF>> polygons;
  std::vector<bool> closed;
  FlattenFigures(0.05f, &polygons, &closed);
  for (size_t f = 0; f < polygons.size(); ++f) {
    const auto& poly = polygons[f];
    if (poly.size() == 1 && SegmentDistance(point, poly[0], poly[0]) <= half) return true;
    for (size_t i = 0; i + 1 < poly.size(); ++i)
      if (SegmentDistance(point, poly[i], poly[i + 1]) <= half) return true;
    if (closed[f] && poly.size() > 2 && SegmentDistance(point, poly.back(), poly.front()) <= half) return true;
  }
  return false;
}

Status GraphicsPath::GetPathPoints(PointF* points, int count) const {
  if (!points || count < GetPointCount()) return InsufficientBuffer;
  std::copy(m_points.begin(), m_points.end(), points);
  return Ok;
}

Status GraphicsPath::GetPathTypes(std::uint8_t* types, int count) const {
  if (!types || count < GetPointCount()) return InsufficientBuffer;
  std::copy(m_types.begin(), m_types.end(), types);
  return Ok;
}

Status GraphicsPath::GetLastPoint(PointF* point) const {
  if (!point || m_points.empty()) return InvalidParameter;
  *point = m_points.back();
  return Ok;
}

}  // namespace Gdiplus
