#pragma once
// CPuzzlePlayArea: the item the pieces of a play room lie on. It fills the
// room's floor once the pieces are built; while they are built it stands
// alone, so that thousands of new pieces repaint nothing.
//
// A puzzle puts thousands of pieces (each with its shadow and glow images)
// into one item. The area's own signals, which every piece's images listen
// to, are therefore cut in one sweep before the area and its pieces go,
// rather than one connection at a time.

#include <string>

#include "canvas/items.h"

class CPuzzlePlayArea : public CRSCanvasItem {
 public:
  static constexpr const char* kItemName = "playArea";

  explicit CPuzzlePlayArea(CRSObject* parent = nullptr);
  ~CPuzzlePlayArea() override;

  // Disconnects every listener of the area's own signals at once: before
  // the area and its pieces are deleted, and before the area, filled while
  // it stood alone, is put on the floor (its pieces' shadows and glows
  // follow the turns of their ancestors, and the floor never turns). With
  // keepResize the pieces go on keeping inside the area as it resizes.
  void DropListeners(bool keepResize = false);
};
