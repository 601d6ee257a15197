#include "canvas/event_dispatcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "canvas/global_events.h"
#include "canvas/object.h"
#include "canvas/weak_ref.h"
#include "platform/clock.h"
#include "platform/message_loop.h"
#include "platform/messages.h"

namespace {

std::vector<std::string> g_log;

// A receiver that logs what it sees and answers with a fixed verdict.
class Probe : public CRSEventReceiver {
 public:
  explicit Probe(std::string name, int verdict = kVerdictContinue) : m_name(std::move(name)), m_verdict(verdict) {}
  void OnEvent(CRSEvents::BasicEvent& e) override { g_log.push_back(m_name + ".on" + std::to_string(e.GetType())); }
  int FilterEvent(CRSEventReceiver*, CRSEvents::BasicEvent&) override {
    g_log.push_back(m_name + ".filter");
    return Act();
  }
  int FilterGlobalEvent(CRSEventReceiver*, CRSEvents::BasicEvent&) override {
    g_log.push_back(m_name + ".global");
    return Act();
  }
  std::function<void()> action;  // run when asked as a listener or filter

 private:
  int Act() {
    if (action) action();
    return m_verdict;
  }
  std::string m_name;
  int m_verdict;
};

class EventDispatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    CRSEventDispatcher::Create();
  }
  void TearDown() override {
    for (auto& p : m_owned) RemoveGlobalListener(p, 0);
    DiscardEvents();
  }

  // Listeners are heap objects: the dispatcher's lists share their ownership.
  Probe* Global(const std::string& name, int verdict, int type = 0) {
    auto* p = new Probe(name, verdict);
    AddGlobalListener(p, type);
    m_owned.emplace_back(p);
    return p;
  }
  std::vector<CRSAutoPtrPolymorphic<Probe>> m_owned;
  platform::MessageLoop loop;
};

TEST_F(EventDispatcherTest, GlobalVerdictsDecideWhoSeesTheEvent) {
  struct Case {
    std::vector<int> verdicts;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {{3, 3}, {"g0.global", "g1.global", "t.on9"}},
      {{1, 3}, {"g0.global", "g1.global"}},           // others run, target skipped
      {{1, 4}, {"g0.global", "g1.global", "t.on9"}},  // a later 4 restores delivery
      {{0, 3}, {"g0.global"}},                        // stop everything
      {{2, 3}, {"g0.global", "g1.global", "t.on9"}},  // the target is still reached
  };
  for (const Case& c : cases) {
    g_log.clear();
    std::vector<Probe*> listeners;
    for (size_t i = 0; i < c.verdicts.size(); ++i)
      listeners.push_back(Global("g" + std::to_string(i), c.verdicts[i], i == 0 ? 0 : CRSEvents::kEventKey));
    Probe target("t");
    DispatchEvent(&target, std::make_unique<CRSCanvasEvents::Key>(platform::kMsgKeyDown, 65, 0));
    EXPECT_EQ(g_log, c.expected) << "verdicts " << c.verdicts[0] << "," << c.verdicts[1];
    for (Probe* p : listeners) RemoveGlobalListener(p, 0);
  }
}

TEST_F(EventDispatcherTest, FilterVerdictsAndOrderKeyZeroFirst) {
  Probe target("t");
  auto* typed = new Probe("typed", kVerdictContinue);
  auto* all = new Probe("all", kVerdictSkipHandler);
  CRSAutoPtrPolymorphic<Probe> keepTyped(typed), keepAll(all);
  AddFilter(&target, typed, CRSEvents::kEventMouse);
  AddFilter(&target, all, 0);
  DispatchEvent(&target, std::make_unique<CRSCanvasEvents::Mouse>(platform::kMsgLButtonDown, PointF(1, 2), 1));
  EXPECT_EQ(g_log, (std::vector<std::string>{"all.filter", "typed.filter"}))
      << "2 lets the other filters run but skips the handler";

  g_log.clear();
  RemoveFilter(&target, all, 0);
  auto* stopper = new Probe("stop", kVerdictSkipTarget);
  CRSAutoPtrPolymorphic<Probe> keepStopper(stopper);
  AddFilter(&target, stopper, 0);
  DispatchEvent(&target, std::make_unique<CRSCanvasEvents::Mouse>(platform::kMsgLButtonDown, PointF(1, 2), 1));
  EXPECT_EQ(g_log, (std::vector<std::string>{"stop.filter"})) << "1 stops the filters and the handler";

  g_log.clear();
  DispatchEvent(&target, std::make_unique<CRSEvents::BasicEvent>(41));
  EXPECT_EQ(g_log, (std::vector<std::string>{"stop.filter"}));
  RemoveFilter(&target, stopper, 0);
  g_log.clear();
  DispatchEvent(&target, std::make_unique<CRSEvents::BasicEvent>(41));
  EXPECT_EQ(g_log, (std::vector<std::string>{"t.on41"})) << "the typed filter sees only its type";
}

