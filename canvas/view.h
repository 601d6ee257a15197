#pragma once
// The one platform window of the framework: it shows a root canvas item,
// keeps the window and the root the same size, paints the item tree through a
// persistent back buffer, and turns window messages into the canvas's mouse
// and key events.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "canvas/auto_ptr.h"
#include "canvas/items.h"
#include "canvas/sigslot.h"
#include "canvas/timer.h"
#include "canvas/weak_ref.h"
#include "platform/matrix.h"
#include "platform/message_loop.h"
#include "platform/types.h"
#include "platform/window.h"

namespace Gdiplus {
class Bitmap;
}

class CRSViewRoot;

class CRSCanvasView : public platform::WindowHandler,
                      public platform::MessageFilter,
                      public CRSTimer,
                      public sigslot::has_slots {
 public:
  static constexpr int kWatchdogTimer = 1;
  static constexpr unsigned kWatchdogPeriodMs = 150;
  static constexpr unsigned kWatchdogDelayMs = 200;
  static constexpr int kIconResource = 215;

  CRSCanvasView();
  ~CRSCanvasView() override;
  CRSCanvasView(const CRSCanvasView&) = delete;
  CRSCanvasView& operator=(const CRSCanvasView&) = delete;

  // Creates the platform window (hidden) and runs the creation step. False
  // when the platform refused to make a window.
  bool Create(const std::string& title = std::string());
  platform::Window* GetWindow() { return m_window.get(); }
  bool HasWindow() const { return m_window && !m_window->IsDestroyed(); }

  // The main window's end ends the program (its loop gets the quit
  // message); any other window, such as a download or tool window, closes
  // alone. Off until the program marks its main window.
  void SetMainWindow(bool isMain) { m_isMainWindow = isMain; }
  bool IsMainWindow() const { return m_isMainWindow; }

  void SetRoot(CRSCanvasItem* root);
  CRSCanvasItem* GetRoot() const { return m_root.get(); }
  CRSCanvasItem* GetCaptured() const { return m_captured.get(); }
  void SetBackgroundColor(ARGB colour) { m_backgroundColor = colour; }

  // The keyboard focus: the item that receives key and character messages
  // first (null: they go straight to the root's key handler). Only an item
  // of this view's tree that is focusable can hold it; anything else clears
  // it. The platform's text input is on exactly while the holder takes text.
  void SetFocusItem(CRSCanvasItem* item);
  CRSCanvasItem* GetFocusItem() const { return m_focus.get(); }
  bool IsTextInputOn() const { return m_textInputOn; }

  // Per axis, half of what the client area has beyond the root's size, in
  // units.
  PointF GetViewOffset() const;
  // Device pixels per unit, the screen's scale read when the window was
  // made. The window and the back buffer are in device pixels; the root and
  // everything in it stay in units.
  float GetDeviceScale() const { return m_scale; }
  // A point of the window (device pixels) in the units of the root's
  // parent, and the transform that takes such units to the window.
  PointF UnitsFromDevice(const PointF& device) const;
  Gdiplus::Matrix DeviceTransform() const;

  // Paints the window's invalid rectangle through the back buffer and shows
  // it. Called for every paint message.
  virtual void PaintTo(const Rect& invalid);
  const Gdiplus::Bitmap* GetBackBuffer() const { return m_backBuffer.get(); }
  bool IsRepaintPending() const { return m_repaintPendingSince != 0; }
  bool IsDraggingWindow() const { return m_draggingWindow; }

  // The window procedure, public so that tests can send messages directly.
  bool OnWindowMessage(const platform::Message& msg) override;

 protected:
  virtual void OnCreate();
  void OnTimer(int id, unsigned elapsedMs) override;
  bool PreTranslateMessage(platform::Message& msg) override;

  void OnSize(unsigned type);
  void OnMouseMessage(unsigned message, unsigned keyFlags, std::intptr_t position);
  void OnKey(unsigned message, unsigned virtualKey, std::intptr_t keyData);
  bool OnSysCommand(unsigned command);

 private:
  // Slots connected to the root.
  void OnRootInvalidate(CRSCanvasItem* item, const RectF& rect);
  void OnRootUpdateNow();
  void OnRootResized(CRSCanvasItem* item, const SizeF& size);
  void OnRootContentChanged(CRSCanvasItem* item);
  void OnRootDestroying();
  void OnDragHandlePressed(CRSCanvasItem* item);
  void OnTitleChanged(CRSCanvasItem* item);
  void OnMinimizeClicked();
  void OnMaximizeClicked();
  void OnRestoreClicked();

  void DisconnectRoot(CRSCanvasItem* root);
  void OnFocusDestroying();
  // The holder of the keyboard, after dropping one that has since left this
  // view's tree or been hidden (typing must not reach what cannot be seen).
  CRSCanvasItem* GetLiveFocusItem();
  void SetTextInput(bool on);
  void SizeWindowToRoot();
  // Notes that the window's shape must follow the root's outline; it is
  // cut when the next frame is painted (ApplyWindowShape), because a start
  // or a resize changes the outline several times before anything shows.
  void UpdateWindowShape();
  void ApplyWindowShape();
  // Notes a rectangle of the window (client pixels) as needing paint, both
  // on the window and in this view's list of what changed.
  void InvalidateWindow(const Rect& rect, bool inTopLayer = false);
  // The separate rectangles to paint for one paint of invalid: the view's
  // list when it accounts for exactly that rectangle, else invalid whole.
  std::vector<Rect> TakeDirtyParts(const Rect& invalid);
  void PaintPart(Gdiplus::Graphics& g, const Rect& part);
  // The top layer to paint over the picture of the rest, or null when the
  // window is painted whole (no such layer is shown holding anything).
  CRSCanvasItem* UsableTopLayer() const;
  CRSViewRoot* GetViewRoot() const;

  std::unique_ptr<platform::Window> m_window;
  float m_scale = 1.0f;
  CRSAutoPtrPolymorphic<CRSCanvasItem> m_root;
  CRSAutoPtrPolymorphic<CRSCanvasItem> m_captured;
  // Which button holds the capture: the left one (a drag) or the middle one
  // (panning a table).
  bool m_capturedByMiddle = false;
  CRSAutoPtrPolymorphic<CRSCanvasItem> m_dragHandle;
  CRSAutoPtrPolymorphic<CRSCanvasItem> m_titleText;
  CRSWeakRef<CRSCanvasItem> m_focus;
  CRSWeakRef<CRSCanvasItem> m_focusRing;
  bool m_textInputOn = false;
  bool m_trackingLeave = false;
  std::unique_ptr<Gdiplus::Bitmap> m_backBuffer;
  // The rectangles invalidated since the last paint. The window keeps only
  // their union; painting them apart spares what lies between them (the
  // cut lines of a preview and a caption across the room from them).
  std::vector<Rect> m_dirtyParts;
  // The union of what this view asked to repaint since the last paint: a
  // paint of anything more was asked by the window itself (an expose).
  Rect m_ownInvalid;
  // The top layer met among the repaints asked for, and the back buffer as
  // painted before it (see CRSCanvasItem::SetTopLayer): valid while only
  // the layer changes, kept up to date where anything else is repainted.
  CRSWeakRef<CRSCanvasItem> m_topLayer;
  std::unique_ptr<Gdiplus::Bitmap> m_underTop;
  bool m_underTopValid = false;
  bool m_underChanged = false;
  std::uint32_t m_repaintPendingSince = 0;
  // The watchdog runs only while repaints come and go: an idle window
  // wakes the program for nothing else.
  bool m_watchdogRunning = false;
  std::uint32_t m_lastPaintAt = 0;
  bool m_draggingWindow = false;
  Point m_dragStart;
  bool m_inSize = false;
  bool m_shapePending = false;
  // What the window was last cut to: the root's outline, the client size
  // and the view's offset. An outline that comes back the same (a caption
  // changed, the root repainted) cuts nothing.
  struct AppliedShape {
    std::vector<PointF> points;
    std::vector<std::uint8_t> types;
    Size client;
    PointF offset;
    bool Same(const AppliedShape& other) const;
  };
  AppliedShape m_appliedShape;
  bool m_dragAllowed = false;
  ARGB m_backgroundColor = 0;
  bool m_filterAdded = false;
  bool m_isMainWindow = false;
  platform::MessageLoop* m_loop = nullptr;
};
