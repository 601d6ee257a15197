#include "app/download_window_screen.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "app/library_check.h"
#include "canvas/controls.h"
#include "canvas/items.h"
#include "canvas/controls/progress_bar.h"
#include "platform/message_loop.h"
#include "platform/brush.h"
#include "platform/native_message_box.h"
#include "platform/report.h"
#include "platform/window.h"

namespace app {
namespace {

// The lines sit across the full client width at these heights; the button
// is centred below them.
constexpr float kLineHeight = 20;
constexpr float kStatusY = 10;
constexpr float kAddressY = 35;
constexpr float kProgressY = 60;
constexpr float kButtonWidth = 80;
constexpr float kButtonHeight = 22;
constexpr float kButtonY = 95;
constexpr float kBarY = 82;
constexpr float kBarHeight = 10;
constexpr float kBarMargin = 20;
// Black, as the screen window shows where the frame's rounded corners leave
// it bare.
constexpr std::uint32_t kUnderlayColour = 0xFF000000u;

// One report line per box: a line end inside the text is written as the two
// characters "\n", so a test can still match the whole text.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\n') line += "\\n";
    else line.push_back(c);
  }
  return line;
}

// The style's window body is translucent, made to lie over the game's
// floor. Here it is alone in a screen window of its own, and each repaint
// would draw it over the previous frame's pixels, so a line's old text
// would stay visible under its new one. An opaque brush under the style's
// own ones gives every repaint a clean start and keeps the look.
void UnderlayOpaqueBrush(CRSControlWindow& window) {
  std::vector<std::shared_ptr<Gdiplus::Brush>> styled;
  for (int i = 0; i < window.GetBrushCount(); ++i) {
    if (const Gdiplus::Brush* brush = window.GetBrush(i)) styled.emplace_back(brush->Clone());
  }
  while (window.GetBrushCount() > 0) window.RemoveBrush(-1);
  window.AddBrush(std::make_shared<Gdiplus::SolidBrush>(Gdiplus::Color(kUnderlayColour)));
  for (auto& brush : styled) window.AddBrush(std::move(brush));
}

}  // namespace

ScreenDownloadWindow::ScreenDownloadWindow(const std::string& title) {
  if (!m_view.Create(title)) return;
  platform::ReportLine("window " + title);
  auto* root = new CRSControlWindow(PointF(0, 0), nullptr, "download",
                                    SizeF(kDownloadWindowWidth, kDownloadWindowHeight));
  m_root = root;
  root->SetCaption(title);
  root->RemoveShadowBehaviour();
  UnderlayOpaqueBrush(*root);
  root->sigClosed.connect(this, &ScreenDownloadWindow::OnExit);
  CRSCanvasItem* client = root->GetClientArea();
  m_status = MakeLine("status");
  m_address = MakeLine("address");
  m_progress = MakeLine("progress");
  const float clientWidth = client ? client->GetSize().Width : kDownloadWindowWidth;
  auto* exit = new CRSControlButton(PointF(clientWidth / 2 - kButtonWidth / 2, kButtonY), client, "exit",
                                    SizeF(kButtonWidth, kButtonHeight), "Exit");
  m_exit = exit;
  // A bar under the progress line shows the share done once the total is
  // known.
  m_bar = new CRSProgressBar(PointF(kBarMargin, kBarY), client, "bar");
  m_bar->SetSize(SizeF(clientWidth - 2 * kBarMargin, kBarHeight));
  m_bar->SetVisible(false);
  exit->sigClicked.connect(this, &ScreenDownloadWindow::OnExit);
  SetStatus("Starting the download...");
  m_view.SetRoot(root);
  platform::Window* window = m_view.GetWindow();
  window->CenterOnScreen();
  window->Show();
  window->UpdateNow();
  m_valid = true;
}

ScreenDownloadWindow::~ScreenDownloadWindow() { Destroy(); }

CRSStatic* ScreenDownloadWindow::MakeLine(const std::string& name) {
  CRSCanvasItem* client = m_root ? m_root->GetClientArea() : nullptr;
  if (!client) return nullptr;
  return new CRSStatic(PointF(0, 0), client, name);
}

