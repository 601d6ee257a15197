// The cutter's grid: sizes and clamps, the random state of the points and
// how it survives changes, point placement and the shapes of the edges.

#include "data/cutter.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/random.h"

namespace {

using Grid = std::vector<std::vector<CPuzzleCutter::TopLeftCuts>>;

float MaxY(const std::vector<PointF>& line) {
  float m = -1e9f;
  for (const PointF& p : line) m = std::max(m, p.Y);
  return m;
}
float MinY(const std::vector<PointF>& line) {
  float m = 1e9f;
  for (const PointF& p : line) m = std::min(m, p.Y);
  return m;
}

TEST(CutterGrid, FreshCutterPicksMiddlePieceSizeAndClampsLaterChanges) {
  CPuzzleCutter cutter;
  cutter.SetImageSize(1000, 700);
  EXPECT_EQ(cutter.GetMaxPieceSize(), 350);
  EXPECT_EQ(cutter.GetPieceSize(), 195);
  EXPECT_EQ(cutter.GetGridSize(), Size(5, 3));
  EXPECT_EQ(cutter.GetGrid().size(), 4u);
  EXPECT_EQ(cutter.GetGrid()[0].size(), 6u);

  cutter.SetPieceSize(84);
  EXPECT_EQ(cutter.GetGridSize(), Size(11, 8));
  EXPECT_TRUE(cutter.IsValid());

  cutter.SetPieceSize(10);
  EXPECT_EQ(cutter.GetPieceSize(), 40);
  cutter.SetPieceSize(1000);
  EXPECT_EQ(cutter.GetPieceSize(), 350);
  EXPECT_EQ(cutter.GetGridSize(), Size(2, 2));

  // A new picture keeps the chosen size where it fits.
  cutter.SetImageSize(600, 500);
  EXPECT_EQ(cutter.GetPieceSize(), 250);
}

TEST(CutterGrid, TinyMissingAndAbsurdPictureSizes) {
  CPuzzleCutter cutter;
  EXPECT_EQ(cutter.GetMaxPieceSize(), 0);
  cutter.SetPieceSize(100);  // no picture yet: stays unchosen
  EXPECT_EQ(cutter.GetPieceSize(), 0);
  EXPECT_FALSE(cutter.IsValid());

  // On a picture under 80 pixels the setter ends at the maximum, the size
  // change at the minimum.
  cutter.SetImageSize(60, 300);
  EXPECT_EQ(cutter.GetPieceSize(), 35);
  cutter.SetPieceSize(10);
  EXPECT_EQ(cutter.GetPieceSize(), 30);
  cutter.SetImageSize(70, 300);
  EXPECT_EQ(cutter.GetPieceSize(), 40);
  EXPECT_EQ(cutter.GetGridSize(), Size(1, 7));

  // Sizes no picture can have make no grid at all.
  cutter.SetImageSize(2000000000, 2000000000);
  EXPECT_TRUE(cutter.GetGrid().empty());
  cutter.SetImageSize(-5, 700);
  EXPECT_EQ(cutter.GetGridSize(), Size(0, 0));
  EXPECT_FALSE(cutter.IsValid());
}

TEST(CutterGrid, DirectionsFormAChequerboardAndBordersStayStraight) {
  platform::SeedRand(7);
  CPuzzleCutter cutter;
  cutter.SetImageSize(400, 300);
  cutter.SetPieceSize(50);
  const Grid& g = cutter.GetGrid();
  ASSERT_EQ(g.size(), 7u);
  for (size_t y = 0; y < g.size(); ++y) {
    for (size_t x = 0; x < g[y].size(); ++x) {
      const auto& p = g[y][x];
      EXPECT_EQ(p.leftDirection, p.topDirection);
      if (x > 0) { EXPECT_NE(p.topDirection, g[y][x - 1].topDirection); }
      if (y > 0) { EXPECT_NE(p.topDirection, g[y - 1][x].topDirection); }
      const bool borderX = x == 0 || x == 8, borderY = y == 0 || y == 6;
      EXPECT_EQ(p.leftShape, borderX ? 0 : 6);
      EXPECT_EQ(p.topShape, borderY ? 0 : 6);
      if (borderX) { EXPECT_EQ(p.jitter.X, 0.0f); }
      if (borderY) { EXPECT_EQ(p.jitter.Y, 0.0f); }
      EXPECT_LE(std::fabs(p.jitter.X), 1.0f);
      EXPECT_LE(std::fabs(p.jitter.Y), 1.0f);
    }
  }
}

// The draw order is what makes a seed reproduce a cut: the corner draws its
// orientation, then each inner point draws x sign and size before y.
TEST(CutterGrid, DrawsRandomNumbersInTheFixedOrder) {
  platform::SeedRand(1234);
  const bool origin = platform::Rand() % 2 != 0;
  platform::Rand();  // (1, 0): x sign
  const int xSize = platform::Rand();
  for (int i = 0; i < 2 * 2; ++i) platform::Rand();  // (2, 0) and (3, 0)
  // (4, 0) is the right border: nothing. (0, 1) is the left border: y only.
  const bool ySignPositive = platform::Rand() % 2 != 0;
  const int ySize = platform::Rand();
  const bool xSignPositive11 = platform::Rand() % 2 != 0;
  const int xSize11 = platform::Rand();

  platform::SeedRand(1234);
  CPuzzleCutter cutter;
  cutter.SetImageSize(200, 121);  // a fresh cutter picks (60 + 40) / 2
  ASSERT_EQ(cutter.GetGridSize(), Size(4, 2));
  const Grid& g = cutter.GetGrid();
  EXPECT_EQ(g[0][0].topDirection, origin);
  EXPECT_FLOAT_EQ(std::fabs(g[0][1].jitter.X), xSize / 32767.0f);
  EXPECT_FLOAT_EQ(g[1][0].jitter.Y, (ySignPositive ? 1.0f : -1.0f) * ySize / 32767.0f);
  EXPECT_FLOAT_EQ(g[1][1].jitter.X, (xSignPositive11 ? 1.0f : -1.0f) * xSize11 / 32767.0f);
}

TEST(CutterGrid, ChangingThePieceSizeKeepsTheOldRandomState) {
  platform::SeedRand(99);
  CPuzzleCutter cutter;
  cutter.SetImageSize(1000, 700);
  cutter.SetPieceSize(200);  // 5 x 3
  const Grid before = cutter.GetGrid();
  cutter.SetPieceSize(100);  // 10 x 7
  const Grid& after = cutter.GetGrid();
  ASSERT_EQ(after.size(), 8u);
  ASSERT_EQ(after[0].size(), 11u);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(after[y][x].jitter.X, before[y][x].jitter.X) << x << "," << y;
      EXPECT_EQ(after[y][x].jitter.Y, before[y][x].jitter.Y) << x << "," << y;
      EXPECT_EQ(after[y][x].topDirection, before[y][x].topDirection);
    }
  }
  // The old right and bottom borders now run inside the picture.
  int fresh = 0;
  for (int y = 1; y < 3; ++y) fresh += after[y][5].jitter.X != 0.0f;
  for (int x = 1; x < 5; ++x) fresh += after[3][x].jitter.Y != 0.0f;
  EXPECT_GE(fresh, 5);
  EXPECT_EQ(after[3][2].topShape, 6);
  EXPECT_EQ(after[1][5].leftShape, 6);

  // Shrinking the grid straightens the new borders.
  cutter.SetPieceSize(300);  // 3 x 2
  const Grid& shrunk = cutter.GetGrid();
  ASSERT_EQ(shrunk.size(), 3u);
  ASSERT_EQ(shrunk[0].size(), 4u);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(shrunk[2][x].jitter.Y, 0.0f);
    EXPECT_EQ(shrunk[2][x].topShape, 0);
  }
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(shrunk[y][3].jitter.X, 0.0f);
    EXPECT_EQ(shrunk[y][3].leftShape, 0);
  }
  EXPECT_EQ(shrunk[1][1].jitter.X, before[1][1].jitter.X);
}

