#pragma once
// Canvas items: the retained tree that the window paints, hit-tests and sends
// mouse events into. Every item is an object with a place in its parent's
// coordinate space (position, origin, size, scale, rotation); it paints its
// own content in local coordinates, reports the areas that need repainting to
// the root item, and lets unhandled mouse events bubble to its parent.
//
// Ownership: an item owns its children (through the object tree) and its
// behaviours; pictures, brushes, pens and image attributes are shared by
// reference count, so one bitmap may be shown by many items. A raw pointer
// returned by an accessor is not owned and lives no longer than its owner.

#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "canvas/object.h"
#include "platform/cursors.h"
#include "platform/graphics.h"
#include "platform/matrix.h"
#include "platform/types.h"

class CRSCanvasItem : public CRSObject {
 public:
  // Z-orders run from 0 to kZOrderTop; items with kZOrderTop always go last.
  static constexpr int kZOrderDefault = 0x3FFFFFFF;
  static constexpr int kZOrderTop = 0x7FFFFFFE;
  // The standard arrow, shown where no item along the parent chain names a
  // cursor of its own.
  static constexpr int kCursorArrow = platform::kCursorArrow;

  CRSCanvasItem(const PointF& position, CRSObject* parent, const std::string& name);
  ~CRSCanvasItem() override;

  // Emitted only on the root item, by UpdateNow.
  sigslot::signal0 sigUpdateNow;
  sigslot::signal1<CRSCanvasItem*> sigGeometryChanged;
  sigslot::signal1<CRSCanvasItem*> sigZOrderChanged;
  sigslot::signal1<CRSCanvasItem*> sigContentChanged;
  // Emitted only on the root item: (item to repaint, its local rectangle).
  sigslot::signal2<CRSCanvasItem*, const RectF&> sigInvalidate;
  sigslot::signal2<CRSCanvasItem*, bool> sigVisibleChanged;
  sigslot::signal2<CRSCanvasItem*, const SizeF&> sigResized;
  sigslot::signal2<CRSCanvasItem*, const SizeF&> sigMinSizeChanged;
  sigslot::signal3<CRSCanvasItem*, Gdiplus::Graphics&, bool> sigPrePaint;
  // Emitted only on the root item, when a left-button press reaches an item:
  // the nearest visible focusable item at or above the pressed one, or null
  // when there is none (the press takes the keyboard away).
  sigslot::signal1<CRSCanvasItem*> sigFocusRequest;

  // --- the object tree -------------------------------------------------
  void SetParent(CRSObject* parent) override;
  CRSObject* FindInsertPosition(CRSObject* child) override;
  std::size_t FindInsertIndex(CRSObject* child, std::size_t from = 0) override;
  void OnAddChild(CRSObject* child) override;
  void OnRemoveChild(CRSObject* child) override;
  void OnEvent(CRSEvents::BasicEvent& event) override;

  // The parent when it is an item, else null.
  CRSCanvasItem* GetParentItem() const;
  // The topmost item above this one (this item when it has no item parent).
  CRSCanvasItem* GetRootItem();
  // The child items in painting order (bottom first). The vector follows
  // the children as they come, go and change places; do not keep it across
  // changes.
  const std::vector<CRSCanvasItem*>& GetChildItems() const;

  // --- drawing and hit testing ------------------------------------------
  virtual void Paint(Gdiplus::Graphics& g, int maxZ, bool useCache);
  virtual void PaintContent(Gdiplus::Graphics& g, bool useCache);
  virtual RectF GetLocalRect();
  virtual void SetMinSize(const SizeF& minSize);
  virtual void UpdateTransform();
  virtual void Invalidate();
  virtual bool ContainsPoint(const PointF& local);
  // True when the item's content covers its whole rectangle with opaque
  // pixels (a picture without alpha, shown as it is): the paint walk then
  // leaves out what lies wholly under it.
  virtual bool PaintsOpaque() const { return false; }
  virtual CRSCanvasItem* HitTest(const PointF& local);
  virtual void SetVisible(bool visible);
  virtual void OnMouse(int message, PointF local, int keyFlags, bool* handled);
  // Key and character messages for the item that has the keyboard (and, when
  // it leaves them, for its ancestors). Set *handled to stop the climb.
  virtual void OnKey(int message, unsigned virtualKey, long keyData, bool* handled);
  // Told by the view when the item gains or loses the keyboard.
  virtual void OnFocusChanged(bool focused);
  virtual void DoSetSize(const SizeF& size);

