// Scroll bars, scroll views and list views: the value rules, when each bar
// shows, where content and items end up, and the wheel.

#include <cmath>

#include "controls_test_support.h"

namespace {

using control_test::ControlScene;

struct ValueLog : sigslot::has_slots {
  std::vector<float> values;
  void On(CRSCanvasItem*, float v) { values.push_back(v); }
};

class ScrollTest : public ControlScene {};

TEST_F(ScrollTest, ScrollBarValueStaysWithinTotalMinusPageAndTheTrackStepsTowardThePress) {
  auto* bar = new CRSScrollBar(PointF(10, 10), root, "bar", SizeF(22, 200));
  ValueLog log;
  bar->sigValueChanged.connect(&log, &ValueLog::On);
  bar->SetTotal(100);
  bar->SetPage(150);
  bar->SetValue(30);
  EXPECT_EQ(bar->GetValue(), 0.0f) << "a page larger than the total keeps the value at 0";
  EXPECT_FALSE(bar->GetThumb()->IsVisible());
  bar->SetTotal(1000);
  bar->SetPage(100);
  EXPECT_FLOAT_EQ(bar->GetStep(), 10.0f);
  bar->SetValue(5000);
  EXPECT_EQ(bar->GetValue(), 900.0f);
  bar->SetValue(std::nanf(""));
  EXPECT_EQ(bar->GetValue(), 0.0f);
  bar->SetValue(-3);
  EXPECT_EQ(bar->GetValue(), 0.0f);
  EXPECT_EQ(log.values, (std::vector<float>{900.0f, 0.0f}));
  // A larger page clamps the value at once and says so.
  bar->SetValue(850);
  bar->SetPage(400);
  EXPECT_EQ(bar->GetValue(), 600.0f);
  EXPECT_EQ(log.values.back(), 600.0f);

  // The thumb sits at the value's share of its travel; a press below it
  // steps down, above it steps up.
  bar->SetValue(300);
  CRSCanvasItem* thumb = bar->GetThumb();
  ASSERT_TRUE(thumb->IsVisible());
  const float travel = 200 - thumb->GetSize().Height;
  EXPECT_NEAR(thumb->GetPosition().Y, std::round(travel * 0.5f), 0.5f);
  Click(21, 10 + 199);
  EXPECT_EQ(bar->GetValue(), 340.0f);
  Click(21, 12);
  EXPECT_EQ(bar->GetValue(), 300.0f);

  // Dragging the thumb by a quarter of its travel moves a quarter of the
  // range, and the drag ends at the range's end however far it goes.
  const PointF grip = CentreOf(*thumb);
  Drag(grip, PointF(grip.X, grip.Y + travel / 4));
  EXPECT_NEAR(bar->GetValue(), 450.0f, 4.0f);
  Drag(CentreOf(*thumb), PointF(grip.X, 2000));
  EXPECT_EQ(bar->GetValue(), 600.0f);
  EXPECT_FALSE(bar->IsDraggingThumb());
}

TEST_F(ScrollTest, ScrollViewShowsEachBarExactlyWhenNeeded) {
  auto* view = new CRSScrollView(PointF(20, 20), root, "scroll", SizeF(200, 100));
  const float t = CRSControlStyleBase::Style().GetButtonHeight();
  ASSERT_EQ(t, 22.0f);
  struct Case {
    SizeF content;
    bool vertical, horizontal;
    SizeF holder;
  };
  // Reserves: the vertical bar 23, the horizontal 24.
  const Case cases[] = {
      {SizeF(100, 50), false, false, SizeF(200, 100)},
      {SizeF(200, 100), false, false, SizeF(200, 100)},   // exactly fits
      {SizeF(150, 300), true, false, SizeF(177, 100)},
      {SizeF(177, 300), true, false, SizeF(177, 100)},   // fits beside the bar
      {SizeF(178, 300), true, true, SizeF(177, 76)},     // one pixel more: both
      {SizeF(210, 90), true, true, SizeF(177, 76)},      // too wide makes it too tall
      {SizeF(210, 76), false, true, SizeF(200, 76)},
      {SizeF(201, 77), true, true, SizeF(177, 76)},
  };
  for (const Case& c : cases) {
    view->SetClientMinSize(c.content);
    SCOPED_TRACE(testing::Message() << c.content.Width << " x " << c.content.Height);
    EXPECT_EQ(view->GetVerticalBar()->IsVisible(), c.vertical);
    EXPECT_EQ(view->GetHorizontalBar()->IsVisible(), c.horizontal);
    EXPECT_TRUE(view->GetHolder()->GetSize().Equals(c.holder));
    const SizeF area = view->GetClientArea()->GetSize();
    EXPECT_EQ(area.Width, std::max(c.holder.Width, c.content.Width));
    EXPECT_EQ(area.Height, std::max(c.holder.Height, c.content.Height));
    EXPECT_EQ(view->GetVerticalBar()->GetTotal(), area.Height);
    EXPECT_EQ(view->GetVerticalBar()->GetPage(), c.holder.Height);
    EXPECT_EQ(view->GetHorizontalBar()->GetPage(), c.holder.Width);
  }

  // Moving the bars moves the content by whole pixels; content that fits
  // again goes back to 0.
  view->SetClientMinSize(SizeF(400, 500));
  view->GetVerticalBar()->SetValue(55.6f);
  view->GetHorizontalBar()->SetValue(20.2f);
  EXPECT_TRUE(view->GetClientArea()->GetPosition().Equals(PointF(-20, -56)));
  view->SetClientMinSize(SizeF(400, 50));
  EXPECT_EQ(view->GetVerticalBar()->GetValue(), 0.0f);
  EXPECT_TRUE(view->GetClientArea()->GetPosition().Equals(PointF(-20, 0)));
  // Growing the view past the content drops the bars.
  view->SetSize(SizeF(500, 300));
  EXPECT_FALSE(view->GetHorizontalBar()->IsVisible());
  EXPECT_TRUE(view->GetClientArea()->GetPosition().Equals(PointF(0, 0)));
}

TEST_F(ScrollTest, TheWheelScrollsTheInnermostViewThatCanScroll) {
  auto* outer = new CRSScrollView(PointF(0, 0), root, "outer", SizeF(380, 280));
  outer->SetClientMinSize(SizeF(300, 1000));
  auto* inner = new CRSScrollView(PointF(10, 10), outer->GetClientArea(), "inner", SizeF(150, 100));
  auto* content = new CRSCanvasItem(PointF(0, 0), inner->GetClientArea(), "content");
  content->SetSize(SizeF(100, 400));
  inner->SetClientMinSize(SizeF(100, 400));
  auto wheel = [&](float x, float y, int delta, unsigned keys = 0) {
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), platform::kMsgMouseWheel,
                                           platform::MakeWheelParam(delta, keys),
                                           platform::MakeMousePosition(static_cast<int>(x), static_cast<int>(y))});
  };
  wheel(50, 50, -120);  // over the inner view's content
  EXPECT_EQ(inner->GetVerticalBar()->GetValue(), 10.0f);
  EXPECT_EQ(outer->GetVerticalBar()->GetValue(), 0.0f);
  wheel(300, 200, -240);  // over the outer view only
  EXPECT_EQ(outer->GetVerticalBar()->GetValue(), 56.0f);
  wheel(300, 200, 120);
  EXPECT_EQ(outer->GetVerticalBar()->GetValue(), 28.0f);
  // An inner view with nothing to scroll passes the wheel out.
  inner->SetClientMinSize(SizeF(10, 10));
  content->SetSize(SizeF(10, 10));
  wheel(40, 40, -120);
  EXPECT_EQ(outer->GetVerticalBar()->GetValue(), 56.0f);
}

