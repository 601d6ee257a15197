#include "canvas/controls/progress_bar.h"

#include <algorithm>
#include <string>

CRSProgressBar::CRSProgressBar(const PointF& position, CRSObject* parent, const std::string& name)
    : CRSCanvasItem(position, parent, name) {
  m_track = new CRSCanvasShape(PointF(), this, "track");
  m_bar = new CRSCanvasShape(PointF(), this, "bar");
  m_textShadow = new CRSCanvasText(PointF(), this, "textShadow");
  m_text = new CRSCanvasText(PointF(), this, "text");
  m_text->SetText("0%");
  SetSize(SizeF(200.0f, Style().GetButtonHeight()));
  Redraw();
}

CRSProgressBar::~CRSProgressBar() = default;

void CRSProgressBar::SetValue(int v) {
  if (v == m_value) return;
  // A negative value would show as a negative percentage: it is stored, and
  // shown, as 0.
  m_value = std::max(v, 0);
  m_text->SetText(std::to_string(m_value) + "%");
  Redraw();
}

void CRSProgressBar::DoSetSize(const SizeF& size) {
  CRSCanvasItem::DoSetSize(size);
  Redraw();
}

void CRSProgressBar::Redraw() {
  if (m_drawing || !m_text) return;
  m_drawing = true;
  Style().DrawProgressBar(*this);
  m_drawing = false;
}
