#pragma once
// What a canvas view asks of its root beyond being an item: the parts of a
// control window that steer the platform window. A root that is not a
// control window simply has none of them.

#include "canvas/signal_through_event.h"
#include "canvas/sigslot.h"

class CRSCanvasItem;
class CRSCanvasText;

class CRSViewRoot {
 public:
  virtual ~CRSViewRoot() = default;

  // The item whose press may start a window drag (a title bar), or null.
  virtual CRSCanvasItem* GetDragHandle() { return nullptr; }
  // The text item whose text is the window caption, or null.
  virtual CRSCanvasText* GetTitleTextItem() { return nullptr; }
  // Click signals of the minimise, maximise and restore buttons, or null.
  virtual CRSSignalEmittedTroughEvent0* GetMinimizeClicked() { return nullptr; }
  virtual CRSSignalEmittedTroughEvent0* GetMaximizeClicked() { return nullptr; }
  virtual CRSSignalEmittedTroughEvent0* GetRestoreClicked() { return nullptr; }
  // Told by the view whether the window is maximised.
  virtual void SetMaximized(bool) {}
  virtual bool IsMaximized() const { return false; }
};
