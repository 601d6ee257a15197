#include "app/library_check.h"

#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/paths.h"
#include "tests/app/http_test_server.h"

namespace {

namespace fs = std::filesystem;
using platform::LibraryStatus;

// What the scripted download window was shown, kept after it is destroyed.
struct WindowRecord {
  std::string title;
  std::vector<std::string> statuses, addresses, progress;
  std::vector<int> values;
  int pumps = 0;
  bool destroyed = false;
};

class ScriptedWindow : public app::DownloadWindow {
 public:
  ScriptedWindow(WindowRecord& record, std::function<bool(WindowRecord&)> onPump)
      : m_record(record), m_onPump(std::move(onPump)) {}
  void SetStatus(const std::string& text) override { m_record.statuses.push_back(text); }
  void SetAddress(const std::string& text) override { m_record.addresses.push_back(text); }
  void SetProgress(const std::string& text) override { m_record.progress.push_back(text); }
  void SetProgressValue(int percent) override { m_record.values.push_back(percent); }
  bool Pump(unsigned, bool) override {
    ++m_record.pumps;
    if (m_onPump && !m_onPump(m_record)) Destroy();
    return Exists();
  }
  bool Exists() const override { return !m_record.destroyed; }
  void Destroy() override { m_record.destroyed = true; }

 private:
  WindowRecord& m_record;
  std::function<bool(WindowRecord&)> m_onPump;
};

class ScriptedUi : public app::LibraryCheckUi {
 public:
  bool answer = true;
  std::vector<std::string> questions;
  std::vector<std::pair<std::string, std::string>> messages;
  std::vector<WindowRecord> windows;  // reserved, so records never move
  std::function<bool(WindowRecord&)> onPump;

  ScriptedUi() { windows.reserve(16); }
  bool AskYesNo(const std::string& title, const std::string& text) override {
    EXPECT_EQ(title, app::kQuestionTitle);
    questions.push_back(text);
    return answer;
  }
  void ShowMessage(const std::string& title, const std::string& text, app::MessageIcon) override {
    messages.emplace_back(title, text);
  }
  std::unique_ptr<app::DownloadWindow> CreateDownloadWindow(const std::string& title) override {
    windows.push_back(WindowRecord{title, {}, {}, {}, {}, 0, false});
    return std::make_unique<ScriptedWindow>(windows.back(), onPump);
  }
  bool Showed(const std::string& text) const {
    for (const auto& message : messages) {
      if (message.second == text) return true;
    }
    return false;
  }
};

std::string Sha256(const std::string& bytes) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest);
  std::string hex;
  for (unsigned char byte : digest) {
    static const char kHex[] = "0123456789abcdef";
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
  }
  return hex;
}

// The smallest file the probe takes for a sound bank: a RIFF "sfbk" header
// whose declared length covers the rest of the file.
std::string TinyBank() {
  std::string body = "LIST\4\0\0\0INFO";
  const std::uint32_t length = static_cast<std::uint32_t>(4 + body.size());
  std::string bank = "RIFF";
  for (int i = 0; i < 4; ++i) bank += static_cast<char>((length >> (8 * i)) & 0xFF);
  return bank + "sfbk" + body;
}

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

class LibraryCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    app::ResetLibraryCheckForTesting();
    m_folder = platform::GetDataDirectory();
    m_target = m_folder + "bank.sf3";
    Clean();
  }
  void TearDown() override { Clean(); }

  // Data folders are named after the process, so one may be left over from
  // an earlier run; every test starts and ends without banks or settings.
  void Clean() {
    for (const auto& entry : fs::directory_iterator(m_folder)) {
      const std::string name = entry.path().filename().string();
      if (name.find(".sf3") != std::string::npos || name == app::kSoundBankConfigName) fs::remove(entry.path());
    }
  }

  app::LibraryCheckTarget Target(const std::string& url, const std::string& bytes) {
    app::LibraryCheckTarget target;
    target.name = "bank.sf3";
    target.targetPath = m_target;
    target.probe = [path = m_target] { return platform::ProbeSoundBank(path); };
    app::DownloadSource source;
    source.url = url;
    source.size = bytes.size();
    source.sha256 = Sha256(bytes);
    source.limits.maxBytes = bytes.size();
    source.limits.stallTimeoutMs = 1500;
    target.source = source;
    return target;
  }

  // Nothing of a download may stay beside the target but the target.
  bool LeftoverParts() const {
    for (const auto& entry : fs::directory_iterator(m_folder)) {
      if (entry.path().filename().string().find(".part") != std::string::npos) return true;
    }
    return false;
  }

  HttpTestServer m_server;
  ScriptedUi m_ui;
  std::string m_folder, m_target;
};

