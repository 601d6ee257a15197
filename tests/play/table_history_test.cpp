#include "play/table_history.h"

#include <gtest/gtest.h>

#include <functional>
#include <chrono>
#include <random>
#include <thread>

#include "canvas/behaviours.h"
#include "canvas/sound.h"
#include "data/puzzle_data.h"
#include "data/puzzle_image_data.h"
#include "data/xml_writer.h"
#include "play/piece.h"
#include "play/play_room.h"
#include "play/selection.h"
#include "play/table.h"
#include "play/table_state.h"
#include "play/tray.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "tests/app/root_scene.h"
#include "tests/data/puzzle_test_support.h"

namespace {

constexpr int kColumns = 5;
constexpr int kRows = 4;
constexpr int kPieces = kColumns * kRows;

// The same places for the player (an origin moved by a click is no step).
bool LooksLike(const TableState& a, const TableState& b) {
  return a.pieces.size() == b.pieces.size() && a.trays.size() == b.trays.size() &&
         std::equal(a.pieces.begin(), a.pieces.end(), b.pieces.begin(),
                    [](const TablePieceState& x, const TablePieceState& y) { return x.LooksLike(y); }) &&
         std::equal(a.trays.begin(), a.trays.end(), b.trays.begin(),
                    [](const TableTrayState& x, const TableTrayState& y) { return x.LooksLike(y); });
}

// The real room with a 5 x 4 puzzle of 50-pixel pieces on a table of its
// own, the pieces laid far apart, turned, and not joined.
class HistoryScene : public RootScene {
 protected:
  void SetUp() override {
    RootScene::SetUp();
    AddPuzzleOnTable(kColumns, kRows, SizeF(2000, 1600));
    room.Assign(dynamic_cast<CPuzzlePlayRoom*>(canvas->PlaySelectedPuzzle()));
    Pump(3);
    ASSERT_TRUE(room && room->IsOpen());
    table = room->GetTable();
    for (int i = 0; i < kPieces; ++i) {
      Piece(i)->SetRotation(i % 3 == 0 ? 90.0f : 0.0f);
      Piece(i)->MoveTopLeftTo(PointF(200.0f + 150.0f * static_cast<float>(i % kColumns),
                                     200.0f + 150.0f * static_cast<float>(i / kColumns)));
    }
    // The whole table in view: a step taken back then pans nothing, and
    // the file keeps its view too.
    table->SetView(table->GetViewport().GetMinZoom(), PointF());
    History().Reset();
  }

  CTableHistory& History() { return table->GetHistory(); }
  CPuzzlePiece* Piece(int i) { return room->GetPieces()[static_cast<std::size_t>(i)].get(); }
  CRSCanvasItem* Top(int i) { return CTableSelection::TopOf(Piece(i)); }
  // Puts a piece (or its group) over the ghost where it belongs and tests
  // its joins, as a drop there would.
  void DropInPlace(int i) {
    room->SetCurrentItem(Piece(i));
    room->Hint();
    for (CPuzzlePiece* piece : CTableSelection::PiecesOf(Top(i))) piece->TryConnect();
  }
  PointF GripOf(int i) { return Piece(i)->MapToAncestor(Piece(i)->GetAnchor(), canvas->GetFloor()); }
  void Send(unsigned message, PointF floorPoint, unsigned keys) {
    const PointF p = canvas->GetFloor()->MapToAncestor(floorPoint, nullptr);
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), message, keys,
                                           platform::MakeMousePosition(static_cast<int>(p.X), static_cast<int>(p.Y))});
  }
  // What a save writes, less the time played: the clock is never undone.
  std::string Saved() {
    room->StoreTable();
    CRSXMLWriter out;
    room->GetPuzzle()->Write(out);
    std::string text = out.GetBytes();
    const std::size_t at = text.find("<time-played>");
    if (at != std::string::npos) text.erase(at, text.find('\n', at) - at);
    return text;
  }
  struct Picture {
    std::string file;
    TableState state;
    bool operator==(const Picture& other) const {
      return file == other.file && LooksLike(state, other.state);
    }
  };
  Picture Take() {
    EXPECT_TRUE(table_state::IsConsistent(*table));
    return {Saved(), Now()};
  }
  // The state once the slide that shows a step has run out.
  TableState Now() {
    History().FinishSlide();
    return table_state::Capture(*table);
  }

  CRSWeakRef<CPuzzlePlayRoom> room;
  CPuzzleTable* table = nullptr;
};

