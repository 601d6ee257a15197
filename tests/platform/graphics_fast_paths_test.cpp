// The drawing context's fast paths against the exact ones they stand in
// for: large gradient fills through a colour table, and the high-speed
// stroke of thin pens, and fills and outlines painted from the distance to
// the outline.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/graphics.h"
#include "platform/outlined_fill.h"

namespace {

using Gdiplus::AlphaOf;

constexpr ARGB kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000;

bool Near(ARGB a, ARGB b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8)
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
      return false;
  return true;
}

// The gradient filled over the whole picture in one call (large enough for
// the table), and the same fill made tile by tile through clips too small
// for it, which the library colours pixel by pixel.
void FillBothWays(Gdiplus::Brush& brush, const Gdiplus::Matrix& world, Bitmap& whole, Bitmap& tiled) {
  const RectF area(-400, -400, 1200, 1200);
  {
    Graphics g(&whole);
    g.Clear(Gdiplus::Color(kWhite));
    g.SetTransform(&world);
    g.FillRectangle(&brush, area);
  }
  Graphics g(&tiled);
  g.Clear(Gdiplus::Color(kWhite));
  for (int y = 0; y < tiled.GetHeight(); y += 100) {
    for (int x = 0; x < tiled.GetWidth(); x += 100) {
      g.ResetTransform();
      g.SetClip(RectF(static_cast<float>(x), static_cast<float>(y), 100, 100));
      g.SetTransform(&world);
      g.FillRectangle(&brush, area);
    }
  }
}

TEST(GradientTableTest, LargeFillsMatchTheLibrarysOwnColoursForEveryWrapAndTransform) {
  struct Case {
    Gdiplus::WrapMode wrap;
    float turn;
  } cases[] = {{Gdiplus::WrapModeTile, 0}, {Gdiplus::WrapModeTileFlipX, 30}, {Gdiplus::WrapModeTile, -70}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.turn);
    // A short diagonal gradient from translucent to opaque, so that the
    // picture holds several periods, the wrap and the blend with white.
    Gdiplus::LinearGradientBrush brush(PointF(20, 10), PointF(170, 90), Gdiplus::Color(0x30FF8000u),
                                       Gdiplus::Color(0xF00040FFu));
    brush.SetWrapMode(c.wrap);
    Gdiplus::Matrix world;
    world.Translate(200, 150);
    world.Rotate(c.turn);
    world.Scale(1.3f, 1.3f);
    Bitmap whole(400, 300, PixelFormat::Format24bppRGB), tiled(400, 300, PixelFormat::Format24bppRGB);
    FillBothWays(brush, world, whole, tiled);
    int off = 0, changes = 0;
    for (int y = 0; y < 300; ++y) {
      for (int x = 0; x < 400; ++x) {
        off += Near(whole.GetPixel(x, y), tiled.GetPixel(x, y), 2) ? 0 : 1;
        if (x > 0) changes += whole.GetPixel(x, y) != whole.GetPixel(x - 1, y) ? 1 : 0;
      }
    }
    EXPECT_EQ(off, 0);
    EXPECT_GT(changes, 10000);  // a real gradient, not one flat colour
  }
}

// A zigzag of many short segments crossing itself, like the cuts of a
// puzzle preview.
Gdiplus::GraphicsPath Zigzag() {
  Gdiplus::GraphicsPath path;
  for (int row = 0; row < 4; ++row) {
    path.StartFigure();
    for (int i = 0; i <= 60; ++i)
      path.AddLine(PointF(5.0f + i * 3.0f, 20.0f + row * 25.0f + (i % 2) * 4.0f),
                   PointF(5.0f + (i + 1) * 3.0f, 20.0f + row * 25.0f + ((i + 1) % 2) * 4.0f));
  }
  path.StartFigure();
  path.AddLine(PointF(90, 5), PointF(95, 115));  // across every row
  return path;
}