  // --- geometry -----------------------------------------------------------
  void SetPosition(const PointF& position);
  void MoveBy(const PointF& delta);
  void MoveBy(int dx, int dy);
  void SetOrigin(const PointF& origin);
  PointF GetTopLeft() const;
  void MoveTopLeftTo(const PointF& topLeft);
  // Clamps to the minimum size; returns the size in force afterwards.
  SizeF SetSize(const SizeF& size);
  void SetScale(const PointF& scale);
  void SetRotation(float degrees);
  // Sets the origin, position and turn to exactly these values (a place
  // kept in a record), where the setters above keep values within their
  // tolerance.
  void SetPlacement(const PointF& origin, const PointF& position, float degrees);
  void SetZOrder(int zOrder);
  // Moves the item in its parent's list to just before `sibling` (another
  // child of the same parent), keeping its z-order: for an item that must be
  // painted directly under one particular sibling, such as a glow.
  void MoveBeforeSibling(CRSCanvasItem* sibling);
  void SetCursor(int cursorId) { m_cursor = cursorId; }
  void SetUpdatesEnabled(bool enabled) { m_updatesEnabled = enabled; }
  void SetCullByBounds(bool cull);
  void SetPrePaintNotification(bool on) { m_prePaintNotification = on; }
  // Says that the pre-paint slot paints only within the item's bounds as
  // they are before it runs, so that the item may be left out of a paint
  // where opaque siblings painted after it hide those bounds.
  void SetPrePaintKeepsBounds(bool on) { m_prePaintKeepsBounds = on; }
  // A focusable item takes the keyboard when it is clicked; one that also
  // takes text has the platform's text input (and its input method) switched
  // on while it holds the keyboard.
  void SetFocusable(bool focusable, bool takesText = false) {
    m_focusable = focusable;
    m_takesText = focusable && takesText;
  }
  bool IsFocusable() const { return m_focusable; }
  bool TakesText() const { return m_takesText; }
  // A tab stop takes the keyboard from Tab (canvas/key_focus.h) without
  // taking it from a press: a click on a button leaves a text field's caret
  // where it was.
  void SetTabStop(bool on) { m_tabStop = on; }
  bool IsTabStop() const { return m_tabStop || m_focusable; }
  // A frame for soft images: the shadows and glows of the items below it
  // keep their offsets in its space and follow nothing above it. A zoomed
  // table is such a frame, so its shadows zoom with it and zooming or
  // panning it moves none of them.
  void SetSoftImageFrame(bool frame) { m_softImageFrame = frame; }
  bool IsSoftImageFrame() const { return m_softImageFrame; }
  // A layer whose content changes on every frame while what lies under it
  // holds still (the table's lift, which holds what is in the player's
  // hand): while it holds something and nothing else changes, the window
  // keeps a picture of what is painted before it and paints only the layer,
  // and what is painted after it, over that picture, however many items it
  // holds.
  void SetTopLayer(bool on) { m_topLayer = on; }
  bool IsTopLayer() const { return m_topLayer; }
  // Splits the paints of a tree at an item, in the order the walk paints:
  // with `from` false a paint leaves out that item and everything painted
  // after it, with `from` true it paints only those. The two paints of one
  // area together paint it whole. A null item ends the split.
  static void SplitPaintsAt(const CRSCanvasItem* item, bool from);

  // Local → ancestor (the whole chain up to and including the root when the
  // ancestor is null or not above this item).
  Gdiplus::Matrix GetTransformTo(const CRSCanvasItem* ancestor) const;
  PointF MapToAncestor(const PointF& local, const CRSCanvasItem* ancestor) const;
  RectF GetBoundsIn(const CRSCanvasItem* ancestor);
  // Walks to the root and asks the window there to paint everything invalid.
  void UpdateNow();

