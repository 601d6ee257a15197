// The puzzle file: what is written, what is read back, and the piece items
// built from it.

#include "data/puzzle_data.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <fstream>
#include <set>
#include <string>

#include "canvas/event_dispatcher.h"
#include "canvas/view.h"
#include "data/xml_writer.h"
#include "play/group.h"
#include "play/piece.h"
#include "platform/message_loop.h"
#include "canvas/sound.h"
#include "tests/data/puzzle_test_support.h"

namespace {

using namespace puzzle_test;

// The smallest turn between two angles, in degrees.
float AngleBetween(float a, float b) { return std::fabs(std::remainder(a - b, 360.0f)); }

class PuzzleDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CRSEventDispatcher::Create();
    folder = MakeTempFolder();
    CPuzzleData::SetPuzzleFolder(folder);
  }
  void TearDown() override {
    FlushEvents(nullptr);
    CPuzzleData::SetPuzzleFolder({});
    std::filesystem::remove_all(folder);
  }
  std::string folder;
};

TEST_F(PuzzleDataTest, WritesTheElementInItsOrderWithScaleAndTimeOnOneLine) {
  CPuzzleData puzzle("Sunset.jpg");
  MakePlayable(puzzle);
  puzzle.SetTitle("Évening");
  puzzle.SetTimePlayed(300);
  puzzle.SetCompleted(true);
  puzzle.SetSurprise(true);
  CRSXMLWriter out;
  puzzle.Write(out);
  const std::string text = out.GetBytes();
  EXPECT_EQ(text.rfind("<puzzle-data>\r\n<name>U3Vuc2V0LmpwZw==</name>\r\n<title>", 0), 0u) << text.substr(0, 80);
  EXPECT_NE(text.find("<completed/>\r\n<surprise/>\r\n<size-scale val=\"1\" /><time-played>0x12c</time-played>\r\n"
                      "<img-data>"),
            std::string::npos);
  EXPECT_EQ(text.find("rotate-pieces"), std::string::npos);
  EXPECT_EQ(text.find("music"), std::string::npos);
  const auto pieces = text.find("<pieces>\r\n"), cuts = text.find("<puzzle-cuts>"), end = text.find("</pieces>\r\n");
  ASSERT_NE(pieces, std::string::npos);
  EXPECT_LT(pieces, cuts);
  EXPECT_LT(cuts, end);
  EXPECT_EQ(text.substr(text.size() - 16), "</puzzle-data>\r\n");

  puzzle.SetSizeScale(0.75f);
  out.Clear();
  puzzle.Write(out);
  EXPECT_NE(out.GetBytes().find("<size-scale val=\"0.75\" />"), std::string::npos);
}

TEST_F(PuzzleDataTest, MusicIsEmbeddedOnlyBelowOneMebibyteAndReadOnce) {
  CPuzzleData puzzle("music");
  const std::string small = WriteBytes(folder + "/small.mid", 1048575, 'a');
  const std::string large = WriteBytes(folder + "/large.mid", 1048576, 'b');
  puzzle.SetMusicFile(small);
  EXPECT_EQ(puzzle.GetMusicData().size(), 1048575u);
  EXPECT_EQ(puzzle.GetMusicData().front(), 'a');
  // The same file again is not read again, even though it changed.
  WriteBytes(small, 10, 'c');
  puzzle.SetMusicFile(small);
  EXPECT_EQ(puzzle.GetMusicData().size(), 1048575u);
  puzzle.SetMusicFile(large);
  EXPECT_TRUE(puzzle.GetMusicData().empty());
  EXPECT_EQ(puzzle.GetMusicFileName(), large);
  puzzle.SetMusicFile(folder + "/missing.mid");
  EXPECT_TRUE(puzzle.GetMusicData().empty());
}

