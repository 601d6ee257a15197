#include "canvas/dialogs/start_folders.h"

#include <map>

#include "platform/folders.h"
#include "platform/user_dirs.h"

namespace {

// Dialogs live on the user-interface thread only, so the remembered folders
// need no lock.
std::map<CRSDialogKind, std::string>& Remembered() {
  static std::map<CRSDialogKind, std::string> folders;
  return folders;
}

}  // namespace

std::string GetDialogStartFolder(CRSDialogKind kind) {
  const auto it = Remembered().find(kind);
  if (it != Remembered().end() && platform::IsFolder(it->second)) return it->second;
  std::string first;
  if (kind == CRSDialogKind::kPicture) first = platform::GetSpecialFolderPath(platform::SpecialFolder::kPictures);
  if (kind == CRSDialogKind::kMusic) first = platform::GetSpecialFolderPath(platform::SpecialFolder::kMusic);
  if (!first.empty() && platform::IsFolder(first)) return first;
  const std::string home = platform::GetHomeFolder();
  if (platform::IsFolder(home)) return home;
  return "/";
}

void RememberDialogFolder(CRSDialogKind kind, const std::string& folder) {
  if (!folder.empty()) Remembered()[kind] = folder;
}

void ForgetDialogFolders() { Remembered().clear(); }
