#include "play/play_room.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "app/puzzle_canvas.h"
#include "play/button_panel.h"
#include "app/puzzle_view.h"
#include "app/startup.h"
#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/sound.h"
#include "data/puzzle_image_data.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/play_clock.h"
#include "play/play_room_music.h"
#include "play/table.h"
#include "platform/message_loop.h"
#include "platform/messages.h"
#include "platform/program_payload.h"
#include "platform/window.h"
#include "tests/app/root_scene.h"
#include "tests/data/puzzle_test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kColumns = 4;
constexpr int kRows = 3;
constexpr int kPieceSize = 50;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The real main window, headless, with one puzzle in the library: the room
// is opened the way the root opens it and driven through the loop.
class PlayRoomScene : public RootScene {
 protected:
  void SetUp() override {
    RootScene::SetUp();
    Deliver();
    canvas->SetSize(SizeF(1000, 800));
  }

  void Deliver() { Pump(3); }

  // Writes the puzzle file "p1" and its library record; `change` may alter
  // the puzzle before it is saved.
  void MakePuzzle(const std::function<void(CPuzzleData&)>& change = {}) {
    CPuzzleData puzzle("p1");
    puzzle_test::MakePlayable(puzzle, kPieceSize, kColumns, kRows);
    puzzle.SetTitle("Meadow");
    if (change) change(puzzle);
    ASSERT_TRUE(puzzle.Save());
    if (!canvas->GetLibrary().FindPuzzleImage("p1")) {
      auto* record = new CPuzzleImageData(puzzle.GetPicture().get(), "p1");
      canvas->GetLibrary().AddPuzzleImage(record);
    }
  }

  CPuzzlePlayRoom* Open() {
    room.Assign(dynamic_cast<CPuzzlePlayRoom*>(canvas->PlaySelectedPuzzle()));
    Deliver();
    return room.get();
  }

  void Leave() {
    canvas->ClearFloor();
    Deliver();
  }

  // The first message box anywhere under the root with that title.
  CRSMessageBox* FindBox(const std::string& title, CRSObject* from = nullptr) {
    if (!from) from = canvas;
    for (const auto& child : from->GetChildren()) {
      if (auto* box = dynamic_cast<CRSMessageBox*>(child.get()); box && box->GetCaption() == title) return box;
      if (child)
        if (CRSMessageBox* box = FindBox(title, child.get())) return box;
    }
    return nullptr;
  }

  std::vector<CPuzzlePiece*> Pieces() {
    std::vector<CPuzzlePiece*> out;
    for (const auto& ref : room->GetPieces()) out.push_back(ref.get());
    return out;
  }

  static bool AnyConnected(const CPuzzlePiece* piece) {
    for (const auto& slot : piece->GetNeighbourSlots())
      if (slot.connected) return true;
    return false;
  }

  // Puts the piece on its cell of the ghost with the room's Hint.
  void HintPiece(CPuzzlePiece* piece) {
    room->SetCurrentItem(piece);
    room->Hint();
  }

  CRSWeakRef<CPuzzlePlayRoom> room;
};

TEST(PlayRoomClock, FormatsMinutesAndSeconds) {
  EXPECT_EQ(CPlayClock::FormatClock(0), "00:00");
  EXPECT_EQ(CPlayClock::FormatClock(62000), "01:02");
  EXPECT_EQ(CPlayClock::FormatClock(59999), "00:59");
  EXPECT_EQ(CPlayClock::FormatClock(5999000), "99:59");
  EXPECT_EQ(CPlayClock::FormatClock(6000000), "100:00");
  EXPECT_EQ(CPlayClock::FormatClock(-5), "00:00");
  EXPECT_STREQ(CPlayClock::GetTip(0), CPlayClock::GetTip(6));
  EXPECT_STREQ(CPlayClock::GetTip(14), "");
}

