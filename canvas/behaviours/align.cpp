// Keeping an item at a place in its parent, and sizing it from its parent.

#include "canvas/behaviours.h"

#include <algorithm>
#include <cmath>

namespace {

// The new near edge on one axis for the flags of that axis; `low`, `centre`
// and `high` are the axis's three placement flags.
float AlignAxis(int flags, int low, int centre, int high, float margin, float near, float extent, float room) {
  if (flags & low) return margin;
  if (flags & centre) return (room - extent) * 0.5f;
  if (flags & high) return room - margin - extent;
  if (flags & CBehaviourAlign::kKeepInside) {
    float edge = near;
    if (near + extent > room - margin) edge = room - margin - extent;
    if (edge < margin) edge = margin;
    return edge;
  }
  return near;
}

}  // namespace

CBehaviourAlign::CBehaviourAlign(CRSCanvasItem* item, int flags, const std::string& name)
    : CRSCanvasBehaviour(item, name), m_flags(flags) {
  ReplaceOthers<CBehaviourAlign>();
  if (!item) return;
  item->sigGeometryChanged.connect(this, &CBehaviourAlign::OnGeometryChanged);
  item->sigParentChanged.connect(this, &CBehaviourAlign::OnParentChanged);
  // An item that already has its parent follows that parent's resizes too.
  if (CRSCanvasItem* parent = item->GetParentItem()) parent->sigResized.connect(this, &CBehaviourAlign::OnParentResized);
  Align();
}

CBehaviourAlign::~CBehaviourAlign() = default;

CBehaviourAlign* CBehaviourAlign::GetOrCreate(CRSCanvasItem* item) {
  if (!item) return nullptr;
  if (auto* existing = Find<CBehaviourAlign>(item)) return existing;
  return new CBehaviourAlign(item, kCentre);
}

void CBehaviourAlign::SetMargins(float x, float y) {
  m_marginX = x;
  m_marginY = y;
  Align();
}

void CBehaviourAlign::Align() {
  CRSCanvasItem* item = GetItem();
  if (m_guard || !item || s_holds > 0) return;
  CRSCanvasItem* parent = item->GetParentItem();
  if (!parent || dynamic_cast<CRSCanvasGroup*>(parent)) return;
  const RectF bounds = item->GetBoundsIn(parent);
  const SizeF room = parent->GetSize();
  const float left = AlignAxis(m_flags, kLeft, kCentreX, kRight, m_marginX, bounds.X, bounds.Width, room.Width);
  const float top = AlignAxis(m_flags, kTop, kCentreY, kBottom, m_marginY, bounds.Y, bounds.Height, room.Height);
  m_guard = true;
  item->MoveTopLeftTo(item->GetTopLeft() - PointF(bounds.X - left, bounds.Y - top));
  m_guard = false;
}

void CBehaviourAlign::OnGeometryChanged(CRSCanvasItem*) { Align(); }

void CBehaviourAlign::OnParentResized(CRSCanvasItem*, const SizeF&) { Align(); }

void CBehaviourAlign::OnParentChanged(CRSObject*, CRSObject* newParent, CRSObject* oldParent) {
  if (auto* old = dynamic_cast<CRSCanvasItem*>(oldParent)) old->sigResized.disconnect(this);
  if (auto* now = dynamic_cast<CRSCanvasItem*>(newParent)) now->sigResized.connect(this, &CBehaviourAlign::OnParentResized);
}

CPuzzleBehaviourAlign::CPuzzleBehaviourAlign(CRSCanvasItem* item, int flags, const std::string& name)
    : CBehaviourAlign(item, flags, name) {
  // The base aligned with its own rule while this part was not yet built.
  Align();
}

CPuzzleBehaviourAlign::~CPuzzleBehaviourAlign() = default;

CPuzzleBehaviourAlign* CPuzzleBehaviourAlign::GetOrCreate(CRSCanvasItem* item) {
  if (!item) return nullptr;
  if (auto* existing = Find<CPuzzleBehaviourAlign>(item)) return existing;
  return new CPuzzleBehaviourAlign(item, kCentre);
}

void CPuzzleBehaviourAlign::Align() {
  CRSCanvasItem* item = GetItem();
  if (!item) return;
  if (CRSCanvasItem* parent = item->GetParentItem()) {
    // Negative margins let a large item reach beyond the parent while it still
    // covers the parent's centre lines.
    const RectF bounds = item->GetBoundsIn(parent);
    const SizeF room = parent->GetSize();
    m_marginX = std::min(0.0f, room.Width * 0.5f - bounds.Width);
    m_marginY = std::min(0.0f, room.Height * 0.5f - bounds.Height);
  }
  CBehaviourAlign::Align();
}

CBehaviourSize::CBehaviourSize(CRSCanvasItem* item, const PointF& ratios, int flags, const std::string& name)
    : CRSCanvasBehaviour(item, name), m_flags(flags), m_ratios(ratios) {
  ReplaceOthers<CBehaviourSize>();
  if (!item) return;
  item->sigResized.connect(this, &CBehaviourSize::OnResized);
  item->sigParentChanged.connect(this, &CBehaviourSize::OnParentChanged);
  if (CRSCanvasItem* parent = item->GetParentItem()) parent->sigResized.connect(this, &CBehaviourSize::OnResized);
  Update();
}

CBehaviourSize::~CBehaviourSize() = default;

CBehaviourSize* CBehaviourSize::GetOrCreate(CRSCanvasItem* item) {
  if (!item) return nullptr;
  if (auto* existing = Find<CBehaviourSize>(item)) return existing;
  return new CBehaviourSize(item, PointF(1.0f, 1.0f), kWidth | kHeight);
}

void CBehaviourSize::SetMargins(float width, float height) {
  m_marginWidth = width;
  m_marginHeight = height;
  Update();
}

void CBehaviourSize::SetKeepAspect(bool keep) {
  m_keepAspect = keep;
  Update();
}

void CBehaviourSize::Update() {
  CRSCanvasItem* item = GetItem();
  if (m_guard || !item) return;
  CRSCanvasItem* parent = item->GetParentItem();
  // A quarter-turned item's width runs along the parent's height; sizing it
  // from the parent's width would be wrong, so it keeps its size.
  if (!parent || std::lround(item->GetRotation()) % 180 != 0) return;
  const SizeF room = parent->GetSize();
  const float availableWidth = room.Width - m_marginWidth, availableHeight = room.Height - m_marginHeight;
  const SizeF current = item->GetSize();
  SizeF size = current;
  if (m_flags & kWidth) size.Width = availableWidth * m_ratios.X;
  if (m_flags & kHeight) size.Height = availableHeight * m_ratios.Y;
  if (m_keepAspect && current.Width != 0.0f && current.Height != 0.0f) {
    if (size.Height / current.Height > size.Width / current.Width) {
      size.Height = current.Height * size.Width / current.Width;
    } else {
      size.Width = current.Width * size.Height / current.Height;
    }
  }
  m_guard = true;
  item->SetSize(size);
  m_guard = false;
}

void CBehaviourSize::OnResized(CRSCanvasItem*, const SizeF&) { Update(); }

void CBehaviourSize::OnParentChanged(CRSObject*, CRSObject* newParent, CRSObject* oldParent) {
  if (auto* old = dynamic_cast<CRSCanvasItem*>(oldParent)) old->sigResized.disconnect(this);
  if (auto* now = dynamic_cast<CRSCanvasItem*>(newParent)) now->sigResized.connect(this, &CBehaviourSize::OnResized);
}
