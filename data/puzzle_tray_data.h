#pragma once
// CPuzzleTrayData: a tray of the play room as the puzzle file keeps it: its
// title, where its window stood and how large it was, its scale, and the
// cells of the pieces lying in it (each piece's place inside the tray is its
// own record's, measured in the tray). A file without trays has none; a
// puzzle without trays writes none, so its file stays as it was.

#include <string>
#include <vector>

#include "platform/types.h"

struct CPuzzleTrayData {
  // A file names at most this many trays; the rest are not read.
  static constexpr std::size_t kMaxTrays = 64;

  std::string title;
  // The window, in the floor's coordinates.
  RectF place;
  float scale = 0.5f;
  // Column and row of each piece in the tray.
  std::vector<Point> cells;
};
