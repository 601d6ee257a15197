// The soft image behind an item, shared by the highlight and the shadow: one
// image item beside the item in its parent, following the item and every
// ancestor, with a picture rendered only when it is first painted.

#include "canvas/behaviours.h"

#include <cmath>

#include "canvas/glow.h"

CBehaviourSoftImage::CBehaviourSoftImage(CRSCanvasItem* item, const std::string& name, const char* imageName,
                                         int margin)
    : CRSCanvasBehaviour(item, name), m_imageName(imageName), m_margin(margin) {
  m_chain.owner = this;
}

CBehaviourSoftImage::~CBehaviourSoftImage() {
  m_chain.disconnect_all();
  // The image lives in the item's parent, which would otherwise keep showing
  // it long after the item and its behaviour are gone.
  m_image.ResetWithDeletion();
}

void CBehaviourSoftImage::Rebuild() {
  CRSCanvasItem* item = GetItem();
  if (!item) return;
  const RectF rect = item->GetLocalRect();
  auto* image = new CRSCanvasImage(PointF(), nullptr, m_imageName);
  image->SetSize(SizeF(static_cast<float>(std::lround(rect.Width) + m_margin - 1),
                       static_cast<float>(std::lround(rect.Height) + m_margin - 1)));
  image->SetVisible(false);
  // The previous image is replaced, not left behind in the parent.
  m_image.ResetWithDeletion();
  m_image = image;
  image->SetParent(item->GetParent());
  image->SetPrePaintNotification(true);
  image->sigPrePaint.connect(this, &CBehaviourSoftImage::OnPrePaint);
  Place();
  ApplyVisibility();
  if (!m_tracking) {
    m_tracking = true;
    item->sigVisibleChanged.connect(this, &CBehaviourSoftImage::OnItemVisibleChanged);
    item->sigContentChanged.connect(this, &CBehaviourSoftImage::OnContentChanged);
    Track();
  }
}

void CBehaviourSoftImage::Track() {
  m_chain.disconnect_all();
  for (CRSCanvasItem* link = GetItem(); link; link = link->GetParentItem()) {
    link->sigGeometryChanged.connect(&m_chain, &ChainSlots::OnGeometry);
    link->sigZOrderChanged.connect(&m_chain, &ChainSlots::OnGeometry);
    link->sigParentChanged.connect(&m_chain, &ChainSlots::OnParent);
  }
}

void CBehaviourSoftImage::ApplyVisibility() {
  if (CRSCanvasImage* image = m_image) image->SetVisible(ShouldShow());
}

void CBehaviourSoftImage::Place() {
  CRSCanvasImage* image = m_image;
  CRSCanvasItem* item = GetItem();
  if (!image || !item || m_placing) return;
  // Placing moves the image, and moving it inside a group makes the group
  // report a change that leads back here.
  m_placing = true;
  // The area the image leaves must be repainted too: the soft edge reaches
  // beyond the item's own repaint margin, and would otherwise stay behind.
  image->Invalidate();
  const bool enabled = image->GetUpdatesEnabled();
  image->SetUpdatesEnabled(false);
  PlaceImage(*image, *item);
  image->SetUpdatesEnabled(enabled);
  image->Invalidate();
  m_placing = false;
}

void CBehaviourSoftImage::OnPrePaint(CRSCanvasItem*, Gdiplus::Graphics&, bool) {
  CRSCanvasImage* image = m_image;
  CRSCanvasItem* item = GetItem();
  if (!image || !item) return;
  const bool enabled = image->GetUpdatesEnabled();
  image->SetUpdatesEnabled(false);
  image->SetImage(RenderGlow(*item, m_margin, GlowColour(), GlowStrength()), true);
  // The picture is fixed until the item's content changes again.
  image->sigPrePaint.disconnect(this);
  image->SetPrePaintNotification(false);
  image->SetUpdatesEnabled(enabled);
  Place();
}

void CBehaviourSoftImage::OnItemVisibleChanged(CRSCanvasItem*, bool) { ApplyVisibility(); }

void CBehaviourSoftImage::OnContentChanged(CRSCanvasItem*) { Rebuild(); }

void CBehaviourSoftImage::OnGeometryChanged(CRSCanvasItem*) { Place(); }

void CBehaviourSoftImage::OnParentChanged(CRSObject* object, CRSObject* newParent, CRSObject*) {
  CRSCanvasImage* image = m_image;
  if (object == GetItem() && image) {
    image->SetParent(newParent);
  }
  Place();
  Track();
}
