#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

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

std::string WhyFolderIsNotWritable(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::generic_category().message(errno);
  if (!S_ISDIR(info.st_mode)) return std::generic_category().message(ENOTDIR);
  std::string probe = path + "/.write-test-XXXXXX";
  const int fd = mkstemp(probe.data());
  if (fd < 0) return std::generic_category().message(errno);
  close(fd);
  unlink(probe.c_str());
  return {};
}

bool IsFolderWritable(const std::string& folder) { return WhyFolderIsNotWritable(folder).empty(); }

}  // namespace platform
