// The saved state of one piece.

#include "data/puzzle_piece_data.h"

#include <cmath>

#include "canvas/items.h"
#include "data/numbers.h"
#include "data/xml_text.h"
#include "data/xml_writer.h"
#include "play/group.h"

CPuzzlePieceData::CPuzzlePieceData(int column, int row) : m_column(column), m_row(row) {
  SetReceivesOpeningElement(true);
}

CPuzzlePieceData::~CPuzzlePieceData() = default;

namespace {

// The play area a piece lies in: its parent, or the parent of the groups it
// was joined into. The frame is found again at every save rather than kept:
// a reference to the area would keep it alive past its owner.
CRSCanvasItem* PlayAreaOf(const CRSCanvasItem* item) {
  CRSCanvasItem* frame = item->GetParentItem();
  while (frame && dynamic_cast<CPuzzleGroup*>(frame)) frame = frame->GetParentItem();
  return frame;
}

}  // namespace

void CPuzzlePieceData::BindItem(CRSCanvasItem* item) {
  if (CRSCanvasItem* old = m_item.get()) old->sigGeometryChanged.disconnect(this);
  m_item.Assign(item);
  if (!item) return;
  // Turned first: the top-left corner is placed with the turn in force, so
  // it lands on the stored point whatever the item's origin is.
  item->SetRotation(m_rotation);
  item->MoveTopLeftTo(m_position);
  item->sigGeometryChanged.connect(this, &CPuzzlePieceData::OnItemChanged);
}

void CPuzzlePieceData::OnItemChanged(CRSCanvasItem*) { UpdateFromItem(); }

void CPuzzlePieceData::UpdateFromItem() {
  CRSCanvasItem* item = m_item.get();
  if (!item) return;
  // The place is kept in the play area's coordinates, with the total turn
  // of the item and its groups, so that a group comes back where the player
  // left it, and two groups that merely lie near each other are not brought
  // together when the puzzle is opened again. It is the same frame that
  // BindItem restores into: whatever lies above the play area (a room's
  // title bar, the window's own offset) must not creep into the saved
  // numbers, or every save and load would move the pieces by that much.
  const CRSCanvasItem* frame = PlayAreaOf(item);
  float rotation = 0.0f;
  for (const CRSCanvasItem* link = item; link && link != frame; link = link->GetParentItem())
    rotation += link->GetRotation();
  m_rotation = CRSCanvasItem::NormalizeAngle(rotation);
  m_position = item->MapToAncestor(PointF(), frame);
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
