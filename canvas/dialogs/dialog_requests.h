#pragma once
// What the game asks of its open, save and colour dialogs.

#include <string>
#include <vector>

#include "canvas/dialogs/file_filter.h"
#include "canvas/dialogs/start_folders.h"
#include "platform/types.h"

struct CRSOpenFileRequest {
  std::string title;                   // "Open Puzzle Image:", …
  std::vector<CRSFileFilter> filters;  // shown in this order
  int filterIndex = 0;                 // the filter chosen at first
  std::string initialFolder;           // empty: where this kind of dialog was last
  CRSDialogKind kind = CRSDialogKind::kOther;
};

struct CRSSaveFileRequest {
  std::string title;  // "Save Puzzle Gift:"
  std::vector<CRSFileFilter> filters;
  int filterIndex = 0;
  std::string defaultExtension;  // added to a typed name without one ("exe")
  std::string proposedName;      // the name edit's first content
  std::string initialFolder;
  bool overwritePrompt = true;   // ask before replacing an existing file
  CRSDialogKind kind = CRSDialogKind::kOther;
};

struct CRSColourRequest {
  std::string title = "Color";
  ARGB initial = 0xFFFFFFFF;  // preselected; its alpha is ignored
};
