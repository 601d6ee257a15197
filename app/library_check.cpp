#include "app/library_check.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/files.h"
#include "platform/message_loop.h"
#include "platform/native_message_box.h"
#include "platform/paths.h"

namespace app {
namespace {

// The download settings are three short lines.
constexpr std::size_t kMaxConfigBytes = 64 * 1024;

// What this process has asked or reported already.
struct CheckMemory {
  bool asked = false;        // the question was asked
  bool declined = false;     // ... and answered "No"
  bool packageShown = false; // the "install the package" message was shown
  bool noSourceShown = false;
  bool running = false;      // a check is in progress (re-entry guard)
};
CheckMemory s_memory;

// Clears the re-entry flag on every way out of a check.
class RunningGuard {
 public:
  RunningGuard() { s_memory.running = true; }
  ~RunningGuard() { s_memory.running = false; }
  RunningGuard(const RunningGuard&) = delete;
  RunningGuard& operator=(const RunningGuard&) = delete;
};

bool IsSha256(const std::string& text) {
  if (text.size() != 64) return false;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::string LowerHex(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool ParseSize(const std::string& text, std::uint64_t& out) {
  if (text.empty() || text.size() > 19) return false;
  std::uint64_t value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  out = value;
  return true;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::optional<DownloadSource> MakeSource(const std::string& url, const std::string& size, const std::string& sha256) {
  DownloadSource source;
  source.url = Trim(url);
  source.sha256 = LowerHex(Trim(sha256));
  if (source.url.empty() || !ParseSize(Trim(size), source.size) || !IsSha256(source.sha256)) return std::nullopt;
  // A body is never allowed to grow past the size it must have.
  source.limits.maxBytes = source.size;
  return source;
}

std::string Getenv(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string ScreenMidiCheck() {
  return CheckMidiLibraries(GetScreenLibraryCheckUi(), platform::GetSystemSoundBankPath());
}

}  // namespace

bool CheckLibrary(const LibraryCheckTarget& target, LibraryCheckUi& ui) {
  // Nothing is asked or fetched for a program that is ending.
  if (s_memory.running || platform::IsQuitPending()) return false;
  RunningGuard guard;

  const platform::LibraryStatus status = target.probe();
  if (status == platform::LibraryStatus::kUsable) return true;
  if (!target.source) return false;
  if (s_memory.declined) return false;
  if (!s_memory.asked) {
    s_memory.asked = true;
    const char* text =
        status == platform::LibraryStatus::kIncompatible ? kQuestionIncompatible : kQuestionNotFound;
    if (!ui.AskYesNo(kQuestionTitle, text)) {
      s_memory.declined = true;
      return false;
    }
  }

  if (auto window = ui.CreateDownloadWindow(kWindowTitlePrefix + ("\"" + target.name + "\""))) {
    RunDownload(*window, *target.source, target.targetPath, ui);
  }
  if (target.probe() == platform::LibraryStatus::kUsable) return true;
  // The player closed the game while the window was up: the download was
  // cancelled by the ending, not failed, and no box may keep the game alive.
  if (!platform::IsQuitPending()) ui.ShowMessage(kFailedTitle, kFailedText, MessageIcon::kError);
  return false;
}

std::optional<DownloadSource> ReadSoundBankSource() {
  const std::string url = Getenv("TANDRILL_SOUNDBANK_URL");
  if (!url.empty()) {
    return MakeSource(url, Getenv("TANDRILL_SOUNDBANK_SIZE"), Getenv("TANDRILL_SOUNDBANK_SHA256"));
  }
  // A configuration file is a few short lines; anything longer is not one,
  // and is not read into memory to find that out.
  std::string text;
  if (!platform::ReadWholeFile(platform::GetDataDirectory() + kSoundBankConfigName, kMaxConfigBytes, text)) {
    return std::nullopt;
  }
  std::istringstream file(text);
  std::string fileUrl, size, sha256, line;
  for (int count = 0; count < 64 && std::getline(file, line); ++count) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, equals));
    const std::string value = line.substr(equals + 1);
    if (key == "url") fileUrl = value;
    else if (key == "size") size = value;
    else if (key == "sha256") sha256 = value;
  }
  return MakeSource(fileUrl, size, sha256);
}

std::string CheckMidiLibraries(LibraryCheckUi& ui, const std::string& systemBankPath,
                               const std::string& synthLibrary) {
  if (s_memory.running) return {};

  const platform::LibraryStatus synth = platform::ProbeSynthLibrary(synthLibrary);
  if (synth != platform::LibraryStatus::kUsable) {
    // The synthesiser is a system package: nothing the game could download
    // would be safe to load, so the player is told what to install.
    if (!s_memory.packageShown) {
      s_memory.packageShown = true;
      const char* first = synth == platform::LibraryStatus::kIncompatible
                              ? "Some required libraries on this computer are incompatible with this application...\n"
                              : "Some needed libraries were not found on this computer...\n";
      ui.ShowMessage(kQuestionTitle,
                     std::string(first) + "Please install the package \"" + platform::kSynthPackage +
                         "\" to hear MIDI music.",
                     MessageIcon::kWarning);
    }
    return {};
  }

  if (platform::ProbeSoundBank(systemBankPath) == platform::LibraryStatus::kUsable) return systemBankPath;
  const std::string own = platform::GetDataSoundBankPath();

  LibraryCheckTarget target;
  target.name = platform::kDataSoundBankName;
  target.targetPath = own;
  target.source = ReadSoundBankSource();
  // The worse of the two banks decides the question: a bank that is there
  // but unusable is "incompatible", none at all is "not found".
  target.probe = [&systemBankPath, own] {
    const platform::LibraryStatus mine = platform::ProbeSoundBank(own);
    if (mine == platform::LibraryStatus::kUsable) return mine;
    if (platform::ProbeSoundBank(systemBankPath) == platform::LibraryStatus::kIncompatible) {
      return platform::LibraryStatus::kIncompatible;
    }
    return mine;
  };
  if (!target.source && target.probe() != platform::LibraryStatus::kUsable) {
    if (!s_memory.noSourceShown) {
      s_memory.noSourceShown = true;
      std::fprintf(stderr,
                   "tandrill: no General MIDI sound bank found and no valid download configured "
                   "(TANDRILL_SOUNDBANK_URL, _SIZE and _SHA256, or %s); MIDI music stays silent\n",
                   kSoundBankConfigName);
    }
    return {};
  }
  return CheckLibrary(target, ui) ? own : std::string();
}

void InstallMidiLibraryCheck() { platform::SetMidiCheckHook(&ScreenMidiCheck); }

void ResetLibraryCheckForTesting() { s_memory = CheckMemory(); }

}  // namespace app
