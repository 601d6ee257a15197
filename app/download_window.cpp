#include "app/download_window.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "app/library_check.h"

namespace app {
namespace {

// How long the window shows "Completed!" before it closes.
constexpr unsigned kCompletedPauseMs = 2000;
// The short pump between looks at the transfer, and the wait after it.
constexpr unsigned kPumpMs = 100;
constexpr unsigned kTransferWaitMs = 20;

}  // namespace

std::string FormatProgress(std::uint64_t count, std::uint64_t total) {
  char text[96];
  if (total == 0) {
    // Without a length from the server no share can be computed.
    std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(count));
  } else {
    // Integer arithmetic, as the line shows whole percents; a 64-bit count
    // times 100 cannot overflow for any size the limits allow.
    const unsigned long long percent = count * 100 / total;
    std::snprintf(text, sizeof text, "%llu/%llu (%llu%%)", static_cast<unsigned long long>(count),
                  static_cast<unsigned long long>(total), percent);
  }
  return text;
}

DownloadOutcome RunDownload(DownloadWindow& window, const DownloadSource& source, const std::string& targetPath,
                            LibraryCheckUi& ui) {
  window.SetStatus("Starting the download...");
  window.Pump(kPumpMs, false);
  window.SetAddress(source.url);
  // The window may be gone already ("Exit", or the game closed meanwhile):
  // then nothing is fetched at all.
  if (!window.Pump(kPumpMs, false)) return DownloadOutcome::kCancelled;

  // The bytes go to a file of this process's own beside the target, so two
  // games downloading at once never write into one file, and the MIDI layer
  // never sees a half-written bank.
  const std::string partPath = targetPath + ".part-" + std::to_string(::getpid());
  platform::HttpDownload transfer;
  using Result = platform::HttpDownload::Result;
  Result result = transfer.Start(source.url, partPath, source.limits);
  if (result == Result::kRunning) {
    window.SetStatus("Downloading...");
    std::uint64_t shownCount = 0, shownTotal = 0;
    window.SetProgress(FormatProgress(0, 0));
    bool shownOnce = false;
    while ((result = transfer.GetResult()) == Result::kRunning) {
      if (!window.Pump(kPumpMs, false)) {
        transfer.Cancel();
      } else {
        transfer.WaitForChange(kTransferWaitMs);
      }
      const std::uint64_t count = transfer.GetReceived();
      const std::uint64_t total = transfer.GetTotal();
      if (window.Exists() && (!shownOnce || count != shownCount || total != shownTotal)) {
        window.SetProgress(FormatProgress(count, total));
        window.SetProgressValue(total == 0 ? -1 : static_cast<int>(std::min<std::uint64_t>(count * 100 / total, 100)));
        shownCount = count;
        shownTotal = total;
        shownOnce = true;
      }
    }
  }

  DownloadOutcome outcome = DownloadOutcome::kFailed;
  switch (result) {
    case Result::kCompleted:
      if (transfer.GetReceived() == source.size && platform::Sha256OfFile(partPath) == source.sha256 &&
          std::rename(partPath.c_str(), targetPath.c_str()) == 0) {
        outcome = DownloadOutcome::kInstalled;
        if (window.Exists()) {
          window.SetStatus("Completed!");
          window.Pump(kCompletedPauseMs, true);
        }
      } else {
        outcome = DownloadOutcome::kWrongFile;
      }
      break;
    case Result::kNoSession:
      ui.ShowMessage(kErrorTitle, kNoSessionText, MessageIcon::kError);
      break;
    case Result::kNoConnection:
    case Result::kRefused:
      ui.ShowMessage(kErrorTitle, kNoConnectionText, MessageIcon::kError);
      break;
    case Result::kFileError:
      ui.ShowMessage(kErrorTitle, kNoFileText, MessageIcon::kError);
      break;
    case Result::kCancelled:
      outcome = DownloadOutcome::kCancelled;
      break;
    case Result::kReadFailed:
    case Result::kTooLarge:
    case Result::kRunning:
      break;
  }
  // Whatever did not become the target goes; a completed transfer that
  // failed the checks is still on disk at this point.
  if (outcome != DownloadOutcome::kInstalled) std::remove(partPath.c_str());
  if (window.Exists()) window.Destroy();
  return outcome;
}

}  // namespace app
