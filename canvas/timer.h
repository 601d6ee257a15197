#pragma once
// Periodic timers. Ticks are produced on the timer service's worker thread
// and delivered on the user-interface thread through a private message
// (1031), so OnTimer always runs on the thread that runs the message loop.
//
// A timer is periodic until it is killed; a one-shot timer kills itself in
// OnTimer. At most one tick per timer is in flight at a time, and a timer that
// fell more than a period behind (a stalled loop) skips the missed ticks
// instead of receiving a burst. A timer killed while its tick is in flight
// never receives that tick. Timers are set and killed on the user-interface
// thread. OnTimer may run a nested message loop: other timers keep ticking
// meanwhile, and so may its own.

class CRSTimer {
 public:
  CRSTimer() = default;
  CRSTimer(const CRSTimer&) = delete;
  CRSTimer& operator=(const CRSTimer&) = delete;
  virtual ~CRSTimer();

  // `elapsedMs` counts from the moment the timer was (last) set, not from the
  // previous tick.
  virtual void OnTimer(int id, unsigned elapsedMs);

  // Starts (or restarts) timer `id` with a period of `periodMs` (0 ticks as
  // often as the service can, every millisecond at most).
  void SetTimer(int id, unsigned periodMs);
  void KillTimer(int id);
  void KillAllTimers();
};

// The process-wide timer service. Created on first use (start-up creates it
// before the main window) and stopped at process exit, waiting at most
// kShutdownWaitMs for its worker thread.
namespace CRSTimerStatic {

inline constexpr unsigned kShutdownWaitMs = 4000;

void Create();
// Stops the worker and frees every entry. Safe to call more than once; the
// service is not recreated afterwards unless Create is called again.
void Shutdown();
// Number of live entries (for tests and diagnostics).
int EntryCount();

}  // namespace CRSTimerStatic
