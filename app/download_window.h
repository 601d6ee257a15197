#pragma once
// The window that shows a library's download, and the download it runs.
//
// The window is a small interface so the download can be driven without a
// display: the program shows a real window of its own (400 x 150, centred,
// a status, an address and a progress line and an "Exit" button), tests
// put a scripted one in its place.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/http_download.h"

namespace app {

inline constexpr int kDownloadWindowWidth = 400;
inline constexpr int kDownloadWindowHeight = 150;

class DownloadWindow {
 public:
  virtual ~DownloadWindow() = default;

  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetAddress(const std::string& text) = 0;
  virtual void SetProgress(const std::string& text) = 0;
  // The share done in percent, or -1 while the total is unknown; a window
  // that shows only the progress line ignores it.
  virtual void SetProgressValue(int) {}

  // Lets the window (and the program's loop) work for up to `ms`
  // milliseconds. The short form returns as soon as nothing is pending; the
  // waiting form returns only when the time is up. False once the window no
  // longer exists: the player pressed "Exit" or closed it.
  virtual bool Pump(unsigned ms, bool waitForm) = 0;
  virtual bool Exists() const = 0;
  virtual void Destroy() = 0;
};

// The window the program shows on screen; null when none can be made.
std::unique_ptr<DownloadWindow> CreateScreenDownloadWindow(const std::string& title);

// The progress line: "%d/%d (%d%%)" with the count, the total and the share
// done, or the count alone ("%d bytes") when the total is unknown (0).
std::string FormatProgress(std::uint64_t count, std::uint64_t total);

// Where and what to fetch: the address, and the size and SHA-256 (64 hex
// digits) the file must have before it replaces anything.
struct DownloadSource {
  std::string url;
  std::uint64_t size = 0;
  std::string sha256;
  platform::HttpLimits limits;
};

// How a download ended, for the caller's own messages.
enum class DownloadOutcome {
  kInstalled,     // the file is in place, verified
  kFailed,        // an error the window already reported, or none to report
  kCancelled,     // "Exit" or the window closed
  kWrongFile,     // it arrived but its size or checksum did not match
};

class LibraryCheckUi;

// Fetches `source` into `targetPath` through the window (whose title the
// caller chose), reporting errors with the "ERROR..." messages through `ui`.
// The bytes go to a temporary file beside the target, which replaces the
// target only when its size and checksum match; otherwise it is deleted.
// The window is destroyed when this returns.
DownloadOutcome RunDownload(DownloadWindow& window, const DownloadSource& source, const std::string& targetPath,
                            LibraryCheckUi& ui);

}  // namespace app
