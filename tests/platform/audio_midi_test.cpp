// The synthesiser's loading thread and the end of the program.

#include "platform/audio_midi.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform/audio.h"
#include "platform/message_loop.h"

namespace {

// Whether a thread of this process runs under the loader's name.
bool LoaderThreadRuns() {
  std::error_code ec;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec)) {
    std::string name;
    std::getline(std::ifstream(task.path() / "comm"), name);
    if (name == platform::audio::midi::kLoaderThreadName) return true;
  }
  return false;
}

// Registered before the load begins, so it runs after every exit-time
// clean-up made since: the loader must be gone by then.
void CheckNoLoaderAtExit() { ::_exit(LoaderThreadRuns() ? 3 : 0); }

// A program that ends while the soundfont is still loading must not leave
// the loader running on into the statics that exit destroys.
TEST(MidiLoaderDeathTest, ProgramEndingDuringTheLoadWaitsForTheLoader) {
  if (!std::filesystem::exists(platform::audio::kSoundFontPath)) GTEST_SKIP() << "no soundfont installed";
  GTEST_FLAG_SET(death_test_style, "fast");
  EXPECT_EXIT(
      {
        std::atexit(CheckNoLoaderAtExit);
        if (!platform::audio::midi::Prepare()) ::_exit(4);
        // The check, and the load after it, start from the message loop.
        platform::MessageLoop loop;
        loop.PumpMessages(0);
        // The thread names itself as it starts.
        bool seen = false;
        for (int i = 0; i < 5000 && !seen; ++i) {
          seen = LoaderThreadRuns();
          if (!seen) ::usleep(1000);
        }
        if (!seen) ::_exit(5);  // never seen running: the test proves nothing
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
