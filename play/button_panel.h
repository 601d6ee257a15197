#pragma once
// CPuzzleButtonPanel: a floating panel of the play room, a control window of
// buttons one under the other, sized to them. The "Menu" holds the commands
// the room always had; the "Tools" panel under it holds those that work the
// table (the overview, and those to come). Both look and stack alike.
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

class CPuzzleButtonPanel {
 public:
  static constexpr float kWidth = 104.0f;
  // Between a panel and the one under it.
  static constexpr float kGapBelow = 6.0f;

  CPuzzleButtonPanel(CRSCanvasItem* floor, const std::string& name, const std::string& caption,
                     const PointF& topLeft);

  // Adds a button at the bottom of the panel and grows the panel to it.
  CRSControlButton* AddButton(const std::string& label, bool toggle = false);
  // The button with that label, or null.
  CRSControlButton* FindButton(const std::string& label) const;
  CRSControlWindow* GetWindow() const;
  // Where a panel just under this one begins, in the floor's coordinates.
  PointF GetPlaceBelow() const;

 private:
  CRSWeakRef<CRSCanvasItem> m_window;  // a control window
  std::vector<CRSWeakRef<CRSControlButton>> m_buttons;
  float m_nextY;
};
