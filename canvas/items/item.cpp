// The base canvas item: geometry setters with their invalidation frame,
// transforms, z-order placement, invalidation and the behaviour list.
// Painting, hit testing and mouse events live in item_paint.cpp.

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "canvas/items.h"
#include "canvas/items/change_frame.h"
#include "canvas/items/geometry_epoch.h"
namespace {

// Moves `child` within its parent's list so that it comes just before
// `before` (at the end when null). The object tree offers no reordering of
// its own; the entries are rotated in place, which keeps every reference
// count as it was (a remove and re-insert would announce a change of
// parent to everyone tracking the child).
// Returns false when nothing moved; else `from` and `to` say where the
// child was and where it was rotated to, as std::rotate moves one entry.
bool MoveChildBefore(CRSObject& parent, CRSObject* child, CRSObject* before, std::size_t* fromIndex,
                     std::size_t* toIndex) {
  auto& children = const_cast<CRSObject::ChildList&>(parent.GetChildren());
  // A new child was just appended and its place is usually near the end
  // (floors of thousands of thumbnails): search from the back, so filling a
  // floor stays linear. Each child is in the list once, so the result is
  // the same from either end.
  auto findFromBack = [&children](const CRSObject* wanted) {
    auto it = std::find_if(children.rbegin(), children.rend(),
                           [wanted](const CRSAutoPtrPolymorphic<CRSObject>& e) { return e.get() == wanted; });
    return it == children.rend() ? children.end() : std::prev(it.base());
  };
  auto from = findFromBack(child);
  if (from == children.end()) return false;
  auto to = before ? findFromBack(before) : children.end();
  if (to == from) return false;
  *fromIndex = static_cast<std::size_t>(from - children.begin());
  *toIndex = static_cast<std::size_t>(to - children.begin());
  if (to > from) {
    std::rotate(from, from + 1, to);
  } else {
    std::rotate(to, from, from + 1);
  }
  return true;
}

// The same move as MoveChildBefore's, made on a list that stands one for
// one with the children.
template <class List>
void RotateLike(List& list, std::size_t from, std::size_t to) {
  if (to > from) {
    std::rotate(list.begin() + static_cast<std::ptrdiff_t>(from), list.begin() + static_cast<std::ptrdiff_t>(from + 1),
                list.begin() + static_cast<std::ptrdiff_t>(to));
  } else {
    std::rotate(list.begin() + static_cast<std::ptrdiff_t>(to), list.begin() + static_cast<std::ptrdiff_t>(from),
                list.begin() + static_cast<std::ptrdiff_t>(from + 1));
  }
}

// Whether `child` already comes just before `before` in its parent's list.
// Shadows and glows are placed under their item on every move; most of the
// time they already are, and that must cost no reordering and no repaint.
bool IsJustBefore(const CRSObject& parent, const CRSObject* child, const CRSObject* before) {
  const auto& children = parent.GetChildren();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (it->get() != before) continue;
    const auto next = std::next(it);
    return next != children.rend() && next->get() == child;
  }
  return false;
}

}  // namespace

CRSCanvasItem::CRSCanvasItem(const PointF& position, CRSObject* parent, const std::string& name)
    : CRSObject(nullptr, name), m_position(position) {
  RebuildMatrix();
  // The base constructor ran with no parent: linking here lets the virtual
  // z-order placement and the item's own SetParent take part.
  if (parent) SetParent(parent);
}

CRSCanvasItem::~CRSCanvasItem() {
  sigUpdateNow.disconnect_all();
  sigGeometryChanged.disconnect_all();
  sigZOrderChanged.disconnect_all();
  sigContentChanged.disconnect_all();
  sigInvalidate.disconnect_all();
  sigVisibleChanged.disconnect_all();
  sigResized.disconnect_all();
  sigMinSizeChanged.disconnect_all();
  sigPrePaint.disconnect_all();
  sigFocusRequest.disconnect_all();
  SetParent(nullptr);
  m_updatesEnabled = false;
  // Take the list first: a behaviour that goes away removes itself from its
  // item, which must not disturb this walk.
  std::list<CRSAutoPtrPolymorphic<CRSObject>> behaviours;
  behaviours.swap(m_behaviours);
  for (auto& entry : behaviours) {
    CRSObject* behaviour = entry;
    if (!behaviour || behaviour->IsBeingDeleted()) continue;
    // A behaviour whose deletion is already queued would otherwise outlive
    // its item and reach for it when the queue finally ends it: it goes now,
    // and the queued deletion finds nothing left to do.
    behaviour->SetDeletionMode(CRSEventReceiver::kDeleteNow);
    behaviour->Delete();
  }
  behaviours.clear();
  DeleteChildren();
}

