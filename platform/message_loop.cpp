#include "platform/message_loop.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

#include "platform/messages.h"

namespace platform {
namespace {

std::once_flag s_initOnce;
std::atomic<bool> s_initialised{false};
Uint32 s_postedEventType = static_cast<Uint32>(-1);

// Registered targets, touched only on the user-interface thread. Ids are never
// reused, so a late message for a gone target finds nothing.
std::map<TargetId, MessageTarget*>& Targets() {
  static std::map<TargetId, MessageTarget*> targets;
  return targets;
}
TargetId s_nextTargetId = 1;

// The translators in the order they were added. A translator may add or
// remove translators while it runs (a window made or closed by the event):
// a deque keeps the running one where it is when another is added, and a
// removal during a walk only empties the entry, which goes once no walk is
// running.
struct TranslatorEntry {
  int handle = 0;  // 0 once removed
  EventTranslator translate;
};
struct TranslatorList {
  std::deque<TranslatorEntry> entries;
  int walking = 0;
  bool hasRemoved = false;
};
TranslatorList& Translators() {
  static TranslatorList translators;
  return translators;
}
int s_nextTranslatorHandle = 1;

// Offers the event to each translator in turn; true when one took it.
bool TranslateEvent(const SDL_Event& ev, Message& out) {
  TranslatorList& list = Translators();
  ++list.walking;
  bool taken = false;
  // Entries added during the walk are offered too, as a copy of the list
  // taken before the walk would not have.
  for (std::size_t i = 0; i < list.entries.size() && !taken; ++i) {
    const TranslatorEntry& entry = list.entries[i];
    if (entry.handle != 0) taken = entry.translate(ev, out);
  }
  if (--list.walking == 0 && list.hasRemoved) {
    std::erase_if(list.entries, [](const TranslatorEntry& e) { return e.handle == 0; });
    list.hasRemoved = false;
  }
  return taken;
}

thread_local MessageLoop* t_currentLoop = nullptr;
// How many Run and PumpMessages calls are active on this thread. A quit seen
// by any but the outermost one belongs to the outer loops as well.
thread_local int t_activeLoops = 0;

class ActiveLoop {
 public:
  ActiveLoop() { ++t_activeLoops; }
  ~ActiveLoop() { --t_activeLoops; }
  ActiveLoop(const ActiveLoop&) = delete;
  ActiveLoop& operator=(const ActiveLoop&) = delete;
};

int QuitValueOf(const Message& msg) { return static_cast<int>(static_cast<unsigned>(msg.wParam)); }

// A nested loop (a modal wait run from a handler) ends on the quit message,
// and queues it again so that every loop around it ends in turn: the
// program's end must not be swallowed by a dialog that happened to be open.
// Until the outermost loop takes it, the quit is pending, and a nested loop
// started meanwhile ends at once instead of keeping the program going.
bool s_quitPending = false;
int s_pendingQuitValue = 0;

void PassQuitOutwards(const Message& quit) {
  if (t_activeLoops > 1) {
    s_quitPending = true;
    s_pendingQuitValue = QuitValueOf(quit);
    PostQuitMessage(QuitValueOf(quit));
  } else {
    s_quitPending = false;
  }
}

// SDL waits for events in the operating system only with a video driver
// that can be woken (X11, Wayland). Without one (the headless drivers, or
// no video at all) its timed wait looks for events every millisecond, which
// costs a busy-looking process a steady share of a core while the program
// does nothing. Messages we post ourselves therefore also ring a bell of our
// own, and the loop sleeps on that bell between looks at SDL's queue. SDL
// still raises events of its own without ringing (a terminating signal
// turns into a quit event), so the sleep is cut into slices. They are long:
// a program at rest (a clock ticking once a second) wakes for little else,
// and a signal is still answered within half a second.
constexpr int kWakeSliceMs = 500;

struct WakeBell {
  std::mutex mutex;
  std::condition_variable cv;
  std::uint64_t rings = 0;
};

WakeBell& Bell() {
  static WakeBell bell;
  return bell;
}

void RingBell() {
  WakeBell& bell = Bell();
  {
    std::lock_guard<std::mutex> g(bell.mutex);
    ++bell.rings;
  }
  bell.cv.notify_all();
}

std::uint64_t BellRings() {
  WakeBell& bell = Bell();
  std::lock_guard<std::mutex> g(bell.mutex);
  return bell.rings;
}

// Sleeps until the bell rings after `seen` rings, or for at most timeoutMs.
void SleepOnBell(std::uint64_t seen, int timeoutMs) {
  WakeBell& bell = Bell();
  std::unique_lock<std::mutex> lk(bell.mutex);
  bell.cv.wait_for(lk, std::chrono::milliseconds(timeoutMs), [&] { return bell.rings != seen; });
}

// Whether SDL's own wait sleeps in the system rather than polling.
bool SdlWaitSleeps() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  // Joysticks and sensors make SDL poll whatever the video driver.
  if (SDL_WasInit(SDL_INIT_JOYSTICK | SDL_INIT_SENSOR) != 0) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

// Fetches one SDL event, waiting up to timeoutMs (negative: forever).
int WaitForEvent(SDL_Event& ev, int timeoutMs) {
  if (timeoutMs == 0) return SDL_PollEvent(&ev);
  if (SdlWaitSleeps()) return timeoutMs < 0 ? SDL_WaitEvent(&ev) : SDL_WaitEventTimeout(&ev, timeoutMs);
  const Uint64 deadline = SDL_GetTicks64() + static_cast<Uint64>(std::max(timeoutMs, 0));
  for (;;) {
    // Read the bell before looking at the queue: a message posted after
    // the look rings it again, so the sleep below cannot miss it.
    const std::uint64_t seen = BellRings();
    if (SDL_PollEvent(&ev)) return 1;
    int slice = kWakeSliceMs;
    if (timeoutMs >= 0) {
      const Uint64 now = SDL_GetTicks64();
      if (now >= deadline) return 0;
      slice = static_cast<int>(std::min<Uint64>(deadline - now, kWakeSliceMs));
    }
    SleepOnBell(seen, slice);
  }
}

// Messages after which idle processing may run again: everything but the
// frequent, cheap ones.
bool ReenablesIdle(unsigned message) {
  return message != kMsgPaint && message != kMsgNcMouseMove && message != kMsgSysTimer &&
         message != kMsgMouseMove;
}

}  // namespace

bool InitialiseMessaging() {
  std::call_once(s_initOnce, [] {
    // Closing the last window must not end the program behind our back: the
    // main window decides that. SIGINT and SIGTERM still arrive as SDL_QUIT.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) return;
    s_postedEventType = SDL_RegisterEvents(1);
    if (s_postedEventType == static_cast<Uint32>(-1)) return;
    s_initialised = true;
  });
  return s_initialised;
}

TargetId RegisterMessageTarget(MessageTarget* target) {
  InitialiseMessaging();
  const TargetId id = s_nextTargetId++;
  Targets()[id] = target;
  return id;
}

void UnregisterMessageTarget(TargetId id) { Targets().erase(id); }

bool PostMessage(TargetId target, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (!InitialiseMessaging()) return false;
  SDL_Event ev;
  SDL_zero(ev);
  ev.type = s_postedEventType;
  ev.user.code = static_cast<Sint32>(message);
  // The target id and both parameters travel in the two pointer fields and
  // the window id: wParam in data1, lParam in data2.
  ev.user.windowID = target;
  ev.user.data1 = reinterpret_cast<void*>(wParam);
  ev.user.data2 = reinterpret_cast<void*>(lParam);
  const bool queued = SDL_PushEvent(&ev) == 1;
  if (queued) RingBell();
  return queued;
}

void PostQuitMessage(int exitValue) {
  PostMessage(kNoTarget, kMsgQuit, static_cast<std::uintptr_t>(static_cast<unsigned>(exitValue)), 0);
}

int AddEventTranslator(EventTranslator translator) {
  const int handle = s_nextTranslatorHandle++;
  Translators().entries.push_back(TranslatorEntry{handle, std::move(translator)});
  return handle;
}

void RemoveEventTranslator(int handle) {
  TranslatorList& list = Translators();
  for (auto it = list.entries.begin(); it != list.entries.end(); ++it) {
    if (it->handle != handle) continue;
    if (list.walking > 0) {
      // Destroying the function now could destroy the one that is running.
      it->handle = 0;
      list.hasRemoved = true;
    } else {
      list.entries.erase(it);
    }
    return;
  }
}

void DispatchMessage(const Message& msg) {
  auto& targets = Targets();
  auto it = targets.find(msg.target);
  if (it == targets.end() || !it->second) return;
  it->second->OnMessage(msg);
}

MessageLoop::MessageLoop() {
  InitialiseMessaging();
  m_previous = t_currentLoop;
  t_currentLoop = this;
}

MessageLoop::~MessageLoop() { t_currentLoop = m_previous; }

MessageLoop* MessageLoop::Current() { return t_currentLoop; }

void MessageLoop::AddMessageFilter(MessageFilter* filter) {
  if (std::find(m_filters.begin(), m_filters.end(), filter) == m_filters.end()) m_filters.push_back(filter);
}

void MessageLoop::RemoveMessageFilter(MessageFilter* filter) {
  m_filters.erase(std::remove(m_filters.begin(), m_filters.end(), filter), m_filters.end());
}

void MessageLoop::AddIdleHandler(IdleHandler* handler) {
  if (std::find(m_idleHandlers.begin(), m_idleHandlers.end(), handler) == m_idleHandlers.end())
    m_idleHandlers.push_back(handler);
}

void MessageLoop::RemoveIdleHandler(IdleHandler* handler) {
  m_idleHandlers.erase(std::remove(m_idleHandlers.begin(), m_idleHandlers.end(), handler), m_idleHandlers.end());
}

int MessageLoop::NextMessage(int timeoutMs, Message& out) {
  SDL_Event ev;
  if (!WaitForEvent(ev, timeoutMs)) return 0;
  if (ev.type == SDL_QUIT) {
    // SIGINT and SIGTERM: end the loop the normal way, so the program's
    // own shutdown runs.
    out = Message{kNoTarget, kMsgQuit, 0, 0};
    return -1;
  }
  if (ev.type == s_postedEventType) {
    out.target = ev.user.windowID;
    out.message = static_cast<unsigned>(ev.user.code);
    out.wParam = reinterpret_cast<std::uintptr_t>(ev.user.data1);
    out.lParam = reinterpret_cast<std::intptr_t>(ev.user.data2);
    return out.target == kNoTarget && out.message == kMsgQuit ? -1 : 1;
  }
  Message m;
  out = TranslateEvent(ev, m) ? m : Message{};  // not ours: a null message nobody receives
  return 1;
}

bool MessageLoop::OfferToFilters(Message& msg) {
  // Newest first; a filter may remove itself or others while it runs.
  const auto filters = m_filters;
  for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
    if (std::find(m_filters.begin(), m_filters.end(), *it) == m_filters.end()) continue;
    if ((*it)->PreTranslateMessage(msg)) return true;
  }
  return false;
}

