#pragma once
// The filter lists of the file dialogs: pairs of a label shown in the
// dialog's choice list and a pattern list such as "*.JPG;*.JPEG". Patterns
// use "*" (any run of characters) and "?" (any one character) and are
// compared without regard to ASCII case, so "*.JPG" matches "photo.jpg".
// "*.*" matches every name, with or without a dot, as users expect of it.

#include <string>
#include <string_view>
#include <vector>

struct CRSFileFilter {
  std::string label;
  std::string pattern;
};

// The patterns of one filter, split at ";" with blanks around each removed;
// empty patterns are dropped.
std::vector<std::string> SplitFilterPattern(std::string_view pattern);

// True when the name (a file name, not a path) matches one glob pattern.
bool MatchesGlob(std::string_view name, std::string_view glob);

// True when the name matches any pattern of the list. An empty list matches
// everything, so a dialog opened without filters shows every file.
bool MatchesFilter(std::string_view name, const std::vector<std::string>& patterns);

// The filter lists the game's dialogs use.
const std::vector<CRSFileFilter>& ImageFileFilters();  // pictures, "All Image Files" first
const std::vector<CRSFileFilter>& MusicFileFilters();  // "Audio Files (*.WAV;*.MID;*.RMI)"
const std::vector<CRSFileFilter>& GiftFileFilters();   // "Applications files (*.exe)"
