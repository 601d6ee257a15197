#pragma once
// The state of the table as its history keeps it: for every piece, where it
// lies (on the table or in a tray), the group it belongs to, its place and
// turn (for a piece in a group, its group's) and which of its sides are
// joined; for every tray, whether it is open, its title and its zoom.
//
// A step of the history is the few records a table action changed, taken
// before and after it. Restoring records rebuilds exactly the groups they
// name, with the connected flags as they were, and leaves every other piece
// alone; a group whose place did not change is kept rather than made anew.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/types.h"

class CPuzzleTable;
class CRSCanvasItem;

struct TablePieceState {
  // Where the piece (or its group) lies: on the table, in the tray of that
  // number, or nowhere (the piece is gone).
  static constexpr int kOnTable = 0;
  static constexpr int kNowhere = -1;

  int container = kNowhere;
  // The index of the first piece of the piece's group; a loose piece is its
  // own leader (and the only piece that names it).
  int leader = -1;
  // The item's own origin, position and rotation in its container: a loose
  // piece's, or its group's. Kept exactly, so that restored places save as
  // the same numbers.
  PointF origin;
  PointF position;
  float rotation = 0.0f;
  // Bit i: the piece's neighbour slot i is joined.
  std::uint8_t joined = 0;

  bool operator==(const TablePieceState& other) const {
    return container == other.container && leader == other.leader && origin.X == other.origin.X &&
           origin.Y == other.origin.Y && position.X == other.position.X && position.Y == other.position.Y &&
           rotation == other.rotation && joined == other.joined;
  }
  // The same place for the player: the same container, group and joins,
  // and a top-left corner and turn within a hundredth of a unit (a click
  // that moves an item's origin but not the item changes no state).
  bool LooksLike(const TablePieceState& other) const;
};

struct TableTrayState {
  int serial = 0;
  bool open = false;
  std::string title;
  float scale = 0.0f;
  // Where a tray that is opened again comes back; a tray moved or resized
  // by the player is not a step.
  RectF place;

  bool LooksLike(const TableTrayState& other) const {
    return serial == other.serial && open == other.open && title == other.title && scale == other.scale;
  }
};

struct TableState {
  std::vector<TablePieceState> pieces;  // one per piece of the room, in grid order
  std::vector<TableTrayState> trays;    // by tray number, open ones and closed ones
};

namespace table_state {

// The table's state now. Items the player holds are taken where they are.
TableState Capture(CPuzzleTable& table);

// Gives the pieces named in `targets` (index, state) and the trays named in
// `trays` those states. `current` must be the table's state now: the other
// pieces of the groups touched keep theirs. Returns the top items (pieces
// and groups) that now hold a restored piece.
std::vector<CRSCanvasItem*> Restore(CPuzzleTable& table, const TableState& current,
                                    const std::vector<std::pair<int, TablePieceState>>& targets,
                                    const std::vector<TableTrayState>& trays);

// Whether every piece lies in exactly one place (the table, a tray or a
// group on either) and every group is whole: its pieces are exactly those
// joined to each other, and no loose piece has a joined side.
bool IsConsistent(CPuzzleTable& table);

}  // namespace table_state
