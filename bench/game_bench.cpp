// The play room as a player meets it: the real game in its own window on
// the benchmarks' X server (Xvfb, 1920 x 1080), a restored game of 1296
// pieces of a 1920 x 1080 picture, real keys and pointer moves.
//
// - BM_GameOpen1296: from Play pressed (Alt+P) in the store room to the
//   first frame with every piece, presented. Budget: under 200 ms. The
//   game's CPU time for it, all threads at the kernel's 10 ms tick, is the
//   counter game_cpu_ms.
// - BM_GameDragStep1296: the game's CPU time for one pointer move while a
//   piece is held, handling and presenting included (all its threads, from
//   the scheduler's count). One iteration is one move; each waits until
//   the game has presented its frame, and the drop at the end checks that
//   the piece went where the pointer took it. Budget: under 0.3 ms a move.
//   The wall time from the move sent to its frame out is the counter
//   wall_ms_per_move.
//
// Their in-process counterparts are BM_PlayRoomOpen1296 and
// BM_DragStep1296; the floor beside these is BM_GameIdleCpu, the game's
// CPU time for a second of play with nobody touching anything.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

#include "bench/bench_game.h"
#include "bench/bench_library.h"
#include "platform/paths.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kPieceSize = 40;

// A data folder holding one puzzle of 1296 pieces that has been opened and
// left once, so every later opening restores a saved game, as a player's
// game in progress is. Made once per benchmark program; empty on failure.
const std::string& RestoredGameFolder() {
  static const std::string folder = []() -> std::string {
    const std::string path = platform::GetDataDirectory() + "game-1296/";
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    std::filesystem::create_directories(path);
    if (!bench::WritePlayableLibrary(path, kWidth, kHeight, kPieceSize)) return {};
    bench::GameRun game(path);
    if (game.WaitForLine("first-frame") < 0 || !game.WaitForFocus()) return {};
    bench::XDo({"key", "--clearmodifiers", "alt+p"});
    const int ready = game.WaitForLine("play ready 1296 ");
    if (ready < 0) return {};
    bench::XDo({"key", "--clearmodifiers", "alt+b"});
    if (game.WaitForLine("play saved", ready) < 0 || game.WaitForLine("room storeRoom", ready) < 0) return {};
    if (!game.Quit()) return {};
    return path;
  }();
  return folder;
}

// Waits until a started game shows its store room and takes keys.
bool StartInStoreRoom(bench::GameRun& game) {
  return game.WaitForLine("first-frame") >= 0 && game.WaitForFocus();
}

// Presses Play and waits for the first frame after the play room stands.
// Returns the index of that frame's line, or -1. With a session, the key
// goes through it, so that a timed press counts no start of xdotool.
int PlayToFirstFrame(bench::GameRun& game, bench::XDoSession* session = nullptr) {
  const int before = static_cast<int>(game.Lines().size()) - 1;
  if (!(session ? session->Send("key --clearmodifiers alt+p") : bench::XDo({"key", "--clearmodifiers", "alt+p"})))
    return -1;
  const int ready = game.WaitForLine("play ready 1296 ", before);
  return ready < 0 ? -1 : game.WaitForLine("frame", ready);
}

bool Skip(benchmark::State& state) {
#ifndef TANDRILL_GAME_PATH
  state.SkipWithError("the game is not built with the benchmarks");
  return true;
#endif
  if (bench::GameDisplay().empty()) {
    state.SkipWithError("no X server (Xvfb) could be started");
    return true;
  }
  if (RestoredGameFolder().empty()) {
    state.SkipWithError("could not prepare the restored game");
    return true;
  }
  return false;
}

