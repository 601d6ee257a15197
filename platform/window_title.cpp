#include "platform/window_title.h"

#include <SDL.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <langinfo.h>

#include <clocale>
#include <cstring>

#include "platform/folders.h"
#include "platform/window_shape.h"

namespace platform {
namespace {

bool CharacterTypeIsUtf8() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

}  // namespace

bool UseUtf8CharacterType() {
  static const bool s_utf8 = [] {
    if (CharacterTypeIsUtf8()) return true;
    // The first is built into the C library on current systems; the others
    // are for older ones where it is a locale to install.
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (std::setlocale(LC_CTYPE, name) && CharacterTypeIsUtf8()) return true;
    }
    std::setlocale(LC_CTYPE, "C");
    return false;
  }();
  return s_utf8;
}

void KeepKeyLookupsInLatin1(SDL_Window* window) {
  Display* display = nullptr;
  ::Window xwindow = 0;
  if (!GetX11Window(window, &display, &xwindow)) return;
  // Under a UTF-8 character type the display's key lookup gives a letter
  // such as "ü" as two bytes of UTF-8. SDL 2.26's X code takes what that
  // lookup gives for Latin-1 and converts it once more: "ü" becomes four
  // bytes without an end mark, which it then reads past, on every release
  // of such a key. Typed text comes through the input method, which takes
  // a key's own character when the lookup gives a Latin-1 byte or nothing,
  // so Latin-1 lookups lose no letter. The setting is this connection's
  // alone; the titles' conversion keeps the UTF-8 type.
  XkbSetXlibControls(display, XkbLC_ForceLatin1Lookup, XkbLC_ForceLatin1Lookup);
}

std::string ShownWindowTitle(const std::string& title) { return DisplayName(title); }

void ApplyWindowTitle(SDL_Window* window, const std::string& title) {
  Display* display = nullptr;
  ::Window xwindow = 0;
  if (!GetX11Window(window, &display, &xwindow)) return;
  // The platform layer converts through the locale and, when a character
  // does not convert, leaves the newer field as it was; both fields are
  // therefore written here, from the text itself.
  const std::string shown = ShownWindowTitle(title);
  char* list[] = {const_cast<char*>(shown.c_str())};
  XTextProperty older{};
  // Latin-1 when every character has a place in it, compound text
  // otherwise; a positive answer counts characters that had none, which
  // still leaves the rest of the title readable.
  if (Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &older) >= 0) {
    XSetWMName(display, xwindow, &older);
    XFree(older.value);
  }
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  const Atom newer = XInternAtom(display, "_NET_WM_NAME", False);
  XChangeProperty(display, xwindow, newer, utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(shown.data()), static_cast<int>(shown.size()));
  XFlush(display);
}

}  // namespace platform
