#pragma once
// A scene for the rooms' tests: the real main window, headless, with its
// root object, driven through the message loop as the game drives it.

#include <gtest/gtest.h>

#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "platform/message_loop.h"

class RootScene : public ::testing::Test {
 protected:
  void SetUp() override {
    CRSEventDispatcher::Create();
    CRSGlobalEvents::Get();
    ASSERT_TRUE(view.Create());
    canvas = view.GetPuzzleCanvas();
    ASSERT_NE(canvas, nullptr);
  }
  void TearDown() override { DiscardEvents(); }

  // Delivers queued events and pending messages, `rounds` times over, so
  // that what the handlers queue in turn arrives too.
  void Pump(int rounds) {
    for (int i = 0; i < rounds; ++i) {
      FlushEvents(nullptr);
      int quit = 0;
      loop.PumpMessages(0, &quit);
    }
  }

  platform::MessageLoop loop;
  CPuzzleView view;
  CPuzzleCanvas* canvas = nullptr;
};