TEST(HighSpeedStrokeTest, ThinPensPaintEachPixelOnceInsideTheClipAndFollowTheExactStroke) {
  const Gdiplus::GraphicsPath path = Zigzag();
  Gdiplus::Pen pen(Gdiplus::Color(0x80FF0000u), 3.0f);
  Bitmap exact(200, 120, PixelFormat::Format24bppRGB), fast(200, 120, PixelFormat::Format24bppRGB);
  for (Bitmap* b : {&exact, &fast}) {
    Graphics g(b);
    g.Clear(Gdiplus::Color(kWhite));
    g.SetSmoothingMode(b == &fast ? Gdiplus::SmoothingModeHighSpeed : SmoothingModeNone);
    g.SetClip(RectF(0, 0, 150, 120));
    g.DrawPath(&pen, &path);
  }
  // Half red over white, once: where segments meet or cross, no pixel is
  // darkened by a second coat.
  const ARGB once = fast.GetPixel(5, 20);  // where the first figure starts
  EXPECT_TRUE(Near(once, 0xFFFF7F7Fu, 1));
  int painted = 0, exactPainted = 0, apart = 0;
  for (int y = 0; y < 120; ++y) {
    for (int x = 0; x < 200; ++x) {
      const ARGB p = fast.GetPixel(x, y);
      EXPECT_TRUE(p == kWhite || p == once) << x << "," << y;
      if (x >= 150) {
        EXPECT_EQ(p, kWhite) << "outside the clip at " << x << "," << y;
      }
      painted += p != kWhite ? 1 : 0;
      exactPainted += exact.GetPixel(x, y) != kWhite ? 1 : 0;
      // Every painted pixel lies within two pixels of the exact stroke (the
      // square pen reaches past a flat end by half its width).
      if (p != kWhite) {
        bool near = false;
        for (int dy = -2; dy <= 2 && !near; ++dy)
          for (int dx = -2; dx <= 2 && !near; ++dx)
            near = exact.GetPixel(std::clamp(x + dx, 0, 199), std::clamp(y + dy, 0, 119)) != kWhite;
        apart += near ? 0 : 1;
      }
    }
  }
  EXPECT_EQ(apart, 0);
  EXPECT_NEAR(painted, exactPainted, exactPainted / 4);

  // A wide pen needs its exact outline: the high-speed mode gives the same
  // pixels as the plain one.
  Gdiplus::Pen wide(Gdiplus::Color(kRed), 9.0f);
  Bitmap a(200, 120, PixelFormat::Format24bppRGB), b(200, 120, PixelFormat::Format24bppRGB);
  for (Bitmap* target : {&a, &b}) {
    Graphics g(target);
    g.Clear(Gdiplus::Color(kWhite));
    g.SetSmoothingMode(target == &b ? Gdiplus::SmoothingModeHighSpeed : SmoothingModeNone);
    g.DrawPath(&wide, &path);
  }
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 200; ++x) ASSERT_EQ(a.GetPixel(x, y), b.GetPixel(x, y));
}

// Premultiplied noise: opaque for a 24-bit picture, of every opacity for
// the other.
std::uint32_t Noise(PixelFormat format, int x, int y) {
  const std::uint32_t a = format == PixelFormat::Format24bppRGB ? 255u : (x * 7 + y * 13) % 256u;
  const std::uint32_t r = (x * 31 + y * 17) % (a + 1), g = (x * 5 + y * 29) % (a + 1), b = (x * 11 + y * 3) % (a + 1);
  return a << 24 | r << 16 | g << 8 | b;
}

