#include "platform/window.h"

#include <SDL.h>

#include <algorithm>
#include <map>

#include "platform/bitmap.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/window_shape.h"
#include "platform/window_title.h"

namespace platform {
namespace {

bool InitialiseVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  // Drawing goes straight into the window surface's pixels; the accelerated
  // framebuffer would route every frame through a software OpenGL texture.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // Titles and typed text cross to the display in the locale's character
  // set, which must hold every character of a UTF-8 text.
  UseUtf8CharacterType();
  if (!InitialiseMessaging()) return false;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  // Characters arrive only while an edit field asks for them; otherwise
  // Alt+P would also type a "p".
  SDL_StopTextInput();
  return true;
}

SDL_Cursor* CursorFor(int id) {
  static std::map<int, SDL_Cursor*> cursors;
  auto it = cursors.find(id);
  if (it != cursors.end()) return it->second;
  SDL_SystemCursor system = SDL_SYSTEM_CURSOR_ARROW;
  switch (id) {
    case kCursorIBeam: system = SDL_SYSTEM_CURSOR_IBEAM; break;
    case kCursorWait: system = SDL_SYSTEM_CURSOR_WAIT; break;
    case kCursorCross: system = SDL_SYSTEM_CURSOR_CROSSHAIR; break;
    case kCursorSizeNWSE: system = SDL_SYSTEM_CURSOR_SIZENWSE; break;
    case kCursorSizeNESW: system = SDL_SYSTEM_CURSOR_SIZENESW; break;
    case kCursorSizeWE: system = SDL_SYSTEM_CURSOR_SIZEWE; break;
    case kCursorSizeNS: system = SDL_SYSTEM_CURSOR_SIZENS; break;
    case kCursorSizeAll: system = SDL_SYSTEM_CURSOR_SIZEALL; break;
    case kCursorNo: system = SDL_SYSTEM_CURSOR_NO; break;
    case kCursorHand: system = SDL_SYSTEM_CURSOR_HAND; break;
    default: break;
  }
  SDL_Cursor* cursor = SDL_CreateSystemCursor(system);
  cursors[id] = cursor;
  return cursor;
}

unsigned ModifierFlags() { return CurrentModifierFlags(); }

unsigned ButtonFlags(Uint32 sdlButtons) {
  unsigned flags = 0;
  if (sdlButtons & SDL_BUTTON_LMASK) flags |= kKeyStateLButton;
  if (sdlButtons & SDL_BUTTON_RMASK) flags |= kKeyStateRButton;
  if (sdlButtons & SDL_BUTTON_MMASK) flags |= kKeyStateMButton;
  return flags;
}

// The code points of a NUL-terminated UTF-8 text; a malformed sequence
// yields what its lead byte holds.
std::vector<std::uint32_t> DecodeUtf8(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  std::vector<std::uint32_t> codepoints;
  while (*p) {
    std::uint32_t cp = *p;
    const int extra = cp >= 0xF0 ? 3 : cp >= 0xE0 ? 2 : cp >= 0xC0 ? 1 : 0;
    cp &= extra == 3 ? 0x07 : extra == 2 ? 0x0F : extra == 1 ? 0x1F : 0x7F;
    ++p;
    for (int i = 0; i < extra && (*p & 0xC0) == 0x80; ++i, ++p) cp = (cp << 6) | (*p & 0x3F);
    codepoints.push_back(cp);
  }
  return codepoints;
}

// Each character message stands for one key stroke.
constexpr std::intptr_t kCharRepeatCount = 1;

Rect Union(const Rect& a, const Rect& b) {
  if (a.IsEmptyArea()) return b;
  if (b.IsEmptyArea()) return a;
  const int l = std::min(a.X, b.X), t = std::min(a.Y, b.Y);
  const int r = std::max(a.GetRight(), b.GetRight()), btm = std::max(a.GetBottom(), b.GetBottom());
  return Rect(l, t, r - l, btm - t);
}

}  // namespace

