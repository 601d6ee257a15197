// The object model's hot paths: emitting a signal (every drag step and every
// paint notification goes through signals) and the posted-event queue (every
// queued signal and deferred deletion goes through it).
//
// Budgets: BM_SignalEmit/1 under 20 ns; BM_PostDispatch under 1 us per event;
// BM_SignalTeardown5000 under 1 ms (both orders).
// The floor cases beside them (an empty loop and a direct virtual call)
// measure the machine in the same run.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "canvas/event_dispatcher.h"
#include "canvas/sigslot.h"
#include "platform/message_loop.h"

namespace {

class Sink : public sigslot::has_slots {
 public:
  void OnValue(int v) { m_sum += v; }
  virtual void Virtual(int v) { m_sum += v; }
  long m_sum = 0;
};

void BM_ObjectsFloorEmptyLoop(benchmark::State& state) {
  for (auto _ : state) {
    int v = 1;
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_ObjectsFloorEmptyLoop);

void BM_ObjectsFloorVirtualCall(benchmark::State& state) {
  auto sink = std::make_unique<Sink>();
  Sink* s = sink.get();
  benchmark::DoNotOptimize(s);
  for (auto _ : state) {
    // Keeps the call from being resolved at compile time.
    benchmark::DoNotOptimize(s);
    s->Virtual(1);
  }
  benchmark::DoNotOptimize(sink->m_sum);
}
BENCHMARK(BM_ObjectsFloorVirtualCall);

// Budget: one slot under 20 ns per emission.
void BM_SignalEmit(benchmark::State& state) {
  const int slots = static_cast<int>(state.range(0));
  std::vector<std::unique_ptr<Sink>> sinks;
  sigslot::signal1<int> sig;
  for (int i = 0; i < slots; ++i) {
    sinks.push_back(std::make_unique<Sink>());
    sig.connect(sinks.back().get(), &Sink::OnValue);
  }
  for (auto _ : state) sig(1);
  benchmark::DoNotOptimize(sinks.front()->m_sum);
  state.SetItemsProcessed(state.iterations() * slots);
}
BENCHMARK(BM_SignalEmit)->Arg(1)->Arg(10)->Arg(1000);

// Budget: under 1 ms to end 5,000 objects connected to one signal, as a
// floor of shadows does when its room goes; argument 0 ends them in
// connection order, 1 in the reverse order. A disconnection that searched
// the signal's list made this quadratic.
void BM_SignalTeardown5000(benchmark::State& state) {
  constexpr int kObjects = 5000;
  const bool reverse = state.range(0) != 0;
  sigslot::signal1<int> sig;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::unique_ptr<Sink>> sinks;
    sinks.reserve(kObjects);
    for (int i = 0; i < kObjects; ++i) {
      sinks.push_back(std::make_unique<Sink>());
      sig.connect(sinks.back().get(), &Sink::OnValue);
    }
    state.ResumeTiming();
    if (reverse) {
      while (!sinks.empty()) sinks.pop_back();
    } else {
      for (auto& sink : sinks) sink.reset();
    }
  }
  if (!sig.empty()) state.SkipWithError("connections left");
  state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_SignalTeardown5000)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

class Counter : public CRSEventReceiver {
 public:
  void OnEvent(CRSEvents::BasicEvent&) override { ++m_count; }
  long m_count = 0;
};

// Budget: under 1 us per event, posting and delivering 100,000 queued events.
void BM_PostDispatch(benchmark::State& state) {
  constexpr int kEvents = 100000;
  platform::MessageLoop loop;
  CRSEventDispatcher::Create();
  Counter counter;
  for (auto _ : state) {
    for (int i = 0; i < kEvents; ++i) PostEvent(&counter, std::make_unique<CRSEvents::BasicEvent>(41));
    loop.PumpMessages(0);
  }
  if (counter.m_count != static_cast<long>(state.iterations()) * kEvents) state.SkipWithError("events lost");
  state.SetItemsProcessed(state.iterations() * kEvents);
}
BENCHMARK(BM_PostDispatch)->Unit(benchmark::kMillisecond);

}  // namespace
