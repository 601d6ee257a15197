// Painting, hit testing, mouse events and the cursor walk of the base item.

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "canvas/event_dispatcher.h"
#include "canvas/items.h"
#include "platform/bitmap.h"
#include "platform/covered_area.h"
#include "platform/messages.h"

// What the survey below reads of an item's cull list.
class CRSPaintSurvey {
 public:
  // The child items, with the cull list brought up to date beside them.
  static const std::vector<CRSCanvasItem*>& Children(CRSCanvasItem& item) {
    item.RefreshChildCull();
    return item.GetChildItems();
  }
  // Whether the kept extent of the child at `index` misses `localClip`
  // (in the item's space), so that the child cannot paint inside it.
  static bool Misses(const CRSCanvasItem& item, std::size_t index, const RectF& localClip) {
    if (index >= item.m_childCull.size()) return false;
    const CRSCanvasItem::ChildCull& entry = item.m_childCull[index];
    return entry.bounded && !entry.rect.IntersectsWith(localClip);
  }
};

namespace {

int s_mouseNesting = 0;
int s_loadedCursor = 0;
CRSCanvasItem::CursorSetter s_cursorSetter = nullptr;

// The axis-aligned device rectangle covered by a local rectangle under the
// given transform, grown outward to whole pixels so that the clip it becomes
// stays a plain pixel box.
RectF DeviceCullRect(const RectF& local, const Gdiplus::Matrix& world) {
  const RectF device = Gdiplus::TransformedBounds(world, local);
  float left = device.GetLeft(), right = device.GetRight();
  float top = device.GetTop(), bottom = device.GetBottom();
  // One pixel of slack on every side keeps anti-aliased edges inside.
  left = std::floor(left - 1.0f);
  top = std::floor(top - 1.0f);
  right = std::ceil(right + 1.0f);
  bottom = std::ceil(bottom + 1.0f);
  return RectF(left, top, right - left, bottom - top);
}

// --- what opaque items hide ------------------------------------------------
//
// Before a tree is painted, the walk notes where opaque items will lie (in
// device pixels, after their ancestors' clips) and in which order the items
// come. An item whose content lies wholly under an opaque item painted
// after it is not painted at all; one that lies partly under a large one is
// clipped away from it. A room shown behind a full-screen picture, or a
// floor under a photograph, then costs nothing where it cannot be seen.

// Only this much hidden area is worth a clip of its own; below it the
// content is painted whole, as before.
constexpr float kMinHiddenPixels = 4096.0f;
// Smaller pictures hide too little to be worth looking for, and smaller
// repaints gain too little to be worth a survey: a piece dragged over the
// board repaints a few thousand pixels among a thousand items.
constexpr float kMinOccluderPixels = 128.0f * 128.0f;
constexpr float kMinSurveyPixels = 256.0f * 256.0f;
// A survey is a second walk of the tree; in a crowded tree (a board of a
// thousand pieces) it is given up after this many items, where it would
// cost more than it could spare.
constexpr int kMaxSurveyItems = 256;

struct Occluder {
  RectF device;  // whole pixels, every one painted opaque
  size_t order;  // the opaque item's place among the items that draw
};

struct Occlusion {
  // The items that draw, in the order the walk paints them: an item's
  // content is painted before that of every item after it.
  std::vector<const CRSCanvasItem*> drawers;
  std::vector<Occluder> occluders;
  // The next drawing item the walk should meet. Meeting another means the
  // tree changed under the walk (a pre-paint slot); nothing is left out
  // from then on.
  size_t next = 0;
  bool inStep = true;
  int budget = kMaxSurveyItems;
};

// The walk now in progress, and the graphics its next step paints on: a
// Paint on any other graphics (an item painting its children into a picture
// of its own, a pre-paint slot) starts a walk of its own, whose device
// pixels are not the walk's.
Occlusion* s_occlusion = nullptr;
const Gdiplus::Graphics* s_walkStep = nullptr;
// The item paints are split at (SplitPaintsAt), which half they paint, and
// whether the walk has met the item yet.
const CRSCanvasItem* s_splitAt = nullptr;
bool s_paintsFromSplit = false;
bool s_passedSplit = false;

// Whether the walk now paints what it meets.
bool InPaintedHalf() { return !s_splitAt || s_passedSplit == s_paintsFromSplit; }

bool HoldsSplit(const CRSCanvasItem* item) {
  for (const CRSCanvasItem* up = s_splitAt; up; up = up->GetParentItem())
    if (up == item) return true;
  return false;
}

// The device pixels an item is sure to paint opaque: one that paints its
// rectangle opaque, kept upright. Its edge pixels may be
// blended where the picture does not meet the pixel grid, so there the
// pixels are whole ones a pixel inside its bounds.
bool OpaqueCover(CRSCanvasItem* item, const Gdiplus::Matrix& world, RectF* device,
                 float minPixels = kMinOccluderPixels) {
  if (world.M12() != 0.0f || world.M21() != 0.0f || world.M11() <= 0.0f || world.M22() <= 0.0f) return false;
  const SizeF size = item->GetSize();
  if (size.Width * size.Height * world.M11() * world.M22() < minPixels) return false;
  if (!item->PaintsOpaque() || item->GetPrePaintNotification()) return false;
  const RectF bounds = Gdiplus::TransformedBounds(world, RectF(PointF(), size));
  // A picture that meets the pixel grid is copied pixel for pixel, edges
  // and all.
  const bool onGrid = bounds.X == std::floor(bounds.X) && bounds.Y == std::floor(bounds.Y) &&
                      bounds.Width == std::floor(bounds.Width) && bounds.Height == std::floor(bounds.Height) &&
                      world.M11() == 1.0f && world.M22() == 1.0f;
  const float inset = onGrid ? 0.0f : 1.0f;
  const float left = std::ceil(bounds.GetLeft()) + inset, top = std::ceil(bounds.GetTop()) + inset;
  const float right = std::floor(bounds.GetRight()) - inset, bottom = std::floor(bounds.GetBottom()) - inset;
  if (right <= left || bottom <= top) return false;
  *device = RectF(left, top, right - left, bottom - top);
  return true;
}

// Notes the drawing items below item in the order Paint takes them, with
// the same tests, and the opaque ones among them; clip is the device box
// item paints into. False when the tree holds too many items to survey.
bool Survey(CRSCanvasItem* item, const Gdiplus::Matrix& world, const RectF& clip, int maxZ, Occlusion& o) {
  if (--o.budget < 0) return false;
  if (item->DrawsItself()) {
    RectF cover;
    if (OpaqueCover(item, world, &cover) && RectF::Intersect(cover, cover, clip))
      o.occluders.push_back({cover, o.drawers.size()});
    o.drawers.push_back(item);
  }
  // Under a transform that only moves and scales, the children outside the
  // clip are passed over from the kept list alone: a table of thousands of
  // pieces, of which a band at its edge is repainted, is not walked piece
  // by piece.
  float w[6];
  world.GetElements(w);
  const bool axisAligned = w[1] == 0.0f && w[2] == 0.0f && w[0] != 0.0f && w[3] != 0.0f;
  RectF localClip;
  if (axisAligned) {
    const float x0 = (clip.GetLeft() - 3.0f - w[4]) / w[0], x1 = (clip.GetRight() + 3.0f - w[4]) / w[0];
    const float y0 = (clip.GetTop() - 3.0f - w[5]) / w[3], y1 = (clip.GetBottom() + 3.0f - w[5]) / w[3];
    localClip = RectF(std::min(x0, x1), std::min(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0));
  }
  const std::vector<CRSCanvasItem*>& children = CRSPaintSurvey::Children(*item);
  for (std::size_t i = 0; i < children.size(); ++i) {
    if (axisAligned && CRSPaintSurvey::Misses(*item, i, localClip)) continue;
    CRSCanvasItem* child = children[i];
    if (child->GetZOrder() > maxZ) break;
    if (!child->IsVisible()) continue;
    Gdiplus::Matrix childWorld = child->GetTransform();
    childWorld.Multiply(world, MatrixOrderAppend);
    RectF childClip = clip;
    if (child->GetCullByBounds()) {
      const RectF device = DeviceCullRect(child->GetLocalRect(), childWorld);
      if (!device.IntersectsWith(clip) || !RectF::Intersect(childClip, clip, device)) continue;
    }
    if (!Survey(child, childWorld, childClip, maxZ, o)) return false;
  }
  return true;
}

// The device box of the graphics' clip.
RectF DeviceClipBox(Gdiplus::Graphics& g) {
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  RectF box;
  g.ResetTransform();
  g.GetClipBounds(&box);
  g.SetTransform(&world);
  return box;
}

// Clips away what opaque items painted after the item's content (whose
// place among the drawing items is order) will cover of it; false when they
// cover all of it.
bool ClipAwayHidden(Gdiplus::Graphics& g, CRSCanvasItem* item, size_t order, const Occlusion& o) {
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  RectF box;
  if (!RectF::Intersect(box, DeviceCullRect(item->GetLocalRect(), world), DeviceClipBox(g))) return true;
  std::vector<RectF> hidden;
  for (const Occluder& occluder : o.occluders) {
    if (occluder.order <= order) continue;
    const RectF& d = occluder.device;
    if (d.GetLeft() <= box.GetLeft() && d.GetTop() <= box.GetTop() && d.GetRight() >= box.GetRight() &&
        d.GetBottom() >= box.GetBottom())
      return false;
    RectF overlap;
    if (RectF::Intersect(overlap, d, box) && overlap.Width * overlap.Height >= kMinHiddenPixels)
      hidden.push_back(d);
  }
  if (hidden.empty()) return true;
  g.ResetTransform();
  for (const RectF& d : hidden) g.ExcludeClip(d);
  g.SetTransform(&world);
  return true;
}

// --- siblings hidden by siblings --------------------------------------------
//
// A floor of hundreds of thumbnails laid over one another shows only the top
// few whole: the rest, and their shadows, lie under opaque pictures painted
// after them. Among the children a paint picks, one whose whole extent lies
// under the opaque pictures of the children after it is left out, so its
// texts and its shadow are not even made until they show.

// What is painted after the children of the item being painted, at every
// level above it: the covers of its parent's later children, of its
// grandparent's, and so on. A grandchild under any of them is hidden too
// (the label of a thumbnail under the next thumbnail). It holds only for
// the walk on one graphics: a paint into a picture of its own starts anew.
struct CoverLink {
  const platform::CoveredArea* area;
  const CoverLink* next;
};
thread_local const CoverLink* s_coverChain = nullptr;

bool ChainCovers(const CoverLink* link, const RectF& box) {
  for (; link; link = link->next)
    if (link->area->Covers(box)) return true;
  return false;
}

// Below this many picked children the look is not worth it.
constexpr std::size_t kMinPicksForCover = 16;
// An opaque picture this small hides too little to be noted.
constexpr float kMinSiblingCoverPixels = 32.0f * 32.0f;

// The device pixels a child is sure to leave opaque once painted: its own
// picture, or that of one of its children (a thumbnail's picture in its
// group). A child that paints itself, or has a pre-paint slot, may paint
// over its children in ways that do not keep them opaque.
bool SiblingCover(CRSCanvasItem* item, const Gdiplus::Matrix& world, RectF* device) {
  if (OpaqueCover(item, world, device, kMinSiblingCoverPixels)) return true;
  if (item->DrawsItself() || item->GetPrePaintNotification()) return false;
  for (CRSCanvasItem* child : item->GetChildItems()) {
    if (!child->IsVisible()) continue;
    Gdiplus::Matrix childWorld = child->GetTransform();
    childWorld.Multiply(world, MatrixOrderAppend);
    if (OpaqueCover(child, childWorld, device, kMinSiblingCoverPixels)) return true;
  }
  return false;
}

}  // namespace

