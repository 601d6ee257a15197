#include "canvas/dialogs/dialog_layout.h"

#include <gtest/gtest.h>

namespace {

bool Within(const RectF& inner, const RectF& outer) {
  return inner.X >= outer.X && inner.Y >= outer.Y && inner.GetRight() <= outer.GetRight() + 0.001f &&
         inner.GetBottom() <= outer.GetBottom() + 0.001f;
}
bool Overlap(const RectF& a, const RectF& b) {
  return a.Width > 0 && a.Height > 0 && b.Width > 0 && b.Height > 0 && a.X < b.GetRight() && b.X < a.GetRight() &&
         a.Y < b.GetBottom() && b.Y < a.GetBottom();
}

TEST(DialogLayoutTest, FileDialogPartsFitWithoutOverlapAndRowsAreHitExactly) {
  for (bool save : {false, true}) {
    const CRSFileDialogLayout l = LayOutFileDialog(SizeF(640, 480), save);
    const std::vector<RectF> parts = {l.places, l.segments, l.pathEdit, l.list, l.message,
                                      l.nameEdit, l.filter, l.ok, l.cancel};
    for (std::size_t i = 0; i < parts.size(); ++i) {
      EXPECT_TRUE(Within(parts[i], RectF(0, 0, 640, 480))) << save << " part " << i;
      for (std::size_t j = i + 1; j < parts.size(); ++j) EXPECT_FALSE(Overlap(parts[i], parts[j])) << i << "/" << j;
    }
    EXPECT_EQ(l.nameEdit.Width > 0, save);
    EXPECT_EQ(l.visibleRows, static_cast<int>(l.list.Height / 40));
  }
  const CRSFileDialogLayout l = LayOutFileDialog(SizeF(640, 480), false);
  const PointF inFirst(l.list.X + 5, l.list.Y + 1), inThird(l.list.X + 5, l.list.Y + 2 * 40 + 39);
  EXPECT_EQ(RowAtPoint(l, inFirst, 0, 10), 0);
  EXPECT_EQ(RowAtPoint(l, inThird, 0, 10), 2);
  EXPECT_EQ(RowAtPoint(l, inThird, 7, 10), 9) << "scrolled";
  EXPECT_EQ(RowAtPoint(l, inThird, 8, 10), -1) << "past the last row";
  EXPECT_EQ(RowAtPoint(l, PointF(l.list.X - 1, l.list.Y + 1), 0, 10), -1);
  EXPECT_FLOAT_EQ(RowRect(l, 9, 7).Y, inThird.Y - 39);

  // A window far too small still gives sane rectangles and one row.
  const CRSFileDialogLayout tiny = LayOutFileDialog(SizeF(30, 20), true);
  for (const RectF& r : {tiny.places, tiny.list, tiny.message, tiny.nameEdit, tiny.filter, tiny.ok, tiny.cancel}) {
    EXPECT_GE(r.Width, 0);
    EXPECT_GE(r.Height, 0);
  }
  EXPECT_EQ(tiny.visibleRows, 1);
}

TEST(DialogLayoutTest, DeepPathsHideTheirFirstSegmentsButNeverTheLast) {
  EXPECT_EQ(FirstFittingSegment({10, 20, 30}, 60, 8), 0) << "all fit";
  EXPECT_EQ(FirstFittingSegment({10, 20, 30}, 59, 8), 1) << "mark + 20 + 30 = 58";
  EXPECT_EQ(FirstFittingSegment({10, 20, 30}, 40, 8), 2);
  EXPECT_EQ(FirstFittingSegment({10, 20, 300}, 40, 8), 2) << "the last is shown even when too wide";
  EXPECT_EQ(FirstFittingSegment({}, 40, 8), 0);
}

TEST(DialogLayoutTest, ColourDialogPointsMapToCellsHuesAndBrightnessBothWays) {
  const CRSColourDialogLayout l = LayOutColourDialog();
  for (const RectF& r : {l.palette, l.field, l.slider, l.hexEdit, l.preview, l.ok, l.cancel})
    EXPECT_TRUE(Within(r, RectF(0, 0, l.client.Width, l.client.Height)));
  EXPECT_FALSE(Overlap(l.palette, l.field));
  EXPECT_FALSE(Overlap(l.field, l.slider));
  EXPECT_FALSE(Overlap(l.preview, l.ok));
  EXPECT_FALSE(Overlap(l.hexEdit, l.ok));
  EXPECT_FALSE(Overlap(l.ok, l.cancel));
  const CRSColourDialogLayout small = LayOutColourDialog({}, 4);
  EXPECT_FALSE(Overlap(small.ok, small.cancel));
  EXPECT_GE(small.ok.X, 0) << "small cells still leave room for both buttons";
  for (int i = 0; i < kPaletteSize; ++i) {
    const RectF c = PaletteCellRect(l, i);
    EXPECT_EQ(PaletteCellAt(l, PointF(c.X + c.Width / 2, c.Y + c.Height / 2)), i);
    EXPECT_EQ(PaletteCellAt(l, PointF(c.X, c.Y)), i) << "the top-left edge belongs to the cell";
  }
  EXPECT_EQ(PaletteCellAt(l, PointF(l.palette.GetRight(), l.palette.Y)), -1);
  EXPECT_EQ(PaletteCellRect(l, kPaletteSize).Width, 0);

  double x = -1, y = -1;
  const CRSHsv hsv{90, 0.25, 1};
  FieldFractionsAt(l, FieldPointOf(l, hsv), x, y);
  EXPECT_NEAR(x * 360, 90, 1e-3);
  EXPECT_NEAR(1 - y, 0.25, 1e-4);
  FieldFractionsAt(l, PointF(-100, 1e6f), x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 1);
  EXPECT_NEAR(SliderValueAt(l, SliderYOf(l, 0.3)), 0.3, 1e-4);
  EXPECT_EQ(SliderValueAt(l, l.slider.Y - 50), 1);
  EXPECT_EQ(SliderValueAt(l, l.slider.GetBottom() + 50), 0);
}

}  // namespace
