#include "app/startup.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <vector>

#include "app/library_check.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/timer.h"
#include "platform/clock.h"
#include "platform/message_loop.h"
#include "platform/random.h"

namespace app {
namespace {

bool s_administrator = false;

std::string ReadProgramPath() {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  return std::string(buffer.data(), static_cast<size_t>(n));
}

}  // namespace

bool IsAdministrator() { return s_administrator; }
void SetAdministrator(bool on) { s_administrator = on; }

bool CommandLineHasAdminSwitch(std::string_view commandLine) {
  std::string lower(commandLine);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.find("-admin") != std::string::npos;
}

std::string NormaliseDirectory(std::string_view directory) {
  std::string out;
  out.reserve(directory.size() + 1);
  for (char c : directory) {
    if (c == '\\') c = '/';
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  if (out.empty() || out.back() != '/') out.push_back('/');
  return out;
}

std::string DirectoryOf(std::string_view programPath) {
  const size_t cut = programPath.find_last_of("/\\");
  if (cut == std::string_view::npos) return {};
  return std::string(programPath.substr(0, cut + 1));
}

const std::string& GetProgramDirectory() {
  static const std::string directory = NormaliseDirectory(DirectoryOf(ReadProgramPath()));
  return directory;
}

namespace {

int Run(int argc, char** argv) {
  platform::MessageLoop loop;

  std::string commandLine;
  for (int i = 0; i < argc; ++i) {
    if (i) commandLine.push_back(' ');
    commandLine += argv[i];
  }
  SetAdministrator(CommandLineHasAdminSwitch(commandLine));

  return loop.Run();
}

}  // namespace

int RunProgram(int argc, char** argv) {
  if (!CheckGraphicsLibrary()) return -1;
  if (!platform::InitialiseMessaging()) return -1;
  // The framework's process-wide services exist before any window: queued
  // events, the one-shot input signals and the timer thread. The timer
  // service stops at process exit, waiting a bounded time for its thread.
  CRSEventDispatcher::Create();
  CRSGlobalEvents::Get();
  CRSTimerStatic::Create();
  platform::SeedRand(platform::GetTickCount());
  Run(argc, argv);
  // Nothing queued is delivered once the loop has ended; discarding still
  // runs the queued deletions, so objects waiting for them are freed.
  DiscardEvents();
  // Whatever the quit message carried, a normal end exits with 0.
  return 0;
}

}  // namespace app
