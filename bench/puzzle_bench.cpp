// The puzzle file and the connect test at full size: a 1296-piece puzzle of a
// 1920 x 1080 picture saved, and loaded with every piece item built; the
// same for full pictures of 2,400 and 9,600 pieces; and a group of 600
// pieces put down.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "canvas/behaviours.h"
#include "canvas/event_dispatcher.h"
#include "canvas/items.h"
#include "data/puzzle_data.h"
#include "play/group.h"
#include "play/piece.h"
#include "play/play_room.h"

namespace {

constexpr int kPieceSize = 40;  // 48 x 27 = 1296 pieces

std::string BenchFolder() {
  static const std::string folder = [] {
    char name[] = "/tmp/tandrill_puzzle_bench_XXXXXX";
    return std::string(mkdtemp(name) ? name : "/tmp");
  }();
  return folder;
}

std::shared_ptr<Gdiplus::Bitmap> Picture(int width = 1920, int height = 1080) {
  auto picture = std::make_shared<Gdiplus::Bitmap>(width, height, PixelFormat::Format24bppRGB);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture->SetPixel(x, y, 0xFF000000u | (x * 7 & 0xFF) << 16 | (y * 3 & 0xFF) << 8);
  return picture;
}

std::vector<CPuzzlePiece*> BuildAll(CPuzzleData& puzzle, CRSCanvasItem* area, const Gdiplus::Bitmap& cut) {
  return CPuzzlePlayRoom::CreateLinkedPieces(puzzle, area, cut);
}

CRSCanvasItem* Area() {
  auto* area = new CRSCanvasItem(PointF(), nullptr, "area");
  area->SetSize(SizeF(1920, 1080));
  return area;
}

// Budget: < 100 ms.
void BM_PuzzleSave1296(benchmark::State& state) {
  CRSEventDispatcher::Create();
  CPuzzleData::SetPuzzleFolder(BenchFolder());
  CPuzzleData puzzle("bench save");
  puzzle.SetPicture(Picture());
  puzzle.GetCutter().SetPieceSize(kPieceSize);
  auto cut = puzzle.GetCutter().GetCutImage(*puzzle.GetPicture());
  CRSAutoPtrPolymorphic<CRSCanvasItem> area = Area();
  BuildAll(puzzle, area, *cut);
  for (auto _ : state) benchmark::DoNotOptimize(puzzle.Save());
  state.counters["pieces"] = static_cast<double>(puzzle.GetPieces().size());
  area->DeleteChildren();
  DiscardEvents();
}
BENCHMARK(BM_PuzzleSave1296)->Unit(benchmark::kMillisecond);

// Budget: < 400 ms for reading the file and building every piece with its
// shadow.
void BM_PuzzleLoadBuild1296(benchmark::State& state) {
  CRSEventDispatcher::Create();
  CPuzzleData::SetPuzzleFolder(BenchFolder());
  {
    CPuzzleData puzzle("bench load");
    puzzle.SetPicture(Picture());
    puzzle.GetCutter().SetPieceSize(kPieceSize);
    auto cut = puzzle.GetCutter().GetCutImage(*puzzle.GetPicture());
    CRSAutoPtrPolymorphic<CRSCanvasItem> area = Area();
    BuildAll(puzzle, area, *cut);
    puzzle.Save();
    area->DeleteChildren();
  }
  for (auto _ : state) {
    CPuzzleData puzzle("bench load");
    if (!puzzle.Load()) state.SkipWithError("load failed");
    auto cut = puzzle.GetCutter().GetCutImage(*puzzle.GetPicture());
    CRSAutoPtrPolymorphic<CRSCanvasItem> area = Area();
    auto pieces = BuildAll(puzzle, area, *cut);
    benchmark::DoNotOptimize(pieces.data());
    state.PauseTiming();
    area->DeleteChildren();
    DiscardEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_PuzzleLoadBuild1296)->Unit(benchmark::kMillisecond);

// A full picture's puzzle as the play room leaves it: every piece built and
// placed, then saved. The file is written once before timing starts.
struct FullPuzzle {
  explicit FullPuzzle(const std::string& name, int width, int height) : puzzle(name), area(Area()) {
    puzzle.SetPicture(Picture(width, height));
    puzzle.GetCutter().SetPieceSize(50);
    auto cut = puzzle.GetCutter().GetCutImage(*puzzle.GetPicture());
    BuildAll(puzzle, area, *cut);
    puzzle.Save();
  }
  ~FullPuzzle() {
    area->DeleteChildren();
    DiscardEvents();
  }
  // The dispatcher and the folder come before the puzzle.
  static bool Ready() {
    CRSEventDispatcher::Create();
    CPuzzleData::SetPuzzleFolder(BenchFolder());
    return true;
  }
  bool ready = Ready();
  CPuzzleData puzzle;
  CRSAutoPtrPolymorphic<CRSCanvasItem> area;
};

// Pieces of 50 pixels from pictures of one and four times the area: the
// time must grow about fourfold from 2,400 to 9,600 pieces, not sixteenfold.
// Budget at 9,600 pieces: save under 1 s.
void SaveFull(benchmark::State& state, int width, int height) {
  FullPuzzle full("bench save full", width, height);
  for (auto _ : state) benchmark::DoNotOptimize(full.puzzle.Save());
  state.counters["pieces"] = static_cast<double>(full.puzzle.GetPieces().size());
}
void BM_PuzzleSave2400(benchmark::State& state) { SaveFull(state, 3000, 2000); }
BENCHMARK(BM_PuzzleSave2400)->Unit(benchmark::kMillisecond);
void BM_PuzzleSave9600(benchmark::State& state) { SaveFull(state, 6000, 4000); }
BENCHMARK(BM_PuzzleSave9600)->Unit(benchmark::kMillisecond);

// Reading the file alone (picture decoded, records and cut checked), and
// reading it with every piece item built. Budget at 9,600 pieces: load
// under 1 s, with the pieces under 3 s.
void LoadFull(benchmark::State& state, int width, int height, bool build) {
  { FullPuzzle full("bench load full", width, height); }
  FullPuzzle::Ready();
  std::size_t pieces = 0;
  for (auto _ : state) {
    CPuzzleData puzzle("bench load full");
    if (!puzzle.Load()) state.SkipWithError("load failed");
    pieces = puzzle.GetPieces().size();
    if (!build) continue;
    auto cut = puzzle.GetCutter().GetCutImage(*puzzle.GetPicture());
    CRSAutoPtrPolymorphic<CRSCanvasItem> area = Area();
    benchmark::DoNotOptimize(BuildAll(puzzle, area, *cut).data());
    state.PauseTiming();
    area->DeleteChildren();
    DiscardEvents();
    state.ResumeTiming();
  }
  state.counters["pieces"] = static_cast<double>(pieces);
}
void BM_PuzzleLoad2400(benchmark::State& state) { LoadFull(state, 3000, 2000, false); }
BENCHMARK(BM_PuzzleLoad2400)->Unit(benchmark::kMillisecond);
void BM_PuzzleLoad9600(benchmark::State& state) { LoadFull(state, 6000, 4000, false); }
BENCHMARK(BM_PuzzleLoad9600)->Unit(benchmark::kMillisecond);
void BM_PuzzleLoadBuild2400(benchmark::State& state) { LoadFull(state, 3000, 2000, true); }
BENCHMARK(BM_PuzzleLoadBuild2400)->Unit(benchmark::kMillisecond);
void BM_PuzzleLoadBuild9600(benchmark::State& state) { LoadFull(state, 6000, 4000, true); }
BENCHMARK(BM_PuzzleLoadBuild9600)->Unit(benchmark::kMillisecond);

// Budget: < 2 ms for putting down a group of 600 pieces (each piece runs
// its connect test; the 30 pieces along its lower edge find nothing).
void BM_TryConnectGroup600(benchmark::State& state) {
  CRSEventDispatcher::Create();
  CRSAutoPtrPolymorphic<CRSCanvasItem> area = Area();
  std::vector<CPuzzlePiece*> pieces;
  const int cols = 30, rows = 21;
  auto square = std::make_shared<Gdiplus::Bitmap>(20, 20, PixelFormat::Format32bppARGB);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      auto* piece = new CPuzzlePiece(CPuzzlePiece::kItemName, square, 20.0f);
      piece->SetCellCentre(PointF(c * 20 + 10.0f, r * 20 + 10.0f));
      piece->SetAnchor(PointF(10, 10));
      piece->SetParent(area);
      // Rows above the last lie in their solved places; the last row far off.
      piece->MoveTopLeftTo(PointF(c * 20.0f + (r == rows - 1 ? 1000.0f : 0.0f), r * 20.0f));
      pieces.push_back(piece);
    }
  CPuzzlePlayRoom::LinkPieceGrid(pieces, cols);
  for (int i = 0; i < cols * (rows - 1); ++i) pieces[static_cast<std::size_t>(i)]->TryConnect();
  auto* group = dynamic_cast<CPuzzleGroup*>(pieces.front()->GetParent());
  if (!group || ComputeProgress(pieces) == 0) state.SkipWithError("no group");
  std::vector<CPuzzlePiece*> members(pieces.begin(), pieces.begin() + cols * (rows - 1));
  for (auto _ : state) {
    bool any = false;
    for (CPuzzlePiece* piece : members) any |= piece->TryConnect();
    benchmark::DoNotOptimize(any);
  }
  state.counters["pieces"] = static_cast<double>(members.size());
  area->DeleteChildren();
  DiscardEvents();
}
BENCHMARK(BM_TryConnectGroup600)->Unit(benchmark::kMicrosecond);

// Every piece of a 120 x 80 puzzle lying in its place and let go one after
// the other in reading order, so each joins the one growing group: the way
// a player finishes a large puzzle. A join must not cost the size of the
// group it joins, or the whole solve grows with the square of the pieces.
void SolvePieceByPiece(benchmark::State& state, int cols, int rows) {
  CRSEventDispatcher::Create();
  auto square = std::make_shared<Gdiplus::Bitmap>(20, 20, PixelFormat::Format32bppARGB);
  for (auto _ : state) {
    state.PauseTiming();
    CRSAutoPtrPolymorphic<CRSCanvasItem> area = Area();
    area->SetSize(SizeF(cols * 20.0f, rows * 20.0f));
    std::vector<CPuzzlePiece*> pieces;
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        auto* piece = new CPuzzlePiece(CPuzzlePiece::kItemName, square, 20.0f);
        piece->SetCellCentre(PointF(c * 20 + 10.0f, r * 20 + 10.0f));
        piece->SetAnchor(PointF(10, 10));
        piece->SetParent(area);
        piece->MoveTopLeftTo(PointF(c * 20.0f, r * 20.0f));
        pieces.push_back(piece);
      }
    CPuzzlePlayRoom::LinkPieceGrid(pieces, cols);
    state.ResumeTiming();
    for (CPuzzlePiece* piece : pieces) piece->TryConnect();
    state.PauseTiming();
    if (ComputeProgress(pieces) != 100) state.SkipWithError("not solved");
    area->DeleteChildren();
    DiscardEvents();
    state.ResumeTiming();
  }
  state.counters["pieces"] = cols * rows;
}
// At a quarter of the pieces, for the scaling: a solve that costs a quarter
// of the time is linear, one that costs a sixteenth is quadratic.
void BM_SolvePieceByPiece2400(benchmark::State& state) { SolvePieceByPiece(state, 60, 40); }
BENCHMARK(BM_SolvePieceByPiece2400)->Unit(benchmark::kMillisecond)->Iterations(1);
void BM_SolvePieceByPiece9600(benchmark::State& state) { SolvePieceByPiece(state, 120, 80); }
BENCHMARK(BM_SolvePieceByPiece9600)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
