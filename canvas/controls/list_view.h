#pragma once
// A scrolling list of items (thumbnails), laid out in rows of equal cells.
// The list lays itself out again whenever an item is added, resized or
// removed:
//
// - the natural cell width is the widest item's width + 20, the row height
//   the tallest item's height;
// - when the items do not fit side by side in the client width, the columns
//   are trunc(client width / natural cell width) and the cell width becomes
//   client width / columns;
// - items go left to right, each centred in its cell, the first row at
//   y = 10; after a cell the next x is x + cell width, and when x > 0 and
//   x + cell width - 1 exceeds the client width the next item starts a new
//   row;
// - the content size becomes (3 x natural cell width, the y of the row after
//   the last item).
//
// Adding an item to the end places only that item when nothing else about
// the layout changed, so filling a list one by one stays linear.

#include <vector>

#include "canvas/controls/scroll_view.h"

class CRSListView : public CRSScrollView {
 public:
  static constexpr float kCellPadding = 20.0f;
  static constexpr float kFirstRowY = 10.0f;

  CRSListView(const PointF& position, CRSObject* parent, const std::string& name, const SizeF& size);
  ~CRSListView() override;

  // Makes the item a child of the client area and lays the list out.
  void AddItem(CRSCanvasItem* item);
  // Takes the item out of the list (it stays where it is in the tree).
  void RemoveItem(CRSCanvasItem* item);
  // The live items in their order.
  std::vector<CRSCanvasItem*> GetItems() const;
  // The item the arrow key (or Home, End) leads to from `from`: the one
  // before or after it, the one in the row above or below, the first or the
  // last; null when there is none that way or the key is none of these.
  CRSCanvasItem* GetItemBeside(CRSCanvasItem* from, unsigned virtualKey) const;
  // Scrolls as little as needed for the whole item to be seen.
  void ScrollIntoView(CRSCanvasItem* item);

  // The figures of the last layout, for callers and tests.
  int GetColumnCount() const { return m_columns; }
  int GetRowCount() const { return m_rows; }
  float GetCellWidth() const { return m_cellWidth; }
  float GetRowHeight() const { return m_rowHeight; }

  void LayoutItems();

  void DoSetSize(const SizeF& size) override;

 private:
  struct Entry {
    CRSAutoPtrPolymorphic<CRSCanvasItem> item;
  };

  void OnItemResized(CRSCanvasItem* item, const SizeF& size);
  void OnItemParentChanged(CRSObject* object, CRSObject* newParent, CRSObject* oldParent);
  void OnItemDestroyed(CRSObject* object);
  void Forget(const CRSObject* item);
  // Places entries from `first` on, continuing from the saved cursor.
  void PlaceFrom(size_t first);
  void Finish();

  std::vector<Entry> m_items;
  bool m_layingOut = false;
  bool m_rerun = false;
  // The layout in force: what it was computed from, and where the next
  // item goes.
  float m_naturalWidth = 0.0f;
  float m_maxWidth = 0.0f;
  float m_cellWidth = 0.0f;
  float m_rowHeight = 0.0f;
  float m_clientWidth = 0.0f;
  bool m_sideBySide = true;
  int m_columns = 0;
  int m_rows = 0;
  size_t m_placed = 0;
  float m_nextX = 0.0f;
  float m_nextY = kFirstRowY;
};
