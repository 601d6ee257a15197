#pragma once
// Soft silhouettes of items: the picture behind shadows, glows and the
// store room's fading logo. An item is painted into an off-screen picture
// and its alpha is spread by a box sum, so the silhouette is (n − 1) pixels
// wider and higher than the item, n being the box size.

#include <memory>
#include <string>

#include "platform/bitmap.h"
#include "platform/types.h"

class CRSCanvasImage;
class CRSCanvasItem;
class CRSObject;

// The silhouette of an alpha picture: each output pixel (x, y) sums the
// source alpha over the n × n box whose bottom-right corner is (x, y)
// (pixels outside the source count as nothing), takes
// min(255, ⌊sum × strength / n²⌋), scales it by the colour's alpha (>> 8)
// and shows the colour's red, green and blue at that alpha. Null when the
// source is invalid or the result would be too large to hold.
std::unique_ptr<Gdiplus::Bitmap> BuildSoftSilhouette(const Gdiplus::Bitmap& source, int boxSize, ARGB colour,
                                                     float strength);

// Paints the item (itself and its children, without device caches) into a
// picture the size of its local rectangle and returns that picture's
// silhouette; null for an item with an empty rectangle.
std::shared_ptr<Gdiplus::Bitmap> RenderSoftSilhouette(CRSCanvasItem& item, int boxSize, ARGB colour,
                                                      float strength);

// A new image item under `parent` showing the item's silhouette, placed at
// `position`. The caller owns it through the parent (or directly when the
// parent is null). Returns null when the item has nothing to show.
CRSCanvasImage* CreateShapeShadow(CRSCanvasItem& item, int boxSize, ARGB colour, float strength,
                                  const PointF& position, CRSObject* parent, const std::string& name);
