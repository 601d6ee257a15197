#pragma once
// A new player's first start: instead of an empty floor, a category
// "Samples" with three ready puzzles drawn by the game itself, the first of
// them selected so that Play works at once. They are made once: a marker in
// the data folder remembers it, so puzzles the player deletes stay deleted.

#include <string>

class CPuzzleLibrary;

namespace app {

inline constexpr const char* kSampleCategory = "Samples";
inline constexpr const char* kSamplesMarker = "samples.made";

// True when the samples were made now: the library is empty, no library
// file was found and the marker is missing. The puzzle files are written
// into the data folder; the entries go into the library.
bool AddSamplePuzzlesOnFirstStart(CPuzzleLibrary& library, bool libraryFileWasMissing);

}  // namespace app
