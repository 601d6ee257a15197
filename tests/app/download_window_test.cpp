#include "app/download_window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/message_loop.h"
#include "platform/window.h"

namespace {

SDL_Window* NewestWindow() {
  for (Uint32 id = 64; id > 0; --id) {
    if (SDL_Window* window = SDL_GetWindowFromID(id)) return window;
  }
  return nullptr;
}

void Click(SDL_Window* window, int x, int y) {
  for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
    SDL_Event ev;
    SDL_zero(ev);
    ev.type = type;
    ev.button.windowID = SDL_GetWindowID(window);
    ev.button.button = SDL_BUTTON_LEFT;
    ev.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    ev.button.clicks = 1;
    ev.button.x = x;
    ev.button.y = y;
    ASSERT_EQ(SDL_PushEvent(&ev), 1);
  }
}

// Counts pixels of a rectangle that differ from its top-left pixel.
int Marks(SDL_Window* window, int left, int top, int width, int height) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface) return 0;
  auto pixel = [&](int x, int y) {
    return *reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(surface->pixels) + y * surface->pitch + x * 4);
  };
  const Uint32 face = pixel(left, top);
  int marks = 0;
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) marks += pixel(x, y) != face;
  }
  return marks;
}

TEST(ScreenDownloadWindow, CentredDrawsItsLinesAndClosesOnlyFromExit) {
  platform::MessageLoop loop;
  auto window = app::CreateScreenDownloadWindow("DLL Library Not Found : \"bank.sf3\"");
  ASSERT_NE(window, nullptr);
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

  // The status line is drawn from the start; the address line only once set.
  EXPECT_GT(Marks(native, 2, 12, 396, 16), 0);
  EXPECT_EQ(Marks(native, 2, 37, 396, 16), 0);
  window->SetAddress("http://127.0.0.1/bank");
  window->SetProgress(app::FormatProgress(10, 40));
  EXPECT_GT(Marks(native, 2, 37, 396, 16), 0);
  EXPECT_GT(Marks(native, 2, 62, 396, 16), 0);
  EXPECT_GT(Marks(native, 162, 97, 76, 18), 0);  // "Exit"

  EXPECT_TRUE(window->Pump(50, false));
  Click(native, 20, 120);  // beside the button
  EXPECT_TRUE(window->Pump(50, true));
  EXPECT_TRUE(window->Exists());
  Click(native, 200, 105);
  EXPECT_FALSE(window->Pump(50, false));
  EXPECT_FALSE(window->Exists());
  EXPECT_FALSE(window->Pump(50, false));
}

}  // namespace
