#pragma once
// Signals that can also be emitted later, through the event queue. EmitLater
// posts an event holding copies of the arguments to the signal itself; the
// slots run when the message loop delivers it, after the input or handler
// that caused it has returned, so they may safely delete the emitter.
//
// Such a signal is usually a member of the object that emits it; events still
// queued when that object is destroyed are dropped with it.

#include <utility>

#include "canvas/event_dispatcher.h"
#include "canvas/event_receiver.h"
#include "canvas/events.h"
#include "canvas/sigslot.h"

class CRSSignalEmittedTroughEvent0 : public sigslot::signal0, public CRSEventReceiver {
 public:
  CRSSignalEmittedTroughEvent0() : CRSEventReceiver(kDeleteThroughQueue) {}

  void EmitLater() { PostEvent(this, std::make_unique<CRSEventsWithSignal::SignalEmit0>()); }

  void OnEvent(CRSEvents::BasicEvent& event) override {
    if (event.GetType() == CRSEvents::kEventSignalEmit0) emit();
  }
};

template <class T>
class CRSSignalEmittedTroughEvent1 : public sigslot::signal1<T>, public CRSEventReceiver {
 public:
  CRSSignalEmittedTroughEvent1() : CRSEventReceiver(kDeleteThroughQueue) {}

  void EmitLater(T arg) { PostEvent(this, std::make_unique<CRSEventsWithSignal::SignalEmit1<T>>(std::move(arg))); }

  void OnEvent(CRSEvents::BasicEvent& event) override {
    if (event.GetType() != CRSEvents::kEventSignalEmit1) return;
    auto& e = static_cast<CRSEventsWithSignal::SignalEmit1<T>&>(event);
    this->emit(e.m_arg);
  }
};

template <class T1, class T2>
class CRSSignalEmittedTroughEvent2 : public sigslot::signal2<T1, T2>, public CRSEventReceiver {
 public:
  CRSSignalEmittedTroughEvent2() : CRSEventReceiver(kDeleteThroughQueue) {}

  void EmitLater(T1 arg1, T2 arg2) {
    PostEvent(this, std::make_unique<CRSEventsWithSignal::SignalEmit2<T1, T2>>(std::move(arg1), std::move(arg2)));
  }

  void OnEvent(CRSEvents::BasicEvent& event) override {
    if (event.GetType() != CRSEvents::kEventSignalEmit2) return;
    auto& e = static_cast<CRSEventsWithSignal::SignalEmit2<T1, T2>&>(event);
    this->emit(e.m_arg1, e.m_arg2);
  }
};
