#include "platform/message_loop.h"

#include <gtest/gtest.h>

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

TEST(MessageLoopTest, MousePositionKeepsItsSign) {
  const std::intptr_t l = platform::MakeMousePosition(-5, 1200);
  EXPECT_EQ(platform::MousePositionX(l), -5);
  EXPECT_EQ(platform::MousePositionY(l), 1200);
}

}  // namespace
