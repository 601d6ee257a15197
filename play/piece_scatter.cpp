// Random turns and places for scattered pieces.

#include "play/piece_scatter.h"

#include <algorithm>
#include <cmath>

#include "canvas/items.h"
#include "platform/random.h"

void PlaceRandomly(CRSCanvasItem* item) {
  if (!item) return;
  CRSCanvasItem* parent = item->GetParentItem();
  if (!parent) return;
  const RectF bounds = item->GetBoundsIn(parent);
  const double w = std::max(0.0, static_cast<double>(parent->GetSize().Width - bounds.Width));
  const double h = std::max(0.0, static_cast<double>(parent->GetSize().Height - bounds.Height));
  const int a = platform::Rand();
  // One number gives both coordinates: its share of the area's height is
  // the row, and the fraction left over spreads the pieces along it.
  const double e = static_cast<double>(a) * h / platform::kRandMax;
  const double f = e - std::floor(e);
  double x = w * f;
  if (a & (1 << 4)) x = w * (1.0 - f);
  double y = e;
  if (a & (1 << 2)) y = h - e;
  const PointF shift(bounds.X - static_cast<float>(x), bounds.Y - static_cast<float>(y));
  item->MoveTopLeftTo(item->GetTopLeft() - shift);
}

void ScatterItem(CRSCanvasItem* item, bool rotate) {
  if (!item) return;
  item->SetRotation(rotate ? static_cast<float>(platform::Rand() % 4) * 90.0f : 0.0f);
  PlaceRandomly(item);
}
