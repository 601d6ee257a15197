// A library of realistic size for the benchmarks that load it: 1,000 puzzle
// entries with 120 x 90 thumbnails and 20 categories.

#include "bench/bench_library.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

#include "canvas/event_dispatcher.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "data/puzzle_category_data.h"
#include "data/puzzle_image_data.h"
#include "platform/bitmap.h"
#include "platform/paths.h"

namespace bench {

std::shared_ptr<Gdiplus::Bitmap> Picture(int w, int h, int seed) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(w, h, PixelFormat::Format24bppRGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      picture->SetPixel(x, y, 0xFF000000u | static_cast<ARGB>(((x + seed) * 7 & 0xFF) << 16 | (y * 3 & 0xFF) << 8 | seed));
  return picture;
}

const std::string& LibraryOf1000Path() {
  static const std::string path = LibraryPath(1000);
  return path;
}

std::string LibraryPath(int puzzles) {
  static std::map<int, std::string> written;
  if (auto it = written.find(puzzles); it != written.end()) return it->second;
  const std::string path = [puzzles] {
    CRSEventDispatcher::Create();
    CPuzzleLibrary library;
    const int categories = std::max(1, std::min(20, puzzles / 50));
    for (int c = 0; c < categories; ++c)
      library.AddCategory(new CPuzzleCategoryData("Category " + std::to_string(c), Picture(64, 48, c)));
    // 2000 x 1500 pictures give 120 x 90 thumbnails; a few distinct ones
    // are enough to make every thumbnail a real JPEG of that size.
    std::unique_ptr<CPuzzleImageData> samples[8];
    for (int s = 0; s < 8; ++s) samples[s] = std::make_unique<CPuzzleImageData>(Picture(2000, 1500, s * 31).get(), "s");
    for (int i = 0; i < puzzles; ++i) {
      auto* entry = new CPuzzleImageData();
      entry->SetName("Puzzle " + std::to_string(i));
      entry->SetTitle("Title of puzzle " + std::to_string(i));
      if (i % 2) entry->SetCategory("Category " + std::to_string(i % categories));
      entry->SetNumberOfPieces(48 + i);
      entry->SetPercentCompleted(i % 101);
      entry->SetPosition(PointF(static_cast<float>(i % 37) * 20, static_cast<float>(i % 23) * 30));
      entry->SetSize(Size(2000, 1500));
      entry->SetThumbnailText(samples[i % 8]->GetThumbnailText());
      library.AddPuzzleImage(entry);
    }
    const std::string file = platform::GetDataDirectory() + "bench-library-" + std::to_string(puzzles) + ".pzl";
    library.SaveFile(file);
    return file;
  }();
  written[puzzles] = path;
  return path;
}

bool WritePlayableLibrary(const std::string& folder, int width, int height, int pieceSize) {
  CRSEventDispatcher::Create();
  // Puzzle files go to the data folder the environment names.
  const char* before = std::getenv("TANDRILL_DATA_DIR");
  const std::string previous = before ? before : "";
  setenv("TANDRILL_DATA_DIR", folder.c_str(), 1);
  bool ok = false;
  {
    CPuzzleData puzzle("bench");
    puzzle.SetPicture(Picture(width, height, 5));
    puzzle.GetCutter().SetPieceSize(pieceSize);
    puzzle.SetTitle("Bench");
    CPuzzleLibrary library;
    auto* entry = new CPuzzleImageData(puzzle.GetPicture().get(), "bench");
    entry->SetNumberOfPieces((width / pieceSize) * (height / pieceSize));
    entry->SetSize(Size(width, height));
    entry->SetScattered(true);
    library.AddPuzzleImage(entry);
    ok = puzzle.Save() && library.SaveFile(folder + CPuzzleLibrary::kFileName).ok;
  }
  if (before) {
    setenv("TANDRILL_DATA_DIR", previous.c_str(), 1);
  } else {
    unsetenv("TANDRILL_DATA_DIR");
  }
  DiscardEvents();
  return ok;
}

}  // namespace bench
