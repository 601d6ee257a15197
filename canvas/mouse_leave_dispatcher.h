#pragma once
// Hover tracking: objects under the pointer put themselves on the hover list
// and get exactly one MouseLeave event when a mouse event next goes to
// something outside them, or when the pointer leaves the window.

#include <vector>

#include "canvas/auto_ptr.h"
#include "canvas/event_receiver.h"

class CRSObject;

class CRSMouseLeaveDispatcher : public CRSEventReceiver {
 public:
  // The process-wide dispatcher, listening for mouse events from creation.
  static CRSMouseLeaveDispatcher& Instance();

  void AddHover(CRSObject* object);
  void RemoveHover(CRSObject* object);
  bool IsHovered(const CRSObject* object) const;

  int FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

 private:
  CRSMouseLeaveDispatcher();
  std::vector<CRSAutoPtrPolymorphic<CRSObject>> m_hovered;
};

// Free functions over the process-wide hover list.
void AddHover(CRSObject* object);
void RemoveHover(CRSObject* object);
