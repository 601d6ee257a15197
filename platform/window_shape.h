#pragma once
// Window outlines on displays that have them: the X server's shape extension
// cuts the window to a mask, so a rounded root gives a rounded window.

#include <cstdint>
#include <vector>

struct SDL_Window;
struct _XDisplay;

namespace platform {

// The X display and window behind an SDL window; false on displays that are
// not X (Wayland, the dummy driver).
bool GetX11Window(SDL_Window* window, _XDisplay** display, unsigned long* xwindow);

// True when this window's display can give windows an outline of their own.
bool DisplaySupportsShapes(SDL_Window* window);

// Cuts the window to the mask: one byte a pixel, non-zero inside, rows of
// `width` bytes. False when the display cannot.
bool ApplyWindowShape(SDL_Window* window, const std::vector<std::uint8_t>& mask, int width, int height);

}  // namespace platform
