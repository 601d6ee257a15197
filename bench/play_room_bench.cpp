// The play room's hot paths with the real main window (headless):
//
// - BM_PlayRoomOpen1296: from the Play command to the first frame with every
//   piece, bevel and shadow drawn, for 1296 pieces of a 1920 x 1080 picture
//   restored from its file. Budget: under 300 ms.
// - BM_PlayRoomOpen5184: the same for the largest puzzle of a 3840 x 2160
//   screen, 5184 pieces. Budget: under 1.5 s.
// - BM_DragGroup600: one drag step of a joined group of 600 pieces, repaint
//   and present included. Budget: under 8 ms.
// - BM_PlayRoomIdle: CPU time per second of play with the clock running
//   (counter cpu_ms_per_s). Budget: under 10 ms per second.
//
// The open cases also report the process's peak memory (counter peak_mib;
// run each case alone for a clean figure) and the CPU time of all threads
// for one opening (counter process_cpu_ms). Budgets: 150 MB with 1296 pieces,
// 500 MB with 5184. The floor beside them, BM_PlayRoomCopyPicture, copies
// the puzzle's picture once, so a ratio survives a noisy machine.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/play_scene.h"
#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/timer.h"
#include "data/control_styles_default.h"
#include "data/puzzle_data.h"
#include "data/puzzle_image_data.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/play_room.h"
#include "platform/clock.h"
#include "platform/message_loop.h"
#include "platform/random.h"
#include "platform/window.h"

namespace {

using bench_play::CpuMs;
using bench_play::kPieceSize;
using bench_play::MakePicture;
using bench_play::PeakMemoryKiB;
using bench_play::Scene;

void OpenCase(benchmark::State& state, int width, int height) {
  Scene scene(width, height);
  if (!scene.Ok()) {
    state.SkipWithError("no window");
    return;
  }
  int pieces = 0;
  double processCpu = 0.0;
  for (auto _ : state) {
    const double cpuBefore = CpuMs();
    CPuzzlePlayRoom* room = scene.Open();
    processCpu += CpuMs() - cpuBefore;
    state.PauseTiming();
    pieces = room ? static_cast<int>(room->GetPieces().size()) : 0;
    scene.Leave();
    state.ResumeTiming();
  }
  state.counters["pieces"] = pieces;
  // The bevels are drawn on every processor; this is the CPU time of all
  // of the process's threads for one opening, beside the main thread's in
  // the CPU column.
  state.counters["process_cpu_ms"] =
      state.iterations() > 0 ? processCpu / static_cast<double>(state.iterations()) : 0.0;
  state.counters["peak_mib"] = static_cast<double>(PeakMemoryKiB()) / 1024.0;
}

// Budget 300 ms, peak memory 150 MB.
void BM_PlayRoomOpen1296(benchmark::State& state) { OpenCase(state, 1920, 1080); }
BENCHMARK(BM_PlayRoomOpen1296)->Unit(benchmark::kMillisecond)->Iterations(5);

// Budget 1.5 s, peak memory 500 MB.
void BM_PlayRoomOpen5184(benchmark::State& state) { OpenCase(state, 3840, 2160); }
BENCHMARK(BM_PlayRoomOpen5184)->Unit(benchmark::kMillisecond)->Iterations(2);

// The floor for the open cases: one copy of a 1920 x 1080 picture.
void BM_PlayRoomCopyPicture(benchmark::State& state) {
  auto picture = MakePicture(1920, 1080);
  for (auto _ : state) benchmark::DoNotOptimize(picture->Clone());
}
BENCHMARK(BM_PlayRoomCopyPicture)->Unit(benchmark::kMillisecond);

// Budget 8 ms a step.
void BM_DragGroup600(benchmark::State& state) {
  // 30 x 20 pieces, all joined: every piece put on its place by Hint and
  // joined by the connect test.
  Scene scene(30 * kPieceSize, 20 * kPieceSize);
  CPuzzlePlayRoom* room = scene.Ok() ? scene.Open() : nullptr;
  if (!room) {
    state.SkipWithError("no room");
    return;
  }
  for (const auto& ref : room->GetPieces()) {
    room->SetCurrentItem(ref.get());
    room->Hint();
  }
  for (const auto& ref : room->GetPieces()) ref->TryConnect();
  CRSCanvasItem* group = room->GetPieces().front()->GetParentItem();
  if (!dynamic_cast<CPuzzleGroup*>(group)) {
    state.SkipWithError("not joined");
    return;
  }
  scene.Frame();
  int step = 0;
  for (auto _ : state) {
    group->MoveBy(PointF((step++ % 20 < 10) ? 3.0f : -3.0f, 0.0f));
    scene.Frame();
  }
  state.counters["pieces"] = static_cast<double>(group->GetChildItems().size());
}
BENCHMARK(BM_DragGroup600)->Unit(benchmark::kMillisecond);

// CPU per second of wall time while the loop runs for three seconds. The
// loop waits for its next message as the game's does, so it sleeps from
// one tick of the clock to the next.
double IdleCpuPerSecond(Scene& scene) {
  const double cpuStart = CpuMs();
  const std::uint32_t start = platform::GetTickCount();
  for (std::uint32_t elapsed = 0; elapsed < 3000; elapsed = platform::GetTickCount() - start)
    scene.Pump(3000 - elapsed);
  const double wall = static_cast<double>(platform::GetTickCount() - start);
  return wall > 0 ? (CpuMs() - cpuStart) * 1000.0 / wall : 0.0;
}

// Budget 10 ms of CPU per second of play. The floor is the same loop with
// the floor empty (the message loop's own waiting), measured first.
void BM_PlayRoomIdle(benchmark::State& state) {
  Scene scene(1920, 1080);
  if (!scene.Ok()) {
    state.SkipWithError("no window");
    return;
  }
  const double floor = IdleCpuPerSecond(scene);
  if (!scene.Open()) {
    state.SkipWithError("no room");
    return;
  }
  double withRoom = 0.0;
  for (auto _ : state) withRoom = IdleCpuPerSecond(scene);
  state.counters["cpu_ms_per_s"] = withRoom;
  state.counters["floor_cpu_ms_per_s"] = floor;
}
BENCHMARK(BM_PlayRoomIdle)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
