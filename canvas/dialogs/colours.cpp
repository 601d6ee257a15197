#include "canvas/dialogs/colours.h"

#include <algorithm>
#include <cmath>

const std::array<ARGB, kPaletteSize>& BasicPalette() {
  static const std::array<ARGB, kPaletteSize> palette = {
      0xFFFF8080, 0xFFFFC080, 0xFFFFFF80, 0xFF80FF80, 0xFF80FFFF, 0xFF8080FF, 0xFFC080FF, 0xFFFF80FF,
      0xFFFF0000, 0xFFFF8000, 0xFFFFFF00, 0xFF00FF00, 0xFF00FFFF, 0xFF0000FF, 0xFF8000FF, 0xFFFF00FF,
      0xFFC00000, 0xFFC06000, 0xFFC0C000, 0xFF00C000, 0xFF00C0C0, 0xFF0000C0, 0xFF6000C0, 0xFFC000C0,
      0xFF800000, 0xFF804000, 0xFF808000, 0xFF008000, 0xFF008080, 0xFF000080, 0xFF400080, 0xFF800080,
      0xFF400000, 0xFF402000, 0xFF404000, 0xFF004000, 0xFF004040, 0xFF000040, 0xFF200040, 0xFF400040,
      0xFF000000, 0xFF242424, 0xFF494949, 0xFF6D6D6D, 0xFF929292, 0xFFB6B6B6, 0xFFDBDBDB, 0xFFFFFFFF,
  };
  return palette;
}

int PaletteIndexOf(ARGB colour) {
  const auto& p = BasicPalette();
  for (int i = 0; i < kPaletteSize; ++i)
    if ((p[i] & 0xFFFFFF) == (colour & 0xFFFFFF)) return i;
  return -1;
}

CRSHsv RgbToHsv(ARGB colour) {
  const double r = Gdiplus::RedOf(colour) / 255.0, g = Gdiplus::GreenOf(colour) / 255.0,
               b = Gdiplus::BlueOf(colour) / 255.0;
  const double max = std::max({r, g, b}), min = std::min({r, g, b});
  const double delta = max - min;
  CRSHsv hsv;
  hsv.value = max;
  if (max <= 0 || delta <= 0) return hsv;
  hsv.saturation = delta / max;
  double h;
  if (max == r) {
    h = (g - b) / delta;
  } else if (max == g) {
    h = 2 + (b - r) / delta;
  } else {
    h = 4 + (r - g) / delta;
  }
  h *= 60;
  if (h < 0) h += 360;
  if (h >= 360) h -= 360;
  hsv.hue = h;
  return hsv;
}

ARGB HsvToRgb(const CRSHsv& hsv) {
  double h = std::isfinite(hsv.hue) ? std::fmod(hsv.hue, 360.0) : 0;
  if (h < 0) h += 360;
  const double s = std::isfinite(hsv.saturation) ? std::clamp(hsv.saturation, 0.0, 1.0) : 0;
  const double v = std::isfinite(hsv.value) ? std::clamp(hsv.value, 0.0, 1.0) : 0;
  const double sector = h / 60;
  const int i = std::min(5, static_cast<int>(sector));
  const double f = sector - i;
  const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  double r, g, b;
  switch (i) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
  }
  auto byte = [](double c) { return static_cast<std::uint8_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255)); };
  return Gdiplus::MakeARGB(0xFF, byte(r), byte(g), byte(b));
}

std::string FormatHexColour(ARGB colour) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out = "#";
  for (int shift = 20; shift >= 0; shift -= 4) out += kDigits[(colour >> shift) & 0xF];
  return out;
}

bool ParseHexColour(std::string_view text, ARGB& colour) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  if (text.size() != 6 && text.size() != 3) return false;
  std::uint32_t rgb = 0;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9') {
      d = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      d = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      d = c - 'A' + 10;
    } else {
      return false;
    }
    // A short form doubles each digit: "#F80" is "#FF8800".
    rgb = text.size() == 3 ? (rgb << 8) | (d * 0x11) : (rgb << 4) | d;
  }
  colour = 0xFF000000u | rgb;
  return true;
}
