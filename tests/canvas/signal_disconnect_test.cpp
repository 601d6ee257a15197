// Objects leaving a signal with many connections: each one takes exactly its
// own connections with it, however often it was connected, in whatever
// order the objects go, and also while the signal is being emitted.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "canvas/sigslot.h"

namespace {

struct Counter : sigslot::has_slots {
  int* calls;
  explicit Counter(int* c) : calls(c) {}
  void OnPing() { ++*calls; }
};

TEST(SignalDisconnect, LeaversTakeAllTheirConnectionsAndNothingElse) {
  sigslot::signal0 sig;
  sigslot::signal0 other;
  std::vector<int> calls(6, 0);
  std::vector<std::unique_ptr<Counter>> counters;
  for (int& c : calls) counters.push_back(std::make_unique<Counter>(&c));
  // Interleaved, some twice, one also on a second signal.
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < 6; ++i)
      if (round == 0 || i % 2 == 0) sig.connect(counters[i].get(), &Counter::OnPing);
  other.connect(counters[2].get(), &Counter::OnPing);
  EXPECT_EQ(counters[2]->connected_signal_count(), 2u);

  // The first in order, one from the middle and the last go.
  counters[0].reset();
  counters[3].reset();
  counters[5].reset();
  sig();
  EXPECT_EQ(calls, (std::vector<int>{0, 1, 2, 0, 2, 0}));
  EXPECT_EQ(sig.connection_count(), 5u);
  other();
  EXPECT_EQ(calls[2], 3) << "leaving one signal's neighbours keeps the other signal";

  // An explicit disconnect of a twice-connected object cuts both.
  sig.disconnect(counters[4].get());
  sig();
  EXPECT_EQ(calls, (std::vector<int>{0, 2, 5, 0, 2, 0}));
  EXPECT_EQ(counters[4]->connected_signal_count(), 0u);
}

// A slot that destroys other listeners while the signal runs: the dead are
// skipped, the rest still called once, and the list is tidy afterwards.
struct Destroyer : sigslot::has_slots {
  std::vector<std::unique_ptr<Counter>>* victims;
  void OnPing() {
    for (auto& v : *victims) v.reset();
  }
};

TEST(SignalDisconnect, ObjectsDestroyedDuringAnEmissionAreSkipped) {
  sigslot::signal0 sig;
  int before = 0, after = 0;
  Counter first(&before);
  Destroyer destroyer;
  std::vector<std::unique_ptr<Counter>> victims;
  int victimCalls = 0;
  for (int i = 0; i < 3; ++i) victims.push_back(std::make_unique<Counter>(&victimCalls));
  destroyer.victims = &victims;
  Counter last(&after);

  sig.connect(&first, &Counter::OnPing);
  sig.connect(&destroyer, &Destroyer::OnPing);
  for (auto& v : victims) {
    sig.connect(v.get(), &Counter::OnPing);
    sig.connect(v.get(), &Counter::OnPing);
  }
  sig.connect(&last, &Counter::OnPing);
  sig();
  EXPECT_EQ(victimCalls, 0);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
  EXPECT_EQ(sig.connection_count(), 3u);
  sig();
  EXPECT_EQ(after, 2);
}

}  // namespace