TEST_F(PlayRoomScene, OpensWithMenuClockCaptionAndGhost) {
  MakePuzzle([](CPuzzleData& p) { p.SetTimePlayed(62000); });
  ASSERT_NE(Open(), nullptr);
  ASSERT_TRUE(room->IsOpen());
  EXPECT_EQ(canvas->GetCurrentRoom(), room.get());
  EXPECT_EQ(room->GetParent(), canvas->GetFloor());
  EXPECT_EQ(canvas->GetCaption(), "Tandrill: Meadow (200 x 150)");
  EXPECT_EQ(room->GetClockText()->GetText(), "01:02");
  EXPECT_EQ(Pieces().size(), 12u);
  for (CPuzzlePiece* piece : Pieces()) {
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(piece->GetParentItem(), room->GetTable()->GetSurface());
    EXPECT_NE(CRSCanvasBehaviour::Find<CBehaviourAlign>(piece), nullptr);
  }
  EXPECT_EQ(room->GetBuildWindow(), nullptr) << "the build window closes when the pieces are done";
  ASSERT_NE(room->GetGhost(), nullptr);
  EXPECT_FALSE(room->GetGhost()->IsVisible());
  EXPECT_EQ(room->GetGhost()->GetZOrder(), 0);

  // Every button a plain puzzle offers, in order, and none for music.
  std::vector<std::string> labels;
  for (const auto& child : room->GetMenu()->GetClientArea()->GetChildItems())
    if (auto* button = dynamic_cast<CRSControlButton*>(child)) labels.push_back(button->GetCaption());
  EXPECT_EQ(labels, (std::vector<std::string>{"&Scatter", "&Picture", "&Ghost", "&Hint", "&Neighbor", "&Reveal", "&Back"}));

  // The Menu and the Tools panel answer Alt+letter together: no letter may
  // serve two buttons, or one of them could never be reached by its key.
  ASSERT_NE(room->GetTools(), nullptr);
  std::vector<std::string> both = labels;
  for (const auto& child : room->GetTools()->GetWindow()->GetClientArea()->GetChildItems())
    if (auto* button = dynamic_cast<CRSControlButton*>(child)) both.push_back(button->GetCaption());
  std::map<char, std::string> byKey;
  for (const std::string& label : both) {
    const std::size_t amp = label.find('&');
    ASSERT_LT(amp + 1, label.size()) << label;
    const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(label[amp + 1])));
    EXPECT_TRUE(byKey.emplace(key, label).second) << label << " and " << byKey[key] << " share Alt+" << key;
  }

  // The ghost and picture buttons toggle their items; closing the preview
  // itself releases the button.
  room->FindMenuButton("&Ghost")->Click();
  Deliver();
  EXPECT_TRUE(room->GetGhost()->IsVisible());
  room->FindMenuButton("&Picture")->Click();
  Deliver();
  ASSERT_NE(room->GetPreview(), nullptr);
  EXPECT_EQ(room->GetPreview()->GetCaption(), "Puzzle picture");
  EXPECT_GE(room->GetPreview()->GetSize().Width, 200.0f);
  room->GetPreview()->Close();
  Deliver();
  EXPECT_EQ(room->GetPreview(), nullptr);
  EXPECT_FALSE(room->FindMenuButton("&Picture")->IsChecked());
}

TEST_F(PlayRoomScene, ACutOfTheWholePictureIsThePictureItselfAndACroppedOneIsNot) {
  // The grid covers the picture exactly: nothing is held twice.
  MakePuzzle();
  ASSERT_NE(Open(), nullptr);
  ASSERT_TRUE(room->IsOpen());
  EXPECT_EQ(room->GetCutImage(), room->GetPuzzle()->GetPicture().get());
  EXPECT_EQ(room->GetGhost()->GetImage().get(), room->GetCutImage());
  Leave();

  // A picture wider than the grid: the cut is its middle, a picture apart,
  // and the pieces still show the picture's own pixels.
  MakePuzzle([](CPuzzleData& p) {
    auto wide = std::make_shared<Gdiplus::Bitmap>(4 * kPieceSize + 30, 3 * kPieceSize, PixelFormat::Format24bppRGB);
    for (int y = 0; y < wide->GetHeight(); ++y)
      for (int x = 0; x < wide->GetWidth(); ++x) wide->SetPixel(x, y, 0xFF000000u | static_cast<ARGB>(x << 8 | y));
    p.SetPicture(wide);
  });
  ASSERT_NE(Open(), nullptr);
  ASSERT_TRUE(room->IsOpen());
  const Gdiplus::Bitmap* cut = room->GetCutImage();
  ASSERT_NE(cut, nullptr);
  EXPECT_NE(cut, room->GetPuzzle()->GetPicture().get());
  EXPECT_EQ(cut->GetWidth(), 4 * kPieceSize);
  EXPECT_EQ(cut->GetPixel(kPieceSize, 20), room->GetPuzzle()->GetPicture()->GetPixel(kPieceSize + 15, 20));
}