TEST_F(EventDispatcherTest, AddingForAllTypesReplacesTypedEntriesAndIsNotDuplicated) {
  Probe* p = Global("p", kVerdictContinue, CRSEvents::kEventKey);
  AddGlobalListener(p, CRSEvents::kEventMouse);
  AddGlobalListener(p, 0);
  AddGlobalListener(p, CRSEvents::kEventKey);  // already there for every type
  auto& map = CRSEventDispatcher::Get()->GetGlobalListeners();
  EXPECT_TRUE(map.Contains(p, 0));
  EXPECT_FALSE(map.Contains(p, CRSEvents::kEventKey));
  EXPECT_FALSE(map.Contains(p, CRSEvents::kEventMouse));
  DispatchEvent(nullptr, std::make_unique<CRSEvents::BasicEvent>(CRSEvents::kEventKey));
  EXPECT_EQ(g_log, (std::vector<std::string>{"p.global"}));
}

TEST_F(EventDispatcherTest, ListenersRemovedDuringAWalkAreSkippedAndDropped) {
  Probe* first = Global("first", kVerdictContinue);
  Probe* second = Global("second", kVerdictContinue);
  Probe* third = Global("third", kVerdictContinue);
  first->action = [&] {
    RemoveGlobalListener(first, 0);   // itself
    RemoveGlobalListener(second, 0);  // one not yet called
  };
  DispatchEvent(nullptr, std::make_unique<CRSEvents::BasicEvent>(41));
  EXPECT_EQ(g_log, (std::vector<std::string>{"first.global", "third.global"}));
  g_log.clear();
  DispatchEvent(nullptr, std::make_unique<CRSEvents::BasicEvent>(41));
  EXPECT_EQ(g_log, (std::vector<std::string>{"third.global"}));
  (void)third;
}

TEST_F(EventDispatcherTest, ListeningKeepsNothingAliveAndListenersThatWentAwayAreSkipped) {
  // A receiver that listens globally and filters its own events goes with
  // its last owner.
  CRSAutoPtrPolymorphic<Probe> self(new Probe("self"));
  CRSWeakRef<Probe> watch(self.get());
  AddGlobalListener(self, CRSEvents::kEventMouse);
  AddFilter(self, self, 0);
  self = nullptr;
  EXPECT_FALSE(watch) << "its own entries kept it alive";

  // One listener ends another that has not been asked yet, in the same walk.
  Probe* first = Global("first", kVerdictContinue);
  Global("second", kVerdictContinue);
  Global("third", kVerdictContinue);
  first->action = [&] { m_owned[1] = nullptr; };
  DispatchEvent(nullptr, std::make_unique<CRSEvents::BasicEvent>(41));
  first->action = nullptr;
  DispatchEvent(nullptr, std::make_unique<CRSEvents::BasicEvent>(41));
  EXPECT_EQ(g_log, (std::vector<std::string>{"first.global", "third.global", "first.global", "third.global"}));
}

TEST_F(EventDispatcherTest, TargetDestroyedByAGlobalListenerIsNotReached) {
  auto* target = new Probe("t");
  Probe* killer = Global("killer", kVerdictContinue);
  killer->action = [&] { target->Delete(); };
  DispatchEvent(target, std::make_unique<CRSEvents::BasicEvent>(41));
  EXPECT_EQ(g_log, (std::vector<std::string>{"killer.global"}));
}

TEST_F(EventDispatcherTest, QueuedEventsForADestroyedReceiverAreNeverDelivered) {
  auto* doomed = new Probe("doomed");
  Probe survivor("survivor");
  PostEvent(doomed, std::make_unique<CRSEvents::BasicEvent>(41));
  PostEvent(&survivor, std::make_unique<CRSEvents::BasicEvent>(42));
  PostEvent(doomed, std::make_unique<CRSEvents::BasicEvent>(43));
  doomed->Delete();
  EXPECT_EQ(CRSEventDispatcher::Get()->QueuedCount(), 1u);
  loop.PumpMessages(0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"survivor.on42"}));
}

TEST_F(EventDispatcherTest, OneMessageDrainsTheQueueIncludingEventsPostedMeanwhile) {
  Probe a("a");
  Probe* reposter = Global("r", kVerdictContinue);
  int reposts = 0;
  reposter->action = [&] {
    if (reposts++ < 2) PostEvent(&a, std::make_unique<CRSEvents::BasicEvent>(50 + reposts));
  };
  PostEvent(&a, std::make_unique<CRSEvents::BasicEvent>(50));
  loop.PumpMessages(0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"r.global", "a.on50", "r.global", "a.on51", "r.global", "a.on52"}));
  EXPECT_EQ(CRSEventDispatcher::Get()->QueuedCount(), 0u);
}

