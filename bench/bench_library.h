#pragma once
// Shared inputs of the benchmarks.

#include <memory>
#include <string>

#include "platform/bitmap.h"

namespace bench {

// An opaque picture of the given size with a pattern that depends on seed,
// so that no two seeds compress alike.
std::shared_ptr<Gdiplus::Bitmap> Picture(int w, int h, int seed);

// The path of a library file of 1,000 puzzle entries (120 x 90 thumbnails,
// half of them in 20 categories), written once per process into the data
// folder.
const std::string& LibraryOf1000Path();
// The same with `puzzles` entries (and one category for every fifty, at
// least one), written once per process and count.
std::string LibraryPath(int puzzles);

// Writes into `folder` (a data folder) a library of one selected, unplayed
// puzzle of a width x height picture cut into pieces of `pieceSize`, and
// its puzzle file. False when either could not be written.
bool WritePlayableLibrary(const std::string& folder, int width, int height, int pieceSize);

}  // namespace bench
