#pragma once
// CRSEventReceiver: something that events can be addressed to, that can watch
// other receivers' events (filters) and every event (global listeners), and
// whose deletion can be put off until no event dispatch is running.

#include "canvas/auto_ptr.h"
#include "canvas/listener_map.h"
#include "canvas/sigslot.h"

namespace CRSEvents {
class BasicEvent;
}

// What a filter or global listener answers for an event. The dispatcher keeps
// the lowest answer seen, except that kVerdictRestore puts the default back.
enum : int {
  kVerdictStop = 0,        // no further listener or filter, no delivery
  kVerdictSkipTarget = 1,  // global: the others still run, the target gets nothing; filter: as Stop
  kVerdictSkipHandler = 2, // the target's own handler is skipped, the others still run
  kVerdictContinue = 3,    // the default
  kVerdictRestore = 4,     // continue, and cancel any lower verdict given earlier
};

class CRSEventReceiver : public CRSAutoPtrPolymorphicBase, public sigslot::has_slots {
 public:
  enum DeletionMode : int {
    kDeleteNow = 0,           // Delete destroys at once
    kDeleteThroughQueue = 1,  // Delete posts a force-delete event
    kDeletionQueued = 2,      // a force-delete event is on its way
  };

  explicit CRSEventReceiver(int deletionMode = kDeleteNow);
  ~CRSEventReceiver() override;

  // Ends the receiver according to its deletion mode.
  void Delete() override;
  // Queues the receiver's deletion (unless already queued); it happens when
  // the event arrives and no dispatch is running, or when the queue is
  // discarded.
  virtual void DeleteLater();
  // The receiver's own handler.
  virtual void OnEvent(CRSEvents::BasicEvent& event);
  // Called when this receiver is a filter on `target`.
  virtual int FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event);
  // Called when this receiver is a global listener; `target` may be null.
  virtual int FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event);

  int GetDeletionMode() const { return m_deletionMode; }
  void SetDeletionMode(int mode) { m_deletionMode = mode; }

  // The receivers that see this receiver's events before it does.
  CRSListenerMap& GetFilters() { return m_filters; }

  // How many queued events name this receiver as their target; kept by the
  // dispatcher so that destroying a receiver purges only when it must.
  int m_queuedEventCount = 0;

 private:
  int m_deletionMode;
  CRSListenerMap m_filters;
};
