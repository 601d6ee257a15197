// The cuts room on the real root object, headless: entering by Create and
// Modify, the preview following the dialog, OK writing the puzzle and its
// entry, Cancel writing nothing, and the refusals leaving the store room.

#include "rooms/cuts_room.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/sound.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "platform/image_codec.h"
#include "platform/message_loop.h"
#include "platform/pen.h"
#include "rooms/store_room.h"
#include "tests/app/root_scene.h"
#include "tests/data/puzzle_test_support.h"

namespace {

namespace fs = std::filesystem;

class CutsRoomScene : public RootScene {
 protected:
  void SetUp() override {
    RootScene::SetUp();
    canvas->SetSize(SizeF(1280, 800));
    canvas->SetLargestPictureSize(Size(1916, 1076));
    Deliver();
    folder = puzzle_test::MakeTempFolder();
  }
  void Deliver() { Pump(3); }
  std::string Picture(const std::string& name, int w, int h, ARGB colour = 0xFF336699) {
    Gdiplus::Bitmap bitmap(w, h, PixelFormat::Format24bppRGB);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) bitmap.SetPixel(x, y, colour ^ static_cast<ARGB>((x * 7 + y) & 0x3F));
    fs::create_directories(fs::path(folder + "/" + name).parent_path());
    const std::string path = folder + "/" + name;
    EXPECT_TRUE(platform::SaveImageByExtension(bitmap, path));
    return path;
  }
  CPuzzleCutsRoom* Room() { return dynamic_cast<CPuzzleCutsRoom*>(canvas->GetCurrentRoom()); }
  // The texts of the message boxes open on the root.
  std::vector<std::string> Boxes(const CRSObject* parent = nullptr) {
    std::vector<std::string> texts;
    if (!parent) parent = canvas;
    for (const auto& child : parent->GetChildren()) {
      if (auto* box = dynamic_cast<CRSMessageBox*>(child.get())) {
        if (!box->IsClosing()) texts.push_back(box->GetCaption() + ": " + box->GetTextItem()->GetText());
      } else if (child) {
        for (const std::string& t : Boxes(child.get())) texts.push_back(t);
      }
    }
    return texts;
  }
  CPuzzleLibrary& Library() { return canvas->GetLibrary(); }

  std::string folder;
};