TEST_F(PuzzleDataTest, SaveAndLoadKeepEveryField) {
  CPuzzleData puzzle("round trip");
  MakePlayable(puzzle);
  puzzle.SetTitle("A title");
  puzzle.SetRotatePiecesWhenScatter(true);
  puzzle.SetTimePlayed(123456);
  puzzle.SetSizeScale(0.5f);
  const std::string music = WriteBytes(folder + "/song.mid", 3000, 'm');
  puzzle.SetMusicFile(music);
  ASSERT_TRUE(puzzle.Save());

  CPuzzleData loaded("round trip");
  ASSERT_TRUE(loaded.Load());
  EXPECT_EQ(loaded.GetTitle(), "A title");
  EXPECT_TRUE(loaded.GetRotatePiecesWhenScatter());
  EXPECT_FALSE(loaded.IsCompleted());
  EXPECT_EQ(loaded.GetTimePlayed(), 123456);
  EXPECT_FLOAT_EQ(loaded.GetSizeScale(), 0.5f);
  EXPECT_FLOAT_EQ(loaded.GetCutter().GetScale().X, 0.5f);
  EXPECT_EQ(loaded.GetMusicFileName(), music);
  EXPECT_EQ(loaded.GetMusicData(), puzzle.GetMusicData());
  EXPECT_EQ(loaded.GetCutter().GetGridSize(), puzzle.GetCutter().GetGridSize());
  ASSERT_NE(loaded.GetPicture(), nullptr);
  EXPECT_EQ(loaded.GetPicture()->GetWidth(), 200);

  // Saving again writes the same bytes.
  CRSXMLWriter a, b;
  puzzle.Write(a);
  loaded.Write(b);
  EXPECT_EQ(a.GetBytes(), b.GetBytes());
}

TEST_F(PuzzleDataTest, PiecesBeforeAndAfterTheCutsAreBothRead) {
  CPuzzleData source("order");
  MakePlayable(source);
  CRSXMLWriter out;
  source.Write(out);
  std::string text = out.GetBytes();
  const std::string before = "<puzzle-piece x=\"1\" y=\"2\">\r\n<pointf x=\"10.50\" y=\"20.25\" />\r\n"
                             "<rotation>90.00</rotation>\r\n</puzzle-piece>\r\n";
  const std::string after = "<PUZZLE-PIECE X=\"3\">\r\n<rotation>180.00</rotation>\r\n</PUZZLE-PIECE>\r\n";
  text.insert(text.find("<puzzle-cuts>"), before);
  text.insert(text.find("</pieces>"), after);

  CPuzzleData puzzle("order");
  ASSERT_TRUE(puzzle.LoadFromText(text));
  ASSERT_EQ(puzzle.GetPieces().size(), 2u);
  const CPuzzlePieceData* first = puzzle.GetPieceData(1, 2);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->GetPosition().Equals(PointF(10.5f, 20.25f)));
  EXPECT_FLOAT_EQ(first->GetRotation(), 90.0f);
  // A piece without "y" is in row 0.
  ASSERT_NE(puzzle.GetPieceData(3, 0), nullptr);
  EXPECT_FLOAT_EQ(puzzle.GetPieceData(3, 0)->GetRotation(), 180.0f);
}

TEST_F(PuzzleDataTest, TwoJoinedAndEightLooseGiveElevenPercent) {
  CPuzzleData puzzle("percent");
  MakePlayable(puzzle, 50, 5, 2);
  auto cut = puzzle.GetCutter().GetCutImage(*puzzle.GetPicture());
  ASSERT_NE(cut, nullptr);
  CRSAutoPtrPolymorphic<CRSCanvasItem> area = MakeArea();
  EXPECT_EQ(puzzle.GetPercentCompleted(), 0);
  Pieces pieces = BuildPieces(puzzle, area, *cut);
  ASSERT_EQ(pieces.size(), 10u);
  EXPECT_EQ(puzzle.GetPercentCompleted(), 0);
  PutInPlace(pieces[1], pieces[0]);
  ASSERT_TRUE(pieces[0]->TryConnect());
  EXPECT_EQ(puzzle.GetPercentCompleted(), 11);
}

