#include "data/control_styles_default.h"

#include "data/xml_text.h"
#include "data/xml_writer.h"

namespace {

CRSFontHelper ToHelper(const CRSStyleFont& font) { return CRSFontHelper(font.family, font.size, font.style); }

CRSStyleFont FromHelper(const CRSFontHelper& helper) {
  CRSStyleFont font;
  font.family = helper.GetFamily();
  font.size = helper.GetSize();
  font.style = helper.GetStyle();
  return font;
}

// One attribute of a "styledata" element: the key it carries and where the
// value goes; colours are read as "0x%x", sizes as "%f".
struct ColourKey {
  const char* name;
  uint32_t CRSControlStyleValues::*field;
};
struct SizeKey {
  const char* name;
  float CRSControlStyleValues::*field;
};

constexpr ColourKey kStaticColours[] = {{"color-text", &CRSControlStyleValues::staticTextColor}};
constexpr ColourKey kButtonColours[] = {
    {"color-background", &CRSControlStyleValues::buttonBackground},
    {"color-background-up", &CRSControlStyleValues::buttonBackgroundUp},
    {"color-background-down", &CRSControlStyleValues::buttonBackgroundDown},
    {"color-background-disabled", &CRSControlStyleValues::buttonBackgroundDisabled},
    {"color-text", &CRSControlStyleValues::buttonText},
    {"color-text-disabled", &CRSControlStyleValues::buttonTextDisabled},
};
constexpr SizeKey kButtonSizes[] = {{"height", &CRSControlStyleValues::buttonHeight}};
constexpr ColourKey kWindowColours[] = {
    {"color-background", &CRSControlStyleValues::windowBackground},
    {"color-background-title", &CRSControlStyleValues::windowBackgroundTitle},
    {"color-border", &CRSControlStyleValues::windowBorder},
    {"color-text", &CRSControlStyleValues::windowText},
};
constexpr SizeKey kWindowSizes[] = {
    {"height-title", &CRSControlStyleValues::windowHeightTitle},
    {"height-tool-title", &CRSControlStyleValues::windowHeightToolTitle},
    {"width-button", &CRSControlStyleValues::windowWidthButton},
    {"margin", &CRSControlStyleValues::windowMargin},
};

template <size_t N>
void WriteColours(CRSXMLWriter& out, const CRSControlStyleValues& v, const ColourKey (&keys)[N]) {
  for (const ColourKey& k : keys) out.Printf("<styleData %s=\"0x%x\" />\n", k.name, static_cast<unsigned>(v.*k.field));
}

}  // namespace

CRSControlStylesDefault::CRSControlStylesDefault() { SetReceivesOpeningElement(true); }

CRSControlStylesDefault::CRSControlStylesDefault(const CRSControlStyleValues& values) {
  SetReceivesOpeningElement(true);
  SetValues(values);
}

CRSControlStylesDefault::~CRSControlStylesDefault() = default;

std::shared_ptr<CRSControlStylesDefault> CRSControlStylesDefault::Install() {
  auto style = std::make_shared<CRSControlStylesDefault>();
  CRSControlStyles::SetCurrent(style);
  return style;
}

void CRSControlStylesDefault::Write(CRSXMLWriter& out) {
  const CRSControlStyleValues& v = GetValues();
  const std::string name(GetElementName());
  out.Printf("<%s>\n", name.c_str());
  out.Printf("<rounded_corners_radius>%.2f</rounded_corners_radius>\n", v.roundedCornersRadius);
  out.Write("<static-text>\n");
  WriteColours(out, v, kStaticColours);
  ToHelper(v.staticTextFont).Write(out, CRSFontHelper::kTag);
  out.Write("</static-text>\n");
  out.Write("<button>\n");
  WriteColours(out, v, kButtonColours);
  out.Printf("<styleData height=\"%f\" />\n", v.buttonHeight);
  ToHelper(v.buttonFont).Write(out, CRSFontHelper::kTag);
  out.Write("</button>\n");
  out.Write("<window>\n");
  WriteColours(out, v, kWindowColours);
  for (const SizeKey& k : kWindowSizes) out.Printf("<styleData %s=\"%.2f\" />\n", k.name, v.*k.field);
  ToHelper(v.windowFont).Write(out, CRSFontHelper::kTag);
  out.Write("</window>\n");
  out.Printf("</%s>\n", name.c_str());
}

