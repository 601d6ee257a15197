#include "platform/image_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>

TEST(ImageHelpersTest, ScaledCopyKeepsAspectWhenAskedAndFillsTheNewSize) {
  Bitmap picture(200, 100, PixelFormat::Format24bppRGB);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) picture.SetPixel(x, y, x < 100 ? 0xFF00FF00u : 0xFF0000FFu);

  auto kept = platform::ScaledCopy(picture, 50, 50, PixelFormat::Format24bppRGB, true);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->GetWidth(), 50);
  EXPECT_EQ(kept->GetHeight(), 25);
  EXPECT_EQ(kept->GetPixel(5, 12), 0xFF00FF00u);
  EXPECT_EQ(kept->GetPixel(45, 12), 0xFF0000FFu);

  auto tall = platform::ScaledCopy(picture, 300, 7, PixelFormat::Format32bppARGB, true);
  ASSERT_NE(tall, nullptr);
  EXPECT_EQ(tall->GetWidth(), 14);
  EXPECT_EQ(tall->GetHeight(), 7);

  auto stretched = platform::ScaledCopy(picture, 40, 90, PixelFormat::Format32bppARGB, false);
  ASSERT_NE(stretched, nullptr);
  EXPECT_EQ(stretched->GetWidth(), 40);
  EXPECT_EQ(stretched->GetHeight(), 90);
  // Enlarging must not fade the edges into transparency.
  EXPECT_EQ(stretched->GetPixel(0, 0), 0xFF00FF00u);
  EXPECT_EQ(stretched->GetPixel(39, 89), 0xFF0000FFu);

  EXPECT_EQ(platform::ScaledCopy(picture, 0, 10, PixelFormat::Format24bppRGB, false), nullptr);
  EXPECT_EQ(platform::ScaledCopy(Bitmap(0, 0, PixelFormat::Format24bppRGB), 10, 10, PixelFormat::Format24bppRGB,
                                 false),
            nullptr);
}

TEST(ImageHelpersTest, ColourKeyedCopyMakesOnlyTheKeyTransparent) {
  Bitmap picture(3, 1, PixelFormat::Format24bppRGB);
  picture.SetPixel(0, 0, 0xFFFF00FFu);
  picture.SetPixel(1, 0, 0xFFFF00FEu);
  picture.SetPixel(2, 0, 0xFF000000u);
  auto keyed = platform::ColourKeyedCopy(picture, 0x00FF00FFu);  // alpha of the key does not matter
  ASSERT_NE(keyed, nullptr);
  EXPECT_EQ(keyed->GetPixelFormat(), PixelFormat::Format32bppARGB);
  EXPECT_EQ(keyed->GetPixel(0, 0), 0u);
  EXPECT_EQ(keyed->GetPixel(1, 0), 0xFFFF00FEu);
  EXPECT_EQ(keyed->GetPixel(2, 0), 0xFF000000u);
}

TEST(ImageHelpersTest, MissingResourceGivesNoPicture) {
  EXPECT_EQ(platform::LoadImageFromResource("IMG", "NO_SUCH_PICTURE.PNG"), nullptr);
}

// The halving packs channels into shared lanes; each channel must still come
// out as the rounded mean of its own four values, with no carry into the next
// one, for even and odd sides alike.
TEST(ImageHelpersTest, HalvedCopyAveragesEveryChannelAsAloneForAnySide) {
  for (const auto [w, h] : {std::pair{6, 4}, std::pair{7, 5}, std::pair{1, 1}, std::pair{2, 3}}) {
    Bitmap picture(w, h, PixelFormat::Format32bppARGB);
    std::uint32_t seed = 12345;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        seed = seed * 1664525u + 1013904223u;
        // Saturated channels beside empty ones, where a carry would show.
        picture.GetRow(y)[x] = (x + y) % 3 == 0 ? 0xFFFFFFFFu : seed;
      }
    picture.MarkDirty();
    const auto half = platform::HalvedCopy(picture);
    ASSERT_NE(half, nullptr);
    ASSERT_EQ(half->GetWidth(), (w + 1) / 2);
    ASSERT_EQ(half->GetHeight(), (h + 1) / 2);
    for (int y = 0; y < half->GetHeight(); ++y)
      for (int x = 0; x < half->GetWidth(); ++x) {
        const int x0 = 2 * x, x1 = std::min(2 * x + 1, w - 1), y0 = 2 * y, y1 = std::min(2 * y + 1, h - 1);
        const std::uint32_t p[4] = {picture.GetRow(y0)[x0], picture.GetRow(y0)[x1], picture.GetRow(y1)[x0],
                                    picture.GetRow(y1)[x1]};
        std::uint32_t expected = 0;
        for (int shift = 0; shift < 32; shift += 8) {
          unsigned sum = 2;
          for (std::uint32_t q : p) sum += (q >> shift) & 0xFFu;
          expected |= (sum / 4) << shift;
        }
        EXPECT_EQ(half->GetRow(y)[x], expected) << w << "x" << h << " at " << x << "," << y;
      }
  }
}
