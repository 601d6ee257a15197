#include "canvas/behaviours.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "behaviour_test_support.h"
#include "item_test_support.h"

namespace {

using item_test::Psnr;

using behaviour_test::BehaviourScene;
using behaviour_test::ExpectPoint;
constexpr unsigned kDown = platform::kMsgLButtonDown;
constexpr unsigned kUp = platform::kMsgLButtonUp;
constexpr unsigned kMove = platform::kMsgMouseMove;

using BehaviourTest = BehaviourScene;


struct ItemLog : sigslot::has_slots {
  std::vector<CRSCanvasItem*> items;
  void On(CRSCanvasItem* item) { items.push_back(item); }
};

// --- attachment ----------------------------------------------------------------

TEST_F(BehaviourTest, OneBehaviourPerKindAndGetOrCreateFindsTheExistingOne) {
  CRSCanvasItem* item = AddItem(PointF(10, 10), SizeF(20, 20));
  auto* first = new CBehaviourDrag(item);
  CRSAutoPtrLifeGuard firstAlive(first);
  auto* second = new CBehaviourDrag(item);
  EXPECT_FALSE(firstAlive.Alive());
  EXPECT_EQ(item->GetBehaviours().size(), 1u);
  EXPECT_EQ(CBehaviourDrag::GetOrCreate(item), second);
  EXPECT_EQ(CBehaviourDrag::GetOrCreate(nullptr), nullptr);
  EXPECT_EQ(CBehaviourAlign::GetOrCreate(nullptr), nullptr);
  EXPECT_EQ(CBehaviourMessageHandler::GetOrCreate(nullptr), nullptr);

  // Kinds are told apart: a second kind joins the first.
  auto* raise = new CBehaviourRaiseable(item);
  EXPECT_EQ(CBehaviourDrag::GetOrCreate(item), second);
  EXPECT_EQ(CBehaviourRaiseable::GetOrCreate(item), raise);

  // A puzzle alignment replaces a plain one: two aligners would fight.
  CRSAutoPtrLifeGuard alignAlive(new CBehaviourAlign(item, 0));
  auto* puzzleAlign = CPuzzleBehaviourAlign::GetOrCreate(item);
  EXPECT_FALSE(alignAlive.Alive());
  EXPECT_EQ(CBehaviourAlign::GetOrCreate(item), puzzleAlign);
}

// --- drag ----------------------------------------------------------------------

TEST_F(BehaviourTest, DraggingKeepsThePressedPointUnderThePointer) {
  // Turned and with its origin elsewhere, so that a mistake in the origin or
  // in the mapping shows as a jump.
  CRSCanvasItem* item = AddItem(PointF(100, 100), SizeF(50, 40));
  item->SetOrigin(PointF(25, 20));
  item->SetRotation(90);
  new CBehaviourDrag(item);
  EXPECT_EQ(item->GetCursor(), CBehaviourDrag::kCursorHand);
  const PointF pressed = behaviour_test::RootToLocal(*item, PointF(95, 110));
  const PointF cornerBefore = item->MapToAncestor(PointF(), nullptr);

  Mouse(item, kDown, PointF(95, 110));
  ExpectPoint(item->MapToAncestor(PointF(), nullptr), cornerBefore.X, cornerBefore.Y);
  ExpectPoint(item->GetOrigin(), pressed.X, pressed.Y);

  Mouse(item, kMove, PointF(300, 250));
  ExpectPoint(item->MapToAncestor(pressed, nullptr), 300, 250);
  Mouse(item, kMove, PointF(310, 240));
  ExpectPoint(item->MapToAncestor(pressed, nullptr), 310, 240);
  EXPECT_NEAR(item->GetRotation(), 90, 1e-3);

  // After the release, movement no longer drags.
  Mouse(item, kUp, PointF(310, 240));
  Mouse(item, kMove, PointF(0, 0));
  ExpectPoint(item->MapToAncestor(pressed, nullptr), 310, 240);
}

// --- raise ---------------------------------------------------------------------

TEST_F(BehaviourTest, PressingLiftsToTheTopWithADeeperShadowAndReleasingRestoresAll) {
  CRSCanvasItem* piece = AddItem(PointF(100, 100), SizeF(40, 30));
  CRSCanvasItem* other = AddItem(PointF(300, 300), SizeF(40, 30));
  piece->SetZOrder(5);
  auto* raise = new CBehaviourRaiseable(piece);
  ItemLog raised, lowered;
  raise->sigRaised.connect(&raised, &ItemLog::On);
  raise->sigLowered.connect(&lowered, &ItemLog::On);
  CBehaviourShadow* shadow = CRSCanvasBehaviour::Find<CBehaviourShadow>(piece);
  ASSERT_NE(shadow, nullptr);
  ExpectPoint(shadow->GetOffset(), 4, 4);
  ASSERT_NE(shadow->GetImage(), nullptr);
  const PointF shadowAt = shadow->GetImage()->GetTopLeft();
  ExpectPoint(shadowAt, 100 - 4 + 4, 100 - 4 + 4);

  Mouse(piece, kDown, PointF(110, 110));
  ExpectPoint(piece->GetTopLeft(), 98, 98);
  EXPECT_EQ(piece->GetZOrder(), CRSCanvasItem::kZOrderTop);
  EXPECT_EQ(root->GetChildItems().back(), piece);
  ExpectPoint(shadow->GetOffset(), 9, 9);
  // The shadow falls below the lifted piece, offset on screen.
  ExpectPoint(shadow->GetImage()->GetTopLeft(), 98 - 4 + 9, 98 - 4 + 9);
  auto order = root->GetChildItems();
  EXPECT_LT(std::find(order.begin(), order.end(), shadow->GetImage()) - order.begin(),
            std::find(order.begin(), order.end(), piece) - order.begin());
  EXPECT_EQ(raised.items, std::vector<CRSCanvasItem*>{piece});

  Mouse(piece, kUp, PointF(110, 110));
  ExpectPoint(piece->GetTopLeft(), 100, 100);
  EXPECT_EQ(piece->GetZOrder(), 5);
  EXPECT_EQ(root->GetChildItems().front(), shadow->GetImage());
  ExpectPoint(shadow->GetOffset(), 4, 4);
  ExpectPoint(shadow->GetImage()->GetTopLeft(), shadowAt.X, shadowAt.Y);
  EXPECT_EQ(lowered.items, std::vector<CRSCanvasItem*>{piece});
  (void)other;
}

TEST_F(BehaviourTest, AProgrammaticRaiseEndsAtTheNextKeyOrClickAnywhere) {
  CRSCanvasItem* piece = AddItem(PointF(100, 100), SizeF(40, 30));
  CRSCanvasItem* elsewhere = AddItem(PointF(400, 400), SizeF(40, 30));
  auto* raise = new CBehaviourRaiseable(piece);
  raise->Raise();
  raise->Raise();  // a second raise changes nothing
  ExpectPoint(piece->GetTopLeft(), 98, 98);
  DispatchEvent(elsewhere, std::make_unique<CRSCanvasEvents::Key>(static_cast<int>(platform::kMsgKeyDown), 65, 0));
  EXPECT_FALSE(raise->IsRaised());
  ExpectPoint(piece->GetTopLeft(), 100, 100);

  raise->Raise();
  Mouse(elsewhere, kDown, PointF(410, 410));
  EXPECT_FALSE(raise->IsRaised());
  // The one-shot connection is gone: the next raise by press is not ended by
  // its own press.
  Mouse(piece, kDown, PointF(110, 110));
  EXPECT_TRUE(raise->IsRaised());
}

TEST_F(BehaviourTest, AnItemAlreadyOnTopDoesNotDriftThroughRaiseAndLower) {
  CRSCanvasItem* piece = AddItem(PointF(100, 100), SizeF(40, 30));
  piece->SetZOrder(CRSCanvasItem::kZOrderTop);
  auto* raise = new CBehaviourRaiseable(piece);
  for (int i = 0; i < 3; ++i) {
    raise->Raise();
    raise->Lower();
  }
  ExpectPoint(piece->GetTopLeft(), 100, 100);
  EXPECT_EQ(piece->GetZOrder(), CRSCanvasItem::kZOrderTop);
}

// --- highlight and shadow ------------------------------------------------------

TEST_F(BehaviourTest, HighlightIsPaintedDirectlyUnderItsItemAndFollowsIt) {
  CRSCanvasItem* before = AddItem(PointF(0, 0), SizeF(10, 10));
  CRSCanvasItem* item = AddItem(PointF(100, 100), SizeF(40, 30));
  CRSCanvasItem* after = AddItem(PointF(0, 0), SizeF(10, 10));
  EXPECT_EQ(CBehaviourHighlight::SetHighlight(item, false), nullptr) << "switching off makes nothing";
  CBehaviourHighlight* highlight = CBehaviourHighlight::SetHighlight(item, true);
  ASSERT_NE(highlight, nullptr);
  CRSCanvasImage* image = highlight->GetImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetName(), CRSCanvasGroup::kHighlightName);
  EXPECT_EQ(root->GetChildItems(), (std::vector<CRSCanvasItem*>{before, image, item, after}));
  EXPECT_TRUE(image->IsVisible());
  ExpectPoint(image->GetTopLeft(), 92, 92);
  EXPECT_NEAR(image->GetSize().Width, 55, 1e-3);
  EXPECT_NEAR(image->GetSize().Height, 45, 1e-3);

