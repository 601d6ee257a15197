#include "platform/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "platform/files.h"

namespace platform {

std::string NormaliseDirectory(std::string_view directory) {
  std::string out;
  out.reserve(directory.size() + 1);
  for (char c : directory) {
    if (c == '\\') c = '/';
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  if (out.empty() || out.back() != '/') out.push_back('/');
  return out;
}

std::string DirectoryOf(std::string_view programPath) {
  const size_t cut = programPath.find_last_of("/\\");
  if (cut == std::string_view::npos) return {};
  return std::string(programPath.substr(0, cut + 1));
}

std::string GetProgramPath() {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  return std::string(buffer.data(), static_cast<size_t>(n));
}

const std::string& GetProgramDirectory() {
  static const std::string directory = NormaliseDirectory(DirectoryOf(GetProgramPath()));
  return directory;
}

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string HomeDirectory() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "/tmp";
}

}  // namespace

std::string GetDataDirectory() {
  std::string folder = Environment("TANDRILL_DATA_DIR");
  if (folder.empty()) {
    const std::string xdg = Environment("XDG_DATA_HOME");
    // XDG base directories ignore relative paths here.
    folder = (!xdg.empty() && xdg.front() == '/') ? xdg + "/tandrill" : HomeDirectory() + "/.local/share/tandrill";
  }
  folder = NormaliseDirectory(folder);
  EnsureDirectory(folder);
  return folder;
}

namespace {

std::atomic<DataFolderProblemHandler> s_problemHandler{nullptr};
std::atomic<bool> s_problemReported{false};

// The folder as the player would type it: no final slash (except the root).
std::string ShownFolder(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace

void SetDataFolderProblemHandler(DataFolderProblemHandler handler) { s_problemHandler = handler; }

void ReportDataFolderProblem(const std::string& reason) {
  if (s_problemReported.exchange(true)) return;
  const std::string folder = ShownFolder(GetDataDirectory());
  if (DataFolderProblemHandler handler = s_problemHandler.load()) {
    handler(folder, reason);
  } else {
    std::fprintf(stderr, "tandrill: your puzzles cannot be saved in %s: %s\n", folder.c_str(), reason.c_str());
  }
}

void ReportWriteFailure(const std::string& path, int error) {
  const std::string folder = GetDataDirectory();
  if (path.compare(0, folder.size(), folder) != 0) return;
  ReportDataFolderProblem(std::generic_category().message(error != 0 ? error : EIO));
}

bool WasDataFolderProblemReported() { return s_problemReported; }
void ResetDataFolderProblemForTesting() { s_problemReported = false; }

}  // namespace platform
