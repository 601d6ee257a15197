// The cuts room's hot paths: one step of the dragged difficulty slider at
// the smallest pieces of a full-screen picture, and loading a camera's
// picture reduced to the screen.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "data/puzzle_data.h"
#include "platform/image_codec.h"
#include "platform/message_loop.h"
#include "rooms/cuts_room.h"

namespace {

std::unique_ptr<Gdiplus::Bitmap> Photo(int w, int h) {
  auto picture = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat::Format24bppRGB);
  for (int y = 0; y < h; ++y) {
    std::uint32_t* row = picture->GetRow(y);
    for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | ((x / 7) & 0xFF) << 16 | ((y / 5) & 0xFF) << 8 | ((x ^ y) & 0xFF);
  }
  picture->MarkDirty();
  return picture;
}

std::string WriteJpeg(const Gdiplus::Bitmap& picture, const std::string& name) {
  std::vector<std::uint8_t> bytes;
  if (!platform::EncodeImage(picture, "image/jpeg", bytes)) return {};
  char folder[] = "/tmp/tandrill_cuts_bench_XXXXXX";
  if (!mkdtemp(folder)) return {};
  const std::string path = std::string(folder) + "/" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  return path;
}

// Budget: under 16 ms a step, so a dragged slider keeps 60 frames a second.
// One step: the dialog asks for the next piece size, the cutter rebuilds
// its grid and outline (48 x 27 pieces at the smallest size), the cuts item
// takes the new path, and the window repaints and presents what changed.
void BM_CutsPreviewStep(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  char data[] = "/tmp/tandrill_cuts_bench_data_XXXXXX";
  if (mkdtemp(data)) setenv("TANDRILL_DATA_DIR", data, 1);
  CRSEventDispatcher::Create();
  CRSGlobalEvents::Get();
  platform::MessageLoop loop;
  {
    CPuzzleView view;
    if (!view.Create()) {
      state.SkipWithError("no window");
      return;
    }
    view.GetWindow()->SetWindowRect(Rect(0, 0, 1920, 1080));
    view.GetWindow()->Show();
    CPuzzleCanvas* canvas = view.GetPuzzleCanvas();
    canvas->SetLargestPictureSize(Size(1921, 1081));
    loop.PumpMessages(20);
    const std::string path = WriteJpeg(*Photo(1920, 1080), "screen.jpg");
    if (path.empty() || !canvas->CreatePuzzleFromPicture(path)) {
      state.SkipWithError("no cuts room");
      return;
    }
    auto* room = dynamic_cast<CPuzzleCutsRoom*>(canvas->GetCurrentRoom());
    CRSSlider* difficulty = room->GetDialog()->GetDifficultySlider();
    difficulty->SetValue(difficulty->GetMaximum());
    loop.PumpMessages(20);
    view.GetWindow()->UpdateNow();

    // Back and forth between the two smallest sizes, as a drag near the
    // slider's end does.
    const float high = difficulty->GetMaximum();
    bool flip = false;
    double modelSeconds = 0;
    for (auto _ : state) {
      const auto start = std::chrono::steady_clock::now();
      difficulty->SetValue(flip ? high : high - 1.0f);
      modelSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      flip = !flip;
      view.GetWindow()->UpdateNow();
    }
    // The share of a step spent before painting: slider, cutter and path.
    state.counters["model_ms"] = benchmark::Counter(modelSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["pieces"] = static_cast<double>(room->GetDialog()->Values().columns * room->GetDialog()->Values().rows);
    DiscardEvents();
  }
  loop.PumpMessages(0);
}
BENCHMARK(BM_CutsPreviewStep)->Unit(benchmark::kMillisecond);

// Budget: under 400 ms for a 24-megapixel camera picture: the JPEG decoded
// and reduced once to a 1920 x 1080 screen, 24-bit.
void BM_CutsPictureLoad24MP(benchmark::State& state) {
  static const std::string path = WriteJpeg(*Photo(6000, 4000), "camera.jpg");
  if (path.empty()) {
    state.SkipWithError("no picture");
    return;
  }
  for (auto _ : state) {
    cuts_picture::Loaded loaded = cuts_picture::LoadFile(path, Size(1920, 1080));
    if (loaded.result != cuts_picture::Result::kOk) state.SkipWithError("refused");
    benchmark::DoNotOptimize(loaded.picture.get());
  }
}
BENCHMARK(BM_CutsPictureLoad24MP)->Unit(benchmark::kMillisecond)->Iterations(5);

// The floor beside it: copying the 24-megapixel picture's pixels once.
void BM_CutsPictureCopyFloor24MP(benchmark::State& state) {
  std::vector<std::uint8_t> from(std::size_t(6000) * 4000 * 4, 1), to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
  }
}
BENCHMARK(BM_CutsPictureCopyFloor24MP)->Unit(benchmark::kMillisecond);

}  // namespace
