#pragma once
// Behaviours: small objects attached to one canvas item that give it an
// ability without subclassing it — dragging, raising, quarter turns, a glow,
// a shadow, alignment and sizing inside its parent, press notifications and
// (on a root item) the keyboard.
//
// Ownership: an item owns its behaviours through its behaviour list and
// deletes them when it goes; deleting a behaviour takes it off its item. An
// item holds at most one behaviour of each kind: constructing a behaviour
// deletes any behaviour of the same kind already attached. Each kind has a
// get-or-create function that returns the existing one or makes one with
// the usual defaults (null for a null item).
//
// Mouse-handling behaviours add themselves as mouse filters on their item,
// so they see its mouse events before the item does; they never stop the
// item's own handler, but most of them mark the event handled so that it does
// not bubble to the parent.

#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "canvas/auto_ptr.h"
#include "canvas/items.h"
#include "canvas/object.h"
#include "canvas/signal_through_event.h"
#include "canvas/sigslot.h"
#include "platform/cursors.h"
#include "platform/types.h"

namespace CRSCanvasEvents {
class Mouse;
}

class CRSCanvasBehaviour : public CRSObject {
 public:
  CRSCanvasBehaviour(CRSCanvasItem* item, const std::string& name);
  ~CRSCanvasBehaviour() override;

  // The item, or null once it is gone.
  CRSCanvasItem* GetItem() const { return m_item; }

  // The first behaviour of kind T (T or derived from it) on the item.
  // Behaviours on their way out (deleted, or deletion queued) are skipped.
  template <class T>
  static T* Find(const CRSCanvasItem* item) {
    if (!item) return nullptr;
    for (CRSObject* b : item->GetBehaviours()) {
      auto* found = dynamic_cast<T*>(b);
      if (found && !found->IsBeingDeleted() && found->GetDeletionMode() != kDeletionQueued) return found;
    }
    return nullptr;
  }

 protected:
  // Deletes every other behaviour of kind T on the item, then attaches this
  // one. Called first in the constructor of each kind.
  template <class T>
  void ReplaceOthers() {
    if (!m_item) return;
    for (CRSObject* b : m_item->GetBehaviours()) {
      if (b != this && dynamic_cast<T*>(b) && !b->IsBeingDeleted()) b->Delete();
    }
    m_item->AddBehaviour(this);
  }

  // Adds this behaviour as a mouse filter on its item.
  void FilterItemMouse();

  // The event's point in the item's local coordinates. A filter sees the
  // point in the coordinates of the receiver it was called for; when that is
  // not the item (a filter added on another receiver) the point is carried
  // through the root.
  PointF LocalPoint(CRSEventReceiver* target, const CRSCanvasEvents::Mouse& mouse) const;

 private:
  CRSCanvasItem* m_item = nullptr;
};

// Drags an item with the left button. The grabbed point becomes the item's
// origin, so it stays under the pointer and later turns are about it.
class CBehaviourDrag : public CRSCanvasBehaviour {
 public:
  static constexpr int kCursorHand = platform::kCursorHand;
  enum AxisMode : int { kAxisFree = 0, kAxisKeepX = 1 };

  explicit CBehaviourDrag(CRSCanvasItem* item, const std::string& name = {});
  ~CBehaviourDrag() override;
  static CBehaviourDrag* GetOrCreate(CRSCanvasItem* item);

  int FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

  void SetEnabled(bool enabled) { m_enabled = enabled; }
  void SetAxisMode(int mode) { m_axisMode = mode; }
  bool IsEnabled() const { return m_enabled; }
  bool IsDragging() const { return m_dragging; }
  // Ends a drag in progress: while the button is still held, the pointer's
  // moves leave the item where it is, until the next press starts a drag.
  void End();

 private:
  bool m_dragging = false;
  bool m_enabled = true;
  int m_axisMode = kAxisFree;
};

