// Groups: containers that answer for their descendants and keep the union of
// their children's bounds cached until a child changes.

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
  if (IsNamed(child, kShadowName)) return;
  if (auto* item = dynamic_cast<CRSCanvasItem*>(child)) {
    item->sigVisibleChanged.connect(this, &CRSCanvasGroup::OnChildVisibleChanged);
    item->sigContentChanged.connect(this, &CRSCanvasGroup::OnChildChanged);
    item->sigGeometryChanged.connect(this, &CRSCanvasGroup::OnChildChanged);
  }
  sigGeometryChanged(this);
}

void CRSCanvasGroup::OnRemoveChild(CRSObject* child) {
  CRSCanvasItem::OnRemoveChild(child);
  m_boundsDirty = true;
  if (auto* item = dynamic_cast<CRSCanvasItem*>(child)) {
    item->sigVisibleChanged.disconnect(this);
    item->sigContentChanged.disconnect(this);
    item->sigGeometryChanged.disconnect(this);
  }
}

void CRSCanvasGroup::OnChildVisibleChanged(CRSCanvasItem* child, bool) { OnChildChanged(child); }

void CRSCanvasGroup::OnChildChanged(CRSCanvasItem* child) {
  if (IsShadowOrHighlight(child)) return;
  OnChildrenChanged();
}

void CRSCanvasGroup::OnChildrenChanged() {
  m_boundsDirty = true;
  sigGeometryChanged(this);
  sigContentChanged(this);
}

RectF CRSCanvasGroup::GetLocalRect() {
  if (m_boundsDirty) {
    bool first = true;
    RectF bounds;
    for (CRSCanvasItem* child : GetChildItems()) {
      if (!child->IsVisible() || IsShadowOrHighlight(child)) continue;
      const RectF b = child->GetBoundsIn(this);
      if (first) {
        bounds = b;
        first = false;
      } else {
        RectF::Union(bounds, bounds, b);
      }
    }
    m_bounds = bounds;
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
