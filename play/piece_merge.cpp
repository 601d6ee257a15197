// Joining two pieces, and with them the groups they belong to.

#include <vector>

#include "canvas/behaviours.h"
#include "play/group.h"
#include "play/piece.h"

namespace {

std::vector<CPuzzlePiece*> Component(CPuzzlePiece* piece) {
  CPuzzlePiece::PieceSet visited;
  piece->CollectConnected(visited);
  return {visited.begin(), visited.end()};
}

}  // namespace

void PlaceInGroup(CPuzzlePiece* piece, CPuzzleGroup* group) {
  piece->SetOrigin(piece->GetAnchor());
  piece->SetParent(group);
  piece->SetZOrder(CRSCanvasItem::kZOrderDefault);
  piece->SetRotation(0.0f);
  piece->SetPosition(piece->GetCellCentre());
}

void MergePieces(CPuzzlePiece* a, CPuzzlePiece* b) {
  if (!a || !b || a == b) return;
  // Half-way through, a group's extent holds pieces and shadows not yet in
  // their places in it (a shadow still where its piece lay on the table):
  // kept inside the table by that extent, a group low on a large table
  // would be pushed away from where its pieces lie.
  const CBehaviourAlign::Hold hold;

  // The keeper stays where it is; the joiner comes to it. A piece already in
  // a group keeps that group, the neighbour's group first.
  CPuzzlePiece* keeper = a;
  CPuzzlePiece* joiner = b;
  CPuzzleGroup* target = nullptr;
  if (auto* group = dynamic_cast<CPuzzleGroup*>(b->GetParent())) {
    target = group;
    keeper = b;
    joiner = a;
  } else if (auto* groupA = dynamic_cast<CPuzzleGroup*>(a->GetParent())) {
    target = groupA;
  }

  // The pieces the joiner comes to. A group holds exactly the pieces joined
  // to each other, so its members are told by their parent: gathering them
  // would make every join cost the size of the group it joins.
  CPuzzlePiece::PieceSet keeperSet;
  if (!target) {
    const std::vector<CPuzzlePiece*> keepers = Component(keeper);
    keeperSet.insert(keepers.begin(), keepers.end());
  }
  const auto isKeeper = [&keeperSet, group = target](const CPuzzlePiece* piece) {
    return group ? piece->GetParent() == group : keeperSet.count(const_cast<CPuzzlePiece*>(piece)) > 0;
  };
  if (isKeeper(joiner)) return;

  // The joiner's old group is taken off the canvas now and deleted only
  // later: a drag or a put-down of that group may still be on the stack.
  CRSWeakRef<CPuzzleGroup> oldGroup(dynamic_cast<CPuzzleGroup*>(joiner->GetParent()));
  if (oldGroup) oldGroup->SetParent(nullptr);

  const std::vector<CPuzzlePiece*> joiners = Component(joiner);

  const bool newGroup = target == nullptr;
  if (newGroup) {
    // The group is placed so that the keeper, put into it at its cell
    // centre, lands exactly where it lies now.
    target = new CPuzzleGroup();
    target->SetRotation(keeper->GetRotation());
    keeper->SetZOrder(CRSCanvasItem::kZOrderDefault);
    keeper->SetOrigin(keeper->GetAnchor());
    target->SetOrigin(keeper->GetCellCentre());
    target->SetPosition(keeper->GetPosition());
  }

  for (CPuzzlePiece* piece : joiners) {
    for (const CPuzzlePiece::NeighbourSlot& slot : piece->GetNeighbourSlots()) {
      CPuzzlePiece* other = slot.piece.get();
      if (other && isKeeper(other)) piece->SetConnected(other, true);
    }
    PlaceInGroup(piece, target);
  }

  if (newGroup) {
    CRSObject* area = keeper->GetParent();
    PlaceInGroup(keeper, target);
    target->SetParent(area);
  }

  if (CPuzzleGroup* emptied = oldGroup.get()) emptied->DeleteLater();
}
