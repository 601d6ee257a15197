#include "platform/window_shape.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

namespace platform {

bool GetX11Window(SDL_Window* window, Display** display, ::Window* xwindow) {
  if (!window) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  *display = info.info.x11.display;
  *xwindow = info.info.x11.window;
  return *display != nullptr;
}

bool DisplaySupportsShapes(SDL_Window* window) {
  Display* display = nullptr;
  ::Window xwindow = 0;
  if (!GetX11Window(window, &display, &xwindow)) return false;
  int eventBase = 0, errorBase = 0;
  return XShapeQueryExtension(display, &eventBase, &errorBase) != 0;
}

bool ApplyWindowShape(SDL_Window* window, const std::vector<std::uint8_t>& mask, int width, int height) {
  if (width <= 0 || height <= 0 || mask.size() < static_cast<size_t>(width) * height) return false;
  if (!DisplaySupportsShapes(window)) return false;
  Display* display = nullptr;
  ::Window xwindow = 0;
  GetX11Window(window, &display, &xwindow);
  // A one-bit picture, rows padded to whole bytes, lowest bit first.
  const int rowBytes = (width + 7) / 8;
  std::vector<char> bits(static_cast<size_t>(rowBytes) * height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (mask[static_cast<size_t>(y) * width + x]) bits[static_cast<size_t>(y) * rowBytes + x / 8] |= static_cast<char>(1 << (x % 8));
  Pixmap pixmap = XCreateBitmapFromData(display, xwindow, bits.data(), static_cast<unsigned>(width),
                                        static_cast<unsigned>(height));
  if (!pixmap) return false;
  XShapeCombineMask(display, xwindow, ShapeBounding, 0, 0, pixmap, ShapeSet);
  XFreePixmap(display, pixmap);
  XFlush(display);
  return true;
}

}  // namespace platform