// Budget: under 200 ms from Play to the first frame with every piece.
void BM_GameOpen1296(benchmark::State& state) {
  if (Skip(state)) return;
  double cpu = 0.0;
  double peak = 0.0;
  std::optional<bench::GameRun> game;
  bench::XDoSession keys;
  for (auto _ : state) {
    if (game) peak = std::max(peak, game->PeakMemoryMiB());
    game.reset();
    game.emplace(RestoredGameFolder());
    if (!StartInStoreRoom(*game)) {
      state.SkipWithError("the store room did not come up");
      break;
    }
    const double cpuBefore = game->CpuMsAllThreads();
    const double start = bench::NowMs();
    const int frame = PlayToFirstFrame(*game, &keys);
    const double wall = bench::NowMs() - start;
    cpu += game->CpuMsAllThreads() - cpuBefore;
    if (frame < 0) {
      state.SkipWithError("the play room did not open");
      break;
    }
    state.SetIterationTime(wall / 1000.0);
  }
  if (game) peak = std::max(peak, game->PeakMemoryMiB());
  game.reset();
  if (state.iterations() > 0) state.counters["game_cpu_ms"] = cpu / static_cast<double>(state.iterations());
  // The game's own peak memory with the puzzle open (budget 150 MB).
  state.counters["peak_mib"] = peak;
  state.counters["load_average"] = bench::LoadAverage();
}
BENCHMARK(BM_GameOpen1296)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

struct ReportedPiece {
  int column = 0, row = 0;
  double x = 0.0, y = 0.0;
};

// The free piece (one a press at its centre takes) nearest the middle of
// the window, from the last block of piece lines the game reported.
std::optional<ReportedPiece> FreePieceNearMiddle(const std::vector<std::string>& lines) {
  std::optional<ReportedPiece> best;
  double bestDistance = 1e18;
  for (const std::string& line : lines) {
    if (line.rfind("piece ", 0) != 0) continue;
    std::istringstream in(line);
    std::string word, group, centre, angleWord, freeWord;
    ReportedPiece piece;
    int groupIndex = 0, free = 0;
    double angle = 0.0;
    if (!(in >> word >> piece.column >> piece.row >> group >> groupIndex >> centre >> piece.x >> piece.y >> angleWord >>
          angle >> freeWord >> free))
      continue;
    if (!free) continue;
    const double distance = std::hypot(piece.x - kWidth / 2.0, piece.y - kHeight / 2.0);
    if (distance < bestDistance) bestDistance = distance, best = piece;
  }
  return best;
}

// The last reported centre of the piece at (column, row).
std::optional<std::pair<double, double>> LastCentre(const std::vector<std::string>& lines, int column, int row) {
  char prefix[48];
  std::snprintf(prefix, sizeof prefix, "piece %d %d ", column, row);
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    if (it->rfind(prefix, 0) != 0) continue;
    double x = 0.0, y = 0.0;
    const auto at = it->find(" centre ");
    if (at != std::string::npos && std::sscanf(it->c_str() + at, " centre %lf %lf", &x, &y) == 2)
      return std::make_pair(x, y);
  }
  return std::nullopt;
}

// Budget: under 0.3 ms of the game's CPU a pointer move.
void BM_GameDragStep1296(benchmark::State& state) {
  if (Skip(state)) return;
  bench::GameRun game(RestoredGameFolder());
  int originX = 0, originY = 0;
  if (!StartInStoreRoom(game) || PlayToFirstFrame(game) < 0 || game.WaitForLine("pieces reported") < 0 ||
      !game.GetWindowOrigin(originX, originY)) {
    state.SkipWithError("the play room did not open");
    return;
  }
  const std::optional<ReportedPiece> piece = FreePieceNearMiddle(game.Lines());
  if (!piece) {
    state.SkipWithError("no free piece");
    return;
  }
  const int x0 = originX + static_cast<int>(std::lround(piece->x));
  const int y0 = originY + static_cast<int>(std::lround(piece->y));
  bench::XDo({"mousemove", std::to_string(x0), std::to_string(y0), "mousedown", "1"});

  // The pointer goes round a circle of 50 moves beside the place it took
  // the piece at, so every move moves it.
  constexpr double kRadius = 60.0;
  constexpr double kPi = 3.14159265358979323846;
  int step = 0;
  double wall = 0.0;
  int last = static_cast<int>(game.Lines().size()) - 1;
  bench::XDoSession moves;
  for (auto _ : state) {
    ++step;
    const double angle = 2.0 * kPi * (step % 50) / 50.0;
    const int x = x0 + static_cast<int>(std::lround(kRadius * std::cos(angle) - kRadius));
    const int y = y0 + static_cast<int>(std::lround(kRadius * std::sin(angle)));
    const double cpuBefore = game.CpuMs();
    const double start = bench::NowMs();
    moves.Send("mousemove " + std::to_string(x) + " " + std::to_string(y));
    last = game.WaitForLine("frame", last, 10.0);
    wall += bench::NowMs() - start;
    state.SetIterationTime((game.CpuMs() - cpuBefore) / 1000.0);
    if (last < 0) {
      state.SkipWithError("a pointer move brought no frame");
      break;
    }
  }
  // The drop reports every piece again: the one held must lie where the
  // pointer left it, so every move was handled.
  const int dropX = 37, dropY = 23;
  const int before = static_cast<int>(game.Lines().size()) - 1;
  bench::XDo({"mousemove", std::to_string(x0 + dropX), std::to_string(y0 + dropY), "mouseup", "1"});
  if (game.WaitForLine("pieces reported", before) < 0) {
    state.SkipWithError("the drop was not reported");
    return;
  }
  // A lifted piece sits a little off the pointer's path (the raise lifts
  // it by a few pixels), so a few pixels are allowed for.
  const auto centre = LastCentre(game.Lines(), piece->column, piece->row);
  if (!centre || std::abs(centre->first - (piece->x + dropX)) > 4.0 || std::abs(centre->second - (piece->y + dropY)) > 4.0)
    state.SkipWithError("the piece did not follow the pointer");
  if (state.iterations() > 0) state.counters["wall_ms_per_move"] = wall / static_cast<double>(state.iterations());
  state.counters["load_average"] = bench::LoadAverage();
}
BENCHMARK(BM_GameDragStep1296)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

