#include "canvas/event_receiver.h"

#include "canvas/event_dispatcher.h"
#include "canvas/events.h"

CRSEventReceiver::CRSEventReceiver(int deletionMode) : m_deletionMode(deletionMode) {}

CRSEventReceiver::~CRSEventReceiver() {
  BeginDestruction();
  CRSEventDispatcher::RemoveFromGlobalListeners(this);
  m_filters.Clear();
  // Events still queued for this receiver would reach freed memory; they are
  // dropped undelivered. Last, so that nothing above can queue more.
  if (m_queuedEventCount > 0) CRSEventDispatcher::ForgetReceiver(this);
  // has_slots disconnects the rest when its own destructor runs.
}

void CRSEventReceiver::Delete() {
  switch (m_deletionMode) {
    case kDeleteNow:
      disconnect_all();
      CRSAutoPtrPolymorphicBase::Delete();
      break;
    case kDeleteThroughQueue:
      DeleteLater();
      break;
    default:
      break;
  }
}

void CRSEventReceiver::DeleteLater() {
  if (m_deletionMode == kDeletionQueued) return;
  PostEvent(nullptr, std::make_unique<CRSEvents::ForceDeleteReceiver>(this));
}

void CRSEventReceiver::OnEvent(CRSEvents::BasicEvent&) {}

int CRSEventReceiver::FilterEvent(CRSEventReceiver*, CRSEvents::BasicEvent&) { return kVerdictContinue; }

int CRSEventReceiver::FilterGlobalEvent(CRSEventReceiver*, CRSEvents::BasicEvent&) { return kVerdictContinue; }
