// The table's layers and view, and the input that zooms and pans it.

#include "play/table.h"

#include <cmath>

#include "canvas/behaviours.h"
#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "canvas/items/kept_layer.h"
#include "play/table_history.h"
#include "play/tray.h"
#include "platform/keyboard.h"
#include "platform/messages.h"

// A layer of the table. The surface answers a press on the empty table; the
// lift answers only through what lies on it, so the windows under it stay
// within reach. The surface keeps a picture of the pieces lying on it: a pan
// scrolls it, a wheel step scales it until the wheel rests, and the pieces
// are painted again only where something changed. The lift holds the few
// items in the player's hand and paints them directly.
class CPuzzleTable::Layer : public CRSKeptLayer {
 public:
  Layer(CRSCanvasItem* floor, const char* name, bool isSurface)
      : CRSKeptLayer(floor, name, isSurface), m_answersPresses(isSurface) {
    SetSoftImageFrame(true);
    // Above every window, the lift is painted over a picture of the rest
    // while it holds something: a selection of hundreds of pieces dragged
    // over the table repaints them alone.
    SetTopLayer(!isSurface);
  }

  bool ContainsPoint(const PointF& local) override {
    return m_answersPresses && CRSCanvasItem::ContainsPoint(local);
  }

 private:
  bool m_answersPresses;
};

CPuzzleTable::CPuzzleTable(CRSObject* owner, CRSCanvasItem* floor, const SizeF& size)
    : CRSObject(owner, "puzzleTable"),
      m_floor(floor),
      m_ownSize(size.Width > 0.0f && size.Height > 0.0f),
      m_history(std::make_unique<CTableHistory>(*this)) {
  // What the table moves of its own accord is a step of the history.
  sigItemsMoved.connect(m_history.get(), &CTableHistory::RequestCommit);
  if (!floor) return;
  auto* surface = new Layer(floor, "tableSurface", true);
  surface->SetZOrder(kSurfaceZOrder);
  auto* lift = new Layer(floor, "tableLift", false);
  lift->SetZOrder(kLiftZOrder);
  m_surface.Assign(surface);
  m_lift.Assign(lift);
  const SizeF tableSize = m_ownSize ? size : floor->GetSize();
  surface->SetSize(tableSize);
  lift->SetSize(tableSize);
  m_viewport.SetTableSize(tableSize);
  m_viewport.SetWindowSize(floor->GetSize());
  floor->sigResized.connect(this, &CPuzzleTable::OnFloorResized);
  AddGlobalListener(this, CRSEvents::kEventMouse);
  AddGlobalListener(this, CRSEvents::kEventKey);
  sigViewChanged.connect(this, &CPuzzleTable::UpdateFocusFrame);
  sigItemsMoved.connect(this, &CPuzzleTable::UpdateFocusFrame);
  ApplyView();
}

CPuzzleTable::~CPuzzleTable() {
  RemoveGlobalListener(this, CRSEvents::kEventMouse);
  RemoveGlobalListener(this, CRSEvents::kEventKey);
  KillAllTimers();
  if (CRSCanvasItem* floor = m_floor.get()) floor->sigResized.disconnect(this);
}

SizeF CPuzzleTable::GetSize() const { return m_viewport.GetTableSize(); }

void CPuzzleTable::OnFloorResized(CRSCanvasItem*, const SizeF& size) {
  if (!m_ownSize) {
    // The pieces' alignment follows the layers' new size.
    if (CRSCanvasItem* surface = m_surface.get()) surface->SetSize(size);
    if (CRSCanvasItem* lift = m_lift.get()) lift->SetSize(size);
    m_viewport.SetTableSize(size);
  }
  m_viewport.SetWindowSize(size);
  ApplyView();
}

