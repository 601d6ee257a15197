#pragma once
// The download window as the player sees it: a platform window of its own,
// 400 x 150 and centred on the screen, whose canvas is a control window
// (caption and close button) holding the status, address and progress lines
// and an "Exit" button. "Exit" or the close button ends it, which cancels
// the download.

#include <string>

#include "app/download_window.h"
#include "canvas/auto_ptr.h"
#include "canvas/sigslot.h"
#include "canvas/view.h"

class CRSControlButton;
class CRSProgressBar;
class CRSStatic;
class CRSControlWindow;

namespace app {

class ScreenDownloadWindow final : public DownloadWindow, public sigslot::has_slots {
 public:
  explicit ScreenDownloadWindow(const std::string& title);
  ~ScreenDownloadWindow() override;

  bool IsValid() const { return m_valid; }
  CRSControlWindow* GetControlWindow() const { return m_root.get(); }
  CRSControlButton* GetExitButton() const { return m_exit.get(); }
  CRSCanvasView& GetView() { return m_view; }
  // The status, address and progress lines (0, 1, 2); null once closed.
  CRSStatic* GetLine(int index) const;
  CRSProgressBar* GetProgressBar() const { return m_bar; }

  void SetStatus(const std::string& text) override;
  void SetAddress(const std::string& text) override;
  void SetProgress(const std::string& text) override;
  void SetProgressValue(int percent) override;
  bool Pump(unsigned ms, bool waitForm) override;
  bool Exists() const override;
  void Destroy() override;

 private:
  void SetLine(CRSStatic* line, const std::string& text, float y);
  CRSStatic* MakeLine(const std::string& name);
  void OnExit();

  CRSCanvasView m_view;
  CRSAutoPtrPolymorphic<CRSControlWindow> m_root;
  CRSAutoPtrPolymorphic<CRSControlButton> m_exit;
  CRSStatic* m_status = nullptr;
  CRSStatic* m_address = nullptr;
  CRSStatic* m_progress = nullptr;
  CRSProgressBar* m_bar = nullptr;
  bool m_valid = false;
  bool m_closed = false;
};

}  // namespace app
