#include "app/download_window_screen.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "app/library_check.h"
#include "canvas/controls.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/weak_ref.h"
#include "data/library.h"
#include "data/puzzle_data.h"
#include "platform/message_loop.h"
#include "platform/paths.h"
#include "platform/synth_library.h"
#include "platform/window.h"
#include "tests/app/http_test_server.h"
#include "tests/app/root_scene.h"
#include "tests/canvas/sound_samples.h"

namespace {

SDL_Window* NewestWindow() {
  for (Uint32 id = 64; id > 0; --id) {
    if (SDL_Window* window = SDL_GetWindowFromID(id)) return window;
  }
  return nullptr;
}

void Push(SDL_Window* window, Uint32 type, int x, int y) {
  SDL_Event ev;
  SDL_zero(ev);
  ev.type = type;
  ev.button.windowID = SDL_GetWindowID(window);
  if (type == SDL_MOUSEMOTION) {
    ev.motion.windowID = SDL_GetWindowID(window);
    ev.motion.x = x;
    ev.motion.y = y;
  } else {
    ev.button.button = SDL_BUTTON_LEFT;
    ev.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    ev.button.clicks = 1;
    ev.button.x = x;
    ev.button.y = y;
  }
  ASSERT_EQ(SDL_PushEvent(&ev), 1);
}

void Click(SDL_Window* window, const PointF& at) {
  const int x = static_cast<int>(at.X), y = static_cast<int>(at.Y);
  Push(window, SDL_MOUSEMOTION, x, y);
  Push(window, SDL_MOUSEBUTTONDOWN, x, y);
  Push(window, SDL_MOUSEBUTTONUP, x, y);
}

// Pumps until the window is gone, within a generous deadline.
bool PumpUntilGone(app::DownloadWindow& window) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (window.Pump(20, true)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
  }
  return true;
}

PointF CentreOnScreen(CRSCanvasItem& item, CRSCanvasView& view) {
  const RectF r = item.GetBoundsIn(nullptr);
  const PointF offset = view.GetViewOffset();
  return PointF(r.X + r.Width / 2 + offset.X, r.Y + r.Height / 2 + offset.Y);
}

class ScreenDownloadWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CRSEventDispatcher::Create();
    CRSGlobalEvents::Get();
  }
  void TearDown() override {
    loop.PumpMessages(0);
    DiscardEvents();
  }
  platform::MessageLoop loop;
};

TEST_F(ScreenDownloadWindowTest, CentredWithTitleAndClosedOnlyByExit) {
  app::ScreenDownloadWindow window("DLL Library Not Found : \"bank.sf3\"");
  ASSERT_TRUE(window.IsValid());
  SDL_Window* native = NewestWindow();
  ASSERT_NE(native, nullptr);
  int width = 0, height = 0, x = 0, y = 0;
  SDL_GetWindowSize(native, &width, &height);
  SDL_GetWindowPosition(native, &x, &y);
  EXPECT_EQ(width, 400);
  EXPECT_EQ(height, 150);
  const Size screen = platform::Window::GetScreenSize();
  EXPECT_EQ(x, (screen.Width - 400) / 2);
  EXPECT_EQ(y, (screen.Height - 150) / 2);
  EXPECT_STREQ(SDL_GetWindowTitle(native), "DLL Library Not Found : \"bank.sf3\"");
  EXPECT_EQ(window.GetControlWindow()->GetCaption(), "DLL Library Not Found : \"bank.sf3\"");
  ASSERT_NE(window.GetExitButton(), nullptr);
  EXPECT_EQ(window.GetExitButton()->GetCaption(), "Exit");

  window.SetAddress("http://127.0.0.1/bank");
  window.SetProgress(app::FormatProgress(10, 40));
  EXPECT_FALSE(window.GetProgressBar()->IsVisible());
  window.SetProgressValue(25);
  EXPECT_TRUE(window.GetProgressBar()->IsVisible());
  EXPECT_EQ(window.GetProgressBar()->GetValue(), 25);
  EXPECT_TRUE(window.Pump(50, true));
  // Three lines, top to bottom, each centred and inside the window, all
  // above the button.
  const char* texts[] = {"Starting the download...", "http://127.0.0.1/bank", "10/40 (25%)"};
  float previousBottom = 0;
  const RectF button = window.GetExitButton()->GetBoundsIn(nullptr);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ASSERT_NE(window.GetLine(i), nullptr);
    EXPECT_EQ(window.GetLine(i)->GetText(), texts[i]);
    const RectF line = window.GetLine(i)->GetBoundsIn(nullptr);
    EXPECT_GT(line.Width, 10);
    EXPECT_GE(line.Y, previousBottom - 1);
    EXPECT_LE(line.Y + line.Height, button.Y + 1);
    EXPECT_NEAR(line.X + line.Width / 2, button.X + button.Width / 2, 2);
    previousBottom = line.Y + line.Height;
  }
  EXPECT_LE(button.Y + button.Height, 150);
  // A click on the client area beside the button changes nothing.
  const PointF exit = CentreOnScreen(*window.GetExitButton(), window.GetView());
  Click(native, PointF(exit.X - 120, exit.Y));
  EXPECT_TRUE(window.Pump(50, true));
  EXPECT_TRUE(window.Exists());

  // The window's items go with it, not only the platform window.
  CRSWeakRef<CRSControlWindow> items(window.GetControlWindow());
  Click(native, exit);
  EXPECT_TRUE(PumpUntilGone(window));
  EXPECT_FALSE(window.Exists());
  FlushEvents(nullptr);
  EXPECT_FALSE(items);
  EXPECT_EQ(NewestWindow(), nullptr);
  // Setting lines on a closed window is harmless.
  window.SetStatus("Completed!");
  EXPECT_FALSE(window.Pump(10, false));
}

