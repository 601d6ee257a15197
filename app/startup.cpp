#include "app/startup.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

#include "app/library_check.h"
#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/timer.h"
#include "data/control_styles_default.h"
#include "platform/clock.h"
#include "play/play_room_music.h"
#include "platform/message_loop.h"
#include "platform/program_payload.h"
#include "platform/random.h"

namespace app {
namespace {

bool s_administrator = false;

}  // namespace

bool IsAdministrator() { return s_administrator; }
void SetAdministrator(bool on) { s_administrator = on; }

bool HasAdminSwitch(int argc, char** argv) {
  // The program's own path (argv[0]) is not an argument: a game installed
  // under a folder whose name holds "-admin" must not turn the switch on.
  for (int i = 1; i < argc; ++i) {
    std::string lower(argv[i] ? argv[i] : "");
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.find("-admin") != std::string::npos) return true;
  }
  return false;
}

std::optional<std::string> ReadGiftArgument(int argc, char** argv) {
  // The first argument that is not a switch names the file; only a file
  // that carries a sound gift trailer is taken, and only its payload is
  // read: the stranger's program itself is never run.
  for (int i = 1; i < argc; ++i) {
    if (!argv[i] || !*argv[i] || argv[i][0] == '-') continue;
    return platform::ReadPayload(argv[i]);
  }
  return std::nullopt;
}

namespace {

int Run(int argc, char** argv) {
  platform::MessageLoop loop;

  SetAdministrator(HasAdminSwitch(argc, argv));

  // The main window; making it makes the root object, which reads the
  // library. Without a window there is nothing to run.
  CPuzzleView view;
  if (!view.Create()) return 0;
  // A gift file named on the command line is played as if this program
  // were that gift; the first room opens from the loop, after this.
  if (std::optional<std::string> gift = ReadGiftArgument(argc, argv)) {
    if (CPuzzleCanvas* root = view.GetPuzzleCanvas()) root->GetLibrary().SetGiftPuzzleText(std::move(*gift));
  }
  view.GetWindow()->ShowMaximized();
  const int result = loop.Run();
  // The root object goes with the view; it writes the library on its way.
  return result;
}

}  // namespace

int RunProgram(int argc, char** argv) {
  if (!platform::InitialiseMessaging()) return -1;
  // MIDI checks its libraries the first time a piece needs them, which may
  // ask the player and download a sound bank.
  InstallMidiLibraryCheck();
  // The framework's process-wide services exist before any window: queued
  // events, the one-shot input signals and the timer thread. The timer
  // service stops at process exit, waiting a bounded time for its thread.
  CRSEventDispatcher::Create();
  CRSGlobalEvents::Get();
  CRSTimerStatic::Create();
  // The style the library file reads into and writes, before any control.
  CRSControlStylesDefault::Install();
  platform::SeedRand(platform::GetTickCount());
  // Music folders left behind by a copy of the game that did not end
  // normally.
  CPuzzlePlayMusic::SweepStaleMusicFolders();
  Run(argc, argv);
  // Nothing queued is delivered once the loop has ended; discarding still
  // runs the queued deletions, so objects waiting for them are freed.
  DiscardEvents();
  // Whatever the quit message carried, a normal end exits with 0.
  return 0;
}

}  // namespace app
