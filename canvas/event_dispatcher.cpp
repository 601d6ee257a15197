#include "canvas/event_dispatcher.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "canvas/global_events.h"
#include "platform/messages.h"

namespace {

CRSEventDispatcher* s_instance = nullptr;
bool s_shutDown = false;

// Ends the dispatcher at process exit. Constructed after the dispatcher has
// registered its message target, so it is destroyed before the platform's
// table of targets is.
struct ExitHook {
  ~ExitHook() { CRSEventDispatcher::Shutdown(); }
};

// Walks the lists for key 0 and then for `type`, calling `ask` for each live
// listener while the verdict stays above `floor`. `owner` guards the map's
// owner: when a listener destroys it, the walk stops without touching the
// map again.
template <class Ask>
int WalkListeners(CRSListenerMap& map, int type, int floor, const CRSAutoPtrLifeGuard* owner, Ask ask) {
  int verdict = kVerdictContinue;
  const int keys[2] = {CRSEvents::kEventAll, type};
  const int passes = type == CRSEvents::kEventAll ? 1 : 2;
  map.BeginWalk();
  for (int pass = 0; pass < passes && verdict > floor; ++pass) {
    CRSListenerMap::List* list = map.Find(keys[pass]);
    if (!list) continue;
    // Indexing, not iterators: listeners may append to the list meanwhile.
    for (std::size_t i = 0; i < list->size() && verdict > floor; ++i) {
      CRSEventReceiver* listener = (*list)[i].get();
      if (!listener) {
        map.NoteDeadEntry();
        continue;
      }
      const int answer = ask(listener);
      if (owner && !owner->Alive()) return kVerdictStop;
      verdict = CRSListenerMap::Combine(verdict, answer);
    }
  }
  map.EndWalk();
  return verdict;
}

}  // namespace

// ---- free functions ----

void PostEvent(CRSEventReceiver* target, CRSEventPtr event) {
  if (!event) return;
  // Without a dispatcher the event is deleted on the way out.
  if (CRSEventDispatcher* d = CRSEventDispatcher::Get()) d->Post(target, std::move(event));
}

void DispatchEvent(CRSEventReceiver* target, CRSEventPtr event) {
  if (!event) return;
  if (CRSEventDispatcher* d = CRSEventDispatcher::Get()) {
    d->Dispatch(target, std::move(event));
  } else if (target) {
    DeliverTo(target, *event);
  }
}

void DeliverTo(CRSEventReceiver* receiver, CRSEvents::BasicEvent& event) {
  if (!receiver || receiver->IsBeingDeleted()) return;
  CRSAutoPtrLifeGuard guard(receiver);
  const int verdict = WalkListeners(receiver->GetFilters(), event.GetType(), kVerdictSkipTarget, &guard,
                                    [&](CRSEventReceiver* filter) { return filter->FilterEvent(receiver, event); });
  if (verdict > kVerdictSkipHandler && guard.Alive()) receiver->OnEvent(event);
}

void FlushEvents(CRSEventReceiver* target) {
  if (CRSEventDispatcher* d = CRSEventDispatcher::Get()) d->Flush(target);
}

void DiscardEvents() {
  if (CRSEventDispatcher* d = CRSEventDispatcher::Get()) d->Discard();
}

void AddGlobalListener(CRSEventReceiver* receiver, int type) {
  if (CRSEventDispatcher* d = CRSEventDispatcher::Get()) d->GetGlobalListeners().Add(receiver, type);
}

void RemoveGlobalListener(CRSEventReceiver* receiver, int type) {
  if (CRSEventDispatcher* d = CRSEventDispatcher::Get()) d->GetGlobalListeners().Remove(receiver, type);
}

void AddFilter(CRSEventReceiver* onReceiver, CRSEventReceiver* filterReceiver, int type) {
  if (onReceiver) onReceiver->GetFilters().Add(filterReceiver, type);
}

void RemoveFilter(CRSEventReceiver* onReceiver, CRSEventReceiver* filterReceiver, int type) {
  if (onReceiver) onReceiver->GetFilters().Remove(filterReceiver, type);
}

// ---- the dispatcher ----

CRSEventDispatcher* CRSEventDispatcher::Get() {
  if (!s_instance && !s_shutDown) Create();
  return s_instance;
}

void CRSEventDispatcher::Create() {
  if (s_instance) return;
  s_shutDown = false;
  s_instance = new CRSEventDispatcher();
  static ExitHook exitHook;
}

void CRSEventDispatcher::Shutdown() {
  CRSEventDispatcher* d = s_instance;
  if (!d) return;
  d->Discard();
  // The global-events object is the dispatcher's own; its destruction may
  // post events, which are discarded with the rest.
  CRSGlobalEvents::DestroyInstance();
  d->m_globalListeners.Clear();
  d->Discard();
  s_instance = nullptr;
  s_shutDown = true;
  delete d;
}

void CRSEventDispatcher::ForgetReceiver(CRSEventReceiver* receiver) {
  CRSEventDispatcher* d = s_instance;
  if (!d || !receiver) return;
  std::vector<CRSEventPtr> dropped;
  for (auto* queue : {&d->m_mainQueue, &d->m_deferredQueue}) {
    for (auto it = queue->begin(); it != queue->end();) {
      if (it->target == receiver) {
        dropped.push_back(std::move(it->event));
        it = queue->erase(it);
      } else {
        ++it;
      }
    }
  }
  receiver->m_queuedEventCount = 0;
  // Deleted only now that both queues are consistent: an event's destructor
  // may release the last reference to another receiver.
  dropped.clear();
}

