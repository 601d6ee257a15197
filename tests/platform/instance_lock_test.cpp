#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace {

// The lock is per open file description, so a second holder in the same
// process stands for a second copy of the game; a child process checks that
// another process sees it too, and that the lock goes with its owner.
TEST(InstanceLockTest, OneOwnerAtATimeAndReleasedWithItsOwner) {
  const auto folder = std::filesystem::temp_directory_path() / ("lock_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string dir = folder.string() + "/";
  {
    platform::InstanceLock first(dir);
    ASSERT_TRUE(first.IsOwned());
    EXPECT_EQ(platform::InstanceLock(dir).GetState(), platform::InstanceLock::State::kHeldByOther);
    const pid_t child = fork();
    if (child == 0) _exit(platform::InstanceLock(dir).IsOwned() ? 1 : 0);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "another process must not get the lock";
  }
  EXPECT_TRUE(platform::InstanceLock(dir).IsOwned()) << "released when its owner goes";
  EXPECT_TRUE(platform::IsFolderWritable(dir));

  if (geteuid() != 0) {  // root writes anywhere, so only a normal user can see this
    chmod(folder.c_str(), 0555);
    EXPECT_FALSE(platform::IsFolderWritable(dir));
    EXPECT_EQ(platform::InstanceLock(dir).GetState(), platform::InstanceLock::State::kOwned)
        << "an existing lock file can still be locked";
    chmod(folder.c_str(), 0755);
  }
  EXPECT_FALSE(platform::IsFolderWritable(dir + "missing/"));
  EXPECT_EQ(platform::InstanceLock(dir + "missing/").GetState(), platform::InstanceLock::State::kUnavailable);
  std::filesystem::remove_all(folder);
}

}  // namespace
