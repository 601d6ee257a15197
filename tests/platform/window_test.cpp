#include "platform/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/messages.h"

namespace {

using platform::Message;

struct Recorder : platform::WindowHandler {
  std::vector<Message> messages;
  bool handleAll = false;
  platform::Window* window = nullptr;
  Rect paintedRect;
  std::vector<Rect> painted;
  // Asked for from inside the next paint, as a soft image's pre-paint does.
  Rect repaintWhilePainting;
  bool OnWindowMessage(const Message& msg) override {
    messages.push_back(msg);
    if (msg.message == platform::kMsgPaint && window) {
      paintedRect = window->GetPaintRect();
      painted.push_back(paintedRect);
      if (!repaintWhilePainting.IsEmptyArea()) window->Invalidate(std::exchange(repaintWhilePainting, Rect()));
    }
    return handleAll || msg.message == platform::kMsgPaint;
  }
  std::vector<unsigned> Numbers() const {
    std::vector<unsigned> out;
    for (const auto& m : messages) out.push_back(m.message);
    return out;
  }
  const Message* Last(unsigned number) const {
    for (auto it = messages.rbegin(); it != messages.rend(); ++it)
      if (it->message == number) return &*it;
    return nullptr;
  }
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<platform::Window>("test", 320, 240, &recorder);
    ASSERT_TRUE(window->IsValid()) << SDL_GetError();
    recorder.window = window.get();
    window->Show();
    loop.PumpMessages(0);
    recorder.messages.clear();
  }
  void Push(SDL_Event ev) {
    ASSERT_EQ(SDL_PushEvent(&ev), 1);
    loop.PumpMessages(0);
  }
  SDL_Event Button(Uint32 type, Uint8 button, int x, int y, Uint8 clicks = 1) {
    SDL_Event ev;
    SDL_zero(ev);
    ev.type = type;
    ev.button.windowID = WindowId();
    ev.button.button = button;
    ev.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    ev.button.clicks = clicks;
    ev.button.x = x;
    ev.button.y = y;
    return ev;
  }
  SDL_Event Key(Uint32 type, SDL_Keycode sym, Uint16 mod) {
    SDL_Event ev;
    SDL_zero(ev);
    ev.type = type;
    ev.key.windowID = WindowId();
    ev.key.keysym.sym = sym;
    ev.key.keysym.mod = mod;
    ev.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
    return ev;
  }
  // A poll ends at what was queued when it began; messages posted while
  // handling come in the next one.
  template <class Done>
  void PumpUntil(Done done) {
    const Uint64 deadline = SDL_GetTicks64() + 5000;
    while (!done() && SDL_GetTicks64() < deadline) loop.PumpMessages(10);
  }
  Uint32 WindowId() {
    // The window under test is the only one: the newest id in use.
    for (Uint32 id = 64; id > 0; --id)
      if (SDL_GetWindowFromID(id)) return id;
    return 0;
  }

  platform::MessageLoop loop;
  Recorder recorder;
  std::unique_ptr<platform::Window> window;
};

TEST_F(WindowTest, MouseButtonsBecomeWindowMessagesWithFlagsAndSignedPositions) {
  Push(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20));
  const Message* down = recorder.Last(platform::kMsgLButtonDown);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(down->wParam & platform::kKeyStateLButton, platform::kKeyStateLButton);
  EXPECT_EQ(platform::MousePositionX(down->lParam), 10);
  EXPECT_EQ(platform::MousePositionY(down->lParam), 20);

  Push(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, -7, 300));
  const Message* up = recorder.Last(platform::kMsgLButtonUp);
  ASSERT_NE(up, nullptr);
  EXPECT_EQ(up->wParam & platform::kKeyStateLButton, 0u) << "the released button is no longer down";
  EXPECT_EQ(platform::MousePositionX(up->lParam), -7) << "a release outside the window keeps its sign";

  Push(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 5, 5));
  Push(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5, 2));
  ASSERT_NE(recorder.Last(platform::kMsgRButtonDown), nullptr);
  const Message* dbl = recorder.Last(platform::kMsgLButtonDblClk);
  ASSERT_NE(dbl, nullptr);
  EXPECT_EQ(dbl->wParam & (platform::kKeyStateLButton | platform::kKeyStateRButton),
            platform::kKeyStateLButton | platform::kKeyStateRButton);
}