  bool DrawsItself() const { return m_drawsItself; }
  // Whether everything the item paints of its own lies within its local
  // rectangle, so that the clip to its bounds can never cut any of it.
  virtual bool PaintsInsideBounds() const { return false; }
  bool GetUpdatesEnabled() const { return m_updatesEnabled; }
  bool GetCullByBounds() const { return m_cullByBounds; }
  bool IsVisible() const { return m_visible; }
  bool GetPrePaintNotification() const { return m_prePaintNotification; }
  const PointF& GetPosition() const { return m_position; }
  const PointF& GetOrigin() const { return m_origin; }
  const SizeF& GetSize() const { return m_size; }
  const SizeF& GetMinSize() const { return m_minSize; }
  const PointF& GetScale() const { return m_scale; }
  float GetRotation() const { return m_rotation; }
  const Gdiplus::Matrix& GetTransform() const { return m_transform; }
  int GetZOrder() const { return m_zOrder; }
  int GetCursor() const { return m_cursor; }

  // Sum of the rotations of this item and all its ancestors, normalised.
  float GetAccumulatedRotation() const;
  // Product of the scales of this item and all its ancestors.
  PointF GetAccumulatedScale() const;

  // --- behaviours (owned by the item, deleted with it) ---------------------
  // Behaviours are objects of their own family; the item keeps them as
  // plain objects and deletes them when it goes.
  void AddBehaviour(CRSObject* behaviour);
  void RemoveBehaviour(CRSObject* behaviour);
  // The live behaviours, in attachment order.
  std::vector<CRSObject*> GetBehaviours() const;

  // The cursor id loaded by the last cursor walk (0 before the first one).
  static int GetLoadedCursor();
  // The window layer installs this to show a system cursor by id.
  using CursorSetter = void (*)(int cursorId);
  static void SetCursorSetter(CursorSetter setter);

  // x − 360·n with n = round(x) / 360 truncated, minus 1 for negative x:
  // 370 → 10, −10 → 350, −360 → 360, 359.7 → −0.3.
  static float NormalizeAngle(float degrees);

 protected:
  // Marks that the item paints content of its own (images, brush items).
  void SetDrawsItself(bool draws) { m_drawsItself = draws; }
  // Tells every ancestor that keeps a picture of its painted children that
  // something below it changed. Items call it whenever they ask for a
  // repaint, shown or not.
  void NotifyPaintCachesAbove();
  // Called on an item marked as keeping such a picture (see
  // SetKeepsPaintCache) when something below it changed.
  virtual void OnDescendantChanged() {}
  void SetKeepsPaintCache(bool keeps) { m_keepsPaintCache = keeps; }
  // True when this item and every ancestor are visible and have updates on.
  bool CanInvalidate() const;
  // The inverse of the transform, kept beside it for hit testing.
  const Gdiplus::Matrix& GetInverseTransform() const { return m_inverse; }
  void RebuildMatrix();
  // Tells the parent that what it keeps of this item for culling (place,
  // extent, visibility) is out of date. Every change of the transform, the
  // local rectangle or the visibility calls it.
  void NoteBoundsChanged();

 private:
  // The paint walk's survey of opaque items (item_paint.cpp) reads the
  // cull list to pass over the children outside its clip.
  friend class CRSPaintSurvey;

  void RunCursorWalk();
  // Run for the item a mouse event was first delivered to.
  void RequestFocusForPress(int message);
  void MarkChildItemsDirty();
  // Brings the cull list of the children up to date: rebuilt whole after
  // the list of children changed, else only the entries of children that
  // announced a change.
  void RefreshChildCull();

  bool m_drawsItself = false;
  bool m_keepsPaintCache = false;
  bool m_updatesEnabled = true;
  // The item's own steps around a change of parent, shared by SetParent
  // and the moves of MoveChildrenTo.
  void OnMoveStarting() override;
  void OnMoveDone(CRSObject* oldParent) override;
  void OnChildLinked(CRSObject* child, std::size_t index) override;
  void OnChildUnlinked(CRSObject* child, std::size_t index) override;
  // The child at `from` in the list of children was moved to `to`, as
  // std::rotate moves one entry.
  void OnChildMoved(std::size_t from, std::size_t to);
  // Whether the child items and the cull list stand one for one with the
  // children, so that each change can be followed in place.
  bool ChildItemsFollowChildren(std::size_t childrenBefore) const;
  // Moves between parents under way, and the updates setting before them.
  int m_moveDepth = 0;
  bool m_updatesBeforeMove = true;
  bool m_cullByBounds = true;
  bool m_visible = true;
  bool m_prePaintNotification = false;
  bool m_prePaintKeepsBounds = false;
  bool m_focusable = false;
  bool m_tabStop = false;
  bool m_takesText = false;
  bool m_softImageFrame = false;
  bool m_topLayer = false;
  PointF m_position;
  PointF m_origin;
  SizeF m_size;
  SizeF m_minSize;
  PointF m_scale{1.0f, 1.0f};
  float m_rotation = 0.0f;
  Gdiplus::Matrix m_transform;
  Gdiplus::Matrix m_inverse;
  int m_zOrder = kZOrderDefault;
  std::list<CRSAutoPtrPolymorphic<CRSObject>> m_behaviours;
  int m_cursor = 0;