TEST_F(PuzzleDataTest, ReopenedGameRestoresGroupsWhereTheyWereWithoutSound) {
  CPuzzleData puzzle("restore");
  MakePlayable(puzzle, 50, 4, 3);
  auto cut = puzzle.GetCutter().GetCutImage(*puzzle.GetPicture());
  CRSAutoPtrPolymorphic<CRSCanvasItem> area = MakeArea();
  Pieces pieces = BuildPieces(puzzle, area, *cut);
  ASSERT_EQ(pieces.size(), 12u);
  // Two groups in the top row, (0,1) and (2,3), turned and apart: their
  // pieces (1,0) and (2,0) are neighbours but were never joined.
  PutInPlace(pieces[1], pieces[0]);
  ASSERT_TRUE(pieces[0]->TryConnect());
  PutInPlace(pieces[3], pieces[2]);
  ASSERT_TRUE(pieces[2]->TryConnect());
  pieces[0]->GetParentItem()->SetRotation(90.0f);
  pieces[2]->GetParentItem()->MoveBy(PointF(300.0f, 250.0f));
  const PointF groupAnchor = pieces[0]->MapToAncestor(pieces[0]->GetAnchor(), nullptr);
  ASSERT_EQ(puzzle.GetPercentCompleted(), 18);  // 12 pieces in 10 groups
  ASSERT_TRUE(puzzle.Save());

  CPuzzleData reopened("restore");
  ASSERT_TRUE(reopened.Load());
  CRSAutoPtrPolymorphic<CRSCanvasItem> area2 = MakeArea();
  Pieces again = BuildPieces(reopened, area2, *cut);
  for (CPuzzlePiece* p : again) p->TryConnect();
  EXPECT_EQ(reopened.GetPercentCompleted(), 18);
  EXPECT_NE(again[0]->GetParent(), area2.get());
  EXPECT_EQ(again[0]->GetParent(), again[1]->GetParent());
  EXPECT_NE(again[1]->GetParent(), again[2]->GetParent());
  EXPECT_LT(Distance(again[0]->MapToAncestor(again[0]->GetAnchor(), nullptr), groupAnchor), 0.05f);
  EXPECT_NEAR(CPuzzlePiece::TotalAngle(again[1]), 90.0f, 0.01f);
  EXPECT_EQ(CRSSoundHandler::Instance().StateOf(CPuzzlePiece::kConnectSound, true),
            CRSSoundHandler::EntryState::kClosed);
}

// The play area as a room holds it: below a title bar, inside a panel, in a
// real view whose root sits a fraction of a pixel off the window's corner.
// Saving and reopening again and again must leave every piece where it was.
TEST_F(PuzzleDataTest, PiecesStayPutThroughRepeatedReopeningInANestedOffsetPlayArea) {
  platform::MessageLoop loop;
  CRSCanvasView view;
  ASSERT_TRUE(view.Create("play"));
  auto* root = new CRSCanvasItem(PointF(), nullptr, "root");
  root->SetSize(SizeF(900, 700));
  view.SetRoot(root);
  ASSERT_NE(root->GetTopLeft().X, 0.0f) << "the view's root is expected off the corner";
  auto* panel = new CRSCanvasItem(PointF(0, 30), root, "below the title bar");

  auto puzzle = std::make_unique<CPuzzleData>("drift");
  MakePlayable(*puzzle, 50, 4, 3);
  auto cut = puzzle->GetCutter().GetCutImage(*puzzle->GetPicture());
  auto* area = new CRSCanvasItem(PointF(15.5f, 12), panel, "area");
  Pieces pieces = BuildPieces(*puzzle, area, *cut);
  ASSERT_EQ(pieces.size(), 12u);
  // A turned pair, a turned loose piece, and the rest where scattering put
  // them.
  PutInPlace(pieces[1], pieces[0]);
  ASSERT_TRUE(pieces[0]->TryConnect());
  pieces[0]->GetParentItem()->SetRotation(90.0f);
  pieces[0]->GetParentItem()->MoveBy(PointF(40, 20));
  pieces[5]->SetOrigin(PointF(25, 25));
  pieces[5]->SetRotation(270.0f);
  struct Place {
    PointF anchor;
    float angle;
  };
  auto places = [](const Pieces& list, const CRSCanvasItem* frame) {
    std::vector<Place> out;
    for (CPuzzlePiece* p : list) out.push_back({p->MapToAncestor(p->GetAnchor(), frame), CPuzzlePiece::TotalAngle(p)});
    return out;
  };
  const std::vector<Place> before = places(pieces, area);

  for (int round = 1; round <= 3; ++round) {
    ASSERT_TRUE(puzzle->Save());
    area->Delete();
    FlushEvents(nullptr);
    puzzle = std::make_unique<CPuzzleData>("drift");
    ASSERT_TRUE(puzzle->Load());
    area = new CRSCanvasItem(PointF(15.5f, 12), panel, "area");
    pieces = BuildPieces(*puzzle, area, *cut);
    ASSERT_EQ(pieces.size(), 12u);
    for (CPuzzlePiece* p : pieces) p->TryConnect();
    const std::vector<Place> after = places(pieces, area);
    for (std::size_t i = 0; i < after.size(); ++i) {
      EXPECT_LT(Distance(after[i].anchor, before[i].anchor), 0.02f) << "piece " << i << " moved in round " << round;
      EXPECT_LT(AngleBetween(after[i].angle, before[i].angle), 0.01f) << "piece " << i << " turned in round " << round;
    }
    EXPECT_EQ(pieces[0]->GetParent(), pieces[1]->GetParent()) << "the pair is joined again";
    EXPECT_NE(pieces[0]->GetParent(), area);
  }
  view.SetRoot(nullptr);
}

