#include "play/table_viewport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/items/kept_layer.h"
#include "data/puzzle_image_data.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/play_room.h"
#include "play/table.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "tests/app/root_scene.h"
#include "tests/data/puzzle_test_support.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A view of a table of `table` units in a 1000 x 800 window, at `zoom` with
// its origin at `origin` (clamped by the rules as the game would).
CTableViewport View(SizeF table, float zoom = 1.0f, PointF origin = {}) {
  CTableViewport view;
  view.SetWindowSize(SizeF(1000, 800));
  view.SetTableSize(table);
  view.SetView(zoom, origin);
  return view;
}

bool Inside(const RectF& inner, const RectF& outer) {
  return inner.X >= outer.X - 0.01f && inner.Y >= outer.Y - 0.01f && inner.GetRight() <= outer.GetRight() + 0.01f &&
         inner.GetBottom() <= outer.GetBottom() + 0.01f;
}

// Each case acts on a view and states what the player must see afterwards.
TEST(TableViewport, ZoomPanAndClampRules) {
  const SizeF big(4000, 3000);
  const SizeF small(500, 400);
  struct Case {
    const char* rule;
    CTableViewport view;
    std::function<void(CTableViewport&)> act;
    float zoom;   // expected zoom, or NaN for "not checked"
    PointF origin;  // expected origin when `checkOrigin`
    bool checkOrigin;
  };
  const Case cases[] = {
      {"the wheel stops at 4", View(big, 3.9f, {1000, 1000}), [](auto& v) { v.ZoomSteps({500, 400}, 5); }, 4.0f, {}, false},
      {"the wheel stops where the table fits", View(big), [](auto& v) { v.ZoomSteps({500, 400}, -40); }, 0.25f, {}, false},
      {"a step up across 1 lands on 1", View(big, 0.95f, {1000, 1000}), [](auto& v) { v.ZoomSteps({500, 400}, 1); },
       1.0f, {}, false},
      {"a step down across 1 lands on 1", View(big, 1.05f, {1000, 1000}), [](auto& v) { v.ZoomSteps({500, 400}, -1); },
       1.0f, {}, false},
      {"a step from 1 leaves 1", View(big, 1.0f, {1000, 1000}), [](auto& v) { v.ZoomSteps({500, 400}, 1); }, 1.1f, {},
       false},
      {"a small table never zooms below 1", View(small), [](auto& v) { v.ZoomSteps({0, 0}, -3); }, 1.0f, {}, false},
      {"a large table keeps the window over it", View(big), [](auto& v) { v.PanBy({-5000, -5000}); }, 1.0f, {0, 0},
       true},
      {"panning stops at the far edges", View(big, 2.0f), [](auto& v) { v.PanBy({1e6f, 1e6f}); }, 2.0f, {3500, 2600},
       true},
      {"a small table stays inside the window", View(small), [](auto& v) { v.PanBy({5000, 5000}); }, 1.0f, {0, 0},
       true},
      {"a small table stays inside at the other side", View(small), [](auto& v) { v.PanBy({-5000, -5000}); }, 1.0f,
       {-500, -400}, true},
      {"a zoom that is not a number is 1 at the origin", View(big, 2.0f, {800, 800}),
       [](auto& v) { v.SetView(kNaN, {3, 3}); }, 1.0f, {0, 0}, true},
      {"an endless origin is the origin", View(big, 2.0f), [](auto& v) { v.SetView(2.0f, {kInf, 5}); }, 1.0f, {0, 0},
       true},
      {"an endless zoom about a point is 1", View(big, 2.0f), [](auto& v) { v.ZoomAbout({10, 10}, kInf); }, 1.0f, {},
       false},
      {"a table size that is not a number stays usable", View(big),
       [](auto& v) { v.SetTableSize({kNaN, -3}); }, 1.0f, {0, 0}, true},
  };
  for (const Case& c : cases) {
    CTableViewport view = c.view;
    c.act(view);
    EXPECT_NEAR(view.GetZoom(), c.zoom, 1e-4f) << c.rule;
    EXPECT_TRUE(std::isfinite(view.GetOrigin().X) && std::isfinite(view.GetOrigin().Y)) << c.rule;
    if (c.checkOrigin) {
      EXPECT_NEAR(view.GetOrigin().X, c.origin.X, 0.01f) << c.rule;
      EXPECT_NEAR(view.GetOrigin().Y, c.origin.Y, 0.01f) << c.rule;
    }
  }
}