class ListTest : public ControlScene {
 protected:
  CRSCanvasItem* Item(float w, float h) {
    auto* item = new CRSCanvasItem(PointF(), nullptr, "item");
    item->SetSize(SizeF(w, h));
    list->AddItem(item);
    return item;
  }
  CRSListView* list = nullptr;
};

TEST_F(ListTest, ColumnsRowsAndPlacesFollowTheClientWidth) {
  list = new CRSListView(PointF(0, 0), root, "list", SizeF(300, 200));
  std::vector<CRSCanvasItem*> items;
  for (int i = 0; i < 3; ++i) items.push_back(Item(50, 40));
  // Three fit side by side in natural cells of 70.
  EXPECT_EQ(list->GetCellWidth(), 70.0f);
  EXPECT_TRUE(items[0]->GetPosition().Equals(PointF(10, 10)));
  EXPECT_TRUE(items[2]->GetPosition().Equals(PointF(150, 10)));
  EXPECT_TRUE(list->GetClientArea()->GetMinSize().Equals(SizeF(210, 50)));
  // Five do not: four columns of 75, the fifth on a second row.
  items.push_back(Item(50, 40));
  items.push_back(Item(50, 40));
  EXPECT_EQ(list->GetColumnCount(), 4);
  EXPECT_EQ(list->GetRowCount(), 2);
  EXPECT_TRUE(items[3]->GetPosition().Equals(PointF(237.5f, 10)));
  EXPECT_TRUE(items[4]->GetPosition().Equals(PointF(12.5f, 50)));
  EXPECT_TRUE(list->GetClientArea()->GetMinSize().Equals(SizeF(210, 90)));
  // A taller item deepens every row and centres the others in theirs.
  CRSCanvasItem* tall = Item(30, 60);
  EXPECT_EQ(list->GetRowHeight(), 60.0f);
  EXPECT_TRUE(items[0]->GetPosition().Equals(PointF(12.5f, 20)));
  EXPECT_TRUE(tall->GetPosition().Equals(PointF(97.5f, 70)));
  // Deleting it lays the list out without it.
  tall->Delete();
  EXPECT_EQ(list->GetItems().size(), 5u);
  EXPECT_EQ(list->GetRowHeight(), 40.0f);
  EXPECT_TRUE(items[0]->GetPosition().Equals(PointF(12.5f, 10)));
  // Enough rows for a vertical bar: the narrower client area has three
  // columns of 277 / 3.
  for (int i = 0; i < 15; ++i) items.push_back(Item(50, 40));
  EXPECT_TRUE(list->GetVerticalBar()->IsVisible());
  EXPECT_EQ(list->GetClientArea()->GetSize().Width, 277.0f);
  EXPECT_EQ(list->GetColumnCount(), 3);
  EXPECT_EQ(list->GetRowCount(), 7);
  EXPECT_NEAR(items[19]->GetPosition().X, 277.0f / 3 + (277.0f / 3 - 50) / 2, 1e-3);
  EXPECT_TRUE(list->GetClientArea()->GetMinSize().Equals(SizeF(210, 290)));
}

