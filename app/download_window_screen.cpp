// The download window as the player sees it: a small window of its own,
// centred on the screen, drawn with canvas items: three centred lines and
// an "Exit" button. Any click on the button, Return, Escape or closing the
// window ends it, which cancels the download.

#include <memory>

#include "app/download_window.h"
#include "app/library_check.h"
#include "canvas/items.h"
#include "platform/brush.h"
#include "platform/graphics_path.h"
#include "platform/message_loop.h"
#include "platform/messages.h"
#include "platform/native_message_box.h"
#include "platform/pen.h"
#include "platform/window.h"

namespace app {
namespace {

// The lines sit across the full width at these heights; the button is
// centred below them.
constexpr float kLineHeight = 20;
constexpr float kStatusY = 10;
constexpr float kAddressY = 35;
constexpr float kProgressY = 60;
constexpr float kButtonWidth = 80;
constexpr float kButtonHeight = 22;
constexpr float kButtonY = 95;
constexpr std::uint32_t kFaceColour = 0xFFF0F0F0u;
constexpr std::uint32_t kEdgeColour = 0xFF808080u;
constexpr std::uint32_t kTextColour = 0xFF000000u;

Gdiplus::GraphicsPath* RectanglePath(float width, float height) {
  auto* path = new Gdiplus::GraphicsPath();
  path->AddRectangle(RectF(0, 0, width, height));
  return path;
}

class ScreenDownloadWindow final : public DownloadWindow, private platform::WindowHandler {
 public:
  explicit ScreenDownloadWindow(const std::string& title)
      : m_window(std::make_unique<platform::Window>(title, kDownloadWindowWidth, kDownloadWindowHeight,
                                                      static_cast<platform::WindowHandler*>(this))) {
    const float width = kDownloadWindowWidth;
    m_root = std::make_unique<CRSCanvasShape>(PointF(0, 0), nullptr, "download",
                                             RectanglePath(width, kDownloadWindowHeight));
    m_root->SetSize(SizeF(width, kDownloadWindowHeight));
    m_root->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(kFaceColour)));
    m_root->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(kEdgeColour), 1.0f));
    m_status = MakeLine("status", kStatusY);
    m_address = MakeLine("address", kAddressY);
    m_progress = MakeLine("progress", kProgressY);
    auto* button = new CRSCanvasShape(PointF(0, 0), m_root.get(), "exit", RectanglePath(kButtonWidth, kButtonHeight));
    button->SetSize(SizeF(kButtonWidth, kButtonHeight));
    button->MoveTopLeftTo(ButtonRect().GetLocation());
    button->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(0xFFE1E1E1u)));
    button->AddPen(std::make_shared<Gdiplus::Pen>(Gdiplus::Color(kEdgeColour), 1.0f));
    m_exit = MakeLine("exit-text", kButtonY + (kButtonHeight - kLineHeight) / 2);
    SetLine(m_exit, "Exit", kButtonY + (kButtonHeight - kLineHeight) / 2);
    SetStatus("Starting the download...");
    if (m_window->IsValid()) {
      m_window->CenterOnScreen();
      m_window->Show();
      Paint();
    }
  }

  ~ScreenDownloadWindow() override {
    m_root.reset();
    m_window.reset();
  }

  bool IsValid() const { return m_window && m_window->IsValid(); }

  void SetStatus(const std::string& text) override { SetLine(m_status, text, kStatusY); }
  void SetAddress(const std::string& text) override { SetLine(m_address, text, kAddressY); }
  void SetProgress(const std::string& text) override { SetLine(m_progress, text, kProgressY); }

  bool Pump(unsigned ms, bool waitForm) override {
    if (!Exists()) return false;
    // The check may run before the program's loop exists (or between its
    // runs); messages then need a loop of their own.
    std::unique_ptr<platform::MessageLoop> own;
    platform::MessageLoop* loop = platform::MessageLoop::Current();
    if (!loop) {
      own = std::make_unique<platform::MessageLoop>();
      loop = own.get();
    }
    int quitValue = 0;
    if (!loop->PumpMessages(waitForm ? ms : 0, &quitValue)) {
      // The program is ending: the quit message belongs to the outer loop.
      platform::PostQuitMessage(quitValue);
      Destroy();
    }
    return Exists();
  }

  bool Exists() const override { return m_window && !m_window->IsDestroyed() && !m_closed; }

  void Destroy() override {
    if (!Exists()) return;
    m_closed = true;
    m_window->Destroy();
  }

 private:
  static RectF ButtonRect() {
    return RectF(kDownloadWindowWidth / 2.0f - kButtonWidth / 2, kButtonY, kButtonWidth, kButtonHeight);
  }

  CRSCanvasText* MakeLine(const std::string& name, float) {
    auto* text = new CRSCanvasText(PointF(0, 0), m_root.get(), name);
    text->SetFont("Arial", 9, 0);
    text->AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(kTextColour)));
    return text;
  }

  // Centres the line across the window's width within its 20-pixel band.
  void SetLine(CRSCanvasText* line, const std::string& text, float y) {
    if (!line || line->GetText() == text) return;
    line->SetText(text);
    const SizeF size = line->MeasureText();
    line->MoveTopLeftTo(PointF((kDownloadWindowWidth - size.Width) / 2, y + (kLineHeight - size.Height) / 2));
    Paint();
  }

  void Paint() {
    if (!Exists() || !m_root) return;
    platform::PixelBuffer buffer = m_window->GetPixelBuffer();
    if (!buffer.pixels) return;
    {
      Gdiplus::Graphics g(reinterpret_cast<std::uint8_t*>(buffer.pixels), buffer.width, buffer.height, buffer.stride);
      g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
      g.Clear(Gdiplus::Color(kFaceColour));
      m_root->Paint(g, CRSCanvasItem::kZOrderTop, false);
    }
    m_window->Present({Rect(0, 0, buffer.width, buffer.height)});
    m_window->ValidateAll();
  }

  bool OnWindowMessage(const platform::Message& msg) override {
    switch (msg.message) {
      case platform::kMsgPaint:
        Paint();
        return true;
      case platform::kMsgLButtonUp: {
        const PointF at(static_cast<float>(platform::MousePositionX(msg.lParam)),
                        static_cast<float>(platform::MousePositionY(msg.lParam)));
        if (ButtonRect().Contains(at)) Destroy();
        return true;
      }
      case platform::kMsgKeyDown:
        if (msg.wParam == platform::kVkReturn || msg.wParam == platform::kVkEscape ||
            msg.wParam == platform::kVkSpace) {
          Destroy();
        }
        return true;
      case platform::kMsgDestroy:
        m_closed = true;
        return true;
      default:
        return false;
    }
  }

  std::unique_ptr<platform::Window> m_window;
  std::unique_ptr<CRSCanvasShape> m_root;
  CRSCanvasText* m_status = nullptr;
  CRSCanvasText* m_address = nullptr;
  CRSCanvasText* m_progress = nullptr;
  CRSCanvasText* m_exit = nullptr;
  bool m_closed = false;
};

platform::NativeIcon ToNative(MessageIcon icon) {
  return icon == MessageIcon::kError ? platform::NativeIcon::kError : platform::NativeIcon::kWarning;
}

class ScreenLibraryCheckUi final : public LibraryCheckUi {
 public:
  bool AskYesNo(const std::string& title, const std::string& text) override {
    return platform::AskNativeYesNo(title, text, platform::NativeIcon::kWarning);
  }
  void ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) override {
    platform::ShowNativeMessage(title, text, ToNative(icon));
  }
  std::unique_ptr<DownloadWindow> CreateDownloadWindow(const std::string& title) override {
    return CreateScreenDownloadWindow(title);
  }
};

}  // namespace

std::unique_ptr<DownloadWindow> CreateScreenDownloadWindow(const std::string& title) {
  auto window = std::make_unique<ScreenDownloadWindow>(title);
  if (!window->IsValid()) return nullptr;
  return window;
}

LibraryCheckUi& GetScreenLibraryCheckUi() {
  static ScreenLibraryCheckUi s_ui;
  return s_ui;
}

}  // namespace app
