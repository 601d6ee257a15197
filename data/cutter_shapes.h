#pragma once
// The eight edge shapes of the cutter and the curve type that carries them.
//
// A cut edge is kept as a short list of straight and cubic Bézier segments
// rather than as a general vector path: the cutter places thousands of edges
// whenever a slider moves, and a plain curve can be transformed, measured and
// flattened without touching the drawing library. Arcs and cardinal splines
// of the shape table are turned into cubic Béziers once, when the unit shapes
// are built.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

class CutterCurve {
 public:
  enum class Segment : std::uint8_t { Line, Bezier };

  CutterCurve() = default;
  explicit CutterCurve(PointF start) { m_points.push_back(start); }

  // Both append to the current end. A curve must have a start point first.
  void LineTo(PointF end);
  void BezierTo(PointF c1, PointF c2, PointF end);

  bool IsEmpty() const { return m_points.empty(); }
  // The start point, then one point for every line and three for every
  // Bézier (two control points and the end), in order.
  const std::vector<PointF>& GetPoints() const { return m_points; }
  const std::vector<Segment>& GetSegments() const { return m_segments; }
  PointF GetStart() const { return m_points.front(); }
  PointF GetEnd() const { return m_points.back(); }

  // Appends the curve as a polyline to out, start point included. Béziers
  // are cut into enough straight pieces that no piece strays more than
  // `tolerance` from the curve.
  void Flatten(std::vector<PointF>& out, float tolerance) const { Flatten(m_segments, m_points, out, tolerance); }
  static void Flatten(const std::vector<Segment>& segments, const std::vector<PointF>& points,
                      std::vector<PointF>& out, float tolerance);

 private:
  std::vector<PointF> m_points;
  std::vector<Segment> m_segments;
};

using CutterCurvePtr = std::shared_ptr<const CutterCurve>;

// A unit shape (running from (0, 0) to (100, 0)) placed between two grid
// points a and b: scaled by |ab| / 100, turned to the direction of ab and
// moved to a. Immutable once made, except for the polyline and its bounds,
// which are worked out on first use: the cut outline needs only the curve,
// the pieces only the polyline.
class CutterEdge {
 public:
  // `gridOrderReversed`: the polyline is to run from b to a, because a is
  // the later of the two grid points.
  CutterEdge(CutterCurvePtr shape, PointF a, PointF b, bool gridOrderReversed, float tolerance);

  const std::vector<CutterCurve::Segment>& GetSegments() const { return m_shape->GetSegments(); }
  // The placed points, in the shape's own order (see CutterCurve).
  const std::vector<PointF>& GetPoints() const { return m_points; }
  // The flattened edge, from the earlier grid point to the later one.
  const std::vector<PointF>& GetPolyline() const;
  const RectF& GetBounds() const;

 private:
  CutterCurvePtr m_shape;
  std::vector<PointF> m_points;
  bool m_reversed;
  float m_tolerance;
  mutable std::vector<PointF> m_polyline;
  mutable RectF m_bounds;
};

using CutterEdgePtr = std::shared_ptr<const CutterEdge>;

namespace cutter_shapes {

// How many shape types the cut settings offer.
inline constexpr int kShapeCount = 8;
inline constexpr int kStraightLine = 0;
inline constexpr int kClassic = 6;

// The name shown to the user; numbers outside 0..7 are the straight line.
const std::string& GetShapeName(int type);

// The shape in unit form, from (0, 0) to (100, 0), with positive y on the
// side the tab bulges to. Built once and shared; never null.
const CutterCurvePtr& GetUnitShape(int type);

}  // namespace cutter_shapes