TEST_F(ListTest, AddingOneByOnePlacesItemsWhereAFullLayoutWould) {
  list = new CRSListView(PointF(0, 0), root, "list", SizeF(390, 260));
  std::vector<CRSCanvasItem*> items;
  const float widths[] = {40, 60, 60, 30, 60, 55, 60, 20, 60, 60, 45, 60, 60, 10, 60, 60, 60, 60, 60, 60, 59, 60};
  for (float w : widths) items.push_back(Item(w, w * 0.75f));
  std::vector<PointF> oneByOne;
  for (auto* item : items) oneByOne.push_back(item->GetPosition());
  list->LayoutItems();
  for (size_t i = 0; i < items.size(); ++i)
    EXPECT_TRUE(items[i]->GetPosition().Equals(oneByOne[i])) << i;
  // Resizing an item and resizing the list both lay it out again.
  items[0]->SetSize(SizeF(100, 20));
  EXPECT_EQ(list->GetCellWidth() >= 120.0f, true);
  list->SetSize(SizeF(1000, 600));
  EXPECT_EQ(list->GetColumnCount(), 8);
}

TEST_F(ListTest, ArrowsHomeAndEndLeadOverTheRowsAndScrollTheItemIntoView) {
  list = new CRSListView(PointF(0, 0), root, "list", SizeF(320, 100));
  std::vector<CRSCanvasItem*> items;
  for (int i = 0; i < 10; ++i) items.push_back(Item(50, 40));
  ASSERT_EQ(list->GetColumnCount(), 4) << "rows of four, four and two";
  const struct { int from; unsigned vk; int to; } keys[] = {
      {0, platform::kVkRight, 1}, {1, platform::kVkLeft, 0},  {0, platform::kVkLeft, -1}, {9, platform::kVkRight, -1},
      {1, platform::kVkDown, 5},  {5, platform::kVkUp, 1},    {1, platform::kVkUp, -1},   {6, platform::kVkDown, -1},
      {5, platform::kVkHome, 0},  {5, platform::kVkEnd, 9},   {9, platform::kVkEnd, -1},  {5, platform::kVkTab, -1},
  };
  for (const auto& k : keys)
    EXPECT_EQ(list->GetItemBeside(items[k.from], k.vk), k.to < 0 ? nullptr : items[k.to]) << k.from << " " << k.vk;
  list->ScrollIntoView(items[9]);
  const float bottom = items[9]->GetBoundsIn(list->GetClientArea()).GetBottom();
  EXPECT_GE(list->GetScrollOffset().Y + list->GetHolder()->GetSize().Height, bottom);
  list->ScrollIntoView(items[0]);
  EXPECT_EQ(list->GetScrollOffset().Y, 0.0f);
}

}  // namespace