// Lifts an item while the left button holds it (or on demand until the next
// click or key anywhere): up-left by kRaiseLift, to the top of its parent,
// with a deeper shadow.
class CBehaviourRaiseable : public CRSCanvasBehaviour {
 public:
  // How far a raised item moves up and left, so that it seems to leave the
  // table toward the viewer; lowering moves it back by the same.
  static constexpr float kRaiseLift = 2.0f;

  explicit CBehaviourRaiseable(CRSCanvasItem* item, const std::string& name = {});
  ~CBehaviourRaiseable() override;
  static CBehaviourRaiseable* GetOrCreate(CRSCanvasItem* item);

  int FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

  void Raise();
  void Lower();

  void SetRaiseSound(const std::string& sound) { m_raiseSound = sound; }
  void SetLowerSound(const std::string& sound) { m_lowerSound = sound; }
  void SetLoweredShadowOffset(const PointF& offset);
  void SetRaisedShadowOffset(const PointF& offset);
  bool IsRaised() const { return m_raised; }
  const PointF& GetLoweredShadowOffset() const { return m_loweredOffset; }
  const PointF& GetRaisedShadowOffset() const { return m_raisedOffset; }

  sigslot::signal1<CRSCanvasItem*> sigRaised;
  sigslot::signal1<CRSCanvasItem*> sigLowered;

 private:
  // Emits this behaviour's signal, then the same signal of every raiseable
  // descendant of a group, all with this item.
  void Notify(bool raised);

  bool m_raised = false;
  int m_savedZOrder = CRSCanvasItem::kZOrderTop;
  std::string m_raiseSound;
  std::string m_lowerSound;
  bool m_raisedByPress = false;
  bool m_liftedByRaise = false;
  PointF m_loweredOffset{4.0f, 4.0f};
  PointF m_raisedOffset{9.0f, 9.0f};
};

// Quarter turns with the right button (Ctrl: counter-clockwise), animated in
// whole steps over about 400 ms. Only one item in the program turns at a
// time; a right click while any turn runs is ignored.
class CBehaviourRotate90 : public CRSCanvasBehaviour {
 public:
  static constexpr int kTimerId = 1;

  explicit CBehaviourRotate90(CRSCanvasItem* item, const std::string& name = {});
  ~CBehaviourRotate90() override;
  static CBehaviourRotate90* GetOrCreate(CRSCanvasItem* item);

  int FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;
  void OnTimer(int id, unsigned elapsedMs) override;

  // Starts a quarter turn about the item's local point `pivot` (direction +1
  // clockwise, −1 counter-clockwise). False when a turn is running anywhere.
  bool StartRotation(int direction, const PointF& pivot, bool movePivot = true);
  // Ends a running turn where it is.
  void Stop();

  void SetRotationSound(const std::string& sound) { m_sound = sound; }
  void SetDuration(int ms) { m_durationMs = ms > 0 ? ms : 1; }
  void SetStep(int degrees) { m_step = degrees > 0 ? degrees : 1; }
  bool IsAnimating() const { return m_animationStart != 0; }
  float GetTargetAngle() const { return m_target; }

  // Whether some item in the program is turning now.
  static bool IsAnyRotationRunning();
  // The angle a turn ends on: the nearest multiple of 90 as the program has
  // always rounded it (see the definition).
  static float Snap(float degrees);

 private:
  void Tick(unsigned elapsedMs);

  float m_start = 0.0f;
  float m_target = 0.0f;
  unsigned m_animationStart = 0;
  int m_durationMs = 400;
  int m_step = 5;
  int m_direction = 1;
  std::string m_sound;
  bool m_leftHeld = false;
};

// Shared machinery of the soft images placed behind an item (glow and
// shadow): building the image, following the item and its ancestors, and
// rendering the picture at the image's first paint.
class CBehaviourSoftImage : public CRSCanvasBehaviour {
 public:
  ~CBehaviourSoftImage() override;

  // The image item, or null before the first build.
  CRSCanvasImage* GetImage() const { return m_image; }
  // Makes a new, empty image (replacing the previous one) and places it; its
  // picture is rendered when it is first painted.
  virtual void Rebuild();

