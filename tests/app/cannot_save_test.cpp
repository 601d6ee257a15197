// The game with a data folder it cannot write, and a second copy of the
// game on a folder the first one holds: the game starts and runs, says once
// why it cannot save and where, and never writes over the library it read.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/startup.h"
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
// words used for a folder that takes no files, and is not written over.
TEST_F(CannotSave, ALibraryThatCannotBeReadIsToldOnceAndNotWrittenOver) {
  std::filesystem::create_directory(m_data + "tandrill.pzl");
  EXPECT_EQ(RunOnce(), 0);
  std::string folder = m_data;
  folder.pop_back();
  EXPECT_EQ(ReportLinesStartingWith(kToldStart),
            std::vector<std::string>{kToldStart + folder +
                                     ": the library file tandrill.pzl cannot be read (Is a directory)."});
  EXPECT_TRUE(std::filesystem::is_empty(m_data + "tandrill.pzl"));
}

// A gift takes no hold of the data folder: beside the game that holds it,
// it plays without a word.
TEST_F(CannotSave, AGiftBesideTheGameSaysNothing) {
  CPuzzleData puzzle("gift");
  puzzle_test::MakePlayable(puzzle);
  CRSXMLWriter out;
  puzzle.Write(out);
  const std::string gift = m_data + "puzzle_gift";
  ASSERT_TRUE(platform::WriteFileAtomically(gift, "a program"));
  ASSERT_TRUE(platform::AppendPayload(gift, out.GetBytes()));
  platform::InstanceLock game(m_data);
  ASSERT_TRUE(game.IsOwned());
  EXPECT_EQ(RunOnce(gift), 0);
  EXPECT_TRUE(ReportLinesStartingWith("message Tandrill:").empty());
}

}  // namespace
