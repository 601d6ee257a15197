#pragma once
// Shared inputs of the benchmarks.

#include <string>

namespace bench {

// The path of a library file of 1,000 puzzle entries (120 x 90 thumbnails,
// half of them in 20 categories), written once per process into the data
// folder.
const std::string& LibraryOf1000Path();

}  // namespace bench
