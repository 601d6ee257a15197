#include "platform/font.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <mutex>
#include <strings.h>

#include "platform/font_layout.h"

namespace Gdiplus {

namespace {

// The program's font rules. Its texts ask for Windows families;
// Liberation faces share their metrics, so text keeps the width the layouts
// were made for. Without the rule "Microsoft Sans Serif" falls to a much
// wider face.
constexpr char kFontRules[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <match target="pattern">
    <test qual="any" name="family" ignore-blanks="true"><string>Microsoft Sans Serif</string></test>
    <edit name="family" mode="assign" binding="strong"><string>Liberation Sans</string></edit>
  </match>
  <match target="pattern">
    <test qual="any" name="family" ignore-blanks="true"><string>Arial</string></test>
    <edit name="family" mode="assign" binding="strong"><string>Liberation Sans</string></edit>
  </match>
  <match target="pattern">
    <test qual="any" name="family" ignore-blanks="true"><string>Tahoma</string></test>
    <edit name="family" mode="assign" binding="strong"><string>Liberation Sans</string></edit>
  </match>
  <match target="pattern">
    <test qual="any" name="family" ignore-blanks="true"><string>Times New Roman</string></test>
    <edit name="family" mode="assign" binding="strong"><string>Liberation Serif</string></edit>
  </match>
  <match target="pattern">
    <test qual="any" name="family" ignore-blanks="true"><string>Courier New</string></test>
    <edit name="family" mode="assign" binding="strong"><string>Liberation Mono</string></edit>
  </match>
</fontconfig>
)";

// The family first in line for name after the program's rules, and the
// family of the face fontconfig would actually use.
void Lookup(const std::string& name, std::string* wanted, std::string* found) {
  EnsureFontRules();
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcChar8* family = nullptr;
  if (wanted && FcPatternGetString(pattern, FC_FAMILY, 0, &family) == FcResultMatch)
    *wanted = reinterpret_cast<const char*>(family);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  if (match && found && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch)
    *found = reinterpret_cast<const char*>(family);
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
}

}  // namespace

void EnsureFontRules() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (!FcInit()) return;
    FcConfig* config = FcConfigGetCurrent();
    FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kFontRules), FcTrue);
    // A font map made before the rules were loaded must forget its caches.
    PangoFontMap* map = pango_cairo_font_map_get_default();
    if (PANGO_IS_FC_FONT_MAP(map)) pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(map));
  });
}

std::string ResolveFontFamily(const std::string& name) {
  std::string found;
  Lookup(name, nullptr, &found);
  return found;
}

float PixelsPerUnit(Unit unit) {
  switch (unit) {
    case UnitPoint: return kScreenDpi / 72.0f;
    case UnitInch: return kScreenDpi;
    case UnitDocument: return kScreenDpi / 300.0f;
    case UnitMillimeter: return kScreenDpi / 25.4f;
    default: return 1.0f;
  }
}

Status FontFamily::GetFamilyName(std::string* name) const {
  if (!name) return InvalidParameter;
  *name = m_name;
  return Ok;
}

bool FontFamily::IsAvailable() const {
  if (m_name.empty()) return false;
  std::string wanted, found;
  Lookup(m_name, &wanted, &found);
  return strcasecmp(found.c_str(), wanted.c_str()) == 0 || strcasecmp(found.c_str(), m_name.c_str()) == 0;
}

Font::Font(const std::string& familyName, float emSize, int style, Unit unit)
    : m_family(familyName), m_size(emSize), m_style(style), m_unit(unit) {}

Font::Font(const FontFamily* family, float emSize, int style, Unit unit)
    : m_family(family ? family->GetName() : std::string()), m_size(emSize), m_style(style), m_unit(unit) {}

Status Font::GetFamily(FontFamily* family) const {
  if (!family) return InvalidParameter;
  *family = FontFamily(m_family);
  return Ok;
}

float Font::GetHeight() const {
  if (GetLastStatus() != Ok) return 0.0f;
  text::TextLayout layout(nullptr, "Ag", {m_family, GetSizeInPixels(), m_style}, RectF(), nullptr, true);
  return layout.Box().Height;
}

bool Font::IsAvailable() const { return FontFamily(m_family).IsAvailable(); }

}  // namespace Gdiplus
