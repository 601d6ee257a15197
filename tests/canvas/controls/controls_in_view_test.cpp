// Simple controls driven through a real view: the choice list's step
// buttons click through the event queue and never wrap around, a text
// field behind a modal window takes no typing, and Tab walks a dialog's
// controls in reading order, each answering its keys, and Escape closes a
// window that is not modal.

#include <gtest/gtest.h>

#include <vector>

#include "../controls_test_support.h"
#include "canvas/key_focus.h"
#include "platform/keyboard.h"

namespace {

struct Selections : sigslot::has_slots {
  std::vector<int> seen;
  void On(int index) { seen.push_back(index); }
};

class ControlsInViewTest : public control_test::ControlScene {};

TEST_F(ControlsInViewTest, StepButtonsMoveOneChoiceAndStopAtEitherEnd) {
  auto* choices = new CRSMultiChoices(PointF(20, 20), root, "shape");
  choices->SetSize(SizeF(200, 40));
  Selections selections;
  choices->sigSelectionChanged.connect(&selections, &Selections::On);
  EXPECT_EQ(choices->GetSelection(), -1);
  choices->AddChoice("Classic");
  choices->AddChoice("Wavy");
  choices->AddChoice("Square");
  EXPECT_EQ(choices->GetSelection(), 0) << "the first choice added is selected";
  EXPECT_EQ(choices->GetSize().Height, CRSControlStyles::GetCurrent()->GetButtonHeight())
      << "always a button tall";
  EXPECT_EQ(choices->GetTextItem()->GetText(), "Classic");

  const PointF previous = CentreOf(*choices->GetPreviousButton());
  const PointF next = CentreOf(*choices->GetNextButton());
  Click(previous.X, previous.Y);
  Deliver();
  EXPECT_EQ(choices->GetSelection(), 0) << "no wrap-around before the first";
  for (int i = 0; i < 4; ++i) {
    Click(next.X, next.Y);
    Deliver();
  }
  EXPECT_EQ(choices->GetSelection(), 2) << "no wrap-around after the last";
  EXPECT_FALSE(choices->GetNextButton()->IsEnabled());
  EXPECT_TRUE(choices->GetPreviousButton()->IsEnabled());
  Click(previous.X, previous.Y);
  Deliver();
  EXPECT_EQ(choices->GetTextItem()->GetText(), "Wavy");
  EXPECT_EQ(selections.seen, (std::vector<int>{0, 1, 2, 1}));
}

TEST_F(ControlsInViewTest, SelectionByIndexOrTextIgnoresWhatIsNotThere) {
  auto* choices = new CRSMultiChoices(PointF(20, 20), root, "colour");
  Selections selections;
  choices->sigSelectionChanged.connect(&selections, &Selections::On);
  choices->SetSelection(0);
  choices->SelectText("Red");
  EXPECT_EQ(choices->GetSelection(), -1) << "an empty list selects nothing";
  for (const char* c : {"Red", "Green", "Red", "Blue"}) choices->AddChoice(c);
  choices->SetSelection(4);
  choices->SetSelection(-1);
  EXPECT_EQ(choices->GetSelection(), 0);
  choices->SelectText("Blue");
  EXPECT_EQ(choices->GetSelection(), 3);
  choices->SelectText("blue");
  EXPECT_EQ(choices->GetSelection(), 3) << "the comparison is exact";
  choices->SetSelection(2);
  choices->SelectText("Red");
  EXPECT_EQ(choices->GetSelection(), 2) << "the text shown already is not selected again";
  choices->SelectText("Green");
  EXPECT_EQ(choices->GetSelectedText(), "Green");
  EXPECT_EQ(selections.seen, (std::vector<int>{0, 3, 2, 1}));
  choices->ClearChoices();
  EXPECT_EQ(choices->GetSelection(), -1);
  EXPECT_FALSE(choices->GetNextButton()->IsEnabled());
}

// The text field, in the same scene: a modal window over it keeps typing
// out of it, while a field inside the modal window takes it.
TEST_F(ControlsInViewTest, AFieldBehindAModalWindowTakesNoTyping) {
  auto* behind = new CRSEdit(PointF(20, 20), root, "behind");
  const PointF at = CentreOf(*behind);
  Click(at.X, at.Y);
  ASSERT_EQ(view.GetFocusItem(), behind);
  auto* box = new CRSControlWindow(PointF(150, 100), root, "box", SizeF(220, 120));
  box->SetModal(true);
  auto* inside = new CRSEdit(PointF(10, 10), box->GetClientArea(), "inside");
  auto type = [&](unsigned c) {
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), platform::kMsgChar, c, 1});
  };
  type('a');
  EXPECT_EQ(behind->GetText(), "");
  const PointF in = CentreOf(*inside);
  Click(in.X, in.Y);
  ASSERT_EQ(view.GetFocusItem(), inside);
  type('b');
  EXPECT_EQ(inside->GetText(), "b");
  box->SetModal(false);
  Click(at.X, at.Y);
  type('c');
  EXPECT_EQ(behind->GetText(), "c");
}