struct Window::Native {
  Uint32 buttons = 0;  // mouse buttons down, as SDL masks, in event order
};

Window::Window(const std::string& title, int width, int height, WindowHandler* handler)
    : m_native(std::make_unique<Native>()), m_handler(handler), m_title(title) {
  if (!InitialiseVideo()) return;
  SDL_Window* w = SDL_CreateWindow(ShownWindowTitle(title).c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   std::max(1, width), std::max(1, height),
                                   SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_RESIZABLE);
  if (!w) return;
  m_window = w;
  KeepKeyLookupsInLatin1(w);
  ApplyWindowTitle(w, title);
  m_windowId = SDL_GetWindowID(w);
  m_targetId = RegisterMessageTarget(this);
  m_translatorHandle =
      AddEventTranslator([this](const SDL_Event& event, Message& out) { return Translate(event, out); });
  m_restoreRect = GetWindowRect();
}

Window::~Window() {
  if (m_translatorHandle) RemoveEventTranslator(m_translatorHandle);
  if (m_targetId != kNoTarget) UnregisterMessageTarget(m_targetId);
  if (m_window) {
    if (m_captured) SDL_CaptureMouse(SDL_FALSE);
    SDL_DestroyWindow(static_cast<SDL_Window*>(m_window));
  }
}

Size Window::GetScreenSize() {
  if (!InitialiseVideo()) return Size();
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return Size();
  return Size(mode.w, mode.h);
}

Rect Window::GetUsableScreenRect() {
  if (!InitialiseVideo()) return Rect();
  SDL_Rect r;
  if (SDL_GetDisplayUsableBounds(0, &r) != 0) {
    const Size s = GetScreenSize();
    return Rect(0, 0, s.Width, s.Height);
  }
  return Rect(r.x, r.y, r.w, r.h);
}

void Window::Show() {
  if (m_window) SDL_ShowWindow(static_cast<SDL_Window*>(m_window));
}

void Window::Hide() {
  if (m_window) SDL_HideWindow(static_cast<SDL_Window*>(m_window));
}

void Window::ApplyMaximizedBounds() {
  // Maximising is ours rather than the window manager's: a borderless window
  // is sized to the usable screen directly, which also works with no window
  // manager at all (where a maximise request would keep the old size).
  const Rect usable = GetUsableScreenRect();
  if (usable.IsEmptyArea()) return;
  SetWindowRect(usable);
}

void Window::ShowMaximized() {
  if (!m_window) return;
  if (!m_maximized && !m_minimized) m_restoreRect = GetWindowRect();
  const bool wasMinimized = m_minimized;
  m_maximized = true;
  m_minimized = false;
  SDL_ShowWindow(static_cast<SDL_Window*>(m_window));
  if (wasMinimized) SDL_RestoreWindow(static_cast<SDL_Window*>(m_window));
  ApplyMaximizedBounds();
  const Size s = GetClientSize();
  SendMessage(kMsgSize, kSizeMaximized, MakeMousePosition(s.Width, s.Height));
  InvalidateAll();
}

void Window::Minimize() {
  if (!m_window || m_minimized) return;
  m_minimized = true;
  SDL_MinimizeWindow(static_cast<SDL_Window*>(m_window));
  SendMessage(kMsgSize, kSizeMinimized, 0);
}

void Window::Restore() {
  if (!m_window) return;
  const bool wasMaximized = m_maximized && !m_minimized;
  const bool wasMinimized = m_minimized;
  m_minimized = false;
  SDL_ShowWindow(static_cast<SDL_Window*>(m_window));
  if (wasMinimized) SDL_RestoreWindow(static_cast<SDL_Window*>(m_window));
  if (wasMaximized) {
    m_maximized = false;
    SetWindowRect(m_restoreRect);
  }
  const Size s = GetClientSize();
  SendMessage(kMsgSize, m_maximized ? kSizeMaximized : kSizeRestored, MakeMousePosition(s.Width, s.Height));
  InvalidateAll();
}

