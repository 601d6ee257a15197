// Control windows and message boxes: moving, resizing and keeping inside,
// the modal list, the title-bar buttons, and the closing order.

#include "controls_test_support.h"

#include "canvas/weak_ref.h"

namespace {

using control_test::ControlScene;
using control_test::Counter;

class ControlWindowTest : public ControlScene {
 protected:
  CRSControlWindow* MakeWindow(CRSFrameMode frameMode) {
    auto* w = new CRSControlWindow(PointF(100, 80), root, "window", SizeF(160, 120));
    w->SetCaption("Window");
    w->SetFrameMode(frameMode);
    return w;
  }
  PointF TitlePoint(CRSControlWindow& w) { return PointF(w.GetPosition().X + 30, w.GetPosition().Y + 8); }
};

TEST_F(ControlWindowTest, TheTitleMovesTheWindowAndTheEdgesResizeItOnlyWhenResizable) {
  // The raise behaviour lifts the window while it is held; it must land
  // exactly where the pointer took it all the same.
  CRSControlWindow* w = MakeWindow(CRSFrameMode::kFixed);
  const RectF client = w->GetClientArea()->GetBoundsIn(w);
  EXPECT_TRUE(client.Equals(RectF(3, 29, 154, 88))) << client.X << "," << client.Y << " " << client.Width;
  ASSERT_NE(w->GetCaptionItem(), nullptr);
  EXPECT_EQ(w->GetCaptionItem()->GetText(), "Window");
  EXPECT_EQ(w->GetGripItem(), nullptr);

  Drag(TitlePoint(*w), PointF(TitlePoint(*w).X + 30, TitlePoint(*w).Y + 20));
  EXPECT_TRUE(w->GetPosition().Equals(PointF(130, 100)));
  // A press in the client area moves nothing.
  Drag(PointF(180, 180), PointF(200, 200));
  EXPECT_TRUE(w->GetPosition().Equals(PointF(130, 100)));
  // A fixed frame: the right edge is no handle.
  Drag(PointF(130 + 159, 160), PointF(330, 160));
  EXPECT_EQ(w->GetSize().Width, 160.0f);

  w->SetFrameMode(CRSFrameMode::kResizable);
  ASSERT_NE(w->GetGripItem(), nullptr);
  Drag(PointF(130 + 159, 160), PointF(130 + 199, 170));
  EXPECT_EQ(w->GetSize().Width, 200.0f);
  EXPECT_EQ(w->GetSize().Height, 120.0f);
  // The left edge moves the window and keeps its right side.
  Drag(PointF(131, 160), PointF(111, 160));
  EXPECT_TRUE(w->GetPosition().Equals(PointF(110, 100)));
  EXPECT_EQ(w->GetSize().Width, 220.0f);
  // The grip takes both directions; the client area follows.
  const PointF grip = CentreOf(*w->GetGripItem());
  Drag(grip, PointF(grip.X + 10, grip.Y + 30));
  EXPECT_EQ(w->GetSize().Width, 230.0f);
  EXPECT_EQ(w->GetSize().Height, 150.0f);
  EXPECT_EQ(w->GetClientArea()->GetSize().Height, 150.0f - 29 - 3);
  // Never smaller than the content (client minimum size) allows.
  w->SetClientMinSize(SizeF(200, 100));
  Drag(PointF(110 + 229, 160), PointF(0, 160));
  EXPECT_EQ(w->GetSize().Width, 206.0f);
  EXPECT_EQ(view.GetCaptured(), nullptr);
}

// A caption set after the window was built is centred in the bar like any
// other, and one too long for the bar ends before the buttons.
TEST_F(ControlWindowTest, ACaptionStaysInTheBarBesideTheButtons) {
  auto* w = new CRSControlWindow(PointF(10, 10), root, "late", SizeF(200, 120));
  w->SetCloseButton(true);
  w->SetCaption("A caption far too long to fit beside the close button of this window");
  CRSCanvasText* caption = w->GetCaptionItem();
  CRSControlButton* close = w->GetTitleButton(CRSControlWindow::kButtonClose);
  ASSERT_NE(caption, nullptr);
  ASSERT_NE(close, nullptr);
  const RectF text = caption->GetBoundsIn(w), button = close->GetBoundsIn(w), bar = w->GetTitleItem()->GetBoundsIn(w);
  EXPECT_LE(text.GetRight(), button.GetLeft());
  EXPECT_GT(text.Width, 60.0f);
  EXPECT_NEAR(text.Y + text.Height / 2, bar.Y + bar.Height / 2, 1.0f);
  // A short caption takes its own width again.
  w->SetCaption("Short");
  EXPECT_FLOAT_EQ(w->GetCaptionItem()->GetSize().Width, w->GetCaptionItem()->MeasureText().Width);
}

TEST_F(ControlWindowTest, AKeepInsideWindowStaysInItsParent) {
  CRSControlWindow* w = MakeWindow(CRSFrameMode::kResizable);
  w->RemoveRaiseBehaviour();
  new CBehaviourAlign(w, CBehaviourAlign::kKeepInside);
  Drag(TitlePoint(*w), PointF(-300, -300));
  EXPECT_TRUE(w->GetPosition().Equals(PointF(0, 0)));
  Drag(TitlePoint(*w), PointF(1000, 1000));
  EXPECT_TRUE(w->GetPosition().Equals(PointF(400 - 160, 300 - 120)));
  // Resizing stops at the parent's edge too.
  Drag(PointF(241, 200), PointF(-100, 200));
  EXPECT_EQ(w->GetPosition().X, 0.0f);
  EXPECT_EQ(w->GetSize().Width, 400.0f);
}

TEST_F(ControlWindowTest, AWindowThatFiltersItsOwnEventsGoesWithItsLastOwner) {
  // Standing alone, modal, with a hot-key button: every list it is on
  // refers to it, and none of them may keep it.
  CRSAutoPtrPolymorphic<CRSControlWindow> owner(new CRSControlWindow(PointF(), nullptr, "alone", SizeF(160, 120)));
  new CRSControlButton(PointF(10, 10), owner->GetClientArea(), "ok", SizeF(60, 0), "&OK");
  owner->SetModal(true);
  CRSWeakRef<CRSControlWindow> watch(owner.get());
  owner = nullptr;
  EXPECT_FALSE(watch);
  EXPECT_EQ(CRSControlWindow::GetTopModal(), nullptr);
}

TEST_F(ControlWindowTest, TitleButtonsCloseAndSwitchOffAtOnce) {
  CRSControlWindow* w = MakeWindow(CRSFrameMode::kFixed);
  CRSAutoPtrPolymorphic<CRSControlWindow> ref(w);
  Counter closed;
  w->sigClosed.connect(&closed, &Counter::On);
  w->SetSystemButtons(true);
  ASSERT_NE(w->GetMinimizeClicked(), nullptr);
  ASSERT_NE(w->GetMaximizeClicked(), nullptr);
  EXPECT_TRUE(w->GetTitleButton(CRSControlWindow::kButtonMaximize)->IsVisible());
  EXPECT_FALSE(w->GetTitleButton(CRSControlWindow::kButtonRestore)->IsVisible());
  w->SetMaximized(true);
  EXPECT_FALSE(w->GetTitleButton(CRSControlWindow::kButtonMaximize)->IsVisible());
  EXPECT_TRUE(w->GetTitleButton(CRSControlWindow::kButtonRestore)->IsVisible());
  w->SetMaximized(false);
  w->SetSystemButtons(false);
  EXPECT_EQ(w->GetTitleButton(CRSControlWindow::kButtonMinimize), nullptr);
  // The close button sits at the right end of the title bar.
  CRSControlButton* close = w->GetTitleButton(CRSControlWindow::kButtonClose);
  ASSERT_NE(close, nullptr);
  EXPECT_GT(CentreOf(*close).X, 100 + 160 - 26);
  w->SetTitleBar(false);
  EXPECT_EQ(w->GetTitleItem(), nullptr);
  EXPECT_EQ(w->GetTitleButton(CRSControlWindow::kButtonClose), nullptr);
  EXPECT_EQ(w->GetClientArea()->GetPosition().Y, 3.0f);
  w->SetTitleBar(true);
  close = w->GetTitleButton(CRSControlWindow::kButtonClose);
  Click(CentreOf(*close).X, CentreOf(*close).Y);
  Deliver();
  EXPECT_EQ(closed.count, 1);
  EXPECT_EQ(ref.get(), nullptr);
}

class MessageBoxTest : public ControlScene {
 protected:
  void SetUp() override {
    ControlScene::SetUp();
    behind = new CRSControlButton(PointF(5, 5), root, "behind", SizeF(60, 0), "&Behind");
    behind->sigClicked.connect(&behindClicks, &Counter::On);
  }
  CRSControlButton* behind = nullptr;
  Counter behindClicks;
};

struct Order : sigslot::has_slots {
  std::vector<std::string> seen;
  void Yes() { seen.push_back("yes"); }
  void No() { seen.push_back("no"); }
  void Cancel() { seen.push_back("cancel"); }
  void Closed(int result) { seen.push_back("closed " + std::to_string(result)); }
};

TEST_F(MessageBoxTest, KindThreeClosedWithNoReportsOneAfterTheButtonSignal) {
  auto* box = new CRSMessageBox("Keep the puzzle?", "Tandrill", root, CRSMessageBox::Kind::kYesNoCancel);
  CRSAutoPtrPolymorphic<CRSMessageBox> ref(box);
  Order order;
  box->sigButton0.connect(&order, &Order::Yes);
  box->sigButton1.connect(&order, &Order::No);
  box->sigButton2.connect(&order, &Order::Cancel);
  box->sigClosed.connect(&order, &Order::Closed);
  EXPECT_EQ(box->GetButton(0)->GetCaption(), "&Yes");
  EXPECT_EQ(box->GetButton(1)->GetCaption(), "&No");
  EXPECT_EQ(box->GetButton(2)->GetCaption(), "&Cancel");
  // Centred in the root, buttons on the client area's bottom.
  const RectF bounds = box->GetBoundsIn(root);
  EXPECT_NEAR(bounds.X + bounds.Width / 2, 200, 1.5);
  EXPECT_NEAR(bounds.Y + bounds.Height / 2, 150, 1.5);
  CRSCanvasItem* area = box->GetClientArea();
  EXPECT_EQ(box->GetButton(1)->GetBoundsIn(area).GetBottom(), area->GetSize().Height - 5);
  EXPECT_EQ(box->GetButton(1)->GetFaceSize().Width, 90.0f);
  EXPECT_TRUE(box->IsModal());
  EXPECT_EQ(CRSControlWindow::GetTopModal(), box);

  // Modal: a click outside, and the hot key of a button behind, do nothing.
  Click(CentreOf(*behind).X, CentreOf(*behind).Y);
  AltKey('B');
  Deliver();
  EXPECT_EQ(behindClicks.count, 0);
  EXPECT_EQ(box->GetResult(), -1);

  const PointF no = CentreOf(*box->GetButton(1));
  Click(no.X, no.Y);
  EXPECT_EQ(box->GetResult(), -1) << "the click arrives through the queue";
  Deliver();
  EXPECT_EQ(order.seen, (std::vector<std::string>{"no", "closed 1"}));
  EXPECT_EQ(ref.get(), nullptr);
  EXPECT_EQ(CRSControlWindow::GetTopModal(), nullptr);
  // Input reaches the rest again.
  Click(CentreOf(*behind).X, CentreOf(*behind).Y);
  Deliver();
  EXPECT_EQ(behindClicks.count, 1);
}

TEST_F(MessageBoxTest, HotKeysKindsAndClosingTwice) {
  std::string labels[3];
  const char* expected[][3] = {{"&Ok", "", ""},          {"&Ok", "&Cancel", ""}, {"&Abort", "&Retry", "&Ignore"},
                               {"&Yes", "&No", "&Cancel"}, {"&Yes", "&No", ""},   {"&Retry", "&Ignore", ""},
                               {"&Ok", "", ""}};
  for (int kind = 0; kind <= 6; ++kind) {
    CRSMessageBox::LabelsOf(static_cast<CRSMessageBox::Kind>(kind == 6 ? 42 : kind), labels);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(labels[i], expected[kind][i]) << kind;
  }
  auto* box = new CRSMessageBox("Retry?", "ERROR", root, CRSMessageBox::Kind::kRetryIgnore);
  EXPECT_EQ(box->GetButton(2), nullptr);
  Order order;
  box->sigButton1.connect(&order, &Order::No);
  box->sigClosed.connect(&order, &Order::Closed);
  AltKey('I');
  // A second button's click queued behind the first closes nothing more.
  AltKey('R');
  Deliver();
  EXPECT_EQ(order.seen, (std::vector<std::string>{"no", "closed 1"}));

  // Closed without a button: closed reports -1 and no button signal.
  auto* other = new CRSMessageBox("Text", "Title", root);
  other->sigButton0.connect(&order, &Order::Yes);
  other->sigClosed.connect(&order, &Order::Closed);
  other->Close();
  other->Close();
  Deliver();
  EXPECT_EQ(order.seen.back(), "closed -1");
  EXPECT_EQ(order.seen.size(), 3u);
}

TEST_F(MessageBoxTest, EnterPressesTheFirstButtonAndEscapeTheLastOnlyInTheBoxOnTop) {
  using Kind = CRSMessageBox::Kind;
  const struct {
    Kind kind;
    int escapeResult;
  } cases[] = {{Kind::kOk, 0},          {Kind::kOkCancel, 1}, {Kind::kAbortRetryIgnore, 2},
               {Kind::kYesNoCancel, 2}, {Kind::kYesNo, 1},    {Kind::kRetryIgnore, 1}};
  for (const auto& c : cases) {
    for (unsigned key : {platform::kVkReturn, platform::kVkEscape}) {
      CRSAutoPtrPolymorphic<CRSMessageBox> box(new CRSMessageBox("Text", "Title", root, c.kind));
      Order order;
      box->sigClosed.connect(&order, &Order::Closed);
      Key(key);
      Deliver();
      const int expected = key == platform::kVkReturn ? 0 : c.escapeResult;
      EXPECT_EQ(order.seen, std::vector<std::string>{"closed " + std::to_string(expected)})
          << static_cast<int>(c.kind) << " key " << key;
      EXPECT_EQ(box.get(), nullptr);
    }
  }

  // A box asked over another one takes the keys; the one below has them
  // back once the upper one has gone.
  CRSAutoPtrPolymorphic<CRSMessageBox> lower(new CRSMessageBox("Lower", "T", root, Kind::kYesNo));
  CRSAutoPtrPolymorphic<CRSMessageBox> upper(new CRSMessageBox("Upper", "T", root, Kind::kYesNo));
  Key(platform::kVkEscape);
  Deliver();
  EXPECT_EQ(upper.get(), nullptr);
  ASSERT_NE(lower.get(), nullptr);
  EXPECT_EQ(lower->GetResult(), -1);
  Key(platform::kVkReturn);
  EXPECT_EQ(lower->GetResult(), -1) << "the press arrives through the queue, as a click's does";
  Deliver();
  EXPECT_EQ(lower.get(), nullptr);
  EXPECT_EQ(behindClicks.count, 0);
}

TEST_F(MessageBoxTest, AModalWindowDestroyedWhileOnTheListBlocksNothing) {
  auto* first = new CRSMessageBox("One", "T", root);
  auto* second = new CRSMessageBox("Two", "T", root);
  EXPECT_EQ(CRSControlWindow::GetTopModal(), second);
  // The newest modal window takes the input: the first's button is outside.
  Counter firstClicks;
  first->sigButton0.connect(&firstClicks, &Counter::On);
  second->Delete();
  EXPECT_EQ(CRSControlWindow::GetTopModal(), first);
  first->Delete();
  EXPECT_EQ(CRSControlWindow::GetTopModal(), nullptr);
  EXPECT_EQ(CRSControlWindow::GetModalCount(), 0u);
  Click(CentreOf(*behind).X, CentreOf(*behind).Y);
  Deliver();
  EXPECT_EQ(behindClicks.count, 1);
  EXPECT_EQ(firstClicks.count, 0);
  // Destroyed in the middle of a press on its button: nothing stays captured.
  auto* third = new CRSMessageBox("Three", "T", root);
  const PointF ok = CentreOf(*third->GetButton(0));
  Move(ok.X, ok.Y);
  Press(ok.X, ok.Y);
  third->Delete();
  Move(ok.X + 5, ok.Y, platform::kKeyStateLButton);
  Release(ok.X + 5, ok.Y);
  Deliver();
  EXPECT_EQ(view.GetCaptured(), nullptr);
  Click(CentreOf(*behind).X, CentreOf(*behind).Y);
  Deliver();
  EXPECT_EQ(behindClicks.count, 2);
}

}  // namespace

