#pragma once
// CPlayHints: the play room's helping commands. Hint puts the item in hand
// on its place over the ghost picture, Neighbor lights the item in hand and
// lifts the loose pieces that fit onto it, Reveal lifts every loose piece.
// Each brings what it acts on into view; none makes a sound of its own.
//
// Ownership: the room owns the part; it reads the room's list of pieces
// (weak references) and asks the table to show what it raised.

#include <vector>

#include "canvas/object.h"
#include "canvas/weak_ref.h"

class CPlayPreview;
class CPuzzlePiece;
class CPuzzleTable;
class CRSCanvasItem;

class CPlayHints : public CRSObject {
 public:
  // `preview` gives the ghost's place; any of them may be null.
  CPlayHints(CPuzzleTable* table, const CPlayPreview* preview, const std::vector<CRSWeakRef<CPuzzlePiece>>& pieces);
  ~CPlayHints() override;

  // Puts the item on its place and returns what is in hand afterwards (the
  // group the item joined on the way down, or the item); null when nothing
  // was placed.
  CRSCanvasItem* Hint(CRSCanvasItem* item);
  void ShowNeighbours(CRSCanvasItem* item);
  void Reveal();
  // Neighbor's light goes at the next press or key.
  void EndNeighbourHighlight();

 private:
  void BringIntoView(const std::vector<CRSCanvasItem*>& items);

  CPuzzleTable* m_table;
  const CPlayPreview* m_preview;
  const std::vector<CRSWeakRef<CPuzzlePiece>>& m_pieces;
  CRSWeakRef<CRSCanvasItem> m_neighbourItem;
};