Rect Window::GetWindowRect() const {
  if (!m_window) return Rect();
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(static_cast<SDL_Window*>(m_window), &x, &y);
  SDL_GetWindowSize(static_cast<SDL_Window*>(m_window), &w, &h);
  return Rect(x, y, w, h);
}

Size Window::GetClientSize() const {
  const Rect r = GetWindowRect();
  return Size(r.Width, r.Height);
}

void Window::SetWindowRect(const Rect& rect) {
  if (!m_window) return;
  SDL_Window* w = static_cast<SDL_Window*>(m_window);
  SDL_SetWindowPosition(w, rect.X, rect.Y);
  const Size before = GetClientSize();
  SDL_SetWindowSize(w, std::max(1, rect.Width), std::max(1, rect.Height));
  const Size after = GetClientSize();
  // The size message is sent at once, so the owner can lay out before the
  // next paint; the platform's own notice that follows is then a no-op.
  if (!(before == after)) {
    SendMessage(kMsgSize, m_maximized ? kSizeMaximized : kSizeRestored,
                MakeMousePosition(after.Width, after.Height));
    InvalidateAll();
  }
}

void Window::MoveTo(int x, int y) {
  if (m_window) SDL_SetWindowPosition(static_cast<SDL_Window*>(m_window), x, y);
}

void Window::ResizeTo(int width, int height) {
  const Rect r = GetWindowRect();
  SetWindowRect(Rect(r.X, r.Y, width, height));
}

void Window::CenterOnScreen() {
  const Rect usable = GetUsableScreenRect();
  const Rect r = GetWindowRect();
  MoveTo(usable.X + (usable.Width - r.Width) / 2, usable.Y + (usable.Height - r.Height) / 2);
}

void Window::SetTitle(const std::string& title) {
  if (title == m_title) return;
  m_title = title;
  if (!m_window) return;
  SDL_SetWindowTitle(static_cast<SDL_Window*>(m_window), ShownWindowTitle(title).c_str());
  ApplyWindowTitle(static_cast<SDL_Window*>(m_window), title);
}

void Window::SetIcon(const Gdiplus::Bitmap& icon) {
  if (!m_window || !icon.IsValid()) return;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, icon.GetWidth(), icon.GetHeight(), 32, SDL_PIXELFORMAT_ARGB8888);
  if (!s) return;
  // The platform wants straight alpha; the bitmap keeps it premultiplied.
  for (int y = 0; y < icon.GetHeight(); ++y) {
    auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
    for (int x = 0; x < icon.GetWidth(); ++x) row[x] = icon.GetPixel(x, y);
  }
  SDL_SetWindowIcon(static_cast<SDL_Window*>(m_window), s);
  SDL_FreeSurface(s);
}

bool Window::SupportsShapes() const { return DisplaySupportsShapes(static_cast<SDL_Window*>(m_window)); }

bool Window::SetShape(const Gdiplus::Bitmap& mask) {
  if (!m_window || !mask.IsValid()) return false;
  const int w = mask.GetWidth(), h = mask.GetHeight();
  std::vector<std::uint8_t> inside(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* row = mask.GetRow(y);
    for (int x = 0; x < w; ++x) inside[static_cast<size_t>(y) * w + x] = (row[x] >> 24) != 0;
  }
  return ApplyWindowShape(static_cast<SDL_Window*>(m_window), inside, w, h);
}

void Window::SetFocus() {
  if (!m_window) return;
  SDL_RaiseWindow(static_cast<SDL_Window*>(m_window));
  SDL_SetWindowInputFocus(static_cast<SDL_Window*>(m_window));
}

bool Window::HasFocus() const {
  return m_window && (SDL_GetWindowFlags(static_cast<SDL_Window*>(m_window)) & SDL_WINDOW_INPUT_FOCUS);
}

