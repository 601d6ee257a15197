// Starting the game: from launching the program to the first frame of the
// first room on screen, with a library of 1,000 puzzles. The program runs as
// a player starts it, in a window of its own (on the X server in DISPLAY;
// without one the headless video driver stands in), and says through its
// line report when that first frame is out.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_library.h"
#include "platform/paths.h"

extern char** environ;

namespace {

[[maybe_unused]] bool ReportHas(const std::string& path, const std::string& line) {
  std::ifstream in(path);
  std::string text;
  while (std::getline(in, text)) {
    if (text == line) return true;
  }
  return false;
}

#ifdef TANDRILL_GAME_PATH
// Starts the real game on `folder` as its data folder, once per iteration,
// and times it from launch to its first frame showing a room. `prepare`
// sets the folder up before each start, outside the timing.
template <typename Prepare>
void TimeStartsToFirstFrame(benchmark::State& state, const std::string& folder, Prepare prepare) {
  // The report lives outside the data folder, so a folder emptied for a
  // first start does not take it along.
  const std::string report = platform::GetDataDirectory() + "startup-report.txt";

  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    // The game's own settings below replace the benchmark's.
    if (entry.rfind("TANDRILL_DATA_DIR=", 0) == 0 || entry.rfind("TANDRILL_REPORT=", 0) == 0) continue;
    env.push_back(entry);
  }
  env.push_back("TANDRILL_DATA_DIR=" + folder);
  env.push_back("TANDRILL_REPORT=" + report);
  env.push_back("SDL_AUDIODRIVER=dummy");
  if (!std::getenv("DISPLAY")) env.push_back("SDL_VIDEODRIVER=dummy");
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string game = TANDRILL_GAME_PATH;
  char* argv[] = {game.data(), nullptr};

  for (auto _ : state) {
    state.PauseTiming();
    prepare();
    std::ofstream(report, std::ios::trunc).close();
    state.ResumeTiming();

    pid_t pid = 0;
    if (posix_spawn(&pid, game.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
      state.SkipWithError("could not start the game");
      break;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool shown = false;
    while (!(shown = ReportHas(report, "first-frame")) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::microseconds(500));

    state.PauseTiming();
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    if (!shown) state.SkipWithError("no first frame within 20 s");
    state.ResumeTiming();
  }
}
#endif

// Budget: under 300 ms to the first frame.
void BM_StartupToFirstFrame(benchmark::State& state) {
#ifndef TANDRILL_GAME_PATH
  state.SkipWithError("the game is not built with the benchmarks");
  return;
#else
  const std::string folder = platform::GetDataDirectory() + "startup/";
  std::filesystem::create_directories(folder);
  TimeStartsToFirstFrame(state, folder, [&folder] {
    std::filesystem::copy_file(bench::LibraryOf1000Path(), folder + "tandrill.pzl",
                               std::filesystem::copy_options::overwrite_existing);
  });
#endif
}
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

// A new player's first start: an empty data folder, so the game draws and
// cuts the sample puzzles, saves them, and only then shows the store room.
// Budget: under 1 s to the first frame.
void BM_FirstStart(benchmark::State& state) {
#ifndef TANDRILL_GAME_PATH
  state.SkipWithError("the game is not built with the benchmarks");
  return;
#else
  const std::string folder = platform::GetDataDirectory() + "first-start/";
  TimeStartsToFirstFrame(state, folder, [&folder] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
  });
#endif
}
BENCHMARK(BM_FirstStart)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