TEST_F(CutsRoomScene, CreateBuildsThePreviewAndTheDialogFollowsTheCutter) {
  CRSObject* store = canvas->GetCurrentRoom();
  ASSERT_TRUE(canvas->CreatePuzzleFromPicture(Picture("sea.jpg", 1000, 700)));
  CPuzzleCutsRoom* room = Room();
  ASSERT_NE(room, nullptr);
  EXPECT_NE(room, store);
  EXPECT_EQ(Library().GetStoreRoom(), nullptr) << "the store room left the floor";
  EXPECT_EQ(canvas->GetCaption(), "Tandrill: sea.jpg (1000 x 700)");

  CPuzzleCutSettingsDlg* dialog = room->GetDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->GetCaption(), "Configure Puzzle");
  EXPECT_EQ(dialog->GetGiftBox(), nullptr) << "no gift box without administrator mode";
  const CPuzzleCutSettings& values = dialog->Values();
  CPuzzleCutter& cutter = room->GetPuzzle()->GetCutter();
  EXPECT_EQ(values.name, "sea.jpg");
  EXPECT_EQ(values.maxPieceSize, 350);
  EXPECT_EQ(values.pieceSize, cutter.GetPieceSize());
  EXPECT_EQ(values.shape, 6);
  EXPECT_EQ(dialog->GetShapeList()->GetSelectedText(), "Classic");
  EXPECT_EQ(dialog->GetShapeList()->GetChoices().size(), 8u);
  EXPECT_EQ(dialog->GetNameEdit()->GetText(), "sea.jpg");
  EXPECT_EQ(dialog->GetCategoryList()->GetChoices().front(), "") << "the first entry is no category";
  Size grid = cutter.GetGridSize();
  EXPECT_EQ(dialog->GetPiecesBox()->GetCaption(), cut_settings::PiecesCaption(grid.Width, grid.Height));
  EXPECT_FLOAT_EQ(dialog->GetDifficultySlider()->GetMinimum(), 40);
  EXPECT_FLOAT_EQ(dialog->GetDifficultySlider()->GetMaximum(), 350);

  // The picture and the cuts: two pens, halo first, centred over the picture.
  CRSCanvasShape* cuts = room->GetCutsShape();
  ASSERT_NE(cuts, nullptr);
  ASSERT_EQ(cuts->GetPenCount(), 2);
  Gdiplus::Color colour;
  cuts->GetPen(0)->GetColor(&colour);
  EXPECT_EQ(colour.GetValue(), 0x80FFFFFFu);
  EXPECT_FLOAT_EQ(cuts->GetPen(0)->GetWidth(), 3.0f);
  cuts->GetPen(1)->GetColor(&colour);
  EXPECT_EQ(colour.GetValue(), 0x80000000u);
  EXPECT_FLOAT_EQ(cuts->GetPen(1)->GetWidth(), 1.0f);
  auto centre = [&] {
    return PointF(cuts->GetPosition().X + cuts->GetSize().Width / 2, cuts->GetPosition().Y + cuts->GetSize().Height / 2);
  };
  EXPECT_NEAR(centre().X, 500, 2);
  EXPECT_NEAR(centre().Y, 350, 2);

  // The difficulty slider's far end asks for the smallest pieces: the
  // cutter, the caption and the drawn cuts all follow at once.
  const int pointsBefore = cuts->GetPath()->GetPointCount();
  dialog->GetDifficultySlider()->SetValue(350);
  EXPECT_EQ(cutter.GetPieceSize(), 40);
  grid = cutter.GetGridSize();
  EXPECT_EQ(grid.Width, 25);
  EXPECT_EQ(dialog->GetPiecesBox()->GetCaption(), cut_settings::PiecesCaption(grid.Width, grid.Height));
  EXPECT_GT(cuts->GetPath()->GetPointCount(), pointsBefore * 4);
  EXPECT_NEAR(centre().X, 500, 2);
  dialog->GetDifficultySlider()->SetValue(40);
  EXPECT_EQ(cutter.GetPieceSize(), 350);

  const int pointsClassic = cuts->GetPath()->GetPointCount();
  dialog->GetChaosSlider()->SetValue(37);
  EXPECT_NEAR(cutter.GetDeviation(), 0.37f, 1e-6);
  dialog->GetShapeList()->SetSelection(0);
  EXPECT_EQ(cutter.GetShapeType(), 0);
  EXPECT_LT(cuts->GetPath()->GetPointCount(), pointsClassic) << "straight cuts replace the tabs";

  // The zoom scales the picture group on both axes, within the range, and
  // in proportion: the preview's own reduction does not change with it.
  CRSSlider* zoom = dialog->GetZoomSlider();
  EXPECT_LE(zoom->GetMaximum(), std::min(1280 / 1000.0f, 800 / 700.0f) + 1e-4f);
  zoom->SetValue(zoom->GetMaximum());
  const float fit = room->GetPictureGroup()->GetScale().X / zoom->GetMaximum();
  EXPECT_LT(fit, 1.0f) << "a picture that fills the floor is reduced beside the dialog";
  // Even at the largest zoom the whole picture is seen left of the dialog.
  const RectF picture = room->GetPictureGroup()->GetBoundsIn(canvas);
  const RectF window = dialog->GetBoundsIn(canvas);
  EXPECT_LE(picture.X + picture.Width, window.X + 0.5f);
  EXPECT_GE(picture.X, canvas->GetFloor()->GetBoundsIn(canvas).X - 0.5f);
  zoom->SetValue(zoom->GetMinimum());
  EXPECT_FLOAT_EQ(room->GetPictureGroup()->GetScale().X, zoom->GetMinimum() * fit);
  EXPECT_FLOAT_EQ(room->GetPictureGroup()->GetScale().Y, zoom->GetMinimum() * fit);
}

