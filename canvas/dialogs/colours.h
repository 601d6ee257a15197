#pragma once
// Colour arithmetic of the colour dialog: the 48 basic colours of its
// palette, and conversions between the hexadecimal field, RGB and the
// hue/saturation field with its brightness slider (HSV).
//
// HSV is kept in doubles so that RGB -> HSV -> RGB gives back exactly the
// colour it started from, for every 24-bit colour; the dialog rounds only
// when it shows numbers.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/types.h"

struct CRSHsv {
  double hue = 0;         // degrees, 0 <= hue < 360
  double saturation = 0;  // 0 to 1
  double value = 0;       // brightness, 0 to 1
};

inline constexpr int kPaletteColumns = 8;
inline constexpr int kPaletteRows = 6;
inline constexpr int kPaletteSize = kPaletteColumns * kPaletteRows;

// The basic colours, row by row: light tints, full colours, three darker
// shades of the same eight hues (red, orange, yellow, green, cyan, blue,
// violet, magenta), and a row of greys from black to white. Opaque ARGB.
const std::array<ARGB, kPaletteSize>& BasicPalette();

// The palette index of a colour (its alpha ignored), or -1.
int PaletteIndexOf(ARGB colour);

// RGB (alpha ignored) to HSV. Grey colours get hue 0 and saturation 0.
CRSHsv RgbToHsv(ARGB colour);
// HSV to opaque RGB; out-of-range inputs are wrapped (hue) or clamped.
ARGB HsvToRgb(const CRSHsv& hsv);

// "#RRGGBB" in upper case; alpha is not shown.
std::string FormatHexColour(ARGB colour);
// Reads "#RRGGBB", "RRGGBB", "#RGB" or "RGB" (either case, blanks around it
// allowed) into an opaque colour; false for anything else.
bool ParseHexColour(std::string_view text, ARGB& colour);
