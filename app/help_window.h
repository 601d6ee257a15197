#pragma once
// The help window: the help file beside the program, shown in a resizable
// window with a scrolling page. Escape or the close button closes it.

#include <string>

#include "canvas/controls.h"

class CHelpWindow : public CRSControlWindow {
 public:
  static constexpr unsigned kEscapeKey = 27;
  // Help files are a few pages; anything larger is not ours.
  static constexpr std::size_t kMaxHelpBytes = 1 << 20;

  // Reads the file and opens the window on the root, centred. Null when the
  // file cannot be read.
  static CHelpWindow* Open(CRSCanvasItem* root, const std::string& path);
  ~CHelpWindow() override;

  int FilterEvent(CRSEventReceiver* target, CRSEvents::BasicEvent& event) override;

 private:
  CHelpWindow(CRSCanvasItem* root, const std::string& text);
};
