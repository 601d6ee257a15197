#include "platform/graphics_path.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Gdiplus::PathPointTypeBezier;
using Gdiplus::PathPointTypeCloseSubpath;
using Gdiplus::PathPointTypeLine;
using Gdiplus::PathPointTypeStart;

PointF BezierAt(const PointF* p, float t) {
  const float u = 1 - t;
  return PointF(u * u * u * p[0].X + 3 * u * u * t * p[1].X + 3 * u * t * t * p[2].X + t * t * t * p[3].X,
                u * u * u * p[0].Y + 3 * u * u * t * p[1].Y + 3 * u * t * t * p[2].Y + t * t * t * p[3].Y);
}

TEST(GraphicsPathTest, OpenFigureJoinsNextPieceWithStraightSegment) {
  // The jigsaw edge: a line, then a curve starting elsewhere, then a line.
  GraphicsPath p;
  p.AddLine(0, 0, 23, 0);
  const PointF knob[3] = {{33, 0}, {40, 10}, {67, 0}};
  p.AddCurve(knob, 3, 0.5f);
  p.AddLine(77, 0, 100, 0);
  const auto& t = p.Types();
  ASSERT_EQ(1 + 1 + 1 + 6 + 1 + 1, p.GetPointCount());
  EXPECT_EQ(PathPointTypeStart, t[0]);
  EXPECT_EQ(PathPointTypeLine, t[2]);  // (23,0) → (33,0) joining segment
  EXPECT_EQ(PathPointTypeBezier, t[3]);
  EXPECT_EQ(PathPointTypeLine, t[9]);  // (67,0) → (77,0)
  EXPECT_EQ(1, static_cast<int>(p.FlattenToPolygons().size()));

  // Continuing exactly where the figure ends adds no zero-length segment;
  // StartFigure and closing break the chain.
  GraphicsPath q;
  q.AddLine(0, 0, 10, 0);
  q.AddLine(10, 0, 10, 10);
  EXPECT_EQ(3, q.GetPointCount());
  q.StartFigure();
  q.AddLine(20, 20, 30, 30);
  q.CloseFigure();
  q.AddLine(40, 40, 50, 50);
  EXPECT_EQ(3, static_cast<int>(q.FlattenToPolygons().size()));
  EXPECT_TRUE(q.Types()[4] & PathPointTypeCloseSubpath);
}

TEST(GraphicsPathTest, AddPathConnectsOnlyWhenAskedAndOpen) {
  GraphicsPath edge;
  edge.AddLine(10, 0, 20, 0);
  GraphicsPath joined;
  joined.AddLine(0, 0, 5, 0);
  joined.AddPath(&edge, true);
  EXPECT_EQ(1, static_cast<int>(joined.FlattenToPolygons().size()));
  EXPECT_EQ(PathPointTypeLine, joined.Types()[2]);

  GraphicsPath separate;
  separate.AddLine(0, 0, 5, 0);
  separate.AddPath(&edge, false);
  EXPECT_EQ(2, static_cast<int>(separate.FlattenToPolygons().size()));

  // Adding a path to itself must not read the vector it is growing.
  separate.AddPath(&separate, false);
  EXPECT_EQ(8, separate.GetPointCount());
}

TEST(GraphicsPathTest, CardinalSplineControlPointsUseNeighbourChord) {
  const PointF knots[3] = {{0, 0}, {30, 30}, {60, 0}};
  GraphicsPath p;
  p.AddCurve(knots, 3, 0.5f);
  const auto& pts = p.Points();
  ASSERT_EQ(7, p.GetPointCount());
  const float k = 0.5f / 3;
  // First end uses its own chord (P1 − P0).
  EXPECT_NEAR(k * 30, pts[1].X, 1e-4);
  EXPECT_NEAR(k * 30, pts[1].Y, 1e-4);
  // At the middle knot the tangent is parallel to P2 − P0 (horizontal).
  EXPECT_NEAR(30 - k * 60, pts[2].X, 1e-4);
  EXPECT_NEAR(30, pts[2].Y, 1e-4);
  EXPECT_NEAR(30 + k * 60, pts[4].X, 1e-4);
  EXPECT_NEAR(30, pts[4].Y, 1e-4);
  EXPECT_FLOAT_EQ(60, pts[6].X);
  // Tension 0 gives straight segments: control points on the knots.
  GraphicsPath straight;
  straight.AddCurve(knots, 3, 0.0f);
  EXPECT_TRUE(straight.Points()[1].Equals(knots[0]));
  EXPECT_TRUE(straight.Points()[2].Equals(knots[1]));
}

TEST(GraphicsPathTest, ArcPassesThroughItsPointsInTheGivenDirection) {
  // Half circle of the jigsaw edge: centre (50, 0), radius 17, from 180
  // sweeping -180, which must bulge towards +y through (50, 17).
  GraphicsPath p;
  p.AddArc(RectF(33, -17, 34, 34), 180, -180);
  const auto& pts = p.Points();
  ASSERT_EQ(7, p.GetPointCount());
  EXPECT_NEAR(33, pts[0].X, 1e-3);
  EXPECT_NEAR(0, pts[0].Y, 1e-3);
  EXPECT_NEAR(50, pts[3].X, 1e-3);
  EXPECT_NEAR(17, pts[3].Y, 1e-3);
  EXPECT_NEAR(67, pts[6].X, 1e-3);
  for (float t : {0.25f, 0.5f, 0.75f}) {
    const PointF q = BezierAt(&pts[0], t);
    EXPECT_NEAR(17, std::hypot(q.X - 50, q.Y), 0.02) << t;
  }
  // On an ellipse the start angle is geometric: 45° lands on the diagonal.
  GraphicsPath e;
  e.AddArc(RectF(-100, -50, 200, 100), 45, 10);
  EXPECT_NEAR(e.Points()[0].X, e.Points()[0].Y, 1e-3);
}

