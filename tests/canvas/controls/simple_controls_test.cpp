// The simple controls: slider, check box, progress bar and text field, each
// driven through the events the view delivers.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "../item_test_support.h"
#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "platform/messages.h"

namespace {

struct Watcher : sigslot::has_slots {
  std::vector<float> values;
  std::vector<bool> checks;
  std::vector<std::string> texts;
  void OnValue(CRSSlider*, float v) { values.push_back(v); }
  void OnChecked(bool c) { checks.push_back(c); }
  void OnText(CRSEdit*, const std::string& t) { texts.push_back(t); }
};

class SimpleControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { root = new CRSCanvasItem(PointF(), nullptr, "root"); }
  void Mouse(CRSCanvasItem* target, unsigned message, float x, float y, unsigned flags = 0) {
    DispatchEvent(target, new CRSCanvasEvents::Mouse(static_cast<int>(message), PointF(x, y), flags));
  }
  void Key(CRSCanvasItem* target, unsigned message, unsigned code) {
    DispatchEvent(target, new CRSCanvasEvents::Key(static_cast<int>(message), code, 0));
  }
  CRSAutoPtrPolymorphic<CRSCanvasItem> root;
  Watcher watcher;
};

TEST_F(SimpleControlsTest, SliderStepsByATenthOfItsRangeTowardsTheClickAndClamps) {
  auto* slider = new CRSSlider(PointF(10, 10), root, "slider");
  slider->SetSize(SizeF(180, 22));
  slider->sigValueChanged.connect(&watcher, &Watcher::OnValue);
  slider->SetRange(40, 200);
  EXPECT_FLOAT_EQ(slider->GetStep(), 16.0f);
  EXPECT_FLOAT_EQ(slider->GetValue(), 40.0f) << "the old value 0 is clamped into the new range";

  Mouse(slider, platform::kMsgLButtonDown, 120, 11);  // right of the thumb
  EXPECT_FLOAT_EQ(slider->GetValue(), 56.0f);
  slider->SetValue(195);
  Mouse(slider, platform::kMsgLButtonDown, 5, 11);  // left of the thumb, which now sits near the end
  EXPECT_FLOAT_EQ(slider->GetValue(), 179.0f);
  Mouse(slider, platform::kMsgLButtonDblClk, 175, 11);
  Mouse(slider, platform::kMsgLButtonDown, 176, 11);
  EXPECT_FLOAT_EQ(slider->GetValue(), 200.0f) << "a step past the maximum stops at it";
  EXPECT_EQ(watcher.values, (std::vector<float>{40, 56, 195, 179, 195, 200})) << "no signal when nothing changed";

  // The wheel moves one step per turn, whatever the turn's size.
  Mouse(slider, platform::kMsgMouseWheel, 50, 11, static_cast<unsigned>(platform::MakeWheelParam(-360, 0)));
  EXPECT_FLOAT_EQ(slider->GetValue(), 184.0f);
  Mouse(slider, platform::kMsgMouseWheel, 50, 11, static_cast<unsigned>(platform::MakeWheelParam(120, 0)));
  EXPECT_FLOAT_EQ(slider->GetValue(), 200.0f);

  // Dragging: the thumb's left edge runs over 160 pixels for 160 units, and
  // the grabbed point stays under the pointer.
  slider->SetValue(40);
  const float thumbX = slider->GetThumbItem()->GetPosition().X;
  EXPECT_FLOAT_EQ(thumbX, 0.0f);
  Mouse(slider, platform::kMsgLButtonDown, 10, 11, platform::kKeyStateLButton);
  EXPECT_TRUE(slider->IsDragging());
  EXPECT_FLOAT_EQ(slider->GetValue(), 40.0f) << "grabbing the thumb is not a track click";
  Mouse(slider, platform::kMsgMouseMove, 90, 11, platform::kKeyStateLButton);
  EXPECT_FLOAT_EQ(slider->GetValue(), 120.0f);
  EXPECT_FLOAT_EQ(slider->GetThumbItem()->GetPosition().X, 80.0f);
  Mouse(slider, platform::kMsgMouseMove, 900, 11, platform::kKeyStateLButton);
  EXPECT_FLOAT_EQ(slider->GetValue(), 200.0f);
  Mouse(slider, platform::kMsgLButtonUp, 900, 11);
  EXPECT_FALSE(slider->IsDragging());
}

