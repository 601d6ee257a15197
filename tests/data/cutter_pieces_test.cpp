// Cutting a picture into piece bitmaps: the pieces laid at their positions
// must give back the cut picture, every pixel exactly once.

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "data/cutter.h"
#include "platform/graphics_path.h"
#include "platform/random.h"

namespace {

// A picture whose every pixel differs from its neighbours, so that a piece
// cut from the wrong place shows.
std::unique_ptr<Bitmap> PatternPicture(int w, int h) {
  auto picture = std::make_unique<Bitmap>(w, h, PixelFormat::Format24bppRGB);
  for (int y = 0; y < h; ++y) {
    std::uint32_t* row = picture->GetRow(y);
    for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | (x * 7 % 256) << 16 | (y * 13 % 256) << 8 | ((x + y) % 256);
  }
  picture->MarkDirty();
  return picture;
}

struct Coverage {
  int holes = 0;
  int doubles = 0;
  int wrongColour = 0;
  int partial = 0;  // pixels neither opaque nor transparent
};

Coverage LayPieces(const CPuzzleCutter& cutter, const Bitmap& cut) {
  const int w = cut.GetWidth(), h = cut.GetHeight();
  std::vector<int> count(static_cast<size_t>(w) * h, 0);
  Coverage result;
  const Size grid = cutter.GetGridSize();
  for (int r = 0; r < grid.Height; ++r) {
    for (int c = 0; c < grid.Width; ++c) {
      CPuzzleCutter::PieceImage piece = cutter.GetPieceImage(cut, c, r);
      if (!piece.bitmap) {
        ADD_FAILURE() << "no bitmap for piece " << c << "," << r;
        continue;
      }
      const int px = static_cast<int>(piece.position.X), py = static_cast<int>(piece.position.Y);
      EXPECT_EQ(piece.position.X, static_cast<float>(px));
      for (int y = 0; y < piece.bitmap->GetHeight(); ++y) {
        const std::uint32_t* row = piece.bitmap->GetRow(y);
        for (int x = 0; x < piece.bitmap->GetWidth(); ++x) {
          const std::uint32_t alpha = row[x] >> 24;
          if (alpha == 0) continue;
          if (alpha != 255) ++result.partial;
          const int cx = px + x, cy = py + y;
          if (cx < 0 || cy < 0 || cx >= w || cy >= h) {
            ++result.wrongColour;  // a piece reaching outside the picture
            continue;
          }
          ++count[static_cast<size_t>(cy) * w + cx];
          if ((row[x] & 0xFFFFFFu) != (cut.GetRow(cy)[cx] & 0xFFFFFFu)) ++result.wrongColour;
        }
      }
    }
  }
  for (int n : count) {
    if (n == 0) ++result.holes;
    if (n > 1) result.doubles += n - 1;
  }
  return result;
}

TEST(CutterPieces, PiecesTileTheCutPictureForEveryShape) {
  auto picture = PatternPicture(430, 310);
  for (float chaos : {0.0f, 0.3f}) {
    for (int shape = 0; shape < 8; ++shape) {
      platform::SeedRand(11 + shape);
      CPuzzleCutter cutter;
      cutter.SetImageSize(430, 310);
      cutter.SetPieceSize(50);
      cutter.SetShapeType(shape);
      cutter.SetDeviation(chaos);
      auto cut = cutter.GetCutImage(*picture);
      ASSERT_TRUE(cut);
      const Coverage cover = LayPieces(cutter, *cut);
      EXPECT_EQ(cover.holes, 0) << "shape " << shape << " chaos " << chaos;
      EXPECT_EQ(cover.doubles, 0) << "shape " << shape << " chaos " << chaos;
      EXPECT_EQ(cover.wrongColour, 0) << "shape " << shape << " chaos " << chaos;
      EXPECT_EQ(cover.partial, 0) << "shape " << shape << " chaos " << chaos;
    }
  }
}

TEST(CutterPieces, ScaledPiecesTileTheScaledPicture) {
  auto picture = PatternPicture(400, 300);
  for (float scale : {0.5f, 0.73f, 1.6f}) {
    platform::SeedRand(21);
    CPuzzleCutter cutter;
    cutter.SetImageSize(400, 300);
    cutter.SetPieceSize(60);
    cutter.SetDeviation(0.3f);
    cutter.SetScale(scale, scale);
    auto cut = cutter.GetCutImage(*picture);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->GetWidth(), std::lround(360 * scale));
    const Coverage cover = LayPieces(cutter, *cut);
    EXPECT_EQ(cover.holes, 0) << scale;
    EXPECT_EQ(cover.doubles, 0) << scale;
    EXPECT_EQ(cover.wrongColour, 0) << scale;
  }
}

