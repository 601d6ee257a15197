#include "app/startup.h"

#include <gtest/gtest.h>

#include "data/puzzle_data.h"

namespace {

TEST(StartupTest, AdminSwitchIsAnArgumentNotPartOfTheProgramPath) {
  char program[] = "/opt/x-admin/tandrill", admin[] = "-ADMIN", other[] = "--verbose", near[] = "-adm";
  char* withSwitch[] = {program, other, admin, nullptr};
  char* pathOnly[] = {program, near, nullptr};
  EXPECT_TRUE(app::HasAdminSwitch(3, withSwitch));
  EXPECT_FALSE(app::HasAdminSwitch(2, pathOnly)) << "argv[0] is the program, not an option";
  EXPECT_FALSE(app::HasAdminSwitch(1, pathOnly));
}

}  // namespace

#include "canvas/event_dispatcher.h"
#include "canvas/global_events.h"
#include "canvas/object.h"
#include "platform/files.h"
#include "platform/instance_lock.h"
#include "platform/message_loop.h"
#include "platform/paths.h"

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
  PostEvent(&receiver, std::make_unique<CRSEvents::BasicEvent>(41));
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

namespace {

// A normal end writes the library into the data folder; a second copy
// started while the first holds the folder writes nothing.
TEST(StartupTest, EndingTheProgramWritesTheLibrary) {
  ASSERT_TRUE(platform::InitialiseMessaging());
  const std::string file = platform::GetDataDirectory() + "tandrill.pzl";
  std::remove(file.c_str());
  platform::PostQuitMessage(0);
  char name[] = "tandrill";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(app::RunProgram(1, argv), 0);
  std::string text;
  ASSERT_TRUE(platform::ReadWholeFile(file, 1 << 20, text));
  EXPECT_EQ(text.rfind("<puzzle-config>\r\n<color-gradient>0x666666</color-gradient>\r\n", 0), 0u) << text;

  platform::InstanceLock other(platform::GetDataDirectory());
  ASSERT_TRUE(other.IsOwned());
  std::remove(file.c_str());
  platform::PostQuitMessage(0);
  EXPECT_EQ(app::RunProgram(1, argv), 0);
  EXPECT_FALSE(platform::ReadWholeFile(file, 1 << 20, text)) << "the folder belongs to the other copy";

  // Nor does it write or remove the other copy's puzzle files.
  CPuzzleData::SetPuzzleFilesWritable(true);
  CPuzzleData puzzle("held");
  puzzle.SetPicture(std::make_shared<Gdiplus::Bitmap>(120, 90, Gdiplus::PixelFormat::Format24bppRGB));
  ASSERT_TRUE(puzzle.Save());
  const std::string puzzleFile = CPuzzleData::GetPuzzleFileName("held");
  std::string before;
  ASSERT_TRUE(platform::ReadWholeFile(puzzleFile, 1 << 24, before));
  platform::PostQuitMessage(0);
  EXPECT_EQ(app::RunProgram(1, argv), 0);
  ASSERT_FALSE(CPuzzleData::ArePuzzleFilesWritable());
  puzzle.SetTimePlayed(5000);
  EXPECT_FALSE(puzzle.Save());
  EXPECT_FALSE(DeletePuzzleFile("held"));
  std::string after;
  ASSERT_TRUE(platform::ReadWholeFile(puzzleFile, 1 << 24, after));
  EXPECT_EQ(after, before);
}

}  // namespace
