// The bevel is drawn in bands of rows at once; however the picture is
// split, it must come out the same to the pixel, it must lie along the cuts
// only, light below a cut and dark above it.

#include "play/bevel.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "data/puzzle_data.h"
#include "tests/data/puzzle_test_support.h"

namespace {

int Brightness(std::uint32_t pixel) { return ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF); }

int CountDifferences(const Gdiplus::Bitmap& a, const Gdiplus::Bitmap& b) {
  int differences = 0;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) differences += a.GetRow(y)[x] != b.GetRow(y)[x];
  return differences;
}

TEST(Bevel, AnyNumberOfBandsDrawsTheSamePixels) {
  for (float scale : {1.0f, 0.7f}) {
    SCOPED_TRACE(scale);
    CPuzzleData puzzle("bevel");
    // Tall enough for bands of a few rows each to cut through many pieces,
    // their tabs and the grid points where batches meet.
    puzzle_test::MakePlayable(puzzle, 40, 6, 16);
    puzzle.SetSizeScale(scale);
    const CPuzzleCutter& cutter = puzzle.GetCutter();
    const auto cut = cutter.GetCutImage(*puzzle.GetPicture());
    ASSERT_TRUE(cut);
    const auto whole = MakeBevelledPicture(*cut, cutter, scale, 1);
    ASSERT_TRUE(whole);
    EXPECT_GT(CountDifferences(*whole, *cut), 0);
    for (int bands : {2, 3, 7, 64}) {
      SCOPED_TRACE(bands);
      const auto banded = MakeBevelledPicture(*cut, cutter, scale, bands);
      ASSERT_TRUE(banded);
      EXPECT_EQ(CountDifferences(*whole, *banded), 0);
    }
    // Away from every cut (the middle of a cell, beyond the tabs' reach)
    // the picture is untouched.
    const int middle = static_cast<int>(40 * scale * 2.5f);
    EXPECT_EQ(whole->GetPixel(middle, middle), cut->GetPixel(middle, middle));
    // Beside a straight stretch of the cut between the first two rows (a few
    // pixels from the grid point, before any tab), the light line lies two
    // units below the cut and the dark one a unit above it.
    if (scale == 1.0f) {
      const int x = 46, below = 42, above = 38;
      EXPECT_GT(Brightness(whole->GetPixel(x, below)), Brightness(cut->GetPixel(x, below)));
      EXPECT_LT(Brightness(whole->GetPixel(x, above)), Brightness(cut->GetPixel(x, above)));
    }
  }
  // A picture of a few rows is not worth a second thread.
  EXPECT_EQ(BevelThreadCount(1), 1);
  EXPECT_GE(BevelThreadCount(4000), 1);
}

}  // namespace
