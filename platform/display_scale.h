#pragma once
// How many device pixels one unit of the game takes on this screen. The game
// lays out, stores and counts everything in units (one unit is one pixel of
// a 96 dpi screen); only the window, its back buffer and the pictures kept
// for painting are in device pixels.

#include <string>

namespace platform {

// The places a scale is read from, as found.
struct DisplayScaleSources {
  std::string override;     // TANDRILL_SCALE, the player's (and the tests') word
  std::string xResources;   // the X server's resource string (holds Xft.dpi)
  std::string gdkScale;     // GDK_SCALE, the desktop's integer scale
  float displayDpi = 0.0f;  // what the display reports of itself, 0 when nothing
};

// The scale these sources give, first one usable wins: the override, then
// Xft.dpi (96 is 1), then GDK_SCALE, then the display's dpi. Values are
// taken in quarter steps (the display's own dpi, which is often measured
// loosely, in half steps) and kept within 1 to 4; 1 when none is usable.
float ChooseDisplayScale(const DisplayScaleSources& sources);

// The scale of the screen the game runs on, read once (after the video
// system started, so that the display can be asked).
float GetDisplayScale();
// Replaces the scale read (benchmarks and tests draw at chosen scales).
// Views made afterwards use it.
void SetDisplayScale(float scale);

}  // namespace platform