 protected:
  CBehaviourSoftImage(CRSCanvasItem* item, const std::string& name, const char* imageName, int margin);

  // Whether the image should be visible now.
  virtual bool ShouldShow() const = 0;
  // Puts the image where it belongs relative to the item.
  virtual void PlaceImage(CRSCanvasImage& image, CRSCanvasItem& item) = 0;
  virtual ARGB GlowColour() const = 0;
  virtual float GlowStrength() const = 0;

  void ApplyVisibility();
  void Place();
  int GetMargin() const { return m_margin; }
  // Places the image just under the item (the same z-order, directly before
  // it), turned as it is and reaching the margin beyond it: a glow round
  // the item's own outline.
  void PlaceJustUnder(CRSCanvasImage& image, CRSCanvasItem& item) const;

 private:
  void Track();
  void OnPrePaint(CRSCanvasItem* image, Gdiplus::Graphics& g, bool useCache);
  void OnItemVisibleChanged(CRSCanvasItem* item, bool visible);
  void OnContentChanged(CRSCanvasItem* item);
  void OnGeometryChanged(CRSCanvasItem* item);
  void OnParentChanged(CRSObject* object, CRSObject* newParent, CRSObject* oldParent);

  const char* m_imageName;
  int m_margin;
  CRSAutoPtrPolymorphic<CRSCanvasImage> m_image;
  bool m_tracking = false;
  bool m_placing = false;
  // How often the item's picture was halved for the glow now shown (0: at
  // its own density). A reduced glow is made again finer when the item is
  // drawn larger.
  int m_glowLevel = 0;
  // Re-places the image when the parent's turn or scale, seen from the
  // frame, differs from that of the last placing.
  void OnChainMoved();
  // Records the turn and scale the image was just placed under.
  void NotePlaced();
  // Joins the watch over the ancestors of the item's parent now, leaving
  // the one before.
  void JoinWatch();
  void LeaveWatch();

  // The rotation and scale of the parent, seen from the frame, at the last
  // placing (m11, m12, m21, m22).
  std::array<float, 4> m_placedUnder{1.0f, 0.0f, 0.0f, 1.0f};
  // The item's own transform and rectangle at the last placing: an item
  // that has only moved since carries its image by as much.
  Gdiplus::Matrix m_placedItem;
  RectF m_placedRect;
  // Connections to the item itself.
  struct ItemSlots : sigslot::has_slots {
    CBehaviourSoftImage* owner = nullptr;
    void OnGeometry(CRSCanvasItem* item) { owner->OnGeometryChanged(item); }
    void OnZOrder(CRSCanvasItem*) { owner->Place(); }
    void OnParent(CRSObject* o, CRSObject* n, CRSObject* p) { owner->OnParentChanged(o, n, p); }
  } m_itemSlots;
  // The soft images of one parent's children share one watch over the
  // parent and its ancestors (soft_image.cpp): a group of thousands of
  // pieces that grows by one, or is dragged, tells one watch instead of
  // every piece's shadow and glow.
  class ChainWatch;
  std::shared_ptr<ChainWatch> m_watch;
  // This image's place in the watch's list.
  std::size_t m_watchIndex = 0;
};

// A yellow glow behind the item, shown while switched on.
class CBehaviourHighlight : public CBehaviourSoftImage {
 public:
  static constexpr ARGB kColour = 0x90FFFF00;
  static constexpr float kStrength = 2.0f;
  static constexpr int kMargin = 16;

  CBehaviourHighlight(CRSCanvasItem* item, const std::string& name = {}, bool buildNow = true);
  ~CBehaviourHighlight() override;
  // Switches the item's highlight: an existing one is set, a missing one is
  // made only to switch it on. Items that are themselves highlights are left
  // alone. Returns the highlight, or null.
  static CBehaviourHighlight* SetHighlight(CRSCanvasItem* item, bool on);

  virtual void SetOn(bool on);
  void Allow();
  void Disallow();
  bool IsOn() const { return m_on; }
  bool IsAllowed() const { return m_allowed; }

