#pragma once
// CPuzzleGroup: pieces that have been joined, moving and turning as one. The
// group's own coordinates are those of the (scaled) solved picture: every
// piece inside lies at angle 0 with its anchor as origin on its cell centre.
//
// A group shows the shadows and glows of its pieces rather than one of its
// own: its highlight and shadow behaviours pass every change on to the
// pieces.

#include <string>

#include "canvas/behaviours.h"
#include "canvas/items.h"

class CPuzzleGroup : public CRSCanvasGroup {
 public:
  static constexpr const char* kItemName = "puzzleGroup";
  // Alignment of groups: kept inside the floor they lie on.
  static constexpr int kAlignFlags = CBehaviourAlign::kKeepInside;

  explicit CPuzzleGroup(CRSObject* parent = nullptr);
  ~CPuzzleGroup() override;
};

// The glow of a group: switching it switches the glow of every piece.
class CPuzzleGroupHighlight : public CBehaviourHighlight {
 public:
  explicit CPuzzleGroupHighlight(CRSCanvasItem* group);
  ~CPuzzleGroupHighlight() override;

  void SetOn(bool on) override;
};

// The shadow of a group: switching it, or moving it, does the same to the
// shadow of every piece.
class CPuzzleGroupShadow : public CBehaviourShadow {
 public:
  explicit CPuzzleGroupShadow(CRSCanvasItem* group);
  ~CPuzzleGroupShadow() override;

  void SetOn(bool on) override;
  void SetOffset(const PointF& offset) override;
};
