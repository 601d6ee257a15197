#include "canvas/items.h"

#include <gtest/gtest.h>

#include "canvas/event_dispatcher.h"
#include "item_test_support.h"
#include "platform/messages.h"

namespace {

using item_test::InvalidationRecorder;
using item_test::SolidPicture;

struct SignalCounter : sigslot::has_slots {
  int geometry = 0;
  int zorder = 0;
  std::vector<SizeF> resized;
  std::vector<SizeF> minSizes;
  void OnGeometry(CRSCanvasItem*) { ++geometry; }
  void OnZOrder(CRSCanvasItem*) { ++zorder; }
  void OnResized(CRSCanvasItem*, const SizeF& s) { resized.push_back(s); }
  void OnMinSize(CRSCanvasItem*, const SizeF& s) { minSizes.push_back(s); }
  void Watch(CRSCanvasItem& item) {
    item.sigGeometryChanged.connect(this, &SignalCounter::OnGeometry);
    item.sigZOrderChanged.connect(this, &SignalCounter::OnZOrder);
    item.sigResized.connect(this, &SignalCounter::OnResized);
    item.sigMinSizeChanged.connect(this, &SignalCounter::OnMinSize);
  }
};

PointF Mapped(const CRSCanvasItem& item, PointF p, const CRSCanvasItem* ancestor = nullptr) {
  return item.MapToAncestor(p, ancestor);
}

void ExpectPoint(PointF actual, float x, float y) {
  EXPECT_NEAR(actual.X, x, 1e-3) << "x of (" << actual.X << ", " << actual.Y << ")";
  EXPECT_NEAR(actual.Y, y, 1e-3) << "y of (" << actual.X << ", " << actual.Y << ")";
}

std::vector<CRSCanvasItem*> ChildOrder(const CRSCanvasItem& parent) {
  std::vector<CRSCanvasItem*> order;
  for (const auto& child : parent.GetChildren()) order.push_back(dynamic_cast<CRSCanvasItem*>(child.get()));
  return order;
}

TEST(ItemGeometryTest, AnglesAreNormalisedAndTinyChangesIgnored) {
  EXPECT_FLOAT_EQ(CRSCanvasItem::NormalizeAngle(370.0f), 10.0f);
  EXPECT_FLOAT_EQ(CRSCanvasItem::NormalizeAngle(-10.0f), 350.0f);
  EXPECT_FLOAT_EQ(CRSCanvasItem::NormalizeAngle(-360.0f), 360.0f);
  EXPECT_NEAR(CRSCanvasItem::NormalizeAngle(359.7f), -0.3f, 1e-4);
  EXPECT_FLOAT_EQ(CRSCanvasItem::NormalizeAngle(720.0f), 0.0f);
  EXPECT_FLOAT_EQ(CRSCanvasItem::NormalizeAngle(-90.0f), 270.0f);

  CRSCanvasItem item(PointF(0, 0), nullptr, "item");
  SignalCounter counter;
  counter.Watch(item);
  item.SetRotation(370.0f);
  EXPECT_FLOAT_EQ(item.GetRotation(), 10.0f);
  EXPECT_EQ(counter.geometry, 1);
  item.SetRotation(10.0005f);
  EXPECT_FLOAT_EQ(item.GetRotation(), 10.0f);
  EXPECT_EQ(counter.geometry, 1);
  item.SetRotation(-90.0f);
  EXPECT_FLOAT_EQ(item.GetRotation(), 270.0f);
}

TEST(ItemGeometryTest, SizeIsClampedToTheMinimumAndSignalled) {
  CRSCanvasItem item(PointF(0, 0), nullptr, "item");
  SignalCounter counter;
  counter.Watch(item);
  item.SetMinSize(SizeF(20, 5));
  ASSERT_EQ(counter.minSizes.size(), 1u);
  EXPECT_TRUE(item.GetSize().Equals(SizeF(20, 5)));

  const SizeF applied = item.SetSize(SizeF(10, 10));
  EXPECT_TRUE(applied.Equals(SizeF(20, 10)));
  EXPECT_TRUE(item.GetSize().Equals(SizeF(20, 10)));
  ASSERT_FALSE(counter.resized.empty());
  EXPECT_TRUE(counter.resized.back().Equals(SizeF(20, 10)));

  // Asking for what is already in force is no change at all.
  const size_t resizes = counter.resized.size();
  item.SetSize(SizeF(3, 10));
  EXPECT_EQ(counter.resized.size(), resizes);

  item.SetMinSize(SizeF(30, 40));
  EXPECT_TRUE(item.GetSize().Equals(SizeF(30, 40)));
}

TEST(ItemGeometryTest, LocalPointsMapThroughOriginScaleRotationAndPosition) {
  CRSCanvasItem parent(PointF(100, 200), nullptr, "parent");
  auto* item = new CRSCanvasItem(PointF(10, 20), &parent, "item");
  item->SetSize(SizeF(8, 6));
  item->SetScale(PointF(2, 1));
  item->SetRotation(90);
  item->SetOrigin(PointF(2, 3));
  // SetOrigin keeps the item where it is: the new origin lands where that
  // local point was before, so undo that to test the plain formula.
  item->SetPosition(PointF(10, 20));

  // (4, 3) − origin = (2, 0); scaled (4, 0); turned 90° clockwise (0, 4).
  ExpectPoint(Mapped(*item, PointF(4, 3), &parent), 10, 24);
  ExpectPoint(Mapped(*item, PointF(4, 3)), 110, 224);

  // The bounds in the parent are those of the turned, stretched rectangle.
  const RectF b = item->GetBoundsIn(&parent);
  EXPECT_NEAR(b.X, 10 - 3, 1e-3);  // local y −3..3 turned onto x
  EXPECT_NEAR(b.Y, 20 - 4, 1e-3);  // local x −2..6, doubled to −4..12, onto y
  EXPECT_NEAR(b.Width, 6, 1e-3);
  EXPECT_NEAR(b.Height, 16, 1e-3);
}

TEST(ItemGeometryTest, OriginChangesAndResizingKeepTheItemInPlace) {
  CRSCanvasItem item(PointF(100, 50), nullptr, "item");
  item.SetSize(SizeF(40, 20));
  item.SetRotation(30);
  const PointF cornerBefore = Mapped(item, PointF(0, 0));
  const PointF farBefore = Mapped(item, PointF(40, 20));

  item.SetOrigin(PointF(5, 5));
  ExpectPoint(Mapped(item, PointF(0, 0)), cornerBefore.X, cornerBefore.Y);
  ExpectPoint(Mapped(item, PointF(40, 20)), farBefore.X, farBefore.Y);
  EXPECT_FALSE(item.GetPosition().Equals(PointF(100, 50)));  // the origin moved the position

  item.SetSize(SizeF(60, 30));
  ExpectPoint(item.GetOrigin(), 0, 0);
  ExpectPoint(Mapped(item, PointF(0, 0)), cornerBefore.X, cornerBefore.Y);

  // Top-left placement keeps a non-zero origin.
  item.SetOrigin(PointF(10, 10));
  item.MoveTopLeftTo(PointF(7, 9));
  ExpectPoint(item.GetOrigin(), 10, 10);
  ExpectPoint(Mapped(item, PointF(0, 0)), 7, 9);
  ExpectPoint(item.GetTopLeft(), 7, 9);
}

TEST(ItemZOrderTest, ChildrenAreKeptInZOrderWithTheTopAlwaysLast) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* top = new CRSCanvasItem(PointF(), nullptr, "top");
  top->SetZOrder(CRSCanvasItem::kZOrderTop);
  top->SetParent(&root);
  auto make = [&root](int z, const char* name) {
    auto* item = new CRSCanvasItem(PointF(), nullptr, name);
    item->SetZOrder(z);
    item->SetParent(&root);
    return item;
  };
  auto* five = make(5, "five");
  auto* one = make(1, "one");
  auto* threeA = make(3, "threeA");
  auto* threeB = make(3, "threeB");
  auto* big = make(0x7FFFFFFD, "big");
  EXPECT_EQ(ChildOrder(root), (std::vector<CRSCanvasItem*>{one, threeA, threeB, five, big, top}));

