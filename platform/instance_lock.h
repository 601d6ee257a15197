#pragma once
// One game at a time writes a data folder. The first copy of the game takes
// an exclusive lock on a file in the data folder and keeps it while it runs;
// a second copy started on the same folder finds the lock taken and runs
// read-only, so the library is never written by both. The lock is an
// advisory file lock, which the system drops when the process ends in any
// way (a crash or SIGKILL included), so a stale lock never blocks a start.

#include <string>

namespace platform {

class InstanceLock {
 public:
  enum class State {
    kOwned,         // this process holds the lock
    kHeldByOther,   // another running copy holds it
    kUnavailable,   // the folder cannot hold a lock file (read-only, missing)
  };

  // Tries to take the lock on `folder` + "tandrill.lock".
  explicit InstanceLock(const std::string& folder);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  State GetState() const { return m_state; }
  bool IsOwned() const { return m_state == State::kOwned; }

 private:
  int m_fd = -1;
  State m_state = State::kUnavailable;
};

// Why no file can be created in the folder, in the system's words ("Not a
// directory", "Permission denied", "Read-only file system"), or empty when
// one can (a probe file is created and removed again).
std::string WhyFolderIsNotWritable(const std::string& folder);

// True when a file can be created in the folder.
bool IsFolderWritable(const std::string& folder);

}  // namespace platform