TEST(HighSpeedStrokeTest, PixelsCoatedInPlaceMatchTheLibrarysCoatThroughTheMaskOnBothFormats) {
  // Under one clip rectangle the stroke coats the pixels itself; a clip of
  // several rectangles sends the same mask through the library. Both must
  // give the same bytes, over every kind of pixel below and for pens of
  // every opacity.
  const Gdiplus::GraphicsPath path = Zigzag();
  for (PixelFormat format : {PixelFormat::Format24bppRGB, PixelFormat::Format32bppARGB}) {
    // The unused byte of a 24-bit pixel is no part of the picture.
    const std::uint32_t used = format == PixelFormat::Format24bppRGB ? 0xFFFFFFu : 0xFFFFFFFFu;
    for (ARGB colour : {0x80FFFFFFu, 0x80000000u, 0x33CC6610u, 0xFF2040C0u}) {
      for (float width : {1.0f, 3.0f}) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(format) << " " << std::hex << colour << " " << width);
        Bitmap own(200, 120, format), library(200, 120, format);
        for (Bitmap* b : {&own, &library}) {
          for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 200; ++x) b->GetRow(y)[x] = Noise(format, x, y);
          b->MarkDirty();
          Graphics g(b);
          g.SetSmoothingMode(Gdiplus::SmoothingModeHighSpeed);
          g.SetClip(RectF(0, 0, 200, 120));
          // A corner far from the path taken out of the clip.
          if (b == &library) g.ExcludeClip(RectF(190, 0, 10, 4));
          Gdiplus::Pen pen(Gdiplus::Color(colour), width);
          g.DrawPath(&pen, &path);
          g.Flush();
        }
        int coated = 0;
        for (int y = 0; y < 120; ++y) {
          for (int x = 0; x < 190; ++x) {
            const std::uint32_t a = own.GetRow(y)[x] & used, b = library.GetRow(y)[x] & used;
            ASSERT_EQ(a, b) << x << "," << y;
            coated += a != (Noise(format, x, y) & used) ? 1 : 0;
          }
        }
        EXPECT_GT(coated, width > 2 ? 1500 : 500);
      }
    }
  }
}

TEST(HighSpeedStrokeTest, SeveralPensInOneCallPaintWhatOneCallPerPenPaints) {
  // Pens of different widths have masks whose corners lie apart; the path
  // also runs out through the clip on both sides.
  Gdiplus::GraphicsPath path = Zigzag();
  path.StartFigure();
  path.AddLine(PointF(-50, 60), PointF(250, 66));
  Gdiplus::Pen wide(Gdiplus::Color(0x80FFFFFFu), 4.0f), halo(Gdiplus::Color(0x60FFFF00u), 3.0f),
      line(Gdiplus::Color(0xC0000000u), 1.0f);
  const std::vector<const Gdiplus::Pen*> pens = {&wide, &halo, &line};
  for (PixelFormat format : {PixelFormat::Format24bppRGB, PixelFormat::Format32bppARGB}) {
    const std::uint32_t used = format == PixelFormat::Format24bppRGB ? 0xFFFFFFu : 0xFFFFFFFFu;
    for (bool oneRectangle : {true, false}) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(format) << " " << oneRectangle);
      Bitmap together(200, 120, format), apart(200, 120, format);
      for (Bitmap* b : {&together, &apart}) {
        for (int y = 0; y < 120; ++y)
          for (int x = 0; x < 200; ++x) b->GetRow(y)[x] = Noise(format, x, y);
        b->MarkDirty();
        Graphics g(b);
        g.SetSmoothingMode(Gdiplus::SmoothingModeHighSpeed);
        g.SetClip(RectF(5, 5, 180, 110));
        if (!oneRectangle) g.ExcludeClip(RectF(175, 5, 10, 4));
        g.TranslateTransform(0.3f, 0.6f);
        if (b == &together) {
          ASSERT_EQ(g.DrawPath(pens, &path), Gdiplus::Ok);
        } else {
          for (const Gdiplus::Pen* pen : pens) g.DrawPath(pen, &path);
        }
        g.Flush();
      }
      for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 200; ++x)
          ASSERT_EQ(together.GetRow(y)[x] & used, apart.GetRow(y)[x] & used) << x << "," << y;
    }
  }
}