// Every kind of step: done, saved, undone, saved gives the file and state
// of before the step; redone gives those of after it.
TEST_F(HistoryScene, EveryKindOfStepUndoesToTheFileBeforeAndRedoesToTheStateAfter) {
  const std::vector<std::pair<const char*, std::function<void()>>> steps = {
      {"drop", [&] { Piece(3)->MoveBy(PointF(40, -25)); History().RequestCommit(); }},
      {"join of two", [&] { DropInPlace(0); DropInPlace(1); }},
      {"join into a group", [&] { DropInPlace(2); }},
      {"turn of a group", [&] { CBehaviourRotate90::GetOrCreate(Top(0))->StartRotation(1, PointF()); }},
      {"hint", [&] { room->SetCurrentItem(Piece(12)); room->Hint(); }},
      {"selection turned", [&] {
         table->GetSelection().Set({Top(0), Piece(7)});
         table->TurnSelection(-1);
       }},
      {"gather", [&] { table->Gather(); }},
      {"arrange", [&] { table->Arrange(); }},
      {"new tray", [&] { table->NewTray(); }},
      {"into a tray", [&] { table->FindTray("Tray 1")->Take({Top(0), Piece(9)}); table->sigItemsMoved(); }},
      {"edges", [&] { table->GatherEdges(); }},
      {"rename", [&] { table->FindTray("Tray 1")->SetTitle("Sky"); table->FindTray("Sky")->sigChanged(); }},
      {"scatter", [&] { room->Scatter(); }},
      {"close", [&] { table->FindTray("Sky")->GetWindow()->Close(); }},
  };
  for (const auto& [name, step] : steps) {
    SCOPED_TRACE(name);
    const Picture before = Take();
    step();
    for (int i = 0; i < 100 && CBehaviourRotate90::IsAnyRotationRunning(); ++i) {
      Pump(2);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(History().Commit() || History().CanUndo());
    const Picture after = Take();
    ASSERT_FALSE(after == before) << "the step changed nothing";
    ASSERT_TRUE(History().Undo());
    EXPECT_TRUE(Take() == before);
    ASSERT_TRUE(History().Redo());
    EXPECT_TRUE(Take() == after);
    EXPECT_FALSE(History().CanRedo());
  }
  // Undoing the joins splits the group back: first the third piece leaves
  // it, then the two part.
  while (History().CanUndo()) History().Undo();
  EXPECT_TRUE(std::all_of(room->GetPieces().begin(), room->GetPieces().end(),
                          [](const auto& piece) { return piece->GetParentItem() != nullptr && piece->GetJoinedMask() == 0; }));
}

// A step after an undo drops what could have been redone; undo with the
// hand full puts down what it holds first, and a turn running ends first.
TEST_F(HistoryScene, NewStepsDropTheRedoListAndUndoEndsWhatTheHandHolds) {
  const PointF start = GripOf(4);
  Piece(4)->MoveBy(PointF(100, 0));
  ASSERT_TRUE(History().Commit());
  ASSERT_TRUE(History().Undo());
  EXPECT_TRUE(History().CanRedo());
  Piece(5)->MoveBy(PointF(0, 100));
  ASSERT_TRUE(History().Commit());
  EXPECT_FALSE(History().CanRedo());
  EXPECT_FALSE(History().Redo());

  // Taken and dragged, then Ctrl+Z before the button is let go.
  Send(platform::kMsgLButtonDown, start, platform::kKeyStateLButton);
  Send(platform::kMsgMouseMove, start + PointF(150, 90), platform::kKeyStateLButton);
  Pump(2);
  ASSERT_NE(GripOf(4).X, start.X);
  EXPECT_TRUE(History().Undo());
  EXPECT_TRUE(table->IsHandEmpty());
  History().FinishSlide();
  EXPECT_NEAR(GripOf(4).X, start.X, 0.01f);
  Send(platform::kMsgLButtonUp, start + PointF(150, 90), 0);
  Pump(2);
  EXPECT_NEAR(GripOf(4).X, start.X, 0.01f) << "the button let go later moves nothing";

  const float angle = Piece(6)->GetRotation();
  ASSERT_TRUE(CBehaviourRotate90::GetOrCreate(Piece(6))->StartRotation(1, PointF()));
  EXPECT_TRUE(History().Undo());
  EXPECT_FALSE(CBehaviourRotate90::IsAnyRotationRunning());
  EXPECT_FLOAT_EQ(Piece(6)->GetRotation(), angle);
  EXPECT_TRUE(table_state::IsConsistent(*table));
}

// The puzzle made whole by a redo is solved as by a drop, and only once
// however often the last join is taken back and made again.
TEST_F(HistoryScene, ARedoThatSolvesThePuzzleCompletesItOnce) {
  CRSSoundHandler& sound = CRSSoundHandler::Instance();
  const int completions = sound.GetEffectRequests(CPuzzlePlayRoom::kCompleteSound);
  for (int i = 0; i < kPieces; ++i) DropInPlace(i);
  ASSERT_TRUE(History().Commit());
  ASSERT_TRUE(History().Undo());
  Pump(3);
  EXPECT_FALSE(room->GetPuzzle()->IsCompleted()) << "taken back before the completion came";
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(History().Redo());
    Pump(3);
    EXPECT_TRUE(room->GetPuzzle()->IsCompleted());
    ASSERT_TRUE(History().Undo());
  }
  EXPECT_EQ(sound.GetEffectRequests(CPuzzlePlayRoom::kCompleteSound), completions + 1);
}