void CPuzzleTable::ApplyView() {
  const float zoom = m_viewport.GetZoom();
  for (CRSCanvasItem* item : {m_surface.get(), m_lift.get()}) {
    auto* layer = static_cast<Layer*>(item);
    if (!layer) continue;
    // The view origin is the layer's origin, drawn at the floor's corner.
    // Setting an origin keeps the item where it was on screen; the position
    // then moves it. One repaint covers the three changes.
    layer->InvalidateTransform();
    const bool enabled = layer->GetUpdatesEnabled();
    layer->SetUpdatesEnabled(false);
    layer->SetScale(PointF(zoom, zoom));
    layer->SetOrigin(m_viewport.GetOrigin());
    layer->SetPosition(PointF());
    layer->SetUpdatesEnabled(enabled);
    layer->InvalidateTransform();
  }
  sigViewChanged();
}

void CPuzzleTable::SetView(float zoom, const PointF& origin) {
  m_viewport.SetView(zoom, origin);
  ApplyView();
}

void CPuzzleTable::ZoomSteps(const PointF& floorPoint, int steps) {
  // Steps in a row (the wheel turning) scale the picture of the table; the
  // pieces are painted sharp again once it rests.
  if (auto* surface = static_cast<Layer*>(m_surface.get())) surface->ScaleSoftlyFor(kZoomRestMs);
  m_viewport.ZoomSteps(floorPoint, steps);
  ApplyView();
}

void CPuzzleTable::ZoomAboutCentre(float zoom) {
  const SizeF window = m_viewport.GetWindowSize();
  m_viewport.ZoomAbout(PointF(window.Width / 2.0f, window.Height / 2.0f), zoom);
  ApplyView();
}

void CPuzzleTable::PanBy(const PointF& screenDelta) {
  // Whole pixels, so that the surface's picture scrolls instead of being
  // painted again.
  m_viewport.PanBy(PointF(std::round(screenDelta.X), std::round(screenDelta.Y)));
  ApplyView();
}

void CPuzzleTable::CentreOn(const PointF& tablePoint) {
  m_viewport.CentreOn(tablePoint);
  ApplyView();
}

void CPuzzleTable::BringIntoView(const RectF& tableRect) {
  if (m_viewport.BringIntoView(tableRect, kViewMargin)) ApplyView();
}

void CPuzzleTable::BringIntoView(const std::vector<CRSCanvasItem*>& items) {
  RectF all;
  bool any = false;
  for (CRSCanvasItem* item : items) {
    // What lies in a tray is shown by bringing its tray to the front.
    if (CPuzzleTray* tray = TrayHolding(item)) {
      tray->BringToFront();
      continue;
    }
    const RectF box = GetTableBounds(item);
    if (box.Width <= 0.0f && box.Height <= 0.0f) continue;
    if (!any) all = box;
    else RectF::Union(all, all, box);
    any = true;
  }
  if (any) BringIntoView(all);
}

RectF CPuzzleTable::GetTableBounds(CRSCanvasItem* item) {
  CRSCanvasItem* layer = item ? item->GetParentItem() : nullptr;
  while (layer && layer != m_surface.get() && layer != m_lift.get()) layer = layer->GetParentItem();
  return layer ? item->GetBoundsIn(layer) : RectF();
}

bool CPuzzleTable::OnViewKey(unsigned vk, unsigned modifiers) {
  if (!(modifiers & platform::kKeyStateControl)) return false;
  const SizeF window = m_viewport.GetWindowSize();
  const PointF centre(window.Width / 2.0f, window.Height / 2.0f);
  switch (vk) {
    case platform::kVkOemPlus:
    case platform::kVkAdd:
      ZoomSteps(centre, 1);
      return true;
    case platform::kVkOemMinus:
    case platform::kVkSubtract:
      ZoomSteps(centre, -1);
      return true;
    case '0':
    case platform::kVkNumpad0:
      ZoomAboutCentre(1.0f);
      return true;
    case '9':
    case platform::kVkNumpad0 + 9:
      SetView(m_viewport.GetMinZoom(), PointF());
      return true;
    case platform::kVkLeft:
      PanBy(PointF(-window.Width / 10.0f, 0.0f));
      return true;
    case platform::kVkRight:
      PanBy(PointF(window.Width / 10.0f, 0.0f));
      return true;
    case platform::kVkUp:
      PanBy(PointF(0.0f, -window.Height / 10.0f));
      return true;
    case platform::kVkDown:
      PanBy(PointF(0.0f, window.Height / 10.0f));
      return true;
    default:
      return false;
  }
}

