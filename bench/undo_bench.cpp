// The table's history with the real main window (headless), in a window of
// 1920 x 1080:
//
// - BM_UndoScatter9600: a Scatter of 9600 pieces (a 6000 x 4000 picture)
//   taken back, the repaint of the window included. Budget: under 100 ms.
//   Counters restore_ms and repaint_ms split its CPU time between taking
//   the records back and painting the table again.
// - BM_UndoDrop: a join of two pieces in a puzzle of 1296 taken back,
//   repaint included. Budget: under 4 ms.
// - BM_HistoryOfDrops9600: one step recorded after a piece was moved on the
//   table of 9600 pieces (what every drop costs once the hand is empty);
//   counter history_mib: what 1000 such steps hold (budget under 20 MB).

#include <benchmark/benchmark.h>

#include "bench/play_scene.h"
#include "play/piece.h"
#include "play/play_room.h"
#include "play/selection.h"
#include "play/table.h"
#include "play/table_history.h"

namespace {

using bench_play::Scene;

constexpr int kWindowWidth = 1920;
constexpr int kWindowHeight = 1080;

CPuzzlePlayRoom* OpenRoom(Scene& scene, benchmark::State& state) {
  CPuzzlePlayRoom* room = scene.Ok() ? scene.Open() : nullptr;
  if (!room || !room->GetTable() || room->GetPieces().size() < 2) {
    state.SkipWithError("no room");
    return nullptr;
  }
  room->GetTable()->SetView(room->GetTable()->GetViewport().GetMinZoom(), PointF());
  scene.Frame();
  return room;
}

// Budget 100 ms.
void BM_UndoScatter9600(benchmark::State& state) {
  Scene scene(6000, 4000, 50, kWindowWidth, kWindowHeight);
  CPuzzlePlayRoom* room = OpenRoom(scene, state);
  if (!room) return;
  CTableHistory& history = room->GetTable()->GetHistory();
  double restoreMs = 0.0, repaintMs = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    room->Scatter();
    history.Commit();
    scene.Frame();
    state.ResumeTiming();
    const double start = bench_play::CpuMs();
    history.Undo();
    const double restored = bench_play::CpuMs();
    scene.Frame();
    restoreMs += restored - start;
    repaintMs += bench_play::CpuMs() - restored;
  }
  state.counters["restore_ms"] = restoreMs / static_cast<double>(state.iterations());
  state.counters["repaint_ms"] = repaintMs / static_cast<double>(state.iterations());
  state.counters["pieces"] = static_cast<double>(room->GetPieces().size());
  state.counters["history_mib"] = static_cast<double>(history.GetMemoryUse()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_UndoScatter9600)->Unit(benchmark::kMillisecond)->Iterations(10);

// Budget 4 ms.
void BM_UndoDrop(benchmark::State& state) {
  Scene scene(1920, 1080, bench_play::kPieceSize, kWindowWidth, kWindowHeight);
  CPuzzlePlayRoom* room = OpenRoom(scene, state);
  if (!room) return;
  CTableHistory& history = room->GetTable()->GetHistory();
  for (int i : {0, 1}) {
    room->SetCurrentItem(room->GetPieces()[static_cast<std::size_t>(i)].get());
    room->Hint();
  }
  room->GetPieces()[1]->TryConnect();
  history.Commit();
  scene.Frame();
  for (auto _ : state) {
    history.Undo();
    history.FinishSlide();
    scene.Frame();
    state.PauseTiming();
    history.Redo();
    history.FinishSlide();
    scene.Frame();
    state.ResumeTiming();
  }
  state.counters["pieces"] = static_cast<double>(room->GetPieces().size());
}
BENCHMARK(BM_UndoDrop)->Unit(benchmark::kMillisecond);

void BM_HistoryOfDrops9600(benchmark::State& state) {
  Scene scene(6000, 4000, 50, kWindowWidth, kWindowHeight);
  CPuzzlePlayRoom* room = OpenRoom(scene, state);
  if (!room) return;
  CTableHistory& history = room->GetTable()->GetHistory();
  const auto& pieces = room->GetPieces();
  std::size_t step = 0;
  for (auto _ : state) {
    state.PauseTiming();
    CRSCanvasItem* top = CTableSelection::TopOf(pieces[(step * 7919) % pieces.size()].get());
    top->MoveBy(PointF((step++ % 2) ? 30.0f : -30.0f, 12.0f));
    state.ResumeTiming();
    history.Commit();
  }
  while (step < CTableHistory::kMaxSteps) {
    CTableSelection::TopOf(pieces[(step * 7919) % pieces.size()].get())->MoveBy(PointF(30.0f, 12.0f));
    ++step;
    history.Commit();
  }
  state.counters["history_mib"] = static_cast<double>(history.GetMemoryUse()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_HistoryOfDrops9600)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace
