#include "platform/message_loop.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/messages.h"

namespace {

struct RecordingTarget : platform::MessageTarget {
  std::vector<platform::Message> received;
  void OnMessage(const platform::Message& msg) override { received.push_back(msg); }
};

struct RecordingFilter : platform::MessageFilter {
  std::vector<int>* order;
  int id;
  bool take;
  RecordingFilter(std::vector<int>* o, int i, bool t) : order(o), id(i), take(t) {}
  bool PreTranslateMessage(platform::Message&) override {
    order->push_back(id);
    return take;
  }
};

TEST(MessageLoopTest, PostedMessagesReachTheirTargetInOrderWithParameters) {
  platform::MessageLoop loop;
  RecordingTarget target;
  const platform::TargetId id = platform::RegisterMessageTarget(&target);
  ASSERT_TRUE(platform::PostMessage(id, 1101, 7, -3));
  ASSERT_TRUE(platform::PostMessage(id, 1031, 0xFFFFFFFFu, 0));
  EXPECT_TRUE(loop.PumpMessages(0));
  ASSERT_EQ(target.received.size(), 2u);
  EXPECT_EQ(target.received[0].message, 1101u);
  EXPECT_EQ(target.received[0].wParam, 7u);
  EXPECT_EQ(target.received[0].lParam, -3);
  EXPECT_EQ(target.received[1].message, 1031u);
  EXPECT_EQ(target.received[1].wParam, 0xFFFFFFFFu);
  platform::UnregisterMessageTarget(id);
}

TEST(MessageLoopTest, MessagesForAnUnregisteredTargetAreDropped) {
  platform::MessageLoop loop;
  RecordingTarget target;
  const platform::TargetId id = platform::RegisterMessageTarget(&target);
  platform::PostMessage(id, 1101);
  platform::UnregisterMessageTarget(id);
  EXPECT_TRUE(loop.PumpMessages(0));
  EXPECT_TRUE(target.received.empty());
}

TEST(MessageLoopTest, FiltersAreOfferedNewestFirstAndCanTakeAMessage) {
  platform::MessageLoop loop;
  RecordingTarget target;
  const platform::TargetId id = platform::RegisterMessageTarget(&target);
  std::vector<int> order;
  RecordingFilter older(&order, 1, false), newer(&order, 2, false);
  loop.AddMessageFilter(&older);
  loop.AddMessageFilter(&newer);
  platform::PostMessage(id, 5000);
  loop.PumpMessages(0);
  EXPECT_EQ(order, (std::vector<int>{2, 1}));
  EXPECT_EQ(target.received.size(), 1u);

  order.clear();
  newer.take = true;
  platform::PostMessage(id, 5001);
  loop.PumpMessages(0);
  EXPECT_EQ(order, (std::vector<int>{2})) << "a filter that takes the message ends the walk";
  EXPECT_EQ(target.received.size(), 1u) << "a taken message is not dispatched";
  loop.RemoveMessageFilter(&newer);
  loop.RemoveMessageFilter(&older);
  platform::UnregisterMessageTarget(id);
}

TEST(MessageLoopTest, RunReturnsTheQuitValueAndRunsIdleHandlers) {
  platform::MessageLoop loop;
  struct Idle : platform::IdleHandler {
    int calls = 0;
    bool OnIdle() override {
      if (++calls == 1) platform::PostQuitMessage(42);
      return false;
    }
  } idle;
  loop.AddIdleHandler(&idle);
  EXPECT_EQ(loop.Run(), 42);
  EXPECT_GE(idle.calls, 1);
  loop.RemoveIdleHandler(&idle);
}

// A handler that opens a modal wait (a nested loop) during which the program
// is asked to end: the quit must end the outer loop as well, with its value.
TEST(MessageLoopTest, AQuitSeenByANestedLoopEndsTheOuterLoopsToo) {
  enum : unsigned { kOpenModal = 1, kPumpModal = 2, kProbe = 3 };
  struct Target : platform::MessageTarget {
    platform::TargetId id = platform::kNoTarget;
    int nestedResult = -1;
    int pumpQuitValue = -1;
    bool pumpSawQuit = false;
    bool pendingAfterPump = false;
    bool probed = false;
    bool armed = true;
    void OnMessage(const platform::Message& msg) override {
      if (msg.message == kOpenModal) {
        platform::MessageLoop modal;
        platform::PostQuitMessage(7);
        nestedResult = modal.Run();
      } else if (msg.message == kPumpModal) {
        platform::MessageLoop* loop = platform::MessageLoop::Current();
        platform::PostQuitMessage(9);
        pumpSawQuit = !loop->PumpMessages(1000, &pumpQuitValue);
        // Until the outer loop takes it, the program is ending.
        pendingAfterPump = platform::IsQuitPending();
      } else if (msg.message == kProbe) {
        // Reached inside Run only when the outer loop kept running after
        // the quit; afterwards the test drains it disarmed.
        if (!armed) return;
        probed = true;
        platform::PostQuitMessage(99);
        return;
      }
      platform::PostMessage(id, kProbe);
    }
  } target;
  target.id = platform::RegisterMessageTarget(&target);
  {
    platform::MessageLoop loop;
    platform::PostMessage(target.id, kOpenModal);
    EXPECT_EQ(loop.Run(), 7) << "the outer loop must end with the quit the nested loop saw";
    EXPECT_EQ(target.nestedResult, 7);
    EXPECT_FALSE(target.probed);
    target.armed = false;
    loop.PumpMessages(0);
    target.armed = true;

    platform::PostMessage(target.id, kPumpModal);
    EXPECT_EQ(loop.Run(), 9) << "a nested pump must pass the quit on as well";
    EXPECT_TRUE(target.pumpSawQuit);
    EXPECT_EQ(target.pumpQuitValue, 9);
    EXPECT_TRUE(target.pendingAfterPump);
    EXPECT_FALSE(platform::IsQuitPending());
    EXPECT_FALSE(target.probed);
    target.armed = false;
    loop.PumpMessages(0);

    // The outermost loop keeps a quit to itself: nothing is left queued.
    platform::PostQuitMessage(3);
    int value = -1;
    EXPECT_FALSE(loop.PumpMessages(0, &value));
    EXPECT_EQ(value, 3);
    EXPECT_TRUE(loop.PumpMessages(0, &value));
  }
  platform::UnregisterMessageTarget(target.id);
}

TEST(MessageLoopTest, MessagesPostedFromAnotherThreadArriveOnTheLoopThread) {
  platform::MessageLoop loop;
  struct Target : platform::MessageTarget {
    std::thread::id seenOn;
    void OnMessage(const platform::Message&) override {
      seenOn = std::this_thread::get_id();
      platform::PostQuitMessage(0);
    }
  } target;
  const platform::TargetId id = platform::RegisterMessageTarget(&target);
  std::thread worker([id] { platform::PostMessage(id, 1031); });
  worker.join();
  loop.Run();
  EXPECT_EQ(target.seenOn, std::this_thread::get_id());
  platform::UnregisterMessageTarget(id);
}

TEST(MessageLoopTest, ASleepingLoopWakesForEachMessageFromAnotherThreadAndKeepsItsDeadline) {
  platform::MessageLoop loop;
  struct Target : platform::MessageTarget {
    std::vector<std::uintptr_t> seen;
    void OnMessage(const platform::Message& msg) override {
      seen.push_back(msg.wParam);
      if (msg.message == 1202) platform::PostQuitMessage(7);
    }
  } target;
  const platform::TargetId id = platform::RegisterMessageTarget(&target);
  // The loop is already asleep when each message comes, some while it waits
  // without a deadline, some right after it looked at an empty queue.
  std::thread worker([id] {
    for (std::uintptr_t i = 0; i < 20; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(i % 3 == 0 ? 15 : 0));
      platform::PostMessage(id, 1201, i);
    }
    platform::PostMessage(id, 1202, 20);
  });
  EXPECT_EQ(loop.Run(), 7);
  worker.join();
  ASSERT_EQ(target.seen.size(), 21u);
  for (std::uintptr_t i = 0; i < 21; ++i) EXPECT_EQ(target.seen[i], i);

