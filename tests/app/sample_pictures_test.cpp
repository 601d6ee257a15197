#include "app/sample_pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "platform/bitmap.h"
#include "platform/image_codec.h"

namespace {

// A sample must be good to solve: detailed everywhere. Every 32 × 32 block
// holds many distinct colours (no flat areas), the samples differ from each
// other, and the same call draws the same picture again.
TEST(SamplePicturesTest, DetailedEverywhereDistinctAndRepeatable) {
  constexpr int kWidth = 320, kHeight = 224;
  std::set<std::uint32_t> firstPixels;
  for (int i = 0; i < app::kSamplePictureCount; ++i) {
    auto picture = app::MakeSamplePicture(i, kWidth, kHeight);
    ASSERT_TRUE(picture);
    EXPECT_FALSE(app::GetSamplePictureTitle(i).empty());
    EXPECT_FALSE(picture->HasAlpha());
    for (int by = 0; by + 32 <= kHeight; by += 32) {
      for (int bx = 0; bx + 32 <= kWidth; bx += 32) {
        std::set<std::uint32_t> colours;
        for (int y = by; y < by + 32; ++y)
          for (int x = bx; x < bx + 32; ++x) colours.insert(picture->GetPixel(x, y) & 0xFFFFFF);
        EXPECT_GE(colours.size(), 40u) << "sample " << i << " is flat near " << bx << "," << by;
      }
    }
    auto again = app::MakeSamplePicture(i, kWidth, kHeight);
    EXPECT_EQ(again->GetPixel(101, 77), picture->GetPixel(101, 77));
    firstPixels.insert(picture->GetPixel(160, 112));
    if (const char* out = std::getenv("TANDRILL_SAMPLE_OUT")) {
      platform::SaveImageByExtension(*app::MakeSamplePicture(i, 1200, 800),
                                     std::string(out) + "/sample" + std::to_string(i) + ".png");
    }
  }
  EXPECT_EQ(firstPixels.size(), static_cast<size_t>(app::kSamplePictureCount));
  EXPECT_FALSE(app::MakeSamplePicture(app::kSamplePictureCount, 10, 10));
  EXPECT_FALSE(app::MakeSamplePicture(0, 0, 10));
}

}  // namespace
