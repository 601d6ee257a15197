#include "canvas/events.h"

#include "canvas/event_receiver.h"

namespace CRSEvents {

ForceDeleteReceiver::ForceDeleteReceiver(CRSEventReceiver* receiver)
    : BasicEvent(kEventForceDeleteReceiver, 0, true) {
  if (!receiver || receiver->GetDeletionMode() == CRSEventReceiver::kDeletionQueued) return;
  m_receiver = receiver;
  receiver->SetDeletionMode(CRSEventReceiver::kDeletionQueued);
}

ForceDeleteReceiver::~ForceDeleteReceiver() {
  if (CRSEventReceiver* receiver = m_receiver.get()) {
    receiver->SetDeletionMode(CRSEventReceiver::kDeleteNow);
    m_receiver.ResetWithDeletion();
  }
}

}  // namespace CRSEvents
