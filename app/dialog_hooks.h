#pragma once
// How the root object asks the player for a file or a colour.
//
// The commands (background, colour, new puzzle, saving a gift) ask through
// these hooks and carry on in the answer, which always comes later, through
// the event queue or a slot. The defaults show a plain prompt window on the
// root: the title, an edit holding the proposed path (or hexadecimal
// colour), "&OK" and "&Cancel"; saving asks before replacing a file. The
// drawn browsing dialogs replace the defaults here when they are wired in,
// and tests replace them to answer at once.

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

// The default prompt's parsing of a typed colour: "RRGGBB" or "#RRGGBB",
// made opaque. Nothing for anything else.
std::optional<ARGB> ParseHexColour(const std::string& text);

}  // namespace app
