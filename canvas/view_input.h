#pragma once
// The two behaviours the view talks to: the root's keyboard entry point and
// the press signal of the root's drag handle.

class CRSCanvasItem;
class CRSCanvasView;
class CRSEventReceiver;

// The root's message handler behaviour (the first of its class attached to
// the root), or null; key events are dispatched to it.
CRSEventReceiver* FindKeyHandler(CRSCanvasItem* root);

// Connects the press signal of the handle's mouse-signal behaviour (made when
// missing) to the view's slot, and cuts that connection again.
void ConnectDragHandle(CRSCanvasItem* handle, CRSCanvasView* view, void (CRSCanvasView::*slot)(CRSCanvasItem*));
void DisconnectDragHandle(CRSCanvasItem* handle, CRSCanvasView* view);
