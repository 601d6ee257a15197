#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

InstanceLock::InstanceLock(const std::string& folder) {
  const std::string path = folder + "tandrill.lock";
  m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (m_fd < 0) return;
  if (flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
    m_state = State::kOwned;
    return;
  }
  m_state = errno == EWOULDBLOCK ? State::kHeldByOther : State::kUnavailable;
  close(m_fd);
  m_fd = -1;
}

InstanceLock::~InstanceLock() {
  if (m_fd >= 0) close(m_fd);  // closing drops the lock
}

bool IsFolderWritable(const std::string& folder) {
  std::string probe = folder + ".write-test-XXXXXX";
  const int fd = mkstemp(probe.data());
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

}  // namespace platform
