// Buttons: faces through the mouse's life cycle, clicks only when released
// over the button, hot keys, toggling, and a button that ends itself from
// its own clicked handler.

#include <cstdlib>
#include <filesystem>

#include "controls_test_support.h"
#include "item_test_support.h"

namespace {

using control_test::ControlScene;
using control_test::Counter;

class ButtonTest : public ControlScene {
 protected:
  void SetUp() override {
    ControlScene::SetUp();
    button = new CRSControlButton(PointF(50, 50), root, "ok", SizeF(100, 0), "&Ok");
    button->sigClicked.connect(&clicks, &Counter::On);
    ref = button;
  }
  PointF Centre() { return CentreOf(*button); }

  CRSControlButton* button = nullptr;
  CRSAutoPtrPolymorphic<CRSControlButton> ref;
  Counter clicks;
};

TEST_F(ButtonTest, FacesFollowTheMouseAndAClickIsDeliveredLater) {
  EXPECT_EQ(button->GetFaceSize().Height, CRSControlStyleBase::Style().GetButtonHeight());
  for (int i = 0; i < 4; ++i) ASSERT_NE(button->GetFace(i), nullptr) << i;
  auto visibleFaces = [&] {
    int n = 0;
    for (int i = 0; i < 4; ++i) n += button->GetFace(i)->IsVisible() ? 1 : 0;
    return n;
  };
  EXPECT_EQ(button->GetCurrentFace(), 0);
  Move(Centre().X, Centre().Y);
  EXPECT_EQ(button->GetCurrentFace(), 1);
  Press(Centre().X, Centre().Y);
  EXPECT_EQ(button->GetCurrentFace(), 2);
  EXPECT_TRUE(button->IsTracking());
  // Dragged off while held: back to the hover face, pressed again on return.
  Move(300, 250, platform::kKeyStateLButton);
  EXPECT_EQ(button->GetCurrentFace(), 1);
  Move(Centre().X, Centre().Y, platform::kKeyStateLButton);
  EXPECT_EQ(button->GetCurrentFace(), 2);
  Release(Centre().X, Centre().Y);
  EXPECT_EQ(button->GetCurrentFace(), 1);
  EXPECT_EQ(visibleFaces(), 1);
  EXPECT_EQ(clicks.count, 0) << "clicked goes through the queue";
  Deliver();
  EXPECT_EQ(clicks.count, 1);
  // Leaving the button shows the normal face.
  Move(300, 250);
  EXPECT_EQ(button->GetCurrentFace(), 0);
  // Disabled: face 3, and neither mouse nor hot key clicks.
  button->SetEnabled(false);
  EXPECT_EQ(button->GetCurrentFace(), 3);
  Click(Centre().X, Centre().Y);
  AltKey('O');
  Deliver();
  EXPECT_EQ(clicks.count, 1);
  // Disabled under the pointer, left, enabled again: hovering works anew.
  button->SetEnabled(true);
  Move(Centre().X, Centre().Y);
  button->SetEnabled(false);
  Move(300, 250);
  button->SetEnabled(true);
  EXPECT_EQ(button->GetCurrentFace(), 0);
  EXPECT_EQ(visibleFaces(), 1);
  Move(Centre().X, Centre().Y);
  EXPECT_EQ(button->GetCurrentFace(), 1);
  Move(300, 250);
  EXPECT_EQ(button->GetCurrentFace(), 0);
}

TEST_F(ButtonTest, PressAndReleaseOutsideDoesNotClickAndLeavesNothingStuck) {
  Move(Centre().X, Centre().Y);
  Press(Centre().X, Centre().Y);
  Move(350, 280, platform::kKeyStateLButton);
  Release(350, 280);
  Deliver();
  EXPECT_EQ(clicks.count, 0);
  EXPECT_FALSE(button->IsTracking());
  EXPECT_EQ(button->GetCurrentFace(), 0);
  EXPECT_EQ(view.GetCaptured(), nullptr);
  // A press elsewhere released over the button does not click it either.
  Press(350, 280);
  Move(Centre().X, Centre().Y, platform::kKeyStateLButton);
  Release(Centre().X, Centre().Y);
  Deliver();
  EXPECT_EQ(clicks.count, 0);
  // And the next ordinary click still works.
  Click(Centre().X, Centre().Y);
  Deliver();
  EXPECT_EQ(clicks.count, 1);
}

TEST_F(ButtonTest, AltWithTheUnderlinedLetterClicksAndCaptionsWithoutAmpersandHaveNone) {
  EXPECT_EQ(button->GetHotKey(), static_cast<unsigned>('O'));
  AltKey('X');
  Deliver();
  EXPECT_EQ(clicks.count, 0);
  AltKey('O');
  Deliver();
  EXPECT_EQ(clicks.count, 1);
  // A plain key press (no Alt) is not a hot key.
  view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), platform::kMsgKeyDown, 'O', 0});
  Deliver();
  EXPECT_EQ(clicks.count, 1);

  button->SetCaption("Ok");
  EXPECT_EQ(button->GetHotKey(), 0u);
  AltKey('O');
  Deliver();
  EXPECT_EQ(clicks.count, 1);

  EXPECT_EQ(CRSControlButton::FindHotKey("Save && &quit"), static_cast<unsigned>('Q'));
  EXPECT_EQ(CRSControlButton::FindHotKey("trailing&"), 0u);
  EXPECT_EQ(CRSControlButton::FindHotKey("&\xC3\xA9t\xC3\xA9"), 0u) << "no key for half a character";
  // A hidden button's hot key does nothing.
  button->SetCaption("&Ok");
  button->SetVisible(false);
  AltKey('O');
  Deliver();
  EXPECT_EQ(clicks.count, 1);
}

