#include "platform/user_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/folders.h"

namespace platform {

namespace {

// The settings file is a few hundred bytes; anything far larger is not one.
constexpr std::size_t kMaxSettingsBytes = 64 * 1024;

struct FolderKey {
  SpecialFolder id;
  const char* label;
  const char* key;        // null for home and root
  const char* fallback;   // the folder under home when the key is missing
};

constexpr FolderKey kFolderKeys[] = {
    {SpecialFolder::kHome, "Home", nullptr, nullptr},
    {SpecialFolder::kDesktop, "Desktop", "XDG_DESKTOP_DIR", "Desktop"},
    {SpecialFolder::kPictures, "Pictures", "XDG_PICTURES_DIR", "Pictures"},
    {SpecialFolder::kMusic, "Music", "XDG_MUSIC_DIR", "Music"},
    {SpecialFolder::kDocuments, "Documents", "XDG_DOCUMENTS_DIR", "Documents"},
    {SpecialFolder::kDownloads, "Downloads", "XDG_DOWNLOAD_DIR", "Downloads"},
    {SpecialFolder::kRoot, "File System", nullptr, nullptr},
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Unquotes a value and resolves its escapes; false when it is not quoted.
bool Unquote(std::string_view value, std::string& out) {
  if (value.size() < 2 || value.front() != '"') return false;
  out.clear();
  for (std::size_t i = 1; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '"') return Trim(value.substr(i + 1)).empty() || Trim(value.substr(i + 1)).front() == '#';
    if (c == '\\' && i + 1 < value.size()) {
      out += value[++i];
      continue;
    }
    out += c;
  }
  return false;  // no closing quote
}

const FolderKey& KeyOf(SpecialFolder id) {
  for (const FolderKey& k : kFolderKeys)
    if (k.id == id) return k;
  return kFolderKeys[0];
}

}  // namespace

std::string GetHomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return StripTrailingSlashes(home);
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
    return StripTrailingSlashes(pw->pw_dir);
  return "/";
}

std::string GetUserDirsFile() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return StripTrailingSlashes(config) + "/user-dirs.dirs";
  return GetHomeFolder() + "/.config/user-dirs.dirs";
}

std::string ParseUserDir(std::string_view text, std::string_view key, const std::string& home) {
  std::string result;
  // Later lines override earlier ones, as the shell that sources the file
  // would have it.
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.substr(0, key.size()) != key) continue;
    std::string_view rest = Trim(line.substr(key.size()));
    if (rest.empty() || rest.front() != '=') continue;
    std::string value;
    if (!Unquote(Trim(rest.substr(1)), value)) continue;
    if (value == "$HOME" || value.rfind("$HOME/", 0) == 0) {
      value = (home == "/" ? std::string() : home) + value.substr(5);
      if (value.empty()) value = "/";
    } else if (value.empty() || value.front() != '/') {
      continue;  // relative paths are not allowed in this file
    }
    result = StripTrailingSlashes(value);
  }
  return result;
}

std::string GetSpecialFolderPath(SpecialFolder id) {
  const std::string home = GetHomeFolder();
  if (id == SpecialFolder::kHome) return home;
  if (id == SpecialFolder::kRoot) return "/";
  const FolderKey& k = KeyOf(id);
  std::string text;
  const bool haveSettings = ReadPlainFile(GetUserDirsFile(), kMaxSettingsBytes, text);
  std::string path = haveSettings ? ParseUserDir(text, k.key, home) : std::string();
  if (path.empty()) path = (home == "/" ? std::string() : home) + "/" + k.fallback;
  // The desktop's way of saying "no such folder" is to point it at home.
  if (path == home) return std::string();
  return path;
}

std::vector<SpecialFolderEntry> GetSpecialFolders() {
  std::vector<SpecialFolderEntry> out;
  for (const FolderKey& k : kFolderKeys) {
    const std::string path = GetSpecialFolderPath(k.id);
    if (path.empty() || !IsFolder(path)) continue;
    bool repeated = false;
    for (const SpecialFolderEntry& e : out) repeated = repeated || e.path == path;
    if (repeated && k.id != SpecialFolder::kRoot) continue;
    out.push_back({k.id, k.label, path});
  }
  return out;
}

}  // namespace platform
