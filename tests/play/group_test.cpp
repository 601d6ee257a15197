// Groups pass their glow and shadow on to their pieces.

#include "play/group.h"

#include <gtest/gtest.h>

#include "canvas/event_dispatcher.h"
#include "tests/play/piece_test_support.h"

namespace {

using namespace piece_test;

TEST(GroupTest, HighlightAndShadowReachEveryPieceButNotTheSoftImages) {
  CRSEventDispatcher::Create();
  Board board = MakeBoard(3, 1);
  for (CPuzzlePiece* p : board.pieces) new CBehaviourHighlight(p);
  MoveBeside(board.At(1, 0), board.At(1, 0), board.At(0, 0), PointF());
  ASSERT_TRUE(board.At(0, 0)->TryConnect());
  MoveBeside(board.At(2, 0), board.At(2, 0), board.At(1, 0), PointF());
  ASSERT_TRUE(board.At(1, 0)->TryConnect());
  auto* group = dynamic_cast<CPuzzleGroup*>(board.At(0, 0)->GetParent());
  ASSERT_NE(group, nullptr);

  // Exactly one behaviour of each kind, the group's own kinds.
  auto* glow = CRSCanvasBehaviour::Find<CBehaviourHighlight>(group);
  auto* shadow = CRSCanvasBehaviour::Find<CBehaviourShadow>(group);
  ASSERT_NE(dynamic_cast<CPuzzleGroupHighlight*>(glow), nullptr);
  ASSERT_NE(dynamic_cast<CPuzzleGroupShadow*>(shadow), nullptr);
  EXPECT_EQ(glow->GetImage(), nullptr);
  EXPECT_EQ(shadow->GetImage(), nullptr);
  const std::size_t childrenBefore = group->GetChildren().size();

  glow->SetOn(true);
  for (CPuzzlePiece* p : board.pieces) EXPECT_TRUE(CRSCanvasBehaviour::Find<CBehaviourHighlight>(p)->IsOn());
  // Raising the group deepens every piece's shadow at once.
  auto* raise = CRSCanvasBehaviour::Find<CBehaviourRaiseable>(group);
  raise->Raise();
  for (CPuzzlePiece* p : board.pieces) {
    auto* s = CRSCanvasBehaviour::Find<CBehaviourShadow>(p);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->IsOn());
    EXPECT_TRUE(s->GetOffset().Equals(raise->GetRaisedShadowOffset()));
  }
  raise->Lower();
  shadow->SetOn(false);
  for (CPuzzlePiece* p : board.pieces) {
    EXPECT_FALSE(CRSCanvasBehaviour::Find<CBehaviourShadow>(p)->IsOn());
    EXPECT_TRUE(CRSCanvasBehaviour::Find<CBehaviourShadow>(p)->GetOffset().Equals(raise->GetLoweredShadowOffset()));
  }
  // Switching never adds items to the group (no glow of the group's own,
  // no glows of glows).
  EXPECT_EQ(group->GetChildren().size(), childrenBefore);

  // Losing the group's glow switches the pieces' glows off.
  glow->Delete();
  for (CPuzzlePiece* p : board.pieces) EXPECT_FALSE(CRSCanvasBehaviour::Find<CBehaviourHighlight>(p)->IsOn());
  FlushEvents(nullptr);
}

}  // namespace
