#include "canvas/view.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "canvas/behaviours.h"
#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "canvas/items.h"
#include "canvas/mouse_leave_dispatcher.h"
#include "canvas/view_root.h"
#include "item_test_support.h"
#include "platform/bitmap.h"
#include "platform/clock.h"
#include "platform/messages.h"

namespace {

using item_test::SolidPicture;
using platform::Message;

// A root with the parts of a control window the view looks for.
class TestRoot : public CRSCanvasItem, public CRSViewRoot {
 public:
  TestRoot() : CRSCanvasItem(PointF(), nullptr, "root") {}
  CRSCanvasItem* GetDragHandle() override { return handle; }
  CRSSignalEmittedTroughEvent0* GetMinimizeClicked() override { return &minimizeClicked; }
  void SetMaximized(bool on) override { maximized = on; }
  bool IsMaximized() const override { return maximized; }

  CRSCanvasItem* handle = nullptr;
  CRSSignalEmittedTroughEvent0 minimizeClicked;
  bool maximized = false;
};

// Records every event it sees as a filter or global listener.
class Recorder : public CRSEventReceiver {
 public:
  struct Seen {
    int type;
    int message;
    PointF point;
  };
  int FilterEvent(CRSEventReceiver*, CRSEvents::BasicEvent& e) override {
    Record(e);
    return kVerdictContinue;
  }
  void Record(CRSEvents::BasicEvent& e) {
    PointF p;
    if (auto* m = dynamic_cast<CRSCanvasEvents::Mouse*>(&e)) p = m->m_point;
    seen.push_back({e.GetType(), e.GetMessage(), p});
  }
  std::vector<int> Messages() const {
    std::vector<int> out;
    for (const auto& s : seen) out.push_back(s.message);
    return out;
  }
  std::vector<Seen> seen;
};

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(view.Create("test"));
    root = new TestRoot();
    root->SetSize(SizeF(300, 200));
    new CRSCanvasImage(PointF(0, 0), root, "background", SolidPicture(300, 200, 0xFFFFFFFF));
    red = new CRSCanvasImage(PointF(20, 20), root, "red", SolidPicture(50, 50, 0xFFFF0000));
    rootRef = root;
    view.SetRoot(root);
    view.GetWindow()->Show();
    Pump(50);
  }
  void TearDown() override {
    // The view and this test hold the only references: letting go of both
    // deletes the root and its items.
    view.SetRoot(nullptr);
    rootRef = nullptr;
    Pump();
  }
  void Pump(unsigned ms = 0) { loop.PumpMessages(ms, &quitValue); }
  bool Send(unsigned message, unsigned flags, int x, int y) {
    return view.OnWindowMessage(Message{view.GetWindow()->GetTargetId(), message, flags, platform::MakeMousePosition(x, y)});
  }
  ARGB ScreenPixel(int x, int y) {
    platform::PixelBuffer b = view.GetWindow()->GetPixelBuffer();
    const auto* row = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const std::uint8_t*>(b.pixels) + y * b.stride);
    return 0xFF000000u | (row[x] & 0x00FFFFFFu);
  }

  platform::MessageLoop loop;
  CRSCanvasView view;
  CRSAutoPtrPolymorphic<TestRoot> rootRef;
  TestRoot* root = nullptr;
  CRSCanvasImage* red = nullptr;
  int quitValue = -1;
};

TEST_F(ViewTest, WindowTakesTheRootsSizeAndShowsItsItems) {
  EXPECT_EQ(view.GetWindow()->GetClientSize(), Size(300, 200));
  EXPECT_EQ(ScreenPixel(40, 40), 0xFFFF0000u);
  EXPECT_EQ(ScreenPixel(150, 150), 0xFFFFFFFFu);
  EXPECT_EQ(view.GetViewOffset().X, 0.0f);
  EXPECT_FALSE(view.IsRepaintPending());
}

TEST_F(ViewTest, InvalidAreasAreEnlargedAroundTheItemAndRepaintedOnlyThere) {
  red->SetVisible(false);
  // The item covers (19.6, 19.6) to (69.6, 69.6) in the window; two pixels
  // before and three after are repainted with it.
  EXPECT_EQ(view.GetWindow()->GetInvalidRect(), Rect(17, 17, 56, 56));
  EXPECT_TRUE(view.IsRepaintPending());
  Pump();
  EXPECT_EQ(ScreenPixel(40, 40), 0xFFFFFFFFu);
  EXPECT_FALSE(view.IsRepaintPending());
}

