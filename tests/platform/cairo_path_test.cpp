#include "platform/cairo_path.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/graphics.h"

namespace {

// A blob of arcs, a spline and lines, in both fill modes.
GraphicsPath Blob(FillMode mode) {
  GraphicsPath p(mode);
  p.AddArc(RectF(4, 4, 30, 30), 180, 200);
  const PointF s[4] = {{40, 20}, {50, 40}, {30, 55}, {10, 45}};
  p.AddCurve(s, 4, 0.7f);
  p.CloseFigure();
  p.AddEllipse(RectF(14, 14, 30, 20));  // overlaps: a hole by even-odd
  return p;
}

// Counts pixels whose centres the renderer and the geometric test disagree
// on, away from the outline (where rounding may fairly go either way).
int Disagreements(const Bitmap& bmp, const std::function<bool(PointF)>& inside, const GraphicsPath& outline) {
  int bad = 0;
  for (int y = 0; y < bmp.GetHeight(); ++y)
    for (int x = 0; x < bmp.GetWidth(); ++x) {
      const PointF c(x + 0.5f, y + 0.5f);
      if (outline.IsOutlineVisible(c, 1.2f)) continue;
      bad += (Gdiplus::AlphaOf(bmp.GetPixel(x, y)) != 0) != inside(c);
    }
  return bad;
}

TEST(CairoPathTest, RenderedFillAgreesWithPointTestInBothModes) {
  for (FillMode mode : {FillModeAlternate, FillModeWinding}) {
    const GraphicsPath p = Blob(mode);
    Bitmap bmp(60, 60, PixelFormat::Format32bppARGB);
    Graphics g(&bmp);
    SolidBrush b(0xFF000000);
    g.FillPath(&b, &p);
    g.Flush();
    EXPECT_EQ(0, Disagreements(bmp, [&](PointF c) { return p.IsVisible(c); }, p)) << mode;
  }
}

TEST(CairoPathTest, RegionClipAgreesWithRegionPointTest) {
  const GraphicsPath blob = Blob(FillModeAlternate);
  Region r(RectF(0, 0, 50, 60));
  r.Exclude(&blob);
  GraphicsPath circle;
  circle.AddEllipse(RectF(10, 10, 45, 45));
  r.Intersect(&circle);
  Bitmap bmp(60, 60, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  g.SetClip(&r);
  SolidBrush b(0xFF000000);
  g.FillRectangle(&b, RectF(0, 0, 60, 60));
  g.Flush();
  GraphicsPath outlines(blob);
  outlines.AddPath(&circle, false);
  outlines.AddRectangle(RectF(0, 0, 50, 60));
  EXPECT_EQ(0, Disagreements(bmp, [&](PointF c) { return r.IsVisible(c); }, outlines));
  // FillRegion paints the same pixels.
  Bitmap filled(60, 60, PixelFormat::Format32bppARGB);
  Graphics gf(&filled);
  gf.FillRegion(&b, &r);
  gf.Flush();
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) ASSERT_EQ(bmp.GetPixel(x, y), filled.GetPixel(x, y)) << x << "," << y;
}

TEST(CairoPathTest, CairoPathDataRoundTripsFiguresAndMatrices) {
  GraphicsPath p;
  p.AddLine(0, 0, 10, 0);
  p.AddBezier(PointF(10, 0), PointF(15, 5), PointF(15, 10), PointF(10, 15));
  p.CloseFigure();
  p.AddLine(20, 20, 30, 30);  // open figure
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(s);
  Gdiplus::AppendPath(cr, p);
  cairo_path_t* data = cairo_copy_path(cr);
  GraphicsPath back;
  Gdiplus::AppendCairoPathData(&back, data);
  cairo_path_destroy(data);
  ASSERT_EQ(p.GetPointCount(), back.GetPointCount());
  for (int i = 0; i < p.GetPointCount(); ++i) {
    EXPECT_TRUE(p.Points()[i].Equals(back.Points()[i])) << i;
    EXPECT_EQ(p.Types()[i], back.Types()[i]) << i;
  }

  Matrix m;
  m.Translate(5, 6);
  m.Rotate(30);
  m.Scale(2, 3);
  cairo_identity_matrix(cr);
  Gdiplus::ApplyMatrix(cr, m);
  double x = 1, y = 1;
  cairo_user_to_device(cr, &x, &y);
  PointF q(1, 1);
  m.TransformPoints(&q);
  EXPECT_NEAR(q.X, x, 1e-4);
  EXPECT_NEAR(q.Y, y, 1e-4);
  EXPECT_TRUE(Gdiplus::FromCairoMatrix(Gdiplus::ToCairoMatrix(m)).Equals(m));
  Matrix singular;
  singular.Scale(0, 0);
  Gdiplus::ApplyMatrix(cr, singular);  // ignored: the context stays usable
  EXPECT_EQ(CAIRO_STATUS_SUCCESS, cairo_status(cr));
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}

}  // namespace