TEST(HighSpeedStrokeTest, CurvesAndClosedFiguresAreStrokedWholeUnderTheTransform) {
  Gdiplus::GraphicsPath path;
  path.AddBezier(PointF(0, 0), PointF(20, -30), PointF(40, 30), PointF(60, 0));
  path.AddRectangle(RectF(0, 10, 20, 10));  // closed: its last side is drawn too
  Bitmap b(160, 100, PixelFormat::Format32bppARGB);
  Graphics g(&b);
  g.SetSmoothingMode(Gdiplus::SmoothingModeHighSpeed);
  g.TranslateTransform(10, 30);
  g.ScaleTransform(2, 2);
  Gdiplus::Pen pen(Gdiplus::Color(kRed), 0.5f);  // one device pixel at this scale
  g.DrawPath(&pen, &path);
  g.Flush();
  EXPECT_EQ(b.GetPixel(10, 30), kRed);    // the curve's start
  EXPECT_EQ(b.GetPixel(130, 30), kRed);   // its end
  EXPECT_EQ(b.GetPixel(10, 60), kRed);    // the rectangle's closing side, at local (0, 15)
  EXPECT_EQ(AlphaOf(b.GetPixel(30, 60)), 0);  // inside it nothing is filled

  // A line millions of pixels long is walked only where it can show.
  Gdiplus::GraphicsPath endless;
  endless.AddLine(PointF(-1e7f, 30), PointF(1e7f, 30));
  endless.StartFigure();
  endless.AddLine(PointF(3e9f, 3e9f), PointF(3e9f, 3e9f));  // a lone point far away
  g.DrawPath(&pen, &endless);
  g.Flush();
  EXPECT_EQ(b.GetPixel(80, 90), kRed);  // local y 30 is device row 90
  EXPECT_EQ(b.GetPixel(159, 90), kRed);
  EXPECT_EQ(AlphaOf(b.GetPixel(80, 95)), 0);
}

// Straight edges must come out with the exact share of each pixel they
// cover, as the scan converter gives it: these cases are worked by hand.
TEST(OutlinedFillTest, EdgesCoverTheirExactShareAndTheFillRuleHolds) {
  auto alpha = [](Bitmap& b, int x, int y) { return static_cast<int>(AlphaOf(b.GetPixel(x, y))); };
  const Gdiplus::Matrix identity;
  const ARGB white[] = {kWhite};
  {
    // A fill whose sides lie a quarter pixel inside the pixels 2 and 7.
    Gdiplus::GraphicsPath path;
    path.AddRectangle(RectF(2.25f, 3.0f, 5.5f, 3.0f));
    Bitmap b(10, 10, PixelFormat::Format32bppARGB);
    ASSERT_TRUE(Gdiplus::PaintOutlinedFill(b, identity, path, white, {}));
    const int row[] = {0, 0, 191, 255, 255, 255, 255, 191, 0, 0};
    for (int x = 0; x < 10; ++x) EXPECT_NEAR(alpha(b, x, 4), row[x], 1) << "x " << x;
    EXPECT_EQ(alpha(b, 4, 2), 0);
    EXPECT_EQ(alpha(b, 4, 3), 255);
    EXPECT_EQ(alpha(b, 4, 6), 0);
  }
  {
    // A one-pixel pen centred on whole-pixel sides covers half of the pixel
    // on either side; the fill under it shows inside.
    Gdiplus::GraphicsPath path;
    path.AddRectangle(RectF(2, 2, 6, 6));
    Bitmap b(10, 10, PixelFormat::Format32bppARGB);
    const Gdiplus::OutlinePen pen[] = {{kRed, 1.0}};
    ASSERT_TRUE(Gdiplus::PaintOutlinedFill(b, identity, path, white, pen));
    EXPECT_EQ(b.GetPixel(0, 5), 0u);
    EXPECT_NEAR(alpha(b, 1, 5), 128, 1);
    EXPECT_EQ(b.GetPixel(2, 5) >> 16, 0xFFFFu) << "red over white, opaque";
    EXPECT_EQ(b.GetPixel(4, 5), kWhite);
  }
  // Two squares drawn the same way round overlap: the winding rule fills
  // the overlap, the alternate rule leaves it empty.
  for (const Gdiplus::FillMode mode : {Gdiplus::FillModeWinding, Gdiplus::FillModeAlternate}) {
    Gdiplus::GraphicsPath path(mode);
    path.AddRectangle(RectF(1, 1, 6, 6));
    path.AddRectangle(RectF(4, 4, 6, 6));
    Bitmap b(12, 12, PixelFormat::Format32bppARGB);
    ASSERT_TRUE(Gdiplus::PaintOutlinedFill(b, identity, path, white, {}));
    EXPECT_EQ(alpha(b, 5, 5), mode == Gdiplus::FillModeWinding ? 255 : 0);
    EXPECT_EQ(alpha(b, 2, 2), 255);
    EXPECT_EQ(alpha(b, 8, 8), 255);
  }
  // What it cannot draw as the library would is left to the library.
  Gdiplus::GraphicsPath open;
  open.AddLine(PointF(1, 1), PointF(8, 8));
  Bitmap b(10, 10, PixelFormat::Format32bppARGB);
  const Gdiplus::OutlinePen thin[] = {{kRed, 1.0}};
  const Gdiplus::OutlinePen wide[] = {{kRed, Gdiplus::kMaxOutlinePenWidth * 2}};
  EXPECT_FALSE(Gdiplus::PaintOutlinedFill(b, identity, open, white, thin)) << "an open figure under a pen";
  Gdiplus::GraphicsPath square;
  square.AddRectangle(RectF(2, 2, 4, 4));
  EXPECT_FALSE(Gdiplus::PaintOutlinedFill(b, identity, square, white, wide));
  EXPECT_EQ(b.GetPixel(4, 4), 0u) << "nothing painted when refused";
}

}  // namespace