  item->MoveBy(PointF(10, 5));
  ExpectPoint(image->GetTopLeft(), 102, 97);
  item->SetVisible(false);
  EXPECT_FALSE(image->IsVisible());
  item->SetVisible(true);
  EXPECT_TRUE(image->IsVisible());
  highlight->Disallow();
  EXPECT_FALSE(image->IsVisible());
  highlight->Allow();
  CBehaviourHighlight::SetHighlight(item, false);
  EXPECT_FALSE(image->IsVisible());

  // A highlight never gets a highlight of its own.
  EXPECT_EQ(CBehaviourHighlight::SetHighlight(image, true), nullptr);
}

TEST_F(BehaviourTest, AShadowRenderedAtItsFirstPaintAsksForARepaintOnlyWhereThatPaintMissedIt) {
  // The floor culls by its bounds, so what lies beyond it is never seen.
  auto* floor = AddItem(PointF(0, 0), SizeF(300, 300), nullptr, "floor");
  auto makePiece = [&](PointF at) {
    auto* piece = new CRSCanvasImage(at, floor, "piece", item_test::SolidPicture(40, 40, 0xFFFF0000));
    CBehaviourShadow::SetShadow(piece, PointF(4, 4));
    return CRSCanvasBehaviour::Find<CBehaviourShadow>(piece)->GetImage();
  };
  CRSCanvasImage* inside = makePiece(PointF(100, 100));
  CRSCanvasImage* halfOff = makePiece(PointF(280, 100));  // its shadow reaches beyond the floor
  {
    // A paint of the whole window renders both shadows and needs no second
    // paint: nothing it left out can be seen.
    item_test::InvalidationRecorder recorder(*root);
    auto frame = item_test::Render(*root, 400, 400);
    EXPECT_TRUE(recorder.calls.empty());
    ASSERT_NE(inside->GetImage(), nullptr);
    ASSERT_NE(halfOff->GetImage(), nullptr);
    // The shadow shows beside the piece, offset down and right.
    EXPECT_NE(frame->GetPixel(143, 143), 0xFFFFFFFFu);
  }
  // A paint that covers only part of a new shadow leaves the rest for a
  // repaint, which the shadow asks for.
  CRSCanvasImage* cut = makePiece(PointF(50, 200));
  item_test::InvalidationRecorder recorder(*root);
  auto partial = std::make_unique<Gdiplus::Bitmap>(400, 400, PixelFormat::Format32bppARGB);
  {
    Gdiplus::Graphics g(partial.get());
    g.SetClip(RectF(0, 0, 400, 220));
    root->Paint(g, CRSCanvasItem::kZOrderTop, true);
  }
  ASSERT_NE(cut->GetImage(), nullptr);
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].first, cut);
}