TEST_F(LibraryCheck, QuestionNamesMissingOrIncompatibleAndIsAskedOncePerProcess) {
  m_ui.answer = false;
  const auto target = Target(m_server.Url("/bank"), TinyBank());
  EXPECT_FALSE(app::CheckLibrary(target, m_ui));
  ASSERT_EQ(m_ui.questions.size(), 1u);
  EXPECT_EQ(m_ui.questions[0], app::kQuestionNotFound);

  // Declined: a later check neither asks again nor downloads.
  EXPECT_FALSE(app::CheckLibrary(target, m_ui));
  EXPECT_EQ(m_ui.questions.size(), 1u);
  EXPECT_TRUE(m_ui.windows.empty());

  app::ResetLibraryCheckForTesting();
  WriteFile(m_target, "RIFF\x40\0\0\0WAVE not a bank");
  EXPECT_FALSE(app::CheckLibrary(target, m_ui));
  ASSERT_EQ(m_ui.questions.size(), 2u);
  EXPECT_EQ(m_ui.questions[1], app::kQuestionIncompatible);

  // A bank cut short declares more than the file holds.
  const std::string bank = TinyBank();
  WriteFile(m_target, bank.substr(0, bank.size() - 1));
  EXPECT_EQ(platform::ProbeSoundBank(m_target), LibraryStatus::kIncompatible);
  WriteFile(m_target, bank);
  EXPECT_EQ(platform::ProbeSoundBank(m_target), LibraryStatus::kUsable);
  EXPECT_TRUE(app::CheckLibrary(target, m_ui));
  EXPECT_EQ(m_ui.questions.size(), 2u);
}

TEST_F(LibraryCheck, DownloadInstallsAVerifiedBankAndASecondCheckGoesStraightToTheWindow) {
  const std::string bank = TinyBank();
  m_server.Serve("/bank", HttpTestServer::Mode::kBody, bank);
  m_server.Serve("/other", HttpTestServer::Mode::kNotFound);

  auto missing = Target(m_server.Url("/other"), bank);
  EXPECT_FALSE(app::CheckLibrary(missing, m_ui));
  EXPECT_TRUE(m_ui.Showed(app::kNoConnectionText));
  EXPECT_TRUE(m_ui.Showed(app::kFailedText));
  EXPECT_EQ(m_ui.messages.back().first, app::kFailedTitle);

  EXPECT_TRUE(app::CheckLibrary(Target(m_server.Url("/bank"), bank), m_ui));
  EXPECT_EQ(m_ui.questions.size(), 1u);
  ASSERT_EQ(m_ui.windows.size(), 2u);
  const WindowRecord& window = m_ui.windows[1];
  EXPECT_EQ(window.title, "DLL Library Not Found : \"bank.sf3\"");
  EXPECT_EQ(window.statuses.front(), "Starting the download...");
  EXPECT_EQ(window.statuses.back(), "Completed!");
  EXPECT_EQ(window.addresses.back(), m_server.Url("/bank"));
  const std::string size = std::to_string(bank.size());
  EXPECT_EQ(window.progress.back(), size + "/" + size + " (100%)");
  EXPECT_EQ(window.values.back(), 100);
  EXPECT_TRUE(window.destroyed);
  EXPECT_EQ(platform::ProbeSoundBank(m_target), LibraryStatus::kUsable);
  EXPECT_FALSE(LeftoverParts());
}

TEST_F(LibraryCheck, ExitDuringTheTransferLeavesNoFile) {
  const std::string bank = TinyBank();
  m_server.Serve("/slow", HttpTestServer::Mode::kTrickle, bank);
  // The player presses Exit once some bytes have arrived.
  m_ui.onPump = [](WindowRecord& window) {
    return window.progress.empty() || window.progress.back()[0] == '0';
  };
  EXPECT_FALSE(app::CheckLibrary(Target(m_server.Url("/slow"), bank), m_ui));
  EXPECT_TRUE(m_ui.Showed(app::kFailedText));
  EXPECT_FALSE(m_ui.Showed(app::kNoConnectionText));
  EXPECT_FALSE(fs::exists(m_target));
  EXPECT_FALSE(LeftoverParts());
}