TEST_F(CutsRoomScene, APictureAsLargeAsTheFloorIsSeenWholeBesideTheDialog) {
  // As large as the floor, and a photo larger than the screen, reduced to
  // the largest picture size as the maximised game has it (the floor less 4
  // pixels): either way the whole picture is on screen, left of the dialog,
  // at every zoom.
  const SizeF floor = canvas->GetFloor()->GetSize();
  canvas->SetLargestPictureSize(Size(static_cast<int>(floor.Width) - 4, static_cast<int>(floor.Height) - 4));
  for (const Size size : {Size(static_cast<int>(floor.Width), static_cast<int>(floor.Height)), Size(3000, 2000)}) {
    SCOPED_TRACE(size.Width);
    ASSERT_TRUE(canvas->CreatePuzzleFromPicture(Picture("big.png", size.Width, size.Height)));
    CPuzzleCutsRoom* room = Room();
    ASSERT_NE(room, nullptr);
    CRSSlider* zoom = room->GetDialog()->GetZoomSlider();
    for (float z : {zoom->GetMinimum(), zoom->GetValue(), zoom->GetMaximum()}) {
      zoom->SetValue(z);
      const RectF picture = room->GetPictureGroup()->GetBoundsIn(canvas);
      const RectF window = room->GetDialog()->GetBoundsIn(canvas);
      EXPECT_LE(picture.X + picture.Width, window.X + 0.5f) << z;
        EXPECT_GE(picture.Y, window.Y - 0.5f) << z << ": under the main window's title";
      EXPECT_LE(picture.Y + picture.Height, canvas->GetSize().Height + 0.5f) << z;
    }
    room->GetDialog()->Close();
    Deliver();
  }
}

// "Full picture" swaps the reduced picture for the photo at its own size:
// the pieces keep their size (so there are more of them), the zoom slider
// reaches 1 while the preview still fits beside the dialog, the choice is
// saved, and Modify offers it again and can go back to fitting the screen.
TEST_F(CutsRoomScene, AFullPictureKeepsItsSizeFitsThePreviewAndComesBackInModify) {
  // The largest picture size as the maximised game has it: the floor less 4.
  const SizeF floor = canvas->GetFloor()->GetSize();
  canvas->SetLargestPictureSize(Size(static_cast<int>(floor.Width) - 4, static_cast<int>(floor.Height) - 4));
  ASSERT_TRUE(canvas->CreatePuzzleFromPicture(Picture("wide.jpg", 3000, 2000)));
  CPuzzleCutsRoom* room = Room();
  ASSERT_NE(room, nullptr);
  CPuzzleCutSettingsDlg* dialog = room->GetDialog();
  CRSMultiChoices* sizes = dialog->GetPictureSizeList();
  EXPECT_EQ(sizes->GetSelectedText(), "Fit the screen");
  const int fitted = room->GetPuzzle()->GetPicture()->GetWidth();
  EXPECT_NEAR(fitted, 3000 * (floor.Height - 4) / 2000, 1);
  const CPuzzleCutter& cutter = room->GetPuzzle()->GetCutter();
  dialog->GetDifficultySlider()->SetValue(dialog->GetDifficultySlider()->GetMaximum());
  ASSERT_EQ(cutter.GetPieceSize(), 40);

  sizes->SetSelection(1);
  EXPECT_EQ(room->GetPuzzle()->GetPicture()->GetWidth(), 3000);
  EXPECT_EQ(canvas->GetCaption(), "Tandrill: wide.jpg (3000 x 2000)");
  EXPECT_EQ(dialog->GetPiecesBox()->GetCaption(), "Number of puzzle pieces: 3750");
  CRSSlider* zoom = dialog->GetZoomSlider();
  EXPECT_FLOAT_EQ(zoom->GetMaximum(), 1.0f);
  for (float z : {zoom->GetMinimum(), 1.0f}) {
    zoom->SetValue(z);
    const RectF picture = room->GetPictureGroup()->GetBoundsIn(canvas);
    EXPECT_LE(picture.X + picture.Width, dialog->GetBoundsIn(canvas).X + 0.5f) << z;
    EXPECT_GE(picture.X, -0.5f) << z;
    EXPECT_LE(picture.Y + picture.Height, canvas->GetSize().Height + 0.5f) << z;
  }
  ASSERT_TRUE(room->Accept());
  Deliver();
  CPuzzleData written("wide.jpg");
  ASSERT_TRUE(written.Load());
  EXPECT_TRUE(written.IsFullPicture());
  EXPECT_EQ(written.GetPicture()->GetWidth(), 3000);
  EXPECT_EQ(Library().FindPuzzleImage("wide.jpg")->GetNumberOfPieces(), 3750);

  canvas->ModifySelectedPuzzle();
  Deliver();
  room = Room();
  ASSERT_NE(room, nullptr);
  dialog = room->GetDialog();
  EXPECT_EQ(dialog->GetPictureSizeList()->GetSelectedText(), "Full picture");
  const std::shared_ptr<Gdiplus::Bitmap> saved = room->GetPuzzle()->GetPicture();
  dialog->GetPictureSizeList()->SetSelection(0);
  EXPECT_EQ(room->GetPuzzle()->GetPicture()->GetWidth(), fitted);
  EXPECT_GT(dialog->GetZoomSlider()->GetMaximum(), 1.0f) << "a fitted picture's largest zoom fills the floor";
  dialog->GetPictureSizeList()->SetSelection(1);
  EXPECT_EQ(room->GetPuzzle()->GetPicture(), saved) << "the saved picture, not a copy of a copy";
  dialog->Close();
  Deliver();
}