TEST_F(ButtonTest, ToggleButtonsShowTheirStateAndAnnounceIt) {
  struct Toggles : sigslot::has_slots {
    std::vector<bool> seen;
    void On(bool on) { seen.push_back(on); }
  } toggles;
  button->sigToggled.connect(&toggles, &Toggles::On);
  button->SetToggle(true);
  Click(Centre().X, Centre().Y);
  EXPECT_TRUE(button->IsChecked());
  EXPECT_EQ(button->GetCurrentFace(), 2);
  // Hovering a checked button keeps it pressed; pressing it shows it
  // released, and leaving it after the second click shows the normal face.
  Move(Centre().X + 1, Centre().Y);
  EXPECT_EQ(button->GetCurrentFace(), 2);
  Press(Centre().X, Centre().Y);
  EXPECT_EQ(button->GetCurrentFace(), 1);
  Release(Centre().X, Centre().Y);
  EXPECT_FALSE(button->IsChecked());
  Move(350, 280);
  EXPECT_EQ(button->GetCurrentFace(), 0);
  Deliver();
  EXPECT_EQ(toggles.seen, (std::vector<bool>{true, false}));
  EXPECT_EQ(clicks.count, 2);
  // Setting the same state again announces nothing; SetToggle clears it.
  button->SetChecked(true);
  button->SetChecked(true);
  button->SetToggle(true);
  EXPECT_FALSE(button->IsChecked());
  Deliver();
  EXPECT_EQ(toggles.seen.size(), 3u);
}

TEST_F(ButtonTest, AButtonDeletedFromItsOwnClickedHandlerLeavesNoInputStuck) {
  struct Killer : sigslot::has_slots {
    CRSControlButton* target = nullptr;
    void On() { target->Delete(); }
  } killer;
  killer.target = button;
  button->sigClicked.connect(&killer, &Killer::On);
  Click(Centre().X, Centre().Y);
  // A second click queued in the same burst must not reach the dead button.
  AltKey('O');
  Deliver();
  EXPECT_EQ(ref.get(), nullptr);
  EXPECT_EQ(clicks.count, 1);
  EXPECT_EQ(view.GetCaptured(), nullptr);
  // Input carries on normally.
  auto* other = new CRSControlButton(PointF(50, 150), root, "other", SizeF(80, 24), "&Go");
  Counter again;
  other->sigClicked.connect(&again, &Counter::On);
  Click(CentreOf(*other).X, CentreOf(*other).Y);
  AltKey('O');
  AltKey('G');
  Deliver();
  EXPECT_EQ(again.count, 2);
}