float CRSCanvasItem::NormalizeAngle(float x) {
  // Rounding half away from zero, then integer division truncating toward
  // zero, as the stored angles of saved puzzles were produced.
  long n = std::lround(x) / 360;
  if (x < 0.0f) n -= 1;
  return x - 360.0f * static_cast<float>(n);
}

// --- tree --------------------------------------------------------------------

CRSCanvasItem* CRSCanvasItem::GetParentItem() const {
  // The parent pointer changes only through SetParent, which forgets the
  // remembered answer, or is cleared when the parent goes: a key that no
  // longer matches is looked up again.
  CRSObject* parent = GetParent();
  if (parent != m_parentItemKey) {
    m_parentItemKey = parent;
    m_parentItem = dynamic_cast<CRSCanvasItem*>(parent);
  }
  return m_parentItem;
}

CRSCanvasItem* CRSCanvasItem::GetRootItem() {
  CRSCanvasItem* item = this;
  while (CRSCanvasItem* up = item->GetParentItem()) item = up;
  return item;
}

const std::vector<CRSCanvasItem*>& CRSCanvasItem::GetChildItems() const {
  if (m_childItemsDirty) {
    m_childItems.clear();
    for (const auto& entry : GetChildren()) {
      CRSObject* child = entry;
      if (auto* item = dynamic_cast<CRSCanvasItem*>(child)) m_childItems.push_back(item);
    }
    m_childItemsDirty = false;
  }
  return m_childItems;
}

void CRSCanvasItem::SetParent(CRSObject* parent) {
  if (parent == GetParent()) return;
  CRSObject* const oldParent = GetParent();
  OnMoveStarting();
  CRSObject::SetParent(parent);
  OnMoveDone(oldParent);
}

void CRSCanvasItem::OnMoveStarting() {
  Invalidate();
  // A move made by a slot during this one keeps the state saved first.
  if (m_moveDepth++ == 0) m_updatesBeforeMove = m_updatesEnabled;
  m_updatesEnabled = false;
}

void CRSCanvasItem::OnMoveDone(CRSObject*) {
  // A new parent may sit at the address of one that is gone.
  canvas_geometry::Advance();
  m_parentItemKey = nullptr;
  m_parentItem = nullptr;
  // Both parents followed the move in their child items as it happened
  // (OnChildLinked, OnChildUnlinked), and the old one let go of this item's
  // entry in its cull queue.
  UpdateTransform();
  if (--m_moveDepth == 0) m_updatesEnabled = m_updatesBeforeMove;
  Invalidate();
}

CRSObject* CRSCanvasItem::FindInsertPosition(CRSObject* child) {
  const ChildList& children = GetChildren();
  const std::size_t index = FindInsertIndex(child);
  return index < children.size() ? children[index].get() : nullptr;
}

std::size_t CRSCanvasItem::FindInsertIndex(CRSObject* child, std::size_t) {
  const ChildList& children = GetChildren();
  auto* item = dynamic_cast<CRSCanvasItem*>(child);
  if (!item || item->m_zOrder == kZOrderTop) return children.size();
  // Every insertion and every change of z-order places the child through
  // this search, so the children stay sorted by z-order and the first child
  // of a higher z-order is found by halving: a floor of thousands of items
  // (each with its shadow) is filled without walking the floor per item.
  // An entry that is not an item (a room living on its floor) and the child
  // itself (already listed with its old place when its z-order changes)
  // take the key of their left neighbour, which keeps the keys sorted.
  const int z = item->m_zOrder;
  auto keyAt = [&children, item](std::size_t i) -> long long {
    for (;;) {
      auto* at = dynamic_cast<CRSCanvasItem*>(children[i].get());
      if (at && at != item) return at->m_zOrder;
      if (i == 0) return -1;  // below every z-order
      --i;
    }
  };
  std::size_t low = 0, high = children.size();
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (keyAt(middle) > z) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  // Not before the child itself: that is the place it already has.
  while (low < children.size() && children[low].get() == child) ++low;
  return low;
}

