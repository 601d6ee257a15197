// Quarter turns: the animation driven by real timer ticks through the
// message loop, the one-turn-at-a-time rule, and turns cut short by
// deletion.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "behaviour_test_support.h"
#include "canvas/behaviours.h"

namespace {

using behaviour_test::BehaviourScene;
using behaviour_test::ExpectPoint;
constexpr unsigned kRight = platform::kMsgRButtonDown;

struct AngleLog : sigslot::has_slots {
  std::vector<float> angles;
  void On(CRSCanvasItem* item) {
    if (angles.empty() || std::fabs(angles.back() - item->GetRotation()) > 1e-3f) angles.push_back(item->GetRotation());
  }
};

class RotateTest : public BehaviourScene {
 protected:
  void TearDown() override {
    // A failed test must not leave the program-wide flag set for the next.
    EXPECT_FALSE(CBehaviourRotate90::IsAnyRotationRunning());
    BehaviourScene::TearDown();
  }
  void WaitForTurn(CBehaviourRotate90* rotate) {
    PumpUntil([&] { return !rotate->IsAnimating(); });
  }
};

TEST_F(RotateTest, SnapRoundsToTheQuarterTheProgramAlwaysChose) {
  EXPECT_EQ(CBehaviourRotate90::Snap(440), 450);
  EXPECT_EQ(CBehaviourRotate90::Snap(90), 90);
  EXPECT_EQ(CBehaviourRotate90::Snap(134), 90);
  EXPECT_EQ(CBehaviourRotate90::Snap(135), 180);
  EXPECT_EQ(CBehaviourRotate90::Snap(-90), -90);
  EXPECT_EQ(CBehaviourRotate90::Snap(0.4f), 0);
}

TEST_F(RotateTest, ARightClickTurnsAQuarterInFiveDegreeStepsAboutTheClickedPoint) {
  CRSCanvasItem* piece = AddItem(PointF(100, 100), SizeF(60, 40));
  auto* rotate = new CBehaviourRotate90(piece);
  AngleLog log;
  piece->sigGeometryChanged.connect(&log, &AngleLog::On);
  const std::uint32_t start = platform::GetTickCount();
  Mouse(piece, kRight, PointF(110, 120));
  EXPECT_TRUE(rotate->IsAnimating());
  EXPECT_TRUE(CBehaviourRotate90::IsAnyRotationRunning());
  WaitForTurn(rotate);
  const std::uint32_t took = platform::GetTickCount() - start;

  EXPECT_NEAR(piece->GetRotation(), 90, 1e-3);
  EXPECT_FALSE(CBehaviourRotate90::IsAnyRotationRunning());
  ASSERT_FALSE(log.angles.empty());
  for (float a : log.angles) EXPECT_NEAR(std::fmod(a, 5.0f), 0.0f, 1e-3) << a;
  for (size_t i = 1; i < log.angles.size(); ++i) EXPECT_GT(log.angles[i], log.angles[i - 1]);
  EXPECT_GE(log.angles.size(), 3u) << "the turn is animated, not a jump";
  EXPECT_LE(log.angles.size(), 1u + 18u) << "the starting angle and at most 18 steps";
  EXPECT_GE(took, 300u);
  // The clicked point did not move.
  ExpectPoint(piece->MapToAncestor(PointF(10, 20), nullptr), 110, 120);
}

TEST_F(RotateTest, ThreeHundredFiftyClockwiseEndsAtNinetyAndCtrlTurnsBack) {
  CRSCanvasItem* piece = AddItem(PointF(100, 100), SizeF(60, 40));
  piece->SetRotation(350);
  auto* rotate = CBehaviourRotate90::GetOrCreate(piece);
  AngleLog log;
  piece->sigGeometryChanged.connect(&log, &AngleLog::On);
  Mouse(piece, kRight, PointF(110, 110));
  EXPECT_NEAR(rotate->GetTargetAngle(), 90, 1e-3);
  WaitForTurn(rotate);
  EXPECT_NEAR(piece->GetRotation(), 90, 1e-3);
  // It went the short way round, clockwise through 0.
  for (float a : log.angles) EXPECT_TRUE(a >= 350 - 1e-3 || a <= 90 + 1e-3) << a;

  log.angles.clear();
  Mouse(piece, kRight, PointF(110, 110), platform::kKeyStateControl);
  WaitForTurn(rotate);
  EXPECT_NEAR(piece->GetRotation(), 0, 1e-3);
  for (float a : log.angles) EXPECT_LE(a, 90 + 1e-3);
  Mouse(piece, platform::kMsgRButtonDblClk, PointF(110, 110), platform::kKeyStateControl);
  WaitForTurn(rotate);
  EXPECT_NEAR(piece->GetRotation(), 270, 1e-3);
}

TEST_F(RotateTest, ARightClickDuringAnotherTurnDoesNothing) {
  CRSCanvasItem* first = AddItem(PointF(100, 100), SizeF(60, 40));
  CRSCanvasItem* second = AddItem(PointF(300, 100), SizeF(60, 40));
  auto* r1 = new CBehaviourRotate90(first);
  auto* r2 = new CBehaviourRotate90(second);
  Mouse(first, kRight, PointF(110, 110));
  Mouse(second, kRight, PointF(310, 110));
  Mouse(first, kRight, PointF(110, 110));  // nor a second click on the turning one
  EXPECT_FALSE(r2->IsAnimating());
  WaitForTurn(r1);
  EXPECT_NEAR(first->GetRotation(), 90, 1e-3);
  EXPECT_NEAR(second->GetRotation(), 0, 1e-3);
  // Once the first turn ended, the second item turns normally.
  Mouse(second, kRight, PointF(310, 110));
  WaitForTurn(r2);
  EXPECT_NEAR(second->GetRotation(), 90, 1e-3);
}

TEST_F(RotateTest, WhileTheLeftButtonHoldsTheItemItTurnsAboutTheGrabbedPoint) {
  CRSCanvasItem* piece = AddItem(PointF(100, 100), SizeF(60, 40));
  new CBehaviourDrag(piece);
  auto* rotate = new CBehaviourRotate90(piece);
  Mouse(piece, platform::kMsgLButtonDown, PointF(150, 130));
  Mouse(piece, platform::kMsgMouseMove, PointF(200, 150), platform::kKeyStateLButton);
  // Pretend the right click lands a little off the grabbed point: the turn
  // must still be about the grabbed point, not the clicked one.
  rotate->StartRotation(1, behaviour_test::RootToLocal(*piece, PointF(190, 140)), false);
  WaitForTurn(rotate);
  ExpectPoint(piece->MapToAncestor(PointF(50, 30), nullptr), 200, 150);
  Mouse(piece, kRight, PointF(200, 150), platform::kKeyStateLButton);
  WaitForTurn(rotate);
  EXPECT_NEAR(piece->GetRotation(), 180, 1e-3);
  ExpectPoint(piece->MapToAncestor(PointF(50, 30), nullptr), 200, 150);
}

TEST_F(RotateTest, DeletingTheItemMidTurnClearsTheWayForTheNextTurn) {
  CRSCanvasItem* doomed = AddItem(PointF(100, 100), SizeF(60, 40));
  CRSCanvasItem* next = AddItem(PointF(300, 100), SizeF(60, 40));
  new CBehaviourRotate90(doomed);
  auto* r2 = new CBehaviourRotate90(next);
  Mouse(doomed, kRight, PointF(110, 110));
  loop.PumpMessages(30);
  doomed->Delete();
  EXPECT_FALSE(CBehaviourRotate90::IsAnyRotationRunning());
  loop.PumpMessages(50);  // ticks already on their way reach nothing freed
  Mouse(next, kRight, PointF(310, 110));
  EXPECT_TRUE(r2->IsAnimating());
  WaitForTurn(r2);
  EXPECT_NEAR(next->GetRotation(), 90, 1e-3);
}

TEST_F(RotateTest, DeletingTheBehaviourWhileItsTickIsInFlightIsSafe) {
  CRSCanvasItem* piece = AddItem(PointF(100, 100), SizeF(60, 40));
  auto* rotate = new CBehaviourRotate90(piece);
  Mouse(piece, kRight, PointF(110, 110));
  // Let the timer thread post a tick that the loop has not delivered yet.
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  const float angle = piece->GetRotation();
  rotate->Delete();
  EXPECT_FALSE(CBehaviourRotate90::IsAnyRotationRunning());
  loop.PumpMessages(60);
  EXPECT_NEAR(piece->GetRotation(), angle, 1e-3) << "no tick may reach the deleted behaviour";
  // A new behaviour on the same item turns it again.
  auto* again = CBehaviourRotate90::GetOrCreate(piece);
  Mouse(piece, kRight, PointF(110, 110));
  WaitForTurn(again);
  EXPECT_NEAR(std::fmod(piece->GetRotation(), 90.0f), 0.0f, 1e-3);
}

TEST_F(RotateTest, ATurnStartedOnAHandleMapsTheClickIntoTheItem) {
  auto* group = new CRSCanvasGroup(PointF(200, 200), root, "group");
  CRSCanvasItem* piece = AddItem(PointF(0, 0), SizeF(40, 40), group);
  auto* rotate = new CBehaviourRotate90(group);
  // The group is the one that turns; the press arrives at the piece and is
  // filtered by the group's behaviour with the piece's coordinates.
  AddFilter(piece, rotate, CRSEvents::kEventMouse);
  Mouse(piece, kRight, PointF(210, 230));
  WaitForTurn(rotate);
  EXPECT_NEAR(group->GetRotation(), 90, 1e-3);
  ExpectPoint(group->MapToAncestor(PointF(10, 30), nullptr), 210, 230);
  RemoveFilter(piece, rotate, 0);
}

}  // namespace
