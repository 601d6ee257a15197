// Feeds arbitrary bytes to the default style's element reader, both as the
// whole document and as an element handed over by an enclosing record (as
// the library file's reader does), then checks that whatever was read left
// every value inside the style's ranges and that the style writes itself.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/control_styles_default.h"
#include "data/xml.h"
#include "data/xml_text.h"
#include "data/xml_writer.h"

namespace {

// Hands the style element to the style, as the library reader does.
class Library : public CRSXMLParser::XHandler {
 public:
  explicit Library(CRSControlStylesDefault& style) : m_style(style) {}
  void OnElement(const std::string& name, const CRSXMLParser::Attributes&, const std::string&) override {
    if (xmltext::EqualsNoCase(name, m_style.GetElementName()) && GetParser()) GetParser()->PushHandler(&m_style);
  }

 private:
  CRSControlStylesDefault& m_style;
};

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckRange(float v, float low, float high) { Check(std::isfinite(v) && v >= low && v <= high); }

void CheckFont(const CRSStyleFont& f) {
  CheckRange(f.size, 4.0f, 72.0f);
  Check(!f.family.empty() && f.family.size() <= 128);
  Check(f.style >= 0 && f.style <= 15);
}

void CheckStyle(CRSControlStylesDefault& style) {
  const CRSControlStyleValues& v = style.GetValues();
  CheckRange(v.roundedCornersRadius, 0.0f, 100.0f);
  CheckRange(v.buttonHeight, 8.0f, 200.0f);
  CheckRange(v.windowHeightTitle, 8.0f, 200.0f);
  CheckRange(v.windowHeightToolTitle, 8.0f, 200.0f);
  CheckRange(v.windowWidthButton, 8.0f, 200.0f);
  CheckRange(v.windowMargin, 0.0f, 50.0f);
  CheckFont(v.staticTextFont);
  CheckFont(v.buttonFont);
  CheckFont(v.windowFont);
  CRSXMLWriter out;
  style.Write(out);
  Check(out.GetBytes().size() < 4096);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  {
    CRSControlStylesDefault style;
    CRSXMLParser parser;
    parser.SetMaxTextBytes(1 << 20);
    parser.ParseText(text, &style);
    CheckStyle(style);
  }
  {
    CRSControlStylesDefault style;
    Library library(style);
    CRSXMLParser parser;
    parser.SetMaxTextBytes(1 << 20);
    parser.ParseText(text, &library);
    CheckStyle(style);
  }
  return 0;
}
