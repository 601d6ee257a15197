#pragma once
// The process-wide event dispatcher: a queue of posted events drained from the
// message loop, immediate dispatch for input, global listeners that see every
// event first, and the filters that receivers put on one another.
//
// Posted events travel to the user-interface thread through a private message
// (1101) to the dispatcher's message target; one message drains the whole
// queue, events posted meanwhile included. Events flagged to be deferred
// while dispatching (forced deletions) wait in a second queue until no
// dispatch is running, so an object that ends itself inside a handler is
// destroyed only after every enclosing dispatch has returned.
//
// Events addressed to a receiver that is destroyed while they are queued are
// dropped undelivered.

#include <cstdint>
#include <deque>
#include <memory>

#include "canvas/event_receiver.h"
#include "canvas/events.h"
#include "canvas/listener_map.h"
#include "canvas/timer.h"
#include "platform/message_loop.h"

using CRSEventPtr = std::unique_ptr<CRSEvents::BasicEvent>;

// Queues `event` for `target` (null: for the global listeners only). Without
// a dispatcher the event is deleted at once.
void PostEvent(CRSEventReceiver* target, CRSEventPtr event);

// Delivers `event` now (global listeners, then the target's filters and
// handler) and deletes it. Used for mouse and key input.
void DispatchEvent(CRSEventReceiver* target, CRSEventPtr event);

// The same for an event made with a bare new: it is owned from the call on.
// Prefer the forms above, which show the hand-over in the type.
inline void PostEvent(CRSEventReceiver* target, CRSEvents::BasicEvent* event) {
  PostEvent(target, CRSEventPtr(event));
}
inline void DispatchEvent(CRSEventReceiver* target, CRSEvents::BasicEvent* event) {
  DispatchEvent(target, CRSEventPtr(event));
}

// Runs only the receiver's filters and its own handler; the caller keeps the
// event. Used to pass mouse events up to parents.
void DeliverTo(CRSEventReceiver* receiver, CRSEvents::BasicEvent& event);

// Delivers now every queued event addressed to `target` (every queued event
// when null), in queue order.
void FlushEvents(CRSEventReceiver* target);

// Deletes every queued event of both queues without delivering it.
void DiscardEvents();

// Type 0 means all types; removing with type 0 removes from every type.
void AddGlobalListener(CRSEventReceiver* receiver, int type);
void RemoveGlobalListener(CRSEventReceiver* receiver, int type);
void AddFilter(CRSEventReceiver* onReceiver, CRSEventReceiver* filterReceiver, int type);
void RemoveFilter(CRSEventReceiver* onReceiver, CRSEventReceiver* filterReceiver, int type);

class CRSEventDispatcher : public platform::MessageTarget, private CRSTimer {
 public:
  // The dispatcher, created on first use; null once it has been shut down.
  static CRSEventDispatcher* Get();
  // Creates the dispatcher now (start-up does this before the main window).
  static void Create();
  // Discards the queues and destroys the dispatcher; called at process exit.
  static void Shutdown();

  // Hooks for receivers being destroyed: drop their queued events and their
  // global listener entries. Safe to call without a dispatcher.
  static void ForgetReceiver(CRSEventReceiver* receiver);
  static void RemoveFromGlobalListeners(CRSEventReceiver* receiver);

  // How often a drain message the message queue refused is tried again.
  static constexpr int kDrainRetryTimer = 1;
  static constexpr unsigned kDrainRetryMs = 10;

  void Post(CRSEventReceiver* target, CRSEventPtr event);
  void Dispatch(CRSEventReceiver* target, CRSEventPtr event);
  void Flush(CRSEventReceiver* target);
  void Discard();

  CRSListenerMap& GetGlobalListeners() { return m_globalListeners; }
  int GetDepth() const { return m_depth; }
  std::size_t QueuedCount() const { return m_mainQueue.size() + m_deferredQueue.size(); }
  // True while a drain message is on its way through the message queue.
  bool IsDrainPosted() const { return m_drainPosted; }

  void OnMessage(const platform::Message& msg) override;

  CRSEventDispatcher(const CRSEventDispatcher&) = delete;
  CRSEventDispatcher& operator=(const CRSEventDispatcher&) = delete;
  ~CRSEventDispatcher() override;

 private:
  CRSEventDispatcher();

  struct Entry {
    CRSEventReceiver* target;  // not owned; the entry goes when it does
    CRSEventPtr event;
    std::uint64_t serial;
  };

  // Takes one entry that has left the main queue: defers it or dispatches it.
  void Process(Entry entry);
  void DrainDeferred();
  void Enqueue(std::deque<Entry>& queue, Entry entry);
  Entry Unlink(std::deque<Entry>& queue, std::deque<Entry>::iterator it);
  // Posts the drain message unless one is on its way. When the message
  // queue refuses it (full), the retry timer asks again until it is taken,
  // so queued events never wait for a post that may not come.
  void RequestDrain();
  void OnTimer(int id, unsigned elapsedMs) override;

  platform::TargetId m_targetId = platform::kNoTarget;
  int m_depth = 0;
  CRSListenerMap m_globalListeners;
  std::deque<Entry> m_mainQueue;
  std::deque<Entry> m_deferredQueue;
  std::uint64_t m_nextSerial = 1;
  bool m_drainPosted = false;
  bool m_retryArmed = false;
};
