#pragma once
// A font as the files describe it: family, size in points and style bits.
// It only holds the values; the drawing code builds its own font from them.
//
//   <font>
//   <name>Arial</name>
//   <size>9.00</size>
//   <style>bold italic </style>      (only when a bit is set)
//   </font>

#include <string>
#include <string_view>

#include "data/xml.h"

class CRSFontHelper : public CRSXMLParser::XHandler {
 public:
  static constexpr std::string_view kTag = "font";

  // Style bits, the same values the drawing facade's FontStyle uses.
  static constexpr int kStyleRegular = 0;
  static constexpr int kStyleBold = 1;
  static constexpr int kStyleItalic = 2;
  static constexpr int kStyleUnderline = 4;
  static constexpr int kStyleStrikeout = 8;

  CRSFontHelper() { SetReceivesOpeningElement(true); }
  CRSFontHelper(std::string family, float size, int style)
      : m_family(std::move(family)), m_size(size), m_style(style) {
    SetReceivesOpeningElement(true);
  }

  const std::string& GetFamily() const { return m_family; }
  float GetSize() const { return m_size; }
  int GetStyle() const { return m_style; }
  void SetFamily(std::string family) { m_family = std::move(family); }
  void SetSize(float size) { m_size = size; }
  void SetStyle(int style) { m_style = style; }

  bool operator==(const CRSFontHelper& o) const {
    return m_family == o.m_family && m_size == o.m_size && m_style == o.m_style;
  }

  // Reads the children "name", "size" and "style" of the element that
  // pushed it (which it receives too); unknown children are ignored.
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override;
  void Write(CRSXMLWriter& out) override { Write(out, kTag); }
  void Write(CRSXMLWriter& out, std::string_view tag) const;

 private:
  std::string m_family = "Arial";
  float m_size = 9.0f;
  int m_style = kStyleRegular;
};