TEST_F(CutsRoomScene, OkWritesThePuzzleAndItsEntryAndASecondSeaIsNumbered) {
  Library().AddCategory(new CPuzzleCategoryData("Beaches"));
  Library().AddCategory(new CPuzzleCategoryData("Mountains"));
  ASSERT_TRUE(canvas->CreatePuzzleFromPicture(Picture("a/sea.jpg", 1000, 700)));
  CPuzzleCutsRoom* room = Room();
  ASSERT_NE(room, nullptr);
  CPuzzleCutSettingsDlg* dialog = room->GetDialog();
  dialog->GetDifficultySlider()->SetValue(300);
  dialog->GetNameEdit()->SetText("Mer d'été");
  dialog->GetCategoryList()->SelectText("Mountains");
  dialog->GetSurpriseBox()->SetChecked(true);
  dialog->GetRotateBox()->SetChecked(true);
  // "&Ok" takes the typed name and the chosen category before the room
  // writes anything.
  dialog->Accept();

  CPuzzleImageData* entry = Library().FindPuzzleImage("sea.jpg");
  ASSERT_NE(entry, nullptr);
  const CPuzzleCutter& cutter = room->GetPuzzle()->GetCutter();
  const Size grid = cutter.GetGridSize();
  EXPECT_EQ(entry->GetTitle(), "Mer d'été");
  EXPECT_EQ(entry->GetCategory(), "Mountains");
  EXPECT_EQ(entry->GetNumberOfPieces(), grid.Width * grid.Height);
  EXPECT_EQ(entry->GetSize().Width, grid.Width * cutter.GetPieceSize());
  EXPECT_EQ(entry->GetSize().Height, grid.Height * cutter.GetPieceSize());
  EXPECT_TRUE(entry->IsSelected());
  EXPECT_TRUE(entry->IsSurprise());
  EXPECT_TRUE(entry->CanBeGift()) << "without the gift box a new puzzle may be a gift";
  EXPECT_TRUE(entry->IsScattered());
  EXPECT_EQ(entry->GetPercentCompleted(), 0);

  CPuzzleData written("sea.jpg");
  ASSERT_TRUE(written.Load());
  EXPECT_EQ(written.GetTitle(), "Mer d'été");
  EXPECT_TRUE(written.IsSurprise());
  EXPECT_TRUE(written.GetRotatePiecesWhenScatter());
  EXPECT_EQ(written.GetCutter().GetPieceSize(), cutter.GetPieceSize());
  EXPECT_TRUE(written.GetPieces().empty());

  // OK closes the dialog, and the closed dialog brings the store room back.
  Deliver();
  EXPECT_NE(dynamic_cast<CPuzzleStoreRoom*>(canvas->GetCurrentRoom()), nullptr);

  // Another sea.jpg from another folder becomes "sea.jpg (2)".
  ASSERT_TRUE(canvas->CreatePuzzleFromPicture(Picture("b/sea.jpg", 500, 400)));
  ASSERT_NE(Room(), nullptr);
  EXPECT_EQ(Room()->GetPuzzle()->GetName(), "sea.jpg (2)");
  EXPECT_EQ(Room()->GetDialog()->Values().name, "sea.jpg (2)");
}

