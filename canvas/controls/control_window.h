#pragma once
// A framed window drawn inside the canvas: background, border, title bar with
// a caption and title-bar buttons, and a client area. The style builds the
// frame (and rebuilds it whenever an option changes). A window moves when its
// title is dragged and, when its frame is resizable, resizes by its edges and its grip.
//
// A modal window takes every mouse event meant for something outside it
// while it is the last window on the process-wide modal list.
//
// The root of a canvas view is a control window: its title bar is the
// platform window's drag handle and its minimise, maximise and restore
// buttons steer the platform window.

#include <string>
#include <vector>

#include "canvas/controls/button.h"
#include "canvas/controls/client_area.h"
#include "canvas/signal_through_event.h"
#include "canvas/view_root.h"

class CRSControlWindow : public CRSControlWithClientArea<CRSCanvasShape>, public CRSViewRoot {
 public:
  static constexpr int kModalZOrder = 0x7FFFFFF4;

  // The title-bar button slots, right to left.
  enum TitleButton : int {
    kButtonClose = 0,
    kButtonMaximize = 1,
    kButtonRestore = 2,
    kButtonMinimize = 3,
    kButtonExtra = 4,
    kTitleButtonCount = 5,
  };
  // Edges being dragged while resizing.
  enum Edge : int { kEdgeLeft = 1, kEdgeTop = 2, kEdgeRight = 4, kEdgeBottom = 8 };
  // How far inside the border a press still takes an edge.
  static constexpr float kEdgeGrab = 5.0f;

  // The window is sized from `size` (its whole size, frame included).
  CRSControlWindow(const PointF& position, CRSObject* parent, const std::string& name, const SizeF& size);
  ~CRSControlWindow() override;

  // Emitted through the event queue when the window is closed.
  CRSSignalEmittedTroughEvent0 sigClosed;

  void SetCaption(const std::string& caption);
  const std::string& GetCaption() const { return m_captionText; }
  // Sizes the window so that its client area gets this size.
  void SetClientSize(const SizeF& size);
  void SetModal(bool modal);
  void SetCloseButton(bool on);
  void SetTitleBar(bool on);
  // An extra title-bar button, left of the others; its clicks are the
  // button's own signal (GetTitleButton(kButtonExtra)).
  void SetExtraButton(const std::string& caption);
  // The minimise and maximise/restore buttons of a main window.
  void SetSystemButtons(bool on);
  void SetToolWindow(bool on);
  void SetFrameMode(CRSFrameMode mode);
  void RemoveRaiseBehaviour();
  void RemoveShadowBehaviour();
  // Closes the window: emits closed later and deletes the window once the
  // current input has been handled. Closing twice does nothing more.
  virtual void Close();

  bool IsModal() const { return m_modal; }
  bool HasCloseButton() const { return m_closeButton; }
  bool HasTitleBar() const { return m_titleBar; }
  bool HasSystemButtons() const { return m_systemButtons; }
  bool IsToolWindow() const { return m_toolWindow; }
  CRSFrameMode GetFrameMode() const { return m_frameMode; }
  int GetResizeEdges() const { return m_resizeEdges; }
  bool IsClosing() const { return m_closing; }
  const std::string& GetExtraButtonCaption() const { return m_extraCaption; }
  CRSWindowFrameOptions GetFrameOptions() const;

  // The parts the style builds; null where the window has none.
  CRSCanvasItem* GetFrameItem() const { return m_frame.get(); }
  CRSCanvasText* GetCaptionItem() const { return m_caption.get(); }
  CRSCanvasItem* GetGripItem() const { return m_grip.get(); }
  CRSCanvasItem* GetTitleItem() const { return m_title.get(); }
  CRSControlButton* GetTitleButton(int slot) const;

  // Used by the style while it builds the frame.
  void SetFrameParts(CRSCanvasItem* frame, CRSCanvasItem* title, CRSCanvasText* caption, CRSCanvasItem* grip);
  // Deletes the button the slot held before.
  void SetTitleButton(int slot, CRSControlButton* button);

  // The last window on the modal list, or null.
  static CRSControlWindow* GetTopModal();
  static size_t GetModalCount();

  // --- items ---------------------------------------------------------------
  void DoSetSize(const SizeF& size) override;
  int FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;
  int FilterGlobalEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

  // --- the view's root -----------------------------------------------------
  CRSCanvasItem* GetDragHandle() override { return m_title.get(); }
  CRSCanvasText* GetTitleTextItem() override { return m_caption.get(); }
  CRSSignalEmittedTroughEvent0* GetMinimizeClicked() override;
  CRSSignalEmittedTroughEvent0* GetMaximizeClicked() override;
  CRSSignalEmittedTroughEvent0* GetRestoreClicked() override;
  void SetMaximized(bool maximized) override;
  bool IsMaximized() const override { return m_maximized; }

 protected:
  // Rebuilds the frame through the style and lays out the client area.
  void RebuildFrame();
  // Called after every rebuild: the style has put its own face back, which
  // a window that paints itself differently replaces again here.
  virtual void OnFrameRebuilt() {}
  void LayoutClientArea();

 private:
  void AddToModalList();
  void RemoveFromModalList();
  bool Contains(const CRSObject* object) const;
  int EdgesAt(const PointF& local) const;
  void OnClientMinSizeChanged(CRSCanvasItem* area, const SizeF& minSize);
  void ApplyMove(const PointF& inParent);
  void ApplyResize(const PointF& inParent);

  CRSAutoPtrPolymorphic<CRSCanvasItem> m_frame;
  CRSAutoPtrPolymorphic<CRSCanvasText> m_caption;
  CRSAutoPtrPolymorphic<CRSCanvasItem> m_grip;
  CRSAutoPtrPolymorphic<CRSCanvasItem> m_title;
  CRSAutoPtrPolymorphic<CRSControlButton> m_titleButtons[kTitleButtonCount];
  bool m_closeButton = true;
  bool m_modal = false;
  bool m_titleBar = true;
  bool m_systemButtons = false;
  bool m_toolWindow = false;
  CRSFrameMode m_frameMode = CRSFrameMode::kFixed;
  int m_resizeEdges = 0;
  std::string m_extraCaption;
  std::string m_captionText;
  bool m_maximized = false;
  bool m_closing = false;
  bool m_rebuilding = false;
  bool m_moving = false;
  // The press point in the parent's coordinates, and the window's rectangle
  // when the drag began.
  PointF m_pressPoint;
  RectF m_pressRect;
  bool m_pressTaken = false;
};
