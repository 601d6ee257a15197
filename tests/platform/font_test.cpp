#include "platform/font.h"

#include <gtest/gtest.h>

#include "platform/graphics.h"

namespace {

RectF Measure(const std::string& text, const Font& font, const RectF& rect = RectF(),
              const StringFormat* format = nullptr, int* fitted = nullptr) {
  Bitmap bmp(1, 1, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  RectF box;
  EXPECT_EQ(Gdiplus::Ok, g.MeasureString(text, &font, rect, format, &box, fitted));
  return box;
}

TEST(FontTest, WindowsFamiliesResolveToMetricCompatibleFaces) {
  EXPECT_EQ("Liberation Serif", Gdiplus::ResolveFontFamily("Times New Roman"));
  EXPECT_EQ("Liberation Sans", Gdiplus::ResolveFontFamily("Arial"));
  EXPECT_EQ("Liberation Sans", Gdiplus::ResolveFontFamily("Microsoft Sans Serif"));
  EXPECT_TRUE(FontFamily("Microsoft Sans Serif").IsAvailable());
  EXPECT_FALSE(FontFamily("No Such Family Xyzzy").IsAvailable());

  // Same metrics: the two names give the same width for the same text.
  const Font arial("Arial", 12), msSans("Microsoft Sans Serif", 12);
  EXPECT_FLOAT_EQ(Measure("Number of puzzle pieces", arial).Width,
                  Measure("Number of puzzle pieces", msSans).Width);
}

TEST(FontTest, PointsAreSizedAtNinetySixDots) {
  const Font points("Arial", 12, FontStyleRegular, UnitPoint);
  const Font pixels("Arial", 16, FontStyleRegular, UnitPixel);
  EXPECT_FLOAT_EQ(16.0f, points.GetSizeInPixels());
  EXPECT_FLOAT_EQ(Measure("Tandrill", points).Width, Measure("Tandrill", pixels).Width);
  // A line is a little taller than the em size.
  EXPECT_GT(pixels.GetHeight(), 16.0f);
  EXPECT_LT(pixels.GetHeight(), 24.0f);
}

TEST(FontTest, MeasureGrowsWithTextAndStyle) {
  const Font font("Times New Roman", 20);
  const RectF one = Measure("Puzzle", font), two = Measure("Puzzle Puzzle", font);
  EXPECT_GT(two.Width, one.Width * 1.8f);
  EXPECT_GT(Measure("Puzzle", Font("Times New Roman", 20, FontStyleBold)).Width, one.Width);
  // Wrapping inside a narrow rectangle adds lines instead of width.
  const RectF wrapped = Measure("Puzzle Puzzle Puzzle", font, RectF(0, 0, one.Width * 1.5f, 0));
  EXPECT_LE(wrapped.Width, one.Width * 1.5f);
  EXPECT_GT(wrapped.Height, one.Height * 2.5f);
}

TEST(FontTest, AlignmentPlacesTheBoxInTheRectangle) {
  const Font font("Arial", 12);
  StringFormat f;
  f.SetAlignment(Gdiplus::StringAlignmentCenter);
  f.SetLineAlignment(Gdiplus::StringAlignmentFar);
  const RectF box = Measure("OK", font, RectF(0, 0, 200, 100), &f);
  EXPECT_NEAR(100.0f, box.X + box.Width / 2, 0.6f);
  EXPECT_NEAR(100.0f, box.GetBottom(), 0.6f);
  f.SetAlignment(Gdiplus::StringAlignmentFar);
  f.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
  EXPECT_NEAR(200.0f, Measure("OK", font, RectF(0, 0, 200, 100), &f).GetRight(), 0.6f);
}

TEST(FontTest, EllipsisTrimmingShortensToTheRectangle) {
  const Font font("Arial", 12);
  const std::string text = "A rather long puzzle name that cannot fit";
  const float full = Measure(text, font).Width;
  for (auto trimming : {Gdiplus::StringTrimmingEllipsisCharacter, Gdiplus::StringTrimmingEllipsisPath}) {
    StringFormat f(Gdiplus::StringFormatFlagsNoWrap);
    f.SetTrimming(trimming);
    const RectF box = Measure(text, font, RectF(0, 0, full / 2, 40), &f);
    EXPECT_LE(box.Width, full / 2 + 0.5f);
    EXPECT_GT(box.Width, full / 4);
    EXPECT_LT(box.Height, font.GetHeight() * 1.5f);  // still one line
  }
  // Character and word trimming drop what would not show in full; the word
  // form ends at a word boundary.
  StringFormat chars(Gdiplus::StringFormatFlagsNoWrap), words(Gdiplus::StringFormatFlagsNoWrap);
  words.SetTrimming(Gdiplus::StringTrimmingWord);
  int charsFitted = 0, wordsFitted = 0;
  const float charsWidth = Measure(text, font, RectF(0, 0, full / 2, 40), &chars, &charsFitted).Width;
  const float wordsWidth = Measure(text, font, RectF(0, 0, full / 2, 40), &words, &wordsFitted).Width;
  EXPECT_LE(charsWidth, full / 2);
  EXPECT_GT(charsWidth, full / 2 - 12);
  EXPECT_LE(wordsWidth, charsWidth);
  EXPECT_LE(wordsFitted, charsFitted);
  EXPECT_TRUE(text[wordsFitted] == ' ') << wordsFitted;
  // Without any trimming and without wrapping the text keeps its width (and
  // is clipped when drawn).
  StringFormat none(Gdiplus::StringFormatFlagsNoWrap);
  none.SetTrimming(Gdiplus::StringTrimmingNone);
  int fitted = 0;
  Measure(text, font, RectF(0, 0, full / 2, 40), &none, &fitted);
  EXPECT_EQ(static_cast<int>(text.size()), fitted);
}

TEST(FontTest, HotkeyPrefixIsHiddenShownOrKept) {
  const Font font("Arial", 14);
  StringFormat hide, show, keep;
  hide.SetHotkeyPrefix(Gdiplus::HotkeyPrefixHide);
  show.SetHotkeyPrefix(Gdiplus::HotkeyPrefixShow);
  const float plain = Measure("Play", font).Width;
  EXPECT_FLOAT_EQ(plain, Measure("&Play", font, RectF(), &hide).Width);
  EXPECT_FLOAT_EQ(plain, Measure("&Play", font, RectF(), &show).Width);
  EXPECT_GT(Measure("&Play", font, RectF(), &keep).Width, plain);
  // "&&" is a literal ampersand.
  EXPECT_FLOAT_EQ(Measure("R&B", font).Width, Measure("R&&B", font, RectF(), &hide).Width);

  // Show underlines the marked letter: more ink below the baseline.
  auto inkBelow = [&](const StringFormat& f) {
    Bitmap bmp(80, 30, PixelFormat::Format32bppARGB);
    Graphics g(&bmp);
    SolidBrush black(0xFF000000);
    g.DrawString("&Play", &font, RectF(0, 0, 80, 30), &f, &black);
    g.Flush();
    int ink = 0;
    for (int y = 17; y < 30; ++y)
      for (int x = 0; x < 12; ++x) ink += Gdiplus::AlphaOf(bmp.GetPixel(x, y)) > 128;
    return ink;
  };
  EXPECT_GT(inkBelow(show), inkBelow(hide));
}

TEST(FontTest, LargeBoldSerifPutsInkWhereItIsLaidOut) {
  const Font font("Times New Roman", 45, FontStyleBold);
  Bitmap bmp(200, 100, PixelFormat::Format32bppARGB);
  Graphics g(&bmp);
  g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
  SolidBrush red(0xFFFF0000);
  StringFormat centre;
  centre.SetAlignment(Gdiplus::StringAlignmentCenter);
  centre.SetLineAlignment(Gdiplus::StringAlignmentCenter);
  ASSERT_EQ(Gdiplus::Ok, g.DrawString("IH", &font, RectF(0, 0, 200, 100), &centre, &red));
  g.Flush();
  int minX = 200, maxX = -1, minY = 100, maxY = -1;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x)
      if (Gdiplus::AlphaOf(bmp.GetPixel(x, y)) > 128) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  ASSERT_GE(maxX, 0) << "no ink";
  EXPECT_NEAR(100, (minX + maxX) / 2.0, 4);
  EXPECT_GT(maxY - minY, 25);  // capitals of a 60-pixel font
  EXPECT_LT(maxY - minY, 50);
  EXPECT_EQ(0xFFFF0000u, bmp.GetPixel((minX + maxX) / 2, (minY + maxY) / 2) | 0xFF000000u);
}

TEST(FontTest, TextOutlineMatchesTheMeasuredBox) {
  const Font font("Arial", 30, FontStyleRegular, UnitPixel);
  const FontFamily family("Arial");
  GraphicsPath path;
  ASSERT_EQ(Gdiplus::Ok, path.AddString("Tandrill", &family, FontStyleRegular, 30, PointF(10, 20), nullptr));
  ASSERT_GT(path.GetPointCount(), 20);
  RectF outline;
  path.GetBounds(&outline);
  const RectF box = Measure("Tandrill", font, RectF(10, 20, 0, 0));
  EXPECT_GE(outline.X, box.X - 1);
  EXPECT_LE(outline.GetRight(), box.GetRight() + 1);
  EXPECT_GT(outline.Width, box.Width * 0.8f);
  EXPECT_GE(outline.Y, box.Y);
  // Across the middle, the strokes of the letters are inside and the gaps
  // between them are not (the figures are glyph outlines, not boxes).
  int inside = 0, samples = 0;
  for (float x = outline.X; x < outline.GetRight(); x += 0.5f, ++samples)
    inside += path.IsVisible(x, outline.Y + outline.Height * 0.6f);
  EXPECT_GT(inside, samples / 8);
  EXPECT_LT(inside, samples * 3 / 4);
  EXPECT_EQ(Gdiplus::InvalidParameter, path.AddString("x", nullptr, 0, 10, PointF(), nullptr));

  // A line far wider than the target outlines are laid out on keeps every
  // glyph (the play room's tips lost both ends), however it is aligned.
  const std::string line = "Tip: Rotate a piece clockwise by holding down the mouse right button";
  for (auto align : {Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentCenter, Gdiplus::StringAlignmentFar}) {
    StringFormat format;
    format.SetAlignment(align);
    GraphicsPath wide;
    ASSERT_EQ(Gdiplus::Ok, wide.AddString(line, &family, FontStyleRegular, 30, RectF(), &format));
    RectF drawn;
    wide.GetBounds(&drawn);
    EXPECT_GT(drawn.Width, Measure(line, font, RectF(), &format).Width * 0.95f) << "alignment " << align;
  }
}

}  // namespace