// The pieces are cut from their own outlines; the slow reference cuts them
// the other way, from even-odd regions left of each column line and above
// each row line, as piece (c, r) = inside column c + 1 and row r + 1, but
// outside column c and row r. Both must give every pixel the same piece.
TEST(CutterPieces, PiecesMatchTheColumnAndRowRegions) {
  constexpr int kW = 200, kH = 150, kP = 50;
  auto picture = PatternPicture(kW, kH);
  for (int shape : {3, 6}) {
    platform::SeedRand(40 + shape);
    CPuzzleCutter cutter;
    cutter.SetImageSize(kW, kH);
    cutter.SetPieceSize(kP);
    cutter.SetShapeType(shape);
    cutter.SetDeviation(0.3f);
    const Size grid = cutter.GetGridSize();
    auto edgePath = [&](bool column, int line) {
      GraphicsPath path(FillModeAlternate);
      const int count = column ? grid.Height : grid.Width;
      path.AddLine(PointF(0, 0), column ? cutter.GetPointPosition(line, 0) : cutter.GetPointPosition(0, line));
      for (int k = 0; k < count; ++k) {
        const auto& poly = (column ? cutter.GetLeftEdge(line, k) : cutter.GetTopEdge(k, line))->GetPolyline();
        path.AddLines(poly.data(), static_cast<int>(poly.size()));
      }
      path.AddLine(column ? PointF(0, kH - kH % kP) : PointF(kW - kW % kP, 0), PointF(0, 0));
      return path;
    };
    std::vector<GraphicsPath> columns, rows;
    for (int i = 0; i <= grid.Width; ++i) columns.push_back(edgePath(true, i));
    for (int j = 0; j <= grid.Height; ++j) rows.push_back(edgePath(false, j));
    // Region 0 is empty and the last region is the whole cut picture.
    auto inside = [&](bool column, int line, float x, float y) {
      if (line == 0) return false;
      if (line == (column ? grid.Width : grid.Height)) return true;
      return (column ? columns : rows)[line].IsVisible(x, y);
    };
    auto cut = cutter.GetCutImage(*picture);
    ASSERT_TRUE(cut);
    const int cw = cut->GetWidth(), ch = cut->GetHeight();
    std::vector<int> expected(static_cast<size_t>(cw) * ch, -1);
    std::vector<int> expectedCount(static_cast<size_t>(grid.Width) * grid.Height, 0);
    for (int y = 0; y < ch; ++y) {
      for (int x = 0; x < cw; ++x) {
        const float px = x + 0.5f, py = y + 0.5f;
        int owners = 0;
        for (int r = 0; r < grid.Height; ++r) {
          if (!inside(false, r + 1, px, py) || inside(false, r, px, py)) continue;
          for (int c = 0; c < grid.Width; ++c) {
            if (inside(true, c + 1, px, py) && !inside(true, c, px, py)) {
              expected[static_cast<size_t>(y) * cw + x] = r * grid.Width + c;
              ++expectedCount[r * grid.Width + c];
              ++owners;
            }
          }
        }
        ASSERT_EQ(owners, 1) << x << "," << y;
      }
    }
    int mismatches = 0;
    // Cut on three threads, as the play room cuts them.
    std::vector<CPuzzleCutter::PieceImage> pieces = cutter.GetPieceImages(*cut, 3);
    ASSERT_EQ(pieces.size(), static_cast<std::size_t>(grid.Width) * grid.Height);
    for (int r = 0; r < grid.Height; ++r) {
      for (int c = 0; c < grid.Width; ++c) {
        const auto& piece = pieces[static_cast<std::size_t>(r) * grid.Width + c];
        ASSERT_TRUE(piece.bitmap);
        int opaque = 0;
        for (int y = 0; y < piece.bitmap->GetHeight(); ++y) {
          for (int x = 0; x < piece.bitmap->GetWidth(); ++x) {
            const int cx = static_cast<int>(piece.position.X) + x, cy = static_cast<int>(piece.position.Y) + y;
            const bool mine = cx >= 0 && cy >= 0 && cx < cw && cy < ch &&
                              expected[static_cast<size_t>(cy) * cw + cx] == r * grid.Width + c;
            const bool taken = (piece.bitmap->GetRow(y)[x] >> 24) != 0;
            mismatches += mine != taken;
            opaque += taken;
          }
        }
        EXPECT_EQ(opaque, expectedCount[r * grid.Width + c]) << c << "," << r;
      }
    }
    EXPECT_EQ(mismatches, 0) << "shape " << shape;
  }
}