void CRSCanvasItem::OnAddChild(CRSObject*) {}

void CRSCanvasItem::OnRemoveChild(CRSObject*) {}

// The child items and the cull list follow the children change by change:
// a piece joining a group of thousands, or leaving a table of thousands,
// must not cost a type check and an extent for every other child. They are
// read anew only when some child is not an item (a room on its floor).
bool CRSCanvasItem::ChildItemsFollowChildren(std::size_t childrenBefore) const {
  return !m_childItemsDirty && m_childItems.size() == childrenBefore;
}

void CRSCanvasItem::OnChildLinked(CRSObject* child, std::size_t index) {
  auto* item = dynamic_cast<CRSCanvasItem*>(child);
  const std::size_t before = GetChildren().size() - 1;
  if (!item || index > before || !ChildItemsFollowChildren(before)) {
    MarkChildItemsDirty();
    return;
  }
  m_childItems.insert(m_childItems.begin() + static_cast<std::ptrdiff_t>(index), item);
  if (m_childCullValid && m_childCull.size() == before) {
    // Its entry is worked out when the list is next read.
    m_childCull.insert(m_childCull.begin() + static_cast<std::ptrdiff_t>(index), ChildCull{});
    item->m_indexInParent = index;
    if (!item->m_cullQueued) {
      item->m_cullQueued = true;
      m_staleCull.push_back(item);
    }
  } else {
    m_childCullValid = false;
  }
  if (!m_cullByBounds) NoteBoundsChanged();
}

void CRSCanvasItem::OnChildUnlinked(CRSObject* child, std::size_t index) {
  auto* item = dynamic_cast<CRSCanvasItem*>(child);
  if (item && item->m_cullQueued) {
    item->m_cullQueued = false;
    // A long queue (every child moved since the last paint, and now they
    // all go) is dropped with the list rather than searched for each.
    constexpr std::size_t kSearchedQueue = 64;
    const auto queued = m_staleCull.size() <= kSearchedQueue
                            ? std::find(m_staleCull.begin(), m_staleCull.end(), item)
                            : m_staleCull.end();
    if (queued != m_staleCull.end()) {
      m_staleCull.erase(queued);
    } else {
      for (CRSCanvasItem* other : m_staleCull) other->m_cullQueued = false;
      m_staleCull.clear();
      m_childCullValid = false;
    }
  }
  const std::size_t before = GetChildren().size() + 1;
  if (!item || index == kNoIndex || !ChildItemsFollowChildren(before) || m_childItems[index] != item) {
    MarkChildItemsDirty();
    return;
  }
  m_childItems.erase(m_childItems.begin() + static_cast<std::ptrdiff_t>(index));
  if (m_childCullValid && m_childCull.size() == before) {
    m_childCull.erase(m_childCull.begin() + static_cast<std::ptrdiff_t>(index));
  } else {
    m_childCullValid = false;
  }
  if (!m_cullByBounds) NoteBoundsChanged();
}

void CRSCanvasItem::OnChildMoved(std::size_t from, std::size_t to) {
  const std::size_t count = GetChildren().size();
  if (!ChildItemsFollowChildren(count)) {
    MarkChildItemsDirty();
    return;
  }
  RotateLike(m_childItems, from, to);
  if (m_childCullValid && m_childCull.size() == count) {
    RotateLike(m_childCull, from, to);
  } else {
    m_childCullValid = false;
  }
  if (!m_cullByBounds) NoteBoundsChanged();
}

// --- geometry ----------------------------------------------------------------

namespace canvas_geometry {
namespace {
unsigned s_epoch = 0;
}  // namespace
unsigned Epoch() { return s_epoch; }
void Advance() { ++s_epoch; }
}  // namespace canvas_geometry

void CRSCanvasItem::RebuildMatrix() {
  canvas_geometry::Advance();
  m_transform.Reset();
  m_transform.Translate(m_position.X, m_position.Y);
  m_transform.Rotate(m_rotation);
  m_transform.Scale(m_scale.X, m_scale.Y);
  m_transform.Translate(-m_origin.X, -m_origin.Y);
  m_inverse = m_transform;
  m_inverse.Invert();
}

