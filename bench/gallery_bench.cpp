// The gallery with 500 solved puzzles (120 x 90 thumbnails) in the real main
// window, headless: entering the room until its first frame is painted, and
// one re-layout of the wall after a resize with its repaint. A plain repaint
// of the same scene is measured beside them as the floor.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "bench/bench_library.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "data/library.h"
#include "platform/message_loop.h"
#include "rooms/gallery_room.h"

namespace {

using bench::Picture;

// The main window with a library of 500 solved puzzles, made once.
struct Scene {
  platform::MessageLoop loop;
  CPuzzleView view;
  CPuzzleCanvas* canvas = nullptr;

  Scene() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    CRSEventDispatcher::Create();
    CRSGlobalEvents::Get();
    if (!view.Create()) return;
    canvas = view.GetPuzzleCanvas();
    view.GetWindow()->Show();
    canvas->SetSize(SizeF(1920, 1080));
    Pump();
    // 2000 x 1500 pictures give 120 x 90 thumbnails; a few distinct ones
    // are enough to make every thumbnail a real picture of that size.
    std::unique_ptr<CPuzzleImageData> samples[8];
    for (int s = 0; s < 8; ++s) samples[s] = std::make_unique<CPuzzleImageData>(Picture(2000, 1500, s * 31).get(), "s");
    for (int i = 0; i < 500; ++i) {
      auto* entry = new CPuzzleImageData();
      entry->SetName("Puzzle " + std::to_string(i));
      entry->SetPercentCompleted(100);
      entry->SetSize(Size(2000, 1500));
      entry->SetThumbnailText(samples[i % 8]->GetThumbnailText());
      entry->DecodeThumbnail();
      canvas->GetLibrary().AddPuzzleImage(entry);
    }
  }
  void Pump() {
    FlushEvents(nullptr);
    int quit = 0;
    loop.PumpMessages(0, &quit);
  }
};

Scene& GetScene() {
  static Scene* scene = new Scene();  // lives to the end: the window outlasts the cases
  return *scene;
}

// The shared scene with the gallery entered and painted once; null (the case
// skipped) without a window.
Scene* GalleryShown(benchmark::State& state) {
  Scene& scene = GetScene();
  if (!scene.canvas) {
    state.SkipWithError("no window");
    return nullptr;
  }
  scene.canvas->ShowGallery();
  scene.canvas->UpdateNow();
  return &scene;
}

// Budget: under 400 ms from asking for the gallery to its first frame.
void BM_GalleryEnter500(benchmark::State& state) {
  Scene& scene = GetScene();
  if (!scene.canvas) {
    state.SkipWithError("no window");
    return;
  }
  for (auto _ : state) {
    scene.canvas->ShowGallery();
    scene.canvas->UpdateNow();
  }
  auto* room = dynamic_cast<CPuzzleGalleryRoom*>(scene.canvas->GetCurrentRoom());
  state.counters["frames"] = room ? static_cast<double>(room->GetFloorItems().size()) : 0.0;
  scene.Pump();
}
BENCHMARK(BM_GalleryEnter500)->Unit(benchmark::kMillisecond);

// Budget: under 16 ms for one resize: the wall laid out again and repainted.
void BM_GalleryRelayout500(benchmark::State& state) {
  Scene* shown = GalleryShown(state);
  if (!shown) return;
  Scene& scene = *shown;
  int step = 0;
  for (auto _ : state) {
    // Alternating widths change the number of columns every time.
    scene.canvas->SetSize(SizeF(step++ % 2 ? 1920.0f : 1500.0f, 1080.0f));
    scene.canvas->UpdateNow();
  }
  scene.Pump();
}
BENCHMARK(BM_GalleryRelayout500)->Unit(benchmark::kMillisecond);

// The re-layout's own share: the same resize without the repaint.
void BM_GalleryRelayoutNoPaint500(benchmark::State& state) {
  Scene* shown = GalleryShown(state);
  if (!shown) return;
  Scene& scene = *shown;
  int step = 0;
  for (auto _ : state) scene.canvas->SetSize(SizeF(step++ % 2 ? 1920.0f : 1500.0f, 1080.0f));
  scene.canvas->UpdateNow();
  scene.Pump();
}
BENCHMARK(BM_GalleryRelayoutNoPaint500)->Unit(benchmark::kMillisecond);

// The floor beside the re-layout: the same scene repainted whole, unchanged.
void BM_GalleryRepaint500(benchmark::State& state) {
  Scene* shown = GalleryShown(state);
  if (!shown) return;
  Scene& scene = *shown;
  for (auto _ : state) {
    scene.canvas->Invalidate();
    scene.canvas->UpdateNow();
  }
  scene.Pump();
}
BENCHMARK(BM_GalleryRepaint500)->Unit(benchmark::kMillisecond);

}  // namespace