// The floor: the game's CPU time for one second of play with the clock
// running and nobody playing (counter cpu_ms_per_s). Budget: under 1 ms.
void BM_GameIdleCpu(benchmark::State& state) {
  if (Skip(state)) return;
  bench::GameRun game(RestoredGameFolder());
  if (!StartInStoreRoom(game) || PlayToFirstFrame(game) < 0) {
    state.SkipWithError("the play room did not open");
    return;
  }
  // The first clock line after the first frame: the room has settled.
  const int settled = game.WaitForLine("clock ", static_cast<int>(game.Lines().size()) - 1, 5.0);
  // The sound device sleeps a little after the last sound (the room's
  // opening may play some); the figure is the game at rest after that.
  const double waitStart = bench::NowMs();
  auto soundAwake = [&game] {
    for (const auto& [id, thread] : game.CpuMsByThread())
      if (thread.name.rfind("SDLAudio", 0) == 0) return true;
    return false;
  };
  while (soundAwake() && bench::NowMs() - waitStart < 10000.0)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const double soundSleptAfter = (bench::NowMs() - waitStart) / 1000.0;
  double perSecond = 0.0;
  std::map<std::string, double> byName;
  for (auto _ : state) {
    const auto before = game.CpuMsByThread();
    const double start = bench::NowMs();
    // TANDRILL_BENCH_IDLE_SECONDS lengthens the look, to profile the game meanwhile.
    const char* seconds = std::getenv("TANDRILL_BENCH_IDLE_SECONDS");
    std::this_thread::sleep_for(std::chrono::milliseconds(seconds ? std::atoi(seconds) * 1000 : 3000));
    const double wall = bench::NowMs() - start;
    // Per thread, so that a thread that ends meanwhile takes nothing off
    // the others' time (its own last moments are lost).
    double total = 0.0;
    for (const auto& [id, thread] : game.CpuMsByThread()) {
      const auto was = before.find(id);
      const double spent = thread.ms - (was == before.end() ? 0.0 : was->second.ms);
      total += spent;
      byName[thread.name] += spent * 1000.0 / wall;
    }
    perSecond = total * 1000.0 / wall;
  }
  if (settled < 0) state.SkipWithError("the clock did not tick");
  state.counters["cpu_ms_per_s"] = perSecond;
  state.counters["sound_slept_after_s"] = soundSleptAfter;
  // Where the time goes, per thread name, for the threads that spent any.
  for (const auto& [name, ms] : byName)
    if (ms >= 0.05) state.counters["thread " + name] = ms;
  state.counters["load_average"] = bench::LoadAverage();
}
BENCHMARK(BM_GameIdleCpu)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
