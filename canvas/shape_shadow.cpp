// The shape-shadow operation: paint an item off screen and show its soft
// silhouette as an image item of its own.

#include "canvas/shape_shadow.h"

#include "canvas/glow.h"
#include "canvas/items.h"

CRSCanvasImage* CreateShapeShadow(CRSCanvasItem& item, int boxSize, ARGB colour, float strength,
                                  const PointF& position, CRSObject* parent, const std::string& name) {
  std::shared_ptr<Gdiplus::Bitmap> silhouette = RenderGlow(item, boxSize, colour, strength);
  if (!silhouette) return nullptr;
  return new CRSCanvasImage(position, parent, name, std::move(silhouette));
}
