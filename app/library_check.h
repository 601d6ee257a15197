#pragma once
// The check for required platform libraries that runs before anything else.

namespace app {

// Checks that the 2-D graphics library can be used; false ends the process
// with exit code -1 before any window exists.
bool CheckGraphicsLibrary();

}  // namespace app
