#include "canvas/dialogs/save_name.h"

#include "canvas/dialogs/folder_paths.h"
#include "platform/folders.h"

std::string ApplyDefaultExtension(std::string_view name, std::string_view ext) {
  std::string out(name);
  while (!ext.empty() && ext.front() == '.') ext.remove_prefix(1);
  if (ext.empty()) return out;
  const std::string_view last = LastPathPart(name);
  const std::size_t dot = last.rfind('.');
  if (dot != std::string_view::npos && dot > 0 && dot + 1 < last.size()) return out;
  if (out.empty() || out.back() != '.') out += '.';
  out.append(ext);
  return out;
}

CRSSaveTarget CheckSaveTarget(std::string_view folder, std::string_view typedName, std::string_view defaultExt,
                              std::string_view home) {
  CRSSaveTarget target;
  std::string_view name = typedName;
  while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  const std::string_view last = LastPathPart(name);
  if (name.empty() || name.back() == '/' || last.empty() || last == "." || last == "..") {
    // A typed folder is still worth opening, even though nothing is saved.
    const std::string where = ResolveTypedPath(name, folder, home);
    if (!name.empty() && platform::IsFolder(where)) {
      target.check = CRSSaveCheck::kIsFolder;
      target.path = where;
    }
    return target;
  }
  const std::string plain = ResolveTypedPath(name, folder, home);
  // A typed name that is an existing folder opens it, extension or not.
  if (platform::IsFolder(plain)) {
    target.check = CRSSaveCheck::kIsFolder;
    target.path = plain;
    return target;
  }
  target.path = ResolveTypedPath(ApplyDefaultExtension(name, defaultExt), folder, home);
  const platform::PathInfo info = platform::GetPathInfo(target.path);
  if (info.exists && info.kind == platform::EntryKind::kFolder) {
    target.check = CRSSaveCheck::kIsFolder;
  } else if (info.exists) {
    // A broken link of that name counts too: saving would replace it.
    target.check = CRSSaveCheck::kExists;
  } else if (!platform::IsFolder(ParentFolder(target.path))) {
    target.check = CRSSaveCheck::kNoFolder;
  } else {
    target.check = CRSSaveCheck::kNew;
  }
  return target;
}

std::string OverwriteQuestion(std::string_view rawName) {
  return platform::DisplayName(rawName) + " already exists.\nDo you want to replace it?";
}
