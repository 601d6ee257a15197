#pragma once
// The About box: the game's name and version and the maker's notice, in a
// small window with a close button, centred on the root.

#include "canvas/controls.h"

class CPuzzleAboutDlg : public CRSControlWindow {
 public:
  static constexpr const char* kVersionLine = "Tandrill Jigsaw Puzzle v1.0.5";

  explicit CPuzzleAboutDlg(CRSCanvasItem* root);
  ~CPuzzleAboutDlg() override;
};
