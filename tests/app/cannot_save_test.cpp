// The game with a data folder it cannot write, and a second copy of the
// game on a folder the first one holds: the game starts and runs, says once
// why it cannot save and where, and never writes over the library it read.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "app/puzzle_canvas.h"
#include "app/puzzle_view.h"
#include "app/startup.h"
#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "data/puzzle_data.h"
#include "data/xml_writer.h"
#include "platform/files.h"
#include "platform/instance_lock.h"
#include "platform/message_loop.h"
#include "platform/paths.h"
#include "platform/program_payload.h"
#include "tests/data/puzzle_test_support.h"

namespace {

class CannotSave : public ::testing::Test {
 protected:
  void SetUp() override {
    m_data = platform::GetDataDirectory();
    // The report is read once per process, and each test runs in its own.
    m_report = m_data + "report.txt";
    std::remove(m_report.c_str());
    setenv("TANDRILL_REPORT", m_report.c_str(), 1);
    ASSERT_TRUE(platform::InitialiseMessaging());
  }

  // Runs the whole program until the quit message posted first ends it,
  // with a gift file named on the command line when one is given.
  static int RunOnce(std::string gift = {}) {
    platform::PostQuitMessage(0);
    char name[] = "tandrill";
    char* argv[] = {name, gift.data(), nullptr};
    return app::RunProgram(gift.empty() ? 1 : 2, argv);
  }

  // What the data folder holds besides the test's own report.
  std::set<std::string> FilesInDataFolder() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_data))
      if (entry.path() != m_report) names.insert(entry.path().lexically_relative(m_data).string());
    return names;
  }

  std::vector<std::string> ReportLinesStartingWith(const std::string& start) const {
    std::vector<std::string> found;
    std::ifstream in(m_report);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind(start, 0) == 0) found.push_back(line);
    }
    return found;
  }

  std::string m_data;
  std::string m_report;
};

constexpr const char* kToldStart = "message Tandrill: Your puzzles cannot be saved in ";

TEST_F(CannotSave, AFileInPlaceOfTheDataFolderIsToldOnceAndLeftAlone) {
  const std::string file = m_data + "not-a-folder";
  ASSERT_TRUE(platform::WriteFileAtomically(file, "the player's own file"));
  setenv("TANDRILL_DATA_DIR", file.c_str(), 1);

  EXPECT_EQ(RunOnce(), 0) << "the game runs without a data folder";
  EXPECT_EQ(ReportLinesStartingWith(kToldStart),
            std::vector<std::string>{kToldStart + file + ": Not a directory."});
  std::string text;
  ASSERT_TRUE(platform::ReadWholeFile(file, 1 << 20, text));
  EXPECT_EQ(text, "the player's own file");
}

// The folder fills up while the game runs: the library written at the end
// fails, the player is told once, and the library of the last good save
// stays as it was.
TEST_F(CannotSave, ALibraryThatCannotBeWrittenAtTheEndIsToldOnceAndKept) {
  ASSERT_EQ(RunOnce(), 0);
  const std::string library = m_data + "tandrill.pzl";
  std::string before;
  ASSERT_TRUE(platform::ReadWholeFile(library, 1 << 20, before));
  EXPECT_TRUE(ReportLinesStartingWith(kToldStart).empty()) << "a good folder is not reported";

  rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  // One byte short of the library: its save fails as on a full disk, while
  // the smaller files of the test (the report, the captured standard
  // error) are still written.
  ASSERT_GT(before.size(), 512u);
  const rlimit tiny{before.size() - 1, old.rlim_max};
  const auto previous = signal(SIGXFSZ, SIG_IGN);
  // Without a display the platform's box writes its text to standard error.
  ::testing::internal::CaptureStderr();
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  const int result = RunOnce();
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);
  const std::string told = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, 0);

  std::string folder = m_data;
  folder.pop_back();
  const std::string text = "Your puzzles cannot be saved in " + folder + ": File too large.";
  EXPECT_NE(told.find(text), std::string::npos) << told;
  EXPECT_EQ(told.find(text), told.rfind(text)) << "told once: " << told;
  EXPECT_EQ(ReportLinesStartingWith(kToldStart), std::vector<std::string>{"message Tandrill: " + text});
  std::string after;
  ASSERT_TRUE(platform::ReadWholeFile(library, 1 << 20, after));
  EXPECT_EQ(after, before);
}

