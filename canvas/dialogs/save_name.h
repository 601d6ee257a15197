#pragma once
// The name rules of the save dialog: the default extension is added when
// the typed name has none, and the caller learns whether the target already
// exists so that it can ask before replacing it.

#include <string>
#include <string_view>

// The typed name with ".ext" added when its last part has no extension. A
// leading dot (a hidden name) is not an extension; a name ending in a dot
// gets the extension after that dot. An empty ext leaves the name as typed.
std::string ApplyDefaultExtension(std::string_view name, std::string_view ext);

enum class CRSSaveCheck {
  kNew,          // nothing there: save at once
  kExists,       // a file is there: ask before replacing it
  kIsFolder,     // a folder of that name: open it instead
  kInvalidName,  // empty, ".", ".." or ending in "/"
  kNoFolder,     // the folder it would go in does not exist
};

struct CRSSaveTarget {
  CRSSaveCheck check = CRSSaveCheck::kInvalidName;
  std::string path;  // the full path, default extension applied
};

// Works out where a typed name would be saved (relative to folder, "~" for
// home) and what is there now.
CRSSaveTarget CheckSaveTarget(std::string_view folder, std::string_view typedName, std::string_view defaultExt,
                              std::string_view home);

// The question asked before replacing: the name as shown, then
// " already exists.\nDo you want to replace it?".
std::string OverwriteQuestion(std::string_view rawName);