TEST_F(PlayRoomScene, SurpriseHasNoPictureUntilSolved) {
  MakePuzzle([](CPuzzleData& p) { p.SetSurprise(true); });
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(room->FindMenuButton("&Picture"), nullptr);
  EXPECT_EQ(room->FindMenuButton("&Ghost"), nullptr);
  EXPECT_EQ(room->GetGhost(), nullptr);
  EXPECT_EQ(canvas->GetCaption(), "Tandrill: This is a surprise (200 x 150)");

  // Without a ghost Hint lays every piece out from the floor's corner, in
  // its solved place; joining them all solves the puzzle once.
  for (CPuzzlePiece* piece : Pieces()) HintPiece(piece);
  for (CPuzzlePiece* piece : Pieces()) piece->TryConnect();
  Deliver();
  CRSMessageBox* box = FindBox("Puzzle Solved !!!");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->GetTextItem()->GetText(),
            "Congratulations!!!\nYou've completed the puzzle in 00:00 seconds!!!\n"
            "The puzzle will be placed in the gallery room.");
  EXPECT_EQ(canvas->GetCaption(), "Tandrill: Meadow (200 x 150)");
  EXPECT_TRUE(room->GetPuzzle()->IsCompleted());

  // Leaving stores the progress: solved, no longer a surprise.
  Leave();
  CPuzzleImageData* record = canvas->GetLibrary().FindPuzzleImage("p1");
  EXPECT_EQ(record->GetPercentCompleted(), 100);
  EXPECT_FALSE(record->IsSurprise());
  CPuzzleData saved("p1");
  ASSERT_TRUE(saved.Load());
  EXPECT_TRUE(saved.IsCompleted());
}

TEST_F(PlayRoomScene, ClosingTheWindowOverTheSolvedBoxSavesTheSolvedGame) {
  MakePuzzle([](CPuzzleData& p) { p.SetTimePlayed(3000); });
  ASSERT_NE(Open(), nullptr);
  for (CPuzzlePiece* piece : Pieces()) HintPiece(piece);
  for (CPuzzlePiece* piece : Pieces()) piece->TryConnect();
  Deliver();
  ASSERT_NE(FindBox("Puzzle Solved !!!"), nullptr);
  EXPECT_EQ(room->GetClockText()->GetText(), "00:03");
  platform::PostMessage(view.GetWindow()->GetTargetId(), platform::kMsgClose);
  Deliver();
  EXPECT_EQ(room.get(), nullptr);
  CPuzzleData saved("p1");
  ASSERT_TRUE(saved.Load());
  EXPECT_TRUE(saved.IsCompleted());
  EXPECT_EQ(saved.GetTimePlayed(), 3000);
  EXPECT_EQ(saved.GetPieces().size(), 12u);
}

