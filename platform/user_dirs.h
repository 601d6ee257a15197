#pragma once
// The user's special folders, as the desktop names them in the XDG user-dirs
// settings ($XDG_CONFIG_HOME/user-dirs.dirs, else ~/.config/user-dirs.dirs).
//
// The settings file is a list of lines such as
//   XDG_PICTURES_DIR="$HOME/Pictures"
// whose values are quoted, either absolute or starting with "$HOME/". A key
// that is missing falls back to the usual English folder under home; a key
// set to home itself means the desktop has no such folder. Only folders that
// exist are offered.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class SpecialFolder { kHome, kDesktop, kPictures, kMusic, kDocuments, kDownloads, kRoot };

struct SpecialFolderEntry {
  SpecialFolder id = SpecialFolder::kHome;
  std::string label;  // "Home", "Desktop", …, "File System"
  std::string path;   // absolute, without a trailing slash (except "/")
};

// The user's home folder: $HOME when set and absolute, else the password
// database's entry; "/" when neither is known.
std::string GetHomeFolder();

// The settings file's path for the current environment.
std::string GetUserDirsFile();

// Reads the value the settings text gives for one key ("XDG_MUSIC_DIR"):
// the unquoted path with "$HOME" replaced by home and backslash escapes
// resolved. Empty when the key is missing or its value is not a path.
std::string ParseUserDir(std::string_view settingsText, std::string_view key, const std::string& home);

// The path of one special folder, whether or not it exists; empty when the
// settings say there is none. Reads the settings file on every call.
std::string GetSpecialFolderPath(SpecialFolder id);

// Home, Desktop, Pictures, Music, Documents and Downloads (those that exist,
// in that order, without repeats), then the file system root.
std::vector<SpecialFolderEntry> GetSpecialFolders();

}  // namespace platform
