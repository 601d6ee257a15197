#include "rooms/gallery_room.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/library.h"
#include "rooms/store_room.h"
#include "tests/rooms/gallery_test_support.h"

namespace {

using gallery_test::GalleryScene;

TEST_F(GalleryScene, EnteringHangsSolvedPuzzlesAndOnlyFoldersWithASolvedOne) {
  AddCategory("Birds");
  AddCategory("Ships");
  AddPuzzle("owl", 100, "Birds");
  AddPuzzle("hawk", 40, "Birds");
  AddPuzzle("brig", 99, "Ships");  // all of Ships unfinished: no folder
  AddPuzzle("lake", 100);
  AddPuzzle("tree", 0);
  CPuzzleImageData* stray = AddPuzzle("moon", 100, "Gone");  // names a category that does not exist
  const auto storedBackground = canvas->GetBackgroundImage();

  CPuzzleGalleryRoom* room = Enter();
  ASSERT_NE(room, nullptr);
  EXPECT_EQ(canvas->GetLibrary().GetStoreRoom(), nullptr) << "the store room went";
  EXPECT_EQ(Names(*room), (std::vector<std::string>{"Birds", "lake", "moon"}))
      << "folders first in library order, then uncategorised frames; categorised ones go in their window";
  EXPECT_EQ(stray->GetCategory(), "") << "a category that does not exist is cleared";
  EXPECT_EQ(canvas->GetBackgroundImage(), storedBackground) << "the wall does not replace the stored picture";
  EXPECT_EQ(canvas->GetBrush(0)->GetType(), Gdiplus::BrushTypeTextureFill);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_NE(canvas->GetFloor()->FindChild("roomTitle"), nullptr);

  // The owl hangs in the Birds window's list, which starts hidden.
  CPuzzleCategoryData* birds = canvas->GetLibrary().FindCategory("Birds");
  auto* list = dynamic_cast<CRSListView*>(birds->GetListView());
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetItems().size(), 1u);
  EXPECT_EQ(list->GetItems()[0]->GetName(), "owl");
  auto* birdsWindow = dynamic_cast<CRSControlWindow*>(birds->GetWindow());
  ASSERT_NE(birdsWindow, nullptr);
  EXPECT_FALSE(birdsWindow->IsVisible());
  EXPECT_EQ(birdsWindow->GetCaption(), "Category: Birds");
  CRSAutoPtrPolymorphic<CRSControlWindow> galleryWindow(birdsWindow);

  // Panel: nothing selected, only Back enabled; a folder enables Open, a
  // puzzle Picture and Remove; captions follow.
  ASSERT_NE(room->GetPanel(), nullptr);
  EXPECT_EQ(room->GetPanel()->GetCaption(), "Menu");
  EXPECT_FALSE(room->GetOpenButton()->IsEnabled());
  EXPECT_FALSE(room->GetPictureButton()->IsEnabled());
  EXPECT_FALSE(room->GetRemoveButton()->IsEnabled());
  auto* number = dynamic_cast<CRSCanvasItem*>(room->GetFloorItems()[0]->FindChild("textShapeNumber"));
  ASSERT_NE(number, nullptr);
  EXPECT_FALSE(number->IsVisible()) << "no count of unfinished puzzles on the wall";
  Click(room->GetFloorItems()[0]);
  EXPECT_TRUE(room->GetOpenButton()->IsEnabled());
  EXPECT_FALSE(room->GetPictureButton()->IsEnabled());
  EXPECT_EQ(canvas->GetCaption(), "Tandrill: Birds (group)");
  EXPECT_TRUE(birds->IsSelected());
  room->GetOpenButton()->Click();
  Deliver();
  EXPECT_TRUE(birdsWindow->IsVisible());
  Click(list->GetItems()[0]);
  EXPECT_FALSE(room->GetOpenButton()->IsEnabled());
  EXPECT_TRUE(room->GetPictureButton()->IsEnabled());
  EXPECT_TRUE(room->GetRemoveButton()->IsEnabled());
  EXPECT_EQ(canvas->GetCaption(), "Tandrill: owl (200 x 150)");
  EXPECT_FALSE(birds->IsSelected());
  EXPECT_TRUE(canvas->GetLibrary().FindPuzzleImage("owl")->IsSelected());

