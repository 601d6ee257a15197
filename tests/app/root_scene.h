#pragma once
// A scene for the rooms' tests: the real main window, headless, with its
// root object, driven through the message loop as the game drives it.

#include <gtest/gtest.h>

#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "platform/message_loop.h"
#include "tests/data/puzzle_test_support.h"

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

  // A 1000 x 800 window and, in its library, a saved puzzle "p1" of
  // 50-unit pieces, columns x rows, on a table of its own of tableSize.
  void AddPuzzleOnTable(int columns, int rows, const SizeF& tableSize) {
    Pump(3);
    canvas->SetSize(SizeF(1000, 800));
    CPuzzleData puzzle("p1");
    puzzle_test::MakePlayable(puzzle, 50, columns, rows);
    CPuzzleTableView table;
    table.tableSize = tableSize;
    puzzle.SetTableView(table);
    ASSERT_TRUE(puzzle.Save());
    canvas->GetLibrary().AddPuzzleImage(new CPuzzleImageData(puzzle.GetPicture().get(), "p1"));
  }

  platform::MessageLoop loop;
  CPuzzleView view;
  CPuzzleCanvas* canvas = nullptr;
};