TEST_F(LibraryCheck, EmptyBodyCompletesThenFailsTheReload) {
  m_server.Serve("/empty", HttpTestServer::Mode::kBody, "");
  EXPECT_FALSE(app::CheckLibrary(Target(m_server.Url("/empty"), ""), m_ui));
  ASSERT_EQ(m_ui.windows.size(), 1u);
  EXPECT_EQ(m_ui.windows[0].statuses.back(), "Completed!");
  EXPECT_EQ(m_ui.messages.back(), std::make_pair(std::string(app::kFailedTitle), std::string(app::kFailedText)));
}

TEST_F(LibraryCheck, AFileThatDoesNotMatchItsSizeOrChecksumIsNeverInstalled) {
  const std::string bank = TinyBank();
  std::string forged = bank;
  forged.back() = 'X';
  m_server.Serve("/forged", HttpTestServer::Mode::kBody, forged);
  m_server.Serve("/huge", HttpTestServer::Mode::kBody, std::string(1 << 20, 'x'));
  m_server.Serve("/huge-unannounced", HttpTestServer::Mode::kBodyNoLength, std::string(1 << 20, 'x'));
  m_server.Serve("/loop", HttpTestServer::Mode::kRedirectLoop);
  m_server.Serve("/half", HttpTestServer::Mode::kHalf, bank);

  // An old bank stays where it was when a download does not verify.
  WriteFile(m_target, "old");
  for (const char* path : {"/forged", "/huge", "/huge-unannounced", "/half", "/loop"}) {
    SCOPED_TRACE(path);
    m_ui.messages.clear();
    EXPECT_FALSE(app::CheckLibrary(Target(m_server.Url(path), bank), m_ui));
    EXPECT_EQ(m_ui.windows.back().statuses.back(), "Downloading...");
    EXPECT_TRUE(m_ui.Showed(app::kFailedText));
    std::ifstream old(m_target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old");
    EXPECT_FALSE(LeftoverParts());
  }
  EXPECT_TRUE(m_ui.Showed(app::kNoConnectionText));  // the endless redirect
}

TEST_F(LibraryCheck, ASilentServerIsCutOffWhileTheWindowKeepsWorking) {
  m_server.Serve("/silent", HttpTestServer::Mode::kSilent);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(app::CheckLibrary(Target(m_server.Url("/silent"), TinyBank()), m_ui));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
  EXPECT_TRUE(m_ui.Showed(app::kNoConnectionText));
  EXPECT_GT(m_ui.windows[0].pumps, 5);
  EXPECT_FALSE(LeftoverParts());
}

TEST_F(LibraryCheck, OnlySafeAddressesAreFetched) {
  EXPECT_TRUE(platform::IsAllowedDownloadAddress("https://example.org/bank.sf3"));
  EXPECT_TRUE(platform::IsAllowedDownloadAddress("http://127.0.0.1:8000/bank"));
  EXPECT_TRUE(platform::IsAllowedDownloadAddress("http://localhost/bank"));
  EXPECT_TRUE(platform::IsAllowedDownloadAddress("http://[::1]:80/bank"));
  EXPECT_FALSE(platform::IsAllowedDownloadAddress("http://example.org/bank.sf3"));
  EXPECT_FALSE(platform::IsAllowedDownloadAddress("http://127.0.0.1.example.org/bank"));
  EXPECT_FALSE(platform::IsAllowedDownloadAddress("ftp://127.0.0.1/bank"));
  EXPECT_FALSE(platform::IsAllowedDownloadAddress("file:///etc/passwd"));
  EXPECT_FALSE(platform::IsAllowedDownloadAddress("not an address"));

  // Refused before any connection, reported as a site that cannot be reached.
  EXPECT_FALSE(app::CheckLibrary(Target("http://example.org/bank.sf3", TinyBank()), m_ui));
  EXPECT_TRUE(m_ui.Showed(app::kNoConnectionText));
}

TEST_F(LibraryCheck, UnwritableFolderReportsTheFileError) {
  app::LibraryCheckTarget target = Target(m_server.Url("/bank"), TinyBank());
  target.targetPath = m_folder + "no-such-folder/bank.sf3";
  EXPECT_FALSE(app::CheckLibrary(target, m_ui));
  EXPECT_TRUE(m_ui.Showed(app::kNoFileText));
  EXPECT_EQ(m_ui.messages.front().first, app::kErrorTitle);
}

TEST_F(LibraryCheck, ACheckStartedFromTheWindowsLoopFailsAtOnce) {
  const std::string bank = TinyBank();
  m_server.Serve("/bank", HttpTestServer::Mode::kBody, bank);
  const auto target = Target(m_server.Url("/bank"), bank);
  int nested = 0;
  m_ui.onPump = [&](WindowRecord&) {
    if (nested++ == 0) {
      EXPECT_FALSE(app::CheckLibrary(target, m_ui));
    }
    return true;
  };
  EXPECT_TRUE(app::CheckLibrary(target, m_ui));
  EXPECT_EQ(m_ui.windows.size(), 1u);
  EXPECT_EQ(m_ui.questions.size(), 1u);
}

TEST(LibraryCheckProgress, TextsStaySensibleForEveryTotal) {
  EXPECT_EQ(app::FormatProgress(0, 0), "0 bytes");
  EXPECT_EQ(app::FormatProgress(4096, 0), "4096 bytes");
  EXPECT_EQ(app::FormatProgress(0, 200), "0/200 (0%)");
  EXPECT_EQ(app::FormatProgress(199, 200), "199/200 (99%)");
  EXPECT_EQ(app::FormatProgress(200, 200), "200/200 (100%)");
  // Past 2 GB the counts must not wrap.
  EXPECT_EQ(app::FormatProgress(5000000000ull, 10000000000ull), "5000000000/10000000000 (50%)");
}

TEST_F(LibraryCheck, MidiCheckUsesTheConfiguredSourceOrStaysSilent) {
  const std::string bank = TinyBank();
  const std::string system = m_folder + "system-bank.sf3";
  m_ui.answer = false;

  // Nothing configured: no question, no bank.
  unsetenv("TANDRILL_SOUNDBANK_URL");
  EXPECT_EQ(app::CheckMidiLibraries(m_ui, system), "");
  EXPECT_TRUE(m_ui.questions.empty());

  // A system bank that is there but broken makes the question "incompatible".
  WriteFile(system, "garbage that is not a bank");
  setenv("TANDRILL_SOUNDBANK_URL", m_server.Url("/bank").c_str(), 1);
  setenv("TANDRILL_SOUNDBANK_SIZE", std::to_string(bank.size()).c_str(), 1);
  setenv("TANDRILL_SOUNDBANK_SHA256", Sha256(bank).c_str(), 1);
  EXPECT_EQ(app::CheckMidiLibraries(m_ui, system), "");
  ASSERT_EQ(m_ui.questions.size(), 1u);
  EXPECT_EQ(m_ui.questions[0], app::kQuestionIncompatible);

  // A usable system bank is taken as it is.
  WriteFile(system, bank);
  EXPECT_EQ(app::CheckMidiLibraries(m_ui, system), system);
}

TEST_F(LibraryCheck, AMissingOrPartialSynthesiserNamesItsPackageOnceAndDownloadsNothing) {
  const std::string bank = TinyBank();
  setenv("TANDRILL_SOUNDBANK_URL", m_server.Url("/bank").c_str(), 1);
  setenv("TANDRILL_SOUNDBANK_SIZE", std::to_string(bank.size()).c_str(), 1);
  setenv("TANDRILL_SOUNDBANK_SHA256", Sha256(bank).c_str(), 1);
  // A library with only some of the functions loading needs is as useless
  // as none: MIDI would stay silent without a word.
  const std::pair<const char*, const char*> cases[] = {{"libno-such-synth.so.3", "Some needed libraries were"},
                                                       {TANDRILL_PARTIAL_SYNTH, "Some required libraries"}};
  for (const auto& [library, opening] : cases) {
    SCOPED_TRACE(library);
    app::ResetLibraryCheckForTesting();
    m_ui.messages.clear();
    for (int i = 0; i < 2; ++i) EXPECT_EQ(app::CheckMidiLibraries(m_ui, m_folder + "none.sf3", library), "");
    ASSERT_EQ(m_ui.messages.size(), 1u);
    EXPECT_EQ(m_ui.messages[0].first, app::kQuestionTitle);
    EXPECT_EQ(m_ui.messages[0].second.rfind(opening, 0), 0u);
    EXPECT_NE(m_ui.messages[0].second.find("\"libfluidsynth3\""), std::string::npos);
    EXPECT_TRUE(m_ui.questions.empty());
    EXPECT_TRUE(m_ui.windows.empty());
  }
}

// A transfer library that refuses any one of the options (one too old to
// know "https only, also on redirect") must not fetch anything.
TEST_F(LibraryCheck, AnyRefusedTransferOptionFailsTheDownload) {
  const std::string bank = TinyBank();
  m_server.Serve("/bank", HttpTestServer::Mode::kBody, bank);
  ASSERT_TRUE(app::CheckLibrary(Target(m_server.Url("/bank"), bank), m_ui));
  const int options = platform::TransferOptionCountForTesting();
  ASSERT_GT(options, 10);
  for (int i = 0; i < options; ++i) {
    SCOPED_TRACE(i);
    fs::remove(m_target);
    m_ui.messages.clear();
    platform::FailTransferOptionForTesting(i);
    EXPECT_FALSE(app::CheckLibrary(Target(m_server.Url("/bank"), bank), m_ui));
    EXPECT_TRUE(m_ui.Showed(app::kNoSessionText));
    EXPECT_FALSE(fs::exists(m_target));
    EXPECT_FALSE(LeftoverParts());
  }
  platform::FailTransferOptionForTesting(-1);
}

TEST_F(LibraryCheck, SourceNeedsAddressSizeAndChecksum) {
  const std::string sha = Sha256("x");
  unsetenv("TANDRILL_SOUNDBANK_URL");
  EXPECT_FALSE(app::ReadSoundBankSource());
  WriteFile(m_folder + app::kSoundBankConfigName, "# bank\r\nurl = https://example.org/b.sf3\r\nsize=12\r\nsha256=" +
                                                      std::string(sha.size(), 'A') + "\r\n");
  auto fromFile = app::ReadSoundBankSource();
  ASSERT_TRUE(fromFile);
  EXPECT_EQ(fromFile->url, "https://example.org/b.sf3");
  EXPECT_EQ(fromFile->size, 12u);
  EXPECT_EQ(fromFile->sha256, std::string(sha.size(), 'a'));
  EXPECT_EQ(fromFile->limits.maxBytes, 12u);
  // A file far longer than any settings is not read at all, whatever it
  // begins with.
  WriteFile(m_folder + app::kSoundBankConfigName,
            "url=https://example.org/b.sf3\nsize=12\nsha256=" + sha + "\n" + std::string(1 << 20, ' '));
  EXPECT_FALSE(app::ReadSoundBankSource());

  // The environment wins over the file, and all three values must be valid.
  setenv("TANDRILL_SOUNDBANK_URL", "https://example.net/c.sf3", 1);
  setenv("TANDRILL_SOUNDBANK_SIZE", "34", 1);
  setenv("TANDRILL_SOUNDBANK_SHA256", sha.c_str(), 1);
  ASSERT_TRUE(app::ReadSoundBankSource());
  EXPECT_EQ(app::ReadSoundBankSource()->url, "https://example.net/c.sf3");
  setenv("TANDRILL_SOUNDBANK_SIZE", "-1", 1);
  EXPECT_FALSE(app::ReadSoundBankSource());
  setenv("TANDRILL_SOUNDBANK_SIZE", "34", 1);
  setenv("TANDRILL_SOUNDBANK_SHA256", "1234", 1);
  EXPECT_FALSE(app::ReadSoundBankSource());
}

TEST(SynthLibrary, OpensByNameAndTellsMissingFromIncompatible) {
  EXPECT_EQ(platform::ProbeLibrary("libno-such-library.so.9", "anything"), LibraryStatus::kMissing);
  EXPECT_EQ(platform::ProbeLibrary("libc.so.6", "no_such_function_here"), LibraryStatus::kIncompatible);
  EXPECT_EQ(platform::ProbeLibrary("libc.so.6", "malloc"), LibraryStatus::kUsable);
  // The machine the tests run on has the synthesiser installed.
  EXPECT_EQ(platform::ProbeSynthLibrary(platform::kSynthLibraryName), LibraryStatus::kUsable);
  const platform::SynthApi* api = platform::LoadSynthLibrary();
  ASSERT_NE(api, nullptr);
  EXPECT_EQ(api, platform::LoadSynthLibrary());
  EXPECT_NE(api->playerGetStatus, nullptr);
}

}  // namespace