TEST_F(CutsRoomScene, CancelWritesNothingAndTheCategoryDefaultsFromTheSelection) {
  auto* beaches = new CPuzzleCategoryData("Beaches");
  Library().AddCategory(beaches);
  Library().AddCategory(new CPuzzleCategoryData("Mountains"));
  auto* selected = new CPuzzleImageData(nullptr);
  selected->SetName("older");
  selected->SetCategory("Mountains");
  selected->SetSelected(true);
  Library().AddPuzzleImage(selected);
  const size_t entries = Library().GetPuzzleImages().size();

  // With a selected category, that category.
  beaches->SetSelected(true);
  ASSERT_TRUE(canvas->CreatePuzzleFromPicture(Picture("lake.png", 300, 200)));
  EXPECT_EQ(Room()->GetDialog()->Values().category, "Beaches");
  EXPECT_EQ(Room()->GetDialog()->GetCategoryList()->GetSelectedText(), "Beaches");
  Room()->GetDialog()->GetButton("&Cancel")->Click();
  Deliver();
  EXPECT_NE(dynamic_cast<CPuzzleStoreRoom*>(canvas->GetCurrentRoom()), nullptr);
  EXPECT_FALSE(fs::exists(CPuzzleData::GetPuzzleFileName("lake.png"))) << "Cancel writes nothing";
  EXPECT_EQ(Library().GetPuzzleImages().size(), entries);

  // Without one, the selected puzzle's category.
  beaches->SetSelected(false);
  ASSERT_TRUE(canvas->CreatePuzzleFromPicture(Picture("lake.png", 300, 200)));
  EXPECT_EQ(Room()->GetDialog()->Values().category, "Mountains");
  // The empty entry stores an empty category.
  Room()->GetDialog()->GetCategoryList()->SetSelection(0);
  Room()->GetDialog()->Accept();
  EXPECT_EQ(Library().FindPuzzleImage("lake.png")->GetCategory(), "");
}

TEST_F(CutsRoomScene, ModifyCutsAnExistingPuzzleAnewAndClearsItsPieces) {
  // A puzzle played before: piece records in its file, time played.
  {
    CPuzzleData puzzle("harbour");
    puzzle_test::MakePlayable(puzzle, 50, 4, 3);
    std::unique_ptr<CRSCanvasItem> area(puzzle_test::MakeArea());
    auto cut = puzzle.GetCutter().GetCutImage(*puzzle.GetPicture());
    puzzle_test::BuildPieces(puzzle, area.get(), *cut);
    puzzle.SetTimePlayed(90000);
    puzzle.SetSizeScale(0.8f);
    puzzle.SetCompleted(true);
    ASSERT_TRUE(puzzle.Save());
    ASSERT_FALSE(puzzle.GetPieces().empty());
    auto* entry = new CPuzzleImageData(puzzle.GetPicture().get(), "harbour");
    entry->SetTitle("The Harbour");
    entry->SetCanBeGift(false);
    Library().AddPuzzleImage(entry);
  }
  ASSERT_EQ(Library().GetSelectedPuzzleImage()->GetName(), "harbour");
  canvas->ModifySelectedPuzzle();
  Deliver();
  CPuzzleCutsRoom* room = Room();
  ASSERT_NE(room, nullptr);
  EXPECT_EQ(room->GetDialog()->Values().name, "The Harbour") << "the entry's title, not its name";
  EXPECT_FALSE(room->GetDialog()->Values().canBeGift);
  EXPECT_EQ(canvas->GetCaption(), "Tandrill: The Harbour (200 x 150)");
  // Saved at zoom 0.8, below the least zoom of so small a picture: the
  // slider, the value and the preview all start at that least zoom.
  CRSSlider* zoom = room->GetDialog()->GetZoomSlider();
  EXPECT_FLOAT_EQ(zoom->GetMinimum(), 2.0f);
  EXPECT_FLOAT_EQ(room->GetDialog()->Values().zoom, 2.0f);
  const float fit = cuts_picture::PreviewFit(room->GetStage()->GetSize(), canvas->GetFloor()->GetSize(), 200, 150);
  EXPECT_FLOAT_EQ(room->GetPictureGroup()->GetScale().X, 2.0f * fit);
  room->GetDialog()->GetDifficultySlider()->SetValue(room->GetDialog()->GetDifficultySlider()->GetMaximum());
  ASSERT_TRUE(room->Accept());
  EXPECT_FALSE(room->Accept()) << "a second OK while the dialog closes does nothing";

  CPuzzleData written("harbour");
  ASSERT_TRUE(written.Load());
  EXPECT_TRUE(written.GetPieces().empty()) << "no saved placement survives a new cut";
  EXPECT_FALSE(written.IsCompleted());
  EXPECT_EQ(written.GetCutter().GetPieceSize(), 40);
  EXPECT_FLOAT_EQ(written.GetSizeScale(), 2.0f) << "saved at the zoom the slider showed";
  EXPECT_EQ(Library().GetPuzzleImages().size(), 1u) << "Modify updates the entry, it adds none";
  EXPECT_EQ(Library().FindPuzzleImage("harbour")->GetNumberOfPieces(), 5 * 3);
  EXPECT_FALSE(Library().FindPuzzleImage("harbour")->CanBeGift());
}