TEST_F(PlayRoomScene, HintPlacesOnTheGhostWithoutJoining) {
  MakePuzzle();
  ASSERT_NE(Open(), nullptr);
  const PointF ghost = room->GetGhost()->GetTopLeft();
  CPuzzlePiece* a = Pieces()[0];
  CPuzzlePiece* b = Pieces()[1];
  a->SetRotation(90);
  HintPiece(a);
  HintPiece(b);
  for (CPuzzlePiece* piece : {a, b}) {
    const PointF anchor = piece->MapToAncestor(piece->GetAnchor(), canvas->GetFloor());
    EXPECT_NEAR(anchor.X, ghost.X + piece->GetCellCentre().X, 0.01);
    EXPECT_NEAR(anchor.Y, ghost.Y + piece->GetCellCentre().Y, 0.01);
    EXPECT_FLOAT_EQ(piece->GetRotation(), 0.0f);
    EXPECT_FALSE(AnyConnected(piece)) << "Hint never joins pieces";
  }
  // The next put-down joins them; a hint on the group then moves the whole
  // group back onto the ghost.
  ASSERT_TRUE(b->TryConnect());
  auto* group = dynamic_cast<CPuzzleGroup*>(a->GetParent());
  ASSERT_NE(group, nullptr);
  group->MoveBy(PointF(37, 21));
  group->SetRotation(180);
  room->SetCurrentItem(group);
  room->Hint();
  const PointF origin = group->MapToAncestor(PointF(), canvas->GetFloor());
  EXPECT_NEAR(origin.X, ghost.X, 0.01);
  EXPECT_NEAR(origin.Y, ghost.Y, 0.01);
  EXPECT_FLOAT_EQ(group->GetRotation(), 0.0f);
  EXPECT_TRUE(CRSSoundHandler::Instance().EffectsEnabled()) << "sound comes back after the command";

  // Reveal lifts exactly the loose pieces; Neighbour lifts the top items
  // of the group's loose neighbours and lights the group.
  room->Reveal();
  for (CPuzzlePiece* piece : Pieces()) {
    auto* raiseable = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(piece);
    EXPECT_EQ(raiseable->IsRaised(), piece != a && piece != b) << piece->GetCellCentre().X;
  }
  for (CPuzzlePiece* piece : Pieces()) CRSCanvasBehaviour::Find<CBehaviourRaiseable>(piece)->Lower();
  // Lifting a piece makes it the one in hand: Reveal left the last loose
  // piece there.
  EXPECT_NE(room->GetCurrentItem(), group);
  room->SetCurrentItem(group);
  room->ShowNeighbours();
  auto* highlight = CRSCanvasBehaviour::Find<CBehaviourHighlight>(group);
  EXPECT_TRUE(highlight->IsOn());
  // Neighbours of cells (0,0) and (1,0): (2,0), (0,1) and (1,1).
  const std::vector<int> lifted = {2, 4, 5};
  for (int i = 0; i < 12; ++i) {
    const bool raised = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(Pieces()[static_cast<std::size_t>(i)])->IsRaised();
    EXPECT_EQ(raised, std::find(lifted.begin(), lifted.end(), i) != lifted.end()) << i;
  }
  CRSGlobalEvents::Get()->sigNextMouseDown();
  EXPECT_FALSE(highlight->IsOn()) << "the next press ends the glow";
}

TEST_F(PlayRoomScene, ScatterTurnsOnlyByQuarterTurnsAndRestartsTheClock) {
  MakePuzzle([](CPuzzleData& p) { p.SetTimePlayed(62000); });
  ASSERT_NE(Open(), nullptr);
  for (CPuzzlePiece* piece : Pieces()) EXPECT_FLOAT_EQ(piece->GetRotation(), 0.0f) << "rotation is off";

  HintPiece(Pieces()[0]);
  HintPiece(Pieces()[1]);
  ASSERT_TRUE(Pieces()[1]->TryConnect());
  room->GetPuzzle()->SetRotatePiecesWhenScatter(true);
  const std::string tipBefore = room->GetTipText()->GetText();
  room->FindMenuButton("&Scatter")->Click();
  Deliver();
  EXPECT_EQ(room->GetClockText()->GetText(), "00:00");
  EXPECT_EQ(room->GetPuzzle()->GetTimePlayed(), 0);
  EXPECT_EQ(room->GetTipText()->GetText(), tipBefore) << "the clock starts again from nothing";
  bool turned = false;
  for (CPuzzlePiece* piece : Pieces()) {
    EXPECT_EQ(piece->GetParentItem(), room->GetTable()->GetSurface()) << "scatter breaks the groups";
    EXPECT_FALSE(AnyConnected(piece));
    const float angle = piece->GetRotation();
    EXPECT_EQ(std::fmod(angle, 90.0f), 0.0f) << angle;
    EXPECT_TRUE(angle >= 0 && angle < 360) << angle;
    turned = turned || angle != 0.0f;
    const RectF box = piece->GetBoundsIn(canvas->GetFloor());
    EXPECT_GE(box.X, -0.5f);
    EXPECT_LE(box.GetRight(), canvas->GetFloor()->GetSize().Width + 0.5f);
  }
  EXPECT_TRUE(turned);
}