void MessageLoop::Deliver(Message& msg) {
  if (msg.message == kMsgNull) return;  // an event that carried nothing for us
  if (!OfferToFilters(msg)) DispatchMessage(msg);
}

void MessageLoop::RunIdleHandlers() {
  const auto handlers = m_idleHandlers;
  for (IdleHandler* h : handlers) {
    if (std::find(m_idleHandlers.begin(), m_idleHandlers.end(), h) == m_idleHandlers.end()) continue;
    h->OnIdle();
  }
}

int MessageLoop::Run() {
  ActiveLoop active;
  if (s_quitPending && t_activeLoops > 1) return s_pendingQuitValue;
  bool idle = true;
  for (;;) {
    Message msg;
    int got = NextMessage(0, msg);
    if (got == 0) {
      if (idle) {
        RunIdleHandlers();
        idle = false;
      }
      got = NextMessage(-1, msg);
      if (got == 0) continue;  // a retrieval error is skipped
    }
    if (got < 0) {
      PassQuitOutwards(msg);
      return QuitValueOf(msg);
    }
    Deliver(msg);
    if (ReenablesIdle(msg.message)) idle = true;
  }
}

bool IsQuitPending() { return s_quitPending; }

bool MessageLoop::PumpMessages(unsigned timeoutMs, int* quitValue) {
  ActiveLoop active;
  if (s_quitPending && t_activeLoops > 1) {
    if (quitValue) *quitValue = s_pendingQuitValue;
    return false;
  }
  const Uint64 deadline = SDL_GetTicks64() + timeoutMs;
  for (;;) {
    const Uint64 now = SDL_GetTicks64();
    const int wait = now >= deadline ? 0 : static_cast<int>(deadline - now);
    Message msg;
    const int got = NextMessage(wait, msg);
    if (got == 0) return true;
    if (got < 0) {
      PassQuitOutwards(msg);
      if (quitValue) *quitValue = QuitValueOf(msg);
      return false;
    }
    Deliver(msg);
  }
}

}  // namespace platform