TEST(CutterGrid, DeviationMovesInnerPointsOnlyAndWithinBounds) {
  platform::SeedRand(5);
  CPuzzleCutter cutter;
  cutter.SetImageSize(1000, 700);
  cutter.SetPieceSize(100);
  const Size grid = cutter.GetGridSize();
  cutter.SetDeviation(0.0f);
  for (int y = 0; y <= grid.Height; ++y) {
    for (int x = 0; x <= grid.Width; ++x) {
      const PointF p = cutter.GetPointPosition(x, y);
      EXPECT_EQ(p.X, 100.0f * x);
      EXPECT_EQ(p.Y, 100.0f * y);
    }
  }
  cutter.SetDeviation(1.0f);
  float largest = 0.0f;
  for (int y = 0; y <= grid.Height; ++y) {
    for (int x = 0; x <= grid.Width; ++x) {
      const PointF p = cutter.GetPointPosition(x, y);
      const float dx = std::fabs(p.X - 100.0f * x), dy = std::fabs(p.Y - 100.0f * y);
      EXPECT_LE(dx, 35.0f + 1e-3f);
      EXPECT_LE(dy, 35.0f + 1e-3f);
      if (x == 0 || x == grid.Width) { EXPECT_EQ(dx, 0.0f); }
      if (y == 0 || y == grid.Height) { EXPECT_EQ(dy, 0.0f); }
      largest = std::max({largest, dx, dy});
    }
  }
  EXPECT_GT(largest, 20.0f);
}

