#include "play/table_viewport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

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

}  // namespace