  SignalCounter counter;
  counter.Watch(*one);
  one->SetZOrder(4);
  one->SetZOrder(4);
  EXPECT_EQ(counter.zorder, 1);
  EXPECT_EQ(ChildOrder(root), (std::vector<CRSCanvasItem*>{threeA, threeB, one, five, big, top}));

  // Out-of-range values are clamped; anything above the top counts as top.
  five->SetZOrder(0x7FFFFFFF);
  EXPECT_EQ(five->GetZOrder(), CRSCanvasItem::kZOrderTop);
  EXPECT_EQ(ChildOrder(root).back(), five);
  threeB->SetZOrder(-7);
  EXPECT_EQ(threeB->GetZOrder(), 0);
  EXPECT_EQ(ChildOrder(root).front(), threeB);
}

// An item that draws, so that invalidation reports it.
class DrawingItem : public CRSCanvasItem {
 public:
  DrawingItem(const PointF& p, CRSObject* parent, const std::string& name) : CRSCanvasItem(p, parent, name) {
    SetDrawsItself(true);
  }
};

TEST(ItemInvalidationTest, ChangesReachTheRootAsRequestsForWhatIsDrawn) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* group = new CRSCanvasGroup(PointF(10, 10), &root, "group");
  auto* a = new DrawingItem(PointF(0, 0), group, "a");
  auto* b = new DrawingItem(PointF(50, 0), group, "b");
  a->SetSize(SizeF(20, 10));
  b->SetSize(SizeF(30, 10));
  InvalidationRecorder recorder(root);

  a->SetPosition(PointF(5, 5));
  ASSERT_EQ(recorder.calls.size(), 2u);
  EXPECT_EQ(recorder.calls[0].first, a);
  EXPECT_TRUE(recorder.calls[1].second.Equals(RectF(0, 0, 20, 10)));

  recorder.calls.clear();
  a->SetPosition(PointF(5.0004f, 5));  // no change
  EXPECT_TRUE(recorder.calls.empty());

  // A group asks once, for the extent its children paint, not for each
  // child apart.
  group->Invalidate();
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].first, group);
  EXPECT_TRUE(recorder.calls[0].second.Equals(RectF(5, 0, 75, 15)));

  recorder.calls.clear();
  group->SetVisible(false);
  EXPECT_EQ(recorder.calls.size(), 1u);  // the drawn area, once, before hiding
  recorder.calls.clear();
  a->SetPosition(PointF(40, 40));
  a->Invalidate();
  EXPECT_TRUE(recorder.calls.empty());

  group->SetVisible(true);
  recorder.calls.clear();
  root.SetUpdatesEnabled(false);
  b->SetRotation(45);
  EXPECT_TRUE(recorder.calls.empty());
}

