#pragma once
// CPuzzlePieceData: the saved state of one piece of a puzzle (its cell in
// the grid, where it lies and how it is turned), and the link to the piece
// item while the puzzle is being played.

#include <string>

#include "canvas/items.h"
#include "canvas/object.h"
#include "data/xml.h"
#include "data/xml_values.h"
#include "canvas/weak_ref.h"

class CRSXMLWriter;

class CPuzzlePieceData : public CRSObject, public CRSXMLParser::XHandler {
 public:
  static constexpr const char* kTag = "puzzle-piece";

  CPuzzlePieceData(int column, int row);
  ~CPuzzlePieceData() override;

  // Keeps the item (weakly), gives it the stored rotation, puts its top-left
  // corner on the stored position keeping its origin, and follows its moves
  // from now on. The item's parent is the play area: the frame that
  // positions are saved in and restored to.
  void BindItem(CRSCanvasItem* item);
  // Takes the position and rotation from the item, measured in the play
  // area (see the .cpp). Nothing happens without an item.
  void UpdateFromItem();

  int GetColumn() const { return m_column; }
  int GetRow() const { return m_row; }
  const PointF& GetPosition() const { return m_position; }
  float GetRotation() const { return m_rotation; }
  void SetPosition(const PointF& position) { m_position = position; }
  void SetRotation(float rotation) { m_rotation = rotation; }
  CRSCanvasItem* GetItem() const { return m_item.get(); }

  // Reading: the element's own "x" and "y", then "pointf" and "rotation".
  void OnElement(const std::string& name, const CRSXMLParser::Attributes& attributes,
                 const std::string& text) override;
  // Writes the element, first taking the item's place when there is one.
  void Write(CRSXMLWriter& out) override;

 private:
  void OnItemChanged(CRSCanvasItem* item);

  int m_column;
  int m_row;
  CRSXMLPointF m_position;
  float m_rotation = 0.0f;
  CRSWeakRef<CRSCanvasItem> m_item;
};