// A shadow first painted far smaller than its item is made from the item's
// halved picture: it must look as one made at full size and drawn as small,
// and be made at full size again once the item is drawn at its own size.
TEST_F(BehaviourTest, AShadowMetSmallLooksAsOneMadeLargeAndSharpensWhenDrawnLarge) {
  auto disc = std::make_shared<Gdiplus::Bitmap>(80, 80, PixelFormat::Format32bppARGB);
  {
    Gdiplus::Graphics g(disc.get());
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::SolidBrush red(Gdiplus::Color(0xFFC02020u));
    g.FillEllipse(&red, RectF(4.0f, 4.0f, 72.0f, 72.0f));
  }
  struct Floor {
    CRSCanvasItem* floor;
    CRSCanvasImage* shadow;
  };
  auto makeFloor = [&](const char* name) {
    auto* floor = AddItem(PointF(0, 0), SizeF(800, 600), nullptr, name);
    CRSCanvasImage* shadow = nullptr;
    for (int i = 0; i < 4; ++i) {
      auto* piece = new CRSCanvasImage(PointF(20.0f + 110.0f * static_cast<float>(i), 30.0f), floor, "piece", disc);
      CBehaviourShadow::SetShadow(piece, PointF(6, 6));
      shadow = CRSCanvasBehaviour::Find<CBehaviourShadow>(piece)->GetImage();
    }
    floor->SetVisible(false);
    return Floor{floor, shadow};
  };
  const auto show = [&](const Floor& f, float scale, int w, int h) {
    f.floor->SetVisible(true);
    f.floor->SetScale(PointF(scale, scale));
    auto frame = item_test::Render(*root, w, h);
    f.floor->SetVisible(false);
    return frame;
  };
  const Floor seenLarge = makeFloor("seenLarge"), metSmall = makeFloor("metSmall");
  const auto largeBefore = show(seenLarge, 1.0f, 480, 140);
  const int fullWidth = seenLarge.shadow->GetImage()->GetWidth();
  for (const float scale : {0.4f, 0.2f}) {
    const auto expected = show(seenLarge, scale, 200, 60);
    const auto small = show(metSmall, scale, 200, 60);
    EXPECT_LT(metSmall.shadow->GetImage()->GetWidth() * 3 / 2, fullWidth) << scale;
    EXPECT_GT(Psnr(*small, *expected), 40.0) << scale;
    // Without its shadow the same floor differs far more.
    metSmall.shadow->SetVisible(false);
    EXPECT_LT(Psnr(*show(metSmall, scale, 200, 60), *expected), 40.0) << scale;
    metSmall.shadow->SetVisible(true);
  }
  const auto largeAfter = show(metSmall, 1.0f, 480, 140);
  EXPECT_EQ(metSmall.shadow->GetImage()->GetWidth(), fullWidth);
  EXPECT_GT(Psnr(*largeAfter, *largeBefore), 60.0);
}

