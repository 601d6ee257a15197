#include "canvas/global_events.h"

#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "platform/messages.h"

namespace {
CRSGlobalEvents* s_instance = nullptr;
}

CRSGlobalEvents* CRSGlobalEvents::Get() {
  if (!s_instance && CRSEventDispatcher::Get()) s_instance = new CRSGlobalEvents();
  return s_instance;
}

void CRSGlobalEvents::DestroyInstance() {
  // The destructor clears s_instance.
  if (s_instance) s_instance->Delete();
}

CRSGlobalEvents::CRSGlobalEvents() {
  AddGlobalListener(this, CRSEvents::kEventMouse);
  AddGlobalListener(this, CRSEvents::kEventKey);
}

CRSGlobalEvents::~CRSGlobalEvents() {
  BeginDestruction();
  if (s_instance == this) s_instance = nullptr;
}

int CRSGlobalEvents::FilterGlobalEvent(CRSEventReceiver*, CRSEvents::BasicEvent& event) {
  const unsigned message = static_cast<unsigned>(event.GetMessage());
  if (event.GetType() == CRSEvents::kEventMouse && message == platform::kMsgLButtonDown) {
    sigNextMouseDown();
    sigNextMouseDown.disconnect_all();
  } else if (event.GetType() == CRSEvents::kEventKey &&
             (message == platform::kMsgKeyDown || message == platform::kMsgSysKeyDown)) {
    sigNextKeyDown();
    sigNextKeyDown.disconnect_all();
  }
  return kVerdictContinue;
}
