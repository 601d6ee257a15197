#pragma once
// A board of square pieces for the piece and group tests: a play area with
// cols x rows pieces of one colour each, wired to their neighbours the way
// the play room wires them, lying apart from each other.

#include <memory>
#include <vector>

#include "canvas/items.h"
#include "tests/canvas/item_test_support.h"
#include "play/piece.h"
#include "play/play_room.h"
#include "platform/bitmap.h"

namespace piece_test {

inline constexpr float kCell = 50.0f;

inline std::shared_ptr<Gdiplus::Bitmap> Square(ARGB colour) {
  return item_test::SolidPicture(static_cast<int>(kCell), static_cast<int>(kCell), colour);
}

struct Board {
  CRSAutoPtrPolymorphic<CRSCanvasItem> area;
  std::vector<CPuzzlePiece*> pieces;
  int cols = 0;
  CPuzzlePiece* At(int c, int r) const { return pieces[static_cast<std::size_t>(r * cols + c)]; }
};

inline Board MakeBoard(int cols, int rows) {
  Board board;
  board.cols = cols;
  board.area = new CRSCanvasItem(PointF(), nullptr, "area");
  board.area->SetSize(SizeF(2000, 2000));
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      auto* piece = new CPuzzlePiece(CPuzzlePiece::kItemName, Square(0xFF000000u | (r * 60u << 16) | (c * 60u)), kCell);
      piece->SetCellCentre(PointF((c + 0.5f) * kCell, (r + 0.5f) * kCell));
      piece->SetAnchor(PointF(kCell / 2, kCell / 2));
      piece->SetParent(board.area);
      piece->MoveTopLeftTo(PointF(100.0f + c * 200.0f, 100.0f + r * 200.0f));
      board.pieces.push_back(piece);
    }
  }
  CPuzzlePlayRoom::LinkPieceGrid(board.pieces, cols);
  return board;
}

inline PointF AnchorInScene(const CPuzzlePiece* piece) { return piece->MapToAncestor(piece->GetAnchor(), nullptr); }

// Where `piece`'s anchor belongs in the scene when it lies in its solved
// place beside `ref`.
inline PointF ExpectedAnchor(const CPuzzlePiece* piece, const CPuzzlePiece* ref) {
  return ref->MapToAncestor(ref->GetAnchor() + (piece->GetCellCentre() - ref->GetCellCentre()), nullptr);
}

// Moves `item` (a loose piece, or the group holding `piece`) so that piece's
// anchor lies `offset` away from its solved place beside `ref`.
inline void MoveBeside(CRSCanvasItem* item, const CPuzzlePiece* piece, const CPuzzlePiece* ref, PointF offset) {
  item->MoveBy(ExpectedAnchor(piece, ref) + offset - AnchorInScene(piece));
}

inline float Distance(PointF a, PointF b) { return std::hypot(a.X - b.X, a.Y - b.Y); }

}  // namespace piece_test
