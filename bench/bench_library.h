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

}  // namespace bench