// At full irregularity two tabs of neighbouring edges may cross, and the
// pixels where they overlap belong to two pieces. Measured, not forbidden.
TEST(CutterPieces, FullChaosOverlapStaysSmall) {
  auto picture = PatternPicture(1000, 700);
  long doubles = 0, holes = 0, pixels = 0;
  for (int shape = 0; shape < 8; ++shape) {
    platform::SeedRand(31 + shape);
    CPuzzleCutter cutter;
    cutter.SetImageSize(1000, 700);
    cutter.SetPieceSize(84);
    cutter.SetShapeType(shape);
    cutter.SetDeviation(1.0f);
    auto cut = cutter.GetCutImage(*picture);
    ASSERT_TRUE(cut);
    const Coverage cover = LayPieces(cutter, *cut);
    std::printf("full chaos, shape %d: %d pixels in two pieces, %d in none\n", shape, cover.doubles,
                cover.holes);
    EXPECT_EQ(cover.wrongColour, 0);
    doubles += cover.doubles;
    holes += cover.holes;
    pixels += static_cast<long>(cut->GetWidth()) * cut->GetHeight();
  }
  RecordProperty("double_covered_pixels", static_cast<int>(doubles));
  EXPECT_LT(doubles * 1000, pixels);  // under a tenth of a percent
  EXPECT_LT(holes * 1000, pixels);
}

TEST(CutterPieces, CutPictureComesFromTheCentreAndPiecesFromTheGrid) {
  auto picture = PatternPicture(1000, 700);
  CPuzzleCutter cutter;
  cutter.SetImageSize(1000, 700);
  cutter.SetPieceSize(84);
  auto cut = cutter.GetCutImage(*picture);
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->GetWidth(), 924);
  EXPECT_EQ(cut->GetHeight(), 672);
  EXPECT_EQ(cut->GetPixelFormat(), PixelFormat::Format24bppRGB);
  EXPECT_EQ(cut->GetPixel(0, 0), picture->GetPixel(38, 14));
  EXPECT_EQ(cut->GetPixel(923, 671), picture->GetPixel(961, 685));

  cutter.SetScale(0.5f, 0.5f);
  auto scaled = cutter.GetCutImage(*picture);
  ASSERT_TRUE(scaled);
  EXPECT_EQ(scaled->GetWidth(), 462);
  EXPECT_EQ(scaled->GetHeight(), 336);
  EXPECT_EQ(scaled->GetPixelFormat(), PixelFormat::Format32bppARGB);

  EXPECT_TRUE(cutter.GetPieceImage(*scaled, 10, 7).bitmap);
  EXPECT_FALSE(cutter.GetPieceImage(*scaled, 11, 0).bitmap);
  EXPECT_FALSE(cutter.GetPieceImage(*scaled, 0, 8).bitmap);
  EXPECT_FALSE(cutter.GetPieceImage(*scaled, -1, 0).bitmap);
  CPuzzleCutter empty;
  EXPECT_FALSE(empty.GetCutImage(*picture));
}

}  // namespace
