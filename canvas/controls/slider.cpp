#include "canvas/controls/slider.h"

#include <algorithm>
#include <cmath>

#include "canvas/mouse_leave_dispatcher.h"
#include "platform/messages.h"

CRSSlider::CRSSlider(const PointF& position, CRSObject* parent, const std::string& name)
    : CRSCanvasItem(position, parent, name) {
  SetTabStop(true);
  m_track = new CRSCanvasShape(PointF(), this, "track");
  m_fill = new CRSCanvasShape(PointF(), this, "fill");
  m_thumb = new CRSCanvasShape(PointF(), this, "thumb");
  SetSize(SizeF(160.0f, Style().GetButtonHeight()));
  Relayout();
}

CRSSlider::~CRSSlider() = default;

float CRSSlider::Clamp(float v) const {
  if (!std::isfinite(v) || v < m_minimum) return m_minimum;
  return std::min(v, m_maximum);
}

void CRSSlider::SetRange(float minimum, float maximum) {
  if (!std::isfinite(minimum) || !std::isfinite(maximum)) return;
  // Upside down, every value would be both below the minimum and above the
  // maximum; the range is the same interval either way.
  if (minimum > maximum) std::swap(minimum, maximum);
  if (minimum == m_minimum && maximum == m_maximum) return;
  m_minimum = minimum;
  m_maximum = maximum;
  m_step = 0.1f * (maximum - minimum);
  const float clamped = Clamp(m_value);
  if (clamped != m_value) {
    SetValue(clamped);
  } else {
    Relayout();
  }
}

void CRSSlider::SetValue(float v) {
  const float clamped = Clamp(v);
  if (m_busy || clamped == m_value) return;
  m_value = clamped;
  Relayout();
  sigValueChanged(this, m_value);
}

void CRSSlider::Relayout() {
  if (m_busy || !m_thumb) return;
  m_busy = true;
  Style().DrawSlider(*this);
  m_busy = false;
}

void CRSSlider::DoSetSize(const SizeF& size) {
  CRSCanvasItem::DoSetSize(size);
  Relayout();
}

void CRSSlider::SetHot(bool hot) {
  if (hot == m_hot) return;
  m_hot = hot;
  if (hot) AddHover(this);
  Relayout();
}

void CRSSlider::OnMouse(int message, PointF local, int keyFlags, bool* handled) {
  const auto msg = static_cast<unsigned>(message);
  if (msg == platform::kMsgMouseLeave) {
    SetHot(false);
    return;
  }
  switch (msg) {
    case platform::kMsgMouseMove:
      *handled = true;
      if (!m_dragging) {
        SetHot(true);
        break;
      }
      {
        const float value = Clamp(Style().GetSliderValueAt(*this, PointF(local.X - m_grabX, 0.0f)));
        SetValue(value);
      }
      break;
    case platform::kMsgLButtonDown:
    case platform::kMsgLButtonDblClk: {
      *handled = true;
      const RectF thumb = m_thumb->GetBoundsIn(this);
      if (thumb.Contains(local)) {
        // The grabbed point of the thumb stays under the pointer.
        m_dragging = true;
        m_grabX = local.X - m_thumb->GetPosition().X;
        Relayout();
      } else {
        SetValue(local.X >= m_thumb->GetPosition().X ? m_value + m_step : m_value - m_step);
      }
      break;
    }
    case platform::kMsgLButtonUp:
      if (m_dragging) {
        m_dragging = false;
        *handled = true;
        Relayout();
      }
      break;
    case platform::kMsgMouseWheel: {
      const int delta = platform::WheelDelta(static_cast<unsigned>(keyFlags));
      if (delta == 0) break;
      *handled = true;
      // One step per turn of the wheel, whatever its size, so a fine-grained
      // wheel does not race through the range.
      SetValue(delta > 0 ? m_value + m_step : m_value - m_step);
      break;
    }
    default:
      break;
  }
}

void CRSSlider::OnKey(int message, unsigned vk, long, bool* handled) {
  if (message != static_cast<int>(platform::kMsgKeyDown)) return;
  switch (vk) {
    case platform::kVkLeft:
    case platform::kVkDown:
      SetValue(m_value - m_step);
      break;
    case platform::kVkRight:
    case platform::kVkUp:
      SetValue(m_value + m_step);
      break;
    case platform::kVkHome:
      SetValue(m_minimum);
      break;
    case platform::kVkEnd:
      SetValue(m_maximum);
      break;
    default:
      return;
  }
  *handled = true;
}
