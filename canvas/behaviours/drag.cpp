// Dragging with the left button.

#include "canvas/behaviours.h"

#include "canvas/events.h"
#include "platform/messages.h"

CBehaviourDrag::CBehaviourDrag(CRSCanvasItem* item, const std::string& name) : CRSCanvasBehaviour(item, name) {
  ReplaceOthers<CBehaviourDrag>();
  if (!item) return;
  item->SetCursor(kCursorHand);
  FilterItemMouse();
}

CBehaviourDrag::~CBehaviourDrag() = default;

CBehaviourDrag* CBehaviourDrag::GetOrCreate(CRSCanvasItem* item) {
  if (!item) return nullptr;
  if (auto* existing = Find<CBehaviourDrag>(item)) return existing;
  return new CBehaviourDrag(item);
}

int CBehaviourDrag::FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  CRSCanvasItem* item = GetItem();
  if (!m_enabled || !item || event.GetType() != CRSEvents::kEventMouse) return kVerdictContinue;
  auto& mouse = static_cast<CRSCanvasEvents::Mouse&>(event);
  mouse.m_handled = true;
  const PointF local = LocalPoint(target, mouse);
  const unsigned message = static_cast<unsigned>(event.GetMessage());
  if (m_dragging && message != platform::kMsgLButtonUp) {
    // The grabbed point is the origin, so placing the origin at the pointer
    // keeps the grabbed point under it.
    PointF inParent = local;
    item->GetTransform().TransformPoints(&inParent);
    if (m_axisMode == kAxisKeepX) inParent.X = item->GetPosition().X;
    item->SetPosition(inParent);
  }
  if (message == platform::kMsgLButtonDown) {
    m_dragging = true;
    item->SetOrigin(local);
  } else if (message == platform::kMsgLButtonUp) {
    m_dragging = false;
  }
  return kVerdictContinue;
}

void CBehaviourDrag::End() { m_dragging = false; }
