// The library file at a realistic large size: 1,000 puzzle entries with
// 120 x 90 thumbnails and 20 categories, loaded (thumbnails decoded) and
// saved. Each is measured beside a copy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "bench/bench_library.h"
#include "data/library.h"
#include "data/puzzle_category_data.h"
#include "data/puzzle_image_data.h"
#include "platform/paths.h"

namespace {

// Budget: under 150 ms for the whole load.
void BM_LibraryLoad1000(benchmark::State& state) {
  const std::string& path = bench::LibraryOf1000Path();
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
  library.LoadFile(bench::LibraryOf1000Path());
  const std::string out = platform::GetDataDirectory() + "bench-library-out.pzl";
  for (auto _ : state) {
    if (!library.SaveFile(out).ok) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_LibrarySave1000)->Unit(benchmark::kMillisecond);

// The floor: copying the same number of bytes the file holds.
void BM_LibraryFileCopyFloor(benchmark::State& state) {
  CPuzzleLibrary library;
  library.LoadFile(bench::LibraryOf1000Path());
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
