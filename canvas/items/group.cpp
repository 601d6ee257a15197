// Groups: containers that answer for their descendants and keep the union of
// their children's bounds cached until a child changes.

#include <cmath>
#include <cstring>

#include "canvas/items.h"

namespace {

bool IsNamed(const CRSObject* object, const char* name) {
  return object && object->GetName() == name;
}

}  // namespace

bool IsShadowOrHighlight(const CRSObject* object) {
  return IsNamed(object, CRSCanvasGroup::kShadowName) || IsNamed(object, CRSCanvasGroup::kHighlightName);
}

CRSCanvasGroup::CRSCanvasGroup(const PointF& position, CRSObject* parent, const std::string& name)
    : CRSCanvasItem(position, parent, name) {
  SetCullByBounds(false);
}

CRSCanvasGroup::~CRSCanvasGroup() {
  // Children go while the group is still whole, so that its own
  // OnRemoveChild (not the base's) sees each of them leave.
  DeleteChildren();
}

void CRSCanvasGroup::OnAddChild(CRSObject* child) {
  CRSCanvasItem::OnAddChild(child);
  m_boundsDirty = true;
  NoteBoundsChanged();
  m_paintBoundsDirty = true;
  if (IsNamed(child, kShadowName)) return;
  if (auto* item = dynamic_cast<CRSCanvasItem*>(child)) {
    if (!IsShadowOrHighlight(item)) m_changedChildren.push_back(item);
    item->sigVisibleChanged.connect(this, &CRSCanvasGroup::OnChildVisibleChanged);
    item->sigContentChanged.connect(this, &CRSCanvasGroup::OnChildChanged);
    item->sigGeometryChanged.connect(this, &CRSCanvasGroup::OnChildChanged);
  }
  sigGeometryChanged(this);
}

void CRSCanvasGroup::OnRemoveChild(CRSObject* child) {
  CRSCanvasItem::OnRemoveChild(child);
  m_boundsDirty = true;
  m_boundsRebuild = true;
  m_changedChildren.clear();
  m_countedBounds.erase(static_cast<const CRSCanvasItem*>(dynamic_cast<CRSCanvasItem*>(child)));
  NoteBoundsChanged();
  m_paintBoundsDirty = true;
  if (auto* item = dynamic_cast<CRSCanvasItem*>(child)) {
    item->sigVisibleChanged.disconnect(this);
    item->sigContentChanged.disconnect(this);
    item->sigGeometryChanged.disconnect(this);
  }
}

void CRSCanvasGroup::OnChildVisibleChanged(CRSCanvasItem* child, bool) { OnChildChanged(child); }

void CRSCanvasGroup::OnChildChanged(CRSCanvasItem* child) {
  if (IsShadowOrHighlight(child)) return;
  // A child that changes at every frame while nobody asks for the bounds
  // must not grow the list without end.
  if (m_changedChildren.size() > GetChildren().size()) {
    m_boundsRebuild = true;
    m_changedChildren.clear();
  }
  if (!m_boundsRebuild) m_changedChildren.push_back(child);
  NoteChildrenChanged();
}

void CRSCanvasGroup::OnChildrenChanged() {
  m_boundsRebuild = true;
  NoteChildrenChanged();
}

void CRSCanvasGroup::NoteChildrenChanged() {
  m_boundsDirty = true;
  NoteBoundsChanged();
  sigGeometryChanged(this);
  sigContentChanged(this);
}

RectF CRSCanvasGroup::UnionOfVisibleChildren(bool withShadows) {
  bool first = true;
  RectF bounds;
  for (CRSCanvasItem* child : GetChildItems()) {
    if (!child->IsVisible() || (!withShadows && IsShadowOrHighlight(child))) continue;
    const RectF b = child->GetBoundsIn(this);
    if (first) {
      bounds = b;
      first = false;
    } else {
      RectF::Union(bounds, bounds, b);
    }
  }
  return bounds;
}

