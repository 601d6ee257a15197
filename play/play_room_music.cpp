// The puzzle's music and its private temporary folder.

#include "play/play_room_music.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "canvas/sound.h"
#include "data/puzzle_data.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kOwnerFile = "owner";

std::string FolderPrefix() { return "tandrill-music-" + std::to_string(static_cast<unsigned long>(getuid())) + "-"; }

// The last part of a path, whichever separator the puzzle's maker used.
std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ProcessGone(long pid) {
  if (pid <= 0) return true;
  if (pid == static_cast<long>(getpid())) return false;
  return kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH;
}

}  // namespace

std::string CPuzzlePlayMusic::GetTemporaryRoot() {
  const char* tmp = std::getenv("TMPDIR");
  std::string root = tmp && *tmp ? tmp : "/tmp";
  if (root.back() != '/') root.push_back('/');
  return root;
}

int CPuzzlePlayMusic::SweepStaleMusicFolders() {
  int removed = 0;
  std::error_code ec;
  const std::string prefix = FolderPrefix();
  for (const fs::directory_entry& entry : fs::directory_iterator(GetTemporaryRoot(), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    // Only a real folder of this user: never follow a link somebody else
    // planted under a name like ours.
    struct stat info {};
    if (lstat(entry.path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) continue;
    long pid = 0;
    std::ifstream owner(entry.path() / kOwnerFile);
    if (owner) owner >> pid;
    if (!ProcessGone(pid)) continue;
    std::error_code removeError;
    if (fs::remove_all(entry.path(), removeError) > 0 && !removeError) ++removed;
  }
  return removed;
}

CPuzzlePlayMusic::CPuzzlePlayMusic(const CPuzzleData& puzzle) {
  const std::string& file = puzzle.GetMusicFileName();
  if (file.empty()) return;
  if (puzzle.GetMusicData().empty()) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return;
    m_path = file;
  } else {
    std::string folder = GetTemporaryRoot() + FolderPrefix() + "XXXXXX";
    if (!mkdtemp(folder.data())) return;
    m_folder = folder + "/";
    {
      std::ofstream owner(m_folder + kOwnerFile);
      owner << static_cast<long>(getpid()) << '\n';
    }
    const std::string path = m_folder + platform::SafeFileStem(puzzle.GetName() + " - " + BaseName(file));
    const auto& bytes = puzzle.GetMusicData();
    if (!platform::WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
      std::error_code ignored;
      fs::remove_all(m_folder, ignored);
      m_folder.clear();
      return;
    }
    m_path = path;
    m_embedded = true;
  }
  CRSSoundHandler::Instance().PlayFile(m_path, true, CRSSoundHandler::kChannelMusic);
}

CPuzzlePlayMusic::~CPuzzlePlayMusic() {
  if (!m_path.empty()) CRSSoundHandler::Instance().CloseFile(m_path);
  if (!m_folder.empty()) {
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
  }
}
