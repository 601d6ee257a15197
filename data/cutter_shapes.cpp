#include "data/cutter_shapes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

void CutterCurve::LineTo(PointF end) {
  m_points.push_back(end);
  m_segments.push_back(Segment::Line);
}

void CutterCurve::BezierTo(PointF c1, PointF c2, PointF end) {
  m_points.push_back(c1);
  m_points.push_back(c2);
  m_points.push_back(end);
  m_segments.push_back(Segment::Bezier);
}

CutterEdge::CutterEdge(CutterCurvePtr shape, PointF a, PointF b, bool gridOrderReversed, float tolerance)
    : m_shape(std::move(shape)), m_reversed(gridOrderReversed), m_tolerance(tolerance) {
  const std::vector<PointF>& unit = m_shape->GetPoints();
  if (unit.empty()) return;
  // "Scale by |ab| / 100, then rotate by the angle of ab, then translate
  // to a" in single precision. The scale times the rotation's cosine and
  // sine is simply ab / 100.
  const float m11 = (b.X - a.X) * 0.01f;
  const float m12 = (b.Y - a.Y) * 0.01f;
  m_points.reserve(unit.size());
  for (const PointF& p : unit) m_points.emplace_back(p.X * m11 - p.Y * m12 + a.X, p.X * m12 + p.Y * m11 + a.Y);
  // The ends land on the grid points themselves, not merely within rounding
  // of them, so that the four edges meeting at a point close every piece
  // outline without a sliver between them.
  m_points.front() = a;
  m_points.back() = b;
}

const std::vector<PointF>& CutterEdge::GetPolyline() const {
  if (!m_polyline.empty() || m_points.empty()) return m_polyline;
  CutterCurve::Flatten(m_shape->GetSegments(), m_points, m_polyline, m_tolerance);
  if (m_reversed) std::reverse(m_polyline.begin(), m_polyline.end());
  float left = m_polyline[0].X, right = left, top = m_polyline[0].Y, bottom = top;
  for (const PointF& p : m_polyline) {
    left = std::min(left, p.X);
    right = std::max(right, p.X);
    top = std::min(top, p.Y);
    bottom = std::max(bottom, p.Y);
  }
  m_bounds = RectF(left, top, right - left, bottom - top);
  return m_polyline;
}

const RectF& CutterEdge::GetBounds() const {
  GetPolyline();
  return m_bounds;
}

void CutterCurve::Flatten(const std::vector<Segment>& segments, const std::vector<PointF>& points,
                          std::vector<PointF>& out, float tolerance) {
  if (points.empty()) return;
  out.push_back(points[0]);
  size_t i = 1;
  for (Segment seg : segments) {
    if (seg == Segment::Line) {
      out.push_back(points[i]);
      i += 1;
      continue;
    }
    const PointF& p0 = points[i - 1];
    const PointF& p1 = points[i];
    const PointF& p2 = points[i + 1];
    const PointF& p3 = points[i + 2];
    // A cubic cut into n equal steps strays at most 3/4 of its largest
    // second difference divided by n squared from the curve.
    const double ddx = std::max(std::fabs(p0.X - 2.0 * p1.X + p2.X), std::fabs(p1.X - 2.0 * p2.X + p3.X));
    const double ddy = std::max(std::fabs(p0.Y - 2.0 * p1.Y + p2.Y), std::fabs(p1.Y - 2.0 * p2.Y + p3.Y));
    const double dd = std::sqrt(ddx * ddx + ddy * ddy);
    int steps = static_cast<int>(std::ceil(std::sqrt(0.75 * dd / tolerance)));
    steps = std::clamp(steps, 1, 64);
    for (int s = 1; s < steps; ++s) {
      const double t = static_cast<double>(s) / steps;
      const double u = 1.0 - t;
      const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
      out.emplace_back(static_cast<float>(b0 * p0.X + b1 * p1.X + b2 * p2.X + b3 * p3.X),
                       static_cast<float>(b0 * p0.Y + b1 * p1.Y + b2 * p2.Y + b3 * p3.Y));
    }
    out.push_back(p3);
    i += 3;
  }
}

