// Feeds arbitrary bytes through the reader with a small tree of handlers like
// the records use: a root that hands "item" elements to sub-records (which
// may nest), and value elements and a font for the elements they read.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "data/base64.h"
#include "data/font_helper.h"
#include "data/xml.h"
#include "data/xml_text.h"
#include "data/xml_values.h"
#include "data/xml_writer.h"

namespace {

class Item : public CRSXMLParser::XHandler {
 public:
  void OnElement(const std::string& name, const CRSXMLParser::Attributes&, const std::string& text) override {
    const std::string key = xmltext::ToLower(name);
    if (key == "item") {
      children.push_back(std::make_unique<Item>());
      GetParser()->PushHandler(children.back().get());
    } else if (key == "pointf") {
      GetParser()->PushHandler(&position);
    } else if (key == "size") {
      GetParser()->PushHandler(&size);
    } else if (key == "font") {
      GetParser()->PushHandler(&font);
    } else if (key == "name") {
      title = xmltext::TextFromBase64(text);
    }
  }
  void OnText(const std::string&, const std::string& text) override { trailing += text.size(); }
  void OnDone() override { ++done; }
  void Write(CRSXMLWriter& out) override {
    out.StartTag("item");
    out.LeafText("name", title);
    position.Write(out);
    size.Write(out);
    font.Write(out);
    for (auto& c : children) c->Write(out);
    out.EndTag("item");
  }

  std::vector<std::unique_ptr<Item>> children;
  CRSXMLPointF position;
  CRSXMLSize size;
  CRSFontHelper font;
  std::string title;
  std::size_t trailing = 0;
  int done = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Item root;
  CRSXMLParser parser;
  const int result = parser.ParseText(text, &root);
  if (result < 0 || result > 5 || root.done != 1) __builtin_trap();
  (void)parser.GetErrorText();
  // What was read must write out and read back without trouble.
  CRSXMLWriter out;
  root.Write(out);
  Item again;
  if (parser.ParseText(out.GetBytes(), &again) != CRSXMLParser::kSuccess) __builtin_trap();
  (void)Base64Decode(text);
  return 0;
}