CRSStatic* ScreenDownloadWindow::GetLine(int index) const {
  switch (index) {
    case 0: return m_status;
    case 1: return m_address;
    case 2: return m_progress;
    default: return nullptr;
  }
}

void ScreenDownloadWindow::SetStatus(const std::string& text) {
  if (m_status && m_status->GetText() != text) platform::ReportLine("download status " + text);
  SetLine(m_status, text, kStatusY);
}
void ScreenDownloadWindow::SetAddress(const std::string& text) { SetLine(m_address, text, kAddressY); }
void ScreenDownloadWindow::SetProgress(const std::string& text) { SetLine(m_progress, text, kProgressY); }

void ScreenDownloadWindow::SetProgressValue(int percent) {
  if (!m_bar || !m_root) return;
  m_bar->SetVisible(percent >= 0);
  if (percent >= 0) m_bar->SetValue(percent);
  // The progress line above already says the percentage; the thin bar has
  // no room for its own.
  for (CRSCanvasText* text : {m_bar->GetTextItem(), m_bar->GetTextShadowItem()}) {
    if (text) text->SetVisible(false);
  }
}

void ScreenDownloadWindow::SetLine(CRSStatic* line, const std::string& text, float y) {
  if (!line || !m_root || line->GetText() == text) return;
  // The old text may be wider than the new one: its whole area is painted
  // over, or its ends would stay on screen beside the new text.
  line->Invalidate();
  line->SetText(text);
  // Centred across the client width within the line's 20-pixel band.
  const SizeF size = line->GetSize();
  const float width = line->GetParentItem() ? line->GetParentItem()->GetSize().Width : kDownloadWindowWidth;
  line->MoveTopLeftTo(PointF((width - size.Width) / 2, y + (kLineHeight - size.Height) / 2));
}

bool ScreenDownloadWindow::Pump(unsigned ms, bool waitForm) {
  if (!Exists()) return false;
  // The check may run before the program's loop exists; messages then need
  // a loop of their own.
  std::unique_ptr<platform::MessageLoop> own;
  platform::MessageLoop* loop = platform::MessageLoop::Current();
  if (!loop) {
    own = std::make_unique<platform::MessageLoop>();
    loop = own.get();
  }
  int quitValue = 0;
  if (!loop->PumpMessages(waitForm ? ms : 0, &quitValue)) {
    // The program is ending. Inside the program's loop the quit has been
    // passed on to it already; a loop of our own took it, so it is queued
    // again for the program's loop to come.
    if (own) platform::PostQuitMessage(quitValue);
    m_closed = true;
  }
  if (m_closed) Destroy();
  return Exists();
}

bool ScreenDownloadWindow::Exists() const { return m_valid && !m_closed && m_root && m_view.HasWindow(); }

void ScreenDownloadWindow::OnExit() { m_closed = true; }

void ScreenDownloadWindow::Destroy() {
  m_closed = true;
  if (!m_valid) return;
  m_valid = false;
  platform::ReportLine("download closed");
  m_status = m_address = m_progress = nullptr;
  m_bar = nullptr;
  m_exit = nullptr;
  m_view.SetRoot(nullptr);
  // Letting go of the last owner deletes the window's items.
  m_root = nullptr;
  if (platform::Window* window = m_view.GetWindow(); window && !window->IsDestroyed()) window->Destroy();
}

namespace {

platform::NativeIcon ToNative(MessageIcon icon) {
  return icon == MessageIcon::kError ? platform::NativeIcon::kError : platform::NativeIcon::kWarning;
}

class ScreenLibraryCheckUi final : public LibraryCheckUi {
 public:
  bool AskYesNo(const std::string& title, const std::string& text) override {
    platform::ReportLine("message " + title + ": " + OneLine(text));
    const bool yes = platform::AskNativeYesNo(title, text, platform::NativeIcon::kWarning);
    platform::ReportLine(yes ? "answer Yes" : "answer No");
    return yes;
  }
  void ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) override {
    platform::ReportLine("message " + title + ": " + OneLine(text));
    platform::ShowNativeMessage(title, text, ToNative(icon));
    platform::ReportLine("closed " + title);
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