TEST_F(BehaviourTest, ShadowFallsTheSameWayOnScreenWhateverTheRotation) {
  auto* frame = new CRSCanvasItem(PointF(200, 200), root, "frame");
  frame->SetSize(SizeF(300, 300));
  frame->SetRotation(90);
  CRSCanvasItem* item = AddItem(PointF(50, 50), SizeF(40, 30), frame);
  item->SetRotation(180);
  CBehaviourShadow::SetShadow(item, PointF(6, 7));
  CBehaviourShadow* shadow = CRSCanvasBehaviour::Find<CBehaviourShadow>(item);
  CRSCanvasImage* image = shadow->GetImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetParent(), frame);
  EXPECT_LT(image->GetZOrder(), item->GetZOrder());
  const PointF corner = item->MapToAncestor(PointF(-4, -4), nullptr);
  const PointF shadowCorner = image->MapToAncestor(PointF(), nullptr);
  ExpectPoint(shadowCorner, corner.X + 6, corner.Y + 7);

  // Turning an ancestor moves the shadow with the item, still offset the
  // same way on screen.
  frame->SetRotation(0);
  const PointF corner2 = item->MapToAncestor(PointF(-4, -4), nullptr);
  ExpectPoint(image->MapToAncestor(PointF(), nullptr), corner2.X + 6, corner2.Y + 7);

  // The shadows of a group's items share one watch over the group's
  // ancestors: each still falls the same way after the group is turned, is
  // taken off, gains an item while off and is put under a turned parent.
  auto* group = new CRSCanvasGroup(PointF(20, 20), frame, "group");
  std::vector<CRSCanvasItem*> members{AddItem(PointF(0, 0), SizeF(20, 20), group),
                                      AddItem(PointF(30, 0), SizeF(20, 20), group)};
  for (CRSCanvasItem* member : members) CBehaviourShadow::SetShadow(member, PointF(6, 7));
  group->SetRotation(90);
  group->SetParent(nullptr);
  members.push_back(AddItem(PointF(0, 30), SizeF(20, 20), group));
  CBehaviourShadow::SetShadow(members.back(), PointF(6, 7));
  frame->SetRotation(270);
  group->SetParent(frame);
  for (CRSCanvasItem* member : members) {
    const PointF at = member->MapToAncestor(PointF(-4, -4), nullptr);
    ExpectPoint(CRSCanvasBehaviour::Find<CBehaviourShadow>(member)->GetImage()->MapToAncestor(PointF(), nullptr),
                at.X + 6, at.Y + 7);
  }

  // A zero offset switches the shadow off without deleting it.
  CBehaviourShadow::SetShadow(item, PointF());
  EXPECT_FALSE(image->IsVisible());
  CBehaviourShadow::SetShadow(item, PointF(3, 3));
  EXPECT_TRUE(image->IsVisible());
  // A zero offset on an item without a shadow makes none.
  CRSCanvasItem* bare = AddItem(PointF(), SizeF(5, 5));
  CBehaviourShadow::SetShadow(bare, PointF());
  EXPECT_TRUE(bare->GetBehaviours().empty());
}