void CRSCanvasItem::PaintContent(Gdiplus::Graphics&, bool) {}

void CRSCanvasItem::Paint(Gdiplus::Graphics& g, int maxZ, bool useCache) {
  const bool fromWalk = s_walkStep == &g;
  s_walkStep = nullptr;
  if (!m_visible) return;
  if (this == s_splitAt) s_passedSplit = true;
  // A Paint that is not a step of a walk starts one: the tree below is
  // surveyed for opaque items first. The walk it may interrupt (a pre-paint
  // slot painting into a picture of its own) is taken up again after it.
  std::unique_ptr<Occlusion> own;
  Occlusion* const outer = s_occlusion;
  const CoverLink* const inherited = fromWalk ? s_coverChain : nullptr;
  struct Resume {
    Occlusion* outer;
    const CoverLink* chain;
    ~Resume() {
      s_occlusion = outer;
      s_coverChain = chain;
    }
  } resume{outer, s_coverChain};
  if (!fromWalk) {
    s_occlusion = nullptr;
    const RectF clip = DeviceClipBox(g);
    if (clip.Width * clip.Height >= kMinSurveyPixels) {
      own = std::make_unique<Occlusion>();
      Gdiplus::Matrix world;
      g.GetTransform(&world);
      if (Survey(this, world, clip, maxZ, *own) && !own->occluders.empty()) s_occlusion = own.get();
    }
  }
  if (m_drawsItself && InPaintedHalf()) {
    const Gdiplus::GraphicsState state = g.Save();
    if (m_prePaintNotification) sigPrePaint(this, g, useCache);
    bool shown = true;
    if (Occlusion* o = s_occlusion; o && o->inStep) {
      if (o->next < o->drawers.size() && o->drawers[o->next] == this) {
        // A pre-paint slot may move or reshape what the item paints; such
        // an item is painted whole.
        const size_t order = o->next++;
        shown = m_prePaintNotification || ClipAwayHidden(g, this, order, *o);
      } else {
        o->inStep = false;
      }
    }
    if (shown) PaintContent(g, useCache);
    g.Restore(state);
  }
  RefreshChildCull();
  const std::vector<CRSCanvasItem*>& children = GetChildItems();
  if (children.empty()) return;
  Gdiplus::Matrix world;
  g.GetTransform(&world);
  // The clip's device bounds let children that cannot meet it be skipped
  // before any state is saved; for the rest the clip itself decides.
  const RectF clipBox = DeviceClipBox(g);
  // Under a transform that only moves and scales, the clip mapped into this
  // item's space (with room for the pixel of slack of the device test
  // below) sorts out the children that cannot meet it from the kept list
  // alone.
  float w[6];
  world.GetElements(w);
  const bool axisAligned = w[1] == 0.0f && w[2] == 0.0f && w[0] != 0.0f && w[3] != 0.0f;
  RectF localClip;
  if (axisAligned) {
    const float x0 = (clipBox.GetLeft() - 3.0f - w[4]) / w[0], x1 = (clipBox.GetRight() + 3.0f - w[4]) / w[0];
    const float y0 = (clipBox.GetTop() - 3.0f - w[5]) / w[3], y1 = (clipBox.GetBottom() + 3.0f - w[5]) / w[3];
    localClip = RectF(std::min(x0, x1), std::min(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0));
  }
  // The children to paint are picked first, and only they are kept aside:
  // painting may not change the tree, but a pre-paint slot might, and a
  // floor of thousands of pieces repaints only the few under a moved one.
  // The lists are kept per depth of the walk, so a frame allocates none.
  struct Pick {
    CRSCanvasItem* child;
    Gdiplus::Matrix world;
    RectF device;
    RectF extent;  // device box of the paint extent; empty when unknown
    bool hidden;
    // What the children after this one cover, for its own children; null
    // when nothing does or it has none.
    std::shared_ptr<const platform::CoveredArea> later;
  };
  thread_local std::vector<std::vector<Pick>> s_picks;
  thread_local std::size_t s_depth = 0;
  if (s_picks.size() <= s_depth) s_picks.resize(s_depth + 1);
  std::vector<Pick> picks;
  picks.swap(s_picks[s_depth]);
  picks.clear();
  // The list was brought up to date with the children just above: one
  // entry for each, in the same order.
  const std::vector<ChildCull>& cull = m_childCull;
  for (std::size_t i = 0; i < children.size(); ++i) {
    const ChildCull& entry = cull[i];
    if (entry.zOrder > maxZ) break;
    if (!entry.visible) continue;
    if (axisAligned && entry.bounded && !entry.rect.IntersectsWith(localClip)) continue;
    CRSCanvasItem* child = children[i];
    if (child->m_zOrder > maxZ) break;
    if (!child->m_visible) continue;
    Gdiplus::Matrix childWorld = child->m_transform;
    childWorld.Multiply(world, MatrixOrderAppend);
    RectF device;
    if (child->m_cullByBounds) {
      device = DeviceCullRect(child->GetLocalRect(), childWorld);
      if (!device.IntersectsWith(clipBox)) continue;
    }
    // A pre-paint slot may move or reshape what the child paints, unless it
    // says it keeps to the child's bounds.
    RectF extent;
    if (entry.bounded && (!child->m_prePaintNotification || child->m_prePaintKeepsBounds))
      extent = Gdiplus::TransformedBounds(world, entry.rect);
    picks.push_back({child, childWorld, device, extent, false, nullptr});
  }
  if (picks.size() >= kMinPicksForCover && axisAligned) {
    platform::CoveredArea covered;
    for (auto it = picks.rbegin(); it != picks.rend(); ++it) {
      if (!it->extent.IsEmptyArea() && (covered.Covers(it->extent) || ChainCovers(inherited, it->extent))) {
        it->hidden = true;
        continue;
      }
      if (!covered.IsEmpty() && !it->child->GetChildItems().empty())
        it->later = std::make_shared<const platform::CoveredArea>(covered);
      RectF cover;
      if (SiblingCover(it->child, it->world, &cover)) covered.Add(cover);
    }
  } else if (inherited) {
    for (Pick& pick : picks) pick.hidden = !pick.extent.IsEmptyArea() && ChainCovers(inherited, pick.extent);
  }
  struct Depth {
    std::vector<Pick>& picks;
    ~Depth() {
      --s_depth;
      picks.clear();  // lets go of the covered areas now
      s_picks[s_depth].swap(picks);
    }
  } depth{picks};
  ++s_depth;
  for (const Pick& pick : picks) {
    if (s_splitAt) {
      if (!s_paintsFromSplit && (s_passedSplit || pick.child == s_splitAt)) break;
      // Before the split, only the way down to it is walked.
      if (s_paintsFromSplit && !s_passedSplit && !HoldsSplit(pick.child)) continue;
    }
    if (pick.hidden) continue;
    CRSCanvasItem* child = pick.child;
    if (child->PaintsInsideBounds() && child->GetChildItems().empty()) {
      // A leaf that paints inside its bounds needs neither the clip to them
      // nor a state of its own (its Paint keeps the state it was given):
      // a table of thousands of pieces and shadows painted whole spends
      // most of its time on those otherwise.
      g.SetTransform(&pick.world);
      s_coverChain = inherited;
      s_walkStep = &g;
      child->Paint(g, maxZ, useCache);
      s_walkStep = nullptr;
      g.SetTransform(&world);
      continue;
    }
    const Gdiplus::GraphicsState state = g.Save();
    bool paint = true;
    if (child->m_cullByBounds) {
      g.ResetTransform();
      g.IntersectClip(pick.device);
      paint = !g.IsClipEmpty();
    }
    g.SetTransform(&pick.world);
    const CoverLink link{pick.later.get(), inherited};
    s_coverChain = pick.later ? &link : inherited;
    s_walkStep = &g;
    if (paint) child->Paint(g, maxZ, useCache);
    s_walkStep = nullptr;
    s_coverChain = inherited;
    g.Restore(state);
  }
}

