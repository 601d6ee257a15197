// The colour matrix's look-up path for opaque pixels against the formula
// worked pixel by pixel, and the bitmap views that bands are drawn through.

#include "platform/image_attributes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// The documented formula on one straight-colour pixel, premultiplied.
ARGB Reference(const ColorMatrix& matrix, ARGB straight) {
  const float in[5] = {Gdiplus::RedOf(straight) / 255.0f, Gdiplus::GreenOf(straight) / 255.0f,
                       Gdiplus::BlueOf(straight) / 255.0f, Gdiplus::AlphaOf(straight) / 255.0f, 1.0f};
  float out[4];
  for (int j = 0; j < 4; ++j) {
    float sum = 0.0f;
    for (int i = 0; i < 5; ++i) sum += in[i] * matrix.m[i][j];
    out[j] = std::clamp(sum, 0.0f, 1.0f);
  }
  auto level = [](double v) { return static_cast<std::uint32_t>(std::lround(v * 255.0)); };
  return level(out[3]) << 24 | level(out[0] * out[3]) << 16 | level(out[1] * out[3]) << 8 | level(out[2] * out[3]);
}

int ChannelDistance(ARGB a, ARGB b) {
  int most = 0;
  for (int shift = 0; shift < 32; shift += 8)
    most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return most;
}

TEST(ImageAttributesLookUp, OpaquePicturesMatchTheFormulaForEveryLevel) {
  // The ghost's tint, and a channel-wise matrix that inverts, clamps and
  // darkens by alpha.
  const ColorMatrix ghost = {{{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 0.3f, 0}, {0.1f, 0.1f, 0.1f, 0, 1}}};
  const ColorMatrix harsh = {
      {{-1.5f, 0, 0, 0, 0}, {0, 2.0f, 0, 0, 0}, {0, 0, 0.5f, 0, 0}, {-0.2f, 0.1f, 0, 0.8f, 0}, {1.2f, -0.3f, 0.25f, 0.1f, 1}}};
  for (const ColorMatrix* matrix : {&ghost, &harsh}) {
    ImageAttributes attributes;
    attributes.SetColorMatrix(matrix);
    // Every level in every channel, in different orders so that a table
    // used for the wrong channel shows.
    Gdiplus::Bitmap picture(256, 2, PixelFormat::Format24bppRGB);
    for (int v = 0; v < 256; ++v) {
      picture.SetPixel(v, 0, Gdiplus::MakeARGB(255, static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(255 - v),
                                               static_cast<std::uint8_t>(v * 7)));
      picture.SetPixel(v, 1, Gdiplus::MakeARGB(255, static_cast<std::uint8_t>(v * 3), static_cast<std::uint8_t>(v),
                                               static_cast<std::uint8_t>(255 - v)));
    }
    const auto out = attributes.Apply(picture);
    ASSERT_TRUE(out);
    int worst = 0;
    for (int y = 0; y < 2; ++y)
      for (int v = 0; v < 256; ++v)
        worst = std::max(worst, ChannelDistance(out->GetRow(y)[v], Reference(*matrix, picture.GetPixel(v, y))));
    // Single precision against the test's own sums: a level apart at most.
    EXPECT_LE(worst, 1);

    // The same opaque pixels among translucent ones (which take the pixel by
    // pixel path) come out as in the opaque picture.
    Gdiplus::Bitmap mixed(256, 1, PixelFormat::Format32bppARGB);
    for (int v = 0; v < 256; ++v) mixed.SetPixel(v, 0, v % 2 ? picture.GetPixel(v, 0) : 0x80402010u);
    const auto mixedOut = attributes.Apply(mixed);
    ASSERT_TRUE(mixedOut);
    for (int v = 1; v < 256; v += 2) ASSERT_EQ(mixedOut->GetRow(0)[v], out->GetRow(0)[v]) << v;
    for (int v = 0; v < 256; v += 2) ASSERT_LE(ChannelDistance(mixedOut->GetRow(0)[v], Reference(*matrix, 0x80402010u)), 2);
  }
}

TEST(BitmapViewOfRows, DrawsIntoItsRowsOfTheWholeAndRefusesRowsOutside) {
  Gdiplus::Bitmap whole(8, 10, PixelFormat::Format32bppARGB);
  auto view = whole.ViewOfRows(4, 3);
  ASSERT_TRUE(view);
  EXPECT_EQ(view->GetHeight(), 3);
  view->SetPixel(2, 0, 0xFF00FF00u);
  view->SetPixel(7, 2, 0xFFFF0000u);
  view->SetPixel(0, 3, 0xFF0000FFu);  // outside the view: not written
  view.reset();
  whole.MarkDirty();
  EXPECT_EQ(whole.GetPixel(2, 4), 0xFF00FF00u);
  EXPECT_EQ(whole.GetPixel(7, 6), 0xFFFF0000u);
  EXPECT_EQ(whole.GetPixel(0, 7), 0u);
  EXPECT_FALSE(whole.ViewOfRows(8, 3));
  EXPECT_FALSE(whole.ViewOfRows(-1, 2));
  EXPECT_FALSE(whole.ViewOfRows(0, 0));
  EXPECT_TRUE(whole.ViewOfRows(0, 10));
}

}  // namespace
