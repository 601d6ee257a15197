#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

namespace {

TEST(PathsTest, DirectoryIsNormalised) {
  EXPECT_EQ(platform::NormaliseDirectory("C:\\\\Games\\/Tandrill\\"), "C:/Games/Tandrill/");
  EXPECT_EQ(platform::NormaliseDirectory("/opt//tandrill"), "/opt/tandrill/");
  EXPECT_EQ(platform::NormaliseDirectory("/opt/tandrill///"), "/opt/tandrill/");
  EXPECT_EQ(platform::NormaliseDirectory(""), "/");
  EXPECT_EQ(platform::DirectoryOf("/opt/tandrill/tandrill"), "/opt/tandrill/");
  EXPECT_EQ(platform::DirectoryOf("tandrill"), "");
  const std::string& dir = platform::GetProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(&dir, &platform::GetProgramDirectory()) << "computed once and kept";
}

// The data folder follows the environment in the documented order and is
// created on first use.
TEST(PathsTest, DataDirectoryFollowsTheEnvironment) {
  const std::string saved = std::getenv("TANDRILL_DATA_DIR") ? std::getenv("TANDRILL_DATA_DIR") : "";
  const std::filesystem::path base = std::filesystem::temp_directory_path() / ("paths_test_" + std::to_string(getpid()));
  std::filesystem::remove_all(base);

  setenv("TANDRILL_DATA_DIR", (base / "explicit").c_str(), 1);
  EXPECT_EQ(platform::GetDataDirectory(), (base / "explicit").string() + "/");
  EXPECT_TRUE(std::filesystem::is_directory(base / "explicit"));

  unsetenv("TANDRILL_DATA_DIR");
  setenv("XDG_DATA_HOME", (base / "xdg").c_str(), 1);
  EXPECT_EQ(platform::GetDataDirectory(), (base / "xdg/tandrill").string() + "/");

  setenv("XDG_DATA_HOME", "relative/ignored", 1);
  setenv("HOME", (base / "home").c_str(), 1);
  EXPECT_EQ(platform::GetDataDirectory(), (base / "home/.local/share/tandrill").string() + "/");

  std::filesystem::remove_all(base);
  if (!saved.empty()) setenv("TANDRILL_DATA_DIR", saved.c_str(), 1);
}

}  // namespace