// A picture that counts how often it is painted.
class CountingImage : public CRSCanvasImage {
 public:
  using CRSCanvasImage::CRSCanvasImage;
  void PaintContent(Gdiplus::Graphics& g, bool useCache) override {
    ++paints;
    CRSCanvasImage::PaintContent(g, useCache);
  }
  int paints = 0;
};

TEST_F(ViewTest, ChangesFarApartArePaintedApartUnlessTheWindowAskedForMore) {
  auto* middle = new CountingImage(PointF(120, 80), root, "middle", SolidPicture(40, 40, 0xFF00FF00));
  auto* blue = new CRSCanvasImage(PointF(240, 150), root, "blue", SolidPicture(40, 40, 0xFF0000FF));
  Pump();
  ASSERT_EQ(ScreenPixel(140, 100), 0xFF00FF00u);
  const int before = middle->paints;
  // Two changes in opposite corners: their union would hold the middle.
  red->SetVisible(false);
  blue->SetVisible(false);
  Pump();
  EXPECT_EQ(middle->paints, before) << "what lies between was repainted";
  EXPECT_EQ(ScreenPixel(40, 40), 0xFFFFFFFFu);
  EXPECT_EQ(ScreenPixel(260, 170), 0xFFFFFFFFu);
  EXPECT_EQ(ScreenPixel(140, 100), 0xFF00FF00u);
  // A request of the window's own (an expose) among the item's changes is
  // painted whole.
  red->SetVisible(true);
  blue->SetVisible(true);
  view.GetWindow()->InvalidateAll();
  Pump();
  EXPECT_GT(middle->paints, before);
  EXPECT_EQ(ScreenPixel(40, 40), 0xFFFF0000u);
  EXPECT_EQ(ScreenPixel(260, 170), 0xFF0000FFu);
}

TEST_F(ViewTest, CapturedItemKeepsTheMouseAndALostReleaseIsMadeUp) {
  CRSAutoPtrPolymorphic<Recorder> recorderRef(new Recorder);
  Recorder& recorder = *recorderRef;
  AddFilter(red, &recorder, CRSEvents::kEventMouse);
  Send(platform::kMsgLButtonDown, platform::kKeyStateLButton, 30, 30);
  EXPECT_EQ(view.GetCaptured(), red);
  Send(platform::kMsgMouseMove, platform::kKeyStateLButton, -50, 500);  // far outside, button held
  Send(platform::kMsgMouseMove, 0, 150, 150);                            // the release was lost
  EXPECT_EQ(recorder.Messages(), (std::vector<int>{513, 512, 514}));
  ASSERT_EQ(recorder.seen.size(), 3u);
  EXPECT_NEAR(recorder.seen[1].point.X, -50 + 0.4f - 20, 0.01f) << "points are converted to the item's own space";
  EXPECT_EQ(view.GetCaptured(), nullptr);
  RemoveFilter(red, &recorder, 0);
}

TEST_F(ViewTest, HoveredItemsGetOneLeaveWhenThePointerGoesElsewhereOrLeavesTheWindow) {
  auto* blue = new CRSCanvasImage(PointF(200, 20), root, "blue", SolidPicture(50, 50, 0xFF0000FF));
  CRSAutoPtrPolymorphic<Recorder> redRef(new Recorder), blueRef(new Recorder);
  Recorder& redLeaves = *redRef;
  Recorder& blueLeaves = *blueRef;
  AddFilter(red, &redLeaves, CRSEvents::kEventMouseLeave);
  AddFilter(blue, &blueLeaves, CRSEvents::kEventMouseLeave);
  AddHover(red);
  Send(platform::kMsgMouseMove, 0, 30, 30);  // still over the hovered item
  EXPECT_TRUE(redLeaves.seen.empty());
  Send(platform::kMsgMouseMove, 0, 210, 30);  // now over another item
  Send(platform::kMsgMouseMove, 0, 220, 30);
  EXPECT_EQ(redLeaves.seen.size(), 1u);
  AddHover(blue);
  Send(platform::kMsgMouseLeave, 0, 0, 0);
  EXPECT_EQ(blueLeaves.seen.size(), 1u) << "leaving the window tells every hovered object";
  EXPECT_FALSE(CRSMouseLeaveDispatcher::Instance().IsHovered(blue));
  RemoveFilter(red, &redLeaves, 0);
  RemoveFilter(blue, &blueLeaves, 0);
}

