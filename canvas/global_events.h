#pragma once
// Process-wide one-shot signals for "the next input anywhere": a slot
// connected to sigNextMouseDown runs once, on the next left-button press in
// the window, before the press reaches its target; then it is disconnected.
// sigNextKeyDown does the same for the next key press (plain or system).
// Menus and pop-ups use them to close when the user clicks or types elsewhere.

#include "canvas/event_receiver.h"
#include "canvas/sigslot.h"

class CRSGlobalEvents : public CRSEventReceiver {
 public:
  // The one instance, created on first use (start-up creates it with the
  // event dispatcher). The dispatcher owns it and ends it when it shuts
  // down (listening does not keep it alive); null once the dispatcher is
  // gone.
  static CRSGlobalEvents* Get();
  // Ends the instance, if there is one; the dispatcher's shutdown calls it.
  static void DestroyInstance();

  int FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

  sigslot::signal0 sigNextMouseDown;
  sigslot::signal0 sigNextKeyDown;

  ~CRSGlobalEvents() override;

 private:
  CRSGlobalEvents();
};
