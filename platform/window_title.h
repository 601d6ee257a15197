#pragma once
// The title the desktop shows for a window (task bar, window list), for any
// UTF-8 text.
//
// An X window carries its title twice: the newer UTF-8 field that desktops
// read first, and the older field that holds Latin-1, or compound text for
// characters beyond it. Converting into compound text goes through the
// locale's character type, so the program's character type follows a UTF-8
// locale; numbers, sorting and messages stay in the C locale, so what the
// program writes into files never depends on where it runs.

#include <string>

struct SDL_Window;

namespace platform {

// Switches the character type (only) to a UTF-8 locale, once; false when
// the system has none. Called before the display is opened.
bool UseUtf8CharacterType();

// Holds the key lookups of the window's display to Latin-1 whatever the
// character type, as the platform layer's X code expects them. Called for
// each window once it is made.
void KeepKeyLookupsInLatin1(SDL_Window* window);

// Sets both title fields of the window on X; elsewhere the platform layer's
// own title call is all there is. Bytes that are not UTF-8 are shown as
// replacement marks and line ends as their pictures, so the title is always
// one line of valid text.
void ApplyWindowTitle(SDL_Window* window, const std::string& title);

// The title as it is shown: valid UTF-8 on one line.
std::string ShownWindowTitle(const std::string& title);

}  // namespace platform