TEST(ItemHitTestTest, HiddenItemsAndTransparentPixelsAreNotHit) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  root.SetSize(SizeF(200, 200));
  auto* below = new CRSCanvasImage(PointF(0, 0), &root, "below", SolidPicture(100, 100, 0xFF0000FF));
  // A picture whose left half is transparent, lying on top of `below`.
  auto picture = SolidPicture(40, 20, 0xFFFF0000);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) picture->SetPixel(x, y, 0x00000000);
  auto* above = new CRSCanvasImage(PointF(10, 10), &root, "above", picture);

  EXPECT_EQ(root.HitTest(PointF(40, 15)), above);   // opaque half
  EXPECT_EQ(root.HitTest(PointF(15, 15)), below);   // transparent half: what lies beneath
  EXPECT_EQ(root.HitTest(PointF(150, 150)), &root);  // the root's own rectangle

  above->SetVisible(false);
  EXPECT_EQ(root.HitTest(PointF(40, 15)), below);

  // Hiding a parent hides its whole subtree from hits.
  auto* holder = new CRSCanvasItem(PointF(0, 0), &root, "holder");
  holder->SetSize(SizeF(200, 200));
  auto* inner = new CRSCanvasImage(PointF(0, 0), holder, "inner", SolidPicture(30, 30, 0xFF00FF00));
  EXPECT_EQ(root.HitTest(PointF(5, 5)), inner);
  holder->SetVisible(false);
  EXPECT_EQ(root.HitTest(PointF(5, 5)), below);
  root.SetVisible(false);
  EXPECT_EQ(root.HitTest(PointF(5, 5)), nullptr);
}

