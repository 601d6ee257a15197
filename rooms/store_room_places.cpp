// The store room's random places for folders and thumbnails that have none.

#include <algorithm>

#include "canvas/controls.h"
#include "canvas/items.h"
#include "data/room_host.h"
#include "platform/random.h"
#include "rooms/store_room.h"

namespace {

// Draws before giving up on chance: the panels cover a narrow column of
// the floor, so a draw clear of them is found within a few.
constexpr int kPlaceDraws = 16;
// The gap left beside the panels when no draw was clear of them.
constexpr float kPanelGap = 8.0f;

// Another random place for the item inside the floor, every place where it
// fits drawn alike.
void DrawPlace(CRSCanvasItem* item, CRSCanvasItem* floor) {
  const RectF bounds = item->GetBoundsIn(floor);
  const float w = std::max(0.0f, floor->GetSize().Width - bounds.Width);
  const float h = std::max(0.0f, floor->GetSize().Height - bounds.Height);
  const float x = w * static_cast<float>(platform::Rand()) / platform::kRandMax;
  const float y = h * static_cast<float>(platform::Rand()) / platform::kRandMax;
  item->MoveBy(PointF(x - bounds.X, y - bounds.Y));
}

}  // namespace

void CPuzzleStoreRoom::PlaceClearOfPanels(CRSCanvasItem* item) {
  CRSCanvasItem* floor = m_root->GetFloor();
  if (!item || !floor) return;
  // The panels float above every floor item, so an entry placed under one
  // could not be reached without moving the panel away first. The place is
  // drawn again until it is clear of both.
  auto panelOver = [&]() -> CRSControlWindow* {
    const RectF bounds = item->GetBoundsIn(floor);
    for (CRSControlWindow* panel : {m_mainPanel.get(), m_toolsPanel.get()})
      if (panel && panel->IsVisible() && panel->GetBoundsIn(floor).IntersectsWith(bounds)) return panel;
    return nullptr;
  };
  for (int draw = 0; draw < kPlaceDraws && panelOver(); ++draw) DrawPlace(item, floor);
  // A floor the entry barely fits: beside the panel, at the height drawn.
  while (CRSControlWindow* panel = panelOver()) {
    const float right = panel->GetBoundsIn(floor).GetRight() + kPanelGap;
    const RectF bounds = item->GetBoundsIn(floor);
    if (right + bounds.Width > floor->GetSize().Width) break;
    item->MoveBy(PointF(right - bounds.X, 0.0f));
  }
}