TEST_F(BehaviourTest, SoftImagesFollowReparentingAndLeaveWithTheirItem) {
  auto* first = new CRSCanvasItem(PointF(0, 0), root, "first");
  auto* second = new CRSCanvasItem(PointF(300, 0), root, "second");
  CRSCanvasItem* item = AddItem(PointF(10, 10), SizeF(40, 30), first);
  CBehaviourShadow::SetShadow(item, PointF(4, 4));
  CBehaviourHighlight::SetHighlight(item, true);
  item->SetParent(second);
  EXPECT_EQ(second->FindChild(CRSCanvasGroup::kShadowName) != nullptr, true);
  EXPECT_EQ(second->FindChild(CRSCanvasGroup::kHighlightName) != nullptr, true);
  EXPECT_EQ(first->FindChild(CRSCanvasGroup::kShadowName), nullptr);
  ExpectPoint(CRSCanvasBehaviour::Find<CBehaviourShadow>(item)->GetImage()->MapToAncestor(PointF(), nullptr), 310, 10);

  // A content change rebuilds the image; the old one does not stay behind.
  item->sigContentChanged(item);
  item->sigContentChanged(item);
  int shadows = 0;
  for (CRSCanvasItem* child : second->GetChildItems()) shadows += child->GetName() == CRSCanvasGroup::kShadowName;
  EXPECT_EQ(shadows, 1);

  item->Delete();
  EXPECT_EQ(second->GetChildItems().size(), 0u) << "the item's shadow and glow must go with it";
}

