#include "platform/region.h"

#include <gtest/gtest.h>

namespace {

// An outline like a cutter's column: the left part of a square whose right
// side is a bulging edge, reached through straight joins (even-odd cancels
// the doubly travelled join).
GraphicsPath BulgingColumn() {
  GraphicsPath p;
  p.AddLine(0, 0, 50, 0);
  p.AddBezier(PointF(50, 100), PointF(50, 60), PointF(80, 40), PointF(50, 0));  // reversed edge
  p.AddLine(50, 100, 0, 100);
  p.CloseFigure();
  return p;
}

TEST(RegionTest, IntersectAndExcludeNarrowTheArea) {
  Region r;  // infinite
  EXPECT_TRUE(r.IsInfinite());
  EXPECT_TRUE(r.IsVisible(1e6f, -1e6f));
  r.Intersect(RectF(0, 0, 100, 100));
  r.Exclude(RectF(40, 40, 20, 20));
  EXPECT_TRUE(r.IsVisible(10, 10));
  EXPECT_FALSE(r.IsVisible(50, 50));
  EXPECT_FALSE(r.IsVisible(150, 50));

  // Intersecting with a region adds all its steps.
  Region hole(RectF(0, 0, 100, 100));
  hole.Exclude(RectF(0, 0, 100, 50));
  Region both(RectF(0, 0, 200, 200));
  both.Intersect(&hole);
  EXPECT_FALSE(both.IsVisible(10, 10));
  EXPECT_TRUE(both.IsVisible(10, 60));
  // Excluding a many-step region cannot be a clip stack.
  EXPECT_EQ(Gdiplus::NotImplemented, both.Exclude(&hole));
}

TEST(RegionTest, EvenOddColumnHasTheCurveAsItsBoundary) {
  GraphicsPath col = BulgingColumn();
  Region r(&col);
  EXPECT_TRUE(r.IsVisible(30, 50));
  EXPECT_TRUE(r.IsVisible(60, 50));   // inside the bulge
  EXPECT_FALSE(r.IsVisible(75, 50));  // beyond the bulge
}

TEST(RegionTest, BoundsOfAPieceAreItsOwnNotItsOperands) {
  // A square minus its left half, narrowed to its top half: 50 × 50.
  Region r(RectF(0, 0, 100, 100));
  r.Exclude(RectF(0, 0, 50, 100));
  r.Intersect(RectF(0, 0, 100, 50));
  RectF b;
  r.GetBounds(&b);
  EXPECT_NEAR(50, b.X, 1.0);
  EXPECT_NEAR(0, b.Y, 1.0);
  EXPECT_NEAR(50, b.Width, 1.5);
  EXPECT_NEAR(50, b.Height, 1.5);

  // One outline: exact curve bounds.
  GraphicsPath col = BulgingColumn();
  Region c(&col);
  c.GetBounds(&b);
  EXPECT_GT(b.GetRight(), 60.0f);
  EXPECT_LT(b.GetRight(), 70.0f);

  Region disjoint(RectF(0, 0, 10, 10));
  disjoint.Intersect(RectF(20, 20, 10, 10));
  EXPECT_TRUE(disjoint.IsEmpty());
  Region covered(RectF(0, 0, 10, 10));
  covered.Exclude(RectF(-1, -1, 12, 12));
  EXPECT_TRUE(covered.IsEmpty());
  EXPECT_FALSE(r.IsEmpty());
}

TEST(RegionTest, TransformMovesEveryStep) {
  Region r(RectF(0, 0, 10, 10));
  r.Exclude(RectF(0, 0, 5, 10));
  r.Translate(100, 0);
  EXPECT_TRUE(r.IsVisible(107, 5));
  EXPECT_FALSE(r.IsVisible(102, 5));
  EXPECT_FALSE(r.IsVisible(7, 5));
}

}  // namespace
