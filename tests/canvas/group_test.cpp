#include <gtest/gtest.h>

#include "canvas/items.h"
#include "item_test_support.h"

namespace {

using item_test::SolidPicture;

struct GroupWatch : sigslot::has_slots {
  int geometry = 0;
  int content = 0;
  void OnGeometry(CRSCanvasItem*) { ++geometry; }
  void OnContent(CRSCanvasItem*) { ++content; }
};

// A group of two pieces with a shadow and a highlight behind them, the way
// a joined pair of puzzle pieces is built.
struct PieceGroup {
  CRSCanvasItem root{PointF(), nullptr, "root"};
  CRSCanvasGroup* group;
  CRSCanvasImage* left;
  CRSCanvasImage* right;
  CRSCanvasImage* shadow;
  CRSCanvasImage* highlight;

  PieceGroup() {
    root.SetSize(SizeF(400, 400));
    group = new CRSCanvasGroup(PointF(100, 100), &root, "group");
    shadow = new CRSCanvasImage(PointF(8, 8), group, CRSCanvasGroup::kShadowName, SolidPicture(90, 50, 0x70000000));
    shadow->SetZOrder(0);
    highlight = new CRSCanvasImage(PointF(-8, -8), group, CRSCanvasGroup::kHighlightName,
                                   SolidPicture(100, 60, 0x90FFFF00));
    highlight->SetZOrder(1);
    left = new CRSCanvasImage(PointF(0, 0), group, "left", SolidPicture(40, 40, 0xFFFF0000));
    right = new CRSCanvasImage(PointF(40, 0), group, "right", SolidPicture(40, 40, 0xFF00FF00));
  }
};

TEST(GroupHitTest, TheGroupAnswersForItsPiecesButNotForItsShadow) {
  PieceGroup scene;
  EXPECT_EQ(scene.root.HitTest(PointF(110, 110)), scene.group);
  EXPECT_EQ(scene.root.HitTest(PointF(170, 130)), scene.group);
  // Below the pieces only the shadow lies: the click goes through.
  EXPECT_EQ(scene.root.HitTest(PointF(150, 145)), &scene.root);
  // Above and left of them only the highlight: the same.
  EXPECT_EQ(scene.root.HitTest(PointF(95, 95)), &scene.root);
  // Empty space of the group is never the group.
  scene.right->SetVisible(false);
  EXPECT_EQ(scene.root.HitTest(PointF(170, 130)), &scene.root);
  // A group inside a group: the outer one answers.
  auto* outer = new CRSCanvasGroup(PointF(0, 0), &scene.root, "outer");
  scene.group->SetParent(outer);
  EXPECT_EQ(scene.root.HitTest(PointF(110, 110)), outer);
}

TEST(GroupBoundsTest, BoundsCoverVisiblePiecesOnlyAndAreRecomputedAfterChanges) {
  PieceGroup scene;
  EXPECT_TRUE(scene.group->GetLocalRect().Equals(RectF(0, 0, 80, 40)));
  EXPECT_FALSE(scene.group->AreBoundsDirty());

  GroupWatch watch;
  scene.group->sigGeometryChanged.connect(&watch, &GroupWatch::OnGeometry);
  scene.group->sigContentChanged.connect(&watch, &GroupWatch::OnContent);

  // Moving the shadow or the highlight changes nothing about the group.
  scene.shadow->SetPosition(PointF(20, 20));
  scene.highlight->SetPosition(PointF(-20, -20));
  EXPECT_FALSE(scene.group->AreBoundsDirty());
  EXPECT_EQ(watch.geometry, 0);

  // Moving a piece does, once, and the cached rectangle follows.
  scene.right->SetPosition(PointF(40, 30));
  EXPECT_TRUE(scene.group->AreBoundsDirty());
  EXPECT_EQ(watch.geometry, 1);
  EXPECT_EQ(watch.content, 1);
  EXPECT_TRUE(scene.group->GetLocalRect().Equals(RectF(0, 0, 80, 70)));

  scene.left->SetVisible(false);
  EXPECT_TRUE(scene.group->GetLocalRect().Equals(RectF(40, 30, 40, 40)));

  // A piece that leaves the group stops reporting to it.
  scene.right->SetParent(&scene.root);
  scene.group->GetLocalRect();
  const int before = watch.geometry;
  scene.right->SetPosition(PointF(0, 0));
  EXPECT_EQ(watch.geometry, before);
  EXPECT_TRUE(scene.group->GetLocalRect().Equals(RectF(0, 0, 0, 0)));
}

// Reads the group's bounds whenever its geometry changes, as an alignment
// behaviour does.
struct BoundsReader : sigslot::has_slots {
  RectF last;
  void OnGeometry(CRSCanvasItem* item) { last = item->GetLocalRect(); }
};

TEST(GroupBoundsTest, APieceJoiningWhileBoundsAreReadIsStillFoundAfterwards) {
  PieceGroup scene;
  BoundsReader reader;
  scene.group->sigGeometryChanged.connect(&reader, &BoundsReader::OnGeometry);
  auto* third = new CRSCanvasImage(PointF(0, 40), nullptr, "third", SolidPicture(40, 40, 0xFF0000FF));
  third->SetParent(scene.group);
  EXPECT_EQ(scene.root.HitTest(PointF(110, 150)), scene.group);
  EXPECT_TRUE(scene.group->GetLocalRect().Equals(RectF(0, 0, 80, 80)));
  auto frame = item_test::Render(scene.root, 200, 200);
  EXPECT_EQ(frame->GetPixel(110, 150), 0xFF0000FFu);
}

TEST(GroupPaintTest, GroupsPaintTheirChildrenWhereverTheyAre) {
  PieceGroup scene;
  scene.group->SetRotation(90);
  auto frame = item_test::Render(scene.root, 200, 200);
  // Turned about its position, the red piece covers x 60..100, y 100..140.
  EXPECT_EQ(frame->GetPixel(80, 120), 0xFFFF0000u);
  EXPECT_EQ(frame->GetPixel(80, 160), 0xFF00FF00u);
  // Shadows draw beneath the pieces (a lower z-order).
  EXPECT_EQ(frame->GetPixel(88, 112), 0xFFFF0000u);
}

}  // namespace
