#pragma once
// Helpers for the puzzle file tests: a temporary puzzles folder, a small
// playable puzzle, and its piece items wired as the play room wires them.

#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "canvas/items.h"
#include "data/puzzle_data.h"
#include "play/piece.h"
#include "play/play_room.h"

namespace puzzle_test {

using Pieces = std::vector<CPuzzlePiece*>;

inline std::string MakeTempFolder() {
  char name[] = "/tmp/tandrill_puzzle_XXXXXX";
  return mkdtemp(name) ? std::string(name) : std::string("/tmp");
}

inline std::string WriteBytes(const std::string& path, std::size_t count, char fill) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  const std::string bytes(count, fill);
  if (f) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

// A picture of cols x rows cells of pieceSize, cut at that size.
inline void MakePlayable(CPuzzleData& puzzle, int pieceSize = 50, int cols = 4, int rows = 3) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(cols * pieceSize, rows * pieceSize, PixelFormat::Format24bppRGB);
  for (int y = 0; y < picture->GetHeight(); ++y)
    for (int x = 0; x < picture->GetWidth(); ++x)
      picture->SetPixel(x, y, 0xFF000000u | static_cast<ARGB>((x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x ^ y) & 0xFF)));
  puzzle.SetPicture(picture);
  puzzle.GetCutter().SetPieceSize(pieceSize);
}

inline CRSCanvasItem* MakeArea() {
  auto* area = new CRSCanvasItem(PointF(), nullptr, "area");
  area->SetSize(SizeF(1500, 1200));
  return area;
}

// Every piece of the grid, row by row, with its neighbour links.
inline Pieces BuildPieces(CPuzzleData& puzzle, CRSCanvasItem* area, const Gdiplus::Bitmap& cut) {
  return CPuzzlePlayRoom::CreateLinkedPieces(puzzle, area, cut);
}

// Lays a loose piece exactly in its solved place beside ref.
inline void PutInPlace(CPuzzlePiece* piece, const CPuzzlePiece* ref) {
  piece->SetOrigin(piece->GetAnchor());
  piece->SetRotation(CPuzzlePiece::TotalAngle(ref));
  const PointF expected = ref->MapToAncestor(ref->GetAnchor() + (piece->GetCellCentre() - ref->GetCellCentre()), nullptr);
  piece->MoveBy(expected - piece->MapToAncestor(piece->GetAnchor(), nullptr));
}

inline float Distance(PointF a, PointF b) { return std::hypot(a.X - b.X, a.Y - b.Y); }

}  // namespace puzzle_test
