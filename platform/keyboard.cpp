#include "platform/keyboard.h"

#include <SDL.h>

#include "platform/messages.h"

namespace platform {

unsigned CurrentModifierFlags() {
  const SDL_Keymod mod = SDL_GetModState();
  unsigned flags = 0;
  if (mod & KMOD_SHIFT) flags |= kKeyStateShift;
  if (mod & KMOD_CTRL) flags |= kKeyStateControl;
  return flags;
}

void SetCurrentModifierFlags(unsigned flags) {
  int mod = KMOD_NONE;
  if (flags & kKeyStateShift) mod |= KMOD_LSHIFT;
  if (flags & kKeyStateControl) mod |= KMOD_LCTRL;
  SDL_SetModState(static_cast<SDL_Keymod>(mod));
}

unsigned VirtualKeyFromKeycode(std::int32_t keycode) {
  if (keycode >= SDLK_a && keycode <= SDLK_z) return 'A' + static_cast<unsigned>(keycode - SDLK_a);
  if (keycode >= SDLK_0 && keycode <= SDLK_9) return '0' + static_cast<unsigned>(keycode - SDLK_0);
  if (keycode >= SDLK_F1 && keycode <= SDLK_F12) return kVkF1 + static_cast<unsigned>(keycode - SDLK_F1);
  if (keycode >= SDLK_KP_1 && keycode <= SDLK_KP_9) return kVkNumpad1 + static_cast<unsigned>(keycode - SDLK_KP_1);
  switch (keycode) {
    case SDLK_KP_0: return kVkNumpad0;
    case SDLK_BACKSPACE: return kVkBack;
    case SDLK_TAB: return kVkTab;
    case SDLK_RETURN: case SDLK_KP_ENTER: return kVkReturn;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return kVkShift;
    case SDLK_LCTRL: case SDLK_RCTRL: return kVkControl;
    case SDLK_LALT: case SDLK_RALT: return kVkMenu;
    case SDLK_PAUSE: return kVkPause;
    case SDLK_CAPSLOCK: return kVkCapital;
    case SDLK_ESCAPE: return kVkEscape;
    case SDLK_SPACE: return kVkSpace;
    case SDLK_PAGEUP: return kVkPrior;
    case SDLK_PAGEDOWN: return kVkNext;
    case SDLK_END: return kVkEnd;
    case SDLK_HOME: return kVkHome;
    case SDLK_LEFT: return kVkLeft;
    case SDLK_UP: return kVkUp;
    case SDLK_RIGHT: return kVkRight;
    case SDLK_DOWN: return kVkDown;
    case SDLK_INSERT: return kVkInsert;
    case SDLK_DELETE: return kVkDelete;
    case SDLK_KP_MULTIPLY: return kVkMultiply;
    case SDLK_KP_PLUS: return kVkAdd;
    case SDLK_KP_MINUS: return kVkSubtract;
    case SDLK_KP_PERIOD: return kVkDecimal;
    case SDLK_KP_DIVIDE: return kVkDivide;
    case SDLK_SEMICOLON: return kVkOemSemicolon;
    case SDLK_EQUALS: case SDLK_PLUS: return kVkOemPlus;
    case SDLK_COMMA: return kVkOemComma;
    case SDLK_MINUS: return kVkOemMinus;
    case SDLK_PERIOD: return kVkOemPeriod;
    case SDLK_SLASH: return kVkOemSlash;
    case SDLK_BACKQUOTE: return kVkOemBackquote;
    case SDLK_LEFTBRACKET: return kVkOemOpenBracket;
    case SDLK_BACKSLASH: return kVkOemBackslash;
    case SDLK_RIGHTBRACKET: return kVkOemCloseBracket;
    case SDLK_QUOTE: return kVkOemQuote;
    default: return 0;
  }
}

std::intptr_t MakeKeyData(unsigned scancode, bool altDown, bool repeat, bool release) {
  std::uint32_t data = 1u | ((scancode & 0xFFu) << 16);
  if (altDown) data |= 1u << 29;
  if (repeat || release) data |= 1u << 30;
  if (release) data |= 1u << 31;
  return static_cast<std::intptr_t>(data);
}

}  // namespace platform