void CRSEventDispatcher::RemoveFromGlobalListeners(CRSEventReceiver* receiver) {
  if (s_instance) s_instance->m_globalListeners.Remove(receiver, CRSEvents::kEventAll);
}

CRSEventDispatcher::CRSEventDispatcher() { m_targetId = platform::RegisterMessageTarget(this); }

CRSEventDispatcher::~CRSEventDispatcher() {
  platform::UnregisterMessageTarget(m_targetId);
  Discard();
}

void CRSEventDispatcher::RequestDrain() {
  if (m_drainPosted) return;
  m_drainPosted = platform::PostMessage(m_targetId, platform::kMsgDispatchEvents, 0, 0);
  if (m_drainPosted && m_retryArmed) {
    KillTimer(kDrainRetryTimer);
    m_retryArmed = false;
  } else if (!m_drainPosted && !m_retryArmed) {
    // The queue is full. Nothing else may post for a while, so the
    // dispatcher keeps asking by itself until a drain message gets in.
    SetTimer(kDrainRetryTimer, kDrainRetryMs);
    m_retryArmed = true;
  }
}

void CRSEventDispatcher::OnTimer(int id, unsigned) {
  if (id != kDrainRetryTimer) return;
  if (m_mainQueue.empty() && m_deferredQueue.empty()) {
    // Flushed or discarded meanwhile: nothing waits for a drain any more.
    KillTimer(kDrainRetryTimer);
    m_retryArmed = false;
    return;
  }
  RequestDrain();
}

void CRSEventDispatcher::Enqueue(std::deque<Entry>& queue, Entry entry) {
  if (entry.target) ++entry.target->m_queuedEventCount;
  queue.push_back(std::move(entry));
}

CRSEventDispatcher::Entry CRSEventDispatcher::Unlink(std::deque<Entry>& queue, std::deque<Entry>::iterator it) {
  Entry entry = std::move(*it);
  queue.erase(it);
  if (entry.target) --entry.target->m_queuedEventCount;
  return entry;
}

void CRSEventDispatcher::Post(CRSEventReceiver* target, CRSEventPtr event) {
  // An event for a receiver being deleted could never be delivered, and its
  // entry would outlive the target: it is dropped here.
  if (target && target->IsBeingDeleted()) return;
  Enqueue(m_mainQueue, Entry{target, std::move(event), m_nextSerial++});
  // One message drains the whole queue, events posted meanwhile included.
  RequestDrain();
}

void CRSEventDispatcher::Dispatch(CRSEventReceiver* target, CRSEventPtr event) {
  ++m_depth;
  {
    CRSAutoPtrLifeGuard guard(target);
    const int verdict = WalkListeners(m_globalListeners, event->GetType(), kVerdictStop, nullptr,
                                      [&](CRSEventReceiver* listener) {
                                        // A listener may have destroyed the target.
                                        return listener->FilterGlobalEvent(guard.Alive() ? target : nullptr, *event);
                                      });
    if (verdict > kVerdictSkipTarget && target && guard.Alive()) DeliverTo(target, *event);
  }
  --m_depth;
  event.reset();
  // Deferred events wait for the loop; make sure a drain message comes even
  // when nothing else is posted.
  if (m_depth == 0 && !m_deferredQueue.empty()) RequestDrain();
}

void CRSEventDispatcher::Process(Entry entry) {
  if (entry.event->DeferWhileDispatching() && m_depth > 0) {
    Enqueue(m_deferredQueue, std::move(entry));
  } else {
    Dispatch(entry.target, std::move(entry.event));
  }
  DrainDeferred();
}

void CRSEventDispatcher::DrainDeferred() {
  while (m_depth == 0 && !m_deferredQueue.empty()) {
    Entry entry = Unlink(m_deferredQueue, m_deferredQueue.begin());
    Dispatch(entry.target, std::move(entry.event));
  }
}

void CRSEventDispatcher::OnMessage(const platform::Message& msg) {
  if (msg.message != platform::kMsgDispatchEvents) return;
  // Cleared first: a handler may run a nested loop, whose posts need a drain
  // message of their own while this drain is suspended.
  m_drainPosted = false;
  while (!m_mainQueue.empty()) Process(Unlink(m_mainQueue, m_mainQueue.begin()));
  DrainDeferred();
}

void CRSEventDispatcher::Flush(CRSEventReceiver* target) {
  // Only what is queued now: a handler that posts again must not keep the
  // flush going for ever.
  const std::uint64_t limit = m_nextSerial;
  for (;;) {
    auto it = std::find_if(m_mainQueue.begin(), m_mainQueue.end(), [&](const Entry& e) {
      return e.serial < limit && (!target || e.target == target);
    });
    if (it == m_mainQueue.end()) break;
    Process(Unlink(m_mainQueue, it));
  }
}

void CRSEventDispatcher::Discard() {
  // Deleting an event may queue more (a destroyed object's children asking
  // for their own deletion), so repeat until both queues stay empty.
  while (!m_mainQueue.empty() || !m_deferredQueue.empty()) {
    std::vector<CRSEventPtr> dropped;
    for (auto* queue : {&m_mainQueue, &m_deferredQueue}) {
      while (!queue->empty()) dropped.push_back(std::move(Unlink(*queue, queue->begin()).event));
    }
    dropped.clear();
  }
}
