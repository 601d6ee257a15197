// The "Configure Puzzle" window as drawn in the game's own font: every
// label, list entry and caption fits inside its control and its box, rows
// do not run into each other, and the window is placed once and can then
// be moved. The preview's reduction beside the window is checked here too.

#include "rooms/cut_settings_dialog.h"

#include <gtest/gtest.h>

#include "rooms/cuts_room.h"
#include "tests/app/root_scene.h"

namespace {

class CutSettingsLayout : public RootScene {
 protected:
  void SetUp() override {
    RootScene::SetUp();
    canvas->SetSize(SizeF(1280, 800));
    Pump(2);
  }
  CPuzzleCutSettingsDlg* Make(bool admin) {
    return new CPuzzleCutSettingsDlg(canvas, {"Beaches", "Mountains and Lakes"}, admin);
  }
  static bool Inside(const RectF& inner, const RectF& outer, float slack = 0.5f) {
    return inner.X >= outer.X - slack && inner.Y >= outer.Y - slack &&
           inner.X + inner.Width <= outer.X + outer.Width + slack &&
           inner.Y + inner.Height <= outer.Y + outer.Height + slack;
  }
  static std::string Describe(const RectF& r) {
    return "(" + std::to_string(r.X) + ", " + std::to_string(r.Y) + ", " + std::to_string(r.Width) + " x " +
           std::to_string(r.Height) + ")";
  }
};

TEST_F(CutSettingsLayout, EveryTextFitsItsControlAndEveryControlItsBox) {
  CPuzzleCutSettingsDlg* dialog = Make(true);
  CRSCanvasItem* client = dialog->GetClientArea();
  const RectF clientRect(0, 0, client->GetSize().Width, client->GetSize().Height);
  // The largest grid the cutter makes: a full picture of 8192 x 8192.
  dialog->OnGridSize(Size(204, 204));

  // Every control of every box lies inside the box, and the boxes inside
  // the window, one below the other.
  float previousBottom = 0.0f;
  for (const char* name : {"piecesBox", "categoryBox", "musicBox"}) {
    auto* box = dynamic_cast<CRSGroupBox*>(client->FindChild(name));
    ASSERT_NE(box, nullptr) << name;
    const RectF boxRect = box->GetBoundsIn(client);
    EXPECT_TRUE(Inside(boxRect, clientRect)) << name << " " << Describe(boxRect);
    EXPECT_GE(boxRect.Y, previousBottom) << name << " overlaps the box above";
    previousBottom = boxRect.Y + boxRect.Height;
    const RectF local(0, 0, box->GetSize().Width, box->GetSize().Height);
    EXPECT_TRUE(Inside(box->GetCaptionBackItem()->GetBoundsIn(box), local)) << name << " caption";
    for (const auto& child : box->GetChildren()) {
      auto* item = dynamic_cast<CRSCanvasItem*>(child.get());
      if (!item || item == box->GetFrameItem() || item == box->GetCaptionBackItem() ||
          item == box->GetCaptionItem() || item == box->GetCaptionShadowItem())
        continue;
      const RectF r = item->GetBoundsIn(box);
      EXPECT_TRUE(Inside(r, local)) << name << ": " << item->GetName() << " " << Describe(r) << " leaves the box";
    }
  }

  // The two check boxes of one row: each label ends inside its own control
  // and the first ends before the second begins.
  CRSCheckBox* rotate = dialog->GetRotateBox();
  CRSCheckBox* surprise = dialog->GetSurpriseBox();
  const RectF rotateRect = rotate->GetBoundsIn(client);
  const RectF surpriseRect = surprise->GetBoundsIn(client);
  EXPECT_FLOAT_EQ(rotateRect.Y, surpriseRect.Y) << "one row";
  EXPECT_LE(rotateRect.X + rotateRect.Width, surpriseRect.X);
  for (CRSCheckBox* check : {rotate, surprise, dialog->GetGiftBox()}) {
    EXPECT_TRUE(Inside(check->GetLabelItem()->GetBoundsIn(check), RectF(0, 0, check->GetSize().Width, 1e4f)))
        << check->GetLabel();
  }

  // Every shape name and picture size shows between its list's two arrow
  // buttons.
  for (CRSMultiChoices* list : {dialog->GetShapeList(), dialog->GetPictureSizeList()}) {
    for (int i = 0; i < static_cast<int>(list->GetChoices().size()); ++i) {
      list->SetSelection(i);
      const RectF text = list->GetTextItem()->GetBoundsIn(list);
      const float left =
          list->GetPreviousButton()->GetBoundsIn(list).X + list->GetPreviousButton()->GetFaceSize().Width;
      const float right = list->GetNextButton()->GetBoundsIn(list).X;
      EXPECT_GE(text.X, left) << list->GetSelectedText();
      EXPECT_LE(text.X + text.Width, right) << list->GetSelectedText();
    }
  }

  // A long music path is cut in its middle to fit beside the "..." button.
  dialog->OnMusicChosen("/home/player/Music/Some Very Long Album Name/Disc 2/07 - A Rather Long Song Title.ogg");
  CRSStatic* music = dialog->GetMusicStatic();
  EXPECT_LE(music->GetTextItem()->MeasureText().Width, music->GetSize().Width);
  EXPECT_EQ(music->GetText().substr(0, 6), "/home/");
  EXPECT_NE(music->GetText().find("..."), std::string::npos);
  const RectF browse = dialog->GetButton("...")->GetBoundsIn(client);
  EXPECT_LE(music->GetBoundsIn(client).X + music->GetSize().Width, browse.X);
  dialog->OnMusicChosen("/tmp/a.mid");
  EXPECT_EQ(music->GetText(), "/tmp/a.mid") << "a short path is shown whole";

  // Both buttons of the last row are inside the window, side by side.
  const RectF ok = dialog->GetButton("&Ok")->GetBoundsIn(client);
  const RectF cancel = dialog->GetButton("&Cancel")->GetBoundsIn(client);
  EXPECT_LT(ok.X + ok.Width, cancel.X);
  EXPECT_TRUE(Inside(cancel, clientRect));
  dialog->Close();
}

TEST_F(CutSettingsLayout, PlacedOnceAtTheFloorsCornerThenMovableInsideTheView) {
  CPuzzleCutSettingsDlg* dialog = Make(false);
  EXPECT_EQ(dialog->GetGiftBox(), nullptr);
  CRSCanvasItem* view = dialog->GetParentItem();
  CRSCanvasItem* floor = canvas->GetFloor();
  dialog->PlaceAtTopRight(floor);
  const RectF floorRect = floor->GetBoundsIn(view);
  RectF r = dialog->GetBoundsIn(view);
  EXPECT_NEAR(r.X + r.Width, floorRect.X + floorRect.Width, 0.5f);
  EXPECT_NEAR(r.Y, floorRect.Y, 0.5f) << "below the main window's title, not over it";

  // The player drags it by its title: it stays where it is put...
  dialog->SetPosition(dialog->GetPosition() - PointF(400, 0));
  EXPECT_NEAR(dialog->GetBoundsIn(view).X, r.X - 400, 0.5f);
  // ...but never leaves the view.
  dialog->SetPosition(dialog->GetPosition() + PointF(5000, 5000));
  r = dialog->GetBoundsIn(view);
  EXPECT_LE(r.X + r.Width, view->GetSize().Width + 0.5f);
  EXPECT_LE(r.Y + r.Height, view->GetSize().Height + 0.5f);
  dialog->Close();
}

TEST(CutsPreviewFit, OnlyPicturesReachingUnderTheDialogAreReduced) {
  const SizeF floor(1274, 768), stage(898, 768);
  // Tall: at its largest zoom it is 384 wide and fits beside the dialog.
  EXPECT_FLOAT_EQ(cuts_picture::PreviewFit(stage, floor, 500, 1000), 1.0f);
  // As large as the floor: reduced to the stage's width.
  EXPECT_NEAR(cuts_picture::PreviewFit(stage, floor, 1274, 700), 898.0f / 1274.0f, 1e-4f);
  // Small and wide: measured at the zoom where it fills the floor.
  EXPECT_NEAR(cuts_picture::PreviewFit(stage, floor, 300, 100), 898.0f / 1274.0f, 1e-4f);
  // Nothing to show, or no room: no reduction, no division by zero.
  EXPECT_FLOAT_EQ(cuts_picture::PreviewFit(stage, floor, 0, 0), 1.0f);
  EXPECT_FLOAT_EQ(cuts_picture::PreviewFit(SizeF(0, 0), floor, 800, 600), 1.0f);
}

}  // namespace
