// The atomic writer: permissions of replaced and new files, and nothing
// left behind on success or failure.

#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<unsigned>(st.st_mode & 07777) : 0u;
}

TEST(WriteFileAtomicallyTest, ReplacedFilesKeepTheirModeAndNewFilesFollowTheUmask) {
  char name[] = "/tmp/tandrill_files_XXXXXX";
  ASSERT_NE(::mkdtemp(name), nullptr);
  const std::string dir = name;
  const mode_t oldMask = ::umask(027);

  const std::string fresh = dir + "/fresh.pzl";
  ASSERT_TRUE(platform::WriteFileAtomically(fresh, "one"));
  EXPECT_EQ(ModeOf(fresh), 0640u);
  ::umask(0);
  const std::string open = dir + "/open.pzl";
  ASSERT_TRUE(platform::WriteFileAtomically(open, "two"));
  EXPECT_EQ(ModeOf(open), 0666u);

  for (unsigned mode : {0600u, 0755u, 0444u}) {
    ASSERT_EQ(::chmod(fresh.c_str(), mode), 0);
    ASSERT_TRUE(platform::WriteFileAtomically(fresh, "mode " + std::to_string(mode)));
    EXPECT_EQ(ModeOf(fresh), mode) << std::oct << mode;
    EXPECT_EQ(ReadText(fresh), "mode " + std::to_string(mode));
  }
  ::umask(oldMask);

  // A target that cannot be replaced (a folder) fails and leaves no
  // temporary behind; so does a missing folder.
  fs::create_directory(dir + "/folder");
  EXPECT_FALSE(platform::WriteFileAtomically(dir + "/folder", "x"));
  EXPECT_FALSE(platform::WriteFileAtomically(dir + "/missing/file.pzl", "x"));
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 3u) << "a temporary file was left behind";
  fs::remove_all(dir);
}

}  // namespace
