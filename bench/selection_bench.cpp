// The selection's and the tools' hot paths with the real main window
// (headless), 9600 pieces of a 6000 x 4000 picture on a table three times
// its area in a window of 1920 x 1080, the whole table in view:
//
// - BM_RubberBand9600: one pointer move of a selection frame (its corner 20
//   pixels further or back), with the selection it changes and the repaint.
//   Budget: under 8 ms.
// - BM_DragSelection500: one drag step of 500 selected loose pieces held on
//   the lift, as the table moves them (the held one and its followers), with
//   the repaint. Budget: under 8 ms.
// - BM_Arrange9600: Arrange of every loose piece, repaint included.
//   Budget: under 300 ms.
// - BM_Edges9600: Edges (the 396 border pieces into their tray), repaint
//   included; the pieces go back to the table untimed. Budget: under 300 ms.

#include <benchmark/benchmark.h>

#include "bench/play_scene.h"
#include "play/play_room.h"
#include "play/table.h"
#include "play/tray.h"

namespace {

using bench_play::Scene;

// Built once for every case (cutting and scattering 9600 pieces takes longer
// than the cases together) and ended by the last one.
Scene* s_scene = nullptr;

CPuzzleTable* OpenTable(benchmark::State& state) {
  if (!s_scene) s_scene = new Scene(6000, 4000, 50, 1920, 1080);
  CPuzzlePlayRoom* room = s_scene->Ok() ? (s_scene->Room() ? s_scene->Room() : s_scene->Open()) : nullptr;
  if (!room || !room->GetTable()) {
    state.SkipWithError("no room");
    return nullptr;
  }
  CPuzzleTable* table = room->GetTable();
  table->GetSelection().Clear();
  table->SetView(table->GetViewport().GetMinZoom(), PointF());
  s_scene->Frame();
  return table;
}

// Budget 8 ms.
void BM_RubberBand9600(benchmark::State& state) {
  CPuzzleTable* table = OpenTable(state);
  if (!table) return;
  table->BeginBand(PointF(300, 200), false);
  table->MoveBand(PointF(1200, 700));
  s_scene->Frame();
  int step = 0;
  for (auto _ : state) {
    const float shift = (step++ % 2) ? 20.0f : 0.0f;
    table->MoveBand(PointF(1200 + shift, 700 + shift));
    s_scene->Frame();
  }
  state.counters["selected"] = static_cast<double>(table->GetSelection().GetItems().size());
  table->EndBand(PointF(1200, 700));
  table->GetSelection().Clear();
}
BENCHMARK(BM_RubberBand9600)->Unit(benchmark::kMillisecond);

// Budget 8 ms.
void BM_DragSelection500(benchmark::State& state) {
  CPuzzleTable* table = OpenTable(state);
  if (!table) return;
  std::vector<CRSCanvasItem*> items = table->GetLooseItems();
  items.resize(std::min<std::size_t>(items.size(), 500));
  table->GetSelection().Set(items);
  for (CRSCanvasItem* item : items) table->Lift(item);
  s_scene->Frame();
  int step = 0;
  for (auto _ : state) {
    const PointF delta((step++ % 20 < 10) ? 6.0f : -6.0f, 0.0f);
    for (CRSCanvasItem* item : items) item->MoveBy(delta);
    s_scene->Frame();
  }
  for (CRSCanvasItem* item : items) table->Settle(item);
  table->GetSelection().Clear();
  state.counters["moved"] = static_cast<double>(items.size());
}
BENCHMARK(BM_DragSelection500)->Unit(benchmark::kMillisecond);

// Budget 300 ms.
void BM_Edges9600(benchmark::State& state) {
  CPuzzleTable* table = OpenTable(state);
  if (!table) return;
  std::size_t taken = 0;
  for (auto _ : state) {
    table->GatherEdges();
    s_scene->Frame();
    state.PauseTiming();
    CPuzzleTray* edges = table->FindTray("Edges");
    taken = edges ? edges->GetItems().size() : 0;
    table->EmptyTrays();
    s_scene->Frame();
    state.ResumeTiming();
  }
  state.counters["edges"] = static_cast<double>(taken);
}
BENCHMARK(BM_Edges9600)->Unit(benchmark::kMillisecond);

// Budget 300 ms.
void BM_Arrange9600(benchmark::State& state) {
  CPuzzleTable* table = OpenTable(state);
  if (!table) return;
  for (auto _ : state) {
    table->Arrange();
    s_scene->Frame();
  }
  state.counters["items"] = static_cast<double>(table->GetLooseItems().size());
  delete s_scene;
  s_scene = nullptr;
}
BENCHMARK(BM_Arrange9600)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
