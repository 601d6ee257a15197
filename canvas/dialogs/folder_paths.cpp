#include "canvas/dialogs/folder_paths.h"

#include "platform/folders.h"

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (out.empty() || out.back() != '/') out += '/';
  out.append(name);
  return out;
}

std::string ParentFolder(std::string_view folder) {
  const std::string norm = NormalisePath(folder, "/");
  const std::size_t slash = norm.rfind('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return norm.substr(0, slash);
}

std::string_view LastPathPart(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  if (path == "/") return std::string_view();
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string NormalisePath(std::string_view path, std::string_view base) {
  std::vector<std::string_view> parts;
  auto take = [&parts](std::string_view p) {
    while (!p.empty()) {
      const std::size_t slash = p.find('/');
      const std::string_view part = p.substr(0, slash);
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      if (slash == std::string_view::npos) break;
      p.remove_prefix(slash + 1);
    }
  };
  if (path.empty() || path.front() != '/') take(base);
  take(path);
  std::string out;
  for (std::string_view part : parts) {
    out += '/';
    out.append(part);
  }
  return out.empty() ? std::string("/") : out;
}

std::string ResolveTypedPath(std::string_view typed, std::string_view currentFolder, std::string_view home) {
  while (!typed.empty() && (typed.front() == ' ' || typed.front() == '\t')) typed.remove_prefix(1);
  while (!typed.empty() && (typed.back() == ' ' || typed.back() == '\t' || typed.back() == '\r' ||
                            typed.back() == '\n'))
    typed.remove_suffix(1);
  if (typed.empty()) return NormalisePath(currentFolder, "/");
  if (typed == "~") return NormalisePath(home, "/");
  if (typed.substr(0, 2) == "~/") return NormalisePath(typed.substr(2), home);
  return NormalisePath(typed, currentFolder);
}

std::vector<CRSPathSegment> PathSegments(std::string_view folder) {
  const std::string norm = NormalisePath(folder, "/");
  std::vector<CRSPathSegment> out;
  out.push_back({"/", "/"});
  std::size_t pos = 1;
  while (pos < norm.size()) {
    std::size_t slash = norm.find('/', pos);
    if (slash == std::string::npos) slash = norm.size();
    out.push_back({platform::DisplayName(std::string_view(norm).substr(pos, slash - pos)), norm.substr(0, slash)});
    pos = slash + 1;
  }
  return out;
}