TEST(ItemHitTestTest, TurnedAndScaledItemsAreHitWhereTheyAppear) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  root.SetSize(SizeF(300, 300));
  auto* image = new CRSCanvasImage(PointF(100, 100), &root, "image", SolidPicture(40, 10, 0xFF000000));
  image->SetRotation(90);
  image->SetScale(PointF(2, 2));
  // Local x runs down the screen, doubled: the image covers x 80..100,
  // y 100..180.
  EXPECT_EQ(root.HitTest(PointF(90, 170)), image);
  EXPECT_EQ(root.HitTest(PointF(110, 110)), &root);
  EXPECT_EQ(root.HitTest(PointF(90, 190)), &root);
}

// Records its mouse calls and, when told to, handles them.
class MouseItem : public CRSCanvasItem {
 public:
  MouseItem(const PointF& p, CRSObject* parent, const std::string& name, bool handle)
      : CRSCanvasItem(p, parent, name), m_handle(handle) {}
  void OnMouse(int message, PointF local, int keyFlags, bool* handled) override {
    calls.push_back({message, local, keyFlags});
    if (m_handle) *handled = true;
  }
  struct Call {
    int message;
    PointF point;
    int flags;
  };
  std::vector<Call> calls;

 private:
  bool m_handle;
};

TEST(ItemMouseTest, UnhandledEventsBubbleWithPointsInEachParentsCoordinates) {
  MouseItem root(PointF(), nullptr, "root", true);
  root.SetCursor(32649);
  auto* middle = new MouseItem(PointF(100, 50), &root, "middle", false);
  middle->SetRotation(90);
  auto* button = new MouseItem(PointF(10, 0), middle, "button", false);
  button->SetScale(PointF(2, 2));

  DispatchEvent(button, new CRSCanvasEvents::Mouse(platform::kMsgLButtonDown, PointF(3, 4), 1));
  ASSERT_EQ(button->calls.size(), 1u);
  ExpectPoint(button->calls[0].point, 3, 4);
  ASSERT_EQ(middle->calls.size(), 1u);
  ExpectPoint(middle->calls[0].point, 16, 8);  // scaled, then moved by (10, 0)
  ASSERT_EQ(root.calls.size(), 1u);
  ExpectPoint(root.calls[0].point, 92, 66);  // turned 90°: (x, y) → (−y, x), then moved
  EXPECT_EQ(root.calls[0].message, static_cast<int>(platform::kMsgLButtonDown));
  EXPECT_EQ(root.calls[0].flags, 1);
  // No item on the way names a cursor, so the root's is shown.
  EXPECT_EQ(CRSCanvasItem::GetLoadedCursor(), 32649);

  // A handler that marks the event handled keeps it from the parents.
  MouseItem* stopper = new MouseItem(PointF(), middle, "stopper", true);
  stopper->SetCursor(32513);
  DispatchEvent(stopper, new CRSCanvasEvents::Mouse(platform::kMsgMouseMove, PointF(1, 1), 0));
  EXPECT_EQ(stopper->calls.size(), 1u);
  EXPECT_EQ(middle->calls.size(), 1u);
  EXPECT_EQ(CRSCanvasItem::GetLoadedCursor(), 32513);

  // A leave notice goes to the item alone, already handled.
  DispatchEvent(button, new CRSCanvasEvents::MouseLeave(platform::kMsgMouseLeave));
  ASSERT_EQ(button->calls.size(), 2u);
  EXPECT_EQ(button->calls[1].message, static_cast<int>(platform::kMsgMouseLeave));
  EXPECT_EQ(middle->calls.size(), 1u);
}

