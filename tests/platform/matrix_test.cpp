#include "platform/matrix.h"

#include <gtest/gtest.h>

namespace {

PointF Map(const Matrix& m, PointF p) {
  m.TransformPoints(&p, 1);
  return p;
}

void ExpectPoint(PointF expected, PointF actual) {
  EXPECT_NEAR(expected.X, actual.X, 1e-4);
  EXPECT_NEAR(expected.Y, actual.Y, 1e-4);
}

TEST(MatrixTest, PrependActsFirstAppendActsLast) {
  // Prepend: scale the point, then translate it (translate was there first).
  Matrix prepend;
  prepend.Translate(10, 0);
  prepend.Scale(2, 2);
  ExpectPoint({12, 2}, Map(prepend, {1, 1}));

  Matrix append;
  append.Translate(10, 0);
  append.Scale(2, 2, MatrixOrderAppend);
  ExpectPoint({22, 2}, Map(append, {1, 1}));
}

TEST(MatrixTest, RotationIsClockwiseOnScreenAndQuarterTurnsAreExact) {
  Matrix m;
  m.Rotate(90);
  float e[6];
  m.GetElements(e);
  // x axis turns onto the y axis (downwards on screen).
  EXPECT_EQ(0.0f, e[0]);
  EXPECT_EQ(1.0f, e[1]);
  EXPECT_EQ(-1.0f, e[2]);
  EXPECT_EQ(0.0f, e[3]);

  Matrix at;
  at.RotateAt(180, PointF(5, 5));
  ExpectPoint({10, 10}, Map(at, {0, 0}));
  ExpectPoint({5, 5}, Map(at, {5, 5}));
}

TEST(MatrixTest, ItemTransformChainMatchesHandComposition) {
  // The canvas builds item matrices by prepending translate, rotate, scale,
  // translate(-origin): p → position + R·S·(p − origin).
  Matrix m;
  m.Translate(100, 50);
  m.Rotate(90);
  m.Scale(2, 3);
  m.Translate(-1, -1);
  // p = (2, 2): p − origin = (1, 1); S → (2, 3); R(90) → (−3, 2); + pos.
  ExpectPoint({97, 52}, Map(m, {2, 2}));

  Matrix product;
  Matrix a;
  a.Translate(100, 50);
  Matrix b;
  b.Rotate(90);
  product.Multiply(b);                     // rotate only
  product.Multiply(a, MatrixOrderAppend);  // then move
  ExpectPoint({100, 51}, Map(product, {1, 0}));
}

TEST(MatrixTest, InvertUndoesAndSingularIsRefused) {
  Matrix m;
  m.Translate(3, -7);
  m.Rotate(33);
  m.Scale(1.5f, 0.5f);
  Matrix inv(m);
  ASSERT_EQ(Gdiplus::Ok, inv.Invert());
  ExpectPoint({4, 9}, Map(inv, Map(m, {4, 9})));
  inv.Multiply(m);
  EXPECT_TRUE(inv.IsIdentity());

  Matrix flat;
  flat.Scale(0, 1);
  EXPECT_FALSE(flat.IsInvertible());
  EXPECT_EQ(Gdiplus::InvalidParameter, flat.Invert());
  float e[6];
  flat.GetElements(e);
  EXPECT_EQ(0.0f, e[0]);  // unchanged
}

TEST(MatrixTest, VectorsIgnoreTranslationAndParallelogramMapsCorners) {
  Matrix m;
  m.Translate(50, 50);
  m.Scale(2, 2);
  PointF v(1, 1);
  m.TransformVectors(&v, 1);
  ExpectPoint({2, 2}, v);
  EXPECT_FLOAT_EQ(50.0f, m.OffsetX());

  const PointF plg[3] = {{10, 10}, {10, 30}, {0, 10}};  // turned a quarter
  Matrix p(RectF(0, 0, 4, 2), plg);
  ExpectPoint({10, 10}, Map(p, {0, 0}));
  ExpectPoint({10, 30}, Map(p, {4, 0}));
  ExpectPoint({0, 30}, Map(p, {4, 2}));
}

}  // namespace