// A thousand steps of random play, undone one by one, lead back through
// every state to the first; redone, through every state to the last.
TEST_F(HistoryScene, AThousandRandomStepsUndoAndRedoExactly) {
  std::mt19937 random(28);
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  std::vector<TableState> states = {Now()};
  CPuzzleTray* tray = table->NewTray();
  ASSERT_TRUE(History().Commit());
  states.push_back(Now());
  while (states.size() < 1001) {
    const int i = pick(kPieces);
    switch (pick(10)) {
      case 0: room->Scatter(); break;
      case 1: tray->Take({Top(i)}); break;
      case 2: table->BringOntoTable(Top(i)); Top(i)->MoveBy(PointF(pick(300), pick(300))); break;
      case 3: table->GetSelection().Set({Top(i), Top(pick(kPieces))}); table->TurnSelection(1); break;
      case 4: table->GetSelection().Set({Top(i), Top(pick(kPieces))}); table->Gather(); break;
      default: DropInPlace(i); break;
    }
    table->GetSelection().Clear();
    if (!History().Commit()) continue;
    ASSERT_TRUE(table_state::IsConsistent(*table)) << states.size();
    states.push_back(Now());
  }
  for (std::size_t n = states.size() - 1; n-- > 0;) {
    ASSERT_TRUE(History().Undo()) << n;
    ASSERT_TRUE(LooksLike(Now(), states[n])) << n;
    ASSERT_TRUE(table_state::IsConsistent(*table));
  }
  EXPECT_FALSE(History().CanUndo());
  for (std::size_t n = 1; n < states.size(); ++n) {
    ASSERT_TRUE(History().Redo()) << n;
    ASSERT_TRUE(LooksLike(Now(), states[n])) << n;
  }
  Pump(3);
  EXPECT_TRUE(table_state::IsConsistent(*table));
}

// Steps beyond the bound on their bytes go oldest first: the newest stay
// exact, however large, and a thousand drops still fit the usual bound.
TEST_F(HistoryScene, LargeStepsAreDroppedOldestFirstOnceTheirBytesPassTheBound) {
  Piece(0)->MoveBy(PointF(40, 0));
  ASSERT_TRUE(History().Commit());
  const std::size_t oneDrop = History().GetMemoryUse();
  room->Scatter();
  ASSERT_TRUE(History().Commit());
  const std::size_t scatter = History().GetMemoryUse() - oneDrop;
  EXPECT_LT(std::size_t{1000} * oneDrop, CTableHistory::kMaxBytes);
  History().Reset();
  const std::size_t empty = History().GetMemoryUse();
  // Room for three scatters and a half: a scatter that leaves a piece where
  // it lay (one place in the random numbers' 32,768) is a record shorter.
  const std::size_t bound = 3 * scatter + scatter / 2;
  History().SetMaxBytes(bound);
  std::vector<TableState> states = {Now()};
  for (int i = 0; i < 8; ++i) {
    room->Scatter();
    ASSERT_TRUE(History().Commit());
    states.push_back(Now());
    EXPECT_LE(History().GetMemoryUse(), empty + bound);
  }
  std::size_t undone = 0;
  for (; History().Undo(); ++undone) ASSERT_TRUE(LooksLike(Now(), states[states.size() - 2 - undone]));
  EXPECT_GE(undone, 2u);
  EXPECT_LT(undone, 8u);
}

}  // namespace