TEST_F(SimpleControlsTest, SliderSurvivesRangesUpsideDownEmptyOrNotFinite) {
  auto* slider = new CRSSlider(PointF(), root, "slider");
  slider->SetRange(200, 40);
  EXPECT_FLOAT_EQ(slider->GetMinimum(), 40.0f);
  EXPECT_FLOAT_EQ(slider->GetMaximum(), 200.0f);
  EXPECT_FLOAT_EQ(slider->GetStep(), 16.0f);
  slider->SetValue(1000);
  EXPECT_FLOAT_EQ(slider->GetValue(), 200.0f);
  slider->SetValue(std::numeric_limits<float>::quiet_NaN());
  EXPECT_FLOAT_EQ(slider->GetValue(), 40.0f) << "a value that is not finite becomes the minimum";
  slider->SetRange(std::numeric_limits<float>::infinity(), 5);
  EXPECT_FLOAT_EQ(slider->GetMaximum(), 200.0f) << "a range that is not finite is ignored";

  slider->SetRange(50, 50);
  EXPECT_FLOAT_EQ(slider->GetValue(), 50.0f);
  Mouse(slider, platform::kMsgLButtonDown, 150, 11);
  Mouse(slider, platform::kMsgLButtonDown, 5, 11, platform::kKeyStateLButton);
  Mouse(slider, platform::kMsgMouseMove, 100, 11, platform::kKeyStateLButton);
  EXPECT_FLOAT_EQ(slider->GetValue(), 50.0f);
  EXPECT_TRUE(std::isfinite(slider->GetThumbItem()->GetPosition().X));
}

TEST_F(SimpleControlsTest, CheckBoxTogglesOnAClickAndTellsOnce) {
  auto* box = new CRSCheckBox(PointF(), root, "check", "Rotate pieces");
  box->sigCheckedChanged.connect(&watcher, &Watcher::OnChecked);
  const SizeF size = box->GetSize();
  EXPECT_GT(size.Width, size.Height) << "the control takes its label's width";
  EXPECT_FALSE(box->GetMarkItem()->IsVisible());

  Mouse(box, platform::kMsgLButtonDown, 5, 5);
  EXPECT_TRUE(watcher.checks.empty()) << "the press alone changes nothing";
  Mouse(box, platform::kMsgLButtonUp, 5, 5);
  EXPECT_TRUE(box->IsChecked());
  EXPECT_TRUE(box->GetMarkItem()->IsVisible());

  Mouse(box, platform::kMsgLButtonDown, 5, 5);
  Mouse(box, platform::kMsgLButtonUp, size.Width + 50, 5);  // taken back: released elsewhere
  EXPECT_TRUE(box->IsChecked());
  Mouse(box, platform::kMsgLButtonUp, 5, 5);  // a release without its press
  EXPECT_TRUE(box->IsChecked());

  box->SetChecked(true);
  box->SetChecked(false);
  box->SetEnabled(false);
  Mouse(box, platform::kMsgLButtonDown, 5, 5);
  Mouse(box, platform::kMsgLButtonUp, 5, 5);
  EXPECT_FALSE(box->IsChecked()) << "a disabled box ignores the mouse";
  EXPECT_EQ(watcher.checks, (std::vector<bool>{true, false}));
}

TEST_F(SimpleControlsTest, ProgressBarShowsItsValueAndNeverANegativeOne) {
  auto* bar = new CRSProgressBar(PointF(), root, "progress");
  bar->SetSize(SizeF(205, 22));
  EXPECT_EQ(bar->GetTextItem()->GetText(), "0%");
  bar->SetValue(42);
  EXPECT_EQ(bar->GetValue(), 42);
  EXPECT_EQ(bar->GetTextItem()->GetText(), "42%");
  bar->SetValue(50);
  EXPECT_FLOAT_EQ(bar->GetBarItem()->GetSize().Width, 100.0f) << "half of the 200 pixels inside the frame";
  bar->SetValue(-7);
  EXPECT_EQ(bar->GetValue(), 0);
  EXPECT_EQ(bar->GetTextItem()->GetText(), "0%");
  EXPECT_FALSE(bar->GetBarItem()->IsVisible());
  bar->SetValue(250);
  EXPECT_EQ(bar->GetTextItem()->GetText(), "250%");
  EXPECT_FLOAT_EQ(bar->GetBarItem()->GetSize().Width, 200.0f) << "the bar is full, not wider than its frame";
}

