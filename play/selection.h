#pragma once
// CTableSelection: the pieces and groups the player has picked out on the
// table, to move, turn, arrange or gather together.
//
// The selection holds pieces, weakly: a selected group is its pieces. So a
// piece that joins a group stands for its whole group from then on (Refresh
// brings the group's other pieces in), a group that is emptied by a merge is
// never pointed at, and a piece that goes reads null and is dropped.
//
// Selected pieces glow in a colour of their own (CSelectionGlow), apart from
// the yellow light of Neighbor, on every layer and at every zoom.

#include <unordered_map>
#include <vector>

#include "canvas/behaviours.h"
#include "canvas/weak_ref.h"

class CPuzzlePiece;
class CRSCanvasItem;

// The selection's glow behind a piece: a soft image like the highlight's,
// in blue, shown while the piece is selected.
class CSelectionGlow : public CBehaviourSoftImage {
 public:
  static constexpr ARGB kColour = 0xC02A8CFF;
  static constexpr float kStrength = 2.5f;
  static constexpr int kMargin = 14;

  explicit CSelectionGlow(CRSCanvasItem* item);
  ~CSelectionGlow() override;
  // Shows or hides the glow of a piece, making it when first shown.
  static void Set(CPuzzlePiece* piece, bool on);

  void SetOn(bool on);
  bool IsOn() const { return m_on; }

 protected:
  bool ShouldShow() const override;
  void PlaceImage(CRSCanvasImage& image, CRSCanvasItem& item) override;
  ARGB GlowColour() const override { return kColour; }
  float GlowStrength() const override { return kStrength; }

 private:
  bool m_on = false;
};

class CTableSelection {
 public:
  CTableSelection() = default;
  ~CTableSelection();
  CTableSelection(const CTableSelection&) = delete;
  CTableSelection& operator=(const CTableSelection&) = delete;

  // The piece or group a piece moves with: its group, or itself.
  static CRSCanvasItem* TopOf(CPuzzlePiece* piece);
  // The pieces of a top item (the piece itself, or the group's pieces).
  static std::vector<CPuzzlePiece*> PiecesOf(CRSCanvasItem* top);

  bool IsEmpty() const;
  bool Contains(const CRSCanvasItem* top) const;
  void Add(CRSCanvasItem* top);
  void Remove(CRSCanvasItem* top);
  // Adds a top item that is not selected, removes one that is.
  void Toggle(CRSCanvasItem* top);
  // Makes exactly these top items the selection, switching only the glows
  // that change (a rubber band calls this at every move).
  void Set(const std::vector<CRSCanvasItem*>& tops);
  void Clear();
  // The live top items, each once, in the order they were first selected.
  std::vector<CRSCanvasItem*> GetItems() const;
  // Brings in the other pieces of every group a selected piece now lies in.
  void Refresh();

 private:
  bool Has(CPuzzlePiece* piece) const;
  void AddPiece(CPuzzlePiece* piece);
  void RemovePiece(CPuzzlePiece* piece);

  // The order pieces were selected in, and a look-up; the references say
  // whether a key still names the piece it was made for.
  std::vector<CPuzzlePiece*> m_order;
  std::unordered_map<CPuzzlePiece*, CRSWeakRef<CPuzzlePiece>> m_pieces;
};