// A dialog laid out in two rows: Tab goes left to right, then down, skips
// what is turned off and the choice list's own step buttons, wraps round,
// Shift+Tab goes back; the ring shows only while Tab put the keyboard
// there. Each control answers its keys; a modal window keeps Tab inside.
TEST_F(ControlsInViewTest, TabWalksTheDialogInReadingOrderAndControlsAnswerKeys) {
  auto* dialog = new CRSControlWindow(PointF(10, 10), root, "dialog", SizeF(380, 200));
  CRSCanvasItem* area = dialog->GetClientArea();
  auto* slider = new CRSSlider(PointF(150, 10), area, "slider");
  slider->SetSize(SizeF(150, 24));
  slider->SetRange(0, 100);
  auto* check = new CRSCheckBox(PointF(10, 12), area, "check", "Rotate");
  auto* choices = new CRSMultiChoices(PointF(10, 60), area, "choices");
  choices->SetSize(SizeF(160, 30));
  for (const char* c : {"Classic", "Wavy", "Square"}) choices->AddChoice(c);
  auto* off = new CRSControlButton(PointF(200, 60), area, "off", SizeF(60, 0), "Off");
  off->SetEnabled(false);
  auto* ok = new CRSControlButton(PointF(280, 60), area, "ok", SizeF(60, 0), "OK");
  int clicks = 0;
  struct Counter : sigslot::has_slots {
    int* n;
    void On() { ++*n; }
  } counter;
  counter.n = &clicks;
  ok->sigClicked.connect(&counter, &Counter::On);

  const std::vector<CRSCanvasItem*> order{check, slider, choices, ok};
  for (std::size_t i = 0; i < order.size() * 2; ++i) {
    Key(platform::kVkTab);
    EXPECT_EQ(view.GetFocusItem(), order[i % order.size()]) << i;
    EXPECT_NE(root->FindChild("focusRing"), nullptr) << "a visible focus, at " << i;
  }
  platform::SetCurrentModifierFlags(platform::kKeyStateShift);
  Key(platform::kVkTab);
  platform::SetCurrentModifierFlags(0);
  EXPECT_EQ(view.GetFocusItem(), choices) << "Shift+Tab goes back";

  const struct { CRSCanvasItem* control; unsigned vk; float value; } keys[] = {
      {slider, platform::kVkRight, 10},  {slider, platform::kVkUp, 20},   {slider, platform::kVkLeft, 10},
      {slider, platform::kVkEnd, 100},   {slider, platform::kVkHome, 0},  {choices, platform::kVkRight, 1},
      {choices, platform::kVkEnd, 2},    {choices, platform::kVkDown, 2}, {choices, platform::kVkHome, 0},
      {choices, platform::kVkLeft, 0},   {check, platform::kVkSpace, 1},  {check, platform::kVkSpace, 0},
  };
  for (const auto& k : keys) {
    view.SetFocusItem(k.control);
    Key(k.vk);
    const float now = k.control == slider    ? slider->GetValue()
                      : k.control == choices ? static_cast<float>(choices->GetSelection())
                                             : (check->IsChecked() ? 1.0f : 0.0f);
    EXPECT_EQ(now, k.value) << k.control->GetName() << " key " << k.vk;
  }
  EXPECT_EQ(root->FindChild("focusRing"), nullptr) << "no ring when the program moved it";
  view.SetFocusItem(ok);
  Key(platform::kVkReturn);
  Key(platform::kVkSpace);
  Deliver();
  EXPECT_EQ(clicks, 2);

  auto* box = new CRSControlWindow(PointF(100, 100), root, "box", SizeF(200, 80));
  box->SetModal(true);
  auto* yes = new CRSControlButton(PointF(10, 10), box->GetClientArea(), "yes", SizeF(60, 0), "Yes");
  Key(platform::kVkTab);
  EXPECT_EQ(view.GetFocusItem(), yes);
  Key(platform::kVkTab);
  EXPECT_EQ(view.GetFocusItem(), yes) << "Tab stays in the modal window";
  const PointF at = CentreOf(*check);
  box->SetModal(false);
  Click(at.X, at.Y);
  EXPECT_EQ(root->FindChild("focusRing"), nullptr) << "a press takes the ring away";

  // Escape closes a window that is not modal: the one holding the keyboard,
  // else the front one with a close button.
  dialog->SetCloseButton(true);
  box->SetCloseButton(true);
  view.SetFocusItem(slider);
  Key(platform::kVkEscape);
  Deliver();
  EXPECT_EQ(root->FindChild("dialog"), nullptr);
  EXPECT_NE(root->FindChild("box"), nullptr);
  Key(platform::kVkEscape);
  Deliver();
  EXPECT_EQ(root->FindChild("box"), nullptr);
}

}  // namespace
