// Feeds arbitrary bytes to the cutter's reader as the `puzzle-cuts` element
// of a puzzle file, handed over by an enclosing record as the puzzle reader
// does. A cut that reads as valid and is small has its edges, outlines and
// bounds built; whatever was read writes itself, and once written and read
// again it reads back to the same writing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/cutter.h"
#include "data/xml.h"
#include "data/xml_text.h"
#include "data/xml_writer.h"

namespace {

class Puzzle : public CRSXMLParser::XHandler {
 public:
  explicit Puzzle(CPuzzleCutter& cutter) : m_cutter(cutter) {}
  void OnElement(const std::string& name, const CRSXMLParser::Attributes&, const std::string&) override {
    if (xmltext::EqualsNoCase(name, "puzzle-cuts") && GetParser()) GetParser()->PushHandler(&m_cutter);
  }

 private:
  CPuzzleCutter& m_cutter;
};

std::string Written(const CPuzzleCutter& cutter) {
  CRSXMLWriter out;
  cutter.Write(out);
  return std::string(out.GetBytes());
}

void Read(std::string_view text, CPuzzleCutter& cutter) {
  Puzzle puzzle(cutter);
  CRSXMLParser parser;
  parser.SetMaxTextBytes(1 << 20);
  parser.ParseText(text, &puzzle);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CPuzzleCutter cutter;
  Read(std::string_view(reinterpret_cast<const char*>(data), size), cutter);
  const Size grid = cutter.GetGridSize();
  if (cutter.IsValid() && grid.Width > 0 && grid.Height > 0 && grid.Width * grid.Height <= 64) {
    (void)cutter.GetCutsPath();
    for (int r = 0; r < grid.Height; ++r)
      for (int c = 0; c < grid.Width; ++c) {
        (void)cutter.GetPieceOutline(c, r);
        const RectF box = cutter.GetPieceBounds(c, r);
        if (!(box.Width >= 0 && box.Height >= 0)) std::abort();
      }
  }
  // Points read before the picture's size are kept even where that size
  // then has no room for them; written, the size comes first and such
  // points are refused when read again. From then on a writing must read
  // back to itself.
  CPuzzleCutter again;
  Read(Written(cutter), again);
  const std::string second = Written(again);
  CPuzzleCutter third;
  Read(second, third);
  if (Written(third) != second) std::abort();
  return 0;
}
