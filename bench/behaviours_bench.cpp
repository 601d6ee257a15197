// The glow behind highlights and shadows, computed once per content change
// at the image's first paint. Budget: a 120 × 90 piece's glow in under 1 ms.
// Each case is measured beside a copy of the same output bytes, the floor no
// implementation can beat, so the ratio survives a noisy machine.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "canvas/glow.h"
#include "canvas/items.h"

namespace {

// A piece-like item: an opaque picture with a soft, partly transparent rim.
std::shared_ptr<Gdiplus::Bitmap> PiecePicture(int w, int h) {
  auto b = std::make_shared<Gdiplus::Bitmap>(w, h, PixelFormat::Format32bppARGB);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int edge = std::min(std::min(x, y), std::min(w - 1 - x, h - 1 - y));
      const ARGB alpha = edge >= 6 ? 255u : static_cast<ARGB>(edge * 40);
      b->SetPixel(x, y, (alpha << 24) | 0x00806040);
    }
  }
  return b;
}

// The whole effect as the highlight runs it: paint the item, spread its alpha.
void RunGlow(benchmark::State& state, int w, int h) {
  CRSCanvasImage item(PointF(), nullptr, "piece", PiecePicture(w, h));
  for (auto _ : state) {
    auto glow = RenderGlow(item, 16, 0x90FFFF00, 2.0f);
    benchmark::DoNotOptimize(glow.get());
  }
}

void RunFloor(benchmark::State& state, int w, int h) {
  const size_t bytes = static_cast<size_t>(w + 15) * (h + 15) * 4;
  std::vector<unsigned char> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}

void BM_Glow120x90(benchmark::State& state) { RunGlow(state, 120, 90); }   // budget: < 1 ms
void BM_Glow600x400(benchmark::State& state) { RunGlow(state, 600, 400); }  // no budget; scales with area
void BM_GlowFloorCopy120x90(benchmark::State& state) { RunFloor(state, 120, 90); }
void BM_GlowFloorCopy600x400(benchmark::State& state) { RunFloor(state, 600, 400); }

BENCHMARK(BM_Glow120x90)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GlowFloorCopy120x90)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Glow600x400)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GlowFloorCopy600x400)->Unit(benchmark::kMicrosecond);

}  // namespace
