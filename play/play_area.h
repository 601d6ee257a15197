#pragma once
// CPuzzlePlayArea: the item the pieces of a play room lie on. It fills the
// room's floor once the pieces are built; while they are built it stands
// alone, so that thousands of new pieces repaint nothing.
//
// A puzzle puts thousands of pieces (each with its shadow and glow images)
// into one item. Two things that are cheap for a few children cost the
// square of their number here, and the area avoids both: a new child that
// sorts last by z-order is appended without walking the list, and the
// area's own signals, which every piece's images listen to, are cut in one
// sweep before the area and its pieces go.

#include <string>

#include "canvas/items.h"

class CPuzzlePlayArea : public CRSCanvasItem {
 public:
  static constexpr const char* kItemName = "playArea";

  explicit CPuzzlePlayArea(CRSObject* parent = nullptr);
  ~CPuzzlePlayArea() override;

  CRSObject* FindInsertPosition(CRSObject* child) override;

  // Disconnects every listener of the area's own signals at once: before
  // the area and its pieces are deleted, and before the area, filled while
  // it stood alone, is put on the floor (its pieces' shadows and glows
  // follow the turns of their ancestors, and the floor never turns). With
  // keepResize the pieces go on keeping inside the area as it resizes.
  void DropListeners(bool keepResize = false);
};
