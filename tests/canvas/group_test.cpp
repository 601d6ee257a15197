#include <gtest/gtest.h>

#include <functional>
#include <vector>

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

// The bounds, the list of child items and the list the paint culls by are
// kept up to date change by change; after every kind of change they must be
// what reading the group anew gives (a new union of the visible pieces, the
// children that are items, every visible piece painted where it lies),
// whether they were read in between or not.
TEST(GroupBoundsTest, BoundsKeptChildByChildEqualANewUnionAfterEveryChange) {
  PieceGroup scene;
  std::vector<CRSCanvasImage*> pieces{scene.left, scene.right};
  for (int i = 0; i < 6; ++i)
    pieces.push_back(new CRSCanvasImage(PointF(10.0f * i, 50.0f), scene.group, "piece", SolidPicture(40, 40, 0xFF0000FF)));
  const auto expected = [&] {
    bool first = true;
    RectF all;
    for (CRSCanvasImage* piece : pieces) {
      if (piece->GetParent() != scene.group || !piece->IsVisible()) continue;
      const RectF b = piece->GetBoundsIn(scene.group);
      if (first) all = b, first = false;
      else RectF::Union(all, all, b);
    }
    return all;
  };
  const std::vector<std::function<void()>> steps = {
      [&] { pieces[2]->SetPosition(PointF(300, 10)); },   // out past the right edge
      [&] { pieces[2]->SetPosition(PointF(20, 20)); },    // back inside: the edge shrinks
      [&] { pieces[3]->SetPosition(PointF(25, 30)); },    // from inside to inside
      [&] { pieces[0]->SetVisible(false); },              // the corner piece hidden
      [&] { pieces[0]->SetVisible(true); },
      [&] { pieces[4]->SetRotation(45.0f); },
      [&] { pieces[7]->SetParent(&scene.root); },         // leaves the group
      [&] { pieces[7]->SetParent(scene.group); pieces[7]->SetPosition(PointF(-50, 200)); },
      [&] { pieces[5]->SetZOrder(0); },                  // to the bottom, among the soft images
      [&] { pieces[5]->SetZOrder(CRSCanvasItem::kZOrderDefault); },
      [&] { pieces[2]->MoveBeforeSibling(pieces[6]); },
      [&] { pieces[3]->SetParent(&scene.root); pieces[3]->SetParent(scene.group); },  // out and back at the end
      [&] { new CRSObject(scene.group, "not an item"); },
      [&] {  // one from the middle of the list goes, a new one comes last
        delete pieces[6];
        pieces[6] = new CRSCanvasImage(PointF(60, 90), scene.group, "piece", SolidPicture(40, 40, 0xFF0000FF));
      },
      [&] { for (CRSCanvasImage* piece : pieces) piece->MoveBy(PointF(3, -2)); },
  };
  const auto checkChildItems = [&](const std::string& when) {
    std::vector<CRSCanvasItem*> items;
    for (const auto& child : scene.group->GetChildren())
      if (auto* item = dynamic_cast<CRSCanvasItem*>(child.get())) items.push_back(item);
    EXPECT_EQ(scene.group->GetChildItems(), items) << when;
  };
  const auto checkPainted = [&](const std::string& when) {
    auto frame = item_test::Render(scene.root, 600, 600);
    for (CRSCanvasImage* piece : pieces) {
      if (piece->GetParent() != scene.group || !piece->IsVisible()) continue;
      const PointF centre = piece->MapToAncestor(PointF(20, 20), &scene.root);
      EXPECT_NE(frame->GetPixel(static_cast<int>(centre.X), static_cast<int>(centre.Y)), 0xFFFFFFFFu)
          << when << ": " << piece->GetName() << " at " << centre.X << ", " << centre.Y;
    }
  };
  for (bool readBetween : {true, false}) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
      steps[i]();
      const std::string when = "after step " + std::to_string(i) + (readBetween ? "" : " unread");
      if (readBetween || i + 1 == steps.size()) {
        EXPECT_TRUE(scene.group->GetLocalRect().Equals(expected())) << when;
        checkChildItems(when);
        checkPainted(when);
      }
    }
  }
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

// --- the kept picture of a group's children ---------------------------------

// Every pixel of two pictures the same (the kept picture is drawn on the
// same pixel grid as the children would be, so no tolerance is needed).
bool SamePixels(const Gdiplus::Bitmap& a, const Gdiplus::Bitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x)
      if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
  return true;
}

// Two copies of one scene: one group keeps a picture, the other paints its
// children every time. Whatever happens to both, they must look the same.
struct CachedAndDirect {
  PieceGroup cached;
  PieceGroup direct;
  CachedAndDirect() { cached.group->SetPaintCache(true); }

  template <class Change>
  void Apply(Change change) {
    change(cached);
    change(direct);
  }
  void ExpectSameFrames(const char* when) {
    auto a = item_test::Render(cached.root, 260, 260, 0xFF202080);
    auto b = item_test::Render(direct.root, 260, 260, 0xFF202080);
    EXPECT_TRUE(SamePixels(*a, *b)) << when;
  }
};