 protected:
  bool ShouldShow() const override;
  void PlaceImage(CRSCanvasImage& image, CRSCanvasItem& item) override;
  ARGB GlowColour() const override { return kColour; }
  float GlowStrength() const override { return kStrength; }
  void StoreOn(bool on) { m_on = on; }

 private:
  bool m_on = false;
  bool m_allowed = true;
};

// A soft dark shadow, offset in screen space so it falls the same way
// whatever the item's rotation.
class CBehaviourShadow : public CBehaviourSoftImage {
 public:
  static constexpr ARGB kColour = 0x70000000;
  static constexpr int kMargin = 8;

  CBehaviourShadow(CRSCanvasItem* item, const std::string& name = {}, bool buildNow = true);
  ~CBehaviourShadow() override;

  // Gives the item a shadow at `offset` (made when missing and switched on);
  // a zero offset switches an existing shadow off. Items that are themselves
  // shadows are left alone.
  static void SetShadow(CRSCanvasItem* item, const PointF& offset);

  virtual void SetOn(bool on);
  virtual void SetOffset(const PointF& offset);
  void SetStrength(float strength);
  bool IsOn() const { return m_on; }
  const PointF& GetOffset() const { return m_offset; }
  float GetStrength() const { return m_strength; }

 protected:
  bool ShouldShow() const override;
  void PlaceImage(CRSCanvasImage& image, CRSCanvasItem& item) override;
  ARGB GlowColour() const override { return kColour; }
  float GlowStrength() const override { return m_strength; }
  void StoreOn(bool on) { m_on = on; }
  void StoreOffset(const PointF& offset) { m_offset = offset; }

 private:
  PointF m_offset{8.0f, 8.0f};
  bool m_on = true;
  float m_strength = 1.0f;
};

// Keeps an item at a place in its parent: at an edge, centred, or kept
// inside, on each axis. Any move of the item is corrected at once, and every
// resize of the parent aligns again.
class CBehaviourAlign : public CRSCanvasBehaviour {
 public:
  enum Flags : int {
    kLeft = 0x10,
    kCentreX = 0x20,
    kRight = 0x40,
    kTop = 0x01,
    kCentreY = 0x02,
    kBottom = 0x04,
    kKeepInside = 0x8000,
    kCentre = kCentreX | kCentreY,
  };

  CBehaviourAlign(CRSCanvasItem* item, int flags, const std::string& name = {});
  ~CBehaviourAlign() override;
  static CBehaviourAlign* GetOrCreate(CRSCanvasItem* item);

  virtual void Align();

  void SetMargins(float x, float y);
  int GetFlags() const { return m_flags; }

  // While a hold lives, no alignment moves any item. A room that lays out
  // saved places (some of them beyond its floor's edges) and hands them
  // over to the floor keeps them exactly as saved; the player's next move
  // of an item, or the next resize of its parent, aligns it again.
  class Hold {
   public:
    Hold() { ++s_holds; }
    ~Hold() { --s_holds; }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
  };

 protected:
  float m_marginX = 0.0f;
  float m_marginY = 0.0f;

 private:
  static inline int s_holds = 0;

  void OnGeometryChanged(CRSCanvasItem* item);
  void OnParentResized(CRSCanvasItem* parent, const SizeF& size);
  void OnParentChanged(CRSObject* object, CRSObject* newParent, CRSObject* oldParent);

  int m_flags;
  bool m_guard = false;
};

// Alignment for puzzle groups: an item larger than half its parent may leave
// the parent as long as it still covers the parent's centre lines.
class CPuzzleBehaviourAlign : public CBehaviourAlign {
 public:
  CPuzzleBehaviourAlign(CRSCanvasItem* item, int flags, const std::string& name = {});
  ~CPuzzleBehaviourAlign() override;
  static CPuzzleBehaviourAlign* GetOrCreate(CRSCanvasItem* item);

  void Align() override;
};

