#pragma once
// Translation of SDL key codes into the program's virtual-key codes.

#include <cstdint>

namespace platform {

// The virtual-key code for an SDL key code, or 0 when the key has none.
unsigned VirtualKeyFromKeycode(std::int32_t keycode);

// The second parameter of a key message: repeat count 1, the scan code in
// bits 16-23, bit 29 while Alt is held, bit 30 for a repeat or a release,
// bit 31 for a release.
std::intptr_t MakeKeyData(unsigned scancode, bool altDown, bool repeat, bool release);

// The Shift and Ctrl keys held now, as kKeyStateShift and kKeyStateControl.
unsigned CurrentModifierFlags();
// Makes the keyboard read as if exactly those modifiers were held, until the
// next real key changes them (a scene that presses Shift+Tab without a
// keyboard).
void SetCurrentModifierFlags(unsigned flags);

}  // namespace platform
