#pragma once
// The neighbour links of a whole puzzle: pieces laid out row by row in a grid.

#include <vector>

class CPuzzleData;
class CPuzzlePiece;
class CRSCanvasItem;
namespace Gdiplus {
class Bitmap;
}

// Links pieces given row by row in a grid of `columns`: each gets a slot for
// its right and lower neighbours (where it has them) and is then linked to
// its left and upper ones, so every piece's slots run right, below, left,
// above, the order in which the connect test tries them.
void LinkPieceGrid(const std::vector<CPuzzlePiece*>& pieces, int columns);

// Makes the item of every piece of the puzzle's grid in `area`, row by row,
// linked as above. Empty when a piece could not be made.
std::vector<CPuzzlePiece*> CreateLinkedPieces(CPuzzleData& puzzle, CRSCanvasItem* area, const Gdiplus::Bitmap& cut);
