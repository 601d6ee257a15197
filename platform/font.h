#pragma once
// Fonts of the graphics facade. A font names a family, a size and style
// bits; the text stack (Pango over fontconfig) finds the face. The program's
// own font rules are loaded before the first font is used, so the Windows
// family names the program asks for ("Times New Roman", "Arial", "Microsoft
// Sans Serif") resolve to metric-compatible faces.

#include <string>

#include "platform/matrix.h"

namespace Gdiplus {

enum Unit {
  UnitWorld = 0,
  UnitDisplay = 1,
  UnitPixel = 2,
  UnitPoint = 3,
  UnitInch = 4,
  UnitDocument = 5,
  UnitMillimeter = 6,
};

enum FontStyle {
  FontStyleRegular = 0,
  FontStyleBold = 1,
  FontStyleItalic = 2,
  FontStyleBoldItalic = 3,
  FontStyleUnderline = 4,
  FontStyleStrikeout = 8,
};

// The resolution the program lays text out for, in dots per inch.
inline constexpr float kScreenDpi = 96.0f;

// Pixels per unit at the screen resolution (world and display units count
// as pixels).
float PixelsPerUnit(Unit unit);

class FontFamily {
 public:
  FontFamily() = default;
  explicit FontFamily(const std::string& name) : m_name(name) {}
  const std::string& GetName() const { return m_name; }
  Status GetFamilyName(std::string* name) const;
  // Whether fontconfig has a face for this family, by the program's rules.
  bool IsAvailable() const;
  Status GetLastStatus() const { return m_name.empty() ? FontFamilyNotFound : Ok; }

 private:
  std::string m_name;
};

class Font {
 public:
  Font(const std::string& familyName, float emSize, int style = FontStyleRegular, Unit unit = UnitPoint);
  Font(const FontFamily* family, float emSize, int style = FontStyleRegular, Unit unit = UnitPoint);
  Font* Clone() const { return new Font(*this); }

  const std::string& GetFamilyName() const { return m_family; }
  Status GetFamily(FontFamily* family) const;
  float GetSize() const { return m_size; }
  int GetStyle() const { return m_style; }
  Unit GetUnit() const { return m_unit; }
  // The em size in pixels at the screen resolution.
  float GetSizeInPixels() const { return m_size * PixelsPerUnit(m_unit); }
  // The distance between lines of text in pixels.
  float GetHeight() const;
  bool IsAvailable() const;
  Status GetLastStatus() const { return m_size > 0 && !m_family.empty() ? Ok : InvalidParameter; }

 private:
  std::string m_family;
  float m_size = 0;
  int m_style = FontStyleRegular;
  Unit m_unit = UnitPoint;
};

// Loads the program's font rules into fontconfig once (further calls do
// nothing); every font entry point calls it, and start-up may call it early.
void EnsureFontRules();

// The family that fontconfig picks for a name, after the program's rules.
std::string ResolveFontFamily(const std::string& name);

}  // namespace Gdiplus

using Gdiplus::Font;
using Gdiplus::FontFamily;
using Gdiplus::FontStyle;
using Gdiplus::FontStyleBold;
using Gdiplus::FontStyleItalic;
using Gdiplus::FontStyleRegular;
using Gdiplus::FontStyleStrikeout;
using Gdiplus::FontStyleUnderline;
using Gdiplus::Unit;
using Gdiplus::UnitPixel;
using Gdiplus::UnitPoint;
