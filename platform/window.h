#pragma once
// A top-level window of the platform: borderless, resizable, shaped where the
// display allows it. Input and window changes arrive as the program's window
// messages (mouse 512-521 and 675, keys 256-261, size, paint, close,
// destroy, system commands) through the message loop, delivered to the
// window's handler; what the handler leaves alone gets the default handling
// (Alt+F4 closes, system commands minimise, maximise and restore, close
// destroys). Painting goes to a pixel buffer that is shown rectangle by
// rectangle.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/cursors.h"
#include "platform/message_loop.h"
#include "platform/types.h"

namespace Gdiplus {
class Bitmap;
}

// The platform's event records, declared here only for the private
// translators' signatures.
struct SDL_WindowEvent;
struct SDL_MouseMotionEvent;
struct SDL_MouseWheelEvent;
struct SDL_MouseButtonEvent;
struct SDL_KeyboardEvent;
struct SDL_TextInputEvent;

namespace platform {

// Size message types (first parameter of kMsgSize).
inline constexpr unsigned kSizeRestored = 0;
inline constexpr unsigned kSizeMinimized = 1;
inline constexpr unsigned kSizeMaximized = 2;

// Cursor ids: see platform/cursors.h.

// The window's procedure. Returns true when it handled the message; false
// lets the default handling run.
class WindowHandler {
 public:
  virtual ~WindowHandler() = default;
  virtual bool OnWindowMessage(const Message& msg) = 0;
};

// Pixels to paint into: 32-bit premultiplied ARGB rows (the drawing
// library's native format), valid until the next Present or resize.
struct PixelBuffer {
  std::uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes per row
};

class Window : private MessageTarget {
 public:
  // Creates the window hidden. IsValid() is false when the platform refused.
  Window(const std::string& title, int width, int height, WindowHandler* handler);
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  bool IsValid() const { return m_window != nullptr; }
  TargetId GetTargetId() const { return m_targetId; }

  // The size of the screen the window is on (or of the first screen).
  static Size GetScreenSize();
  // The part of the screen not covered by panels.
  static Rect GetUsableScreenRect();

  void Show();
  void Hide();
  void ShowMaximized();
  void Minimize();
  void Restore();
  bool IsMaximized() const { return m_maximized; }
  bool IsMinimized() const { return m_minimized; }

  // Position and size of the whole window on the screen; the window has no
  // frame of its own, so the client area is the same size.
  Rect GetWindowRect() const;
  Size GetClientSize() const;
  void SetWindowRect(const Rect& rect);
  void MoveTo(int x, int y);
  void ResizeTo(int width, int height);
  void CenterOnScreen();

  void SetTitle(const std::string& title);
  const std::string& GetTitle() const { return m_title; }
  void SetIcon(const Gdiplus::Bitmap& icon);
  // Gives the window the outline of this mask (pixels with alpha above zero
  // belong to the window); false where the display has no shaped windows
  // (X servers without the shape extension, Wayland, the dummy driver).
  bool SetShape(const Gdiplus::Bitmap& mask);
  bool SupportsShapes() const;

  void SetFocus();
  bool HasFocus() const;
  static void SetCursor(int cursorId);
  void SetCapture();
  void ReleaseCapture();
  bool HasCapture() const { return m_captured; }
  // Asks for one kMsgMouseLeave when the pointer next leaves the window.
  void TrackMouseLeave();
  // Text input (character messages 258) is off unless an edit field asks.
  void StartTextInput();
  void StopTextInput();

  // Marks part of the window for repainting; a paint message follows.
  void Invalidate(const Rect& rect);
  void InvalidateAll();
  // The rectangle still to paint (empty when none), and its reset. While a
  // paint message is handled this holds only what was invalidated during
  // that paint; the rectangle being painted is GetPaintRect().
  Rect GetInvalidRect() const { return m_invalid; }
  void ValidateAll() { m_invalid = Rect(); }
  // The rectangle the paint message being handled must cover (empty outside
  // a paint).
  Rect GetPaintRect() const { return m_paintRect; }
  // Delivers a pending paint now instead of waiting for the queue.
  void UpdateNow();

  // The window's pixels; may change after a resize.
  PixelBuffer GetPixelBuffer();
  // Shows the given rectangles of the pixel buffer on screen.
  void Present(const std::vector<Rect>& rects);

  // Sends a message to the handler now, with default handling after it.
  void SendMessage(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
  // Runs the default handling of a message (what the handler left alone).
  void DefaultHandling(const Message& msg);
  // Closes the window: the handler sees kMsgDestroy, then it is gone.
  void Destroy();
  bool IsDestroyed() const { return m_destroyed; }
  // The oldest path dropped on the window and not yet taken (each drop
  // sends kMsgDropFiles); empty when there is none.
  std::string TakeDroppedFile();

 private:
  void OnMessage(const Message& msg) override;
  bool Translate(const union ::SDL_Event& event, Message& out);
  bool TranslateWindowEvent(const ::SDL_WindowEvent& event, Message& out);
  bool TranslateMouseMotion(const ::SDL_MouseMotionEvent& event, Message& out);
  bool TranslateMouseButton(const ::SDL_MouseButtonEvent& event, Message& out);
  bool TranslateMouseWheel(const ::SDL_MouseWheelEvent& event, Message& out);
  bool TranslateKey(const ::SDL_KeyboardEvent& event, Message& out);
  bool TranslateText(const ::SDL_TextInputEvent& event, Message& out);
  void Deliver(const Message& msg);
  void DeliverPaint(const Message& msg);
  void ApplyMaximizedBounds();

  struct Native;
  std::unique_ptr<Native> m_native;
  void* m_window = nullptr;  // SDL_Window*
  std::uint32_t m_windowId = 0;
  WindowHandler* m_handler = nullptr;
  TargetId m_targetId = kNoTarget;
  int m_translatorHandle = 0;
  std::string m_title;
  std::vector<std::string> m_droppedFiles;
  Rect m_invalid;
  Rect m_paintRect;
  Rect m_restoreRect;
  bool m_paintPosted = false;
  bool m_maximized = false;
  bool m_minimized = false;
  bool m_captured = false;
  bool m_trackingLeave = false;
  bool m_destroyed = false;
};

}  // namespace platform