  // The parent as an item, remembered for the parent object it was found
  // for: walks up the tree (invalidation, transforms) run for every item
  // that changes, and a type check at every step of every walk adds up.
  mutable const CRSObject* m_parentItemKey = nullptr;
  mutable CRSCanvasItem* m_parentItem = nullptr;

  mutable std::vector<CRSCanvasItem*> m_childItems;
  mutable bool m_childItemsDirty = true;

  // What the paint walk needs to skip a child without reading the child
  // itself, kept side by side in one array in child order: a small repaint
  // of a floor of a thousand items then reads one array instead of a
  // thousand objects spread over memory.
  struct ChildCull {
    // All the child can paint, in this item's space; unbounded when that
    // cannot be known (a child that paints itself beyond its rectangle).
    RectF rect;
    bool bounded = true;
    int zOrder = 0;
    bool visible = true;
  };
  // Where this item's painting (its own and its children's) can reach, in
  // its own space, when that is known.
  bool GetPaintExtent(RectF& extent);
  std::vector<ChildCull> m_childCull;
  std::vector<CRSCanvasItem*> m_staleCull;
  bool m_childCullValid = false;
  // This item's own entry in its parent's list: where it was last seen
  // (children added or moved before it since shift it; it is looked for
  // again then), and whether it is already queued as out of date.
  std::size_t m_indexInParent = 0;
  bool m_cullQueued = false;
};

// A container: it draws nothing itself, answers hit tests for all of its
// descendants and reports the union of its children as its rectangle. The
// soft images behind an item ("imageShadow", "imageHighlight") are left out
// of both, so a shadow neither enlarges a group nor makes it clickable.
class CRSCanvasGroup : public CRSCanvasItem {
 public:
  static constexpr const char* kShadowName = "imageShadow";
  static constexpr const char* kHighlightName = "imageHighlight";

  CRSCanvasGroup(const PointF& position, CRSObject* parent, const std::string& name);
  ~CRSCanvasGroup() override;

  // Pictures of the painted children are kept only up to this many device
  // pixels (a whole 3840 x 2160 puzzle fits).
  static constexpr float kMaxPaintCachePixels = 9000000.0f;

  void OnAddChild(CRSObject* child) override;
  void OnRemoveChild(CRSObject* child) override;
  RectF GetLocalRect() override;
  bool ContainsPoint(const PointF& local) override;
  CRSCanvasItem* HitTest(const PointF& local) override;
  void Paint(Gdiplus::Graphics& g, int maxZ, bool useCache) override;
  void Invalidate() override;
  virtual void OnChildrenChanged();

  // A group whose members move together may keep its painted children as
  // one device picture while nothing below it changes: moving the group then
  // repaints one picture instead of every child and soft image. The picture
  // is made at the second paint with nothing changed in between (so a group
  // that changes at every frame never pays for it), is reused while the
  // group's rotation, scale and sub-pixel placement stay the same, and is
  // dropped as soon as anything below the group asks for a repaint.
  void SetPaintCache(bool on);
  bool GetPaintCache() const { return m_paintCacheOn; }
  bool HasPaintCache() const { return m_cache != nullptr; }
  int GetPaintCacheBuildCount() const { return m_cacheBuilds; }
  // The union of every visible child, soft images included, in local
  // coordinates: all that painting the group can touch.
  RectF GetPaintBounds();

  bool AreBoundsDirty() const { return m_boundsDirty; }

 protected:
  void OnDescendantChanged() override;