// --- alignment and sizing -----------------------------------------------------

TEST_F(BehaviourTest, ACentredDialogStaysCentredAndCannotBeMovedAway) {
  CRSCanvasItem* dialog = AddItem(PointF(10, 10), SizeF(200, 100));
  auto* align = CBehaviourAlign::GetOrCreate(dialog);
  EXPECT_EQ(align->GetFlags(), CBehaviourAlign::kCentre);
  ExpectPoint(dialog->GetTopLeft(), 300, 250);
  root->SetSize(SizeF(1000, 700));
  ExpectPoint(dialog->GetTopLeft(), 400, 300);
  dialog->SetPosition(PointF(0, 0));
  ExpectPoint(dialog->GetTopLeft(), 400, 300);
  dialog->SetSize(SizeF(100, 50));
  ExpectPoint(dialog->GetTopLeft(), 450, 325);

  // Moved to another parent, it follows that parent's size instead.
  CRSCanvasItem* panel = AddItem(PointF(0, 0), SizeF(300, 300));
  dialog->SetParent(panel);
  ExpectPoint(dialog->GetTopLeft(), 100, 125);
  root->SetSize(SizeF(500, 500));
  ExpectPoint(dialog->GetTopLeft(), 100, 125);
  panel->SetSize(SizeF(400, 300));
  ExpectPoint(dialog->GetTopLeft(), 150, 125);
}

TEST_F(BehaviourTest, EdgeAndKeepInsideAlignment) {
  CRSCanvasItem* item = AddItem(PointF(10, 10), SizeF(200, 100));
  auto* align = new CBehaviourAlign(item, CBehaviourAlign::kRight | CBehaviourAlign::kTop);
  align->SetMargins(5, 7);
  ExpectPoint(item->GetTopLeft(), 800 - 5 - 200, 7);

  auto* inside = new CBehaviourAlign(item, CBehaviourAlign::kKeepInside);
  inside->SetMargins(10, 10);
  item->SetPosition(PointF(-50, 300));
  ExpectPoint(item->GetTopLeft(), 10, 300);
  item->SetPosition(PointF(700, 550));
  ExpectPoint(item->GetTopLeft(), 800 - 10 - 200, 600 - 10 - 100);
  // Bounds, not the position, decide: a turned item is kept inside by its
  // turned outline.
  item->SetRotation(90);
  const RectF bounds = item->GetBoundsIn(root);
  EXPECT_GE(bounds.X, 10 - 1e-3);
  EXPECT_LE(bounds.GetBottom(), 590 + 1e-3);
}

TEST_F(BehaviourTest, PuzzleAlignmentLetsALargeItemOutWhileItCoversTheCentre) {
  CRSCanvasItem* big = AddItem(PointF(0, 0), SizeF(600, 400));  // larger than half of 800 × 600
  new CPuzzleBehaviourAlign(big, CBehaviourAlign::kKeepInside);
  big->SetPosition(PointF(-150, -80));
  ExpectPoint(big->GetTopLeft(), -150, -80);
  // Too far: the item would no longer reach the centre lines (400, 300).
  big->SetPosition(PointF(500, -500));
  ExpectPoint(big->GetTopLeft(), 400, -100);
}