CRSFontHelper* CRSControlStylesDefault::FontOf(Group group) {
  switch (group) {
    case Group::kStaticText: return &m_staticFont;
    case Group::kButton: return &m_buttonFont;
    case Group::kWindow: return &m_windowFont;
    case Group::kNone: break;
  }
  return nullptr;
}

void CRSControlStylesDefault::BeginReading() {
  const CRSControlStyleValues& v = GetValues();
  m_staticFont = ToHelper(v.staticTextFont);
  m_buttonFont = ToHelper(v.buttonFont);
  m_windowFont = ToHelper(v.windowFont);
  m_group = Group::kNone;
  m_reading = true;
}

void CRSControlStylesDefault::FinishReading() {
  if (!m_reading) return;
  CRSControlStyleValues& v = MutableValues();
  v.staticTextFont = FromHelper(m_staticFont);
  v.buttonFont = FromHelper(m_buttonFont);
  v.windowFont = FromHelper(m_windowFont);
  // Whatever a stranger's file held, what is drawn stays within range.
  SetValues(v);
  m_group = Group::kNone;
  m_reading = false;
}

void CRSControlStylesDefault::ReadStyleData(const CRSXMLParser::Attributes& attributes) {
  CRSControlStyleValues& v = MutableValues();
  auto readColours = [&](const auto& keys, const std::string& key, const std::string& value) {
    for (const ColourKey& k : keys)
      if (key == k.name) xmltext::ParseHex(value, v.*k.field);
  };
  auto readSizes = [&](const auto& keys, const std::string& key, const std::string& value) {
    for (const SizeKey& k : keys)
      if (key == k.name) xmltext::ParseFloat(value, v.*k.field);
  };
  for (const auto& [rawKey, value] : attributes) {
    const std::string key = xmltext::ToLower(rawKey);
    switch (m_group) {
      case Group::kStaticText: readColours(kStaticColours, key, value); break;
      case Group::kButton:
        readColours(kButtonColours, key, value);
        readSizes(kButtonSizes, key, value);
        break;
      case Group::kWindow:
        readColours(kWindowColours, key, value);
        readSizes(kWindowSizes, key, value);
        break;
      case Group::kNone: break;
    }
  }
}

void CRSControlStylesDefault::OnElement(const std::string& rawName, const CRSXMLParser::Attributes& attributes,
                                        const std::string& text) {
  const std::string name = xmltext::ToLower(rawName);
  if (name == GetElementName()) {
    // The element itself (re)starts a read; a nested one of the same name
    // is just another unknown element.
    if (!m_reading || GetDepth() <= 1) BeginReading();
    return;
  }
  if (!m_reading) BeginReading();
  if (name == "rounded_corners_radius") {
    xmltext::ParseFloat(text, MutableValues().roundedCornersRadius);
  } else if (name == "static-text") {
    m_group = Group::kStaticText;
  } else if (name == "button") {
    m_group = Group::kButton;
  } else if (name == "window") {
    m_group = Group::kWindow;
  } else if (name == "styledata") {
    ReadStyleData(attributes);
  } else if (name == CRSFontHelper::kTag) {
    CRSFontHelper* font = FontOf(m_group);
    if (font && GetParser()) GetParser()->PushHandler(font);
  }
}

void CRSControlStylesDefault::OnEndElement(const std::string& rawName) {
  const std::string name = xmltext::ToLower(rawName);
  if (name == "static-text" || name == "button" || name == "window") m_group = Group::kNone;
  else if (name == GetElementName() && GetDepth() <= 1) FinishReading();
}

void CRSControlStylesDefault::OnDone() { FinishReading(); }
