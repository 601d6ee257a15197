// Groups of joined pieces and the behaviours that pass their glow and shadow
// on to the pieces.

#include "play/group.h"

#include <vector>

#include "play/piece.h"

namespace {

// The group's pieces, without the soft images that behaviours keep beside
// them. A copy, because switching a glow may add images to the group.
std::vector<CRSCanvasItem*> PiecesOf(CRSCanvasItem* group) {
  std::vector<CRSCanvasItem*> pieces;
  if (!group) return pieces;
  for (CRSCanvasItem* child : group->GetChildItems()) {
    if (!IsShadowOrHighlight(child)) pieces.push_back(child);
  }
  return pieces;
}

}  // namespace

CPuzzleGroup::CPuzzleGroup(CRSObject* parent) : CRSCanvasGroup(PointF(), parent, kItemName) {
  // Joined pieces are dragged as one: a large group is repainted from one
  // picture of its pieces and their shadows.
  SetPaintCache(true);
  new CPuzzleGroupHighlight(this);
  (new CPuzzleGroupShadow(this))->SetOn(false);
  new CBehaviourDrag(this);
  auto* raiseable = new CBehaviourRaiseable(this);
  raiseable->SetRaiseSound(CPuzzlePiece::kRaiseSound);
  raiseable->SetLowerSound(CPuzzlePiece::kLowerSound);
  (new CBehaviourRotate90(this))->SetRotationSound(CPuzzlePiece::kRotateSound);
  new CPuzzleBehaviourAlign(this, kAlignFlags);
}

CPuzzleGroup::~CPuzzleGroup() = default;

// Mode 0: the group never builds a glow image of its own.
CPuzzleGroupHighlight::CPuzzleGroupHighlight(CRSCanvasItem* group) : CBehaviourHighlight(group, {}, false) {}

CPuzzleGroupHighlight::~CPuzzleGroupHighlight() {
  // The pieces would otherwise keep glowing after the group lost its glow.
  for (CRSCanvasItem* piece : PiecesOf(GetItem())) CBehaviourHighlight::SetHighlight(piece, false);
}

void CPuzzleGroupHighlight::SetOn(bool on) {
  if (on == IsOn()) return;
  StoreOn(on);
  for (CRSCanvasItem* piece : PiecesOf(GetItem())) CBehaviourHighlight::SetHighlight(piece, on);
}

CPuzzleGroupShadow::CPuzzleGroupShadow(CRSCanvasItem* group) : CBehaviourShadow(group, {}, false) {}

CPuzzleGroupShadow::~CPuzzleGroupShadow() = default;

void CPuzzleGroupShadow::SetOn(bool on) {
  if (on == IsOn()) return;
  StoreOn(on);
  for (CRSCanvasItem* piece : PiecesOf(GetItem())) {
    if (CBehaviourShadow* shadow = Find<CBehaviourShadow>(piece)) shadow->SetOn(on);
  }
}

void CPuzzleGroupShadow::SetOffset(const PointF& offset) {
  if (offset.Equals(GetOffset())) return;
  StoreOffset(offset);
  for (CRSCanvasItem* piece : PiecesOf(GetItem())) {
    if (CBehaviourShadow* shadow = Find<CBehaviourShadow>(piece)) shadow->SetOffset(offset);
  }
}