TEST_F(BehaviourTest, SizingFollowsTheParentExceptForQuarterTurnedItems) {
  CRSCanvasItem* item = AddItem(PointF(0, 0), SizeF(10, 10));
  auto* size = new CBehaviourSize(item, PointF(0.5f, 0.25f), CBehaviourSize::kWidth | CBehaviourSize::kHeight);
  EXPECT_NEAR(item->GetSize().Width, 400, 1e-3);
  EXPECT_NEAR(item->GetSize().Height, 150, 1e-3);
  size->SetMargins(100, 200);
  EXPECT_NEAR(item->GetSize().Width, 350, 1e-3);
  EXPECT_NEAR(item->GetSize().Height, 100, 1e-3);
  root->SetSize(SizeF(500, 600));
  EXPECT_NEAR(item->GetSize().Width, 200, 1e-3);
  // Resizing the item itself is put right at once.
  item->SetSize(SizeF(5, 5));
  EXPECT_NEAR(item->GetSize().Width, 200, 1e-3);

  item->SetRotation(90);
  root->SetSize(SizeF(900, 900));
  EXPECT_NEAR(item->GetSize().Width, 200, 1e-3);
  EXPECT_NEAR(item->GetSize().Height, 100, 1e-3);
  item->SetRotation(180);
  root->SetSize(SizeF(700, 900));
  EXPECT_NEAR(item->GetSize().Width, 300, 1e-3);

  // Keeping the aspect takes the smaller of the two scales.
  CRSCanvasItem* picture = AddItem(PointF(0, 0), SizeF(40, 20));
  auto* both = new CBehaviourSize(picture, PointF(1, 1), CBehaviourSize::kWidth | CBehaviourSize::kHeight);
  both->SetKeepAspect(true);
  EXPECT_NEAR(picture->GetSize().Width, 700, 1e-3);
  EXPECT_NEAR(picture->GetSize().Height, 900, 1e-3);
  root->SetSize(SizeF(350, 1000));
  EXPECT_NEAR(picture->GetSize().Width, 350, 1e-3);
  EXPECT_NEAR(picture->GetSize().Height, 450, 1e-3);
  root->SetSize(SizeF(1400, 450));
  EXPECT_NEAR(picture->GetSize().Width, 350, 1e-3);
  EXPECT_NEAR(picture->GetSize().Height, 450, 1e-3);
  EXPECT_EQ(CBehaviourSize::GetOrCreate(picture), both);
}

// --- press signals, keys and selection ---------------------------------------

TEST_F(BehaviourTest, PressSignalsRunAtOnceAndLater) {
  CRSCanvasItem* button = AddItem(PointF(10, 10), SizeF(40, 20));
  auto* signals = CBehaviourSignalMousEvents::GetOrCreate(button);
  struct Log : sigslot::has_slots {
    std::vector<std::string> events;
    void Pressed(CRSCanvasItem*) { events.push_back("pressed"); }
    void PressedAt(CRSCanvasItem*, PointF& p) { events.push_back("at " + std::to_string(int(p.X))); }
    void Later() { events.push_back("later"); }
    void ItemLater(CRSAutoPtrPolymorphic<CRSCanvasItem> item) { events.push_back(item ? "item later" : "gone"); }
    void AtLater(CRSAutoPtrPolymorphic<CRSCanvasItem>, PointF p) { events.push_back("at later " + std::to_string(int(p.Y))); }
    void Double() { events.push_back("double"); }
  } log;
  signals->sigPressed.connect(&log, &Log::Pressed);
  signals->sigPressedAt.connect(&log, &Log::PressedAt);
  signals->sigPressedLater.connect(&log, &Log::Later);
  signals->sigPressedItemLater.connect(&log, &Log::ItemLater);
  signals->sigPressedAtLater.connect(&log, &Log::AtLater);
  signals->sigDoubleClickedLater.connect(&log, &Log::Double);

  Mouse(button, kDown, PointF(15, 17));
  EXPECT_EQ(log.events, (std::vector<std::string>{"pressed", "at 5"}));
  loop.PumpMessages(0);
  EXPECT_EQ(log.events, (std::vector<std::string>{"pressed", "at 5", "later", "item later", "at later 7"}));
  Mouse(button, platform::kMsgLButtonDblClk, PointF(15, 17));
  Mouse(button, kUp, PointF(15, 17));
  loop.PumpMessages(0);
  EXPECT_EQ(log.events.back(), "double");
  EXPECT_EQ(log.events.size(), 6u);

  // A later slot may delete the pressed item; an immediate slot doing so must
  // not make the behaviour touch its own freed signals.
  struct Deleter : sigslot::has_slots {
    void Pressed(CRSCanvasItem* item) { item->Delete(); }
  } deleter;
  signals->sigPressed.connect(&deleter, &Deleter::Pressed);
  Mouse(button, kDown, PointF(15, 17));
  loop.PumpMessages(0);
  EXPECT_TRUE(root->GetChildItems().empty());
}

