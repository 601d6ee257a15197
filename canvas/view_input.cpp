#include "canvas/view_input.h"

#include "canvas/behaviours.h"
#include "canvas/items.h"
#include "canvas/key_focus.h"
#include "canvas/view.h"
#include "canvas/weak_ref.h"

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

// --- keyboard focus -------------------------------------------------------------

void CRSCanvasView::SetFocusItem(CRSCanvasItem* item) {
  // Only a focusable item of the tree this view shows can hold the keyboard.
  if (item && (!item->IsTabStop() || !m_root || item->GetRootItem() != m_root.get())) item = nullptr;
  CRSCanvasItem* old = m_focus.get();
  // The ring shows where the keyboard is once Tab has moved it; a press
  // that moves the keyboard takes the ring away.
  const bool byKey = IsKeyFocusRequest();
  if (CRSCanvasItem* ring = m_focusRing.get(); ring && (old != item || !byKey)) {
    ring->Delete();
    m_focusRing.Release();
  }
  if (item && byKey && !m_focusRing.get()) m_focusRing.Assign(CreateFocusRing(item));
  if (old == item) {
    SetTextInput(item && item->TakesText());
    return;
  }
  if (old) old->sigDestroying.disconnect(this);
  m_focus.Assign(item);
  if (item) item->sigDestroying.connect(this, &CRSCanvasView::OnFocusDestroying);
  SetTextInput(item && item->TakesText());
  // The old holder hears of its loss first, so at most one caret shows.
  CRSWeakRef<CRSCanvasItem> newRef(item);
  if (old) old->OnFocusChanged(false);
  if (CRSCanvasItem* now = newRef.get(); now && m_focus.get() == now) now->OnFocusChanged(true);
}

CRSCanvasItem* CRSCanvasView::GetLiveFocusItem() {
  CRSCanvasItem* focus = m_focus.get();
  if (!focus) return nullptr;
  bool shown = m_root && focus->GetRootItem() == m_root.get();
  for (CRSCanvasItem* item = focus; shown && item; item = item->GetParentItem()) shown = item->IsVisible();
  if (!shown) SetFocusItem(nullptr);
  return m_focus.get();
}

void CRSCanvasView::OnFocusDestroying() {
  // The holder is going; it is told nothing more.
  m_focus.Release();
  SetTextInput(false);
}

void CRSCanvasView::SetTextInput(bool on) {
  if (on == m_textInputOn) return;
  m_textInputOn = on;
  if (!HasWindow()) return;
  if (on) {
    m_window->StartTextInput();
  } else {
    m_window->StopTextInput();
  }
}