TEST(CutterEdges, TabsBulgeTheWayTheDirectionsSay) {
  platform::SeedRand(3);
  CPuzzleCutter cutter;
  cutter.SetImageSize(400, 400);
  cutter.SetPieceSize(100);
  cutter.SetDeviation(0.0f);
  cutter.SetShapeType(1);
  const Grid& g = cutter.GetGrid();
  for (int y = 1; y < 4; ++y) {
    for (int x = 1; x < 4; ++x) {
      const auto top = cutter.GetTopEdge(x, y);
      const auto left = cutter.GetLeftEdge(x, y);
      // A rounded tab on a 100-pixel edge is 17 pixels high.
      if (g[y][x].topDirection) {
        EXPECT_NEAR(top->GetBounds().GetBottom(), 100.0f * y + 17.0f, 0.2f);
        EXPECT_EQ(top->GetBounds().GetTop(), 100.0f * y);
      } else {
        EXPECT_NEAR(top->GetBounds().GetTop(), 100.0f * y - 17.0f, 0.2f);
      }
      if (g[y][x].leftDirection) {
        EXPECT_NEAR(left->GetBounds().GetLeft(), 100.0f * x - 17.0f, 0.2f);
      } else {
        EXPECT_NEAR(left->GetBounds().GetRight(), 100.0f * x + 17.0f, 0.2f);
      }
      // Polylines run in grid order whichever way the tab points.
      EXPECT_EQ(top->GetPolyline().front().X, 100.0f * x);
      EXPECT_EQ(left->GetPolyline().back().Y, 100.0f * (y + 1));
    }
  }
}

TEST(CutterEdges, StraightShapeGivesRectangularPieces) {
  CPuzzleCutter cutter;
  cutter.SetImageSize(500, 300);
  cutter.SetPieceSize(100);
  cutter.SetShapeType(0);
  cutter.SetDeviation(0.0f);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 5; ++c) {
      EXPECT_TRUE(cutter.GetPieceBounds(c, r).Equals(RectF(100.0f * c, 100.0f * r, 100, 100)));
      for (const PointF& p : cutter.GetPieceOutline(c, r)) {
        const bool onVertical = p.X == 100.0f * c || p.X == 100.0f * (c + 1);
        const bool onHorizontal = p.Y == 100.0f * r || p.Y == 100.0f * (r + 1);
        EXPECT_TRUE(onVertical || onHorizontal);
      }
    }
  }
}

