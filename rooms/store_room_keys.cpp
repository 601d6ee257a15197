// The store room from the keyboard: Tab over the floor, the arrows inside a
// category's window, Enter to open.

#include <algorithm>

#include "canvas/controls.h"
#include "canvas/events.h"
#include "canvas/key_focus.h"
#include "data/library.h"
#include "data/room_host.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "rooms/store_room.h"

namespace {

// The list view a thumbnail lies in, or null for one on the floor.
CRSListView* ListHolding(CRSCanvasItem* item) {
  for (CRSCanvasItem* link = item ? item->GetParentItem() : nullptr; link; link = link->GetParentItem())
    if (auto* list = dynamic_cast<CRSListView*>(link)) return list;
  return nullptr;
}

}  // namespace

std::vector<CRSCanvasItem*> CPuzzleStoreRoom::GetFloorItemsInOrder() const {
  std::vector<CRSCanvasItem*> items;
  CRSCanvasItem* floor = m_root ? m_root->GetFloor() : nullptr;
  if (!floor) return items;
  CPuzzleLibrary& library = m_root->GetLibrary();
  const auto take = [&](CRSCanvasItem* item) {
    // Thumbnails inside a category's window are that window's, not the floor's.
    if (item && item->GetParentItem() == floor && item->IsVisible()) items.push_back(item);
  };
  for (const auto& category : library.GetCategories())
    if (category) take(category->PeekItem());
  for (const auto& entry : library.GetPuzzleImages())
    if (entry) take(entry->PeekItem());
  SortInReadingOrder(items, kRowBand);
  return items;
}

int CPuzzleStoreRoom::FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) {
  if (event.GetType() != CRSEvents::kEventKey || event.GetMessage() != static_cast<int>(platform::kMsgKeyDown))
    return kVerdictContinue;
  // A dialog, a category window's own field or a message box keeps its keys.
  if (CRSControlWindow::GetTopModal()) return kVerdictContinue;
  if (auto* holder = dynamic_cast<CRSCanvasItem*>(target); holder && holder->TakesText()) return kVerdictContinue;
  const unsigned vk = static_cast<const CRSCanvasEvents::Key&>(event).m_virtualKey;
  const unsigned modifiers = platform::CurrentModifierFlags();
  if (modifiers & platform::kKeyStateControl) return kVerdictContinue;
  if (vk == platform::kVkReturn) {
    if (!m_selection->GetSelection()) return kVerdictContinue;
    Open();
    return kVerdictSkipTarget;
  }
  if (CRSListView* list = ListHolding(m_selection->GetSelection())) {
    // A thumbnail in a category's window: the arrows, Home and End move the
    // selection over that window's thumbnails.
    if (CRSCanvasItem* next = list->GetItemBeside(m_selection->GetSelection(), vk)) {
      m_selection->Select(CRSAutoPtrPolymorphic<CRSCanvasItem>(next));
      list->ScrollIntoView(next);
      return kVerdictSkipTarget;
    }
  }
  if (vk != platform::kVkTab) return kVerdictContinue;
  const std::vector<CRSCanvasItem*> items = GetFloorItemsInOrder();
  if (items.empty()) return kVerdictSkipTarget;
  const auto at = std::find(items.begin(), items.end(), m_selection->GetSelection());
  const std::size_t n = items.size();
  std::size_t next = 0;
  if (at != items.end()) {
    const std::size_t now = static_cast<std::size_t>(at - items.begin());
    next = (modifiers & platform::kKeyStateShift) ? (now + n - 1) % n : (now + 1) % n;
  } else if (modifiers & platform::kKeyStateShift) {
    next = n - 1;
  }
  m_selection->Select(CRSAutoPtrPolymorphic<CRSCanvasItem>(items[next]));
  return kVerdictSkipTarget;
}