namespace {

// A control window as a view's root: its title-bar buttons steer the
// platform window and its caption is the window's title.
TEST(ControlWindowAsRoot, TitleButtonsMinimiseMaximiseRestoreAndClose) {
  CRSEventDispatcher::Create();
  platform::MessageLoop loop;
  CRSCanvasView view;
  ASSERT_TRUE(view.Create("root"));
  auto* root = new CRSControlWindow(PointF(), nullptr, "root", SizeF(400, 300));
  root->SetSystemButtons(true);
  root->SetCaption("Tandrill");
  view.SetRoot(root);
  view.GetWindow()->Show();
  EXPECT_EQ(view.GetWindow()->GetTitle(), "Tandrill");
  auto click = [&](int slot) {
    CRSControlButton* b = root->GetTitleButton(slot);
    ASSERT_NE(b, nullptr);
    const RectF r = b->GetBoundsIn(nullptr);
    const int x = static_cast<int>(r.X + r.Width / 2), y = static_cast<int>(r.Y + r.Height / 2);
    for (unsigned m : {platform::kMsgMouseMove, platform::kMsgLButtonDown, platform::kMsgLButtonUp})
      view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), m,
                                             m == platform::kMsgLButtonDown ? platform::kKeyStateLButton : 0u,
                                             platform::MakeMousePosition(x, y)});
    FlushEvents(nullptr);
    loop.PumpMessages(0);
  };
  click(CRSControlWindow::kButtonMaximize);
  EXPECT_TRUE(view.GetWindow()->IsMaximized());
  EXPECT_TRUE(root->IsMaximized());
  EXPECT_FALSE(root->GetTitleButton(CRSControlWindow::kButtonMaximize)->IsVisible());
  click(CRSControlWindow::kButtonRestore);
  EXPECT_FALSE(view.GetWindow()->IsMaximized());
  click(CRSControlWindow::kButtonMinimize);
  EXPECT_TRUE(view.GetWindow()->IsMinimized());
  view.GetWindow()->Restore();
  loop.PumpMessages(0);
  click(CRSControlWindow::kButtonClose);
  EXPECT_FALSE(view.HasWindow()) << "closing the root closes the window";
  DiscardEvents();
}

}  // namespace
