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

constexpr int kPieceSize = 40;

long PeakMemoryKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::shared_ptr<Gdiplus::Bitmap> MakePicture(int width, int height) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(width, height, PixelFormat::Format24bppRGB);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture->SetPixel(x, y, 0xFF000000u | static_cast<ARGB>((x * 255 / width) << 16 | (y * 255 / height) << 8 |
                                                               (((x / 25 + y / 25) % 2) ? 200 : 60)));
  return picture;
}

// The main window with one puzzle of width x height in its library, saved
// once with every piece placed (so that opening restores it).
class Scene {
 public:
  Scene(int width, int height) {
    setenv("TANDRILL_DATA_DIR", m_folder.path.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::InitialiseMessaging();
    CRSEventDispatcher::Create();
    CRSGlobalEvents::Get();
    CRSTimerStatic::Create();
    CRSControlStylesDefault::Install();
    platform::SeedRand(7);
    m_ok = m_view.Create();
    if (!m_ok) return;
    m_canvas = m_view.GetPuzzleCanvas();
    m_view.GetWindow()->ResizeTo(width + 40, height + 60);
    m_canvas->SetSize(SizeF(static_cast<float>(width + 40), static_cast<float>(height + 60)));
    m_view.GetWindow()->Show();
    Pump();

    CPuzzleData puzzle("bench");
    puzzle.SetPicture(MakePicture(width, height));
    puzzle.GetCutter().SetPieceSize(kPieceSize);
    puzzle.SetTitle("Bench");
    puzzle.Save();
    auto* record = new CPuzzleImageData(puzzle.GetPicture().get(), "bench");
    m_canvas->GetLibrary().AddPuzzleImage(record);
    // The first opening scatters and saves every piece, so that each later
    // opening restores a saved game.
    Open();
    Leave();
  }
  ~Scene() {
    Leave();
    DiscardEvents();
  }

  bool Ok() const { return m_ok; }
  CPuzzleCanvas* Canvas() const { return m_canvas; }
  CPuzzlePlayRoom* Room() const { return dynamic_cast<CPuzzlePlayRoom*>(m_canvas->GetCurrentRoom()); }

  // Play, then the first frame.
  CPuzzlePlayRoom* Open() {
    auto* room = dynamic_cast<CPuzzlePlayRoom*>(m_canvas->PlaySelectedPuzzle());
    Frame();
    return room;
  }
  void Frame() { m_view.GetWindow()->UpdateNow(); }
  void Leave() {
    if (m_canvas) m_canvas->ClearFloor();
    Pump();
  }
  void Pump(unsigned ms = 0) {
    FlushEvents(nullptr);
    m_loop.PumpMessages(ms);
  }
  platform::MessageLoop& Loop() { return m_loop; }

 private:
  // A data folder of the scene's own, removed after everything else of
  // the scene (the root writes its library as it goes).
  struct Folder {
    Folder() {
      char name[] = "/tmp/tandrill_bench_XXXXXX";
      if (mkdtemp(name)) path = name;
    }
    ~Folder() {
      std::error_code ignored;
      if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    std::string path;
  } m_folder;
  platform::MessageLoop m_loop;
  CPuzzleView m_view;
  CPuzzleCanvas* m_canvas = nullptr;
  bool m_ok = false;
};

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
  // The bevels are stroked on every processor; this is the CPU time of all
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
