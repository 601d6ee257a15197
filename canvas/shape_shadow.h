#pragma once
// The shape-shadow operation: an item turned into a new image item that
// shows its soft silhouette (the glow effect of canvas/glow.h), as the store
// room's fading logo is made from its outlined text. The silhouette is
// (n − 1) pixels wider and higher than the item, n being the box size.

#include <string>

#include "platform/types.h"

class CRSCanvasImage;
class CRSCanvasItem;
class CRSObject;

// A new image item under `parent` at `position` showing the item's
// silhouette; owned by the parent (by the caller when the parent is null).
// Null when the item has nothing to show or the silhouette cannot be made.
CRSCanvasImage* CreateShapeShadow(CRSCanvasItem& item, int boxSize, ARGB colour, float strength,
                                  const PointF& position, CRSObject* parent, const std::string& name);