TEST(GroupPaintCacheTest, TheKeptPictureLooksLikeTheChildrenAndFollowsEveryChange) {
  CachedAndDirect scenes;
  CRSCanvasGroup* group = scenes.cached.group;
  scenes.ExpectSameFrames("first paint");
  EXPECT_FALSE(group->HasPaintCache());  // made only when nothing changed since
  scenes.ExpectSameFrames("second paint");
  ASSERT_TRUE(group->HasPaintCache());
  EXPECT_EQ(group->GetPaintCacheBuildCount(), 1);

  // Moving the group by whole pixels reuses the picture.
  scenes.Apply([](PieceGroup& s) { s.group->MoveBy(PointF(7, -3)); });
  scenes.ExpectSameFrames("moved by whole pixels");
  scenes.Apply([](PieceGroup& s) { s.group->MoveBy(PointF(-30, 40)); });
  scenes.ExpectSameFrames("moved again");
  EXPECT_EQ(group->GetPaintCacheBuildCount(), 1);

  // Changes below the group that announce nothing but a repaint: a colour
  // matrix, a hidden piece, a moved soft image, a new child.
  Gdiplus::ColorMatrix grey = {{{0.3f, 0.3f, 0.3f, 0, 0}, {0.3f, 0.3f, 0.3f, 0, 0}, {0.3f, 0.3f, 0.3f, 0, 0},
                                {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}}};
  scenes.Apply([&](PieceGroup& s) { s.left->SetColorMatrix(grey); });
  scenes.ExpectSameFrames("colour matrix");
  EXPECT_FALSE(group->HasPaintCache());
  scenes.ExpectSameFrames("colour matrix, kept");
  scenes.Apply([](PieceGroup& s) { s.right->SetVisible(false); });
  scenes.ExpectSameFrames("hidden piece");
  scenes.ExpectSameFrames("hidden piece, kept");
  scenes.Apply([](PieceGroup& s) { s.shadow->MoveBy(PointF(5, 9)); });
  scenes.ExpectSameFrames("shadow moved");
  scenes.ExpectSameFrames("shadow moved, kept");
  scenes.Apply([](PieceGroup& s) {
    new CRSCanvasImage(PointF(10, 45), s.group, "third", SolidPicture(30, 30, 0xFF0000FF));
  });
  scenes.ExpectSameFrames("child added");
  scenes.ExpectSameFrames("child added, kept");
  EXPECT_TRUE(group->HasPaintCache());

  // A turn or a move by part of a pixel puts the picture on another grid:
  // it is painted afresh, not shifted.
  const int builds = group->GetPaintCacheBuildCount();
  scenes.Apply([](PieceGroup& s) { s.group->SetRotation(90); });
  scenes.ExpectSameFrames("turned");
  scenes.ExpectSameFrames("turned, kept");
  scenes.Apply([](PieceGroup& s) { s.group->MoveBy(PointF(0.5f, 0.25f)); });
  scenes.ExpectSameFrames("moved by part of a pixel");
  scenes.ExpectSameFrames("moved by part of a pixel, kept");
  EXPECT_EQ(group->GetPaintCacheBuildCount(), builds + 2);

  // Switched off, the picture goes.
  group->SetPaintCache(false);
  EXPECT_FALSE(group->HasPaintCache());
  scenes.ExpectSameFrames("switched off");
}

TEST(GroupPaintCacheTest, AMovedGroupAsksOnceForEverythingItPaintsShadowsIncluded) {
  PieceGroup scene;
  scene.group->SetPaintCache(true);
  item_test::Render(scene.root, 260, 260);
  item_test::Render(scene.root, 260, 260);
  ASSERT_TRUE(scene.group->HasPaintCache());
  item_test::InvalidationRecorder recorder(scene.root);
  scene.group->MoveBy(PointF(20, 0));
  // The old area and the new one, not one request per child; and the move
  // keeps the picture.
  ASSERT_EQ(recorder.calls.size(), 2u);
  EXPECT_TRUE(scene.group->HasPaintCache());
  for (const auto& [item, rect] : recorder.calls) {
    EXPECT_EQ(item, scene.group);
    // Highlight (-8, -8, 100, 60) and shadow (8, 8, 90, 50) reach beyond
    // the pieces (0, 0, 80, 40).
    EXPECT_TRUE(rect.Equals(RectF(-8, -8, 106, 66))) << rect.X << " " << rect.Y << " " << rect.Width;
  }
  // A change inside a hidden group still drops the picture: it would be
  // stale when the group shows again.
  scene.group->SetVisible(false);
  scene.left->SetImage(SolidPicture(40, 40, 0xFF00FFFF), false);
  EXPECT_FALSE(scene.group->HasPaintCache());
  scene.group->SetVisible(true);
  auto frame = item_test::Render(scene.root, 260, 260);
  EXPECT_EQ(frame->GetPixel(130, 120), 0xFF00FFFFu);
}

}  // namespace
