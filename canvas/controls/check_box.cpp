#include "canvas/controls/check_box.h"

#include "canvas/mouse_leave_dispatcher.h"
#include "platform/messages.h"

CRSCheckBox::CRSCheckBox(const PointF& position, CRSObject* parent, const std::string& name, const std::string& label)
    : CRSCanvasItem(position, parent, name), m_label(label) {
  SetTabStop(true);
  m_box = new CRSCanvasShape(PointF(), this, "box");
  m_mark = new CRSCanvasShape(PointF(), this, "mark");
  m_labelShadow = new CRSCanvasText(PointF(), this, "labelShadow");
  m_labelItem = new CRSCanvasText(PointF(), this, "label");
  Redraw();
}

CRSCheckBox::~CRSCheckBox() = default;

void CRSCheckBox::SetChecked(bool checked) {
  if (checked == m_checked) return;
  m_checked = checked;
  // A slot may destroy the control: draw only if it is still there.
  CRSAutoPtrLifeGuard alive(this);
  sigCheckedChanged(checked);
  if (alive.Alive()) Redraw();
}

void CRSCheckBox::SetLabel(const std::string& label) {
  if (label == m_label) return;
  m_label = label;
  Redraw();
}

void CRSCheckBox::SetEnabled(bool enabled) {
  if (enabled == m_enabled) return;
  m_enabled = enabled;
  m_pressed = false;
  Redraw();
}

void CRSCheckBox::SetHot(bool hot) {
  if (hot == m_hot) return;
  m_hot = hot;
  if (hot) AddHover(this);
  Redraw();
}

void CRSCheckBox::OnMouse(int message, PointF local, int, bool* handled) {
  const auto msg = static_cast<unsigned>(message);
  if (msg == platform::kMsgMouseLeave) {
    SetHot(false);
    return;
  }
  if (!m_enabled) return;
  const bool inside = GetLocalRect().Contains(local);
  switch (msg) {
    case platform::kMsgMouseMove:
      SetHot(inside);
      *handled = true;
      break;
    case platform::kMsgLButtonDown:
    case platform::kMsgLButtonDblClk:
      m_pressed = true;
      Redraw();
      *handled = true;
      break;
    case platform::kMsgLButtonUp:
      // Released away from the box (the press keeps the mouse), nothing
      // changes: the user has taken the click back.
      if (!m_pressed) break;
      m_pressed = false;
      *handled = true;
      if (inside) {
        SetChecked(!m_checked);
      } else {
        Redraw();
      }
      break;
    default:
      break;
  }
}

void CRSCheckBox::Redraw() {
  if (m_drawing) return;
  m_drawing = true;
  Style().DrawCheckBox(*this);
  m_drawing = false;
}

void CRSCheckBox::OnKey(int message, unsigned vk, long keyData, bool* handled) {
  // A held key repeats: the mark turns once per press.
  if (message != static_cast<int>(platform::kMsgKeyDown) || vk != platform::kVkSpace) return;
  *handled = true;
  if (m_enabled && !(keyData & (1L << 30))) SetChecked(!m_checked);
}
