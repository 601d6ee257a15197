#include "canvas/timer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/message_loop.h"
#include "platform/messages.h"

namespace {

struct TimerEntry {
  CRSTimer* timer;       // not owned
  int id;
  unsigned period;       // at least 1
  std::uint32_t base;    // tick count of the last due moment
  std::uint32_t start;   // tick count when the timer was set
  bool pending;          // a tick message is in flight
  bool removed;          // killed while pending; freed when its message arrives
  std::uint64_t serial;  // what the tick message names, never reused
};

// True when tick count `a` is at or after `b`, across a 32-bit wrap.
bool AtOrAfter(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) >= 0; }

// Everything the worker thread touches. It is shared with the worker so that
// a worker that did not stop within the bounded wait at exit never reaches
// freed memory.
struct TimerState {
  // Guards the entries between the worker and the user-interface thread.
  // OnTimer runs outside it.
  std::recursive_mutex lock;
  std::vector<std::unique_ptr<TimerEntry>> entries;
  std::uint64_t nextSerial = 1;
  platform::TargetId target = platform::kNoTarget;

  // The auto-reset wake-up event.
  std::mutex wakeMutex;
  std::condition_variable wakeCv;
  bool signalled = false;
  std::atomic<bool> stop{false};

  std::mutex doneMutex;
  std::condition_variable doneCv;
  bool done = false;

  void Wake() {
    {
      std::lock_guard<std::mutex> g(wakeMutex);
      signalled = true;
    }
    wakeCv.notify_one();
  }
};

constexpr std::uint32_t kWaitForever = std::numeric_limits<std::uint32_t>::max();

void WorkerLoop(std::shared_ptr<TimerState> state) {
  while (!state->stop) {
    const std::uint32_t now = platform::GetTickCount();
    std::uint32_t wait = kWaitForever;
    {
      std::lock_guard<std::recursive_mutex> g(state->lock);
      for (auto& e : state->entries) {
        if (e->pending) continue;  // a tick in flight does not count toward the wait
        const std::uint32_t due = e->base + e->period;
        if (AtOrAfter(now, due)) {
          e->base = due;
          e->pending = true;
          // More than a period behind: skip the missed ticks.
          if (AtOrAfter(now, due + e->period)) e->base = now - e->period + 1;
          if (!platform::PostMessage(state->target, platform::kMsgTimerTick, static_cast<std::uintptr_t>(e->serial),
                                     0)) {
            // The message queue refused it; try again on the next round.
            e->pending = false;
            wait = 1;
          }
          continue;
        }
        const std::uint32_t remaining = std::max<std::uint32_t>(due - now, 1);
        wait = std::min(wait, remaining);
      }
    }
    std::unique_lock<std::mutex> lk(state->wakeMutex);
    if (wait == kWaitForever) {
      state->wakeCv.wait(lk, [&] { return state->signalled; });
    } else {
      state->wakeCv.wait_for(lk, std::chrono::milliseconds(wait), [&] { return state->signalled; });
    }
    state->signalled = false;
  }
  {
    std::lock_guard<std::mutex> g(state->doneMutex);
    state->done = true;
  }
  state->doneCv.notify_all();
}

class TimerService : public platform::MessageTarget {
 public:
  TimerService() : m_state(std::make_shared<TimerState>()) {
    m_state->target = platform::RegisterMessageTarget(this);
    m_worker = std::thread(WorkerLoop, m_state);
  }

  ~TimerService() override {
    m_state->stop = true;
    m_state->Wake();
    bool finished;
    {
      std::unique_lock<std::mutex> lk(m_state->doneMutex);
      finished = m_state->doneCv.wait_for(lk, std::chrono::milliseconds(CRSTimerStatic::kShutdownWaitMs),
                                          [&] { return m_state->done; });
    }
    if (finished) {
      m_worker.join();
    } else {
      m_worker.detach();  // it holds its own share of the state
    }
    platform::UnregisterMessageTarget(m_state->target);
    std::lock_guard<std::recursive_mutex> g(m_state->lock);
    m_state->entries.clear();
  }