TEST_F(WindowTest, WheelNotchesBecomeWheelMessagesWithASignedDistance) {
  auto wheel = [&](int x, int y, Uint32 direction) {
    SDL_Event ev;
    SDL_zero(ev);
    ev.type = SDL_MOUSEWHEEL;
    ev.wheel.windowID = WindowId();
    ev.wheel.x = x;
    ev.wheel.y = y;
    ev.wheel.direction = direction;
    ev.wheel.mouseX = 30;
    ev.wheel.mouseY = 40;
    return ev;
  };
  Push(wheel(0, -2, SDL_MOUSEWHEEL_NORMAL));
  const Message* down = recorder.Last(platform::kMsgMouseWheel);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(platform::WheelDelta(down->wParam), -2 * platform::kWheelDelta) << "toward the user is negative";
  EXPECT_EQ(platform::MousePositionX(down->lParam), 30);
  EXPECT_EQ(platform::MousePositionY(down->lParam), 40);
  recorder.messages.clear();
  Push(wheel(0, -1, SDL_MOUSEWHEEL_FLIPPED));
  ASSERT_NE(recorder.Last(platform::kMsgMouseWheel), nullptr);
  EXPECT_EQ(platform::WheelDelta(recorder.Last(platform::kMsgMouseWheel)->wParam), platform::kWheelDelta);
  recorder.messages.clear();
  Push(wheel(3, 0, SDL_MOUSEWHEEL_NORMAL));
  EXPECT_EQ(recorder.Last(platform::kMsgMouseWheel), nullptr) << "sideways scrolling is not delivered";
}

TEST_F(WindowTest, KeysHeldWithAltAreSystemKeysAndAltF4Closes) {
  Push(Key(SDL_KEYDOWN, SDLK_p, KMOD_NONE));
  const Message* plain = recorder.Last(platform::kMsgKeyDown);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->wParam, static_cast<unsigned>('P'));

  Push(Key(SDL_KEYDOWN, SDLK_p, KMOD_LALT));
  const Message* sys = recorder.Last(platform::kMsgSysKeyDown);
  ASSERT_NE(sys, nullptr);
  EXPECT_EQ(sys->wParam, static_cast<unsigned>('P'));
  EXPECT_NE(sys->lParam & (1 << 29), 0) << "context bit set while Alt is held";
  EXPECT_FALSE(window->IsDestroyed());

  Push(Key(SDL_KEYDOWN, SDLK_F4, KMOD_LALT));
  EXPECT_TRUE(window->IsDestroyed()) << "Alt+F4 left to the default handling closes the window";
  EXPECT_NE(recorder.Last(platform::kMsgDestroy), nullptr);
}

