#pragma once
// The check for the libraries MIDI music needs: the synthesiser library,
// opened at run time, and a General MIDI sound bank. A library that is
// missing or unusable is reported once per process; a sound bank can be
// downloaded into the player's data folder after the player agrees.
//
// Everything here runs on the user-interface thread. The questions and the
// download window go through LibraryCheckUi, so the whole flow runs without
// a display in tests.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/download_window.h"
#include "platform/synth_library.h"

namespace app {

// The texts the player sees.
inline constexpr const char* kQuestionTitle = "Libraries not found";
inline constexpr const char* kQuestionIncompatible =
    "Some required libraries on this computer are incompatible with this application...\n"
    "Would you like to open an internet connection and download them?";
inline constexpr const char* kQuestionNotFound =
    "Some needed libraries were not found on this computer...\n"
    "Would you like to open an internet connection and download them?";
inline constexpr const char* kFailedTitle = "FAILED";
inline constexpr const char* kFailedText = "Download failed !!!\nCould not load the library...";
inline constexpr const char* kErrorTitle = "ERROR...";
inline constexpr const char* kNoSessionText = "Could not open an internet connection!";
inline constexpr const char* kNoConnectionText = "Could not establish a connection with the download site!";
inline constexpr const char* kNoFileText = "Could not open file for writing!";
inline constexpr const char* kWindowTitlePrefix = "DLL Library Not Found : ";

enum class MessageIcon { kWarning, kError };

// The platform parts of the check.
class LibraryCheckUi {
 public:
  virtual ~LibraryCheckUi() = default;
  // A question with "Yes" and "No" and a warning icon; true for "Yes".
  virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;
  virtual void ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) = 0;
  // Null when no window can be made; the download then fails.
  virtual std::unique_ptr<DownloadWindow> CreateDownloadWindow(const std::string& title) = 0;
};

// The native message boxes and the on-screen download window.
LibraryCheckUi& GetScreenLibraryCheckUi();

// One library to check.
struct LibraryCheckTarget {
  // Shown in the download window's title, in double quotes.
  std::string name;
  // Loads the library (or reads the file) and looks for what proves it usable.
  std::function<platform::LibraryStatus()> probe;
  // Where a download goes, and from where; no source: nothing is downloaded.
  std::string targetPath;
  std::optional<DownloadSource> source;
  // For a library that cannot be downloaded: the package that provides it.
  std::string package;
};

// Checks one library: true when it is usable, at once or after a download.
// The question is asked at most once per process; a second check after the
// player agreed goes straight to the download, after "No" it fails quietly.
// A call made while another check runs (from the download window's loop)
// fails at once.
bool CheckLibrary(const LibraryCheckTarget& target, LibraryCheckUi& ui);

// The download of the sound bank as configured: the environment variables
// TANDRILL_SOUNDBANK_URL, TANDRILL_SOUNDBANK_SIZE and TANDRILL_SOUNDBANK_SHA256,
// else the lines "url=", "size=" and "sha256=" of the file "soundbank.conf"
// in the data folder. None unless all three are present and valid: a file
// whose size and checksum are not known in advance is never installed.
std::optional<DownloadSource> ReadSoundBankSource();
inline constexpr const char* kSoundBankConfigName = "soundbank.conf";

// The check MIDI runs the first time it is needed: the synthesiser library
// (reported with the package to install, never downloaded), then the sound
// bank (the system's, else the player's own, else downloaded after asking).
// Returns the bank to load, or empty when MIDI stays silent.
std::string CheckMidiLibraries(LibraryCheckUi& ui, const std::string& systemBankPath,
                               const std::string& synthLibrary = platform::kSynthLibraryName);

// Installs CheckMidiLibraries, with the screen's boxes and window and the
// system's bank, as the MIDI layer's first-need check.
void InstallMidiLibraryCheck();

// Forgets what this process has asked and reported; for tests.
void ResetLibraryCheckForTesting();

}  // namespace app
