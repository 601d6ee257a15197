// The scroll view's layout rule and its wheel.

#include "canvas/controls/scroll_view.h"

#include <algorithm>
#include <cmath>

#include "canvas/event_dispatcher.h"
#include "canvas/events.h"
#include "platform/messages.h"

CRSScrollView::CRSScrollView(const PointF& position, CRSObject* parent, const std::string& name, const SizeF& size)
    : CRSControlWithClientArea<CRSCanvasItem>(position, parent, name) {
  // The holder clips: an item paints its descendants only inside its own
  // rectangle, and hit tests end there too.
  m_holder = new CRSCanvasItem(PointF(), this, "holder");
  GetClientArea()->SetParent(m_holder.get());
  const float t = Style().GetButtonHeight();
  m_vertical = new CRSScrollBar(PointF(), this, "verticalBar", SizeF(t, t * 2), false);
  m_horizontal = new CRSScrollBar(PointF(), this, "horizontalBar", SizeF(t * 2, t), true);
  m_vertical->sigValueChanged.connect(this, &CRSScrollView::OnBarChanged);
  m_horizontal->sigValueChanged.connect(this, &CRSScrollView::OnBarChanged);
  GetClientArea()->sigMinSizeChanged.connect(this, &CRSScrollView::OnContentSizeChanged);
  AddGlobalListener(this, CRSEvents::kEventMouse);
  SetSize(size);
  Layout();
}

CRSScrollView::~CRSScrollView() { RemoveGlobalListener(this, CRSEvents::kEventMouse); }

PointF CRSScrollView::GetScrollOffset() const {
  return PointF(m_horizontal ? m_horizontal->GetValue() : 0.0f, m_vertical ? m_vertical->GetValue() : 0.0f);
}

void CRSScrollView::ScrollTo(const PointF& offset) {
  if (m_horizontal) m_horizontal->SetValue(offset.X);
  if (m_vertical) m_vertical->SetValue(offset.Y);
}

void CRSScrollView::DoSetSize(const SizeF& size) {
  CRSControlWithClientArea<CRSCanvasItem>::DoSetSize(size);
  Layout();
}

void CRSScrollView::OnContentSizeChanged(CRSCanvasItem*, const SizeF&) { Layout(); }

void CRSScrollView::Layout() {
  CRSCanvasItem* area = GetClientArea();
  CRSCanvasItem* holder = m_holder.get();
  CRSScrollBar* vBar = m_vertical.get();
  CRSScrollBar* hBar = m_horizontal.get();
  if (m_layingOut || !area || !holder || !vBar || !hBar) return;
  m_layingOut = true;
  const float w = GetSize().Width, h = GetSize().Height;
  const SizeF content = area->GetMinSize();
  const float t = Style().GetButtonHeight();
  const float vReserve = t + 1.0f, hReserve = t + 2.0f;

  const bool needV = content.Height > h - (content.Width > w ? hReserve : 0.0f);
  const bool needH = content.Width > w - (needV ? vReserve : 0.0f);
  const SizeF holderSize(std::max(0.0f, w - (needV ? vReserve : 0.0f)), std::max(0.0f, h - (needH ? hReserve : 0.0f)));
  holder->SetSize(holderSize);
  area->SetSize(SizeF(std::max(holderSize.Width, content.Width), std::max(holderSize.Height, content.Height)));

  vBar->SetVisible(needV);
  hBar->SetVisible(needH);
  vBar->SetPosition(PointF(w - t, 0.0f));
  vBar->SetSize(SizeF(t, holderSize.Height));
  hBar->SetPosition(PointF(0.0f, h - t));
  hBar->SetSize(SizeF(holderSize.Width, t));
  // Where the content fits, the offset returns to 0 (the bar's clamp does
  // it: its page then covers its total).
  const SizeF areaSize = area->GetSize();
  vBar->SetTotal(areaSize.Height);
  vBar->SetPage(holderSize.Height);
  hBar->SetTotal(areaSize.Width);
  hBar->SetPage(holderSize.Width);
  if (content.Height <= holderSize.Height) vBar->SetValue(0.0f);
  if (content.Width <= holderSize.Width) hBar->SetValue(0.0f);
  m_layingOut = false;
  PlaceContent();
}

void CRSScrollView::OnBarChanged(CRSCanvasItem*, float) {
  if (!m_layingOut) PlaceContent();
}

void CRSScrollView::PlaceContent() {
  CRSCanvasItem* area = GetClientArea();
  if (!area) return;
  // Whole pixels, so scrolled text and pictures stay sharp.
  const PointF offset = GetScrollOffset();
  area->SetPosition(PointF(-std::round(offset.X), -std::round(offset.Y)));
}

int CRSScrollView::FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  if (event.GetType() != CRSEvents::kEventMouse || event.GetMessage() != static_cast<int>(platform::kMsgMouseWheel))
    return kVerdictContinue;
  // Only the innermost scroll view that can scroll takes the wheel, and a
  // bar under the pointer scrolls itself.
  const CRSObject* object = dynamic_cast<const CRSObject*>(target);
  for (const CRSObject* o = object; o; o = o->GetParent()) {
    if (o == m_vertical.get() || o == m_horizontal.get()) return kVerdictContinue;
    if (auto* view = dynamic_cast<const CRSScrollView*>(o)) {
      const bool canScroll = (view->m_vertical && view->m_vertical->IsVisible()) ||
                             (view->m_horizontal && view->m_horizontal->IsVisible());
      if (!canScroll) continue;
      if (view != this) return kVerdictContinue;
      const auto& mouse = static_cast<const CRSCanvasEvents::Mouse&>(event);
      const int delta = platform::WheelDelta(mouse.m_keyState);
      // Shift turns the wheel sideways, as does a view that scrolls only
      // sideways.
      const bool sideways = (mouse.m_keyState & platform::kKeyStateShift) || !m_vertical->IsVisible();
      (sideways ? m_horizontal : m_vertical)->ScrollByWheel(delta);
      return kVerdictContinue;
    }
  }
  return kVerdictContinue;
}
