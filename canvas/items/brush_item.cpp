// Brush items: the ordered list of brushes shared by shapes and texts.

#include "canvas/items.h"

CRSCanvasBrushItem::CRSCanvasBrushItem(const PointF& position, CRSObject* parent, const std::string& name)
    : CRSCanvasItem(position, parent, name) {
  SetDrawsItself(true);
}

CRSCanvasBrushItem::~CRSCanvasBrushItem() = default;

int CRSCanvasBrushItem::AddBrush(std::shared_ptr<Gdiplus::Brush> brush) {
  m_brushes.push_back(std::move(brush));
  if (m_brushes.size() == 1) sigContentChanged(this);
  Invalidate();
  return static_cast<int>(m_brushes.size()) - 1;
}

void CRSCanvasBrushItem::SetBrush(std::shared_ptr<Gdiplus::Brush> brush, int index) {
  if (!brush) {
    RemoveBrush(index);
    return;
  }
  if (index >= 0 && index < GetBrushCount()) {
    m_brushes[static_cast<size_t>(index)] = std::move(brush);
    Invalidate();
    return;
  }
  AddBrush(std::move(brush));
}

void CRSCanvasBrushItem::RemoveBrush(int index) {
  if (m_brushes.empty()) return;
  if (index < 0 || index >= GetBrushCount()) index = GetBrushCount() - 1;
  // The frame's first invalidation covers the area while the brush still
  // paints it.
  Invalidate();
  m_brushes.erase(m_brushes.begin() + index);
  if (m_brushes.empty()) sigContentChanged(this);
  Invalidate();
}

Gdiplus::Brush* CRSCanvasBrushItem::GetBrush(int index) const {
  if (m_brushes.empty()) return nullptr;
  if (index < 0 || index >= GetBrushCount()) index = GetBrushCount() - 1;
  return m_brushes[static_cast<size_t>(index)].get();
}