// What the window shows, pixel by pixel.
std::vector<std::uint32_t> Shown(app::ScreenDownloadWindow& window) {
  platform::PixelBuffer buffer = window.GetView().GetWindow()->GetPixelBuffer();
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < buffer.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const char*>(buffer.pixels) + y * buffer.stride);
    for (int x = 0; x < buffer.width; ++x) pixels.push_back(row[x] & 0xFFFFFF);
  }
  return pixels;
}

// A line takes its new text in place: a wider old text leaves nothing
// behind, so the window shows exactly what one that never held it shows.
TEST_F(ScreenDownloadWindowTest, ANewTextLeavesNothingOfTheOldOneOnScreen) {
  std::vector<std::uint32_t> direct, after;
  {
    app::ScreenDownloadWindow window("DLL Library Not Found : \"x\"");
    ASSERT_TRUE(window.IsValid());
    window.SetStatus("Completed!");
    window.Pump(50, true);
    direct = Shown(window);
  }
  loop.PumpMessages(0);
  {
    app::ScreenDownloadWindow window("DLL Library Not Found : \"x\"");
    window.SetStatus("Downloading... a status far wider than the one that follows it");
    window.Pump(50, true);
    window.SetStatus("Completed!");
    window.Pump(50, true);
    after = Shown(window);
  }
  ASSERT_FALSE(direct.empty());
  ASSERT_EQ(direct.size(), after.size());
  // The frame's anti-aliased outermost pixels are left out: only the
  // inside of the window is compared.
  int differ = 0;
  const int width = app::kDownloadWindowWidth, height = static_cast<int>(direct.size()) / width;
  for (int y = 2; y < height - 2; ++y)
    for (int x = 2; x < width - 2; ++x) differ += direct[static_cast<size_t>(y * width + x)] != after[static_cast<size_t>(y * width + x)];
  EXPECT_EQ(differ, 0) << "pixels of the wider text are still on screen";
}

TEST_F(ScreenDownloadWindowTest, TheCloseButtonEndsItToo) {
  auto window = app::CreateScreenDownloadWindow("DLL Library Not Found : \"x\"");
  ASSERT_NE(window, nullptr);
  auto* screen = static_cast<app::ScreenDownloadWindow*>(window.get());
  screen->GetControlWindow()->Close();
  EXPECT_TRUE(PumpUntilGone(*window));
}

