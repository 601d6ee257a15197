// A data folder that cannot take the player's files: each kind is named in
// the system's words, a failed save keeps the old file, and the player is
// told once per run however many saves fail.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "tests/platform/temp_tree.h"

namespace {

std::vector<std::pair<std::string, std::string>> s_told;

void Remember(const std::string& folder, const std::string& reason) { s_told.emplace_back(folder, reason); }

class DataFolderProblem : public ::testing::Test {
 protected:
  void SetUp() override {
    s_told.clear();
    platform::ResetDataFolderProblemForTesting();
    platform::SetDataFolderProblemHandler(&Remember);
    ASSERT_TRUE(tree.Dir("data"));
    env.Set("TANDRILL_DATA_DIR", tree.Path("data").c_str());
  }
  void TearDown() override {
    platform::SetDataFolderProblemHandler(nullptr);
    platform::ResetDataFolderProblemForTesting();
  }

  TempTree tree;
  ScopedEnv env;
};

// Root may write into any folder, so a folder without write permission is
// checked by a child that has given up root (or by this process when it
// never had it). Returns the child's answer.
std::string WhyAsUnprivileged(const std::string& root, const std::string& folder) {
  if (geteuid() != 0) return platform::WhyFolderIsNotWritable(folder);
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return "no pipe";
  chmod(root.c_str(), 0755);
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    const std::string why = platform::WhyFolderIsNotWritable(folder);
    const ssize_t written = write(pipeFds[1], why.data(), why.size());
    _exit(written == static_cast<ssize_t>(why.size()) ? 0 : 3);
  }
  close(pipeFds[1]);
  std::string answer;
  char buffer[256];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<size_t>(n));
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  chmod(root.c_str(), 0700);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? answer : "child failed";
}

TEST_F(DataFolderProblem, EachUnusableFolderIsNamedInTheSystemsWords) {
  EXPECT_EQ(platform::WhyFolderIsNotWritable(tree.Path("data") + "/"), "");
  EXPECT_TRUE(platform::IsFolderWritable(tree.Path("data")));
  EXPECT_TRUE(std::filesystem::is_empty(tree.Path("data"))) << "the probe file is removed again";

  ASSERT_TRUE(tree.File("plain", "not a folder"));
  EXPECT_EQ(platform::WhyFolderIsNotWritable(tree.Path("plain") + "/"), "Not a directory");
  EXPECT_EQ(platform::WhyFolderIsNotWritable(tree.Path("plain/inside/")), "Not a directory");
  EXPECT_EQ(platform::WhyFolderIsNotWritable(tree.Path("missing/")), "No such file or directory");

  ASSERT_TRUE(tree.Dir("locked"));
  ASSERT_EQ(chmod(tree.Path("locked").c_str(), 0555), 0);
  EXPECT_EQ(WhyAsUnprivileged(tree.Root(), tree.Path("locked/")), "Permission denied");
  EXPECT_TRUE(s_told.empty()) << "asking why is not telling the player";
}

// A save that fails half-way (a full disk; here a file-size limit makes the
// write fail the same way) leaves the old file whole and no temporary
// behind; the first failure inside the data folder is told, with the
// folder and the reason, and no later one; failures elsewhere never are.
TEST_F(DataFolderProblem, AFailedSaveKeepsTheOldFileAndIsToldOnce) {
  const std::string data = tree.Path("data");
  const std::string library = data + "/tandrill.pzl";
  ASSERT_TRUE(platform::WriteFileAtomically(library, "the library as it was"));

  EXPECT_FALSE(platform::WriteFileAtomically(tree.Path("elsewhere/gift"), "x"));
  EXPECT_TRUE(s_told.empty()) << "a file outside the data folder is not the data folder's problem";

  rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const rlimit tiny{8, old.rlim_max};
  // Past the limit the system sends SIGXFSZ, which would end the process;
  // ignored, the write returns an error as a full disk's does.
  const auto previous = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  const bool saved = platform::WriteFileAtomically(library, std::string(4096, 'n'));
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);
  EXPECT_FALSE(saved);

  std::string text;
  ASSERT_TRUE(platform::ReadWholeFile(library, 1 << 20, text));
  EXPECT_EQ(text, "the library as it was");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(data)) names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"tandrill.pzl"}) << "no temporary file is left";
  ASSERT_EQ(s_told.size(), 1u);
  EXPECT_EQ(s_told[0].first, data) << "the folder as the player knows it, without a final slash";
  EXPECT_EQ(s_told[0].second, "File too large");

  EXPECT_FALSE(platform::WriteFileAtomically(data + "/missing/puzzle.pzl", "x"));
  platform::ReportDataFolderProblem("Read-only file system");
  EXPECT_EQ(s_told.size(), 1u) << "one notice per run, not one per failed save";
  EXPECT_TRUE(platform::WasDataFolderProblemReported());
}

}  // namespace