CRSCanvasItem* CPuzzleTable::TopItemOn(CRSCanvasItem* item, const CRSCanvasItem* layer) {
  // The item may have joined a group meanwhile: the group is what moves.
  while (item && item->GetParentItem() && item->GetParentItem() != layer) item = item->GetParentItem();
  return item && item->GetParentItem() == layer ? item : nullptr;
}

void CPuzzleTable::Lift(CRSCanvasItem* item) {
  if (LiftFromTray(item)) return;
  CRSCanvasItem* lift = m_lift.get();
  if (CRSCanvasItem* top = TopItemOn(item, m_surface.get()); top && lift) top->SetParent(lift);
}

void CPuzzleTable::Settle(CRSCanvasItem* item) {
  CRSCanvasItem* surface = m_surface.get();
  if (CRSCanvasItem* top = TopItemOn(item, m_lift.get()); top && surface) top->SetParent(surface);
}

void CPuzzleTable::Hold(CRSCanvasItem* item) {
  m_held.Assign(item);
  if (item) SetTimer(kEdgeScrollTimer, kEdgeScrollPeriodMs);
}

void CPuzzleTable::OnTimer(int id, unsigned) {
  if (id != kEdgeScrollTimer) return;
  CRSCanvasItem* item = m_held.get();
  auto* drag = item ? CRSCanvasBehaviour::Find<CBehaviourDrag>(item) : nullptr;
  if (!drag || !drag->IsDragging() || item->GetParentItem() != m_lift.get()) {
    KillTimer(kEdgeScrollTimer);
    m_held.Release();
    return;
  }
  // The drag keeps the grabbed point, the item's origin, under the pointer.
  const PointF pointer = m_viewport.ToScreen(item->GetPosition());
  const SizeF window = m_viewport.GetWindowSize();
  const auto speed = [](float distanceIn) {
    return distanceIn <= 0.0f ? 0.0f : kEdgeScrollSpeed * std::min(1.0f, distanceIn / kEdgeScrollBand);
  };
  const PointF delta(speed(pointer.X - (window.Width - kEdgeScrollBand)) - speed(kEdgeScrollBand - pointer.X),
                     speed(pointer.Y - (window.Height - kEdgeScrollBand)) - speed(kEdgeScrollBand - pointer.Y));
  if (delta.X == 0.0f && delta.Y == 0.0f) return;
  const PointF before = m_viewport.GetOrigin();
  m_viewport.PanBy(PointF(std::round(delta.X), std::round(delta.Y)));
  const PointF moved(m_viewport.GetOrigin().X - before.X, m_viewport.GetOrigin().Y - before.Y);
  if (moved.X == 0.0f && moved.Y == 0.0f) return;
  ApplyView();
  // The pointer did not move: the held item, and the selection with it,
  // keep their places under it.
  item->MoveBy(moved);
  for (const auto& follower : m_followers)
    if (CRSCanvasItem* other = follower.get()) other->MoveBy(moved);
}

bool CPuzzleTable::IsOnTable(CRSCanvasItem* item) const {
  for (; item; item = item->GetParentItem())
    if (item == m_surface.get() || item == m_lift.get()) return true;
  return false;
}

PointF CPuzzleTable::ToFloor(CRSCanvasItem* target, const PointF& local) const {
  // Mapped through the transforms the event was made with: nothing has
  // moved since the view computed `local`.
  PointF p = target->MapToAncestor(local, nullptr);
  if (CRSCanvasItem* floor = m_floor.get()) {
    Gdiplus::Matrix toFloor = floor->GetTransformTo(nullptr);
    if (toFloor.Invert() == Gdiplus::Ok) toFloor.TransformPoints(&p);
  }
  return p;
}

