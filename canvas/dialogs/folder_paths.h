#pragma once
// Path arithmetic of the file dialogs. Paths are raw bytes, absolute, with
// "/" as the separator; folders are written without a trailing slash except
// the root "/". ".." is resolved by the text of the path, as the user reads
// it in the path segments, not by where a symbolic link happens to lead:
// Backspace in a linked folder goes back to where the user came from.

#include <string>
#include <string_view>
#include <vector>

// folder + "/" + name, without doubling the slash at the root.
std::string JoinPath(std::string_view folder, std::string_view name);

// The folder above; the root's parent is the root.
std::string ParentFolder(std::string_view folder);

// The last part of a path ("" for the root).
std::string_view LastPathPart(std::string_view path);

// Collapses repeated slashes, resolves "." and ".." and removes a trailing
// slash. A relative path is taken relative to `base`.
std::string NormalisePath(std::string_view path, std::string_view base);

// What the user typed into the path edit, made absolute: "~" and "~/…"
// start at home, other relative paths at the current folder.
std::string ResolveTypedPath(std::string_view typed, std::string_view currentFolder, std::string_view home);

// One clickable segment of the current folder: its label (the display form
// of its name; "/" for the root) and the folder it leads to.
struct CRSPathSegment {
  std::string label;
  std::string path;
};
std::vector<CRSPathSegment> PathSegments(std::string_view folder);
