// Static text: the control keeps the text, the style lays out its parts.

#include "canvas/controls/static.h"

CRSStatic::CRSStatic(const PointF& position, CRSObject* parent, const std::string& name, const std::string& text)
    : CRSCanvasItem(position, parent, name), m_text(text) {
  m_shadowItem = new CRSCanvasText(PointF(), this, "textShadow");
  m_textItem = new CRSCanvasText(PointF(), this, "text");
  Relayout();
}

CRSStatic::~CRSStatic() = default;

void CRSStatic::SetText(const std::string& text) {
  if (text == m_text) return;
  m_text = text;
  Relayout();
}

void CRSStatic::SetAutoSize(bool on) {
  if (on == m_autoSize) return;
  m_autoSize = on;
  Relayout();
}

void CRSStatic::DoSetSize(const SizeF& size) {
  CRSCanvasItem::DoSetSize(size);
  Relayout();
}

void CRSStatic::Relayout() {
  // The style may resize the control to its text, which comes back here.
  if (m_layingOut) return;
  m_layingOut = true;
  Style().LayoutStatic(*this);
  m_layingOut = false;
}