int CPuzzleTable::FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  const unsigned message = static_cast<unsigned>(event.GetMessage());
  if (event.GetType() == CRSEvents::kEventKey) {
    const auto& key = static_cast<const CRSCanvasEvents::Key&>(event);
    if (key.m_virtualKey == platform::kVkSpace && message == platform::kMsgKeyDown) m_spaceHeld = true;
    if (key.m_virtualKey == platform::kVkSpace && message == platform::kMsgKeyUp) m_spaceHeld = false;
    if (message != platform::kMsgKeyDown && message != platform::kMsgSysKeyDown) return kVerdictContinue;
    // A window that waits for an answer, or a field being typed in, has the
    // keys to itself.
    if (CRSControlWindow::GetTopModal()) return kVerdictContinue;
    if (auto* holder = dynamic_cast<CRSCanvasItem*>(target); holder && holder->TakesText()) return kVerdictContinue;
    const unsigned modifiers = platform::CurrentModifierFlags();
    const bool taken = message == platform::kMsgKeyDown
                           ? OnViewKey(key.m_virtualKey, modifiers) || OnSelectionKey(key.m_virtualKey, modifiers) ||
                                 OnHistoryKey(key.m_virtualKey, modifiers) ||
                                 OnPlayKey(message, key.m_virtualKey, key.m_keyData)
                           : OnPlayKey(message, key.m_virtualKey, key.m_keyData);
    return taken ? kVerdictSkipTarget : kVerdictContinue;
  }
  if (event.GetType() != CRSEvents::kEventMouse) return kVerdictContinue;
  auto* item = dynamic_cast<CRSCanvasItem*>(target);
  const auto& mouse = static_cast<const CRSCanvasEvents::Mouse&>(event);
  if (message == platform::kMsgLButtonDown) m_leftHeld = true;
  if (message == platform::kMsgLButtonUp) m_leftHeld = false;
  if (message == platform::kMsgLButtonDown || message == platform::kMsgRButtonDown) {
    // The mouse takes over from the keyboard: what the keys held goes down.
    HideFocus();
    // What a step's slide shows is taken where it belongs before it is
    // grabbed; a right press may start a turn, a step once it ends.
    m_history->FinishSlide();
    if (message == platform::kMsgRButtonDown) m_history->RequestCommit();
  }
  if (int verdict = kVerdictContinue;
      item && !m_panning && OnSelectionMouse(item, message, mouse.m_point, mouse.m_keyState, verdict))
    return verdict;
  if (!item || (!m_panning && !IsOnTable(item))) return kVerdictContinue;
  return OnTableMouse(item, message, mouse.m_point, mouse.m_keyState);
}

int CPuzzleTable::OnTableMouse(CRSCanvasItem* target, unsigned message, const PointF& local, unsigned keyFlags) {
  const PointF floorPoint = ToFloor(target, local);
  switch (message) {
    case platform::kMsgMouseWheel: {
      const int notches = platform::WheelDelta(keyFlags) / platform::kWheelDelta;
      if (notches == 0) return kVerdictSkipTarget;
      ZoomSteps(floorPoint, notches);
      return kVerdictSkipTarget;
    }
    case platform::kMsgMButtonDown:
      m_panning = true;
      m_panLast = floorPoint;
      return kVerdictSkipTarget;
    case platform::kMsgLButtonDown:
      if (target != m_surface.get() || !m_spaceHeld) return kVerdictContinue;
      m_panning = true;
      m_panLast = floorPoint;
      return kVerdictSkipTarget;
    case platform::kMsgMouseMove:
      if (!m_panning) return kVerdictContinue;
      // Dragging the table one way moves the view the other.
      PanBy(PointF(m_panLast.X - floorPoint.X, m_panLast.Y - floorPoint.Y));
      m_panLast = floorPoint;
      return kVerdictSkipTarget;
    case platform::kMsgMButtonUp:
    case platform::kMsgLButtonUp:
      if (!m_panning) return kVerdictContinue;
      m_panning = false;
      return kVerdictSkipTarget;
    default:
      return kVerdictContinue;
  }
}
