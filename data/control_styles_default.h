#pragma once
// The default control style with its XML element "control-style-default":
// the drawn style's values, written line by line and read back from the
// library file. Reading is forgiving: names compare without case, unknown
// elements and attributes are ignored, values the element does not hold keep
// their current values, and whatever was read is brought into the style's
// sensible ranges before anything is drawn with it.

#include <string>

#include "canvas/styles.h"
#include "data/font_helper.h"
#include "data/xml.h"

class CRSXMLWriter;

class CRSControlStylesDefault : public CRSControlStylesDrawn, public CRSXMLParser::XHandler {
 public:
  CRSControlStylesDefault();
  explicit CRSControlStylesDefault(const CRSControlStyleValues& values);
  ~CRSControlStylesDefault() override;

  // Makes a default style the current one, so the library file's reader
  // and writer find it there. Returns it.
  static std::shared_ptr<CRSControlStylesDefault> Install();

  // Slot 21.
  void Write(CRSXMLWriter& out) override;

  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override;
  void OnEndElement(const std::string& name) override;
  void OnDone() override;

 private:
  enum class Group { kNone, kStaticText, kButton, kWindow };

  void BeginReading();
  void FinishReading();
  void ReadStyleData(const CRSXMLParser::Attributes& attributes);
  CRSFontHelper* FontOf(Group group);

  Group m_group = Group::kNone;
  bool m_reading = false;
  CRSFontHelper m_staticFont;
  CRSFontHelper m_buttonFont;
  CRSFontHelper m_windowFont;
};