// A lock file that cannot be opened (here a folder in its place) is no
// other copy: the game says nothing and saves.
TEST_F(CannotSave, ALockThatCannotBeHadDoesNotStopTheSave) {
  std::filesystem::create_directory(m_data + "tandrill.lock");
  EXPECT_EQ(RunOnce(), 0);
  EXPECT_TRUE(std::filesystem::is_regular_file(m_data + "tandrill.pzl"));
  EXPECT_TRUE(ReportLinesStartingWith("message Tandrill:").empty());
}

TEST_F(CannotSave, ASecondCopySaysTheGameIsRunningAndWritesNoLibrary) {
  platform::InstanceLock first(m_data);
  ASSERT_TRUE(first.IsOwned());
  EXPECT_EQ(RunOnce(), 0);
  EXPECT_EQ(ReportLinesStartingWith("message Tandrill: Tandrill is already running.").size(), 1u);
  EXPECT_TRUE(ReportLinesStartingWith(kToldStart).empty()) << "the folder itself is fine";
  EXPECT_FALSE(std::filesystem::exists(m_data + "tandrill.pzl"));
}

}  // namespace

namespace {

// A library file that is there but cannot be read is told once, in the
// words used for a folder that takes no files, and is never written over.
TEST_F(CannotSave, ALibraryThatCannotBeReadIsToldOnceAndNeverWrittenOver) {
  const std::string library = m_data + "tandrill.pzl";
  std::string folder = m_data;
  folder.pop_back();
  const std::string told = kToldStart + folder + ": the library file tandrill.pzl cannot be read (";
  std::filesystem::create_directory(library);
  EXPECT_EQ(RunOnce(), 0);
  EXPECT_EQ(ReportLinesStartingWith(kToldStart), std::vector<std::string>{told + "Is a directory)."});
  EXPECT_TRUE(std::filesystem::is_empty(library));

  if (geteuid() == 0) return;  // the superuser reads every file
  std::filesystem::remove(library);
  const std::string kept = "<puzzle-config>the player's puzzles</puzzle-config>";
  ASSERT_TRUE(platform::WriteFileAtomically(library, kept));
  ASSERT_EQ(chmod(library.c_str(), 0), 0);
  platform::ResetDataFolderProblemForTesting();
  EXPECT_EQ(RunOnce(), 0);
  EXPECT_EQ(ReportLinesStartingWith(kToldStart).back(), told + "Permission denied).");
  ASSERT_EQ(chmod(library.c_str(), 0600), 0);
  std::string text;
  ASSERT_TRUE(platform::ReadWholeFile(library, 1 << 20, text));
  EXPECT_EQ(text, kept);
}

// A gift writes nothing into the data folder and takes no hold of it: beside
// a game that holds the folder it plays without a word, and while a gift's
// window stands, the game can take the folder and save.
TEST_F(CannotSave, AGiftTakesNoHoldOfTheDataFolder) {
  CPuzzleData puzzle("gift");
  puzzle_test::MakePlayable(puzzle);
  CRSXMLWriter out;
  puzzle.Write(out);
  const std::string gift = puzzle_test::MakeTempFolder() + "/puzzle_gift";
  ASSERT_TRUE(platform::WriteFileAtomically(gift, "a program"));
  ASSERT_TRUE(platform::AppendPayload(gift, out.GetBytes()));
  {
    platform::InstanceLock game(m_data);
    ASSERT_TRUE(game.IsOwned());
    const std::set<std::string> before = FilesInDataFolder();
    EXPECT_EQ(RunOnce(gift), 0);
    EXPECT_TRUE(ReportLinesStartingWith("message Tandrill: Tandrill is already running.").empty());
    EXPECT_TRUE(ReportLinesStartingWith(kToldStart).empty());
    EXPECT_EQ(FilesInDataFolder(), before);
  }
  CRSEventDispatcher::Create();
  CRSGlobalEvents::Get();
  platform::MessageLoop loop;
  app::SetGiftArgument(platform::ReadPayload(gift));
  {
    CPuzzleView view;
    ASSERT_TRUE(view.Create());
    ASSERT_TRUE(view.GetPuzzleCanvas()->IsGift());
    EXPECT_TRUE(platform::InstanceLock(m_data).IsOwned()) << "the game beside the gift owns the folder";
  }
  DiscardEvents();
  app::SetGiftArgument(std::nullopt);
  std::filesystem::remove_all(std::filesystem::path(gift).parent_path());
}

}  // namespace