TEST_F(ButtonTest, FacesUseTheStyleColoursAndPicturesReplaceTheCaption) {
  const CRSControlStyleValues& v = static_cast<CRSControlStylesDrawn&>(CRSControlStyleBase::Style()).GetValues();
  auto probe = [&](int face) {
    button->SetEnabled(face != 3);
    for (int i = 0; i < 4; ++i) button->GetFace(i)->SetVisible(i == face);
    auto picture = item_test::Render(*root, 400, 300, 0xFF000000u);
    // A point on the face left of the caption, where the sheen above has
    // faded out and the shade below has not begun.
    return picture->GetPixel(68, 50 + 11);
  };
  auto over = [](ARGB colour) {
    const unsigned a = colour >> 24;
    auto ch = [&](int shift) { return ((colour >> shift) & 0xFF) * a / 255; };
    return static_cast<ARGB>(0xFF000000u | ch(16) << 16 | ch(8) << 8 | ch(0));
  };
  EXPECT_TRUE(item_test::Near(probe(0), over(v.buttonBackground), 40)) << std::hex << probe(0);
  EXPECT_TRUE(item_test::Near(probe(1), over(v.buttonBackgroundUp), 40)) << std::hex << probe(1);
  EXPECT_TRUE(item_test::Near(probe(2), over(v.buttonBackgroundDown), 40)) << std::hex << probe(2);
  EXPECT_TRUE(item_test::Near(probe(3), over(v.buttonBackgroundDisabled), 40)) << std::hex << probe(3);

  button->SetEnabled(true);
  button->SetImages(item_test::SolidPicture(10, 8, 0xFFFF0000), item_test::SolidPicture(10, 8, 0xFF00FF00), nullptr);
  auto imageOf = [&](int face) -> CRSCanvasImage* {
    return dynamic_cast<CRSCanvasImage*>(button->GetFace(face)->FindChild("image"));
  };
  ASSERT_NE(imageOf(0), nullptr);
  EXPECT_EQ(imageOf(0)->GetImage()->GetPixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(imageOf(2)->GetImage()->GetPixel(0, 0), 0xFF00FF00u);
  EXPECT_EQ(button->GetFace(0)->FindChild("caption"), nullptr);
  // Centred on the face; the hovered face lifts it by one pixel.
  EXPECT_EQ(imageOf(0)->GetPosition().X, 45.0f);
  EXPECT_EQ(imageOf(1)->GetPosition().X, 44.0f);
}

TEST_F(ButtonTest, ImagesLoadFromThreeNumberedFiles) {
  const std::string source = std::string(TANDRILL_SOURCE_DIR) + "/tests/data_files/images/tiny.gif";
  const std::string dir = std::string(std::getenv("TANDRILL_DATA_DIR")) + "/pics.v2";
  std::filesystem::create_directories(dir);
  std::filesystem::copy_file(source, dir + "/b0.gif");
  std::filesystem::copy_file(source, dir + "/b1.gif");
  // Missing first file: nothing changes.
  EXPECT_FALSE(button->LoadImages(dir + "/c.gif"));
  EXPECT_FALSE(button->HasImages());
  // The dot of the folder name is not the extension's.
  EXPECT_FALSE(button->LoadImages(dir + "/b"));
  EXPECT_TRUE(button->LoadImages(dir + "/b.gif"));
  EXPECT_TRUE(button->HasImages());
  EXPECT_NE(button->GetImage(1), nullptr);
  EXPECT_EQ(button->GetImage(2), nullptr);
}

}  // namespace