TEST_F(CutsRoomScene, RefusalsAndUnreadablePuzzlesLeaveTheStoreRoom) {
  CRSObject* store = canvas->GetCurrentRoom();
  ASSERT_NE(dynamic_cast<CPuzzleStoreRoom*>(store), nullptr);
  const std::string text = folder + "/read me.jpg";
  std::ofstream(text) << "plain text\n";
  EXPECT_FALSE(canvas->CreatePuzzleFromPicture(text));
  EXPECT_FALSE(canvas->CreatePuzzleFromPicture(Picture("thin - été.png", 79, 500)));
  EXPECT_TRUE(canvas->CreatePuzzleFromPicture(Picture("square.png", 80, 80)));
  ASSERT_NE(Room(), nullptr);
  EXPECT_FLOAT_EQ(Room()->GetDialog()->GetDifficultySlider()->GetMaximum(), 40);
  Room()->GetDialog()->Close();
  Deliver();
  store = canvas->GetCurrentRoom();

  // A library entry whose file is missing.
  auto* ghost = new CPuzzleImageData(nullptr);
  ghost->SetName("ghost");
  ghost->SetSelected(true);
  Library().AddPuzzleImage(ghost);
  canvas->ModifySelectedPuzzle();
  Deliver();
  EXPECT_EQ(canvas->GetCurrentRoom(), store);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"ERROR: Image file could not be loaded: unrecognized format!!!",
                                               "ERROR: Image file could not be loaded: size too small!!!",
                                               "ERROR: Could not read the puzzle file"}));
}

TEST_F(CutsRoomScene, MusicOfAMebibyteIsSavedWithoutItsDataAndUnplayableMusicIsReported) {
  const std::string big = puzzle_test::WriteBytes(folder + "/long song.ogg", CPuzzleData::kMaxEmbeddedMusicBytes, 'x');
  const std::string small = puzzle_test::WriteBytes(folder + "/short.mid", 1000, 'y');
  ASSERT_TRUE(canvas->CreatePuzzleFromPicture(Picture("forest.png", 400, 300)));
  CPuzzleCutSettingsDlg* dialog = Room()->GetDialog();
  dialog->OnMusicChosen(big);
  // The long path is shortened in its middle until it fits its field.
  const std::string shown = dialog->GetMusicStatic()->GetText();
  EXPECT_LE(dialog->GetMusicStatic()->GetTextItem()->MeasureText().Width, dialog->GetMusicStatic()->GetSize().Width);
  ASSERT_NE(shown.find("..."), std::string::npos);
  EXPECT_EQ(big.substr(0, shown.find("...")), shown.substr(0, shown.find("...")));
  EXPECT_EQ(shown.substr(shown.size() - 8), "song.ogg");
  // Bytes that are no sound cannot be played: the box names the file.
  EXPECT_FALSE(dialog->PlayMusic());
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"ERROR!: \"" + big + "\"\nfile couldn't be played!"}));
  ASSERT_TRUE(Room()->Accept());
  CPuzzleData withBig("forest.png");
  ASSERT_TRUE(withBig.Load());
  EXPECT_EQ(withBig.GetMusicFileName(), big);
  EXPECT_TRUE(withBig.GetMusicData().empty());
  Deliver();

  canvas->GetLibrary().FindPuzzleImage("forest.png")->SetSelected(true);
  canvas->ModifySelectedPuzzle();
  Deliver();
  ASSERT_NE(Room(), nullptr);
  EXPECT_EQ(Room()->GetDialog()->Values().musicFile, big);
  Room()->GetDialog()->OnMusicChosen(small);
  ASSERT_TRUE(Room()->Accept());
  CPuzzleData withSmall("forest.png");
  ASSERT_TRUE(withSmall.Load());
  EXPECT_EQ(withSmall.GetMusicData().size(), 1000u);
}

