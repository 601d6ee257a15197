#pragma once
// The events of the framework. An event is either dispatched at once (mouse
// and key input) or posted and delivered later from the message loop; either
// way the dispatcher owns it and deletes it after delivery.
//
// Type ids are part of the interface: listeners and filters are added per
// type id, 0 meaning every type. 5 and 6 are not assigned.

#include <utility>

#include "canvas/auto_ptr.h"
#include "canvas/weak_ref.h"
#include "platform/types.h"

class CRSEventReceiver;
class CRSCanvasItem;

namespace CRSEvents {

enum EventType : int {
  kEventAll = 0,
  kEventForceDeleteReceiver = 1,
  kEventSignalEmit0 = 2,
  kEventSignalEmit1 = 3,
  kEventSignalEmit2 = 4,
  kEventMouse = 7,
  kEventMouseLeave = 8,
  kEventKey = 9,
};

class BasicEvent {
 public:
  BasicEvent(int type, int message = 0, bool deferWhileDispatching = false)
      : m_type(type), m_message(message), m_deferWhileDispatching(deferWhileDispatching) {}
  virtual ~BasicEvent() = default;
  BasicEvent(const BasicEvent&) = delete;
  BasicEvent& operator=(const BasicEvent&) = delete;

  int GetType() const { return m_type; }
  // The window message the event came from; 0 where none.
  int GetMessage() const { return m_message; }
  // Such an event is held back while any dispatch is running and delivered
  // once the outermost one has returned.
  bool DeferWhileDispatching() const { return m_deferWhileDispatching; }

 private:
  int m_type;
  int m_message;
  bool m_deferWhileDispatching;
};

// Deletes its receiver when the event itself is destroyed: after delivery, or
// when the queue is discarded. Creating it marks the receiver's deletion as
// queued, so further Delete calls do nothing until then.
class ForceDeleteReceiver : public BasicEvent {
 public:
  explicit ForceDeleteReceiver(CRSEventReceiver* receiver);
  ~ForceDeleteReceiver() override;

  CRSEventReceiver* GetReceiver() const { return m_receiver.get(); }

 private:
  CRSAutoPtrPolymorphic<CRSEventReceiver> m_receiver;  // owning
};

}  // namespace CRSEvents

namespace CRSEventsWithSignal {

// The emission of a signal, carried through the queue with copies of its
// arguments.
class SignalEmit0 : public CRSEvents::BasicEvent {
 public:
  SignalEmit0() : BasicEvent(CRSEvents::kEventSignalEmit0) {}
};

template <class T>
class SignalEmit1 : public CRSEvents::BasicEvent {
 public:
  explicit SignalEmit1(T arg) : BasicEvent(CRSEvents::kEventSignalEmit1), m_arg(std::move(arg)) {}
  T m_arg;
};

template <class T1, class T2>
class SignalEmit2 : public CRSEvents::BasicEvent {
 public:
  SignalEmit2(T1 arg1, T2 arg2)
      : BasicEvent(CRSEvents::kEventSignalEmit2), m_arg1(std::move(arg1)), m_arg2(std::move(arg2)) {}
  T1 m_arg1;
  T2 m_arg2;
};

}  // namespace CRSEventsWithSignal

namespace CRSCanvasEvents {

// Mouse input for one item. The point is in the target's local coordinates;
// the key state holds the message's button and modifier flags.
class Mouse : public CRSEvents::BasicEvent {
 public:
  Mouse(int message, Gdiplus::PointF point, unsigned keyState)
      : BasicEvent(CRSEvents::kEventMouse, message), m_point(point), m_keyState(keyState) {}
  Gdiplus::PointF m_point;
  unsigned m_keyState;
  bool m_handled = false;
};

class MouseLeave : public CRSEvents::BasicEvent {
 public:
  explicit MouseLeave(int message) : BasicEvent(CRSEvents::kEventMouseLeave, message) {}
};

// Key input: the virtual-key code (the message's first parameter) and the
// message's second parameter. For a character message (258) the code is the
// character's Unicode code point.
//
// A key event aimed at the item that has the keyboard climbs its parent
// chain until an item marks it handled; an event nobody handled goes on to
// `m_unhandledTarget` (the root's key handler), so shortcuts keep working
// while a text field has the focus.
class Key : public CRSEvents::BasicEvent {
 public:
  Key(int message, unsigned virtualKey, long keyData)
      : BasicEvent(CRSEvents::kEventKey, message), m_virtualKey(virtualKey), m_keyData(keyData) {}
  unsigned m_virtualKey;
  long m_keyData;
  bool m_handled = false;
  CRSWeakRef<CRSEventReceiver> m_unhandledTarget;
  // The item that had the keyboard when the key was pressed, or null.
  CRSWeakRef<CRSCanvasItem> m_focusItem;
};

}  // namespace CRSCanvasEvents