TEST_F(ViewTest, ResizingFollowsTheRootAndTheMinimumSizeWins) {
  view.GetWindow()->ResizeTo(400, 300);
  EXPECT_EQ(root->GetSize().Width, 400.0f);
  EXPECT_EQ(root->GetSize().Height, 300.0f);
  root->SetMinSize(SizeF(350, 250));
  view.GetWindow()->ResizeTo(200, 100);
  EXPECT_EQ(view.GetWindow()->GetClientSize(), Size(350, 250)) << "the window grows back to the root's minimum";
}

TEST_F(ViewTest, MinimisingHidesTheRootAndRestoringShowsIt) {
  view.GetWindow()->Minimize();
  EXPECT_FALSE(root->IsVisible());
  view.GetWindow()->Restore();
  EXPECT_TRUE(root->IsVisible());
  view.GetWindow()->ShowMaximized();
  EXPECT_TRUE(root->maximized);
}

TEST_F(ViewTest, AltKeysGoToTheRootsKeyHandlerButAltF4StillCloses) {
  CBehaviourMessageHandler* handler = CBehaviourMessageHandler::GetOrCreate(root);
  ASSERT_NE(handler, nullptr);
  CRSAutoPtrPolymorphic<Recorder> keysRef(new Recorder);
  Recorder& keys = *keysRef;
  AddFilter(handler, &keys, CRSEvents::kEventKey);
  Message altP{view.GetWindow()->GetTargetId(), platform::kMsgSysKeyDown, 'P', 1 << 29};
  Message altF4{view.GetWindow()->GetTargetId(), platform::kMsgSysKeyDown, platform::kVkF4, 1 << 29};
  platform::MessageFilter& filter = view;
  EXPECT_TRUE(filter.PreTranslateMessage(altP)) << "Alt+P never reaches the default handling";
  EXPECT_EQ(keys.Messages(), (std::vector<int>{260}));
  EXPECT_FALSE(filter.PreTranslateMessage(altF4));
  view.GetWindow()->SendMessage(platform::kMsgSysKeyDown, platform::kVkF4, 1 << 29);
  EXPECT_FALSE(view.HasWindow());
  RemoveFilter(handler, &keys, 0);
}

TEST_F(ViewTest, OnlyTheMainWindowsEndEndsTheLoopAnotherWindowClosesAlone) {
  // A second window (a download or tool window) closed by its user.
  CRSCanvasView second;
  ASSERT_TRUE(second.Create("second"));
  CRSAutoPtrPolymorphic<CRSCanvasItem> secondRoot(new CRSCanvasItem(PointF(), nullptr, "second root"));
  secondRoot->SetSize(SizeF(100, 80));
  second.SetRoot(secondRoot);
  second.GetWindow()->SendMessage(platform::kMsgClose);
  EXPECT_FALSE(second.HasWindow());
  EXPECT_EQ(second.GetRoot(), nullptr);
  EXPECT_TRUE(loop.PumpMessages(0, &quitValue)) << "a second window's end must not quit the program";
  EXPECT_TRUE(view.HasWindow());

  // The main window ends the program, here because its root went away.
  view.SetMainWindow(true);
  root->Delete();
  root = nullptr;
  EXPECT_FALSE(view.HasWindow());
  EXPECT_EQ(view.GetRoot(), nullptr);
  EXPECT_FALSE(loop.PumpMessages(0, &quitValue));
  EXPECT_EQ(quitValue, 0);
}

// Changes a sibling the first time it is painted, as a soft image renders
// and invalidates its picture in its pre-paint step.
struct RepaintOnFirstPaint : sigslot::has_slots {
  CRSCanvasImage* other = nullptr;
  void OnPrePaint(CRSCanvasItem*, Gdiplus::Graphics&, bool) {
    if (CRSCanvasImage* item = std::exchange(other, nullptr)) item->SetVisible(false);
  }
};