// The check behind a play room whose music is MIDI, with the real download
// window: the player agrees, and presses Alt+F4 on the game as the window
// comes up.
class CloseDuringDownloadUi final : public app::LibraryCheckUi {
 public:
  SDL_Window* game = nullptr;
  int windows = 0;
  std::vector<std::string> messages;
  bool AskYesNo(const std::string&, const std::string&) override { return true; }
  void ShowMessage(const std::string& title, const std::string&, app::MessageIcon) override {
    messages.push_back(title);
  }
  std::unique_ptr<app::DownloadWindow> CreateDownloadWindow(const std::string& title) override {
    ++windows;
    SDL_Event key;
    SDL_zero(key);
    key.type = SDL_KEYDOWN;
    key.key.windowID = SDL_GetWindowID(game);
    key.key.keysym.sym = SDLK_F4;
    key.key.keysym.scancode = SDL_SCANCODE_F4;
    key.key.keysym.mod = KMOD_LALT;
    EXPECT_EQ(SDL_PushEvent(&key), 1);
    return app::CreateScreenDownloadWindow(title);
  }
};
CloseDuringDownloadUi s_closingUi;
std::string CheckWhileClosing() { return app::CheckMidiLibraries(s_closingUi, "/nonexistent/bank.sf3"); }

// Closing the game while the download window is up ends the room with the
// root; the download's loop then ends with the program, and no code of the
// room runs after it (the sanitizer build sees any write into it).
class DownloadDuringPlay : public RootScene {};

TEST_F(DownloadDuringPlay, ClosingTheGameWhileTheBankDownloadsEndsTheRoomAndTheLoopCleanly) {
  if (platform::ProbeSynthLibrary(platform::kSynthLibraryName) != platform::LibraryStatus::kUsable)
    GTEST_SKIP() << "no synthesiser installed";
  app::ResetLibraryCheckForTesting();
  // A server that never answers: the download is still under way when the
  // game closes, however late the close is handled.
  HttpTestServer server;
  server.Serve("/bank.sf3", HttpTestServer::Mode::kSilent);
  setenv("TANDRILL_SOUNDBANK_URL", server.Url("/bank.sf3").c_str(), 1);
  setenv("TANDRILL_SOUNDBANK_SIZE", "12", 1);
  setenv("TANDRILL_SOUNDBANK_SHA256", std::string(64, 'a').c_str(), 1);
  const std::string tune = platform::GetDataDirectory() + "tune.mid";
  const std::vector<std::uint8_t> midi = sound_samples::MakeMidi(4);
  std::ofstream(tune, std::ios::binary).write(reinterpret_cast<const char*>(midi.data()), static_cast<std::streamsize>(midi.size()));
  CPuzzleData puzzle("p1");
  puzzle.SetPicture(std::make_shared<Gdiplus::Bitmap>(200, 150, PixelFormat::Format24bppRGB));
  puzzle.GetCutter().SetPieceSize(50);
  puzzle.SetMusicFile(tune);
  ASSERT_TRUE(puzzle.Save());
  canvas->GetLibrary().AddPuzzleImage(new CPuzzleImageData(puzzle.GetPicture().get(), "p1"));
  for (Uint32 id = 1; id < 64 && !s_closingUi.game; ++id) s_closingUi.game = SDL_GetWindowFromID(id);
  platform::SetMidiCheckHook(&CheckWhileClosing);

  CRSWeakRef<CRSObject> room(canvas->PlaySelectedPuzzle());
  ASSERT_TRUE(room);
  EXPECT_EQ(s_closingUi.windows, 0) << "the check ran inside the room's construction";
  CRSWeakRef<CRSObject> root(canvas);
  int quit = 0;
  bool running = true;
  for (int i = 0; i < 500 && running; ++i) {
    FlushEvents(nullptr);
    running = loop.PumpMessages(10, &quit);
  }
  EXPECT_FALSE(running) << "the program's end did not reach the outer loop";
  EXPECT_EQ(s_closingUi.windows, 1);
  EXPECT_FALSE(room) << "the room outlived the root";
  EXPECT_FALSE(root);
  EXPECT_TRUE(s_closingUi.messages.empty()) << "a box was shown to a program that is ending";
  EXPECT_FALSE(platform::IsQuitPending());
  platform::SetMidiCheckHook(nullptr);
}

}  // namespace
