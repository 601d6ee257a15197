#pragma once
// The background behind every room: the background picture tiled (or plain
// white without one), and over it a gradient of the player's colour running
// diagonally across a square as large as the window's longer side, so the
// light falls the same way whatever the window's shape.

#include <cstdint>
#include <memory>

#include "platform/types.h"

namespace Gdiplus {
class Bitmap;
class Brush;
}

namespace app {

// The alphas the gradient runs between: faint in the top-left corner, nearly
// opaque in the bottom-right one.
inline constexpr std::uint8_t kGradientAlphaStart = 0x30;
inline constexpr std::uint8_t kGradientAlphaEnd = 0xF0;

// A tiled texture of the picture, or opaque white when there is no picture
// or it is empty.
std::shared_ptr<Gdiplus::Brush> MakeBackgroundBrush(const Gdiplus::Bitmap* picture);

// The side d of the gradient's square for a window size: the longer side,
// rounded to the nearest whole number (halves away from zero).
int GradientSide(const SizeF& windowSize);

// The gradient from (0, 0) to (d, d), tiled, from the colour (its low 24
// bits) at kGradientAlphaStart to the colour at kGradientAlphaEnd.
std::shared_ptr<Gdiplus::Brush> MakeGradientBrush(std::uint32_t rgb, const SizeF& windowSize);

}  // namespace app