namespace {

bool Covers(const RectF& outer, const RectF& inner) {
  return outer.X <= inner.X && outer.Y <= inner.Y && outer.GetRight() >= inner.GetRight() &&
         outer.GetBottom() >= inner.GetBottom();
}

// Whether `part` reaches an edge of `whole`, so that the whole may shrink
// when the part does.
bool ReachesEdge(const RectF& part, const RectF& whole) {
  constexpr float kSlack = 1e-3f;
  return part.X <= whole.X + kSlack || part.Y <= whole.Y + kSlack || part.GetRight() >= whole.GetRight() - kSlack ||
         part.GetBottom() >= whole.GetBottom() - kSlack;
}

}  // namespace

bool CRSCanvasGroup::ApplyChangedChildren() {
  for (CRSCanvasItem* child : m_changedChildren) {
    const bool counts = child->IsVisible();
    const RectF now = counts ? child->GetBoundsIn(this) : RectF();
    const auto counted = m_countedBounds.find(child);
    if (counted != m_countedBounds.end()) {
      if ((!counts || !Covers(now, counted->second)) && ReachesEdge(counted->second, m_bounds)) return false;
      if (!counts) {
        m_countedBounds.erase(counted);
        continue;
      }
      counted->second = now;
    } else {
      if (!counts) continue;
      if (m_countedBounds.empty()) m_bounds = now;
      m_countedBounds.emplace(child, now);
    }
    RectF::Union(m_bounds, m_bounds, now);
  }
  return !m_countedBounds.empty();
}

void CRSCanvasGroup::CountEveryChild() {
  m_countedBounds.clear();
  bool first = true;
  m_bounds = RectF();
  for (CRSCanvasItem* child : GetChildItems()) {
    if (!child->IsVisible() || IsShadowOrHighlight(child)) continue;
    const RectF b = child->GetBoundsIn(this);
    m_countedBounds.emplace(child, b);
    if (first) {
      m_bounds = b;
      first = false;
    } else {
      RectF::Union(m_bounds, m_bounds, b);
    }
  }
}

RectF CRSCanvasGroup::GetLocalRect() {
  if (m_boundsDirty) {
    if (m_boundsRebuild || !ApplyChangedChildren()) CountEveryChild();
    m_boundsRebuild = false;
    m_changedChildren.clear();
    m_boundsDirty = false;
  }
  return m_bounds;
}

bool CRSCanvasGroup::ContainsPoint(const PointF&) { return true; }

CRSCanvasItem* CRSCanvasGroup::HitTest(const PointF& local) {
  CRSCanvasItem* hit = CRSCanvasItem::HitTest(local);
  if (!hit || hit == this) return nullptr;
  if (hit->GetParent() == this && IsShadowOrHighlight(hit)) return nullptr;
  return this;
}

// --- the kept picture of the painted children --------------------------------

namespace {

bool SameLinearPart(const float* a, const float* b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2] && a[3] == b[3];
}

// Whether two offsets differ by whole pixels, so that a picture made under
// one lands on the same pixel grid under the other.
bool WholePixelsApart(float a, float b) {
  const float d = a - b;
  return std::fabs(d - std::round(d)) < 1e-3f;
}

}  // namespace

void CRSCanvasGroup::SetPaintCache(bool on) {
  if (on == m_paintCacheOn) return;
  m_paintCacheOn = on;
  SetKeepsPaintCache(on);
  m_cache.reset();
  m_paintBoundsDirty = true;
  m_changesAtPaint = ~0u;
}

void CRSCanvasGroup::OnDescendantChanged() {
  m_paintBoundsDirty = true;
  if (m_buildingCache) {
    // A child finished itself while being painted into the picture (a soft
    // image renders its picture at its first paint): the picture shows that
    // already, but it is not to be trusted beyond this paint.
    m_changedWhileBuilding = true;
    return;
  }
  ++m_changes;
  m_cache.reset();
}

RectF CRSCanvasGroup::GetPaintBounds() {
  if (m_paintBoundsDirty) {
    m_paintBounds = UnionOfVisibleChildren(true);
    m_paintBoundsDirty = false;
  }
  return m_paintBounds;
}