TEST_F(BehaviourTest, KeyFiltersMoveToTheNewRootWhenATreeJoinsAnother) {
  auto* tree = new CRSCanvasItem(PointF(), nullptr, "tree");
  CRSCanvasItem* leaf = AddItem(PointF(), SizeF(5, 5), tree);
  auto* handler = CBehaviourMessageHandler::GetOrCreate(leaf);
  EXPECT_EQ(handler->GetItem(), tree);
  struct KeyLog : CRSEventReceiver {
    int keys = 0;
    int FilterEvent(CRSEventReceiver*, CRSEvents::BasicEvent& e) override {
      keys += e.GetType() == CRSEvents::kEventKey;
      return kVerdictContinue;
    }
  };
  CRSAutoPtrPolymorphic<KeyLog> listener(new KeyLog);
  AddFilter(handler, listener, CRSEvents::kEventKey);
  CRSAutoPtrLifeGuard oldAlive(handler);

  tree->SetParent(root);
  auto* rootHandler = CBehaviourMessageHandler::GetOrCreate(leaf);
  EXPECT_EQ(rootHandler->GetItem(), root);
  DispatchEvent(rootHandler, std::make_unique<CRSCanvasEvents::Key>(static_cast<int>(platform::kMsgKeyDown), 65, 0));
  EXPECT_EQ(listener->keys, 1);
  loop.PumpMessages(0);
  EXPECT_FALSE(oldAlive.Alive()) << "the old root's handler goes once the loop runs";
  RemoveFilter(rootHandler, listener, 0);
}

TEST_F(BehaviourTest, ExclusiveSelectionSwitchesHighlightsAndSignalsOnce) {
  CBehaviourExclusive exclusive;
  ItemLog selected;
  exclusive.sigSelected.connect(&selected, &ItemLog::On);
  std::vector<CRSCanvasItem*> items;
  for (int i = 0; i < 3; ++i) {
    CRSCanvasItem* item = AddItem(PointF(100.0f * i, 0), SizeF(50, 50));
    CBehaviourHighlight* highlight = CBehaviourHighlight::SetHighlight(item, i == 0);
    if (!highlight) highlight = new CBehaviourHighlight(item);
    exclusive.GetEntry(item).sigSelected.connect(highlight, &CBehaviourHighlight::SetOn);
    CBehaviourSignalMousEvents::GetOrCreate(item)->sigPressedItemLater.connect(&exclusive,
                                                                               &CBehaviourExclusive::Select);
    items.push_back(item);
  }
  EXPECT_EQ(&exclusive.GetEntry(items[1]), &exclusive.GetEntry(items[1]));

  Mouse(items[1], kDown, PointF(110, 10));
  EXPECT_TRUE(selected.items.empty()) << "selection follows the press, after it";
  loop.PumpMessages(0);
  EXPECT_EQ(selected.items, std::vector<CRSCanvasItem*>{items[1]});
  EXPECT_EQ(exclusive.GetSelection(), items[1]);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(CBehaviourHighlight::Find<CBehaviourHighlight>(items[i])->IsOn(), i == 1) << "item " << i;
  }
}

}  // namespace