TEST(CutterEdges, BorderEdgesAreStraightForEveryShape) {
  for (int shape = 0; shape < 8; ++shape) {
    CPuzzleCutter cutter;
    cutter.SetImageSize(300, 200);
    cutter.SetPieceSize(50);
    cutter.SetDeviation(1.0f);
    cutter.SetShapeType(shape);
    const Size grid = cutter.GetGridSize();
    for (int x = 0; x < grid.Width; ++x) {
      EXPECT_EQ(MinY(cutter.GetTopEdge(x, 0)->GetPolyline()), 0.0f);
      EXPECT_EQ(MaxY(cutter.GetTopEdge(x, 0)->GetPolyline()), 0.0f);
      EXPECT_EQ(MaxY(cutter.GetTopEdge(x, grid.Height)->GetPolyline()), 200.0f);
    }
    for (int y = 0; y < grid.Height; ++y) {
      EXPECT_EQ(cutter.GetLeftEdge(0, y)->GetBounds().Width, 0.0f);
      EXPECT_EQ(cutter.GetLeftEdge(grid.Width, y)->GetBounds().GetLeft(), 300.0f);
    }
    EXPECT_EQ(cutter.GetCutEdges().size(), static_cast<size_t>(7 * 4 + 6 * 5)) << shape;
  }
}

TEST(CutterShapes, UnitShapesFollowTheTable) {
  struct Expect {
    int type;
    const char* name;
    float lowest, highest;  // y extent of the unit curve
  };
  const Expect table[] = {
      {0, "Straight Line", 0.0f, 0.0f},        {1, "Rounded", 0.0f, 17.0f},
      {2, "Simple Triangle", 0.0f, 68.0f / 3}, {3, "Zigzag", -34.0f / 3, 136.0f / 9},
      {4, "Waves", -11.33f, 11.33f},           {5, "Half Circle", 0.0f, 17.0f},
      {6, "Classic", 0.0f, 23.37f},            {7, "Classic Rounded", -68.0f / 12, 23.37f},
  };
  for (const Expect& e : table) {
    EXPECT_EQ(cutter_shapes::GetShapeName(e.type), e.name);
    const auto& curve = *cutter_shapes::GetUnitShape(e.type);
    std::vector<PointF> line;
    curve.Flatten(line, 0.01f);
    EXPECT_EQ(line.front().X, 0.0f);
    EXPECT_EQ(line.back().X, 100.0f);
    EXPECT_EQ(line.back().Y, 0.0f);
    EXPECT_NEAR(MinY(line), e.lowest, 0.3f) << e.name;
    EXPECT_NEAR(MaxY(line), e.highest, 0.3f) << e.name;
  }
  // The knob's spline passes through its twelve points (and swells a
  // little past the flat top between (45, 68/3) and (55, 68/3)).
  std::vector<PointF> knob;
  cutter_shapes::GetUnitShape(6)->Flatten(knob, 0.01f);
  for (PointF k : {PointF(116.0f / 3, 8.5f), PointF(33, 17), PointF(45, 68.0f / 3), PointF(184.0f / 3, 68.0f / 15)}) {
    float nearest = 1e9f;
    for (const PointF& p : knob) nearest = std::min(nearest, std::hypot(p.X - k.X, p.Y - k.Y));
    EXPECT_LT(nearest, 1e-3f);
  }
  EXPECT_EQ(cutter_shapes::GetShapeName(8), "Straight Line");
  EXPECT_EQ(cutter_shapes::GetShapeName(-1), "Straight Line");
  EXPECT_EQ(cutter_shapes::GetUnitShape(99)->GetPoints().size(), 2u);
}

}  // namespace
