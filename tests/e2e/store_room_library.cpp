// Writes the store room's end-to-end library into the data folder
// (TANDRILL_DATA_DIR): two categories with pictures and four puzzles with
// their files — "cat" in Animals, the surprise "owl" in Animals, "tree" on
// the floor at a known place, and "done", solved, in Plants. With the
// argument "keys": the folder Animals with "cat", and "twelve" on the floor,
// 4 x 3 pieces scattered with turns, for keyboard play.

#include <cstdio>
#include <memory>
#include <string>

#include "data/library.h"
#include "data/puzzle_data.h"
#include "platform/bitmap.h"

namespace {

std::shared_ptr<Gdiplus::Bitmap> Plain(int w, int h, ARGB colour) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(w, h, PixelFormat::Format24bppRGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) picture->SetPixel(x, y, ((x / 10 + y / 10) % 2) ? colour : (colour & 0xFFE0E0E0));
  return picture;
}

bool AddPuzzle(CPuzzleLibrary& library, const char* name, const char* category, int percent, bool surprise,
               ARGB colour) {
  auto picture = Plain(300, 200, colour);
  CPuzzleData puzzle(name);
  puzzle.SetPicture(picture);
  puzzle.GetCutter().SetPieceSize(50);
  puzzle.SetSurprise(surprise);
  puzzle.SetTitle(std::string(name) + " title");
  puzzle.SetTimePlayed(percent == 100 ? 60000 : 30000);
  if (!puzzle.Save()) return false;
  auto* entry = new CPuzzleImageData(picture.get(), name);
  entry->SetSelected(false);
  entry->SetTitle(puzzle.GetTitle());
  entry->SetCategory(category);
  entry->SetPercentCompleted(percent);
  entry->SetSurprise(surprise);
  entry->SetNumberOfPieces(24);
  entry->SetSize(Size(300, 200));
  library.AddPuzzleImage(entry);
  return true;
}

}  // namespace

bool WriteKeysLibrary() {
  CPuzzleLibrary library;
  auto* animals = new CPuzzleCategoryData("Animals", Plain(80, 60, 0xFFFF2020));
  animals->SetPosition(PointF(420, 120));
  library.AddCategory(animals);
  if (!AddPuzzle(library, "cat", "Animals", 0, false, 0xFF4060FF)) return false;
  auto picture = Plain(400, 300, 0xFFE08040);
  CPuzzleData puzzle("twelve");
  puzzle.SetPicture(picture);
  puzzle.GetCutter().SetPieceSize(100);
  puzzle.SetRotatePiecesWhenScatter(true);
  puzzle.SetTitle("twelve");
  if (!puzzle.Save()) return false;
  auto* entry = new CPuzzleImageData(picture.get(), "twelve");
  entry->SetSelected(false);
  entry->SetTitle("twelve");
  entry->SetNumberOfPieces(12);
  entry->SetSize(Size(400, 300));
  entry->SetPosition(PointF(300, 420));
  library.AddPuzzleImage(entry);
  return library.SaveFile().ok;
}

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "keys") {
    const bool ok = WriteKeysLibrary();
    std::puts(ok ? "library written" : "library failed");
    return ok ? 0 : 1;
  }
  CPuzzleLibrary library;
  auto* animals = new CPuzzleCategoryData("Animals", Plain(80, 60, 0xFFFF2020));
  animals->SetPosition(PointF(400, 150));
  library.AddCategory(animals);
  auto* plants = new CPuzzleCategoryData("Plants", Plain(80, 60, 0xFF20C020));
  plants->SetPosition(PointF(650, 150));
  library.AddCategory(plants);
  bool ok = AddPuzzle(library, "cat", "Animals", 0, false, 0xFF4060FF) &&
            AddPuzzle(library, "owl", "Animals", 30, true, 0xFFFFC040) &&
            AddPuzzle(library, "tree", "", 50, false, 0xFF30A030) &&
            AddPuzzle(library, "done", "Plants", 100, false, 0xFFA0A0A0);
  if (CPuzzleImageData* tree = library.FindPuzzleImage("tree")) tree->SetPosition(PointF(300, 450));
  ok = ok && library.SaveFile().ok;
  std::puts(ok ? "library written" : "library failed");
  return ok ? 0 : 1;
}
