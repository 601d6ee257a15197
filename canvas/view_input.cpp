#include "canvas/view_input.h"

#include "canvas/behaviours.h"
#include "canvas/items.h"
#include "canvas/view.h"

CRSEventReceiver* FindKeyHandler(CRSCanvasItem* root) {
  return CRSCanvasBehaviour::Find<CBehaviourMessageHandler>(root);
}

void ConnectDragHandle(CRSCanvasItem* handle, CRSCanvasView* view, void (CRSCanvasView::*slot)(CRSCanvasItem*)) {
  if (CBehaviourSignalMousEvents* signals = CBehaviourSignalMousEvents::GetOrCreate(handle))
    signals->sigPressed.connect(view, slot);
}

void DisconnectDragHandle(CRSCanvasItem* handle, CRSCanvasView* view) {
  if (CBehaviourSignalMousEvents* signals = CRSCanvasBehaviour::Find<CBehaviourSignalMousEvents>(handle))
    signals->sigPressed.disconnect(view);
}