TEST_F(ViewTest, RepaintAskedForDuringAPaintIsNotLost) {
  auto* blue = new CRSCanvasImage(PointF(200, 100), root, "blue", SolidPicture(40, 40, 0xFF0000FF));
  Pump();
  ASSERT_EQ(ScreenPixel(220, 120), 0xFF0000FFu);
  RepaintOnFirstPaint hook;
  hook.other = blue;
  red->SetPrePaintNotification(true);
  red->sigPrePaint.connect(&hook, &RepaintOnFirstPaint::OnPrePaint);
  red->Invalidate();
  const std::uint32_t deadline = platform::GetTickCount() + 5000;
  do Pump(10);
  while ((hook.other || view.IsRepaintPending()) && platform::GetTickCount() < deadline);
  EXPECT_EQ(hook.other, nullptr) << "the paint ran";
  EXPECT_FALSE(view.IsRepaintPending()) << "the request made while painting was dropped";
  EXPECT_EQ(ScreenPixel(220, 120), 0xFFFFFFFFu) << "the hidden item still shows";
  red->sigPrePaint.disconnect(&hook);
}

TEST_F(ViewTest, PressingTheDragHandleMovesTheWindowUnlessMaximised) {
  auto* title = new CRSCanvasImage(PointF(0, 0), root, "title", SolidPicture(300, 10, 0xFF00FF00));
  root->handle = title;
  view.SetRoot(nullptr);
  view.SetRoot(root);
  view.GetWindow()->MoveTo(100, 100);
  const Rect before = view.GetWindow()->GetWindowRect();
  Send(platform::kMsgLButtonDown, platform::kKeyStateLButton, 50, 5);
  EXPECT_TRUE(view.IsDraggingWindow());
  Send(platform::kMsgMouseMove, platform::kKeyStateLButton, 80, 25);
  Send(platform::kMsgLButtonUp, 0, 80, 25);
  const Rect after = view.GetWindow()->GetWindowRect();
  EXPECT_EQ(after.X - before.X, 30);
  EXPECT_EQ(after.Y - before.Y, 20);
  EXPECT_FALSE(view.IsDraggingWindow());

  Send(platform::kMsgLButtonDown, platform::kKeyStateLButton, 150, 150);
  EXPECT_FALSE(view.IsDraggingWindow()) << "a press elsewhere does not drag the window";
  Send(platform::kMsgLButtonUp, 0, 150, 150);
  view.GetWindow()->ShowMaximized();
  Send(platform::kMsgLButtonDown, platform::kKeyStateLButton, 50, 5);
  EXPECT_FALSE(view.IsDraggingWindow()) << "a maximised window stays put";
  Send(platform::kMsgLButtonUp, 0, 50, 5);
}

TEST_F(ViewTest, MinimiseCommandGoesThroughTheRootsButtonLater) {
  EXPECT_TRUE(view.OnWindowMessage(Message{view.GetWindow()->GetTargetId(), platform::kMsgSysCommand,
                                           platform::kSysCommandMinimize, 0}));
  EXPECT_FALSE(view.GetWindow()->IsMinimized()) << "the click is emitted later, through the queue";
  Pump();
  EXPECT_TRUE(view.GetWindow()->IsMinimized());
  EXPECT_FALSE(view.OnWindowMessage(Message{view.GetWindow()->GetTargetId(), platform::kMsgSysCommand,
                                            platform::kSysCommandMaximize, 0}) &&
               view.GetWindow()->IsMaximized())
      << "without a maximise button the command is consumed and nothing happens";
}

TEST_F(ViewTest, DeletingTheCapturedItemFreesTheCapture) {
  Send(platform::kMsgLButtonDown, platform::kKeyStateLButton, 30, 30);
  red->Delete();
  red = nullptr;
  EXPECT_EQ(view.GetCaptured(), nullptr);
  Send(platform::kMsgMouseMove, platform::kKeyStateLButton, 40, 40);
  Send(platform::kMsgLButtonUp, 0, 40, 40);
  EXPECT_EQ(view.GetCaptured(), nullptr);
}

}  // namespace
