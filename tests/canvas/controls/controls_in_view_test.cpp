// Simple controls driven through a real view: the choice list's step
// buttons click through the event queue and never wrap around, and a text
// field behind a modal window takes no typing.

#include <gtest/gtest.h>

#include <vector>

#include "../controls_test_support.h"

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

}  // namespace