TEST_F(WindowTest, TypedTextBecomesOneCharacterMessagePerCodePointInOrder) {
  SDL_Event ev;
  SDL_zero(ev);
  ev.type = SDL_TEXTINPUT;
  ev.text.windowID = WindowId();
  std::strcpy(ev.text.text, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");  // a, e acute, euro, a face
  Push(ev);
  PumpUntil([&] { return recorder.messages.size() >= 4; });
  std::vector<std::uintptr_t> chars;
  for (const Message& m : recorder.messages)
    if (m.message == platform::kMsgChar) chars.push_back(m.wParam);
  EXPECT_EQ(chars, (std::vector<std::uintptr_t>{0x61, 0xE9, 0x20AC, 0x1F600}));
}

TEST_F(WindowTest, InvalidRectanglesAreJoinedAndPaintedOnce) {
  window->Invalidate(Rect(10, 10, 20, 20));
  window->Invalidate(Rect(50, 40, 10, 10));
  window->Invalidate(Rect(300, 200, 100, 100));  // clipped to the client area
  loop.PumpMessages(0);
  std::vector<unsigned> numbers = recorder.Numbers();
  EXPECT_EQ(std::count(numbers.begin(), numbers.end(), platform::kMsgPaint), 1);
  EXPECT_EQ(recorder.paintedRect, Rect(10, 10, 310, 230));
  EXPECT_TRUE(window->GetInvalidRect().IsEmptyArea());

  recorder.messages.clear();
  window->Invalidate(Rect(0, 0, 5, 5));
  window->UpdateNow();
  EXPECT_EQ(recorder.messages.size(), 1u) << "update-now paints before returning";
  loop.PumpMessages(0);
  EXPECT_EQ(recorder.messages.size(), 1u) << "the queued paint finds nothing left to do";
}

TEST_F(WindowTest, RepaintAskedForWhilePaintingIsPaintedNextNotLost) {
  window->Invalidate(Rect(0, 0, 100, 100));
  recorder.repaintWhilePainting = Rect(200, 150, 10, 10);
  PumpUntil([&] { return recorder.painted.size() >= 2; });
  ASSERT_EQ(recorder.painted.size(), 2u) << "the request made during the paint needs a paint of its own";
  EXPECT_EQ(recorder.painted[0], Rect(0, 0, 100, 100));
  EXPECT_EQ(recorder.painted[1], Rect(200, 150, 10, 10)) << "only the new request, not the old area again";
  EXPECT_TRUE(window->GetInvalidRect().IsEmptyArea());
  EXPECT_TRUE(window->GetPaintRect().IsEmptyArea()) << "no paint rectangle outside a paint";

  // The same through update-now, which paints inside the caller's stack.
  recorder.painted.clear();
  window->Invalidate(Rect(5, 5, 5, 5));
  recorder.repaintWhilePainting = Rect(1, 1, 2, 2);
  window->UpdateNow();
  EXPECT_EQ(window->GetInvalidRect(), Rect(1, 1, 2, 2));
  PumpUntil([&] { return recorder.painted.size() >= 2; });
  ASSERT_EQ(recorder.painted.size(), 2u);
  EXPECT_EQ(recorder.painted[1], Rect(1, 1, 2, 2));
}

TEST_F(WindowTest, MaximiseMinimiseAndRestoreReportTheirSizeTypes) {
  const Rect before = window->GetWindowRect();
  window->ShowMaximized();
  const Message* size = recorder.Last(platform::kMsgSize);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->wParam, platform::kSizeMaximized);
  EXPECT_EQ(window->GetWindowRect(), platform::Window::GetUsableScreenRect());

  window->Minimize();
  EXPECT_EQ(recorder.Last(platform::kMsgSize)->wParam, platform::kSizeMinimized);
  EXPECT_TRUE(window->IsMinimized());

  window->Restore();
  EXPECT_EQ(recorder.Last(platform::kMsgSize)->wParam, platform::kSizeMaximized)
      << "restoring a minimised maximised window keeps it maximised";
  window->Restore();
  EXPECT_EQ(recorder.Last(platform::kMsgSize)->wParam, platform::kSizeRestored);
  EXPECT_EQ(window->GetWindowRect().Width, before.Width);
  EXPECT_EQ(window->GetWindowRect().Height, before.Height);
}

TEST_F(WindowTest, SystemCommandsAreHandledByDefault) {
  window->SendMessage(platform::kMsgSysCommand, platform::kSysCommandMaximize);
  EXPECT_TRUE(window->IsMaximized());
  window->SendMessage(platform::kMsgSysCommand, platform::kSysCommandRestore);
  EXPECT_FALSE(window->IsMaximized());
  recorder.handleAll = true;
  window->SendMessage(platform::kMsgSysCommand, platform::kSysCommandMaximize);
  EXPECT_FALSE(window->IsMaximized()) << "a handler that takes the command stops the default";
}

TEST_F(WindowTest, PixelBufferCoversTheClientAreaAndFollowsResizes) {
  platform::PixelBuffer buffer = window->GetPixelBuffer();
  ASSERT_NE(buffer.pixels, nullptr);
  EXPECT_EQ(buffer.width, 320);
  EXPECT_EQ(buffer.height, 240);
  buffer.pixels[0] = 0xFFFF0000u;
  window->Present({Rect(0, 0, 1, 1)});
  window->ResizeTo(400, 300);
  buffer = window->GetPixelBuffer();
  EXPECT_EQ(buffer.width, 400);
  EXPECT_EQ(buffer.height, 300);
  EXPECT_GE(buffer.stride, 400 * 4);
  const Message* size = recorder.Last(platform::kMsgSize);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(platform::MousePositionX(size->lParam), 400);
  EXPECT_EQ(platform::MousePositionY(size->lParam), 300);
}

TEST_F(WindowTest, LeaveIsReportedOnceWhenAsked) {
  SDL_Event ev;
  SDL_zero(ev);
  ev.type = SDL_WINDOWEVENT;
  ev.window.windowID = WindowId();
  ev.window.event = SDL_WINDOWEVENT_LEAVE;
  Push(ev);
  EXPECT_EQ(recorder.Last(platform::kMsgMouseLeave), nullptr) << "not tracked: no notice";
  window->TrackMouseLeave();
  Push(ev);
  Push(ev);
  std::vector<unsigned> numbers = recorder.Numbers();
  EXPECT_EQ(std::count(numbers.begin(), numbers.end(), platform::kMsgMouseLeave), 1);
}

}  // namespace
