#include "canvas/mouse_leave_dispatcher.h"

#include <algorithm>

#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "canvas/object.h"
#include "platform/messages.h"

namespace {

bool IsSelfOrAncestorOf(const CRSObject* candidate, const CRSObject* target) {
  for (const CRSObject* o = target; o; o = o->GetParent())
    if (o == candidate) return true;
  return false;
}

}  // namespace

CRSMouseLeaveDispatcher& CRSMouseLeaveDispatcher::Instance() {
  // Kept until the process ends: items may leave the hover list from their
  // destructors during the last teardown.
  static CRSMouseLeaveDispatcher* instance = new CRSMouseLeaveDispatcher();
  return *instance;
}

CRSMouseLeaveDispatcher::CRSMouseLeaveDispatcher() { AddGlobalListener(this, CRSEvents::kEventMouse); }

void CRSMouseLeaveDispatcher::AddHover(CRSObject* object) {
  if (!object || IsHovered(object)) return;
  m_hovered.emplace_back(object);
}

void CRSMouseLeaveDispatcher::RemoveHover(CRSObject* object) {
  m_hovered.erase(std::remove_if(m_hovered.begin(), m_hovered.end(),
                                 [object](const auto& p) { return p.get() == object || !p; }),
                  m_hovered.end());
}

bool CRSMouseLeaveDispatcher::IsHovered(const CRSObject* object) const {
  return std::any_of(m_hovered.begin(), m_hovered.end(), [object](const auto& p) { return p.get() == object; });
}

int CRSMouseLeaveDispatcher::FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  if (event.GetType() != CRSEvents::kEventMouse) return kVerdictContinue;
  const CRSObject* targetObject = dynamic_cast<CRSObject*>(target);
  // Decide first, then notify: a leave handler may hover or unhover others.
  std::vector<CRSAutoPtrPolymorphic<CRSObject>> left;
  for (auto it = m_hovered.begin(); it != m_hovered.end();) {
    CRSObject* hovered = it->get();
    if (hovered && targetObject && IsSelfOrAncestorOf(hovered, targetObject)) {
      ++it;
      continue;
    }
    if (hovered) left.push_back(*it);
    it = m_hovered.erase(it);
  }
  for (auto& object : left) {
    if (CRSObject* o = object.get())
      DispatchEvent(o, std::make_unique<CRSCanvasEvents::MouseLeave>(static_cast<int>(platform::kMsgMouseLeave)));
  }
  return kVerdictContinue;
}

void AddHover(CRSObject* object) { CRSMouseLeaveDispatcher::Instance().AddHover(object); }
void RemoveHover(CRSObject* object) { CRSMouseLeaveDispatcher::Instance().RemoveHover(object); }