// Small pictures are blended past the library; a large one drawn by the
// library in one piece and the same cut into small ones must leave the same
// pixels, on targets with and without alpha, under box clips.
TEST(SmallBlitTest, SmallPicturesBlendBitForBitAsTheLibraryDoes) {
  std::srand(27);
  const auto random = [] { return static_cast<ARGB>(std::rand()) ^ (static_cast<ARGB>(std::rand()) << 16); };
  Bitmap whole(160, 120, PixelFormat::Format32bppARGB);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) whole.SetPixel(x, y, x % 7 == 0 ? 0xFF000000u | random() : random());
  for (PixelFormat format : {PixelFormat::Format32bppARGB, PixelFormat::Format24bppRGB}) {
    Bitmap byLibrary(200, 150, format), bySmall(200, 150, format);
    for (Bitmap* target : {&byLibrary, &bySmall})
      for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) target->SetPixel(x, y, static_cast<ARGB>(x * 977 + y * 131) | 0x40000000u);
    const RectF clip(13, 9, 170, 101);
    {
      Graphics g(&byLibrary);
      g.SetClip(clip);
      g.DrawImage(&whole, PointF(17, 11));
    }
    Graphics g(&bySmall);
    g.SetClip(clip);
    for (int y = 0; y < 120; y += 40)
      for (int x = 0; x < 160; x += 40) {
        Bitmap tile(40, 40, PixelFormat::Format32bppARGB);
        for (int ty = 0; ty < 40; ++ty)
          for (int tx = 0; tx < 40; ++tx) tile.GetRow(ty)[tx] = whole.GetRow(y + ty)[x + tx];
        tile.MarkDirty();
        g.DrawImage(&tile, PointF(static_cast<float>(17 + x), static_cast<float>(11 + y)));
      }
    g.Flush();
    int off = 0;
    for (int y = 0; y < 150; ++y)
      for (int x = 0; x < 200; ++x) off += byLibrary.GetPixel(x, y) == bySmall.GetPixel(x, y) ? 0 : 1;
    EXPECT_EQ(off, 0);
  }
}