TEST(GraphicsPathTest, BoundsFollowTheCurveNotItsControlPoints) {
  GraphicsPath p;
  p.AddBezier(PointF(0, 0), PointF(0, 40), PointF(100, 40), PointF(100, 0));
  RectF b;
  p.GetBounds(&b);
  EXPECT_NEAR(0, b.X, 1e-4);
  EXPECT_NEAR(100, b.Width, 1e-4);
  EXPECT_NEAR(30, b.Height, 1e-3);  // peak at t = 0.5 is 0.75 × 40

  Matrix m;
  m.Translate(10, 20);
  m.Rotate(90);
  p.GetBounds(&b, &m);
  EXPECT_NEAR(-20, b.X, 1e-3);
  EXPECT_NEAR(20, b.Y, 1e-3);
  EXPECT_NEAR(30, b.Width, 1e-3);
  EXPECT_NEAR(100, b.Height, 1e-3);

  GraphicsPath empty;
  empty.GetBounds(&b);
  EXPECT_TRUE(b.Equals(RectF()));
}

TEST(GraphicsPathTest, FillTestHonoursFillMode) {
  // Two nested squares in the same direction: a hole by even-odd, solid by
  // winding.
  GraphicsPath p;
  p.AddRectangle(RectF(0, 0, 100, 100));
  p.AddRectangle(RectF(25, 25, 50, 50));
  EXPECT_TRUE(p.IsVisible(10, 10));
  EXPECT_FALSE(p.IsVisible(50, 50));
  EXPECT_FALSE(p.IsVisible(150, 50));
  p.SetFillMode(FillModeWinding);
  EXPECT_TRUE(p.IsVisible(50, 50));

  // An open figure is filled as if closed; the curve of an ellipse counts.
  GraphicsPath tri;
  const PointF v[3] = {{0, 0}, {100, 0}, {0, 100}};
  tri.AddLines(v, 3);
  EXPECT_TRUE(tri.IsVisible(20, 20));
  EXPECT_FALSE(tri.IsVisible(60, 60));
  GraphicsPath circle;
  circle.AddEllipse(0, 0, 100, 100);
  EXPECT_TRUE(circle.IsVisible(50, 2));
  EXPECT_FALSE(circle.IsVisible(8, 8));
}

TEST(GraphicsPathTest, OutlineTestUsesHalfThePenWidth) {
  GraphicsPath p;
  p.AddLine(0, 0, 100, 0);
  EXPECT_TRUE(p.IsOutlineVisible(PointF(50, 2.9f), 6));
  EXPECT_FALSE(p.IsOutlineVisible(PointF(50, 3.5f), 6));
  EXPECT_TRUE(p.IsOutlineVisible(PointF(50, 0.4f), 0));  // hairline is one pixel
  EXPECT_FALSE(p.IsOutlineVisible(PointF(105, 0), 6));
  // The closing side of a closed figure is part of the outline.
  GraphicsPath tri;
  const PointF v[3] = {{0, 0}, {100, 0}, {0, 100}};
  tri.AddPolygon(v, 3);
  EXPECT_TRUE(tri.IsOutlineVisible(PointF(0, 50), 2));
}

TEST(GraphicsPathTest, ReverseAndRepairKeepCurvesIntact) {
  GraphicsPath p;
  p.AddLine(0, 0, 10, 0);
  p.AddBezier(PointF(10, 0), PointF(20, 10), PointF(30, 10), PointF(40, 0));
  p.CloseFigure();
  RectF before, after;
  p.GetBounds(&before);
  p.Reverse();
  p.GetBounds(&after);
  EXPECT_TRUE(before.Equals(after));
  EXPECT_TRUE(p.Points()[0].Equals(PointF(40, 0)));
  EXPECT_EQ(PathPointTypeBezier, p.Types()[1]);
  EXPECT_EQ(PathPointTypeLine, p.Types()[4] & Gdiplus::PathPointTypePathTypeMask);
  EXPECT_TRUE(p.Types()[4] & PathPointTypeCloseSubpath);

  // Types from outside: a lone Bézier point and a missing start are mended.
  const PointF pts[3] = {{0, 0}, {5, 5}, {9, 0}};
  const std::uint8_t bad[3] = {PathPointTypeLine, PathPointTypeBezier, PathPointTypeLine};
  GraphicsPath mended(pts, bad, 3);
  EXPECT_EQ(PathPointTypeStart, mended.Types()[0]);
  EXPECT_EQ(PathPointTypeLine, mended.Types()[1]);
  EXPECT_TRUE(mended.IsVisible(5, 1));
}

TEST(GraphicsPathTest, InvalidArgumentsAreRefusedWithoutChange) {
  GraphicsPath p;
  const PointF one[1] = {{1, 1}};
  EXPECT_EQ(Gdiplus::InvalidParameter, p.AddLines(one, 1));
  EXPECT_EQ(Gdiplus::InvalidParameter, p.AddCurve(one, 1));
  EXPECT_EQ(Gdiplus::InvalidParameter, p.AddBeziers(one, 1));
  EXPECT_EQ(Gdiplus::InvalidParameter, p.AddArc(RectF(0, 0, 0, 10), 0, 90));
  EXPECT_EQ(0, p.GetPointCount());
}

}  // namespace