 private:
  void OnChildVisibleChanged(CRSCanvasItem* child, bool visible);
  void OnChildChanged(CRSCanvasItem* child);
  // The union of the visible children's bounds in this group's space, with
  // or without the group's own shadow and highlight.
  RectF UnionOfVisibleChildren(bool withShadows);
  bool BuildPaintCache(Gdiplus::Graphics& g, const Gdiplus::Matrix& world, int maxZ);
  void NoteChildrenChanged();
  // Brings m_bounds up to date from the children changed since it was
  // taken; false when one of them shrank away from its edge, and only a new
  // union of every child can tell the bounds.
  bool ApplyChangedChildren();
  void CountEveryChild();

  bool m_boundsDirty = true;
  RectF m_bounds;
  // The bounds are kept up to date child by child: a group of thousands of
  // pieces gains one at each join, and a new union of all of them at each
  // join would make solving a large puzzle grow with the square of its
  // pieces. Each child's bounds as counted in m_bounds, the children changed
  // since, and whether only a new union will do (a child left).
  std::unordered_map<const CRSCanvasItem*, RectF> m_countedBounds;
  std::vector<CRSCanvasItem*> m_changedChildren;
  bool m_boundsRebuild = true;
  bool m_paintBoundsDirty = true;
  RectF m_paintBounds;

  bool m_paintCacheOn = false;
  bool m_buildingCache = false;
  bool m_changedWhileBuilding = false;
  std::unique_ptr<Gdiplus::CachedBitmap> m_cache;
  // The world transform the picture was made under, and the device pixel
  // its top-left corner went to.
  float m_cacheWorld[6] = {};
  Point m_cacheOrigin;
  // Changes below the group, counted; and the count at the last paint.
  unsigned m_changes = 0;
  unsigned m_changesAtPaint = ~0u;
  int m_cacheBuilds = 0;
};

// True when the item is one of the soft images placed behind another item.
bool IsShadowOrHighlight(const CRSObject* object);

// The nearest of the item and its ancestors that is a soft-image frame, or
// null when there is none (the root's space is the frame then).
CRSCanvasItem* FindSoftImageFrame(CRSCanvasItem* item);

// A picture stretched over the item's rectangle. Axis-aligned images keep a
// copy at device resolution, so a repaint is a plain copy of pixels.
class CRSCanvasImage : public CRSCanvasItem {
 public:
  // Device caches are kept only for images smaller than this on screen.
  static constexpr float kMaxCachedDevicePixels = 1000000.0f;
  // Larger pictures are cached only when they are drawn scaled.
  static constexpr float kMaxCachedScaledPixels = 3840.0f * 2160.0f;

  CRSCanvasImage(const PointF& position, CRSObject* parent, const std::string& name,
                 std::shared_ptr<Gdiplus::Bitmap> picture = nullptr);
  ~CRSCanvasImage() override;

  void PaintContent(Gdiplus::Graphics& g, bool useCache) override;
  bool ContainsPoint(const PointF& local) override;
  bool PaintsOpaque() const override;
  // The picture fills the rectangle, its screen copy a whole-pixel box
  // within it.
  bool PaintsInsideBounds() const override { return true; }
  void SetVisible(bool visible) override;

  void SetImage(std::shared_ptr<Gdiplus::Bitmap> picture, bool resize);
  void SetImageAttributes(std::shared_ptr<Gdiplus::ImageAttributes> attributes);
  void SetColorMatrix(const Gdiplus::ColorMatrix& matrix);
  void SetCacheEnabled(bool on);
  // With the cache turned off, a device copy is still kept while the image
  // is drawn smaller than its picture: it then costs less than the picture
  // itself, and spares filtering the picture down on every frame.
  void SetCacheWhenShrunk(bool on) { m_cacheWhenShrunk = on; }

  const std::shared_ptr<Gdiplus::Bitmap>& GetImage() const { return m_picture; }
  // How often a picture drawn at `deviceScale` (device pixels per picture
  // pixel) is halved before it is drawn: as often as it stays no smaller
  // than its drawn size.
  static int ReductionLevel(float deviceScale);
  // The prepared picture halved `level` times (the copy this image draws
  // from at that level, made and kept as painting would); the picture
  // itself at level 0, or when no copy can be made.
  // While a frame's budget of new work is spent (see CRSSharpWorkBudget), no
  // copy is made and the nearest one at hand is given instead.
  const Gdiplus::Bitmap* PictureAtLevel(int level);
  // How often the copy PictureAtLevel gave last was halved (0: the picture).
  int GetReducedLevel() const { return m_reduced ? m_reducedLevel : 0; }
  const std::shared_ptr<Gdiplus::ImageAttributes>& GetImageAttributes() const { return m_attributes; }
  bool GetCacheEnabled() const { return m_cacheEnabled; }
  // Whether a device cache exists now (it is built by painting).
  bool HasDeviceCache() const { return m_cached != nullptr; }
  // How often the device cache was built and how often it was drawn; lets
  // callers see which path a paint took.
  int GetCacheBuildCount() const { return m_cacheBuilds; }
  int GetCacheDrawCount() const { return m_cacheDraws; }

