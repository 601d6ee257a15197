// Scroll bars: the value's rules, the track's step and the thumb's drag.

#include "canvas/controls/scroll_bar.h"

#include <algorithm>
#include <cmath>

#include "platform/messages.h"

namespace {

constexpr float kEpsilon = 0.001f;
constexpr int kWheelNotch = 120;

}  // namespace

CRSScrollBar::CRSScrollBar(const PointF& position, CRSObject* parent, const std::string& name, const SizeF& size,
                           bool horizontal)
    : CRSCanvasItem(position, parent, name), m_horizontal(horizontal) {
  SetSize(size);
  Layout();
}

CRSScrollBar::~CRSScrollBar() = default;

float CRSScrollBar::GetMaxValue() const { return std::max(0.0f, m_total - m_page); }

float CRSScrollBar::Clamp(float value) const {
  if (!std::isfinite(value) || value < 0.0f) return 0.0f;
  return std::min(value, GetMaxValue());
}

void CRSScrollBar::SetParts(CRSCanvasItem* track, CRSCanvasItem* thumb) {
  m_track = track;
  m_thumb = thumb;
}

void CRSScrollBar::Layout() {
  if (m_busy) return;
  m_busy = true;
  Style().DrawScrollBar(*this);
  m_busy = false;
}

void CRSScrollBar::Apply(float value) {
  m_value = value;
  Layout();
  sigValueChanged(this, m_value);
}

void CRSScrollBar::SetValue(float value) {
  const float v = Clamp(value);
  if (m_busy || std::fabs(v - m_value) < kEpsilon) return;
  Apply(v);
}

void CRSScrollBar::SetTotal(float total) {
  if (!std::isfinite(total)) total = 0.0f;
  total = std::max(0.0f, total);
  if (std::fabs(total - m_total) < kEpsilon) return;
  m_total = total;
  const float v = Clamp(m_value);
  if (std::fabs(v - m_value) >= kEpsilon) Apply(v);
  else Layout();
}

void CRSScrollBar::SetPage(float page) {
  if (!std::isfinite(page)) page = 0.0f;
  page = std::max(0.0f, page);
  if (std::fabs(page - m_page) < kEpsilon) return;
  m_page = page;
  m_step = 0.1f * page;
  const float v = Clamp(m_value);
  if (std::fabs(v - m_value) >= kEpsilon) Apply(v);
  else Layout();
}

void CRSScrollBar::SetHorizontal(bool horizontal) {
  if (horizontal == m_horizontal) return;
  m_horizontal = horizontal;
  Layout();
}

void CRSScrollBar::DoSetSize(const SizeF& size) {
  CRSCanvasItem::DoSetSize(size);
  Layout();
}

void CRSScrollBar::ScrollByWheel(int delta) {
  const float notches = static_cast<float>(delta) / kWheelNotch;
  SetValue(m_value - notches * std::max(m_step, 1.0f));
}

void CRSScrollBar::OnMouse(int message, PointF local, int keyFlags, bool* handled) {
  const unsigned msg = static_cast<unsigned>(message);
  if (msg == platform::kMsgMouseLeave) return;
  *handled = true;
  CRSCanvasItem* thumb = m_thumb.get();
  switch (msg) {
    case platform::kMsgLButtonDown:
    case platform::kMsgLButtonDblClk: {
      if (thumb && thumb->IsVisible() && thumb->GetBoundsIn(this).Contains(local)) {
        m_dragging = true;
        m_grab = PointF(local.X - thumb->GetPosition().X, local.Y - thumb->GetPosition().Y);
        break;
      }
      // The track: one step toward the press, up when the press is at or
      // past the thumb's origin.
      const float origin = thumb ? (m_horizontal ? thumb->GetPosition().X : thumb->GetPosition().Y) : 0.0f;
      const float at = m_horizontal ? local.X : local.Y;
      SetValue(at >= origin ? m_value + m_step : m_value - m_step);
      break;
    }
    case platform::kMsgMouseMove:
      if (m_dragging && thumb) {
        const PointF place(local.X - m_grab.X, local.Y - m_grab.Y);
        const float v = Style().GetScrollBarValueAt(*this, place);
        const float clamped = Clamp(v);
        if (!m_busy && std::fabs(clamped - m_value) >= kEpsilon) Apply(clamped);
      }
      break;
    case platform::kMsgLButtonUp:
      m_dragging = false;
      break;
    case platform::kMsgMouseWheel:
      ScrollByWheel(platform::WheelDelta(static_cast<unsigned>(keyFlags)));
      break;
    default:
      *handled = false;
      break;
  }
}
