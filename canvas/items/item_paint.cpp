// Painting, hit testing, mouse events and the cursor walk of the base item.

#include <cmath>

#include "canvas/event_dispatcher.h"
#include "canvas/items.h"
#include "platform/messages.h"

namespace {

int s_mouseNesting = 0;
int s_loadedCursor = 0;
CRSCanvasItem::CursorSetter s_cursorSetter = nullptr;

// The axis-aligned device rectangle covered by a local rectangle under the
// given transform, grown outward to whole pixels so that the clip it becomes
// stays a plain pixel box.
RectF DeviceCullRect(const RectF& local, const Gdiplus::Matrix& world) {
  const RectF device = Gdiplus::TransformedBounds(world, local);
  float left = device.GetLeft(), right = device.GetRight();
  float top = device.GetTop(), bottom = device.GetBottom();
  // One pixel of slack on every side keeps anti-aliased edges inside.
  left = std::floor(left - 1.0f);
  top = std::floor(top - 1.0f);
  right = std::ceil(right + 1.0f);
  bottom = std::ceil(bottom + 1.0f);
  return RectF(left, top, right - left, bottom - top);
}

}  // namespace

void CRSCanvasItem::PaintContent(Gdiplus::Graphics&, bool) {}

void CRSCanvasItem::Paint(Gdiplus::Graphics& g, int maxZ, bool useCache) {
  if (!m_visible) return;
  if (m_drawsItself) {
    const Gdiplus::GraphicsState state = g.Save();
    if (m_prePaintNotification) sigPrePaint(this, g, useCache);
    PaintContent(g, useCache);
    g.Restore(state);
  }
  // Copy: painting may not change the tree, but a pre-paint slot might.
  const std::vector<CRSCanvasItem*> children = GetChildItems();
  if (children.empty()) return;
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  // The clip's device bounds let children that cannot meet it be skipped
  // before any state is saved; for the rest the clip itself decides.
  RectF clipBox;
  g.ResetTransform();
  g.GetClipBounds(&clipBox);
  g.SetTransform(&world);
  for (CRSCanvasItem* child : children) {
    if (child->m_zOrder > maxZ) break;
    if (!child->m_visible) continue;
    Gdiplus::Matrix childWorld = child->m_transform;
    childWorld.Multiply(world, MatrixOrderAppend);
    RectF device;
    if (child->m_cullByBounds) {
      device = DeviceCullRect(child->GetLocalRect(), childWorld);
      if (!device.IntersectsWith(clipBox)) continue;
    }
    const Gdiplus::GraphicsState state = g.Save();
    bool paint = true;
    if (child->m_cullByBounds) {
      g.ResetTransform();
      g.IntersectClip(device);
      paint = !g.IsClipEmpty();
    }
    g.SetTransform(&childWorld);
    if (paint) child->Paint(g, maxZ, useCache);
    g.Restore(state);
  }
}

bool CRSCanvasItem::ContainsPoint(const PointF& local) {
  return GetLocalRect().Contains(local);
}

CRSCanvasItem* CRSCanvasItem::HitTest(const PointF& local) {
  if (!m_visible) return nullptr;
  if (!GetLocalRect().Contains(local) && !ContainsPoint(local)) return nullptr;
  const std::vector<CRSCanvasItem*>& children = GetChildItems();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    CRSCanvasItem* child = *it;
    if (!child->m_visible) continue;
    PointF p = local;
    child->m_inverse.TransformPoints(&p);
    if (CRSCanvasItem* hit = child->HitTest(p)) return hit;
  }
  return ContainsPoint(local) ? this : nullptr;
}

void CRSCanvasItem::OnMouse(int, PointF, int, bool*) {}

void CRSCanvasItem::RequestFocusForPress(int message) {
  if (message != static_cast<int>(platform::kMsgLButtonDown) && message != static_cast<int>(platform::kMsgLButtonDblClk))
    return;
  CRSCanvasItem* focusable = this;
  while (focusable && (!focusable->m_focusable || !focusable->m_visible)) focusable = focusable->GetParentItem();
  GetRootItem()->sigFocusRequest(focusable);
}

void CRSCanvasItem::OnKey(int, unsigned, long, bool*) {}

void CRSCanvasItem::OnFocusChanged(bool) {}

void CRSCanvasItem::OnEvent(CRSEvents::BasicEvent& event) {
  if (event.GetType() == CRSEvents::kEventMouse) {
    auto& mouse = static_cast<CRSCanvasEvents::Mouse&>(event);
    // A handler may end this item; the guard tells us whether it is still
    // there to pass the event on and to read cursors from.
    CRSAutoPtrLifeGuard alive(this);
    if (++s_mouseNesting == 1) RequestFocusForPress(mouse.GetMessage());
    OnMouse(mouse.GetMessage(), mouse.m_point, static_cast<int>(mouse.m_keyState), &mouse.m_handled);
    if (!mouse.m_handled && alive.Alive()) {
      if (CRSCanvasItem* parent = GetParentItem()) {
        m_transform.TransformPoints(&mouse.m_point);
        DeliverTo(parent, mouse);
      }
    }
    if (--s_mouseNesting == 0 && alive.Alive()) RunCursorWalk();
  } else if (event.GetType() == CRSEvents::kEventKey) {
    auto& key = static_cast<CRSCanvasEvents::Key&>(event);
    CRSAutoPtrLifeGuard alive(this);
    OnKey(key.GetMessage(), key.m_virtualKey, key.m_keyData, &key.m_handled);
    if (key.m_handled || !alive.Alive()) return;
    if (CRSCanvasItem* parent = GetParentItem()) {
      DeliverTo(parent, key);
    } else if (CRSEventReceiver* fallback = key.m_unhandledTarget.get()) {
      // Cleared first, so the fallback is reached once even if it is an item.
      key.m_unhandledTarget.Release();
      DeliverTo(fallback, key);
    }
  } else if (event.GetType() == CRSEvents::kEventMouseLeave) {
    bool handled = true;
    OnMouse(static_cast<int>(platform::kMsgMouseLeave), PointF(), 0, &handled);
  }
}

void CRSCanvasItem::RunCursorWalk() {
  int id = 0;
  for (CRSCanvasItem* item = this; item && id == 0; item = item->GetParentItem()) id = item->m_cursor;
  if (id == 0) id = kCursorArrow;
  if (id != s_loadedCursor) {
    s_loadedCursor = id;
    if (s_cursorSetter) s_cursorSetter(id);
  }
}

int CRSCanvasItem::GetLoadedCursor() { return s_loadedCursor; }

void CRSCanvasItem::SetCursorSetter(CursorSetter setter) { s_cursorSetter = setter; }
