#include "platform/graphics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Gdiplus::AlphaOf;
using Gdiplus::BlueOf;
using Gdiplus::RedOf;

constexpr ARGB kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00, kWhite = 0xFFFFFFFF;

bool IsSet(const Bitmap& b, int x, int y) { return AlphaOf(b.GetPixel(x, y)) != 0; }

TEST(GraphicsTest, RotatedFillCoversTheTurnedSquareOnly) {
  Bitmap bmp(40, 40, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  g.TranslateTransform(20, 20);
  g.RotateTransform(45);
  SolidBrush red(kRed);
  g.FillRectangle(&red, RectF(-10, -10, 20, 20));
  g.Flush();
  EXPECT_EQ(kRed, bmp.GetPixel(20, 20));
  EXPECT_EQ(kRed, bmp.GetPixel(20, 8));   // near the top vertex (y ≈ 5.9)
  EXPECT_FALSE(IsSet(bmp, 11, 11));       // inside the unturned square only
  EXPECT_FALSE(IsSet(bmp, 20, 4));
}

TEST(GraphicsTest, SmoothingModeDecidesPartialCoverage) {
  // The left edge sits half-way through pixel column 10.
  for (bool smooth : {false, true}) {
    Bitmap bmp(30, 10, PixelFormat::Format32bppARGB);
    Graphics g(&bmp);
    EXPECT_EQ(SmoothingModeNone, g.GetSmoothingMode());  // fast by default
    if (smooth) g.SetSmoothingMode(SmoothingModeAntiAlias);
    SolidBrush red(kRed);
    g.FillRectangle(&red, RectF(10.5f, 0, 10, 10));
    g.Flush();
    const int alpha = AlphaOf(bmp.GetPixel(10, 5));
    if (smooth) {
      EXPECT_NEAR(128, alpha, 10);
    } else {
      EXPECT_TRUE(alpha == 0 || alpha == 255) << alpha;
    }
    EXPECT_EQ(255, AlphaOf(bmp.GetPixel(15, 5)));
  }
}

TEST(GraphicsTest, TransformOrderAndStateRestore) {
  Bitmap bmp(60, 20, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  SolidBrush red(kRed), blue(kBlue);
  const GraphicsState s = g.Save();
  g.TranslateTransform(10, 0);
  g.ScaleTransform(2, 2);  // prepend: scale first, then move
  g.FillRectangle(&red, RectF(0, 0, 5, 5));  // → (10,0)-(20,10)
  {
    GraphicsStateSaver inner(g);
    g.ResetTransform();
    g.TranslateTransform(10, 0);
    g.ScaleTransform(2, 2, Gdiplus::MatrixOrderAppend);  // move, then scale
    g.FillRectangle(&blue, RectF(10, 0, 5, 5));          // → (40,0)-(50,10)
  }
  Matrix m;
  g.GetTransform(&m);
  EXPECT_FLOAT_EQ(10.0f, m.OffsetX());  // the saver put the transform back
  g.Restore(s);
  g.GetTransform(&m);
  EXPECT_TRUE(m.IsIdentity());
  g.Flush();
  EXPECT_EQ(kRed, bmp.GetPixel(15, 5));
  EXPECT_FALSE(IsSet(bmp, 5, 5));
  EXPECT_EQ(kBlue, bmp.GetPixel(45, 5));
  EXPECT_FALSE(IsSet(bmp, 35, 5));
  EXPECT_EQ(Gdiplus::Ok, g.Restore(9999));  // unknown states are ignored
}

TEST(GraphicsTest, EvenOddPathClipLeavesTheHoleAndRestoreLifts) {
  Bitmap bmp(40, 40, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  GraphicsPath ring;
  ring.AddRectangle(RectF(0, 0, 40, 40));
  ring.AddRectangle(RectF(10, 10, 20, 20));
  SolidBrush red(kRed), blue(kBlue);
  const GraphicsState s = g.Save();
  g.SetClip(&ring);
  g.FillRectangle(&red, RectF(0, 0, 40, 40));
  g.ExcludeClip(RectF(0, 0, 5, 40));
  g.FillRectangle(&blue, RectF(0, 0, 40, 40));
  g.Restore(s);
  g.Flush();
  EXPECT_EQ(kBlue, bmp.GetPixel(7, 20));
  EXPECT_EQ(kRed, bmp.GetPixel(2, 20));  // excluded strip kept the red
  EXPECT_FALSE(IsSet(bmp, 20, 20));       // the hole
  g.FillRectangle(&blue, RectF(0, 0, 40, 40));
  g.Flush();
  EXPECT_EQ(kBlue, bmp.GetPixel(20, 20));
}

TEST(GraphicsTest, ClipStaysInDeviceSpaceAndReportsVisibility) {
  Bitmap bmp(100, 100, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  EXPECT_FALSE(g.IsClipEmpty());
  g.SetClip(RectF(10, 10, 20, 20));
  g.TranslateTransform(100, 0);  // moving the world must not move the clip
  RectF b;
  g.GetClipBounds(&b);
  EXPECT_TRUE(b.Equals(RectF(-90, 10, 20, 20)));
  EXPECT_TRUE(g.IsVisible(RectF(-85, 15, 1, 1)));
  EXPECT_FALSE(g.IsVisible(RectF(15, 15, 1, 1)));
  g.ResetTransform();
  g.IntersectClip(RectF(50, 50, 10, 10));
  EXPECT_TRUE(g.IsClipEmpty());
  g.ResetClip();
  EXPECT_FALSE(g.IsClipEmpty());
  EXPECT_EQ(Gdiplus::NotImplemented, g.SetClip(RectF(0, 0, 5, 5), Gdiplus::CombineModeXor));
}

TEST(GraphicsTest, GradientRunsBetweenItsEndsAndTiles) {
  Bitmap bmp(200, 4, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  LinearGradientBrush grad(PointF(0, 0), PointF(100, 0), Color(kRed), Color(kBlue));
  g.FillRectangle(&grad, RectF(0, 0, 200, 4));
  g.Flush();
  const ARGB left = bmp.GetPixel(0, 1), right = bmp.GetPixel(99, 1), mid = bmp.GetPixel(50, 1);
  EXPECT_GT(RedOf(left), 245);
  EXPECT_LT(BlueOf(left), 10);
  EXPECT_GT(BlueOf(right), 245);
  EXPECT_NEAR(RedOf(mid), BlueOf(mid), 8);
  EXPECT_EQ(bmp.GetPixel(30, 1), bmp.GetPixel(130, 1));  // repeats every 100

  // A rectangle's vertical mode runs top to bottom.
  Bitmap v(4, 100, PixelFormat::Format32bppARGB);
  Graphics gv(&v);
  LinearGradientBrush down(RectF(0, 0, 4, 100), Color(kWhite), Color(0xFF000000), Gdiplus::LinearGradientModeVertical);
  gv.FillRectangle(&down, RectF(0, 0, 4, 100));
  gv.Flush();
  EXPECT_GT(RedOf(v.GetPixel(1, 0)), 245);
  EXPECT_LT(RedOf(v.GetPixel(1, 99)), 10);
}

TEST(GraphicsTest, TextureRepeatsWithItsPeriodAndOwnTransform) {
  Bitmap tile(4, 2, PixelFormat::Format32bppARGB);
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 2; ++y) tile.SetPixel(x, y, x == 0 ? kRed : kGreen);
  Bitmap bmp(16, 4, PixelFormat::Format32bppARGB);
  {
    Graphics g(&bmp);
    TextureBrush brush(&tile);
    g.FillRectangle(&brush, RectF(0, 0, 16, 4));
  }
  for (int x : {0, 4, 8, 12}) EXPECT_EQ(kRed, bmp.GetPixel(x, 3)) << x;
  EXPECT_EQ(kGreen, bmp.GetPixel(5, 3));

  Bitmap moved(16, 4, PixelFormat::Format32bppARGB);
  {
    Graphics g(&moved);
    TextureBrush brush(&tile);
    brush.TranslateTransform(1, 0);
    g.FillRectangle(&brush, RectF(0, 0, 16, 4));
  }
  EXPECT_EQ(kRed, moved.GetPixel(5, 0));
  EXPECT_EQ(kGreen, moved.GetPixel(4, 0));
}

TEST(GraphicsTest, PensStrokeTheirWidthAndHairlinesStayThin) {
  Bitmap bmp(100, 40, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  Pen thick(Color(kBlue), 6);
  g.DrawLine(&thick, PointF(0, 10), PointF(100, 10));
  g.ScaleTransform(10, 10);
  Pen hair(Color(kRed), 0);
  g.DrawLine(&hair, PointF(0, 3), PointF(10, 3));
  g.Flush();
  EXPECT_EQ(kBlue, bmp.GetPixel(50, 8));
  EXPECT_EQ(kBlue, bmp.GetPixel(50, 12));
  EXPECT_FALSE(IsSet(bmp, 50, 14));
  int rows = 0;
  for (int y = 20; y < 40; ++y) rows += IsSet(bmp, 50, y) ? 1 : 0;
  EXPECT_EQ(1, rows);  // not ten pixels wide under the scale
}

TEST(GraphicsTest, DrawImageScalesSourceRectangleIntoDestination) {
  Bitmap src(2, 2, PixelFormat::Format32bppARGB);
  src.SetPixel(0, 0, kRed);
  src.SetPixel(1, 0, kGreen);
  src.SetPixel(0, 1, kBlue);
  src.SetPixel(1, 1, kWhite);
  Bitmap bmp(60, 40, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
  g.DrawImage(&src, RectF(0, 0, 40, 40));
  g.DrawImage(&src, RectF(40, 0, 20, 20), 1, 1, 1, 1, UnitPixel);  // the white pixel only
  g.Flush();
  EXPECT_EQ(kRed, bmp.GetPixel(5, 5));
  EXPECT_EQ(kGreen, bmp.GetPixel(35, 5));
  EXPECT_EQ(kBlue, bmp.GetPixel(5, 35));
  EXPECT_EQ(kWhite, bmp.GetPixel(35, 35));
  EXPECT_EQ(kWhite, bmp.GetPixel(50, 10));
  EXPECT_FALSE(IsSet(bmp, 50, 30));

  // Bilinear scaling keeps the borders solid instead of fading out.
  Bitmap solid(4, 4, PixelFormat::Format24bppRGB);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) solid.SetPixel(x, y, kRed);
  Bitmap big(40, 40, PixelFormat::Format32bppARGB);
  Graphics gb(&big);
  gb.DrawImage(&solid, RectF(0, 0, 40, 40));
  gb.Flush();
  EXPECT_EQ(kRed, big.GetPixel(0, 0));
  EXPECT_EQ(kRed, big.GetPixel(39, 39));
}

TEST(GraphicsTest, CachedBitmapDrawsOneToOneAtTheWorldOffset) {
  Bitmap src(4, 4, PixelFormat::Format32bppARGB);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.SetPixel(x, y, kGreen);
  Bitmap bmp(20, 20, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  CachedBitmap cached(&src, &g);
  ASSERT_TRUE(cached.IsValid());
  g.TranslateTransform(10, 0);
  EXPECT_EQ(Gdiplus::Ok, g.DrawCachedBitmap(&cached, 2, 3));
  g.Flush();
  EXPECT_EQ(kGreen, bmp.GetPixel(12, 3));
  EXPECT_EQ(kGreen, bmp.GetPixel(15, 6));
  EXPECT_FALSE(IsSet(bmp, 16, 6));
  EXPECT_FALSE(IsSet(bmp, 2, 3));
  g.RotateTransform(90);
  EXPECT_EQ(Gdiplus::WrongState, g.DrawCachedBitmap(&cached, 0, 0));
}

TEST(GraphicsTest, ColorMatrixIsAppliedToStraightColour) {
  Bitmap src(2, 1, PixelFormat::Format32bppARGB);
  src.SetPixel(0, 0, 0xFFFF0000);
  src.SetPixel(1, 0, 0x80FF0000);  // half-transparent red
  ColorMatrix swapHalf = {{{0, 0, 1, 0, 0}, {0, 1, 0, 0, 0}, {1, 0, 0, 0, 0}, {0, 0, 0, 0.5f, 0}, {0, 0, 0, 0, 1}}};
  ImageAttributes attrs;
  attrs.SetColorMatrix(&swapHalf);
  auto out = attrs.Apply(src);
  ASSERT_TRUE(out);
  EXPECT_EQ(0x800000FFu, out->GetPixel(0, 0));  // red became blue, alpha halved
  const ARGB p = out->GetPixel(1, 0);
  EXPECT_NEAR(0x40, AlphaOf(p), 1);
  EXPECT_GT(BlueOf(p), 250);  // not darkened by premultiplication
  EXPECT_EQ(0, RedOf(p));

  Bitmap dest(2, 1, PixelFormat::Format32bppARGB);
  Graphics g(&dest);
  g.DrawImage(&src, RectF(0, 0, 2, 1), 0, 0, 2, 1, UnitPixel, &attrs);
  g.Flush();
  EXPECT_EQ(0x800000FFu, dest.GetPixel(0, 0));
}

TEST(GraphicsTest, WindowBufferTargetAndInvalidInput) {
  std::vector<std::uint32_t> pixels(8 * 4, 0);
  {
    Graphics g(reinterpret_cast<std::uint8_t*>(pixels.data()), 8, 4, 8 * 4);
    ASSERT_TRUE(g.IsValid());
    SolidBrush red(kRed);
    g.FillRectangle(&red, RectF(2, 1, 2, 2));
  }
  EXPECT_EQ(0xFF0000u, pixels[1 * 8 + 2] & 0xFFFFFFu);
  EXPECT_EQ(0u, pixels[0] & 0xFFFFFFu);

  Graphics bad(reinterpret_cast<std::uint8_t*>(pixels.data()), 8, 4, 16);  // stride too short
  EXPECT_FALSE(bad.IsValid());
  SolidBrush red(kRed);
  EXPECT_EQ(Gdiplus::InvalidParameter, bad.FillRectangle(&red, RectF(0, 0, 1, 1)));
  Bitmap invalid(0, 0, PixelFormat::Format32bppARGB);
  Graphics onInvalid(&invalid);
  EXPECT_FALSE(onInvalid.IsValid());
}

}  // namespace
