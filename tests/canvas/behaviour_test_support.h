#pragma once
// A small scene for behaviour tests: a root item standing for the window's
// content, the services mouse input and timers need, and helpers that send
// mouse input at a root point as the window would (mapped into the target
// item's coordinates).

#include <gtest/gtest.h>

#include "canvas/behaviours.h"
#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "canvas/global_events.h"
#include "canvas/timer.h"
#include "platform/clock.h"
#include "platform/message_loop.h"
#include "platform/messages.h"

namespace behaviour_test {

inline PointF RootToLocal(const CRSCanvasItem& item, PointF p) {
  Gdiplus::Matrix m = item.GetTransformTo(nullptr);
  m.Invert();
  m.TransformPoints(&p);
  return p;
}

inline void ExpectPoint(PointF actual, float x, float y, float tolerance = 1e-3f) {
  EXPECT_NEAR(actual.X, x, tolerance) << "x of (" << actual.X << ", " << actual.Y << ")";
  EXPECT_NEAR(actual.Y, y, tolerance) << "y of (" << actual.X << ", " << actual.Y << ")";
}

class BehaviourScene : public ::testing::Test {
 protected:
  void SetUp() override {
    CRSEventDispatcher::Create();
    CRSTimerStatic::Create();
    CRSGlobalEvents::Get();
    root = new CRSCanvasItem(PointF(), nullptr, "root");
    root->SetSize(SizeF(800, 600));
  }
  void TearDown() override {
    root->Delete();
    loop.PumpMessages(0);
    DiscardEvents();
  }

  CRSCanvasItem* AddItem(PointF position, SizeF size, CRSCanvasItem* parent = nullptr, const std::string& name = {}) {
    auto* item = new CRSCanvasItem(position, parent ? parent : root, name);
    item->SetSize(size);
    return item;
  }

  // Mouse input at a point of the root, as the window sends it to `target`.
  void Mouse(CRSCanvasItem* target, unsigned message, PointF rootPoint, unsigned keys = 0) {
    DispatchEvent(target, std::make_unique<CRSCanvasEvents::Mouse>(static_cast<int>(message), RootToLocal(*target, rootPoint), keys));
  }

  template <class Pred>
  void PumpUntil(Pred done, unsigned limitMs = 3000) {
    const std::uint32_t start = platform::GetTickCount();
    while (!done() && platform::GetTickCount() - start < limitMs) loop.PumpMessages(5);
  }

  platform::MessageLoop loop;
  CRSCanvasItem* root = nullptr;
};

}  // namespace behaviour_test
