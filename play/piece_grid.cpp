#include "play/piece_grid.h"

#include "data/puzzle_data.h"
#include "play/piece.h"

void LinkPieceGrid(const std::vector<CPuzzlePiece*>& pieces, int columns) {
  if (columns <= 0) return;
  const int count = static_cast<int>(pieces.size());
  const int rows = (count + columns - 1) / columns;
  for (int i = 0; i < count; ++i) {
    const int c = i % columns, r = i / columns;
    CPuzzlePiece* piece = pieces[static_cast<std::size_t>(i)];
    if (c < columns - 1) piece->AddNeighbourSlot(CPuzzlePiece::kRight);
    if (r < rows - 1) piece->AddNeighbourSlot(CPuzzlePiece::kBelow);
    if (c > 0) piece->LinkNeighbour(pieces[static_cast<std::size_t>(i - 1)], CPuzzlePiece::kRight);
    if (r > 0) piece->LinkNeighbour(pieces[static_cast<std::size_t>(i - columns)], CPuzzlePiece::kBelow);
  }
}

std::vector<CPuzzlePiece*> CreateLinkedPieces(CPuzzleData& puzzle, CRSCanvasItem* area, const Gdiplus::Bitmap& cut) {
  const Size grid = puzzle.GetCutter().GetGridSize();
  std::vector<CPuzzlePiece*> pieces;
  for (int r = 0; r < grid.Height; ++r)
    for (int c = 0; c < grid.Width; ++c) {
      CPuzzlePiece* piece = puzzle.CreatePieceItem(area, c, r, cut);
      if (!piece) return {};
      pieces.push_back(piece);
    }
  LinkPieceGrid(pieces, grid.Width);
  return pieces;
}