  // The panel sits in the view's bottom right corner, its buttons inside.
  const RectF panel = room->GetPanel()->GetBoundsIn(room->GetViewArea());
  const SizeF viewSize = room->GetViewArea()->GetSize();
  EXPECT_NEAR(panel.GetRight(), viewSize.Width, 1.0f);
  EXPECT_NEAR(panel.GetBottom(), viewSize.Height, 1.0f);
  EXPECT_FLOAT_EQ(panel.Width, CPuzzleGalleryRoom::kPanelWidth);
  auto* back = static_cast<CRSControlButton*>(room->GetPanel()->GetClientArea()->FindChild("buttonBack"));
  ASSERT_NE(back, nullptr);
  EXPECT_LE(back->GetBoundsIn(room->GetViewArea()).GetBottom(), panel.GetBottom()) << "the panel holds all four";

  // Back builds the store room again.
  back->Click();
  Deliver();
  EXPECT_NE(dynamic_cast<CPuzzleStoreRoom*>(canvas->GetCurrentRoom()), nullptr);
  EXPECT_EQ(galleryWindow.get(), nullptr) << "the room's windows went with it";
}

TEST_F(GalleryScene, WallGridReflowsKeepingOrder) {
  AddPuzzle("solo", 100);
  CPuzzleGalleryRoom* room = Enter();
  ASSERT_NE(room, nullptr);
  ASSERT_EQ(room->GetFloorItems().size(), 1u);
  // One frame: the top left cell, centred horizontally in its pitch.
  CRSCanvasItem* solo = room->GetFloorItems()[0];
  const RectF r = solo->GetBoundsIn(canvas->GetFloor());
  EXPECT_NEAR(r.Y, 0.0f, 0.5f);
  EXPECT_NEAR(r.X, (room->GetLastLayout().pitch - r.Width) / 2.0f, 0.5f);
  EXPECT_NEAR(room->GetLastLayout().pitch, r.Width + gallery::kCellGap, 0.01f);

  // Twelve frames of mixed shapes, then the window widens and narrows.
  canvas->ClearFloor();
  canvas->GoHome();
  for (int i = 0; i < 12; ++i) AddPuzzle("p" + std::to_string(i), 100, {}, 0, false, 120 + 40 * (i % 3), 200 - 30 * (i % 4));
  room = Enter();
  ASSERT_NE(room, nullptr);
  const std::vector<std::string> order = Names(*room);
  ASSERT_EQ(order.size(), 13u);
  std::vector<int> columns;
  for (float width : {1400.0f, 500.0f, 900.0f, 2600.0f}) {
    canvas->SetSize(SizeF(width, 700));
    Deliver();
    const float visible = room->GetViewArea()->GetSize().Width;
    const gallery::WallLayout& layout = room->GetLastLayout();
    EXPECT_EQ(Names(*room), order);
    int column = 0;
    float rowTop = 0.0f;
    RectF previous;
    for (size_t i = 0; i < room->GetFloorItems().size(); ++i) {
      const RectF b = room->GetFloorItems()[i]->GetBoundsIn(canvas->GetFloor());
      const float cellX = column * layout.pitch;
      EXPECT_NEAR(b.X + b.Width / 2, cellX + layout.pitch / 2, 1.0f) << "width " << width << " item " << i;
      EXPECT_NEAR(b.Y + b.Height / 2, rowTop + layout.cellHeight / 2, 1.0f) << "width " << width << " item " << i;
      if (i > 0 && column > 0) {
        EXPECT_GE(b.X, previous.GetRight() - 0.5f) << "no overlap in a row";
      }
      EXPECT_LE(b.GetRight(), std::max(visible, layout.pitch) + 0.5f) << "inside the visible width";
      previous = b;
      if (++column == layout.columns) column = 0, rowTop += layout.cellHeight;
    }
    columns.push_back(layout.columns);
    EXPECT_GE(layout.columns, 1);
    EXPECT_LE(layout.columns * layout.pitch, std::max(visible, layout.pitch) + 0.5f);
    const int rows = (13 + layout.columns - 1) / layout.columns;
    EXPECT_NEAR(layout.minSize.Height, rows * layout.cellHeight, 0.5f);
    EXPECT_GE(canvas->GetFloor()->GetSize().Height, layout.minSize.Height) << "the wall scrolls";
  }
  EXPECT_LT(columns[1], columns[2]);
  EXPECT_LT(columns[2], columns[0]);
  EXPECT_LT(columns[0], columns[3]) << "every resize laid the wall out again";
}