void Window::SetCursor(int cursorId) {
  if (SDL_Cursor* c = CursorFor(cursorId)) SDL_SetCursor(c);
}

void Window::SetCapture() {
  m_captured = true;
  SDL_CaptureMouse(SDL_TRUE);  // refused without focus; the buttons still report
}

void Window::ReleaseCapture() {
  if (!m_captured) return;
  m_captured = false;
  SDL_CaptureMouse(SDL_FALSE);
}

void Window::TrackMouseLeave() { m_trackingLeave = true; }

void Window::StartTextInput() { SDL_StartTextInput(); }
void Window::StopTextInput() { SDL_StopTextInput(); }

void Window::Invalidate(const Rect& rect) {
  if (!m_window || m_destroyed) return;
  const Size s = GetClientSize();
  Rect clipped;
  const int l = std::max(0, rect.X), t = std::max(0, rect.Y);
  const int r = std::min(s.Width, rect.GetRight()), b = std::min(s.Height, rect.GetBottom());
  if (r <= l || b <= t) return;
  clipped = Rect(l, t, r - l, b - t);
  m_invalid = Union(m_invalid, clipped);
  if (!m_paintPosted) m_paintPosted = PostMessage(m_targetId, kMsgPaint);
}

void Window::InvalidateAll() {
  const Size s = GetClientSize();
  Invalidate(Rect(0, 0, s.Width, s.Height));
}

void Window::UpdateNow() {
  if (m_invalid.IsEmptyArea() || m_destroyed) return;
  Deliver(Message{m_targetId, kMsgPaint, 0, 0});
}

PixelBuffer Window::GetPixelBuffer() {
  PixelBuffer buffer;
  if (!m_window) return buffer;
  SDL_Surface* s = SDL_GetWindowSurface(static_cast<SDL_Window*>(m_window));
  if (!s || s->format->BytesPerPixel != 4) return buffer;
  buffer.pixels = static_cast<std::uint32_t*>(s->pixels);
  buffer.width = s->w;
  buffer.height = s->h;
  buffer.stride = s->pitch;
  return buffer;
}

void Window::Present(const std::vector<Rect>& rects) {
  if (!m_window || rects.empty()) return;
  std::vector<SDL_Rect> sdlRects;
  sdlRects.reserve(rects.size());
  for (const Rect& r : rects)
    if (!r.IsEmptyArea()) sdlRects.push_back(SDL_Rect{r.X, r.Y, r.Width, r.Height});
  if (sdlRects.empty()) return;
  SDL_UpdateWindowSurfaceRects(static_cast<SDL_Window*>(m_window), sdlRects.data(),
                               static_cast<int>(sdlRects.size()));
}

void Window::SendMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  Deliver(Message{m_targetId, message, wParam, lParam});
}

void Window::Destroy() {
  if (m_destroyed || !m_window) return;
  m_destroyed = true;
  if (m_captured) ReleaseCapture();
  if (m_handler) m_handler->OnWindowMessage(Message{m_targetId, kMsgDestroy, 0, 0});
  SDL_DestroyWindow(static_cast<SDL_Window*>(m_window));
  m_window = nullptr;
}

void Window::DefaultHandling(const Message& msg) {
  switch (msg.message) {
    case kMsgSysKeyDown:
      if (msg.wParam == kVkF4) SendMessage(kMsgClose);
      break;
    case kMsgClose:
      Destroy();
      break;
    case kMsgSysCommand:
      switch (msg.wParam & 0xFFF0u) {
        case kSysCommandMinimize: Minimize(); break;
        case kSysCommandMaximize: ShowMaximized(); break;
        case kSysCommandRestore: Restore(); break;
        case kSysCommandClose: SendMessage(kMsgClose); break;
        default: break;
      }
      break;
    default:
      break;
  }
}

