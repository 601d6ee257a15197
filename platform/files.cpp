// Whole-file writes through a renamed temporary, and safe file names.

#include "platform/files.h"
#include "platform/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace platform {

namespace {

// File systems take 255 bytes a name; the stem leaves room for an extension.
constexpr std::size_t kMaxStemBytes = 200;

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool KeepsAsIs(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return false;
  switch (c) {
    case '/': case '\\': case '%': case '~': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
      return false;
    default:
      return true;
  }
}

std::uint64_t Fnv1a(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

// Creates a new file beside path with a name nobody uses. Made with mode
// 0666, so the process's umask decides its permissions as for any new file.
int CreateTemporary(const std::string& path, std::string& temp) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static thread_local std::mt19937_64 random(std::random_device{}() ^ static_cast<std::uint64_t>(::getpid()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = path + ".tmp-";
    for (int i = 0; i < 8; ++i) temp += kLetters[random() % (sizeof kLetters - 1)];
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Makes the rename itself durable: until the folder is synced, a crash may
// bring back the old name's old file, or no file at all.
bool SyncFolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  // Some file systems cannot sync a folder; the file's own data is synced.
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return ok;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  // The temporary lives beside the target so that the rename never crosses
  // file systems.
  std::string temp;
  const int fd = CreateTemporary(path, temp);
  if (fd < 0) {
    ReportWriteFailure(path, errno);
    return false;
  }
  bool ok = WriteAll(fd, bytes);
  // A file that is replaced keeps the permissions its owner gave it; a new
  // one has those the umask gave the temporary.
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ok = ::fchmod(fd, old.st_mode & 07777) == 0 && ok;
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    // The first error is the one worth telling (a full disk, a lost
    // permission); unlinking must not replace it.
    const int error = errno;
    ::unlink(temp.c_str());
    ReportWriteFailure(path, error);
    return false;
  }
  return SyncFolderOf(path);
}

bool EnsureDirectory(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

bool RemoveFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec))) return false;
  return std::filesystem::remove(path, ec) && !ec;
}

bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& out) {
  out.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buffer[1024];
  bool ok = true;
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
    if (n == 0) break;
    if (out.size() + n > maxBytes) {
      ok = false;
      break;
    }
    out.append(buffer, n);
  }
  if (std::ferror(f)) ok = false;
  std::fclose(f);
  if (!ok) out.clear();
  return ok;
}

int FileReadError(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  int error = 0;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) continue;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    break;
  }
  ::close(fd);
  return error;
}

std::string SafeFileStem(std::string_view name) {
  if (name.empty()) return "%";
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string stem;
  stem.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (KeepsAsIs(c) && !(i == 0 && c == '.')) {
      stem.push_back(static_cast<char>(c));
    } else {
      stem.push_back('%');
      stem.push_back(kHex[c >> 4]);
      stem.push_back(kHex[c & 0xF]);
    }
  }
  if (stem.size() <= kMaxStemBytes) return stem;
  // Cut at a character boundary: never inside an escape or a UTF-8 sequence.
  std::size_t cut = kMaxStemBytes - 17;
  while (cut > 0 && ((static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)) --cut;
  if (cut >= 1 && stem[cut - 1] == '%') cut -= 1;
  else if (cut >= 2 && stem[cut - 2] == '%') cut -= 2;
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(name)));
  return stem.substr(0, cut) + "~" + hash;
}

}  // namespace platform
