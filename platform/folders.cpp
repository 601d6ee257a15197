#include "platform/folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/utf8.h"

namespace platform {

namespace {


constexpr std::uint32_t kReplacement = 0xFFFD;
constexpr std::uint32_t kControlPictures = 0x2400;
constexpr std::uint32_t kDeletePicture = 0x2421;

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when the
// bytes there are not a valid, shortest-form sequence of a scalar value.
std::size_t DecodeOne(std::string_view s, std::size_t i, std::uint32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len;
  std::uint32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, min = 0x80, cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, min = 0x800, cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, min = 0x10000, cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

EntryKind KindOf(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
  if (S_ISREG(st.st_mode)) return EntryKind::kFile;
  return EntryKind::kOther;
}

// Fills kind, size and time from a stat of the entry itself and, for a link,
// of what it leads to. The second stat lets the operating system resolve the
// link chain; it refuses loops itself (ELOOP), which we report as broken.
bool Describe(int dirFd, const char* name, EntryKind& kind, bool& isLink, std::uint64_t& size,
              std::int64_t& modified) {
  struct stat st;
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  isLink = S_ISLNK(st.st_mode);
  if (isLink) {
    struct stat target;
    if (fstatat(dirFd, name, &target, 0) != 0) {
      kind = EntryKind::kBrokenLink;
      size = 0;
      modified = st.st_mtim.tv_sec;
      return true;
    }
    st = target;
  }
  kind = KindOf(st);
  size = kind == EntryKind::kFile ? static_cast<std::uint64_t>(st.st_size) : 0;
  modified = st.st_mtim.tv_sec;
  return true;
}

FolderResult ResultOfErrno(int error) {
  switch (error) {
    case ENOENT: return FolderResult::kNotFound;
    case ENOTDIR: return FolderResult::kNotAFolder;
    case EACCES:
    case EPERM: return FolderResult::kAccessDenied;
    default: return FolderResult::kFailed;
  }
}

}  // namespace

std::string DisplayName(std::string_view rawName) {
  std::string out;
  out.reserve(rawName.size());
  std::size_t i = 0;
  while (i < rawName.size()) {
    std::uint32_t cp = 0;
    const std::size_t len = DecodeOne(rawName, i, cp);
    if (len == 0) {
      // One replacement per bad byte keeps the shown name as long as the
      // damage, so two names that differ only in broken bytes still differ.
      AppendUtf8(out, kReplacement);
      ++i;
      continue;
    }
    if (cp < 0x20) {
      AppendUtf8(out, kControlPictures + cp);
    } else if (cp == 0x7F) {
      AppendUtf8(out, kDeletePicture);
    } else if (cp >= 0x80 && cp < 0xA0) {
      AppendUtf8(out, kReplacement);
    } else {
      out.append(rawName.substr(i, len));
    }
    i += len;
  }
  return out;
}

FolderResult ListFolder(const std::string& folder, std::vector<FolderEntry>& entries, std::size_t maxEntries) {
  entries.clear();
  if (folder.empty()) return FolderResult::kNotFound;
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return ResultOfErrno(errno);
  DIR* dir = fdopendir(fd);
  if (!dir) {
    const int error = errno;
    close(fd);
    return ResultOfErrno(error);
  }
  FolderResult result = FolderResult::kOk;
  for (;;) {
    errno = 0;
    const dirent* d = readdir(dir);
    if (!d) {
      // A folder removed while it is read ends the listing with an error
      // on some file systems; what was read so far is still shown.
      if (errno != 0 && entries.empty()) result = ResultOfErrno(errno);
      break;
    }
    if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
    if (entries.size() >= maxEntries) {
      result = FolderResult::kTooManyEntries;
      break;
    }
    FolderEntry e;
    // An entry that vanished between readdir and stat is simply not shown.
    if (!Describe(fd, d->d_name, e.kind, e.isLink, e.size, e.modified)) continue;
    e.name = d->d_name;
    e.displayName = DisplayName(e.name);
    e.hidden = e.name[0] == '.';
    entries.push_back(std::move(e));
  }
  closedir(dir);  // also closes fd
  return result;
}

bool ReadPlainFile(const std::string& path, std::size_t maxBytes, std::string& out) {
  out.clear();
  // Opening without blocking keeps a pipe from waiting for a writer; the
  // check below then refuses it.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= maxBytes;
  if (ok) {
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < out.size()) {
      const ssize_t n = read(fd, out.data() + got, out.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // the file shrank while we read it
      got += static_cast<std::size_t>(n);
    }
    out.resize(got);
  }
  close(fd);
  if (!ok) out.clear();
  return ok;
}

PathInfo GetPathInfo(const std::string& path) {
  PathInfo info;
  if (path.empty()) return info;
  if (!Describe(AT_FDCWD, path.c_str(), info.kind, info.isLink, info.size, info.modified)) return info;
  info.exists = true;
  return info;
}

bool IsFolder(const std::string& path) {
  const PathInfo info = GetPathInfo(path);
  return info.exists && info.kind == EntryKind::kFolder;
}

bool IsFile(const std::string& path) {
  const PathInfo info = GetPathInfo(path);
  return info.exists && info.kind == EntryKind::kFile;
}

const char* FolderResultText(FolderResult result) {
  switch (result) {
    case FolderResult::kOk: return "";
    case FolderResult::kNotFound: return "This folder does not exist.";
    case FolderResult::kNotAFolder: return "This is not a folder.";
    case FolderResult::kAccessDenied: return "You may not read this folder.";
    case FolderResult::kTooManyEntries: return "This folder holds too many entries; not all are shown.";
    case FolderResult::kFailed: return "This folder could not be read.";
  }
  return "";
}

}  // namespace platform
