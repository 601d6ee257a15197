// The list view's layout rule, with a fast path for items added at the end.

#include "canvas/controls/list_view.h"

#include <algorithm>
#include <cmath>

#include "platform/messages.h"

CRSListView::CRSListView(const PointF& position, CRSObject* parent, const std::string& name, const SizeF& size)
    : CRSScrollView(position, parent, name, size) {}

CRSListView::~CRSListView() {
  for (Entry& e : m_items) {
    if (CRSCanvasItem* item = e.item.get()) {
      item->sigResized.disconnect(this);
      item->sigParentChanged.disconnect(this);
      item->sigDestroyed.disconnect(this);
    }
  }
}

std::vector<CRSCanvasItem*> CRSListView::GetItems() const {
  std::vector<CRSCanvasItem*> out;
  out.reserve(m_items.size());
  for (const Entry& e : m_items)
    if (CRSCanvasItem* item = e.item.get(); item && !item->IsBeingDeleted()) out.push_back(item);
  return out;
}

CRSCanvasItem* CRSListView::GetItemBeside(CRSCanvasItem* from, unsigned virtualKey) const {
  const std::vector<CRSCanvasItem*> items = GetItems();
  const auto at = std::find(items.begin(), items.end(), from);
  if (at == items.end()) return nullptr;
  const long count = static_cast<long>(items.size()), index = at - items.begin();
  // Side by side, every item is in the one row.
  const long columns = m_sideBySide ? count : std::max(1, m_columns);
  long to = -1;
  switch (virtualKey) {
    case platform::kVkLeft: to = index - 1; break;
    case platform::kVkRight: to = index + 1; break;
    case platform::kVkUp: to = index - columns; break;
    case platform::kVkDown: to = index + columns; break;
    case platform::kVkHome: to = 0; break;
    case platform::kVkEnd: to = count - 1; break;
    default: return nullptr;
  }
  return to >= 0 && to < count && to != index ? items[static_cast<size_t>(to)] : nullptr;
}

void CRSListView::ScrollIntoView(CRSCanvasItem* item) {
  CRSCanvasItem* area = GetClientArea();
  CRSCanvasItem* holder = GetHolder();
  if (!item || !area || !holder) return;
  const RectF r = item->GetBoundsIn(area);
  const PointF offset = GetScrollOffset();
  const SizeF seen = holder->GetSize();
  PointF wanted = offset;
  if (r.Y < offset.Y) wanted.Y = r.Y - kFirstRowY;
  else if (r.GetBottom() > offset.Y + seen.Height) wanted.Y = r.GetBottom() - seen.Height + kFirstRowY;
  if (r.X < offset.X) wanted.X = r.X;
  else if (r.GetRight() > offset.X + seen.Width) wanted.X = r.GetRight() - seen.Width;
  if (!wanted.Equals(offset)) ScrollTo(wanted);
}

void CRSListView::AddItem(CRSCanvasItem* item) {
  CRSCanvasItem* area = GetClientArea();
  if (!item || !area) return;
  for (const Entry& e : m_items)
    if (e.item.get() == item) return;
  m_items.push_back(Entry{CRSAutoPtrPolymorphic<CRSCanvasItem>(item)});
  item->SetParent(area);
  item->sigResized.connect(this, &CRSListView::OnItemResized);
  item->sigParentChanged.connect(this, &CRSListView::OnItemParentChanged);
  item->sigDestroyed.connect(this, &CRSListView::OnItemDestroyed);

  // The fast path: the new item neither widens the cells nor deepens the
  // rows, and every cell keeps its width, so the items before it stay where
  // they are and only the new one needs a place.
  const SizeF s = item->GetLocalRect().GetSize();
  const float natural = std::max(m_maxWidth, s.Width) + kCellPadding;
  // Destroyed items leave the list as they go, so its length is the count.
  const size_t count = m_items.size();
  const bool sameCells = natural == m_naturalWidth && s.Height <= m_rowHeight &&
                         area->GetSize().Width == m_clientWidth && m_placed + 1 == count &&
                         (!m_sideBySide || static_cast<float>(count) * natural <= m_clientWidth);
  if (sameCells) {
    PlaceFrom(count - 1);
    Finish();
  } else {
    LayoutItems();
  }
}

