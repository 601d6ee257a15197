// The store room with a large library: entering it (1,000 puzzles in 20
// categories, until its first frame is painted) and keeping it open (the
// logo's two timers fading, moving and repainting it).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "bench/bench_library.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "platform/message_loop.h"
#include "platform/random.h"
#include "platform/window.h"
#include "rooms/store_room.h"

namespace {

using bench::Picture;

// The game's main window, headless, at a full-HD size, with its library
// filled: 20 categories and 1,000 unfinished puzzles with 120 x 90
// thumbnails, half of them in categories.
struct Scene {
  platform::MessageLoop loop;
  CPuzzleView view;
  CPuzzleCanvas* canvas = nullptr;

  bool Open(bool fill = true) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    CRSEventDispatcher::Create();
    CRSGlobalEvents::Get();
    // Each scene starts from an empty data folder: the scene before it wrote
    // its library there when it closed, and filling that again would
    // measure twice as many puzzles.
    if (const char* data = std::getenv("TANDRILL_DATA_DIR")) {
      std::error_code ignored;
      std::filesystem::remove_all(data, ignored);
    }
    if (!view.Create()) return false;
    canvas = view.GetPuzzleCanvas();
    if (!canvas) return false;
    canvas->SetSize(SizeF(1920, 1080));
    Pump();
    if (!fill) return true;
    CPuzzleLibrary& library = canvas->GetLibrary();
    for (int c = 0; c < 20; ++c)
      library.AddCategory(new CPuzzleCategoryData("Category " + std::to_string(c), Picture(64, 48, c)));
    std::unique_ptr<CPuzzleImageData> samples[8];
    for (int s = 0; s < 8; ++s) samples[s] = std::make_unique<CPuzzleImageData>(Picture(2000, 1500, s * 31).get(), "s");
    // The room that exists takes new entries as they come; put it away so
    // the library is filled without it.
    canvas->ClearFloor();
    Pump();
    for (int i = 0; i < 1000; ++i) {
      auto* entry = new CPuzzleImageData();
      entry->SetName("Puzzle " + std::to_string(i));
      entry->SetTitle("Title of puzzle " + std::to_string(i));
      if (i % 2) entry->SetCategory("Category " + std::to_string(i % 20));
      entry->SetPercentCompleted(i % 100);
      entry->SetPosition(PointF(static_cast<float>(i % 37) * 45, static_cast<float>(i % 23) * 40));
      entry->SetSize(Size(2000, 1500));
      entry->SetThumbnailText(samples[i % 8]->GetThumbnailText());
      library.AddPuzzleImage(entry);
    }
    return true;
  }
  CPuzzleStoreRoom* Enter() {
    auto* room = new CPuzzleStoreRoom(canvas, "");
    canvas->GetLibrary().SetStoreRoom(room);
    canvas->AdoptRoom(room);
    return room;
  }
  // The room entered and painted, its logo in the middle of a cycle: placed
  // and sized by a first tick, then fading in with its echo about. The
  // sequence of random numbers is the same on every run, so runs place the
  // logo alike and compare.
  CPuzzleStoreRoom* EnterIdle() {
    platform::SeedRand(1);
    CPuzzleStoreRoom* room = Enter();
    room->SetPhase(0.0f);
    room->OnTimer(CPuzzleStoreRoom::kTimerFade, 0);
    room->SetPhase(0.3f);
    // A room that has stood for a while has painted itself a few times over
    // and kept the pictures that pays for; the first of those paints are
    // part of entering, not of standing idle.
    for (int i = 0; i < 3; ++i) {
      view.GetWindow()->InvalidateAll();
      view.GetWindow()->UpdateNow();
    }
    Pump();
    return room;
  }
  void Pump() {
    FlushEvents(nullptr);
    int quit = 0;
    loop.PumpMessages(0, &quit);
  }
};

// Budget: under 500 ms from entering the room to its first painted frame.
void BM_StoreRoomBuild1000(benchmark::State& state) {
  Scene scene;
  if (!scene.Open()) {
    state.SkipWithError("no window");
    return;
  }
  for (auto _ : state) {
    scene.Enter();
    scene.view.GetWindow()->UpdateNow();
    state.PauseTiming();
    scene.Pump();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StoreRoomBuild1000)->Unit(benchmark::kMillisecond)->Iterations(5);

// Budget: under 10 ms of CPU per second with the room open and idle (1 % of
// a core): the logo's timers and the repaints they cause. Each iteration is
// one second of the message loop; the figure is the process CPU time.
void BM_StoreRoomIdle(benchmark::State& state) {
  Scene scene;
  if (!scene.Open()) {
    state.SkipWithError("no window");
    return;
  }
  scene.EnterIdle();
  for (auto _ : state) scene.loop.PumpMessages(1000);
}
BENCHMARK(BM_StoreRoomIdle)->Unit(benchmark::kMillisecond)->Iterations(5)->MeasureProcessCPUTime()->UseRealTime();

// The same with an empty library: the logo alone.
void BM_StoreRoomIdleEmpty(benchmark::State& state) {
  Scene scene;
  if (!scene.Open(false)) {
    state.SkipWithError("no window");
    return;
  }
  scene.EnterIdle();
  for (auto _ : state) scene.loop.PumpMessages(1000);
}
BENCHMARK(BM_StoreRoomIdleEmpty)->Unit(benchmark::kMillisecond)->Iterations(5)->MeasureProcessCPUTime()->UseRealTime();

// The full room with its logo's timers stopped: what is left is the message
// loop's own cost, so the difference to BM_StoreRoomIdle is the logo's share.
void BM_StoreRoomIdleLogoStopped(benchmark::State& state) {
  Scene scene;
  if (!scene.Open()) {
    state.SkipWithError("no window");
    return;
  }
  scene.EnterIdle()->KillAllTimers();
  for (auto _ : state) scene.loop.PumpMessages(1000);
}
BENCHMARK(BM_StoreRoomIdleLogoStopped)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Floor: an empty second of the same loop with no room at all.
void BM_StoreRoomIdleFloor(benchmark::State& state) {
  Scene scene;
  if (!scene.Open()) {
    state.SkipWithError("no window");
    return;
  }
  scene.canvas->ClearFloor();
  scene.Pump();
  for (auto _ : state) scene.loop.PumpMessages(1000);
}
BENCHMARK(BM_StoreRoomIdleFloor)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