void CRSCanvasGroup::Invalidate() {
  // One request for everything the group paints, rather than one from each
  // of hundreds of children, each walking up to the root: the group moves
  // as a whole. Passing it on to the children would also tell this group's
  // own picture that they changed.
  NotifyPaintCachesAbove();
  if (!CanInvalidate()) return;
  CRSCanvasItem* root = GetRootItem();
  if (root->IsBeingDeleted()) return;
  // A kept picture keeps its extent up to date; without one, a child (or
  // its shadow) may have moved since the extent was last measured.
  const RectF bounds = m_paintCacheOn ? GetPaintBounds() : UnionOfVisibleChildren(true);
  if (bounds.IsEmptyArea()) return;
  root->sigInvalidate(this, bounds);
}

bool CRSCanvasGroup::BuildPaintCache(Gdiplus::Graphics& g, const Gdiplus::Matrix& world, int maxZ) {
  const RectF device = Gdiplus::TransformedBounds(world, GetPaintBounds());
  if (device.IsEmptyArea()) return false;
  // One pixel of slack on every side keeps anti-aliased edges inside.
  const float left = std::floor(device.GetLeft() - 1.0f), top = std::floor(device.GetTop() - 1.0f);
  const float right = std::ceil(device.GetRight() + 1.0f), bottom = std::ceil(device.GetBottom() + 1.0f);
  if ((right - left) * (bottom - top) > kMaxPaintCachePixels) return false;
  auto picture = std::make_unique<Gdiplus::Bitmap>(static_cast<int>(right - left), static_cast<int>(bottom - top),
                                                   Gdiplus::PixelFormat::Format32bppARGB);
  if (!picture->IsValid()) return false;
  m_buildingCache = true;
  m_changedWhileBuilding = false;
  {
    Gdiplus::Graphics pg(picture.get());
    // The children are drawn as they would be straight onto the target.
    pg.SetSmoothingMode(g.GetSmoothingMode());
    pg.SetInterpolationMode(g.GetInterpolationMode());
    pg.SetCompositingQuality(g.GetCompositingQuality());
    pg.SetPixelOffsetMode(g.GetPixelOffsetMode());
    pg.SetTextRenderingHint(g.GetTextRenderingHint());
    Gdiplus::Matrix shifted = world;
    shifted.Translate(-left, -top, MatrixOrderAppend);
    pg.SetTransform(&shifted);
    CRSCanvasItem::Paint(pg, maxZ, true);
  }
  m_buildingCache = false;
  // The picture becomes the kept one itself, not the source of a copy.
  m_cache = std::make_unique<Gdiplus::CachedBitmap>(std::move(picture), &g);
  if (!m_cache->IsValid()) {
    m_cache.reset();
    return false;
  }
  world.GetElements(m_cacheWorld);
  m_cacheOrigin = Point(static_cast<int>(left), static_cast<int>(top));
  ++m_cacheBuilds;
  return true;
}

void CRSCanvasGroup::Paint(Gdiplus::Graphics& g, int maxZ, bool useCache) {
  if (!m_paintCacheOn || !useCache || maxZ != kZOrderTop || !IsVisible()) {
    CRSCanvasItem::Paint(g, maxZ, useCache);
    return;
  }
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  float now[6];
  world.GetElements(now);
  if (m_cache && !(SameLinearPart(now, m_cacheWorld) && WholePixelsApart(now[4], m_cacheWorld[4]) &&
                   WholePixelsApart(now[5], m_cacheWorld[5]))) {
    m_cache.reset();
  }
  const bool unchangedSinceLastPaint = m_changes == m_changesAtPaint;
  m_changesAtPaint = m_changes;
  if (!m_cache && !(unchangedSinceLastPaint && BuildPaintCache(g, world, maxZ))) {
    CRSCanvasItem::Paint(g, maxZ, useCache);
    return;
  }
  const int x = m_cacheOrigin.X + static_cast<int>(std::lround(now[4] - m_cacheWorld[4]));
  const int y = m_cacheOrigin.Y + static_cast<int>(std::lround(now[5] - m_cacheWorld[5]));
  const Gdiplus::GraphicsState state = g.Save();
  g.ResetTransform();
  g.DrawCachedBitmap(m_cache.get(), x, y);
  g.Restore(state);
  if (m_changedWhileBuilding) {
    m_changedWhileBuilding = false;
    ++m_changes;
    m_cache.reset();
  }
}