void CRSCanvasItem::UpdateTransform() {
  RebuildMatrix();
  NoteBoundsChanged();
  sigGeometryChanged(this);
}

void CRSCanvasItem::SetCullByBounds(bool cull) {
  if (cull == m_cullByBounds) return;
  m_cullByBounds = cull;
  NoteBoundsChanged();
}

void CRSCanvasItem::NoteBoundsChanged() {
  CRSCanvasItem* parent = GetParentItem();
  if (!parent) return;
  // Only queued while the parent's list is whole; a list that is to be
  // rebuilt reads every child anyway.
  if (!m_cullQueued && parent->m_childCullValid) {
    m_cullQueued = true;
    parent->m_staleCull.push_back(this);
  }
  // A parent that does not cull by its rectangle reaches as far as its
  // children do: its own entry above is out of date too.
  if (!parent->m_cullByBounds) parent->NoteBoundsChanged();
}

void CRSCanvasItem::MarkChildItemsDirty() {
  m_childItemsDirty = true;
  m_childCullValid = false;
  if (!m_cullByBounds) NoteBoundsChanged();
}

bool CRSCanvasItem::GetPaintExtent(RectF& extent) {
  if (m_cullByBounds) {
    extent = GetLocalRect();
    return true;
  }
  // Its own content is not clipped to anything known.
  if (m_drawsItself) return false;
  RefreshChildCull();
  bool any = false;
  for (const ChildCull& entry : m_childCull) {
    if (!entry.visible) continue;
    if (!entry.bounded) return false;
    if (!any) {
      extent = entry.rect;
      any = true;
    } else {
      RectF::Union(extent, extent, entry.rect);
    }
  }
  if (!any) extent = RectF();
  return true;
}

void CRSCanvasItem::RefreshChildCull() {
  const std::vector<CRSCanvasItem*>& children = GetChildItems();
  auto entryOf = [](CRSCanvasItem* child) {
    ChildCull e;
    RectF extent;
    e.bounded = child->GetPaintExtent(extent);
    if (e.bounded) e.rect = Gdiplus::TransformedBounds(child->m_transform, extent);
    e.zOrder = child->m_zOrder;
    e.visible = child->m_visible;
    return e;
  };
  // Many children out of date at once (a heap of pieces brought back onto
  // the table) are read anew with the rest: each may have to be looked for
  // in the list, where they were shifted by those that came before them.
  const bool manyStale = m_staleCull.size() > children.size() / 8 + 64;
  if (!m_childCullValid || m_childCull.size() != children.size() || manyStale) {
    // Every child is read: the queue is dropped unread.
    m_staleCull.clear();
    m_childCull.resize(children.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
      CRSCanvasItem* child = children[i];
      child->m_indexInParent = i;
      child->m_cullQueued = false;
      m_childCull[i] = entryOf(child);
    }
    m_childCullValid = true;
    return;
  }
  // Taken out first: working out a child's extent refreshes the child's own
  // list, and nothing it does may reach this queue while it is walked.
  std::vector<CRSCanvasItem*> stale;
  stale.swap(m_staleCull);
  for (CRSCanvasItem* child : stale) {
    child->m_cullQueued = false;
    // Children that came or moved before it since it was last seen shifted
    // its place.
    std::size_t at = child->m_indexInParent;
    if (at >= children.size() || children[at] != child) {
      const auto found = std::find(children.begin(), children.end(), child);
      if (found == children.end()) continue;
      at = static_cast<std::size_t>(found - children.begin());
      child->m_indexInParent = at;
    }
    m_childCull[at] = entryOf(child);
  }
}

void CRSCanvasItem::SetPosition(const PointF& position) {
  if (position.Equals(m_position)) return;
  ChangeFrame frame(*this);
  m_position = position;
  UpdateTransform();
}

void CRSCanvasItem::MoveBy(const PointF& delta) {
  if (delta.Equals(PointF())) return;
  SetPosition(m_position + delta);
}