TEST(ItemLifetimeTest, DestroyingAnItemLeavesTheParentThenTakesChildrenAndBehavioursAlong) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* item = new CRSCanvasItem(PointF(), &root, "item");
  auto* child = new CRSCanvasItem(PointF(), item, "child");
  auto* behaviour = new CRSObject(nullptr, "behaviour");
  item->AddBehaviour(behaviour);
  item->AddBehaviour(behaviour);  // once only
  EXPECT_EQ(item->GetBehaviours().size(), 1u);
  CRSAutoPtrLifeGuard childAlive(child), behaviourAlive(behaviour), itemAlive(item);

  // When the item announces its end it has already left its parent.
  struct Watcher : sigslot::has_slots {
    CRSCanvasItem* root = nullptr;
    size_t rootChildren = 99;
    void OnDestroying() { rootChildren = root->GetChildItems().size(); }
  } watcher;
  watcher.root = &root;
  item->sigDestroying.connect(&watcher, &Watcher::OnDestroying);

  item->Delete();
  EXPECT_FALSE(itemAlive.Alive());
  EXPECT_FALSE(childAlive.Alive());
  EXPECT_FALSE(behaviourAlive.Alive());
  EXPECT_EQ(watcher.rootChildren, 0u);
  EXPECT_TRUE(root.GetChildItems().empty());

  // A behaviour already queued for deletion does not outlive its item.
  auto* other = new CRSCanvasItem(PointF(), &root, "other");
  auto* leaving = new CRSObject(nullptr, "leaving");
  other->AddBehaviour(leaving);
  CRSAutoPtrLifeGuard leavingAlive(leaving);
  leaving->DeleteLater();
  other->Delete();
  EXPECT_FALSE(leavingAlive.Alive());
  FlushEvents(nullptr);
}

TEST(ItemPaintTest, PrePaintNotificationPrecedesTheItemsOwnDrawing) {
  CRSCanvasItem root(PointF(), nullptr, "root");
  auto* image = new CRSCanvasImage(PointF(0, 0), &root, "image");
  image->SetSize(SizeF(10, 10));
  // The slot fills the empty image the first time it is painted, as the
  // glow behaviours do.
  struct Filler : sigslot::has_slots {
    std::vector<bool> cacheFlags;
    void OnPrePaint(CRSCanvasItem* item, Gdiplus::Graphics&, bool useCache) {
      cacheFlags.push_back(useCache);
      static_cast<CRSCanvasImage*>(item)->SetImage(SolidPicture(10, 10, 0xFF00FF00), false);
    }
  } filler;
  image->sigPrePaint.connect(&filler, &Filler::OnPrePaint);
  auto frame = item_test::Render(root, 20, 20);
  EXPECT_TRUE(filler.cacheFlags.empty());  // notification is off by default
  image->SetPrePaintNotification(true);
  frame = item_test::Render(root, 20, 20);
  ASSERT_EQ(filler.cacheFlags.size(), 1u);
  EXPECT_TRUE(filler.cacheFlags[0]);
  EXPECT_EQ(frame->GetPixel(5, 5), 0xFF00FF00u);
}

}  // namespace