  // With nothing to deliver, a pump waits out its time and no more.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(loop.PumpMessages(120));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(115));
  EXPECT_LT(waited, std::chrono::seconds(5));
  platform::UnregisterMessageTarget(id);
}

TEST(MessageLoopTest, ATranslatorMayRemoveItselfWhileItRunsAndTheNextStillSeesTheEvent) {
  platform::MessageLoop loop;
  RecordingTarget target;
  const platform::TargetId id = platform::RegisterMessageTarget(&target);
  // The first translator removes itself, and with it what it holds, while
  // it runs, then still reads what it holds.
  int self = 0, calls = 0;
  self = platform::AddEventTranslator([&self, &calls, held = std::string(200, 'x')](const SDL_Event&, platform::Message&) {
    ++calls;
    platform::RemoveEventTranslator(self);
    return held.empty();
  });
  const int second = platform::AddEventTranslator([id](const SDL_Event& ev, platform::Message& out) {
    if (ev.type != SDL_CLIPBOARDUPDATE) return false;
    out = platform::Message{id, 4242, 0, 0};
    return true;
  });
  SDL_Event ev{};
  ev.type = SDL_CLIPBOARDUPDATE;
  ASSERT_EQ(SDL_PushEvent(&ev), 1);
  ASSERT_EQ(SDL_PushEvent(&ev), 1);
  EXPECT_TRUE(loop.PumpMessages(0));
  EXPECT_EQ(calls, 1);
  ASSERT_EQ(target.received.size(), 2u);
  EXPECT_EQ(target.received[1].message, 4242u);
  platform::RemoveEventTranslator(second);
  platform::UnregisterMessageTarget(id);
}

TEST(MessageLoopTest, MousePositionKeepsItsSign) {
  const std::intptr_t l = platform::MakeMousePosition(-5, 1200);
  EXPECT_EQ(platform::MousePositionX(l), -5);
  EXPECT_EQ(platform::MousePositionY(l), 1200);
}

}  // namespace