 private:
  void DropCaches();
  const Gdiplus::Bitmap* PreparedPicture();
  // The prepared picture, or a copy halved as often as drawing it at
  // `deviceScale` (device pixels per picture pixel) allows without going
  // below its drawn size: a picture drawn far smaller than itself is
  // filtered from a copy near that size, fast and without aliasing. The
  // copy is kept while the item is drawn at that level and dropped when it
  // is drawn near its own size again.
  const Gdiplus::Bitmap* PictureForScale(float deviceScale);
  // Draws from the device cache, building it first when it may be kept;
  // false when the picture is to be drawn straight. With the cache turned
  // off it sets g up so that the straight drawing matches the copy.
  bool PaintFromCache(Gdiplus::Graphics& g, const Gdiplus::Bitmap& picture);

  std::shared_ptr<Gdiplus::Bitmap> m_picture;
  std::unique_ptr<Gdiplus::Bitmap> m_prepared;
  std::unique_ptr<Gdiplus::Bitmap> m_reduced;
  int m_reducedLevel = 0;
  // The last copy asked for was left for a later frame.
  bool m_fellBack = false;
  // The drawn size of the last paint: a cache is built only when a paint
  // meets the same size again, so zooming through many sizes draws straight
  // instead of building a copy for every step.
  SizeF m_lastScaledSize;
  std::shared_ptr<Gdiplus::ImageAttributes> m_attributes;
  bool m_cacheEnabled = true;
  bool m_cacheWhenShrunk = false;
  std::unique_ptr<Gdiplus::CachedBitmap> m_cached;
  float m_cachedRotation = 0.0f;
  SizeF m_cachedScaledSize;
  int m_cacheBuilds = 0;
  int m_cacheDraws = 0;
};

// An item that fills with an ordered list of shared brushes.
class CRSCanvasBrushItem : public CRSCanvasItem {
 public:
  CRSCanvasBrushItem(const PointF& position, CRSObject* parent, const std::string& name);
  ~CRSCanvasBrushItem() override;

  // Appends; returns the index of the last brush.
  int AddBrush(std::shared_ptr<Gdiplus::Brush> brush);
  // A null brush removes index; a valid index is replaced; others append.
  void SetBrush(std::shared_ptr<Gdiplus::Brush> brush, int index);
  // An index out of range means the last brush.
  void RemoveBrush(int index);
  // An index out of range means the last brush; null without brushes.
  Gdiplus::Brush* GetBrush(int index) const;
  int GetBrushCount() const { return static_cast<int>(m_brushes.size()); }

 protected:
  const std::vector<std::shared_ptr<Gdiplus::Brush>>& Brushes() const { return m_brushes; }

 private:
  std::vector<std::shared_ptr<Gdiplus::Brush>> m_brushes;
};

// A path filled with the brushes and outlined with the pens. By default the
// path is stretched to the item's size whenever the size changes.
class CRSCanvasShape : public CRSCanvasBrushItem {
 public:
  CRSCanvasShape(const PointF& position, CRSObject* parent, const std::string& name,
                 std::unique_ptr<Gdiplus::GraphicsPath> path = nullptr);
  ~CRSCanvasShape() override;

  void PaintContent(Gdiplus::Graphics& g, bool useCache) override;
  RectF GetLocalRect() override;
  void UpdateTransform() override;
  bool ContainsPoint(const PointF& local) override;
  virtual void SetPath(std::unique_ptr<Gdiplus::GraphicsPath> path);
  virtual void FitPath(bool adoptPathSize);