TEST_F(PuzzleDataTest, NewRecordsAreScatteredAndResetProgressLoosensEverything) {
  CPuzzleData puzzle("reset");
  MakePlayable(puzzle, 50, 4, 3);
  puzzle.SetRotatePiecesWhenScatter(true);
  auto cut = puzzle.GetCutter().GetCutImage(*puzzle.GetPicture());
  CRSAutoPtrPolymorphic<CRSCanvasItem> area = MakeArea();
  Pieces pieces = BuildPieces(puzzle, area, *cut);
  std::set<std::pair<int, int>> places;
  for (CPuzzlePiece* p : pieces) {
    const RectF box = p->GetBoundsIn(area);
    EXPECT_GE(box.X, -0.5f);
    EXPECT_LE(box.X + box.Width, area->GetSize().Width + 0.5f);
    EXPECT_EQ(static_cast<int>(p->GetRotation()) % 90, 0);
    places.insert({static_cast<int>(box.X), static_cast<int>(box.Y)});
  }
  EXPECT_GT(places.size(), 6u) << "pieces were not spread";
  PutInPlace(pieces[1], pieces[0]);
  ASSERT_TRUE(pieces[0]->TryConnect());
  CRSWeakRef<CRSCanvasItem> group(pieces[0]->GetParentItem());
  puzzle.SetTimePlayed(5000);
  puzzle.SetCompleted(true);
  // A record whose piece is gone is dropped, and its cell then has none.
  ASSERT_NE(puzzle.GetPieceData(3, 2), nullptr);
  pieces[11]->Delete();

  puzzle.ResetProgress();
  EXPECT_EQ(puzzle.GetPieceData(3, 2), nullptr);
  EXPECT_EQ(puzzle.GetPieceData(2, 2)->GetItem(), pieces[10]);
  EXPECT_EQ(puzzle.GetTimePlayed(), 0);
  EXPECT_FALSE(puzzle.IsCompleted());
  EXPECT_EQ(puzzle.GetPercentCompleted(), 0);
  EXPECT_EQ(pieces[0]->GetParent(), area.get());
  FlushEvents(nullptr);
  EXPECT_FALSE(group.get()) << "the emptied group must be deleted";
  // Once loose, the pieces can join again.
  pieces[0]->SetRotation(0.0f);
  pieces[1]->SetRotation(0.0f);
  PutInPlace(pieces[1], pieces[0]);
  EXPECT_TRUE(pieces[0]->TryConnect());
}

}  // namespace
