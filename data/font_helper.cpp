#include "data/font_helper.h"

#include "data/xml_text.h"
#include "data/xml_writer.h"

namespace {

struct StyleWord {
  int bit;
  std::string_view word;
};

// The order the words are written in.
constexpr StyleWord kStyleWords[] = {
    {CRSFontHelper::kStyleBold, "bold"},
    {CRSFontHelper::kStyleItalic, "italic"},
    {CRSFontHelper::kStyleUnderline, "underline"},
    {CRSFontHelper::kStyleStrikeout, "strikeout"},
};

}  // namespace

void CRSFontHelper::OnElement(const std::string& name, const CRSXMLParser::Attributes&,
                              const std::string& text) {
  // The font element itself: a font written without a style line is a
  // regular one, so the style starts from nothing rather than keeping
  // whatever this helper held before.
  if (GetDepth() == 1 && xmltext::EqualsNoCase(name, GetOpeningName())) {
    m_style = kStyleRegular;
    return;
  }
  const std::string key = xmltext::ToLower(name);
  if (key == "name") {
    m_family = text;
  } else if (key == "size") {
    xmltext::ParseFloat(text, m_size);
  } else if (key == "style") {
    const std::string words = xmltext::ToLower(text);
    m_style = kStyleRegular;
    for (const StyleWord& s : kStyleWords)
      if (words.find(s.word) != std::string::npos) m_style |= s.bit;
  }
}

void CRSFontHelper::Write(CRSXMLWriter& out, std::string_view tag) const {
  out.StartTag(tag);
  out.LeafEscaped("name", m_family);
  out.LeafReal("size", m_size);
  std::string words;
  for (const StyleWord& s : kStyleWords) {
    if (m_style & s.bit) {
      words += s.word;
      words += ' ';
    }
  }
  if (!words.empty()) out.Leaf("style", words);
  out.EndTag(tag);
}