// The table point under the pointer stays under it, zooming in and out, as
// long as the rules leave room for it (away from the table's edges).
TEST(TableViewport, ZoomKeepsThePointUnderThePointer) {
  for (float from : {0.3f, 1.0f, 2.5f}) {
    for (float to : {0.35f, 0.8f, 1.0f, 1.7f, 4.0f}) {
      for (PointF pointer : {PointF(500, 400), PointF(120, 700), PointF(930, 60)}) {
        CTableViewport view = View(SizeF(8000, 6000), from, {2500, 2000});
        const PointF under = view.ToTable(pointer);
        view.ZoomAbout(pointer, to);
        const PointF after = view.ToTable(pointer);
        EXPECT_NEAR(after.X, under.X, 0.05f) << from << " -> " << to;
        EXPECT_NEAR(after.Y, under.Y, 0.05f) << from << " -> " << to;
      }
    }
  }
}

TEST(TableViewport, BringIntoViewZoomsOutOnlyAsNeeded) {
  // Already in view: nothing moves.
  CTableViewport view = View(SizeF(4000, 3000), 2.0f, {1000, 1000});
  EXPECT_FALSE(view.BringIntoView(RectF(1100, 1100, 50, 50), 20));
  EXPECT_FLOAT_EQ(view.GetZoom(), 2.0f);
  // Out of view but small enough for this zoom: a pan alone.
  EXPECT_TRUE(view.BringIntoView(RectF(3000, 2500, 100, 80), 20));
  EXPECT_FLOAT_EQ(view.GetZoom(), 2.0f);
  EXPECT_TRUE(Inside(RectF(3000, 2500, 100, 80), view.GetVisibleRect()));
  // Wider than the window at this zoom: zoomed out to just fit it, not to
  // the whole table.
  EXPECT_TRUE(view.BringIntoView(RectF(200, 200, 1500, 300), 20));
  EXPECT_GT(view.GetZoom(), view.GetMinZoom());
  EXPECT_LT(view.GetZoom(), 1.0f);
  EXPECT_TRUE(Inside(RectF(200, 200, 1500, 300), view.GetVisibleRect()));
  // Larger than the table can show: never below the fit zoom.
  EXPECT_TRUE(view.BringIntoView(RectF(0, 0, 9000, 9000), 20));
  EXPECT_FLOAT_EQ(view.GetZoom(), view.GetMinZoom());
}

// The real room on a table of its own, 4000 x 3200 units in a 1000 x 800
// window: it zooms out to 0.25.
class TableScene : public RootScene {
 protected:
  void SetUp() override {
    RootScene::SetUp();
    AddPuzzleOnTable(4, 3, SizeF(4000, 3200));
    Open();
  }

  void Open() {
    room.Assign(dynamic_cast<CPuzzlePlayRoom*>(canvas->PlaySelectedPuzzle()));
    Pump(3);
    ASSERT_TRUE(room && room->IsOpen());
  }

  CPuzzlePiece* Piece(int i) { return room->GetPieces()[static_cast<std::size_t>(i)].get(); }

  // Lays piece `b` `gap` table units right of where it joins piece `a`,
  // every other piece far away, and puts `b` down at `zoom`.
  bool Joins(int a, int b, float zoom, float gap) {
    for (const auto& piece : room->GetPieces())
      piece->MoveTopLeftTo(PointF(3500.0f + 7.0f * static_cast<float>(piece->GetZOrder() % 50), 2900));
    room->SetCurrentItem(Piece(a));
    room->Hint();
    room->SetCurrentItem(Piece(b));
    room->Hint();
    room->GetTable()->SetView(zoom, PointF(100, 100));
    Piece(b)->MoveBy(PointF(gap, 0));
    return Piece(b)->TryConnect();
  }

