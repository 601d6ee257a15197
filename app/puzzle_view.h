#pragma once
// CPuzzleView: the main window. Its creation step makes the root object,
// gives it the main window's frame, works out the largest picture a puzzle
// may keep, and opens the first room from the message loop once the window
// is up.

#include "canvas/signal_through_event.h"
#include "canvas/view.h"

class CPuzzleCanvas;

class CPuzzleView : public CRSCanvasView {
 public:
  // The largest picture leaves this much room inside the client area.
  static constexpr int kPictureMargin = 4;

  CPuzzleView();
  ~CPuzzleView() override;

  CPuzzleCanvas* GetPuzzleCanvas() const;
  bool OnWindowMessage(const platform::Message& msg) override;
  void PaintTo(const Rect& invalid) override;

 protected:
  void OnCreate() override;

 private:
  void EndRoot();
  void OpenFirstRoom();

  CRSAutoPtrPolymorphic<CPuzzleCanvas> m_canvas;
  CRSSignalEmittedTroughEvent0 m_goHome;
  bool m_firstFrameReported = false;
  // Until the first room stands there is nothing worth a frame: the
  // window's first paint would show an empty floor and cost as much as the
  // room's own.
  bool m_firstRoomPending = true;
};
