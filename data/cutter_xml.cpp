// The cutter's `puzzle-cuts` element: written line by line, read through the
// element handlers.

#include <algorithm>
#include <cmath>

#include "data/cutter.h"
#include "data/numbers.h"
#include "data/xml_text.h"
#include "data/xml_values.h"
#include "data/xml_writer.h"

namespace {

constexpr std::string_view kCutsTag = "puzzle-cuts";
constexpr std::string_view kPointTag = "topleft-cuts";

// A real number read from a file, kept only when it is finite, and held to
// [low, high]: the jitter and the irregularity decide how far points move,
// and so how large piece bitmaps become.
void ReadBounded(std::string_view text, float& field, float low, float high) {
  float value = 0.0f;
  if (!xmltext::ParseFloat(text, value) || !std::isfinite(value)) return;
  field = std::clamp(value, low, high);
}

void ReadBoundedAttribute(const CRSXMLParser::Attributes& attributes, std::string_view name, float& field,
                          float low, float high) {
  if (const std::string* value = xmltext::FindAttribute(attributes, name)) ReadBounded(*value, field, low, high);
}

// `bool` (any non-zero number is true) and `int` of a shape element.
void ReadDirection(const CRSXMLParser::Attributes& attributes, bool& direction, int& shape) {
  int value = 0;
  if (const std::string* text = xmltext::FindAttribute(attributes, "bool")) {
    if (xmltext::ParseInt(*text, value)) direction = value != 0;
  }
  if (const std::string* text = xmltext::FindAttribute(attributes, "int")) xmltext::ParseInt(*text, shape);
}

}  // namespace

void CPuzzleCutter::PointReader::OnElement(const std::string& rawName, const CRSXMLParser::Attributes& attributes,
                                           const std::string&) {
  if (!m_target) return;
  const std::string name = xmltext::ToLower(rawName);
  if (name == CRSXMLPointF::kTag) {
    ReadBoundedAttribute(attributes, "x", m_target->jitter.X, -1.0f, 1.0f);
    ReadBoundedAttribute(attributes, "y", m_target->jitter.Y, -1.0f, 1.0f);
  } else if (name == "shapedirtop") {
    ReadDirection(attributes, m_target->topDirection, m_target->topShape);
    m_target->SetTopShape(m_target->topShape);
  } else if (name == "shapedirleft") {
    ReadDirection(attributes, m_target->leftDirection, m_target->leftShape);
    m_target->SetLeftShape(m_target->leftShape);
  }
}

void CPuzzleCutter::Write(CRSXMLWriter& out) { static_cast<const CPuzzleCutter&>(*this).Write(out); }

void CPuzzleCutter::Write(CRSXMLWriter& out) const {
  out.StartTag(kCutsTag);
  CRSXMLSize(m_imageSize.Width, m_imageSize.Height).Write(out);
  out.LeafInt("piece-size", m_pieceSize);
  out.Leaf("deviation", numtext::FormatFixed(m_deviation, 5));
  out.LeafInt("shape-type", m_shapeType);
  for (size_t y = 0; y < m_grid.size(); ++y) {
    for (size_t x = 0; x < m_grid[y].size(); ++x) {
      const TopLeftCuts& point = m_grid[y][x];
      out.Write("<");
      out.Write(kPointTag);
      out.Write(" x=\"");
      out.Write(numtext::FormatInt(static_cast<long long>(x)));
      out.Write("\" y=\"");
      out.Write(numtext::FormatInt(static_cast<long long>(y)));
      out.Write("\">\n");
      CRSXMLPointF(point.jitter).Write(out);
      out.Write(point.topDirection ? "<shapedirtop bool=\"1\" int=\"" : "<shapedirtop bool=\"0\" int=\"");
      out.Write(numtext::FormatInt(point.topShape));
      out.Write(point.leftDirection ? "\"/>\n<shapedirleft bool=\"1\" int=\"" : "\"/>\n<shapedirleft bool=\"0\" int=\"");
      out.Write(numtext::FormatInt(point.leftShape));
      out.Write("\"/>\n");
      out.EndTag(kPointTag);
    }
  }
  out.EndTag(kCutsTag);
}

void CPuzzleCutter::OnElement(const std::string& rawName, const CRSXMLParser::Attributes& attributes,
                              const std::string& text) {
  const std::string name = xmltext::ToLower(rawName);
  if (name == CRSXMLSize::kTag) {
    if (const std::string* w = xmltext::FindAttribute(attributes, "w")) xmltext::ParseInt(*w, m_imageSize.Width);
    if (const std::string* h = xmltext::FindAttribute(attributes, "h")) xmltext::ParseInt(*h, m_imageSize.Height);
  } else if (name == "piece-size") {
    xmltext::ParseInt(text, m_pieceSize);
  } else if (name == "shape-type") {
    xmltext::ParseInt(text, m_shapeType);
  } else if (name == "deviation") {
    ReadBounded(text, m_deviation, 0.0f, 1.0f);
  } else if (name == kPointTag) {
    int x = -1, y = -1;
    if (const std::string* v = xmltext::FindAttribute(attributes, "x")) xmltext::ParseInt(*v, x);
    if (const std::string* v = xmltext::FindAttribute(attributes, "y")) xmltext::ParseInt(*v, y);
    // The grid the size and piece size call for, when they are known and
    // sane; otherwise the largest grid any picture can have.
    const Size grid = GetGridSize();
    const int maxX = grid.Width > 0 ? grid.Width : kMaxGridCells;
    const int maxY = grid.Height > 0 ? grid.Height : kMaxGridCells;
    TopLeftCuts* target = nullptr;
    if (x >= 0 && y >= 0 && x <= maxX && y <= maxY) {
      if (!HasGridPoint(x, y)) {
        if (m_grid.size() < static_cast<size_t>(y) + 1) m_grid.resize(static_cast<size_t>(y) + 1);
        const size_t length = std::max(m_grid[0].size(), static_cast<size_t>(x) + 1);
        for (auto& row : m_grid) row.resize(length);
      }
      target = &m_grid[y][x];
    }
    m_pointReader.Begin(target);
    if (CRSXMLParser* parser = GetParser()) parser->PushHandler(&m_pointReader);
  }
}

void CPuzzleCutter::OnDone() {
  // Nothing is announced while reading; the outline is built on first use.
  DropCaches();
}
