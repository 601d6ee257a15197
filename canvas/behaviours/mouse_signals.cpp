// Press notifications for an item, at once and through the event queue.

#include "canvas/behaviours.h"

#include "canvas/events.h"
#include "platform/messages.h"

CBehaviourSignalMousEvents::CBehaviourSignalMousEvents(CRSCanvasItem* item, const std::string& name)
    : CRSCanvasBehaviour(item, name) {
  ReplaceOthers<CBehaviourSignalMousEvents>();
  FilterItemMouse();
}

CBehaviourSignalMousEvents::~CBehaviourSignalMousEvents() = default;

CBehaviourSignalMousEvents* CBehaviourSignalMousEvents::GetOrCreate(CRSCanvasItem* item) {
  if (!item) return nullptr;
  if (auto* existing = Find<CBehaviourSignalMousEvents>(item)) return existing;
  return new CBehaviourSignalMousEvents(item);
}

int CBehaviourSignalMousEvents::FilterEvent(CRSEventReceiver*, CRSEvents::BasicEvent& event) {
  CRSCanvasItem* item = GetItem();
  if (!item || event.GetType() != CRSEvents::kEventMouse) return kVerdictContinue;
  auto& mouse = static_cast<CRSCanvasEvents::Mouse&>(event);
  mouse.m_handled = true;
  const unsigned message = static_cast<unsigned>(event.GetMessage());
  if (message == platform::kMsgLButtonDown) {
    PointF point = mouse.m_point;
    // A slot may delete the item and this behaviour with it; the queued
    // signals are then gone too and must not be touched.
    CRSAutoPtrLifeGuard alive(this);
    sigPressed(item);
    if (!alive.Alive()) return kVerdictContinue;
    sigPressedAt(item, point);
    if (!alive.Alive()) return kVerdictContinue;
    sigPressedLater.EmitLater();
    sigPressedItemLater.EmitLater(item);
    sigPressedAtLater.EmitLater(item, point);
  } else if (message == platform::kMsgLButtonDblClk) {
    sigDoubleClickedLater.EmitLater();
  }
  return kVerdictContinue;
}