void Window::Deliver(const Message& msg) {
  if (m_destroyed) return;
  if (msg.message == kMsgPaint) {
    DeliverPaint(msg);
    return;
  }
  const bool handled = m_handler && m_handler->OnWindowMessage(msg);
  if (!handled) DefaultHandling(msg);
}

void Window::DeliverPaint(const Message& msg) {
  m_paintPosted = false;
  if (m_invalid.IsEmptyArea()) return;
  // The rectangle is taken before the handler runs. Painting may itself ask
  // for more painting (a soft image renders its picture in a pre-paint step
  // and invalidates it); such a request starts a fresh rectangle and posts
  // its own paint message, where clearing afterwards would silently drop it.
  const Rect outer = m_paintRect;  // UpdateNow may paint inside a paint
  m_paintRect = m_invalid;
  m_invalid = Rect();
  if (m_handler) m_handler->OnWindowMessage(msg);
  m_paintRect = outer;
}

void Window::OnMessage(const Message& msg) {
  if (msg.message == kMsgPaint) m_paintPosted = false;
  Deliver(msg);
}

std::string Window::TakeDroppedFile() {
  if (m_droppedFiles.empty()) return std::string();
  std::string path = std::move(m_droppedFiles.front());
  m_droppedFiles.erase(m_droppedFiles.begin());
  return path;
}

bool Window::Translate(const SDL_Event& ev, Message& out) {
  if (!m_window || m_destroyed) return false;
  out = Message{m_targetId, kMsgNull, 0, 0};
  switch (ev.type) {
    case SDL_WINDOWEVENT:
      return ev.window.windowID == m_windowId && TranslateWindowEvent(ev.window, out);
    case SDL_MOUSEMOTION:
      return ev.motion.windowID == m_windowId && TranslateMouseMotion(ev.motion, out);
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return ev.button.windowID == m_windowId && TranslateMouseButton(ev.button, out);
    case SDL_MOUSEWHEEL:
      return ev.wheel.windowID == m_windowId && TranslateMouseWheel(ev.wheel, out);
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      // Keys sent while no window had the focus carry no window id.
      return (ev.key.windowID == m_windowId || ev.key.windowID == 0) && TranslateKey(ev.key, out);
    case SDL_TEXTINPUT:
      return (ev.text.windowID == m_windowId || ev.text.windowID == 0) && TranslateText(ev.text, out);
    case SDL_DROPFILE:
      // The path is SDL's to hand over and ours to free; the handler takes
      // it from the window when the message arrives.
      if (ev.drop.windowID != m_windowId && ev.drop.windowID != 0) return false;
      if (ev.drop.file) {
        m_droppedFiles.emplace_back(ev.drop.file);
        SDL_free(ev.drop.file);
        out.message = kMsgDropFiles;
      }
      return true;
    default:
      return false;
  }
}

// Each translator below runs for an event of this window and returns true:
// the event is taken even when it yields nothing (out stays the null
// message), so no other window's translator sees it.

bool Window::TranslateWindowEvent(const SDL_WindowEvent& ev, Message& out) {
  switch (ev.event) {
    case SDL_WINDOWEVENT_EXPOSED:
      InvalidateAll();  // the paint message follows through the queue
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      const Size s = GetClientSize();
      out.message = kMsgSize;
      out.wParam = m_minimized ? kSizeMinimized : (m_maximized ? kSizeMaximized : kSizeRestored);
      out.lParam = MakeMousePosition(s.Width, s.Height);
      InvalidateAll();
      break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
      if (m_minimized) break;
      m_minimized = true;
      out.message = kMsgSize;
      out.wParam = kSizeMinimized;
      break;
    case SDL_WINDOWEVENT_RESTORED: {
      if (!m_minimized) break;
      m_minimized = false;
      const Size s = GetClientSize();
      out.message = kMsgSize;
      out.wParam = m_maximized ? kSizeMaximized : kSizeRestored;
      out.lParam = MakeMousePosition(s.Width, s.Height);
      InvalidateAll();
      break;
    }
    case SDL_WINDOWEVENT_LEAVE:
      if (!m_trackingLeave) break;
      m_trackingLeave = false;
      out.message = kMsgMouseLeave;
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      out.message = kMsgSetFocus;
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      out.message = kMsgKillFocus;
      break;
    case SDL_WINDOWEVENT_CLOSE:
      out.message = kMsgClose;
      break;
    default:
      break;
  }
  return true;
}

