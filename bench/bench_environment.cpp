// Benchmarks write libraries and puzzles; they do it in a folder of their
// own under the temporary folder, never in the player's data folder.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct BenchEnvironment {
  BenchEnvironment() {
    const char* tmp = std::getenv("TMPDIR");
    m_folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/tandrill-bench-data-" + std::to_string(getpid());
    const char* given = std::getenv("TANDRILL_DATA_DIR");
    m_own = !(given && *given);
    setenv("TANDRILL_DATA_DIR", m_folder.c_str(), 0);
    // The scale-1 cases measure one pixel a unit on any desktop; the dense
    // cases set their own.
    setenv("TANDRILL_SCALE", "1", 0);
  }
  // The folder made for this run goes with it: the real-game cases leave
  // puzzles of several megabytes in it.
  ~BenchEnvironment() {
    std::error_code ignored;
    if (m_own) std::filesystem::remove_all(m_folder, ignored);
  }
  std::string m_folder;
  bool m_own = false;
};
const BenchEnvironment s_environment;

}  // namespace