void CRSCanvasItem::SplitPaintsAt(const CRSCanvasItem* item, bool from) {
  s_splitAt = item;
  s_paintsFromSplit = from;
  s_passedSplit = false;
}

bool CRSCanvasItem::ContainsPoint(const PointF& local) {
  return GetLocalRect().Contains(local);
}

CRSCanvasItem* CRSCanvasItem::HitTest(const PointF& local) {
  if (!m_visible) return nullptr;
  if (!GetLocalRect().Contains(local) && !ContainsPoint(local)) return nullptr;
  const std::vector<CRSCanvasItem*>& children = GetChildItems();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    CRSCanvasItem* child = *it;
    if (!child->m_visible) continue;
    PointF p = local;
    child->m_inverse.TransformPoints(&p);
    if (CRSCanvasItem* hit = child->HitTest(p)) return hit;
  }
  return ContainsPoint(local) ? this : nullptr;
}

void CRSCanvasItem::OnMouse(int, PointF, int, bool*) {}

void CRSCanvasItem::RequestFocusForPress(int message) {
  if (message != static_cast<int>(platform::kMsgLButtonDown) && message != static_cast<int>(platform::kMsgLButtonDblClk))
    return;
  CRSCanvasItem* focusable = this;
  while (focusable && (!focusable->m_focusable || !focusable->m_visible)) focusable = focusable->GetParentItem();
  GetRootItem()->sigFocusRequest(focusable);
}