TEST_F(PlayRoomScene, ReopeningRestoresGroupsSilently) {
  MakePuzzle();
  ASSERT_NE(Open(), nullptr);
  for (int i : {0, 1, 4}) HintPiece(Pieces()[static_cast<std::size_t>(i)]);
  Pieces()[1]->TryConnect();
  Pieces()[4]->TryConnect();
  Pieces()[0]->GetParentItem()->MoveBy(PointF(120, 80));
  const PointF where = Pieces()[4]->MapToAncestor(Pieces()[4]->GetAnchor(), nullptr);
  Leave();
  EXPECT_EQ(canvas->GetLibrary().FindPuzzleImage("p1")->GetPercentCompleted(), 18);  // 2 of 11 joins

  ASSERT_NE(Open(), nullptr);
  auto* group = dynamic_cast<CPuzzleGroup*>(Pieces()[0]->GetParent());
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(Pieces()[1]->GetParent(), group);
  EXPECT_EQ(Pieces()[4]->GetParent(), group);
  EXPECT_EQ(Pieces()[2]->GetParent(), room->GetTable()->GetSurface());
  const PointF again = Pieces()[4]->MapToAncestor(Pieces()[4]->GetAnchor(), nullptr);
  EXPECT_NEAR(again.X, where.X, 0.5);
  EXPECT_NEAR(again.Y, where.Y, 0.5);
  EXPECT_EQ(CRSSoundHandler::Instance().StateOf(CPuzzlePiece::kConnectSound, true),
            CRSSoundHandler::EntryState::kClosed)
      << "restored joins make no sound";
}

TEST_F(PlayRoomScene, AHeldPieceLiesAboveTheMenuAndHintEndsItsDrag) {
  MakePuzzle();
  ASSERT_NE(Open(), nullptr);
  CRSCanvasItem* floor = canvas->GetFloor();
  CPuzzlePiece* piece = Pieces()[5];
  for (CPuzzlePiece* other : Pieces()) other->MoveTopLeftTo(PointF(other == piece ? 400 : 800, 500));
  auto send = [this, floor](unsigned message, PointF at) {
    const PointF p = floor->MapToAncestor(at, nullptr);
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), message, platform::kKeyStateLButton,
                                           platform::MakeMousePosition(static_cast<int>(p.X), static_cast<int>(p.Y))});
  };
  auto topAt = [this, floor](PointF at) { return canvas->HitTest(floor->MapToAncestor(at, canvas)); };
  const RectF menu = room->GetMenu()->GetBoundsIn(floor);
  const PointF over(menu.X + menu.Width / 2, menu.Y + menu.Height / 2);
  send(platform::kMsgLButtonDown, piece->MapToAncestor(piece->GetAnchor(), floor));
  send(platform::kMsgMouseMove, over);
  EXPECT_EQ(topAt(over), piece) << "dragged over the menu, the piece is above it";

  // Hint while it is held: it stays on the ghost when the pointer moves on.
  room->Hint();
  const PointF hinted = piece->GetPosition();
  send(platform::kMsgMouseMove, over + PointF(40, 30));
  send(platform::kMsgLButtonUp, over + PointF(40, 30));
  EXPECT_TRUE(piece->GetPosition().Equals(hinted));

  // Reveal lifts a loose piece out from under the menu.
  piece->MoveBy(over - piece->MapToAncestor(piece->GetAnchor(), floor));
  EXPECT_NE(topAt(over), piece) << "the menu covers it";
  room->Reveal();
  EXPECT_EQ(topAt(over), piece);
}

