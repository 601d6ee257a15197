#include "data/xml_values.h"

#include "data/numbers.h"
#include "data/xml_text.h"
#include "data/xml_writer.h"

namespace {

// The value handlers read the attributes of the element that pushed them
// and nothing nested inside it.
bool IsOpeningElement(const CRSXMLParser::XHandler& handler, const std::string& name) {
  return handler.GetOpeningName().empty() || xmltext::EqualsNoCase(handler.GetOpeningName(), name);
}

template <typename T, typename Parse>
void ReadAttribute(const CRSXMLParser::Attributes& attributes, std::string_view key, T& field, Parse parse) {
  if (const std::string* value = xmltext::FindAttribute(attributes, key)) parse(*value, field);
}

void WriteTwo(CRSXMLWriter& out, std::string_view tag, const char* a, const std::string& va, const char* b,
              const std::string& vb) {
  std::string line;
  line.reserve(tag.size() + va.size() + vb.size() + 20);
  line += '<';
  line += tag;
  line += ' ';
  line += a;
  line += "=\"";
  line += va;
  line += "\" ";
  line += b;
  line += "=\"";
  line += vb;
  line += "\" />\n";
  out.Write(line);
}

}  // namespace

void CRSXMLPoint::OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                            const std::string&) {
  if (!IsOpeningElement(*this, name)) return;
  ReadAttribute(attributes, "x", X, xmltext::ParseInt);
  ReadAttribute(attributes, "y", Y, xmltext::ParseInt);
}

void CRSXMLPoint::Write(CRSXMLWriter& out, std::string_view tag) const {
  WriteTwo(out, tag, "x", numtext::FormatInt(X), "y", numtext::FormatInt(Y));
}

void CRSXMLPointF::OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                             const std::string&) {
  if (!IsOpeningElement(*this, name)) return;
  ReadAttribute(attributes, "x", X, xmltext::ParseFloat);
  ReadAttribute(attributes, "y", Y, xmltext::ParseFloat);
}

void CRSXMLPointF::Write(CRSXMLWriter& out, std::string_view tag) const {
  WriteTwo(out, tag, "x", FormatReal(X), "y", FormatReal(Y));
}

void CRSXMLSize::OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                           const std::string&) {
  if (!IsOpeningElement(*this, name)) return;
  ReadAttribute(attributes, "w", Width, xmltext::ParseInt);
  ReadAttribute(attributes, "h", Height, xmltext::ParseInt);
}

void CRSXMLSize::Write(CRSXMLWriter& out, std::string_view tag) const {
  WriteTwo(out, tag, "w", numtext::FormatInt(Width), "h", numtext::FormatInt(Height));
}

void CRSXMLSizeF::OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                            const std::string&) {
  if (!IsOpeningElement(*this, name)) return;
  ReadAttribute(attributes, "w", Width, xmltext::ParseFloat);
  ReadAttribute(attributes, "h", Height, xmltext::ParseFloat);
}

void CRSXMLSizeF::Write(CRSXMLWriter& out, std::string_view tag) const {
  WriteTwo(out, tag, "w", FormatReal(Width), "h", FormatReal(Height));
}