  int AddPen(std::shared_ptr<Gdiplus::Pen> pen);
  void SetPen(std::shared_ptr<Gdiplus::Pen> pen, int index);
  void RemovePen(int index);
  // An index out of range means the last pen; null without pens.
  Gdiplus::Pen* GetPen(int index) const;
  int GetPenCount() const { return static_cast<int>(m_pens.size()); }
  float GetWidestPenWidth() const;

  void SetFitPath(bool fit) { m_fitPath = fit; }
  void SetAntiAliasFill(bool on);
  void SetAntiAliasOutline(bool on);
  bool GetFitPath() const { return m_fitPath; }
  bool GetAntiAliasFill() const { return m_antiAliasFill; }
  bool GetAntiAliasOutline() const { return m_antiAliasOutline; }
  const Gdiplus::GraphicsPath* GetPath() const { return m_path.get(); }
  // How often the device-resolution picture of the shape was built and
  // drawn; lets callers see which path a paint took.
  int GetLayerBuildCount() const;
  int GetLayerDrawCount() const;

 protected:
  // Fills and outlines the path in item coordinates, with no kept picture.
  void PaintDirect(Gdiplus::Graphics& g);

 private:
  struct Layer;
  // Marks the path, pens or flags as changed, so a kept picture is redrawn.
  void ContentChanged() { ++m_revision; }

  std::unique_ptr<Layer> m_layer;
  unsigned m_revision = 0;
  std::unique_ptr<Gdiplus::GraphicsPath> m_path;
  std::vector<std::shared_ptr<Gdiplus::Pen>> m_pens;
  bool m_fitPath = true;
  bool m_fitting = false;
  bool m_antiAliasFill = false;
  bool m_antiAliasOutline = true;
  SizeF m_fittedSize;
};

// A text drawn with the brushes; by default the item takes the text's size.
class CRSCanvasText : public CRSCanvasBrushItem {
 public:
  CRSCanvasText(const PointF& position, CRSObject* parent, const std::string& name);
  ~CRSCanvasText() override;

  void PaintContent(Gdiplus::Graphics& g, bool useCache) override;

  void SetText(const std::string& text);
  void SetFont(const Gdiplus::Font& font);
  // The size is in points.
  void SetFont(const std::string& familyName, float emSize, int style);
  void SetSizeToText(bool on);
  void SetHotkeyPrefix(bool show);
  // A text sized to itself but wider than this (0: no limit) keeps this
  // width and ends in an ellipsis at a character boundary.
  void SetMaxWidth(float width);

  const std::string& GetText() const { return m_text; }
  const Gdiplus::Font* GetFont() const { return m_font.get(); }
  bool GetSizeToText() const { return m_sizeToText; }
  bool GetHotkeyPrefix() const { return m_hotkeyPrefix; }
  // The text's unbounded layout size; (0, 0) without text or font.
  SizeF MeasureText() const;

 private:
  void Relayout();

  std::unique_ptr<Gdiplus::StringFormat> m_format;
  std::string m_text;
  std::unique_ptr<Gdiplus::Font> m_font;
  bool m_sizeToText = true;
  bool m_hotkeyPrefix = false;
  float m_maxWidth = 0.0f;
};

// A text turned into an outline path, filled and outlined as a shape.
class CRSCanvasShapeText : public CRSCanvasShape {
 public:
  CRSCanvasShapeText(const PointF& position, CRSObject* parent, const std::string& name);
  ~CRSCanvasShapeText() override;

  // Through a picture shared with every text of the same look
  // (canvas/items/text_pictures.h) where the look allows it.
  void PaintContent(Gdiplus::Graphics& g, bool useCache) override;
  void UpdateTransform() override;

  void SetText(const std::string& text);
  void SetFont(const Gdiplus::Font& font);
  // The size is in points.
  void SetFont(const std::string& familyName, float emSize, int style);
  // Alignment and trimming inside the item's rectangle; they matter only
  // when the path is not fitted to the item (the text is then laid out in
  // the rectangle rather than unbounded).
  void SetStringFormat(const Gdiplus::StringFormat& format);

  const std::string& GetText() const { return m_text; }
  const Gdiplus::Font* GetFont() const { return m_font.get(); }
  const Gdiplus::StringFormat& GetStringFormat() const { return *m_format; }

 private:
  void RebuildPath();

  std::unique_ptr<Gdiplus::StringFormat> m_format;
  std::string m_text;
  std::unique_ptr<Gdiplus::Font> m_font;
  SizeF m_builtSize;
};
