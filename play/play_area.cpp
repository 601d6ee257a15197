// The item the pieces lie on.

#include "play/play_area.h"

CPuzzlePlayArea::CPuzzlePlayArea(CRSObject* parent) : CRSCanvasItem(PointF(), nullptr, kItemName) {
  SetParent(parent);
}

CPuzzlePlayArea::~CPuzzlePlayArea() = default;

void CPuzzlePlayArea::DropListeners(bool keepResize) {
  sigGeometryChanged.disconnect_all();
  sigParentChanged.disconnect_all();
  if (!keepResize) sigResized.disconnect_all();
  sigVisibleChanged.disconnect_all();
  sigMinSizeChanged.disconnect_all();
  sigZOrderChanged.disconnect_all();
  sigContentChanged.disconnect_all();
}