TEST_F(PlayRoomScene, MusicAndGiftDecideTheirButtons) {
  const std::string folder = puzzle_test::MakeTempFolder();
  setenv("TMPDIR", folder.c_str(), 1);
  const std::string tune = puzzle_test::WriteBytes(folder + "/tune.mid", 64, 'x');
  MakePuzzle([&](CPuzzleData& p) { p.SetMusicFile(tune); });
  ASSERT_NE(Open(), nullptr);
  ASSERT_NE(room->GetMusic(), nullptr);
  ASSERT_TRUE(room->GetMusic()->IsEmbedded());
  const std::string musicFolder = room->GetMusic()->GetFolder();
  struct stat info {};
  ASSERT_EQ(stat(musicFolder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u) << "only the player may read the copy";
  EXPECT_EQ(ReadText(room->GetMusic()->GetPath()), std::string(64, 'x'));
  CRSControlButton* music = room->FindMenuButton("&Music Off");
  ASSERT_NE(music, nullptr);
  music->Click();
  Deliver();
  EXPECT_EQ(music->GetCaption(), "&Music On");
  EXPECT_FALSE(CRSSoundHandler::Instance().MusicEnabled());
  music->Click();
  Deliver();
  EXPECT_TRUE(CRSSoundHandler::Instance().MusicEnabled());
  Leave();
  EXPECT_FALSE(fs::exists(musicFolder)) << "the copy goes with the room";

  // A gift: its own puzzle, scattered afresh, no way back, and a box that
  // says nothing of a gallery.
  std::string text = ReadText(CPuzzleData::GetPuzzleFileName("p1"));
  canvas->GetLibrary().SetGiftPuzzleText(text);
  canvas->GoHome();
  Deliver();
  room.Assign(dynamic_cast<CPuzzlePlayRoom*>(canvas->GetCurrentRoom()));
  ASSERT_NE(room.get(), nullptr);
  EXPECT_TRUE(room->IsOpen());
  EXPECT_EQ(room->GetPuzzleName(), "Gift Puzzle");
  EXPECT_EQ(room->FindMenuButton("&Back"), nullptr);
  EXPECT_NE(room->FindMenuButton("&Music Off"), nullptr);
  EXPECT_EQ(canvas->GetCaption(), "Tandrill Gift: Meadow (200 x 150)");

  // A music file that has gone since: no button, and the room still opens.
  canvas->GetLibrary().SetGiftPuzzleText("");
  fs::remove(tune);
  MakePuzzle([&](CPuzzleData& p) {
    p.SetMusicFile(folder + "/gone.mid");
  });
  ASSERT_NE(Open(), nullptr);
  EXPECT_TRUE(room->IsOpen());
  EXPECT_EQ(room->FindMenuButton("&Music Off"), nullptr);
  EXPECT_EQ(room->FindMenuButton("&Music On"), nullptr);
  fs::remove_all(folder);
}

TEST_F(PlayRoomScene, UnreadablePuzzlesShowTheErrorAndTheRoomGoes) {
  // A cut larger than its picture, a file cut short, and a file that is
  // no puzzle at all.
  const std::vector<std::function<void()>> breakers = {
      [this] { MakePuzzle([](CPuzzleData& p) { p.GetCutter().SetImageSize(400, 300); }); },
      [this] {
        MakePuzzle();
        const std::string text = ReadText(CPuzzleData::GetPuzzleFileName("p1"));
        std::ofstream(CPuzzleData::GetPuzzleFileName("p1"), std::ios::binary) << text.substr(0, text.size() / 2);
      },
      [this] {
        MakePuzzle();
        std::ofstream(CPuzzleData::GetPuzzleFileName("p1"), std::ios::binary) << "not a puzzle";
      },
  };
  for (const auto& breakFile : breakers) {
    breakFile();
    CRSObject* before = canvas->GetCurrentRoom();
    ASSERT_NE(Open(), nullptr);
    EXPECT_FALSE(room->IsOpen());
    EXPECT_EQ(room->GetMenu(), nullptr);
    CRSMessageBox* box = FindBox("ERROR");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetTextItem()->GetText(), "Could not read the puzzle file");
    if (before) {
      EXPECT_EQ(before->GetParent(), canvas->GetFloor()) << "the room before stays";
    }
    box->Close();
    Deliver();
    EXPECT_EQ(room.get(), nullptr) << "closing the box ends the room";
  }
}

TEST_F(PlayRoomScene, RecordsOfAnotherGridAreBuiltAnew) {
  // A saved game of a 4 x 3 cut read by a 2 x 2 cut: the records outside
  // the grid are dropped and the four pieces are made and scattered.
  MakePuzzle();
  ASSERT_NE(Open(), nullptr);
  Leave();
  std::string text = ReadText(CPuzzleData::GetPuzzleFileName("p1"));
  CPuzzleData small("p1");
  puzzle_test::MakePlayable(small, 100, 2, 2);
  ASSERT_TRUE(small.Save());
  std::string smallText = ReadText(CPuzzleData::GetPuzzleFileName("p1"));
  const std::size_t records = text.find("<puzzle-piece");
  const std::size_t end = smallText.rfind("</puzzle-data>");
  ASSERT_NE(records, std::string::npos);
  ASSERT_NE(end, std::string::npos);
  const std::size_t recordsEnd = text.rfind("</puzzle-piece>") + std::string("</puzzle-piece>").size();
  smallText.insert(end, text.substr(records, recordsEnd - records));
  std::ofstream(CPuzzleData::GetPuzzleFileName("p1"), std::ios::binary) << smallText;
  ASSERT_NE(Open(), nullptr);
  EXPECT_TRUE(room->IsOpen());
  EXPECT_EQ(Pieces().size(), 4u);
}