void CRSCanvasItem::MoveBy(int dx, int dy) {
  MoveBy(PointF(static_cast<float>(dx), static_cast<float>(dy)));
}

void CRSCanvasItem::SetOrigin(const PointF& origin) {
  if (origin.Equals(m_origin)) return;
  ChangeFrame frame(*this);
  // The new origin keeps its place on screen: it becomes the position.
  PointF moved = origin;
  m_transform.TransformPoints(&moved);
  m_origin = origin;
  m_position = moved;
  UpdateTransform();
}

PointF CRSCanvasItem::GetTopLeft() const {
  if (m_origin.Equals(PointF())) return m_position;
  PointF corner;
  m_transform.TransformPoints(&corner);
  return corner;
}

void CRSCanvasItem::MoveTopLeftTo(const PointF& topLeft) {
  if (topLeft.Equals(GetTopLeft())) return;
  ChangeFrame frame(*this);
  const PointF origin = m_origin;
  m_origin = PointF();
  m_position = topLeft;
  RebuildMatrix();
  PointF moved = origin;
  m_transform.TransformPoints(&moved);
  m_origin = origin;
  m_position = moved;
  UpdateTransform();
}

SizeF CRSCanvasItem::SetSize(const SizeF& size) {
  const SizeF clamped(std::max(size.Width, m_minSize.Width), std::max(size.Height, m_minSize.Height));
  if (!clamped.Equals(m_size)) {
    ChangeFrame frame(*this);
    DoSetSize(clamped);
  }
  return m_size;
}

void CRSCanvasItem::DoSetSize(const SizeF& size) {
  SetOrigin(PointF());
  m_size = size;
  UpdateTransform();
  sigResized(this, m_size);
}

void CRSCanvasItem::SetMinSize(const SizeF& minSize) {
  m_minSize = minSize;
  SetSize(SizeF(std::max(m_size.Width, minSize.Width), std::max(m_size.Height, minSize.Height)));
  sigMinSizeChanged(this, minSize);
}

void CRSCanvasItem::SetScale(const PointF& scale) {
  if (scale.X == 0.0f || scale.Y == 0.0f || scale.Equals(m_scale)) return;
  ChangeFrame frame(*this);
  m_scale = scale;
  UpdateTransform();
}

void CRSCanvasItem::SetRotation(float degrees) {
  const float normalized = NormalizeAngle(degrees);
  if (Gdiplus::NearlyEqual(normalized, m_rotation)) return;
  ChangeFrame frame(*this);
  m_rotation = normalized;
  UpdateTransform();
}

void CRSCanvasItem::SetPlacement(const PointF& origin, const PointF& position, float degrees) {
  const float normalized = NormalizeAngle(degrees);
  if (origin.X == m_origin.X && origin.Y == m_origin.Y && position.X == m_position.X &&
      position.Y == m_position.Y && normalized == m_rotation)
    return;
  ChangeFrame frame(*this);
  m_origin = origin;
  m_position = position;
  m_rotation = normalized;
  UpdateTransform();
}

void CRSCanvasItem::SetZOrder(int zOrder) {
  if (zOrder == m_zOrder) return;
  m_zOrder = std::clamp(zOrder, 0, kZOrderTop);
  CRSObject* parent = GetParent();
  if (!parent) return;
  std::size_t from = 0, to = 0;
  if (MoveChildBefore(*parent, this, parent->FindInsertPosition(this), &from, &to)) {
    if (auto* parentItem = dynamic_cast<CRSCanvasItem*>(parent)) parentItem->OnChildMoved(from, to);
  }
  // The parent's entry for this item holds its z-order.
  NoteBoundsChanged();
  sigZOrderChanged(this);
  Invalidate();
}

void CRSCanvasItem::MoveBeforeSibling(CRSCanvasItem* sibling) {
  CRSObject* parent = GetParent();
  if (!parent || !sibling || sibling == this || sibling->GetParent() != parent) return;
  if (IsJustBefore(*parent, this, sibling)) return;
  std::size_t from = 0, to = 0;
  if (!MoveChildBefore(*parent, this, sibling, &from, &to)) return;
  if (auto* parentItem = dynamic_cast<CRSCanvasItem*>(parent)) parentItem->OnChildMoved(from, to);
  Invalidate();
}

