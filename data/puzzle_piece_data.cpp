// The saved state of one piece.

#include "data/puzzle_piece_data.h"

#include <cmath>

#include "canvas/items.h"
#include "data/numbers.h"
#include "data/xml_text.h"
#include "data/xml_writer.h"

CPuzzlePieceData::CPuzzlePieceData(int column, int row) : m_column(column), m_row(row) {
  SetReceivesOpeningElement(true);
}

CPuzzlePieceData::~CPuzzlePieceData() = default;

void CPuzzlePieceData::BindItem(CRSCanvasItem* item) {
  if (CRSCanvasItem* old = m_item.get()) old->sigGeometryChanged.disconnect(this);
  m_item.Assign(item);
  if (!item) return;
  item->MoveTopLeftTo(m_position);
  item->SetRotation(m_rotation);
  item->sigGeometryChanged.connect(this, &CPuzzlePieceData::OnItemChanged);
}

void CPuzzlePieceData::OnItemChanged(CRSCanvasItem*) { UpdateFromItem(); }

void CPuzzlePieceData::UpdateFromItem() {
  CRSCanvasItem* item = m_item.get();
  if (!item) return;
  // The place is kept in the coordinates of the top item, with the total
  // turn of the item and its ancestors, so that a group comes back where
  // the player left it, and two groups that merely lie near each other are
  // not brought together when the puzzle is opened again.
  float rotation = 0.0f;
  for (const CRSCanvasItem* link = item; link; link = link->GetParentItem()) rotation += link->GetRotation();
  m_rotation = CRSCanvasItem::NormalizeAngle(rotation);
  m_position = item->MapToAncestor(PointF(), nullptr);
}

void CPuzzlePieceData::OnElement(const std::string& rawName, const CRSXMLParser::Attributes& attributes,
                                 const std::string& text) {
  const std::string name = xmltext::ToLower(rawName);
  if (name == kTag) {
    if (const std::string* x = xmltext::FindAttribute(attributes, "x")) xmltext::ParseInt(*x, m_column);
    if (const std::string* y = xmltext::FindAttribute(attributes, "y")) xmltext::ParseInt(*y, m_row);
  } else if (name == CRSXMLPointF::kTag) {
    if (CRSXMLParser* parser = GetParser()) parser->PushHandler(&m_position);
  } else if (name == "rotation") {
    xmltext::ParseFloat(text, m_rotation);
  }
}

void CPuzzlePieceData::Write(CRSXMLWriter& out) {
  UpdateFromItem();
  std::string line("<");
  line.append(kTag).append(" x=\"").append(numtext::FormatInt(m_column));
  line.append("\" y=\"").append(numtext::FormatInt(m_row)).append("\">\n");
  out.Write(line);
  m_position.Write(out);
  out.Leaf("rotation", numtext::FormatFixed(m_rotation, 2));
  out.EndTag(kTag);
}
