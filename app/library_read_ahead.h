#pragma once
// The library file read on a thread of its own while the main window is
// made: with a thousand puzzles the read is a sixth of the start, and the
// window's making (the display's connection, the frame) does not need it.
//
// The read goes into a library and a control style of its own; the root
// takes both over on the user-interface thread once it is ready for them,
// so nothing the window reads meanwhile is written under it.

#include <memory>
#include <optional>

#include "data/library.h"

namespace app {

struct LibraryRead {
  std::unique_ptr<CPuzzleLibrary> library;
  CPuzzleLibrary::LoadResult result;
};

// Starts reading the data folder's library file. Call once, on the
// user-interface thread, after the default style is installed.
void StartReadingLibraryAhead();

// Waits for the read started above and hands it over, with the style it
// read made the current style's values; nothing when no read was started
// or the data folder has changed since (tests point it elsewhere).
std::optional<LibraryRead> TakeLibraryReadAhead();

// Waits for a read that nobody took (the window could not be made).
void DropLibraryReadAhead();

}  // namespace app
