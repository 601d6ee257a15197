// The cutter's hot paths: the cut outline redrawn while the Chaos slider
// moves, and cutting a picture into pieces when a puzzle opens, from a
// full-screen picture up to a full 6000 x 4000 photo.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "data/cutter.h"
#include "platform/random.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

std::unique_ptr<Bitmap> Picture(int width = kWidth, int height = kHeight) {
  auto picture = std::make_unique<Bitmap>(width, height, PixelFormat::Format24bppRGB);
  for (int y = 0; y < height; ++y) {
    std::uint32_t* row = picture->GetRow(y);
    for (int x = 0; x < width; ++x) row[x] = 0xFF000000u | (x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x ^ y) & 0xFF);
  }
  picture->MarkDirty();
  return picture;
}

void Prepare(CPuzzleCutter& cutter, int pieceSize, int width = kWidth, int height = kHeight) {
  platform::SeedRand(1);
  cutter.SetImageSize(width, height);
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

// A whole cut as a puzzle of a full picture opens: the grid's edges placed
// afresh, the cut picture taken from the photo and every piece cut from it.
// 2,400 and 9,600 pieces of the same size from pictures of one and four
// times the area: the time must grow about fourfold, not sixteenfold.
// Budget at 9,600 pieces: under 1 s.
void CutWholePicture(benchmark::State& state, int width, int height, int pieceSize) {
  auto picture = Picture(width, height);
  CPuzzleCutter cutter;
  Prepare(cutter, pieceSize, width, height);
  const Size grid = cutter.GetGridSize();
  bool flip = false;
  for (auto _ : state) {
    cutter.SetDeviation(flip ? 0.5f : 0.52f);
    flip = !flip;
    auto cut = cutter.GetCutImage(*picture);
    for (int r = 0; r < grid.Height; ++r) {
      for (int c = 0; c < grid.Width; ++c) benchmark::DoNotOptimize(cutter.GetPieceImage(*cut, c, r).bitmap.get());
    }
  }
  state.counters["pieces"] = grid.Width * grid.Height;
}

void BM_Cutter1296(benchmark::State& state) { CutWholePicture(state, kWidth, kHeight, 40); }
BENCHMARK(BM_Cutter1296)->Unit(benchmark::kMillisecond);

void BM_Cutter2400(benchmark::State& state) { CutWholePicture(state, 3000, 2000, 50); }
BENCHMARK(BM_Cutter2400)->Unit(benchmark::kMillisecond);

void BM_Cutter9600(benchmark::State& state) { CutWholePicture(state, 6000, 4000, 50); }
BENCHMARK(BM_Cutter9600)->Unit(benchmark::kMillisecond);

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