TEST_F(PlayRoomScene, SizeScalesAtTheEdgesOpenOrFailCleanly) {
  // At the largest scale the pieces are big and all there; at the smallest
  // they are a few pixels wide: the room opens with every piece, or shows
  // the error and goes, and never leaves half a room behind.
  for (const float scale : {4.0f, 0.05f, 0.004f}) {
    MakePuzzle([scale](CPuzzleData& p) { p.SetSizeScale(scale); });
    ASSERT_NE(Open(), nullptr);
    if (room->IsOpen()) {
      EXPECT_EQ(Pieces().size(), 12u) << scale;
      EXPECT_NEAR(room->GetCutImage()->GetWidth(), 200 * room->GetPuzzle()->GetSizeScale(), 1.0) << scale;
      Leave();
      continue;
    }
    EXPECT_TRUE(room->GetPieces().empty()) << scale;
    ASSERT_NE(FindBox("ERROR"), nullptr) << scale;
    FindBox("ERROR")->Close();
    Deliver();
    EXPECT_EQ(room.get(), nullptr);
    EXPECT_NE(canvas->GetLibrary().GetStoreRoom(), nullptr) << "back in the store room, not on an empty floor";
  }
}

TEST_F(PlayRoomScene, LeavingWithWindowsOpenSavesWhole) {
  MakePuzzle();
  ASSERT_NE(Open(), nullptr);
  room->SetPictureShown(true);
  room->SetGhostShown(true);
  HintPiece(Pieces()[5]);
  CBehaviourRotate90::GetOrCreate(Pieces()[3])->StartRotation(1, PointF(10, 10));
  room->FindMenuButton("&Back")->Click();
  Deliver();
  EXPECT_EQ(room.get(), nullptr);
  CPuzzleData saved("p1");
  ASSERT_TRUE(saved.Load());
  EXPECT_EQ(saved.GetPieces().size(), 12u);

  // A request to close the window while a puzzle is built waits until the
  // build is over; then the program ends and saves the game whole.
  platform::PostMessage(view.GetWindow()->GetTargetId(), platform::kMsgClose);
  room.Assign(dynamic_cast<CPuzzlePlayRoom*>(canvas->PlaySelectedPuzzle()));
  ASSERT_NE(room.get(), nullptr);
  EXPECT_TRUE(room->IsOpen());
  Deliver();
  EXPECT_EQ(room.get(), nullptr);
  ASSERT_TRUE(saved.Load());
  EXPECT_EQ(saved.GetPieces().size(), 12u);
}

TEST(PlayRoomMusic, SweepsOnlyFoldersOfProgramsThatAreGone) {
  const std::string folder = puzzle_test::MakeTempFolder();
  setenv("TMPDIR", folder.c_str(), 1);
  const std::string prefix = folder + "/tandrill-music-" + std::to_string(getuid()) + "-";
  fs::create_directory(prefix + "dead");
  std::ofstream(prefix + "dead/owner") << 2147483000 << '\n';
  std::ofstream(prefix + "dead/tune") << "x";
  fs::create_directory(prefix + "alive");
  std::ofstream(prefix + "alive/owner") << getpid() << '\n';
  fs::create_directory(folder + "/somebody-else");
  fs::create_directory_symlink(folder + "/somebody-else", prefix + "link");
  EXPECT_EQ(CPuzzlePlayMusic::SweepStaleMusicFolders(), 1);
  EXPECT_FALSE(fs::exists(prefix + "dead"));
  EXPECT_TRUE(fs::exists(prefix + "alive"));
  EXPECT_TRUE(fs::exists(folder + "/somebody-else"));
  fs::remove_all(folder);
}

TEST(PlayRoomGiftArgument, TakesOnlyFilesWithAGift) {
  const std::string folder = puzzle_test::MakeTempFolder();
  const std::string gift = puzzle_test::WriteBytes(folder + "/gift", 100, 'p');
  ASSERT_TRUE(platform::AppendPayload(gift, "<puzzle-data/>"));
  const std::string plain = puzzle_test::WriteBytes(folder + "/plain", 100, 'p');
  std::string args[] = {"tandrill", "-admin", gift, plain};
  char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data()};
  EXPECT_EQ(app::ReadGiftArgument(4, argv), std::optional<std::string>("<puzzle-data/>"));
  char* plainArgv[] = {args[0].data(), args[3].data()};
  EXPECT_FALSE(app::ReadGiftArgument(2, plainArgv).has_value());
  EXPECT_FALSE(app::ReadGiftArgument(1, argv).has_value());
  fs::remove_all(folder);
}

}  // namespace
