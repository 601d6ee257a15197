// The connect test, merging, completion and progress on boards of square
// pieces.

#include "play/piece.h"

#include <gtest/gtest.h>

#include "canvas/behaviours.h"
#include "canvas/event_dispatcher.h"
#include "play/group.h"
#include "canvas/sound.h"
#include "tests/play/piece_test_support.h"

namespace {

using namespace piece_test;

class PieceTest : public ::testing::Test {
 protected:
  void SetUp() override { CRSEventDispatcher::Create(); }
  void TearDown() override { FlushEvents(nullptr); }
};

CPuzzleGroup* GroupOf(const CPuzzlePiece* piece) { return dynamic_cast<CPuzzleGroup*>(piece->GetParent()); }

TEST_F(PieceTest, ConnectsStrictlyUnderTenUnitsAndTheJoinerSnapsWhileTheKeeperStays) {
  for (float turn : {0.0f, 90.0f, 270.0f}) {
    for (float gap : {9.9f, 10.0f}) {
      Board board = MakeBoard(2, 1);
      CPuzzlePiece* a = board.At(0, 0);
      CPuzzlePiece* b = board.At(1, 0);
      for (CPuzzlePiece* p : {a, b}) {
        p->SetOrigin(p->GetAnchor());
        p->SetRotation(turn);
      }
      MoveBeside(b, b, a, PointF(0.0f, gap));
      const PointF keeperBefore = AnchorInScene(a);
      const bool joined = a->TryConnect();
      SCOPED_TRACE(testing::Message() << "turn " << turn << " gap " << gap);
      EXPECT_EQ(joined, gap < 10.0f);
      if (!joined) {
        EXPECT_EQ(a->GetParent(), board.area.get());
        continue;
      }
      ASSERT_NE(GroupOf(a), nullptr);
      EXPECT_EQ(GroupOf(a), GroupOf(b));
      EXPECT_EQ(GroupOf(a)->GetParent(), board.area.get());
      EXPECT_LT(Distance(AnchorInScene(a), keeperBefore), 0.01f);
      EXPECT_LT(Distance(AnchorInScene(b), ExpectedAnchor(b, a)), 0.01f);
      EXPECT_NEAR(CPuzzlePiece::NormalizeAngle(CPuzzlePiece::TotalAngle(b)), turn, 0.01f);
      EXPECT_TRUE(a->FindSlot(CPuzzlePiece::kRight)->connected);
      EXPECT_TRUE(b->FindSlot(CPuzzlePiece::kLeft)->connected);
    }
  }
}

TEST_F(PieceTest, DifferentTotalAnglesNeverConnectHoweverClose) {
  for (float turn : {90.0f, 180.0f, 0.6f}) {
    Board board = MakeBoard(2, 1);
    CPuzzlePiece* a = board.At(0, 0);
    CPuzzlePiece* b = board.At(1, 0);
    MoveBeside(b, b, a, PointF());
    b->SetOrigin(b->GetAnchor());
    b->SetRotation(turn);
    EXPECT_FALSE(a->TryConnect()) << turn;
    EXPECT_FALSE(b->TryConnect()) << turn;
  }
  // Within half a degree still counts as the same angle.
  Board board = MakeBoard(2, 1);
  MoveBeside(board.At(1, 0), board.At(1, 0), board.At(0, 0), PointF());
  board.At(1, 0)->SetRotation(0.4f);
  EXPECT_TRUE(board.At(0, 0)->TryConnect());
}

TEST_F(PieceTest, LonePieceJoinsTheGroupAndTwoGroupsBecomeOne) {
  Board board = MakeBoard(3, 1);
  CPuzzlePiece *a = board.At(0, 0), *b = board.At(1, 0), *c = board.At(2, 0);
  MoveBeside(b, b, a, PointF());
  ASSERT_TRUE(b->TryConnect());
  CPuzzleGroup* left = GroupOf(a);
  ASSERT_NE(left, nullptr);

  // A lone piece dropped beside the group joins that group; the group stays.
  left->SetRotation(90.0f);
  const PointF leftAnchor = AnchorInScene(a);
  c->SetOrigin(c->GetAnchor());
  c->SetRotation(90.0f);
  MoveBeside(c, c, b, PointF(3.0f, -4.0f));
  ASSERT_TRUE(c->TryConnect());
  EXPECT_EQ(GroupOf(c), left);
  EXPECT_LT(Distance(AnchorInScene(a), leftAnchor), 0.01f);
  EXPECT_LT(Distance(AnchorInScene(c), ExpectedAnchor(c, b)), 0.01f);

  // Two pairs, each already a group.
  Board second = MakeBoard(4, 1);
  CPuzzlePiece *p = second.At(0, 0), *q = second.At(1, 0), *r = second.At(2, 0), *s = second.At(3, 0);
  MoveBeside(q, q, p, PointF());
  ASSERT_TRUE(p->TryConnect());
  MoveBeside(s, s, r, PointF());
  ASSERT_TRUE(r->TryConnect());
  CPuzzleGroup* keeper = GroupOf(p);
  CRSWeakRef<CPuzzleGroup> joiner(GroupOf(r));
  ASSERT_NE(keeper, joiner.get());
  const PointF keeperAnchor = AnchorInScene(p);

  // The group of r and s is dropped near q: both of its pieces move into
  // q's group, exactly in place, and the emptied group goes once the event
  // queue runs.
  MoveBeside(joiner.get(), r, q, PointF(-5.0f, 5.0f));
  ASSERT_TRUE(r->TryConnect());
  for (CPuzzlePiece* piece : {p, q, r, s}) EXPECT_EQ(GroupOf(piece), keeper);
  EXPECT_LT(Distance(AnchorInScene(p), keeperAnchor), 0.01f);
  EXPECT_LT(Distance(AnchorInScene(s), ExpectedAnchor(s, p)), 0.01f);
  ASSERT_TRUE(joiner.get());
  EXPECT_EQ(joiner->GetParent(), nullptr);
  FlushEvents(nullptr);
  EXPECT_FALSE(joiner.get());
}

TEST_F(PieceTest, PuttingDownPlaysTheConnectSoundButTheBuildPassDoesNot) {
  int sounds = 0;
  struct Counter : sigslot::has_slots {
    int* count;
    void On(CPuzzlePiece*) { ++*count; }
  } counter;
  counter.count = &sounds;
  auto& sound = CRSSoundHandler::Instance();

  Board board = MakeBoard(3, 1);
  for (CPuzzlePiece* p : board.pieces) p->sigConnectSound.connect(&counter, &Counter::On);
  MoveBeside(board.At(1, 0), board.At(1, 0), board.At(0, 0), PointF());
  for (CPuzzlePiece* p : board.pieces) p->TryConnect();
  EXPECT_EQ(sounds, 0);
  EXPECT_EQ(sound.StateOf(CPuzzlePiece::kConnectSound, true), CRSSoundHandler::EntryState::kClosed);

  // A put-down runs the same test through the raise behaviour, with sound.
  CPuzzlePiece* last = board.At(2, 0);
  MoveBeside(last, last, board.At(1, 0), PointF(2.0f, 2.0f));
  auto* raise = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(last);
  ASSERT_NE(raise, nullptr);
  raise->Raise();
  raise->Lower();
  EXPECT_EQ(sounds, 1);
  EXPECT_NE(sound.StateOf(CPuzzlePiece::kConnectSound, true), CRSSoundHandler::EntryState::kClosed);
  EXPECT_EQ(GroupOf(last), GroupOf(board.At(0, 0)));
}

TEST_F(PieceTest, LastConnectionEmitsSolvedOnceAfterTheInputHandling) {
  // Two columns already joined are dropped beside the other two: two pairs
  // connect in the same put-down, yet the puzzle is solved only once.
  Board board = MakeBoard(2, 2);
  int solved = 0;
  struct Counter : sigslot::has_slots {
    int* count;
    void On() { ++*count; }
  } counter;
  counter.count = &solved;
  for (CPuzzlePiece* p : board.pieces) p->GetSolvedSignal()->connect(&counter, &Counter::On);

  CPuzzlePiece *tl = board.At(0, 0), *tr = board.At(1, 0), *bl = board.At(0, 1), *br = board.At(1, 1);
  MoveBeside(bl, bl, tl, PointF());
  ASSERT_TRUE(tl->TryConnect());
  MoveBeside(br, br, tr, PointF());
  ASSERT_TRUE(tr->TryConnect());
  FlushEvents(nullptr);
  EXPECT_EQ(solved, 0);

  CPuzzleGroup* right = GroupOf(tr);
  MoveBeside(right, tr, tl, PointF(1.0f, 1.0f));
  auto* raise = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(right);
  ASSERT_NE(raise, nullptr);
  raise->Raise();
  raise->Lower();
  EXPECT_EQ(solved, 0) << "solved must wait for the queue";
  FlushEvents(nullptr);
  EXPECT_EQ(solved, 1);
  FlushEvents(nullptr);
  EXPECT_EQ(solved, 1);
  CPuzzlePiece::PieceSet all;
  EXPECT_TRUE(tl->CollectConnected(all));
  EXPECT_EQ(all.size(), 4u);
}

TEST_F(PieceTest, ProgressCountsGroupsOfJoinedPieces) {
  Board board = MakeBoard(5, 2);
  EXPECT_EQ(ComputeProgress(board.pieces), 0);
  MoveBeside(board.At(1, 0), board.At(1, 0), board.At(0, 0), PointF());
  ASSERT_TRUE(board.At(0, 0)->TryConnect());
  EXPECT_EQ(ComputeProgress(board.pieces), 11);  // 10 pieces in 9 groups
  EXPECT_EQ(ComputeProgress({board.At(0, 0)}), 100);
  EXPECT_EQ(ComputeProgress({}), 0);

  // Clearing the flags makes them loose again for progress and connect test.
  board.At(0, 0)->DisconnectAll();
  EXPECT_EQ(ComputeProgress(board.pieces), 0);
  EXPECT_FALSE(board.At(1, 0)->FindSlot(CPuzzlePiece::kLeft)->connected);
}

TEST_F(PieceTest, NeighbourSlotsForgetPiecesThatAreGone) {
  Board board = MakeBoard(2, 1);
  CPuzzlePiece* a = board.At(0, 0);
  ASSERT_EQ(a->FindSlot(CPuzzlePiece::kRight)->piece.get(), board.At(1, 0));
  board.At(1, 0)->Delete();
  EXPECT_EQ(a->FindSlot(CPuzzlePiece::kRight)->piece.get(), nullptr);
  EXPECT_FALSE(a->TryConnect());
  // Slots are found by their normalised angle.
  EXPECT_EQ(a->FindSlot(360.0f), a->FindSlot(0.0f));
  EXPECT_EQ(a->FindSlot(90.0f), nullptr);
}

}  // namespace
