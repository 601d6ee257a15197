#include "app/startup.h"

#include <gtest/gtest.h>

namespace {

TEST(StartupTest, AdminSwitchIsFoundAnywhereInAnyCase) {
  EXPECT_TRUE(app::CommandLineHasAdminSwitch("/opt/tandrill/tandrill -admin"));
  EXPECT_TRUE(app::CommandLineHasAdminSwitch("tandrill --verbose -ADMIN"));
  EXPECT_TRUE(app::CommandLineHasAdminSwitch("tandrill x-AdMiNistrator"));
  EXPECT_FALSE(app::CommandLineHasAdminSwitch("tandrill -adm"));
  EXPECT_FALSE(app::CommandLineHasAdminSwitch("tandrill admin"));
  EXPECT_FALSE(app::CommandLineHasAdminSwitch(""));
}

TEST(StartupTest, DirectoryIsNormalised) {
  EXPECT_EQ(app::NormaliseDirectory("C:\\\\Games\\/Tandrill\\"), "C:/Games/Tandrill/");
  EXPECT_EQ(app::NormaliseDirectory("/opt//tandrill"), "/opt/tandrill/");
  EXPECT_EQ(app::NormaliseDirectory("/opt/tandrill///"), "/opt/tandrill/");
  EXPECT_EQ(app::NormaliseDirectory("//"), "/");
  EXPECT_EQ(app::NormaliseDirectory(""), "/");
}

TEST(StartupTest, DirectoryOfProgramPath) {
  EXPECT_EQ(app::DirectoryOf("/opt/tandrill/tandrill"), "/opt/tandrill/");
  EXPECT_EQ(app::DirectoryOf("C:\\Games\\tandrill.exe"), "C:\\Games\\");
  EXPECT_EQ(app::DirectoryOf("tandrill"), "");
}

TEST(StartupTest, ProgramDirectoryIsTheTestProgramsFolder) {
  const std::string& dir = app::GetProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(dir.find("//"), std::string::npos);
  EXPECT_EQ(&dir, &app::GetProgramDirectory()) << "computed once and kept";
}

}  // namespace