// Sizes an item from its parent's size (less margins, times ratios), on
// either axis, optionally keeping its aspect. Items turned a quarter are
// left as they are.
class CBehaviourSize : public CRSCanvasBehaviour {
 public:
  enum Flags : int { kWidth = 0x10, kHeight = 0x01 };

  CBehaviourSize(CRSCanvasItem* item, const PointF& ratios, int flags, const std::string& name = {});
  ~CBehaviourSize() override;
  static CBehaviourSize* GetOrCreate(CRSCanvasItem* item);

  void Update();
  void SetMargins(float width, float height);
  void SetKeepAspect(bool keep);

 private:
  void OnResized(CRSCanvasItem* item, const SizeF& size);
  void OnParentChanged(CRSObject* object, CRSObject* newParent, CRSObject* oldParent);

  int m_flags;
  float m_marginWidth = 0.0f;
  float m_marginHeight = 0.0f;
  PointF m_ratios;
  bool m_keepAspect = false;
  bool m_guard = false;
};

// Press notifications: at once (inside the mouse dispatch) and later
// (through the event queue, after the input has been handled — where
// commands that replace or delete items belong).
class CBehaviourSignalMousEvents : public CRSCanvasBehaviour {
 public:
  explicit CBehaviourSignalMousEvents(CRSCanvasItem* item, const std::string& name = {});
  ~CBehaviourSignalMousEvents() override;
  static CBehaviourSignalMousEvents* GetOrCreate(CRSCanvasItem* item);

  int FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

  sigslot::signal1<CRSCanvasItem*> sigPressed;
  sigslot::signal2<CRSCanvasItem*, PointF&> sigPressedAt;
  CRSSignalEmittedTroughEvent0 sigPressedLater;
  CRSSignalEmittedTroughEvent1<CRSAutoPtrPolymorphic<CRSCanvasItem>> sigPressedItemLater;
  CRSSignalEmittedTroughEvent2<CRSAutoPtrPolymorphic<CRSCanvasItem>, PointF> sigPressedAtLater;
  CRSSignalEmittedTroughEvent0 sigDoubleClickedLater;
};

// The keyboard entry point of an item tree, kept on its root. Receivers that
// want keys add themselves as key filters on it.
class CBehaviourMessageHandler : public CRSCanvasBehaviour {
 public:
  explicit CBehaviourMessageHandler(CRSCanvasItem* root, const std::string& name = {});
  ~CBehaviourMessageHandler() override;
  // The handler of the item's root, made there when missing.
  static CBehaviourMessageHandler* GetOrCreate(CRSCanvasItem* item);
  // A Tab that no filter took moves the keyboard (canvas/key_focus.h).
  void OnEvent(CRSEvents::BasicEvent& event) override;

 private:
  void OnRootParentChanged(CRSObject* object, CRSObject* newParent, CRSObject* oldParent);
};

// One selected item among many. Each entry's signal tells its item whether
// it is the selected one.
class CBehaviourExclusive : public CRSObject {
 public:
  struct Entry {
    sigslot::signal1<bool> sigSelected;
    CRSAutoPtrPolymorphic<CRSCanvasItem> item;
  };

  explicit CBehaviourExclusive(CRSObject* parent = nullptr, const std::string& name = {});
  ~CBehaviourExclusive() override;

  // The item's entry, appended when missing.
  Entry& GetEntry(CRSCanvasItem* item);
  // Slot for an item's later press signal.
  void Select(CRSAutoPtrPolymorphic<CRSCanvasItem> item);
  CRSCanvasItem* GetSelection() const { return m_current; }

  sigslot::signal1<CRSCanvasItem*> sigSelected;

 private:
  std::vector<std::shared_ptr<Entry>> m_entries;
  // Each entry's position in m_entries by its item's block: the entry holds
  // a count on the block, so a block address stands for one item for as
  // long as its entry exists, even after the item is gone.
  std::unordered_map<const CRSAutoPtrBlock*, std::size_t> m_entryIndex;
  CRSAutoPtrPolymorphic<CRSCanvasItem> m_current;
};
