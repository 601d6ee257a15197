#include "canvas/dialogs/file_filter.h"

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<std::string> SplitFilterPattern(std::string_view pattern) {
  std::vector<std::string> out;
  while (true) {
    const std::size_t semi = pattern.find(';');
    const std::string_view part = TrimBlanks(pattern.substr(0, semi));
    if (!part.empty()) out.emplace_back(part);
    if (semi == std::string_view::npos) break;
    pattern.remove_prefix(semi + 1);
  }
  return out;
}

bool MatchesGlob(std::string_view name, std::string_view glob) {
  if (glob == "*.*" || glob == "*") return true;
  // Iterative matching with one remembered star: linear in practice and
  // never recursive, so a pattern full of stars cannot blow the stack.
  std::size_t n = 0, g = 0;
  std::size_t starG = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (g < glob.size() && glob[g] == '*') {
      starG = g++;
      starN = n;
    } else if (g < glob.size() && (glob[g] == '?' || Lower(glob[g]) == Lower(name[n]))) {
      ++g;
      ++n;
    } else if (starG != std::string_view::npos) {
      g = starG + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (g < glob.size() && glob[g] == '*') ++g;
  return g == glob.size();
}

bool MatchesFilter(std::string_view name, const std::vector<std::string>& patterns) {
  if (patterns.empty()) return true;
  for (const std::string& p : patterns)
    if (MatchesGlob(name, p)) return true;
  return false;
}

const std::vector<CRSFileFilter>& ImageFileFilters() {
  static const std::vector<CRSFileFilter> filters = {
      {"All Image Files", "*.BMP;*.DIB;*.RLE;*.GIF;*.JPG;*.JPEG;*.PNG;*.TIF"},
      {"Bitmap Images (*.BMP;*.RLE)", "*.BMP;*.RLE"},
      {"Device Independent Bitmap (*.DIB)", "*.DIB"},
      {"Graphics Interchange Format Images (*.GIF)", "*.GIF"},
      {"Joint Photographic Expert Group Images (*.JPG;*.JPEG)", "*.JPG;*.JPEG"},
      {"Portable Network Graphics Images (*.PNG)", "*.PNG"},
      {"TIFF Images (*.TIF)", "*.TIF"},
      {"All files (*.*)", "*.*"},
  };
  return filters;
}

const std::vector<CRSFileFilter>& MusicFileFilters() {
  static const std::vector<CRSFileFilter> filters = {
      {"Audio Files (*.WAV;*.MID;*.RMI)", "*.WAV;*.MID;*.RMI"},
  };
  return filters;
}

const std::vector<CRSFileFilter>& GiftFileFilters() {
  static const std::vector<CRSFileFilter> filters = {
      {"Applications files (*.exe)", "*.exe"},
  };
  return filters;
}
