// The item the pieces lie on.

#include "play/play_area.h"

CPuzzlePlayArea::CPuzzlePlayArea(CRSObject* parent) : CRSCanvasItem(PointF(), nullptr, kItemName) {
  SetParent(parent);
}

CPuzzlePlayArea::~CPuzzlePlayArea() = default;

CRSObject* CPuzzlePlayArea::FindInsertPosition(CRSObject* child) {
  // The usual case: the new child's z-order is not below the last child's,
  // so it belongs at the end and the list need not be walked.
  auto* item = dynamic_cast<CRSCanvasItem*>(child);
  const auto& children = GetChildren();
  if (item) {
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      auto* last = dynamic_cast<CRSCanvasItem*>(it->get());
      if (!last || last == item) continue;
      if (last->GetZOrder() <= item->GetZOrder()) return nullptr;
      break;
    }
  }
  return CRSCanvasItem::FindInsertPosition(child);
}

void CPuzzlePlayArea::DropListeners(bool keepResize) {
  sigGeometryChanged.disconnect_all();
  sigParentChanged.disconnect_all();
  if (!keepResize) sigResized.disconnect_all();
  sigVisibleChanged.disconnect_all();
  sigMinSizeChanged.disconnect_all();
  sigZOrderChanged.disconnect_all();
  sigContentChanged.disconnect_all();
}
