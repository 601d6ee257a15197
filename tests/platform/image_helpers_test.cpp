#include "platform/image_helpers.h"

#include <gtest/gtest.h>

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