  void Set(CRSTimer* timer, int id, unsigned period) {
    Kill(timer, id, true);
    {
      std::lock_guard<std::recursive_mutex> g(m_state->lock);
      const std::uint32_t now = platform::GetTickCount();
      m_state->entries.push_back(std::make_unique<TimerEntry>(
          TimerEntry{timer, id, period ? period : 1u, now, now, false, false, m_state->nextSerial++}));
    }
    m_state->Wake();
  }

  // Frees the matching entries, or marks those with a tick in flight.
  void Kill(CRSTimer* timer, int id, bool matchId) {
    std::lock_guard<std::recursive_mutex> g(m_state->lock);
    auto& entries = m_state->entries;
    for (auto& e : entries) {
      if (e->timer != timer || (matchId && e->id != id)) continue;
      if (e->pending) {
        e->removed = true;
      } else {
        e.reset();
      }
    }
    std::erase_if(entries, [](const auto& e) { return !e; });
  }

  int Count() {
    std::lock_guard<std::recursive_mutex> g(m_state->lock);
    return static_cast<int>(std::count_if(m_state->entries.begin(), m_state->entries.end(),
                                          [](const auto& e) { return !e->removed; }));
  }

  void OnMessage(const platform::Message& msg) override {
    if (msg.message != platform::kMsgTimerTick) return;
    CRSTimer* timer = nullptr;
    int id = 0;
    unsigned elapsed = 0;
    {
      std::lock_guard<std::recursive_mutex> g(m_state->lock);
      auto& entries = m_state->entries;
      auto it = std::find_if(entries.begin(), entries.end(),
                             [&](const auto& e) { return e->serial == static_cast<std::uint64_t>(msg.wParam); });
      if (it != entries.end()) {
        TimerEntry& e = **it;
        if (e.removed) {
          entries.erase(it);
        } else {
          e.pending = false;
          timer = e.timer;
          id = e.id;
          elapsed = platform::GetTickCount() - e.start;
        }
      }
    }
    m_state->Wake();
    // The handler runs without the lock: it may run a nested message loop
    // (a modal wait), and the worker needs the lock to keep every other
    // timer ticking meanwhile. Timers are set and killed on this thread
    // only, so nothing can kill this one between the look-up above and the
    // call; a kill made during the call marks or frees the entry, and its
    // later ticks are then dropped by the look-up. Nothing of the entry is
    // touched after the call, since OnTimer may set or kill timers, its own
    // included.
    if (timer) timer->OnTimer(id, elapsed);
  }

 private:
  std::shared_ptr<TimerState> m_state;
  std::thread m_worker;
};

TimerService* s_service = nullptr;
bool s_serviceStopped = false;

struct ExitHook {
  ~ExitHook() { CRSTimerStatic::Shutdown(); }
};

TimerService* Service() {
  if (!s_service && !s_serviceStopped) CRSTimerStatic::Create();
  return s_service;
}

}  // namespace

namespace CRSTimerStatic {

void Create() {
  if (s_service) return;
  s_serviceStopped = false;
  s_service = new TimerService();
  static ExitHook exitHook;
}

void Shutdown() {
  TimerService* service = s_service;
  if (!service) return;
  s_service = nullptr;
  s_serviceStopped = true;
  delete service;
}

int EntryCount() { return s_service ? s_service->Count() : 0; }

}  // namespace CRSTimerStatic

CRSTimer::~CRSTimer() { KillAllTimers(); }

void CRSTimer::OnTimer(int, unsigned) {}

void CRSTimer::SetTimer(int id, unsigned periodMs) {
  if (TimerService* s = Service()) s->Set(this, id, periodMs);
}

void CRSTimer::KillTimer(int id) {
  if (s_service) s_service->Kill(this, id, true);
}

void CRSTimer::KillAllTimers() {
  if (s_service) s_service->Kill(this, 0, false);
}
