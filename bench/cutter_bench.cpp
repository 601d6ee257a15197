// The cutter's hot paths: the cut outline redrawn while the Chaos slider
// moves, and cutting a full-screen picture into pieces when a puzzle opens.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "data/cutter.h"
#include "platform/random.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

std::unique_ptr<Bitmap> Picture() {
  auto picture = std::make_unique<Bitmap>(kWidth, kHeight, PixelFormat::Format24bppRGB);
  for (int y = 0; y < kHeight; ++y) {
    std::uint32_t* row = picture->GetRow(y);
    for (int x = 0; x < kWidth; ++x) row[x] = 0xFF000000u | (x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x ^ y) & 0xFF);
  }
  picture->MarkDirty();
  return picture;
}

void Prepare(CPuzzleCutter& cutter, int pieceSize) {
  platform::SeedRand(1);
  cutter.SetImageSize(kWidth, kHeight);
  cutter.SetPieceSize(pieceSize);
}

// Budget: under 2 ms for 48 x 27 pieces.
void BM_CutterOutline(benchmark::State& state) {
  CPuzzleCutter cutter;
  Prepare(cutter, 40);
  bool flip = false;
  for (auto _ : state) {
    cutter.SetDeviation(flip ? 0.5f : 0.52f);
    flip = !flip;
    benchmark::DoNotOptimize(cutter.GetCutsPath().GetPointCount());
  }
  state.counters["edges"] = static_cast<double>(cutter.GetCutEdges().size());
}
BENCHMARK(BM_CutterOutline)->Unit(benchmark::kMillisecond);

// Every piece of the picture, edges placed afresh each time as when a
// puzzle is opened. Budget at piece size 40: under 100 ms, and the pieces'
// bitmaps under 2.5 times the picture's bytes.
void CutAllPieces(benchmark::State& state, int pieceSize) {
  auto picture = Picture();
  CPuzzleCutter cutter;
  Prepare(cutter, pieceSize);
  auto cut = cutter.GetCutImage(*picture);
  const Size grid = cutter.GetGridSize();
  double pieceBytes = 0;
  bool flip = false;
  for (auto _ : state) {
    cutter.SetDeviation(flip ? 0.5f : 0.52f);
    flip = !flip;
    pieceBytes = 0;
    for (int r = 0; r < grid.Height; ++r) {
      for (int c = 0; c < grid.Width; ++c) {
        auto piece = cutter.GetPieceImage(*cut, c, r);
        pieceBytes += static_cast<double>(piece.bitmap->GetStride()) * piece.bitmap->GetHeight();
        benchmark::DoNotOptimize(piece.bitmap.get());
      }
    }
  }
  state.counters["pieces"] = grid.Width * grid.Height;
  state.counters["bytes_ratio"] = pieceBytes / (static_cast<double>(picture->GetStride()) * kHeight);
}

void BM_CutterPieces40(benchmark::State& state) { CutAllPieces(state, 40); }
BENCHMARK(BM_CutterPieces40)->Unit(benchmark::kMillisecond);

void BM_CutterPieces80(benchmark::State& state) { CutAllPieces(state, 80); }
BENCHMARK(BM_CutterPieces80)->Unit(benchmark::kMillisecond);

// The floor: copying the picture's bytes once.
void BM_Floor_Memcpy1080p(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(kWidth) * kHeight * 4;
  std::vector<std::uint8_t> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Floor_Memcpy1080p)->Unit(benchmark::kMillisecond);

}  // namespace
