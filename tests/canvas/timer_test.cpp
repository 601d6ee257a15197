#include "canvas/timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "canvas/object.h"
#include "platform/clock.h"
#include "platform/message_loop.h"

namespace {

struct Tick {
  int id;
  unsigned elapsed;
};

class Recorder : public CRSTimer {
 public:
  std::vector<Tick> ticks;
  std::function<void(int)> onTick;
  void OnTimer(int id, unsigned elapsedMs) override {
    ticks.push_back({id, elapsedMs});
    if (onTick) onTick(id);
  }
};

void Stall(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { CRSTimerStatic::Create(); }
  // Pumps until `done` holds or `limitMs` passed.
  template <class Pred>
  void PumpUntil(Pred done, unsigned limitMs) {
    const std::uint32_t start = platform::GetTickCount();
    while (!done() && platform::GetTickCount() - start < limitMs) loop.PumpMessages(5);
  }
  platform::MessageLoop loop;
};

TEST_F(TimerTest, TicksArePeriodicAndElapsedCountsFromTheStart) {
  Recorder r;
  r.SetTimer(3, 10);
  PumpUntil([&] { return r.ticks.size() >= 3; }, 10000);
  ASSERT_GE(r.ticks.size(), 3u);
  EXPECT_EQ(r.ticks[0].id, 3);
  EXPECT_GE(r.ticks[0].elapsed, 10u);
  EXPECT_GE(r.ticks[2].elapsed, 30u) << "time since the timer was set, not since the previous tick";
  EXPECT_LT(r.ticks[0].elapsed, r.ticks[2].elapsed);
}

TEST_F(TimerTest, SettingTheSameIdAgainRestartsIt) {
  Recorder r;
  r.SetTimer(1, 20);
  PumpUntil([&] { return r.ticks.size() >= 3; }, 10000);
  ASSERT_GE(r.ticks.size(), 3u);
  // Half a second later the old start lies far behind; a tick counted from
  // it would say so, however slowly a busy machine delivers the new one.
  Stall(500);
  r.ticks.clear();
  r.SetTimer(1, 20);
  EXPECT_EQ(CRSTimerStatic::EntryCount(), 1) << "one entry per id";
  PumpUntil([&] { return !r.ticks.empty(); }, 10000);
  ASSERT_FALSE(r.ticks.empty());
  EXPECT_LT(r.ticks[0].elapsed, 400u) << "counts from the new start";
}

TEST_F(TimerTest, PeriodZeroTicksEveryMillisecondAtMost) {
  Recorder r;
  r.SetTimer(1, 0);
  PumpUntil([&] { return r.ticks.size() >= 5; }, 10000);
  ASSERT_GE(r.ticks.size(), 5u);
  r.KillTimer(1);
  EXPECT_GE(r.ticks[4].elapsed, 4u) << "never more than one tick per millisecond";
}

TEST_F(TimerTest, AStalledLoopGetsOneTickNotABurst) {
  Recorder r;
  r.SetTimer(1, 10);
  Stall(500);  // about 50 periods missed
  loop.PumpMessages(0);
  EXPECT_EQ(r.ticks.size(), 1u) << "at most one tick is in flight per timer";
  // The missed ticks are skipped: the timer resumes its rhythm with at most
  // a catching-up tick or two, never a replay of the 50 it missed. A busy
  // machine may take long for the next tick; a replay would come at once.
  PumpUntil([&] { return r.ticks.size() >= 2; }, 10000);
  PumpUntil([] { return false; }, 35);
  EXPECT_LE(r.ticks.size(), 10u);
  EXPECT_GE(r.ticks.size(), 2u);
}

TEST_F(TimerTest, TimerKilledWhileATickIsInFlightNeverGetsIt) {
  Recorder r;
  r.SetTimer(1, 5);
  Stall(50);  // the tick is posted and waits in the queue
  r.KillTimer(1);
  PumpUntil([] { return false; }, 40);
  EXPECT_TRUE(r.ticks.empty());
  EXPECT_EQ(CRSTimerStatic::EntryCount(), 0);
}

TEST_F(TimerTest, TimerDestroyedWhileATickIsInFlightIsNotCalled) {
  int ticks = 0;
  {
    Recorder r;
    r.onTick = [&](int) { ++ticks; };
    r.SetTimer(1, 5);
    r.SetTimer(2, 5);
    Stall(50);
  }  // the destructor kills every timer
  PumpUntil([] { return false; }, 30);  // ASan would flag a call into the dead timer
  EXPECT_EQ(ticks, 0);
}

TEST_F(TimerTest, OnTimerMayKillOrSetTimersIncludingItsOwn) {
  Recorder r;
  r.onTick = [&](int id) {
    if (id == 1) {
      r.KillTimer(1);  // a one-shot timer
      r.SetTimer(2, 5);
    } else {
      r.KillAllTimers();
    }
  };
  r.SetTimer(1, 5);
  PumpUntil([&] { return r.ticks.size() >= 2; }, 10000);
  PumpUntil([] { return false; }, 30);
  ASSERT_EQ(r.ticks.size(), 2u);
  EXPECT_EQ(r.ticks[0].id, 1);
  EXPECT_EQ(r.ticks[1].id, 2);
  EXPECT_EQ(CRSTimerStatic::EntryCount(), 0);
}

TEST_F(TimerTest, ObjectDeletedByItsOwnTickStopsTicking) {
  class OneShot : public CRSObject {
   public:
    int* count;
    explicit OneShot(int* c) : count(c) {}
    void OnTimer(int, unsigned) override {
      ++*count;
      Delete();
    }
  };
  int count = 0;
  auto* o = new OneShot(&count);
  o->SetTimer(1, 5);
  o->SetTimer(2, 5);
  PumpUntil([&] { return count > 0; }, 10000);
  PumpUntil([] { return false; }, 60);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(CRSTimerStatic::EntryCount(), 0);
}

// A timer handler that opens a modal wait (a nested loop) must not stop the
// other timers, and a timer killed during that wait is never called again.
TEST_F(TimerTest, OtherTimersTickDuringANestedLoopRunFromOnTimer) {
  Recorder modal, other, clock;
  bool nestedDone = false;
  std::size_t otherTicksInNestedLoop = 0;
  other.onTick = [&](int) {
    if (other.ticks.size() == 3) other.KillTimer(2);
  };
  modal.onTick = [&](int) {
    modal.KillTimer(1);
    PumpUntil([&] { return other.ticks.size() >= 3; }, 5000);
    otherTicksInNestedLoop = other.ticks.size();
    nestedDone = true;
  };
  modal.SetTimer(1, 5);
  other.SetTimer(2, 5);
  PumpUntil([&] { return nestedDone; }, 5000);
  ASSERT_TRUE(nestedDone);
  EXPECT_EQ(otherTicksInNestedLoop, 3u) << "the other timer stalled while a handler ran a loop";
  // Let a third timer tick a few times: the killed one must stay silent.
  clock.SetTimer(3, 5);
  PumpUntil([&] { return clock.ticks.size() >= 5; }, 5000);
  EXPECT_EQ(other.ticks.size(), 3u);
  EXPECT_EQ(modal.ticks.size(), 1u);
}

TEST_F(TimerTest, ShutdownEndsTheWorkerPromptly) {
  Recorder r;
  r.SetTimer(1, 100000);
  const std::uint32_t start = platform::GetTickCount();
  CRSTimerStatic::Shutdown();
  EXPECT_LT(platform::GetTickCount() - start, 1000u);
  EXPECT_EQ(CRSTimerStatic::EntryCount(), 0);
  r.SetTimer(1, 5);  // no service any more: nothing happens, nothing crashes
  r.KillTimer(1);
}

}  // namespace