CRSCanvasItem* FindSoftImageFrame(CRSCanvasItem* item) {
  while (item && !item->IsSoftImageFrame()) item = item->GetParentItem();
  return item;
}

Gdiplus::Matrix CRSCanvasItem::GetTransformTo(const CRSCanvasItem* ancestor) const {
  Gdiplus::Matrix m;
  for (const CRSCanvasItem* item = this; item && item != ancestor; item = item->GetParentItem()) {
    m.Multiply(item->m_transform, MatrixOrderAppend);
  }
  return m;
}

PointF CRSCanvasItem::MapToAncestor(const PointF& local, const CRSCanvasItem* ancestor) const {
  PointF p = local;
  GetTransformTo(ancestor).TransformPoints(&p);
  return p;
}

RectF CRSCanvasItem::GetBoundsIn(const CRSCanvasItem* ancestor) {
  return Gdiplus::TransformedBounds(GetTransformTo(ancestor), GetLocalRect());
}

float CRSCanvasItem::GetAccumulatedRotation() const {
  float sum = 0.0f;
  for (const CRSCanvasItem* item = this; item; item = item->GetParentItem()) sum += item->m_rotation;
  return NormalizeAngle(sum);
}

PointF CRSCanvasItem::GetAccumulatedScale() const {
  PointF product(1.0f, 1.0f);
  for (const CRSCanvasItem* item = this; item; item = item->GetParentItem()) {
    product.X *= item->m_scale.X;
    product.Y *= item->m_scale.Y;
  }
  return product;
}

void CRSCanvasItem::UpdateNow() { GetRootItem()->sigUpdateNow(); }

RectF CRSCanvasItem::GetLocalRect() { return RectF(0.0f, 0.0f, m_size.Width, m_size.Height); }

void CRSCanvasItem::SetVisible(bool visible) {
  if (visible == m_visible) return;
  if (!visible) {
    Invalidate();
    m_visible = false;
  } else {
    m_visible = true;
    Invalidate();
  }
  NoteBoundsChanged();
  sigVisibleChanged(this, visible);
}

// --- invalidation ------------------------------------------------------------

bool CRSCanvasItem::CanInvalidate() const {
  for (const CRSCanvasItem* item = this; item; item = item->GetParentItem()) {
    if (!item->m_updatesEnabled || !item->m_visible) return false;
  }
  return true;
}

void CRSCanvasItem::NotifyPaintCachesAbove() {
  for (CRSCanvasItem* up = GetParentItem(); up; up = up->GetParentItem()) {
    if (up->m_keepsPaintCache) up->OnDescendantChanged();
  }
}

void CRSCanvasItem::Invalidate() {
  // Containers pass the request on to the items that draw, which tell the
  // kept pictures above them; hidden or frozen items change too, and a
  // picture made before must not outlive that.
  if (m_drawsItself) NotifyPaintCachesAbove();
  if (!CanInvalidate()) return;
  if (m_drawsItself) {
    CRSCanvasItem* root = GetRootItem();
    if (root->IsBeingDeleted()) return;
    root->sigInvalidate(this, GetLocalRect());
    return;
  }
  // A container's own rectangle may be far larger than what it shows; the
  // items that draw report their own areas instead.
  for (CRSCanvasItem* child : GetChildItems()) child->Invalidate();
}

// --- behaviours --------------------------------------------------------------

void CRSCanvasItem::AddBehaviour(CRSObject* behaviour) {
  if (!behaviour) return;
  for (const auto& entry : m_behaviours) {
    if (static_cast<CRSObject*>(entry) == behaviour) return;
  }
  m_behaviours.emplace_back();
  m_behaviours.back() = behaviour;
}

void CRSCanvasItem::RemoveBehaviour(CRSObject* behaviour) {
  for (auto it = m_behaviours.begin(); it != m_behaviours.end(); ++it) {
    if (static_cast<CRSObject*>(*it) == behaviour) {
      m_behaviours.erase(it);
      return;
    }
  }
}

std::vector<CRSObject*> CRSCanvasItem::GetBehaviours() const {
  std::vector<CRSObject*> live;
  for (const auto& entry : m_behaviours) {
    if (CRSObject* b = entry) live.push_back(b);
  }
  return live;
}