TEST_F(SimpleControlsTest, EditTakesAnyCharacterAndBackspaceRemovesWholeOnes) {
  auto* edit = new CRSEdit(PointF(), root, "name");
  edit->sigTextChanged.connect(&watcher, &Watcher::OnText);
  Key(edit, platform::kMsgChar, 'a');
  Key(edit, platform::kMsgChar, 0xE9);     // é, two bytes
  Key(edit, platform::kMsgChar, 0x4E2D);   // 中, three bytes
  Key(edit, platform::kMsgChar, 0x1F600);  // an emoji, four bytes
  EXPECT_EQ(edit->GetText(), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");

  // Control characters, lone surrogates and values beyond Unicode are not text.
  for (unsigned refused : {0x01u, 0x1Bu, 0x7Fu, 0x85u, 0xD800u, 0x110000u}) Key(edit, platform::kMsgChar, refused);
  EXPECT_EQ(edit->GetText(), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");

  // Alt+O is a shortcut: the "o" the platform may type with it stays out,
  // while AltGr+Q's "@" is a character like any other.
  Key(edit, platform::kMsgSysKeyDown, 'O');
  Key(edit, platform::kMsgChar, 'o');
  Key(edit, platform::kMsgSysKeyDown, 'Q');
  Key(edit, platform::kMsgChar, '@');
  Key(edit, platform::kMsgKeyDown, platform::kVkBack);
  Key(edit, platform::kMsgChar, 'o');
  Key(edit, platform::kMsgKeyDown, platform::kVkBack);

  // The backspace key removes the emoji whole; the character message the
  // same press may bring does not remove another.
  Key(edit, platform::kMsgKeyDown, platform::kVkBack);
  Key(edit, platform::kMsgChar, platform::kVkBack);
  EXPECT_EQ(edit->GetText(), "a\xC3\xA9\xE4\xB8\xAD");
  Key(edit, platform::kMsgChar, platform::kVkBack);  // a backspace character on its own
  Key(edit, platform::kMsgKeyDown, platform::kVkBack);
  EXPECT_EQ(edit->GetText(), "a");
  Key(edit, platform::kMsgKeyDown, platform::kVkBack);
  Key(edit, platform::kMsgKeyDown, platform::kVkBack);  // nothing left to remove
  EXPECT_EQ(edit->GetText(), "");
  EXPECT_EQ(watcher.texts.size(), 12u) << "six characters in, six out";

  // A name read from an old file may end in a broken sequence: backspace
  // still makes progress one byte at a time.
  edit->SetText("ab\xC3");
  EXPECT_EQ(edit->GetTextItem()->GetText(), "ab\xEF\xBF\xBD") << "shown with a replacement character";
  Key(edit, platform::kMsgKeyDown, platform::kVkBack);
  EXPECT_EQ(edit->GetText(), "ab");
}

TEST_F(SimpleControlsTest, LongTextInAFieldShowsItsEndInsideTheField) {
  auto* edit = new CRSEdit(PointF(), root, "name");
  edit->SetSize(SizeF(80, 22));
  edit->SetText("A rather long puzzle name that does not fit");
  CRSCanvasText* text = edit->GetTextItem();
  const RectF inField = text->GetBoundsIn(edit);
  const RectF caret = edit->GetCaretItem()->GetBoundsIn(edit);
  EXPECT_LT(inField.X, 0.0f) << "the start scrolls out to the left";
  EXPECT_LE(caret.GetRight(), 80.0f) << "the caret stays inside the field";
  EXPECT_NEAR(caret.X, inField.GetRight(), 2.0f);
}

}  // namespace

namespace {

// Paints every simple control over a striped picture, as a room would show
// them, and probes the pixels that say each one is drawn in the style's
// colours. With TANDRILL_SCENE_DIR set the scene is saved for a look.
TEST(SimpleControlsScene, EveryControlDrawsWithTheStylesColoursOverABusyPicture) {
  CRSAutoPtrPolymorphic<CRSCanvasItem> root(new CRSCanvasItem(PointF(), nullptr, "root"));
  root->SetSize(SizeF(420, 300));
  auto stripes = std::make_shared<Gdiplus::Bitmap>(420, 300, PixelFormat::Format32bppARGB);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 420; ++x) stripes->SetPixel(x, y, ((x + y) / 12) % 2 ? 0xFFE8E0C0 : 0xFF305020);
  new CRSCanvasImage(PointF(), root, "picture", stripes);

  auto* group = new CRSGroupBox(PointF(10, 10), root, "group", "Settings");
  group->SetSize(SizeF(400, 280));
  new CRSStatic(PointF(20, 30), group, "label", "Pieces: 120");
  auto* edit = new CRSEdit(PointF(20, 60), group, "name", "M\xC3\xBChle");
  edit->SetSize(SizeF(180, 24));
  edit->OnFocusChanged(true);
  auto* check = new CRSCheckBox(PointF(20, 100), group, "check", "Rotate pieces");
  check->SetChecked(true);
  auto* bar = new CRSProgressBar(PointF(20, 140), group, "bar");
  bar->SetSize(SizeF(200, 22));
  bar->SetValue(60);
  auto* slider = new CRSSlider(PointF(20, 180), group, "slider");
  slider->SetSize(SizeF(200, 22));
  slider->SetRange(0, 10);
  slider->SetValue(5);
  auto* choices = new CRSMultiChoices(PointF(20, 220), group, "choices");
  choices->SetSize(SizeF(200, 22));
  choices->AddChoice("Classic");
  choices->AddChoice("Wavy");

  auto picture = item_test::Render(*root, 420, 300);
  item_test::SaveSceneIfAsked(*picture, "simple_controls");
  const CRSControlStyleValues values;
  auto at = [&](CRSCanvasItem* item, float x, float y) {
    const PointF p = item->MapToAncestor(PointF(x, y), nullptr);
    return picture->GetPixel(static_cast<int>(p.X), static_cast<int>(p.Y));
  };
  // The check mark's middle stroke is the caption colour (white).
  const RectF mark = check->GetMarkItem()->GetBoundsIn(check);
  EXPECT_TRUE(item_test::Near(at(check, mark.X + mark.Width * 0.42f, mark.Y + mark.Height * 0.70f), values.buttonText, 60));
  // The filled part of the bar is the pressed-face colour over the picture,
  // the empty part is not.
  const ARGB filled = at(bar, 20, 18), empty = at(bar, 180, 18);
  EXPECT_GT(Gdiplus::BlueOf(filled), 200);
  EXPECT_LT(Gdiplus::RedOf(filled), 120);
  EXPECT_FALSE(item_test::Near(filled, empty, 40));
  // Text sits on a dark shadow: somewhere in the label a white pixel has a
  // dark one just below-right of it, even over the light stripes.
  auto* label = static_cast<CRSCanvasItem*>(group->FindChild("label"));
  bool shadowed = false;
  const SizeF ls = label->GetSize();
  for (int y = 2; y < ls.Height - 2 && !shadowed; ++y)
    for (int x = 2; x < ls.Width - 2 && !shadowed; ++x)
      shadowed = item_test::Near(at(label, x, y), 0xFFFFFFFF, 30) && Gdiplus::RedOf(at(label, x + 1, y + 1)) < 90 &&
                 Gdiplus::RedOf(at(label, x + 1.0f, y + 1.0f)) < 90;
  EXPECT_TRUE(shadowed);
  // The slider's thumb sits in the middle for the middle value.
  const RectF thumb = slider->GetThumbItem()->GetBoundsIn(slider);
  EXPECT_NEAR(thumb.X + thumb.Width / 2.0f, 100.0f, 2.0f);
  // The step that cannot be taken shows the disabled face.
  EXPECT_EQ(choices->GetPreviousButton()->GetCurrentFace(), CRSControlButton::kFaceDisabled);
  EXPECT_EQ(choices->GetNextButton()->GetCurrentFace(), CRSControlButton::kFaceNormal);
}

}  // namespace