TEST_F(GalleryScene, TimeToCompleteKeepsMinutesBeyondAnHour) {
  EXPECT_EQ(CPuzzleGalleryRoom::TimeToCompleteText((61 * 60 + 5) * 1000 + 999), "Time to complete 61:05");
  EXPECT_EQ(CPuzzleGalleryRoom::TimeToCompleteText(125 * 60000), "Time to complete 125:00");
  EXPECT_EQ(CPuzzleGalleryRoom::TimeToCompleteText(59999), "Time to complete 00:59");
  EXPECT_EQ(CPuzzleGalleryRoom::TimeToCompleteText(0), "Time to complete 00:00");
  EXPECT_EQ(CPuzzleGalleryRoom::TimeToCompleteText(-5000), "Time to complete 00:00");
  EXPECT_EQ(CPuzzleGalleryRoom::TimeToCompleteText(INT32_MAX), "Time to complete 35791:23");
}

TEST_F(GalleryScene, CompletedPuzzleWindowOpensOnDoubleClickAndFollowsSelection) {
  AddPuzzle("slow", 100, {}, (61 * 60 + 5) * 1000);
  AddPuzzle("wide", 100, {}, 125 * 60000, true, 3000, 400);
  CPuzzleGalleryRoom* room = Enter();
  ASSERT_NE(room, nullptr);
  Click(room->GetFloorItems()[0], true);
  CRSControlWindow* window = room->GetPictureWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(room->GetPictureButton()->IsChecked());
  EXPECT_EQ(window->GetCaption(), "Completed puzzle");
  auto* time = dynamic_cast<CRSCanvasShapeText*>(window->GetClientArea()->FindChild("textTime"));
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->GetText(), "Time to complete 61:05");
  ASSERT_NE(window->GetClientArea()->FindChild("shapeCuts"), nullptr);
  const auto* cuts = static_cast<CRSCanvasShape*>(window->GetClientArea()->FindChild("shapeCuts"));
  ASSERT_NE(cuts->GetPath(), nullptr);
  EXPECT_EQ(cuts->GetPenCount(), 2);

  // Selecting the wide puzzle refills the same window, no wider than nine
  // tenths of the view and centred in it.
  Click(room->GetFloorItems()[1]);
  ASSERT_EQ(room->GetPictureWindow(), window);
  time = dynamic_cast<CRSCanvasShapeText*>(window->GetClientArea()->FindChild("textTime"));
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->GetText(), "Time to complete 125:00");
  const SizeF viewSize = room->GetViewArea()->GetSize();
  const RectF wb = window->GetBoundsIn(room->GetViewArea());
  EXPECT_LE(wb.Width, 0.9f * viewSize.Width + 0.5f);
  EXPECT_NEAR(wb.X + wb.Width / 2, viewSize.Width / 2, 1.5f);
  EXPECT_NEAR(wb.Width / wb.Height, window->GetSize().Width / window->GetSize().Height, 0.01f);
  const RectF img = static_cast<CRSCanvasItem*>(window->GetClientArea()->FindChild("imgPicture"))
                        ->GetBoundsIn(window->GetClientArea());
  EXPECT_NEAR(img.Width / img.Height, 3000.0f / 400.0f, 0.05f) << "the picture keeps its proportions";

  // Closing the window releases the button; releasing the button closes it.
  window->Close();
  Deliver();
  EXPECT_EQ(room->GetPictureWindow(), nullptr);
  EXPECT_FALSE(room->GetPictureButton()->IsChecked());
  room->GetPictureButton()->Click();
  Deliver();
  ASSERT_NE(room->GetPictureWindow(), nullptr);
  room->GetPictureButton()->Click();
  Deliver();
  EXPECT_EQ(room->GetPictureWindow(), nullptr);
}

