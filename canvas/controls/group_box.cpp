#include "canvas/controls/group_box.h"

CRSGroupBox::CRSGroupBox(const PointF& position, CRSObject* parent, const std::string& name,
                         const std::string& caption)
    : CRSCanvasItem(position, parent, name), m_caption(caption) {
  // The frame and caption lie under everything the group will hold.
  m_frame = new CRSCanvasShape(PointF(), this, "frame");
  m_captionBack = new CRSCanvasShape(PointF(), this, "captionBack");
  m_captionShadow = new CRSCanvasText(PointF(), this, "captionShadow");
  m_captionItem = new CRSCanvasText(PointF(), this, "caption");
  for (CRSCanvasItem* part : {static_cast<CRSCanvasItem*>(m_frame), static_cast<CRSCanvasItem*>(m_captionBack),
                              static_cast<CRSCanvasItem*>(m_captionShadow), static_cast<CRSCanvasItem*>(m_captionItem)})
    part->SetZOrder(0);
  Redraw();
}

CRSGroupBox::~CRSGroupBox() = default;

void CRSGroupBox::SetCaption(const std::string& caption) {
  if (caption == m_caption) return;
  m_caption = caption;
  Redraw();
}

void CRSGroupBox::DoSetSize(const SizeF& size) {
  CRSCanvasItem::DoSetSize(size);
  Redraw();
}

void CRSGroupBox::Redraw() {
  if (m_drawing) return;
  m_drawing = true;
  Style().DrawGroupBox(*this);
  m_drawing = false;
}
