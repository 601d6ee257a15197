#include "app/library_check.h"

namespace app {

bool CheckGraphicsLibrary() {
  // The drawing libraries are linked into the program, so the loader has
  // already refused to start without them; nothing is left to check here.
  return true;
}

}  // namespace app
