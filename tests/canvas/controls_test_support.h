#pragma once
// A scene for control tests: a real (headless) view whose root is a plain
// item, input sent as window messages (so hit testing, capture and hover
// tracking are the view's own), and the queued signals delivered on demand.

#include <gtest/gtest.h>

#include <string>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/view.h"
#include "platform/clock.h"
#include "platform/message_loop.h"
#include "platform/messages.h"

namespace control_test {

class ControlScene : public ::testing::Test {
 protected:
  void SetUp() override {
    CRSEventDispatcher::Create();
    CRSGlobalEvents::Get();
    ASSERT_TRUE(view.Create("controls"));
    root = new CRSCanvasItem(PointF(), nullptr, "root");
    root->SetSize(SizeF(400, 300));
    rootRef = root;
    CBehaviourMessageHandler::GetOrCreate(root);
    view.SetRoot(root);
    view.GetWindow()->Show();
    Pump();
  }
  void TearDown() override {
    view.SetRoot(nullptr);
    rootRef = nullptr;
    Pump();
    DiscardEvents();
  }

  void Pump() { loop.PumpMessages(0, &quitValue); }
  // Delivers every queued event (clicked, toggled, closed, deletions).
  void Deliver() {
    FlushEvents(nullptr);
    Pump();
  }
  void Send(unsigned message, unsigned flags, float x, float y) {
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), message, flags,
                                           platform::MakeMousePosition(static_cast<int>(x), static_cast<int>(y))});
  }
  void Move(float x, float y, unsigned flags = 0) { Send(platform::kMsgMouseMove, flags, x, y); }
  void Press(float x, float y) { Send(platform::kMsgLButtonDown, platform::kKeyStateLButton, x, y); }
  void Release(float x, float y) { Send(platform::kMsgLButtonUp, 0, x, y); }
  void Click(float x, float y) {
    Move(x, y);
    Press(x, y);
    Release(x, y);
  }
  void Drag(PointF from, PointF to) {
    Move(from.X, from.Y);
    Press(from.X, from.Y);
    Move((from.X + to.X) / 2, (from.Y + to.Y) / 2, platform::kKeyStateLButton);
    Move(to.X, to.Y, platform::kKeyStateLButton);
    Release(to.X, to.Y);
  }
  void AltKey(char letter) {
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), platform::kMsgSysKeyDown,
                                           static_cast<unsigned>(letter), 1 << 29});
  }
  void Key(unsigned vk) {
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), platform::kMsgKeyDown, vk, 0});
    view.OnWindowMessage(platform::Message{view.GetWindow()->GetTargetId(), platform::kMsgKeyUp, vk, 0});
  }
  // The centre of an item, in root coordinates.
  static PointF CentreOf(CRSCanvasItem& item) {
    const RectF r = item.GetBoundsIn(nullptr);
    return PointF(r.X + r.Width / 2, r.Y + r.Height / 2);
  }

  platform::MessageLoop loop;
  CRSCanvasView view;
  CRSAutoPtrPolymorphic<CRSCanvasItem> rootRef;
  CRSCanvasItem* root = nullptr;
  int quitValue = -1;
};

// Counts a parameterless signal.
struct Counter : sigslot::has_slots {
  int count = 0;
  void On() { ++count; }
};

}  // namespace control_test