namespace cutter_shapes {
namespace {

// The knob of the two classic shapes: a neck rising from (33, 0), a round
// head reaching 68/3 and a neck back down to (67, 0).
const std::array<PointF, 12> kKnob = {{
    {33.0f, 0.0f},
    {116.0f / 3.0f, 68.0f / 15.0f},
    {116.0f / 3.0f, 8.5f},
    {33.0f, 34.0f / 3.0f},
    {33.0f, 17.0f},
    {45.0f, 68.0f / 3.0f},
    {55.0f, 68.0f / 3.0f},
    {67.0f, 17.0f},
    {67.0f, 34.0f / 3.0f},
    {184.0f / 3.0f, 8.5f},
    {184.0f / 3.0f, 68.0f / 15.0f},
    {67.0f, 0.0f},
}};

// An open cardinal spline through the knob points, appended as Béziers.
// Each inner point's tangent is the tension times the chord between its
// neighbours; the two end points use their one neighbouring chord.
void AppendKnob(CutterCurve& curve) {
  constexpr float kTension = 0.5f;
  const size_t n = kKnob.size();
  auto tangent = [&](size_t i) {
    const PointF& before = kKnob[i == 0 ? 0 : i - 1];
    const PointF& after = kKnob[i + 1 == n ? n - 1 : i + 1];
    return PointF(kTension * (after.X - before.X), kTension * (after.Y - before.Y));
  };
  for (size_t i = 0; i + 1 < n; ++i) {
    const PointF t0 = tangent(i), t1 = tangent(i + 1);
    curve.BezierTo({kKnob[i].X + t0.X / 3.0f, kKnob[i].Y + t0.Y / 3.0f},
                   {kKnob[i + 1].X - t1.X / 3.0f, kKnob[i + 1].Y - t1.Y / 3.0f}, kKnob[i + 1]);
  }
}

CutterCurve BuildShape(int type) {
  constexpr float kTab = 68.0f / 3.0f;       // 22.666666
  constexpr float kZig = 34.0f / 3.0f;       // 11.333333
  constexpr float kWave = 136.0f / 9.0f;     // 15.111111
  CutterCurve c(PointF(0.0f, 0.0f));
  switch (type) {
    case 1:
      c.BezierTo({33.0f, kTab}, {67.0f, kTab}, {100.0f, 0.0f});
      break;
    case 2:
      c.LineTo({33.0f, 0.0f});
      c.LineTo({50.0f, kTab});
      c.LineTo({67.0f, 0.0f});
      c.LineTo({100.0f, 0.0f});
      break;
    case 3:
      c.LineTo({33.0f, -kZig});
      c.LineTo({50.0f, kWave});
      c.LineTo({67.0f, -kZig});
      c.LineTo({100.0f, 0.0f});
      break;
    case 4:
      c.BezierTo({16.5f, -kWave}, {16.5f, -kWave}, {33.0f, 0.0f});
      c.BezierTo({49.5f, kWave}, {50.5f, kWave}, {67.0f, 0.0f});
      c.BezierTo({83.5f, -kWave}, {83.5f, -kWave}, {100.0f, 0.0f});
      break;
    case 5: {
      // Half of the circle about (50, 0) with radius 17, from its left end
      // through its lowest point (50, 17) to its right end, as two quarter
      // arcs.
      constexpr float kR = 17.0f;
      const float k = 0.5522847498f * kR;
      c.LineTo({33.0f, 0.0f});
      c.BezierTo({33.0f, k}, {50.0f - k, kR}, {50.0f, kR});
      c.BezierTo({50.0f + k, kR}, {67.0f, k}, {67.0f, 0.0f});
      c.LineTo({100.0f, 0.0f});
      break;
    }
    case 6:
      c.LineTo({23.0f, 0.0f});
      c.LineTo(kKnob.front());
      AppendKnob(c);
      c.LineTo({77.0f, 0.0f});
      c.LineTo({100.0f, 0.0f});
      break;
    case 7:
      // The two shoulders dip by different depths on purpose.
      c.BezierTo({11.0f, -17.0f / 3.0f}, {22.0f, -17.0f / 3.0f}, {33.0f, 0.0f});
      AppendKnob(c);
      c.BezierTo({78.0f, -68.0f / 9.0f}, {89.0f, -68.0f / 9.0f}, {100.0f, 0.0f});
      break;
    default:
      c.LineTo({100.0f, 0.0f});
      break;
  }
  return c;
}

bool IsKnownShape(int type) { return type >= 0 && type < kShapeCount; }

}  // namespace

const std::string& GetShapeName(int type) {
  static const std::array<std::string, kShapeCount> kNames = {
      "Straight Line", "Rounded", "Simple Triangle", "Zigzag",
      "Waves",         "Half Circle", "Classic", "Classic Rounded"};
  return kNames[IsKnownShape(type) ? type : kStraightLine];
}

const CutterCurvePtr& GetUnitShape(int type) {
  static const std::array<CutterCurvePtr, kShapeCount> kShapes = [] {
    std::array<CutterCurvePtr, kShapeCount> shapes;
    for (int t = 0; t < kShapeCount; ++t) shapes[t] = std::make_shared<const CutterCurve>(BuildShape(t));
    return shapes;
  }();
  return kShapes[IsKnownShape(type) ? type : kStraightLine];
}

}  // namespace cutter_shapes