TEST_F(CutsRoomScene, MusicPlaysFromTheDialogAndStopsWhenTheDialogGoes) {
  // One second of a quiet square wave as 8 kHz 16-bit mono PCM.
  std::string wav = "RIFF....WAVEfmt ";
  auto put = [&](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) wav.push_back(static_cast<char>(v >> (8 * i)));
  };
  put(16, 4), put(1, 2), put(1, 2), put(8000, 4), put(16000, 4), put(2, 2), put(16, 2);
  wav += "data";
  put(16000, 4);
  for (int i = 0; i < 8000; ++i) put((i / 20) % 2 ? 0x0400 : 0xFC00, 2);
  const std::uint32_t riff = static_cast<std::uint32_t>(wav.size() - 8);
  for (int i = 0; i < 4; ++i) wav[4 + i] = static_cast<char>(riff >> (8 * i));
  const std::string song = folder + "/tune.wav";
  std::ofstream(song, std::ios::binary) << wav;

  ASSERT_TRUE(canvas->CreatePuzzleFromPicture(Picture("field.png", 400, 300)));
  CPuzzleCutSettingsDlg* dialog = Room()->GetDialog();
  EXPECT_FALSE(dialog->PlayMusic()) << "nothing to play without a music file";
  dialog->OnMusicChosen(song);
  if (!dialog->PlayMusic()) GTEST_SKIP() << "no audio device";
  EXPECT_EQ(CRSSoundHandler::Instance().StateOf(song, false), CRSSoundHandler::EntryState::kPlaying);
  EXPECT_TRUE(Boxes().empty());
  dialog->GetButton("&Cancel")->Click();
  Deliver();
  EXPECT_EQ(Room(), nullptr);
  EXPECT_EQ(CRSSoundHandler::Instance().StateOf(song, false), CRSSoundHandler::EntryState::kClosed)
      << "the music ends with the dialog";
}

TEST_F(CutsRoomScene, APictureDroppedOnTheStoreRoomOpensTheCutsRoom) {
  auto drop = [&](const std::string& path) {
    SDL_Event event{};
    event.type = SDL_DROPFILE;
    event.drop.file = SDL_strdup(path.c_str());
    event.drop.windowID = 0;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    Deliver();
  };
  const std::string picture = Picture("dropped photo - été.png", 400, 300);
  drop(picture);
  ASSERT_NE(Room(), nullptr);
  EXPECT_EQ(Room()->GetPuzzle()->GetName(), "dropped photo - été.png");
  // While cutting, another drop changes nothing.
  CPuzzleCutsRoom* room = Room();
  drop(Picture("other.png", 300, 300));
  EXPECT_EQ(Room(), room);
  room->GetDialog()->Close();
  Deliver();
  // A dropped file that is no picture is refused; the store room stays.
  CRSObject* store = canvas->GetCurrentRoom();
  drop(folder + "/missing.png");
  EXPECT_EQ(canvas->GetCurrentRoom(), store);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"ERROR: Image file could not be loaded: unrecognized format!!!"});
}

}  // namespace

#include "app/startup.h"

namespace {

TEST(CutsRoomCommandLine, APictureArgumentIsAnExistingFileThatIsNoSwitch) {
  const std::string folder = puzzle_test::MakeTempFolder();
  const std::string picture = puzzle_test::WriteBytes(folder + "/été à la mer.jpg", 10, 'p');
  std::string program = "tandrill", admin = "-admin", missing = folder + "/gone.jpg", dir = folder;
  std::string argument = picture;
  char* withPicture[] = {program.data(), admin.data(), missing.data(), dir.data(), argument.data()};
  EXPECT_EQ(app::FindPictureArgument(5, withPicture), picture);
  char* without[] = {program.data(), admin.data(), missing.data(), dir.data()};
  EXPECT_EQ(app::FindPictureArgument(4, without), "");
  // The program's own path is never taken for a picture.
  char* self[] = {argument.data()};
  EXPECT_EQ(app::FindPictureArgument(1, self), "");
}

}  // namespace