bool Window::TranslateMouseWheel(const SDL_MouseWheelEvent& ev, Message& out) {
  int notches = ev.y;
  if (ev.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
  if (notches == 0) return true;  // sideways scrolling is not the game's
  out.message = kMsgMouseWheel;
  out.wParam = MakeWheelParam(notches * kWheelDelta, ButtonFlags(m_native->buttons) | ModifierFlags());
  out.lParam = MakeMousePosition(ev.mouseX, ev.mouseY);
  return true;
}

bool Window::TranslateMouseMotion(const SDL_MouseMotionEvent& ev, Message& out) {
  m_native->buttons = ev.state;
  out.message = kMsgMouseMove;
  out.wParam = ButtonFlags(m_native->buttons) | ModifierFlags();
  out.lParam = MakeMousePosition(ev.x, ev.y);
  return true;
}

bool Window::TranslateMouseButton(const SDL_MouseButtonEvent& ev, Message& out) {
  const bool down = ev.type == SDL_MOUSEBUTTONDOWN;
  const Uint32 mask = SDL_BUTTON(ev.button);
  if (down) m_native->buttons |= mask; else m_native->buttons &= ~mask;
  const bool dbl = down && ev.clicks >= 2;
  switch (ev.button) {
    case SDL_BUTTON_LEFT: out.message = down ? (dbl ? kMsgLButtonDblClk : kMsgLButtonDown) : kMsgLButtonUp; break;
    case SDL_BUTTON_RIGHT: out.message = down ? (dbl ? kMsgRButtonDblClk : kMsgRButtonDown) : kMsgRButtonUp; break;
    case SDL_BUTTON_MIDDLE: out.message = down ? (dbl ? kMsgMButtonDblClk : kMsgMButtonDown) : kMsgMButtonUp; break;
    default: return true;  // extra buttons are not the game's
  }
  out.wParam = ButtonFlags(m_native->buttons) | ModifierFlags();
  out.lParam = MakeMousePosition(ev.x, ev.y);
  return true;
}

bool Window::TranslateKey(const SDL_KeyboardEvent& ev, Message& out) {
  const bool down = ev.type == SDL_KEYDOWN;
  const unsigned vk = VirtualKeyFromKeycode(ev.keysym.sym);
  if (vk == 0) return true;
  const bool altHeld = (ev.keysym.mod & KMOD_ALT) != 0;
  const bool system = altHeld || vk == kVkMenu;
  out.message = system ? (down ? kMsgSysKeyDown : kMsgSysKeyUp) : (down ? kMsgKeyDown : kMsgKeyUp);
  out.wParam = vk;
  out.lParam = MakeKeyData(ev.keysym.scancode, altHeld, ev.repeat != 0, !down);
  return true;
}

bool Window::TranslateText(const SDL_TextInputEvent& ev, Message& out) {
  const std::vector<std::uint32_t> codepoints = DecodeUtf8(ev.text);
  if (codepoints.empty()) return true;
  // One character message per code point of the typed text: the first
  // goes out now, the others follow it through the queue.
  for (size_t i = 1; i < codepoints.size(); ++i) PostMessage(m_targetId, kMsgChar, codepoints[i], kCharRepeatCount);
  out.message = kMsgChar;
  out.wParam = codepoints[0];
  out.lParam = kCharRepeatCount;
  return true;
}

}  // namespace platform
