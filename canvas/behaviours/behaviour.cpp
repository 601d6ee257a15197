// The base of every behaviour: attachment to one item, the mouse filter, and
// the conversion of a filtered event's point into the item's coordinates.

#include "canvas/behaviours.h"

#include "canvas/event_dispatcher.h"
#include "canvas/events.h"

CRSCanvasBehaviour::CRSCanvasBehaviour(CRSCanvasItem* item, const std::string& name)
    : CRSObject(nullptr, name), m_item(item) {}

CRSCanvasBehaviour::~CRSCanvasBehaviour() {
  // From here on smart pointers read null, so taking this behaviour off the
  // item's lists below can never try to delete it a second time.
  BeginDestruction();
  if (m_item) {
    RemoveFilter(m_item, this, 0);
    m_item->RemoveBehaviour(this);
    m_item = nullptr;
  }
}

void CRSCanvasBehaviour::FilterItemMouse() {
  if (m_item) AddFilter(m_item, this, CRSEvents::kEventMouse);
}

PointF CRSCanvasBehaviour::LocalPoint(CRSEventReceiver* target, const CRSCanvasEvents::Mouse& mouse) const {
  auto* receiver = dynamic_cast<CRSCanvasItem*>(target);
  if (!m_item || !receiver || receiver == m_item) return mouse.m_point;
  PointF p = receiver->MapToAncestor(mouse.m_point, nullptr);
  Gdiplus::Matrix toLocal = m_item->GetTransformTo(nullptr);
  toLocal.Invert();
  toLocal.TransformPoints(&p);
  return p;
}