void CRSListView::RemoveItem(CRSCanvasItem* item) {
  if (!item) return;
  item->sigResized.disconnect(this);
  item->sigParentChanged.disconnect(this);
  item->sigDestroyed.disconnect(this);
  Forget(item);
  LayoutItems();
}

void CRSListView::Forget(const CRSObject* item) {
  m_items.erase(std::remove_if(m_items.begin(), m_items.end(),
                               [item](const Entry& e) {
                                 const CRSObject* entry = e.item.get();
                                 return entry == item || entry == nullptr;
                               }),
                m_items.end());
}

void CRSListView::OnItemResized(CRSCanvasItem*, const SizeF&) { LayoutItems(); }

void CRSListView::OnItemParentChanged(CRSObject* object, CRSObject* newParent, CRSObject*) {
  if (newParent == GetClientArea()) return;
  RemoveItem(dynamic_cast<CRSCanvasItem*>(object));
}

void CRSListView::OnItemDestroyed(CRSObject* object) {
  // The item is on its way out and is no longer an item at this point, only
  // an object: it is compared by address, never used.
  Forget(object);
  LayoutItems();
}

void CRSListView::DoSetSize(const SizeF& size) {
  CRSScrollView::DoSetSize(size);
  LayoutItems();
}

void CRSListView::LayoutItems() {
  CRSCanvasItem* area = GetClientArea();
  if (m_layingOut || !area) return;
  float widest = 0.0f, tallest = 0.0f;
  size_t count = 0;
  for (const Entry& e : m_items) {
    CRSCanvasItem* item = e.item.get();
    if (!item || item->IsBeingDeleted()) continue;
    const SizeF s = item->GetLocalRect().GetSize();
    widest = std::max(widest, s.Width);
    tallest = std::max(tallest, s.Height);
    ++count;
  }
  m_maxWidth = widest;
  m_naturalWidth = widest + kCellPadding;
  m_rowHeight = tallest;
  m_clientWidth = area->GetSize().Width;
  m_sideBySide = static_cast<float>(count) * m_naturalWidth <= m_clientWidth;
  if (m_sideBySide) {
    m_cellWidth = m_naturalWidth;
    m_columns = static_cast<int>(count);
  } else {
    // At least one column, however narrow the client area.
    m_columns = std::max(1, static_cast<int>(std::trunc(m_clientWidth / m_naturalWidth)));
    m_cellWidth = m_clientWidth / static_cast<float>(m_columns);
  }
  m_placed = 0;
  m_nextX = 0.0f;
  m_nextY = kFirstRowY;
  PlaceFrom(0);
  Finish();
}

void CRSListView::PlaceFrom(size_t first) {
  size_t index = 0;
  for (Entry& e : m_items) {
    CRSCanvasItem* item = e.item.get();
    if (!item || item->IsBeingDeleted()) continue;
    if (index++ < first) continue;
    const RectF r = item->GetLocalRect();
    item->MoveTopLeftTo(PointF(m_nextX + (m_cellWidth - r.Width) * 0.5f - r.X * item->GetScale().X,
                               m_nextY + (m_rowHeight - r.Height) * 0.5f - r.Y * item->GetScale().Y));
    m_nextX += m_cellWidth;
    if (m_nextX > 0.0f && m_nextX + m_cellWidth - 1.0f > m_clientWidth) {
      m_nextX = 0.0f;
      m_nextY += m_rowHeight;
    }
    ++m_placed;
  }
}

void CRSListView::Finish() {
  const float end = m_nextX == 0.0f ? m_nextY : m_nextY + m_rowHeight;
  m_rows = m_rowHeight > 0.0f ? static_cast<int>(std::lround((end - kFirstRowY) / m_rowHeight)) : 0;
  // Setting the content size lays the scroll view out, which may change the
  // client area's width; the layout then runs once more for the new width.
  m_layingOut = true;
  SetClientMinSize(SizeF(3.0f * m_naturalWidth, end));
  m_layingOut = false;
  CRSCanvasItem* area = GetClientArea();
  // One more pass at most: a bar that comes or goes with the new content
  // could otherwise make the width swing back and forth.
  if (area && area->GetSize().Width != m_clientWidth && !m_rerun) {
    m_rerun = true;
    LayoutItems();
    m_rerun = false;
  }
}