TEST_F(GalleryScene, MissingOrBrokenPuzzleFileShowsItsFrameAndAnError) {
  AddPuzzle("gone", 100, {}, 0, false);
  AddPuzzle("torn", 100);
  std::ofstream(CPuzzleData::GetPuzzleFileName("torn"), std::ios::trunc) << "<puzzle-data><pict";
  AddPuzzle("fine", 100, {}, 3000);
  CPuzzleGalleryRoom* room = Enter();
  ASSERT_NE(room, nullptr);
  ASSERT_EQ(Names(*room), (std::vector<std::string>{"gone", "torn", "fine"}));
  for (int i : {0, 1}) {
    Click(room->GetFloorItems()[i]);
    room->GetPictureButton()->Click();
    Deliver();
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u) << i;
    EXPECT_EQ(boxes[0]->GetCaption(), "ERROR");
    EXPECT_EQ(boxes[0]->GetTextItem()->GetText(), "Could not read the puzzle file");
    EXPECT_EQ(room->GetPictureWindow(), nullptr);
    EXPECT_FALSE(room->GetPictureButton()->IsChecked()) << "one click shows the next picture";
    boxes[0]->GetButton(0)->Click();
    Deliver();
  }
  // The room stays usable.
  Click(room->GetFloorItems()[2], true);
  EXPECT_NE(room->GetPictureWindow(), nullptr);
}

TEST_F(GalleryScene, RemoveSendsThePuzzleBackSelectedAndLeavesAnEmptyWall) {
  CPuzzleImageData* unfinished = AddPuzzle("half", 50);
  unfinished->SetSelected(true);
  CPuzzleImageData* done = AddPuzzle("done", 100);
  CPuzzleGalleryRoom* room = Enter();
  ASSERT_NE(room, nullptr);
  ASSERT_EQ(room->GetFloorItems().size(), 1u);
  Click(room->GetFloorItems()[0], true);
  ASSERT_NE(room->GetPictureWindow(), nullptr);

  room->GetRemoveButton()->Click();
  Deliver();
  auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]->GetKind(), CRSMessageBox::Kind::kYesNo);
  EXPECT_EQ(boxes[0]->GetTextItem()->GetText(), CPuzzleGalleryRoom::kRemoveText);
  // "No" changes nothing.
  boxes[0]->GetButton(1)->Click();
  Deliver();
  EXPECT_EQ(done->GetPercentCompleted(), 100);
  EXPECT_EQ(room->GetFloorItems().size(), 1u);

  room->GetRemoveButton()->Click();
  Deliver();
  boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  boxes[0]->GetButton(0)->Click();
  Deliver();
  EXPECT_EQ(done->GetPercentCompleted(), 0);
  EXPECT_TRUE(done->IsScattered());
  EXPECT_TRUE(done->IsSelected());
  EXPECT_FALSE(unfinished->IsSelected());
  EXPECT_EQ(canvas->GetLibrary().GetSelectedPuzzleImage(), done);
  EXPECT_TRUE(room->GetFloorItems().empty());
  EXPECT_EQ(room->GetSelection()->GetSelection(), nullptr);
  EXPECT_EQ(room->GetPictureWindow(), nullptr);
  EXPECT_FALSE(room->GetPictureButton()->IsChecked());
  EXPECT_FALSE(room->GetRemoveButton()->IsEnabled());
  EXPECT_EQ(canvas->GetCaption(), "Tandrill");
  EXPECT_TRUE(Boxes().empty()) << "the empty message belongs to entering only";
  EXPECT_EQ(canvas->GetCurrentRoom(), room);

  // The puzzle file is untouched, and the store room finds it selected.
  CPuzzleData file("done");
  EXPECT_TRUE(file.Load());
  EXPECT_TRUE(file.IsCompleted());
  room->Back();
  Deliver();
  EXPECT_NE(dynamic_cast<CPuzzleStoreRoom*>(canvas->GetCurrentRoom()), nullptr);
  EXPECT_EQ(canvas->GetLibrary().GetSelectedPuzzleImage(), done);
}

TEST_F(GalleryScene, EmptyGallerySaysSoAndGoesHomeWhenClosed) {
  AddCategory("Birds");
  AddPuzzle("hawk", 40, "Birds");
  CPuzzleGalleryRoom* room = Enter();
  ASSERT_NE(room, nullptr);
  EXPECT_TRUE(room->GetFloorItems().empty());
  auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]->GetCaption(), "Tandrill");
  EXPECT_EQ(boxes[0]->GetTextItem()->GetText(), CPuzzleGalleryRoom::kEmptyText);
  EXPECT_EQ(boxes[0]->GetKind(), CRSMessageBox::Kind::kOk);
  boxes[0]->GetButton(0)->Click();
  Deliver();
  EXPECT_NE(dynamic_cast<CPuzzleStoreRoom*>(canvas->GetCurrentRoom()), nullptr);
}

}  // namespace
