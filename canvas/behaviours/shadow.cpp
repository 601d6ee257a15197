// The soft shadow under an item.

#include "canvas/behaviours.h"

CBehaviourShadow::CBehaviourShadow(CRSCanvasItem* item, const std::string& name, bool buildNow)
    : CBehaviourSoftImage(item, name, CRSCanvasGroup::kShadowName, kMargin) {
  ReplaceOthers<CBehaviourShadow>();
  if (buildNow) Rebuild();
}

CBehaviourShadow::~CBehaviourShadow() = default;

void CBehaviourShadow::SetShadow(CRSCanvasItem* item, const PointF& offset) {
  if (!item || item->GetName() == CRSCanvasGroup::kShadowName) return;
  CBehaviourShadow* shadow = Find<CBehaviourShadow>(item);
  if (offset.Equals(PointF())) {
    if (shadow) shadow->SetOn(false);
    return;
  }
  if (!shadow) shadow = new CBehaviourShadow(item, {}, true);
  shadow->SetOn(true);
  shadow->SetOffset(offset);
}

void CBehaviourShadow::SetOn(bool on) {
  if (on == m_on) return;
  m_on = on;
  ApplyVisibility();
}

void CBehaviourShadow::SetOffset(const PointF& offset) {
  if (offset.Equals(m_offset)) return;
  m_offset = offset;
  Place();
}

void CBehaviourShadow::SetStrength(float strength) {
  m_strength = strength;
  Rebuild();
}

bool CBehaviourShadow::ShouldShow() const { return m_on && GetItem() && GetItem()->IsVisible(); }

void CBehaviourShadow::PlaceImage(CRSCanvasImage& image, CRSCanvasItem& item) {
  image.SetZOrder(item.GetZOrder() - 1);
  image.SetRotation(item.GetRotation());
  // The offset is added in the frame's space (the screen's, unless a zoomed
  // table holds the item), so the shadow falls the same way however the
  // item and its ancestors are turned.
  const RectF rect = item.GetLocalRect();
  const int half = GetMargin() / 2;
  CRSCanvasItem* parent = item.GetParentItem();
  CRSCanvasItem* frame = FindSoftImageFrame(parent);
  PointF corner = item.MapToAncestor(PointF(rect.X - static_cast<float>(half), rect.Y - static_cast<float>(half)),
                                     frame);
  corner = corner + m_offset;
  if (parent) {
    Gdiplus::Matrix toParent = parent->GetTransformTo(frame);
    toParent.Invert();
    toParent.TransformPoints(&corner);
  }
  image.MoveTopLeftTo(corner);
}
