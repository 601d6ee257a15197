#pragma once
// How the root object asks the player for a file or a colour.
//
// The commands (background, colour, new puzzle, saving a gift) ask through
// these hooks and carry on in the answer, which comes later, through the
// event queue. The defaults open the drawn dialogs on the root's client
// area; tests replace them to answer at once. Every question is answered
// exactly once: a dialog that goes without an answer answers "cancelled".

#include <functional>
#include <optional>
#include <string>

#include "canvas/dialogs/dialog_requests.h"
#include "platform/types.h"

class CRSControlWindow;

namespace app {

// The chosen path, or an empty string when the player cancelled.
using FileAnswer = std::function<void(const std::string& path)>;
// The chosen colour, or nothing when the player cancelled.
using ColourAnswer = std::function<void(std::optional<ARGB> colour)>;

struct DialogHooks {
  std::function<void(CRSControlWindow* root, const CRSOpenFileRequest&, FileAnswer)> openFile;
  std::function<void(CRSControlWindow* root, const CRSSaveFileRequest&, FileAnswer)> saveFile;
  std::function<void(CRSControlWindow* root, const CRSColourRequest&, ColourAnswer)> chooseColour;
};

// The hooks in force (the defaults until replaced).
DialogHooks& Dialogs();
// Puts the defaults back.
void ResetDialogs();

}  // namespace app