  void Send(unsigned message, PointF floorPoint) {
    const PointF p = canvas->GetFloor()->MapToAncestor(floorPoint, nullptr);
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), message, platform::kKeyStateLButton,
                                           platform::MakeMousePosition(static_cast<int>(p.X), static_cast<int>(p.Y))});
  }

  CRSWeakRef<CPuzzlePlayRoom> room;
};

// Snapping is 10 screen pixels when zoomed out and 10 units zoomed in.
TEST_F(TableScene, SnapsAlikeAtEveryZoom) {
  EXPECT_FALSE(Joins(0, 1, 0.25f, 11.0f / 0.25f)) << "11 pixels at 0.25";
  EXPECT_TRUE(Joins(0, 1, 0.25f, 9.0f / 0.25f)) << "9 pixels at 0.25";
  EXPECT_FALSE(Joins(10, 11, 4.0f, 11.0f)) << "11 units at 4";
  EXPECT_TRUE(Joins(10, 11, 4.0f, 9.0f)) << "9 units at 4";
}

// A wheel step draws the table's picture scaled; once the wheel rests the
// pieces are painted sharp again by themselves.
TEST_F(TableScene, AWheelStepIsSharpAgainOnceTheWheelRests) {
  auto* surface = static_cast<CRSKeptLayer*>(room->GetTable()->GetSurface());
  view.GetWindow()->UpdateNow();
  room->GetTable()->ZoomSteps(PointF(500, 400), -1);
  view.GetWindow()->UpdateNow();
  EXPECT_TRUE(surface->IsSoft());
  for (int i = 0; i < 100 && surface->IsSoft(); ++i) {
    loop.PumpMessages(20);
    FlushEvents(nullptr);
    view.GetWindow()->UpdateNow();
  }
  EXPECT_FALSE(surface->IsSoft());
}

// A piece dragged at zoom 2 follows the pointer, lies on the lift over the menu while held and on the surface once down;
// the view comes back after leaving and reopening the room.
TEST_F(TableScene, DragsAtZoomAndKeepsTheViewAcrossReopening) {
  CPuzzleTable* table = room->GetTable();
  table->SetView(2.0f, PointF(300, 200));
  CRSCanvasItem* floor = canvas->GetFloor();
  const RectF menu = room->GetMenu()->GetBoundsIn(floor);
  const PointF over(menu.X + menu.Width / 2, menu.Y + menu.Height / 2);
  CPuzzlePiece* piece = Piece(5);
  piece->MoveTopLeftTo(table->GetViewport().ToTable(over + PointF(200, 150)));
  const PointF grip = piece->MapToAncestor(piece->GetAnchor(), floor);
  Send(platform::kMsgLButtonDown, grip);
  Send(platform::kMsgMouseMove, grip - PointF(100, 75));
  Send(platform::kMsgMouseMove, over);
  EXPECT_EQ(piece->GetParentItem(), table->GetLift());
  EXPECT_EQ(canvas->HitTest(floor->MapToAncestor(over, canvas)), piece) << "held, it lies above the menu";
  Send(platform::kMsgLButtonUp, over);
  Pump(2);
  EXPECT_EQ(piece->GetParentItem(), table->GetSurface());
  const PointF dropped = piece->MapToAncestor(piece->GetAnchor(), floor);
  EXPECT_NEAR(dropped.X, over.X, 6.0f) << "it lies where the pointer left it";
  EXPECT_NEAR(dropped.Y, over.Y, 6.0f);

  table->SetView(1.5f, PointF(1234, 987));
  canvas->ClearFloor();
  Pump(3);
  Open();
  EXPECT_FLOAT_EQ(room->GetTable()->GetZoom(), 1.5f);
  EXPECT_NEAR(room->GetTable()->GetViewport().GetOrigin().X, 1234.0f, 0.01f);
  EXPECT_NEAR(room->GetTable()->GetViewport().GetOrigin().Y, 987.0f, 0.01f);
  EXPECT_FLOAT_EQ(room->GetTable()->GetSize().Width, 4000.0f);
}

}  // namespace