void CRSCanvasItem::OnKey(int, unsigned, long, bool*) {}

void CRSCanvasItem::OnFocusChanged(bool) {}

void CRSCanvasItem::OnEvent(CRSEvents::BasicEvent& event) {
  if (event.GetType() == CRSEvents::kEventMouse) {
    auto& mouse = static_cast<CRSCanvasEvents::Mouse&>(event);
    // A handler may end this item; the guard tells us whether it is still
    // there to pass the event on and to read cursors from.
    CRSAutoPtrLifeGuard alive(this);
    if (++s_mouseNesting == 1) RequestFocusForPress(mouse.GetMessage());
    OnMouse(mouse.GetMessage(), mouse.m_point, static_cast<int>(mouse.m_keyState), &mouse.m_handled);
    if (!mouse.m_handled && alive.Alive()) {
      if (CRSCanvasItem* parent = GetParentItem()) {
        m_transform.TransformPoints(&mouse.m_point);
        DeliverTo(parent, mouse);
      }
    }
    if (--s_mouseNesting == 0 && alive.Alive()) RunCursorWalk();
  } else if (event.GetType() == CRSEvents::kEventKey) {
    auto& key = static_cast<CRSCanvasEvents::Key&>(event);
    CRSAutoPtrLifeGuard alive(this);
    OnKey(key.GetMessage(), key.m_virtualKey, key.m_keyData, &key.m_handled);
    if (key.m_handled || !alive.Alive()) return;
    if (CRSCanvasItem* parent = GetParentItem()) {
      DeliverTo(parent, key);
    } else if (CRSEventReceiver* fallback = key.m_unhandledTarget.get()) {
      // Cleared first, so the fallback is reached once even if it is an item.
      key.m_unhandledTarget.Release();
      DeliverTo(fallback, key);
    }
  } else if (event.GetType() == CRSEvents::kEventMouseLeave) {
    bool handled = true;
    OnMouse(static_cast<int>(platform::kMsgMouseLeave), PointF(), 0, &handled);
  }
}

void CRSCanvasItem::RunCursorWalk() {
  int id = 0;
  for (CRSCanvasItem* item = this; item && id == 0; item = item->GetParentItem()) id = item->m_cursor;
  if (id == 0) id = kCursorArrow;
  if (id != s_loadedCursor) {
    s_loadedCursor = id;
    if (s_cursorSetter) s_cursorSetter(id);
  }
}

int CRSCanvasItem::GetLoadedCursor() { return s_loadedCursor; }

void CRSCanvasItem::SetCursorSetter(CursorSetter setter) { s_cursorSetter = setter; }
