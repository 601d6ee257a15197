// The library file at a realistic large size: 1,000 puzzle entries with
// 120 x 90 thumbnails and 20 categories, loaded (thumbnails decoded) and
// saved. Each is measured beside a copy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "canvas/event_dispatcher.h"
#include "data/library.h"
#include "data/puzzle_category_data.h"
#include "data/puzzle_image_data.h"
#include "platform/paths.h"

namespace {

std::shared_ptr<Gdiplus::Bitmap> Picture(int w, int h, int seed) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(w, h, PixelFormat::Format24bppRGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      picture->SetPixel(x, y, 0xFF000000u | static_cast<ARGB>(((x + seed) * 7 & 0xFF) << 16 | (y * 3 & 0xFF) << 8 | seed));
  return picture;
}

// The library file of 1,000 entries and 20 categories, written once.
const std::string& LibraryPath() {
  static const std::string path = [] {
    CRSEventDispatcher::Create();
    CPuzzleLibrary library;
    for (int c = 0; c < 20; ++c)
      library.AddCategory(new CPuzzleCategoryData("Category " + std::to_string(c), Picture(64, 48, c)));
    // 2000 x 1500 pictures give 120 x 90 thumbnails; a few distinct ones
    // are enough to make every thumbnail a real JPEG of that size.
    std::unique_ptr<CPuzzleImageData> samples[8];
    for (int s = 0; s < 8; ++s) samples[s] = std::make_unique<CPuzzleImageData>(Picture(2000, 1500, s * 31).get(), "s");
    for (int i = 0; i < 1000; ++i) {
      auto* entry = new CPuzzleImageData();
      entry->SetName("Puzzle " + std::to_string(i));
      entry->SetTitle("Title of puzzle " + std::to_string(i));
      if (i % 2) entry->SetCategory("Category " + std::to_string(i % 20));
      entry->SetNumberOfPieces(48 + i);
      entry->SetPercentCompleted(i % 101);
      entry->SetPosition(PointF(static_cast<float>(i % 37) * 20, static_cast<float>(i % 23) * 30));
      entry->SetSize(Size(2000, 1500));
      entry->SetThumbnailText(samples[i % 8]->GetThumbnailText());
      library.AddPuzzleImage(entry);
    }
    const std::string file = platform::GetDataDirectory() + "bench-library.pzl";
    library.SaveFile(file);
    return file;
  }();
  return path;
}

// Budget: under 150 ms for the whole load.
void BM_LibraryLoad1000(benchmark::State& state) {
  const std::string& path = LibraryPath();
  for (auto _ : state) {
    CPuzzleLibrary library;
    library.LoadFile(path);
    if (library.GetPuzzleImages().size() != 1000) state.SkipWithError("entries lost");
    benchmark::DoNotOptimize(library.GetPuzzleImages().data());
  }
}
// The CPU figure counts the decoding threads too.
BENCHMARK(BM_LibraryLoad1000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Budget: under 50 ms for the whole save (the file is written atomically).
void BM_LibrarySave1000(benchmark::State& state) {
  CPuzzleLibrary library;
  library.LoadFile(LibraryPath());
  const std::string out = platform::GetDataDirectory() + "bench-library-out.pzl";
  for (auto _ : state) {
    if (!library.SaveFile(out).ok) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_LibrarySave1000)->Unit(benchmark::kMillisecond);

// The floor: copying the same number of bytes the file holds.
void BM_LibraryFileCopyFloor(benchmark::State& state) {
  CPuzzleLibrary library;
  library.LoadFile(LibraryPath());
  const std::string bytes = library.ToText();
  std::string copy(bytes.size(), '\0');
  for (auto _ : state) {
    std::memcpy(copy.data(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_LibraryFileCopyFloor)->Unit(benchmark::kMicrosecond);

}  // namespace
