#pragma once
// CPuzzleToolsPanel: the second floating panel of the play room, "Tools",
// under the "Menu" and made like it (same frame, same stacking). The menu
// keeps the commands the room always had; the commands that work the table
// (the overview, and those to come) live here.
//
// Ownership: the room owns the panel; its window is the floor's child, held
// weakly, since the next room may clear the floor first.

#include <string>
#include <vector>

#include "canvas/weak_ref.h"
#include "platform/types.h"

class CRSCanvasItem;
class CRSControlButton;
class CRSControlWindow;

class CPuzzleToolsPanel {
 public:
  static constexpr const char* kCaption = "Tools";
  static constexpr float kGapBelowMenu = 6.0f;

  // A panel on the floor just under the menu window.
  CPuzzleToolsPanel(CRSCanvasItem* floor, CRSControlWindow* menu);

  // Adds a button at the bottom of the panel and grows the panel to it.
  CRSControlButton* AddButton(const std::string& label, bool toggle);
  CRSControlButton* FindButton(const std::string& label) const;
  CRSControlWindow* GetWindow() const;

 private:
  CRSWeakRef<CRSCanvasItem> m_window;  // a control window
  std::vector<CRSWeakRef<CRSControlButton>> m_buttons;
  float m_nextY;
};
