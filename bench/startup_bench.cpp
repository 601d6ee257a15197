// Starting the game: from launching the program to the first frame of the
// first room on screen. The program runs as a player starts it, in a
// window of its own on the benchmarks' X server (Xvfb, 1920 x 1080), and
// says through its line report when that first frame is out.
//
// - BM_StartupToFirstFrame/1000: a library of 1,000 puzzles. Budget: under
//   250 ms.
// - BM_StartupToFirstFrame/10: a library of 10 puzzles. Budget: under
//   150 ms.
// - BM_FirstStart: an empty data folder. Budget: under 1 s.
//
// Each case also gives the game's CPU time to that frame (counter
// game_cpu_ms, all threads, at the kernel's 10 ms tick) and the load
// average while it ran. The floor beside them, BM_StartupFloor, starts a
// program that ends at once (`true`): what launching alone costs here.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <optional>
#include <string>

#include "bench/bench_game.h"
#include "bench/bench_library.h"
#include "platform/paths.h"

extern char** environ;

namespace {

// Starts the real game on `folder` as its data folder, once per iteration,
// and times it from launch to its first frame showing a room. `prepare`
// sets the folder up before each start, outside the timing.
template <typename Prepare>
void TimeStartsToFirstFrame(benchmark::State& state, const std::string& folder, Prepare prepare) {
#ifndef TANDRILL_GAME_PATH
  state.SkipWithError("the game is not built with the benchmarks");
  return;
#endif
  if (bench::GameDisplay().empty()) {
    state.SkipWithError("no X server (Xvfb) could be started");
    return;
  }
  double cpu = 0.0;
  // The game of the last start is ended outside the timing.
  std::optional<bench::GameRun> game;
  for (auto _ : state) {
    state.PauseTiming();
    game.reset();
    prepare();
    state.ResumeTiming();
    game.emplace(folder);
    const bool shown = game->WaitForLine("first-frame", -1, 20.0) >= 0;
    state.PauseTiming();
    cpu += game->CpuMsAllThreads();
    if (!shown) {
      state.SkipWithError("no first frame within 20 s");
      break;
    }
    state.ResumeTiming();
  }
  game.reset();
  if (state.iterations() > 0) state.counters["game_cpu_ms"] = cpu / static_cast<double>(state.iterations());
  state.counters["load_average"] = bench::LoadAverage();
}

// Budget: under 250 ms to the first frame with 1,000 puzzles, under 150 ms
// with 10.
void BM_StartupToFirstFrame(benchmark::State& state) {
  const std::string folder = platform::GetDataDirectory() + "startup/";
  std::filesystem::create_directories(folder);
  const std::string library = bench::LibraryPath(static_cast<int>(state.range(0)));
  TimeStartsToFirstFrame(state, folder, [&folder, &library] {
    std::filesystem::copy_file(library, folder + "tandrill.pzl", std::filesystem::copy_options::overwrite_existing);
  });
}
BENCHMARK(BM_StartupToFirstFrame)->Arg(1000)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(10);

// A new player's first start: an empty data folder, so the game draws and
// cuts the sample puzzles, saves them, and only then shows the store room.
// Budget: under 1 s to the first frame.
void BM_FirstStart(benchmark::State& state) {
  const std::string folder = platform::GetDataDirectory() + "first-start/";
  TimeStartsToFirstFrame(state, folder, [&folder] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
  });
}
BENCHMARK(BM_FirstStart)->Unit(benchmark::kMillisecond)->Iterations(5);

// The floor: launching a program that ends at once, to its end.
void BM_StartupFloor(benchmark::State& state) {
  char name[] = "true";
  char* argv[] = {name, nullptr};
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawnp(&pid, name, nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("could not start true");
      break;
    }
    waitpid(pid, nullptr, 0);
  }
}
BENCHMARK(BM_StartupFloor)->Unit(benchmark::kMillisecond);

}  // namespace