TEST_F(EventDispatcherTest, AFullMessageQueueDoesNotStallPostedEvents) {
  Probe a("a");
  // Fill the platform's queue with messages for a target that never
  // existed, until it refuses one.
  const platform::TargetId nobody = 0x7FFFFFF0;
  int filled = 0;
  while (filled < 1000000 && platform::PostMessage(nobody, 1)) ++filled;
  ASSERT_LT(filled, 1000000) << "the queue never filled";
  PostEvent(&a, std::make_unique<CRSEvents::BasicEvent>(41));
  EXPECT_FALSE(CRSEventDispatcher::Get()->IsDrainPosted()) << "the drain message cannot have been queued";
  // Nothing else is posted: the dispatcher itself must ask again.
  const std::uint32_t deadline = platform::GetTickCount() + 10000;
  while (g_log.empty() && platform::GetTickCount() < deadline) loop.PumpMessages(10);
  EXPECT_EQ(g_log, (std::vector<std::string>{"a.on41"}));
  EXPECT_EQ(CRSEventDispatcher::Get()->QueuedCount(), 0u);
  EXPECT_EQ(CRSTimerStatic::EntryCount(), 0) << "the retry stops once the drain message is taken";

  // Later posts find the usual path again.
  PostEvent(&a, std::make_unique<CRSEvents::BasicEvent>(42));
  EXPECT_TRUE(CRSEventDispatcher::Get()->IsDrainPosted());
  loop.PumpMessages(0);
  EXPECT_EQ(g_log.back(), "a.on42");
}

TEST_F(EventDispatcherTest, FlushDeliversOnlyTheTargetsQueuedEventsNow) {
  Probe a("a"), b("b");
  PostEvent(&a, std::make_unique<CRSEvents::BasicEvent>(41));
  PostEvent(&b, std::make_unique<CRSEvents::BasicEvent>(42));
  PostEvent(&a, std::make_unique<CRSEvents::BasicEvent>(43));
  FlushEvents(&a);
  EXPECT_EQ(g_log, (std::vector<std::string>{"a.on41", "a.on43"}));
  EXPECT_EQ(CRSEventDispatcher::Get()->QueuedCount(), 1u);
  DiscardEvents();
  loop.PumpMessages(0);
  EXPECT_EQ(g_log.size(), 2u) << "discarded events are never delivered";
}

TEST_F(EventDispatcherTest, PostingWithoutADispatcherDeletesTheEvent) {
  CRSEventDispatcher::Shutdown();
  EXPECT_EQ(CRSEventDispatcher::Get(), nullptr);
  struct Counted : CRSEvents::BasicEvent {
    int* deleted;
    explicit Counted(int* d) : BasicEvent(41), deleted(d) {}
    ~Counted() override { ++*deleted; }
  };
  int deleted = 0;
  Probe p("p");
  PostEvent(&p, std::make_unique<Counted>(&deleted));
  EXPECT_EQ(deleted, 1);
  EXPECT_TRUE(g_log.empty());
  CRSEventDispatcher::Create();
  EXPECT_NE(CRSEventDispatcher::Get(), nullptr);
}

// ---- one-shot global signals ----

struct Counter : sigslot::has_slots {
  int mouse = 0, key = 0;
  void OnMouse() { ++mouse; }
  void OnKey() { ++key; }
};

TEST_F(EventDispatcherTest, NextMouseDownAndKeyDownSlotsRunOnceOnTheRightInput) {
  CRSGlobalEvents* global = CRSGlobalEvents::Get();
  ASSERT_NE(global, nullptr);
  Counter c;
  global->sigNextMouseDown.connect(&c, &Counter::OnMouse);
  global->sigNextKeyDown.connect(&c, &Counter::OnKey);
  Probe target("t");

  DispatchEvent(&target, std::make_unique<CRSCanvasEvents::Mouse>(platform::kMsgMouseMove, PointF(0, 0), 0));
  DispatchEvent(&target, std::make_unique<CRSCanvasEvents::Mouse>(platform::kMsgRButtonDown, PointF(0, 0), 2));
  DispatchEvent(&target, std::make_unique<CRSCanvasEvents::Key>(platform::kMsgKeyUp, 65, 0));
  EXPECT_EQ(c.mouse, 0);
  EXPECT_EQ(c.key, 0);

  DispatchEvent(&target, std::make_unique<CRSCanvasEvents::Mouse>(platform::kMsgLButtonDown, PointF(0, 0), 1));
  DispatchEvent(&target, std::make_unique<CRSCanvasEvents::Mouse>(platform::kMsgLButtonDown, PointF(0, 0), 1));
  EXPECT_EQ(c.mouse, 1);
  DispatchEvent(&target, std::make_unique<CRSCanvasEvents::Key>(platform::kMsgSysKeyDown, 80, 0));
  DispatchEvent(&target, std::make_unique<CRSCanvasEvents::Key>(platform::kMsgKeyDown, 80, 0));
  EXPECT_EQ(c.key, 1);
  EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "t.on7"), 4) << "the input still reaches its target";

  global->sigNextMouseDown.connect(&c, &Counter::OnMouse);
  DispatchEvent(nullptr, std::make_unique<CRSCanvasEvents::Mouse>(platform::kMsgLButtonDown, PointF(0, 0), 1));
  EXPECT_EQ(c.mouse, 2) << "connected anew, runs again";
}

}  // namespace
