#include "app/startup.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string>

#include "app/gift.h"
#include "app/library_check.h"
#include "app/library_read_ahead.h"
#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "canvas/controls/message_box.h"
#include "canvas/dialogs/thumbnails.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/timer.h"
#include "data/control_styles_default.h"
#include "data/library_decode.h"
#include "platform/clock.h"
#include "play/play_room_music.h"
#include "platform/instance_lock.h"
#include "platform/message_loop.h"
#include "platform/native_message_box.h"
#include "platform/paths.h"
#include "platform/program_payload.h"
#include "platform/random.h"
#include "platform/report.h"

namespace app {
namespace {

bool s_administrator = false;
std::optional<std::string> s_giftArgument;

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

std::optional<std::string> FindGiftOfThisRun() {
  if (std::optional<std::string> own = platform::ReadPayload(platform::GetProgramPath())) return own;
  return s_giftArgument;
}

void SetGiftArgument(std::optional<std::string> puzzleText) { s_giftArgument = std::move(puzzleText); }

std::string FindPictureArgument(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument(argv[i] ? argv[i] : "");
    if (argument.empty() || argument[0] == '-') continue;
    std::error_code error;
    if (!std::filesystem::is_regular_file(argument, error)) continue;
    // A gift program carries a puzzle, not a picture to cut.
    if (platform::ReadPayload(argument)) continue;
    return argument;
  }
  return std::string();
}

std::string CannotSaveText(const std::string& folder, const std::string& reason) {
  return "Your puzzles cannot be saved in " + folder + ": " + reason + ".";
}

namespace {

// The main window while the loop runs, so the data folder's problem can be
// shown in the game's own box; null before and after.
CPuzzleView* s_mainView = nullptr;

// Shows the data folder's problem, once per run (platform/paths.h drops the
// later ones). While the main window has its root the box is drawn on it, so
// the game goes on around it; while the program ends (the library is
// written as the root goes) the platform's own box says it.
void ShowCannotSave(const std::string& folder, const std::string& reason) {
  const std::string text = CannotSaveText(folder, reason);
  CPuzzleCanvas* canvas = s_mainView ? s_mainView->GetPuzzleCanvas() : nullptr;
  if (!CRSMessageBox::Show(text, "Tandrill", canvas))
    platform::ShowNativeMessage("Tandrill", text, platform::NativeIcon::kError);
}

// Clears the main window's pointer on every way out of the run.
class MainViewScope {
 public:
  explicit MainViewScope(CPuzzleView& view) { s_mainView = &view; }
  ~MainViewScope() { s_mainView = nullptr; }
  MainViewScope(const MainViewScope&) = delete;
  MainViewScope& operator=(const MainViewScope&) = delete;
};

int Run(int argc, char** argv) {
  platform::MessageLoop loop;

  SetAdministrator(HasAdminSwitch(argc, argv));

  // A gift file named on the command line is played as if this program
  // were that gift. The root must know before it is made: a gift takes no
  // hold of the data folder.
  SetGiftArgument(ReadGiftArgument(argc, argv));

  // The main window; making it makes the root object, which reads the
  // library. Without a window there is nothing to run.
  CPuzzleView view;
  if (!view.Create()) return 0;
  MainViewScope scope(view);
  // A data folder that cannot take files, or a library in it that could
  // not be read, is said at once, before the player makes something that
  // could not be kept. The game plays on with what it read. A gift writes
  // nothing, so it has nothing to say about the folder.
  CPuzzleCanvas* root = view.GetPuzzleCanvas();
  if (root && !root->IsGift()) {
    std::string problem = platform::WhyFolderIsNotWritable(platform::GetDataDirectory());
    if (problem.empty()) problem = root->GetLibraryProblem();
    if (!problem.empty()) platform::ReportDataFolderProblem(problem);
  }
  view.GetWindow()->ShowMaximized();
  // A picture given on the command line opens the cuts room over the first
  // store room, so Cancel or OK lands where a normal start does.
  const std::string picture = FindPictureArgument(argc, argv);
  if (!picture.empty()) {
    if (CPuzzleCanvas* canvas = view.GetPuzzleCanvas()) canvas->CreatePuzzleFromPictureLater(picture);
  }
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
  platform::SetDataFolderProblemHandler(&ShowCannotSave);
  // The framework's process-wide services exist before any window: queued
  // events, the one-shot input signals and the timer thread. The timer
  // service stops at process exit, waiting a bounded time for its thread.
  CRSEventDispatcher::Create();
  CRSGlobalEvents::Get();
  CRSTimerStatic::Create();
  // The style the library file reads into and writes, before any control.
  CRSControlStylesDefault::Install();
  // The library is read while the window is made; the root takes it over.
  StartReadingLibraryAhead();
  platform::SeedRand(platform::GetTickCount());
  // Music folders left behind by a copy of the game that did not end
  // normally.
  CPuzzlePlayMusic::SweepStaleMusicFolders();
  Run(argc, argv);
  DropLibraryReadAhead();
  // The gifts made and mailed in this run are no longer needed.
  RemoveTemporaryGifts();
  // Nothing queued is delivered once the loop has ended; discarding still
  // runs the queued deletions, so objects waiting for them are freed.
  DiscardEvents();
  // The dialogs' thumbnail worker and the thumbnails decoded ahead stop
  // before the platform goes.
  CRSThumbnailService::ShutdownShared();
  library_decode::FinishBackground();
  // Whatever the quit message carried, a normal end exits with 0.
  return 0;
}

}  // namespace app
