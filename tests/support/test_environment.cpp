// Settings every test process starts with, whether CTest or a developer runs
// the test program: no display and no sound device are needed, no test
// writes into the developer's own data folder, and the sanitizers leave
// alone what the system libraries keep until exit.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct HeadlessEnvironment {
  HeadlessEnvironment() {
    // A test that wants another driver (the disk audio capture) sets its own.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Pixels are units, whatever the desktop's scale, unless the caller
    // chose a scale to run the tests at.
    setenv("TANDRILL_SCALE", "1", 0);
    // Each test process gets a data folder of its own under the temporary
    // folder unless the caller chose one.
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/tandrill-test-data-" + std::to_string(getpid());
    if (!std::getenv("TANDRILL_DATA_DIR")) {
      // Process ids come round again: what an earlier test process of the
      // same id left behind (a library, a half-written file) must not leak
      // into this one.
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored);
      setenv("TANDRILL_DATA_DIR", folder.c_str(), 1);
    }
    // Unit tests play a returning player: the sample puzzles of a first
    // start would change the libraries they prepare. The first-start test
    // removes this marker itself.
    const char* data = std::getenv("TANDRILL_DATA_DIR");
    mkdir(data, 0755);
    if (std::FILE* marker = std::fopen((std::string(data) + "/samples.made").c_str(), "w")) std::fclose(marker);
  }
};
const HeadlessEnvironment s_headless;

}  // namespace

// Process-wide caches of fontconfig, Pango, GLib and the others are allocated
// once and kept until the process ends; their frames are often all the leak
// checker can see, since those libraries have no frame pointers.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n"
         "leak:libpango\n"
         "leak:libpangoft2\n"
         "leak:libpangocairo\n"
         "leak:libharfbuzz\n"
         "leak:libglib\n"
         "leak:libgobject\n"
         "leak:libcairo\n"
         "leak:libSDL2\n"
         "leak:libfluidsynth\n"
         "leak:libX11\n"
         "leak:libdbus\n";
}

extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
