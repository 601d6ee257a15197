#pragma once
// The message loop of the user-interface thread and posted private messages.
//
// Services that own a hidden message window (the event dispatcher, the
// timer service, the sound service) register a MessageTarget instead and
// receive their private messages through it. Posting is safe from any thread;
// delivery always happens on the thread that runs the loop. A message posted
// to a target that has been unregistered is dropped, so a service may go away
// with messages still in flight.

#include <cstdint>
#include <functional>
#include <vector>

union SDL_Event;

namespace platform {

using TargetId = std::uint32_t;
inline constexpr TargetId kNoTarget = 0;

struct Message {
  TargetId target = kNoTarget;  // who receives it; kNoTarget for thread messages
  unsigned message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

// The stand-in for a window procedure.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual void OnMessage(const Message& msg) = 0;
};

// Offered every message before it is dispatched; returns true to take it.
class MessageFilter {
 public:
  virtual ~MessageFilter() = default;
  virtual bool PreTranslateMessage(Message& msg) = 0;
};

// Called while no message is waiting.
class IdleHandler {
 public:
  virtual ~IdleHandler() = default;
  virtual bool OnIdle() = 0;
};

// Turns one native event (input, window changes) into a message for a target;
// returns false when the event is not for it. Registered by the window layer.
using EventTranslator = std::function<bool(const SDL_Event& event, Message& out)>;

// Starts the platform's event machinery once. Safe to call repeatedly and
// from any thread; everything below calls it on first use.
bool InitialiseMessaging();

// Registration belongs to the user-interface thread.
TargetId RegisterMessageTarget(MessageTarget* target);
void UnregisterMessageTarget(TargetId id);

// Queues a message for a target; any thread. False when it could not be queued.
bool PostMessage(TargetId target, unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

// Asks the running loop to end with the given value; any thread.
void PostQuitMessage(int exitValue);

// Adds a translator for native events; returns a handle for removal.
int AddEventTranslator(EventTranslator translator);
void RemoveEventTranslator(int handle);

// True while the program is ending: a nested loop has seen the quit message
// and passed it on, and the outermost loop has not taken it yet. Nested
// loops started meanwhile end at once; work that would keep the program
// going (a download, a question) is not started.
bool IsQuitPending();

// Delivers one message to its target now (after the filters were offered it).
void DispatchMessage(const Message& msg);

class MessageLoop {
 public:
  MessageLoop();
  ~MessageLoop();
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // The loop the current thread is running, or null.
  static MessageLoop* Current();

  void AddMessageFilter(MessageFilter* filter);
  void RemoveMessageFilter(MessageFilter* filter);
  void AddIdleHandler(IdleHandler* handler);
  void RemoveIdleHandler(IdleHandler* handler);

  // Runs until the quit message and returns its value. Run inside another
  // loop (from a handler), it queues the quit message again before it
  // returns, so the loops around it end too.
  int Run();

  // Delivers messages that are waiting, for at most timeoutMs (0: only what
  // is already queued). Returns false if a quit message was seen; its value
  // is then in quitValue, and, as with Run, it is queued again for the
  // loops around this one; a nested call made while a quit is pending
  // returns false at once. Used by tests and by nested waits.
  bool PumpMessages(unsigned timeoutMs, int* quitValue = nullptr);

 private:
  // Fetches the next message, waiting up to timeoutMs (negative: forever).
  // Returns 0 for none, 1 for a message, -1 for the quit message.
  int NextMessage(int timeoutMs, Message& out);
  bool OfferToFilters(Message& msg);
  // Offers a fetched message to the filters and, unless one takes it,
  // delivers it to its target.
  void Deliver(Message& msg);
  void RunIdleHandlers();

  std::vector<MessageFilter*> m_filters;
  std::vector<IdleHandler*> m_idleHandlers;
  MessageLoop* m_previous = nullptr;
};

}  // namespace platform
