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

#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/object.h"
#include "platform/message_loop.h"

namespace {

class Watched : public CRSObject {
 public:
  explicit Watched(int* destroyed) : m_destroyed(destroyed) {}
  ~Watched() override { ++*m_destroyed; }
  void OnEvent(CRSEvents::BasicEvent&) override { ++delivered; }
  int delivered = 0;

 private:
  int* m_destroyed;
};

TEST(StartupTest, RunEndsWithZeroAndDiscardsWhatIsStillQueued) {
  ASSERT_TRUE(platform::InitialiseMessaging());
  // The quit message comes first, so the loop ends before the dispatcher's
  // message for the events below is handled.
  platform::PostQuitMessage(5);
  int destroyed = 0;
  Watched receiver(&destroyed);
  PostEvent(&receiver, new CRSEvents::BasicEvent(41));
  auto* leftover = new Watched(&destroyed);
  leftover->DeleteLater();

  char name[] = "tandrill";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(app::RunProgram(1, argv), 0) << "whatever the quit message carried";
  EXPECT_EQ(receiver.delivered, 0);
  EXPECT_EQ(destroyed, 1) << "the queued deletion still ran";
  EXPECT_EQ(CRSEventDispatcher::Get()->QueuedCount(), 0u);
  EXPECT_NE(CRSGlobalEvents::Get(), nullptr);
}

}  // namespace
