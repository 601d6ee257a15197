// Benchmarks write libraries and puzzles; they do it in a folder of their
// own under the temporary folder, never in the player's data folder.

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

struct BenchEnvironment {
  BenchEnvironment() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/tandrill-bench-data-" + std::to_string(getpid());
    setenv("TANDRILL_DATA_DIR", folder.c_str(), 0);
  }
};
const BenchEnvironment s_environment;

}  // namespace
