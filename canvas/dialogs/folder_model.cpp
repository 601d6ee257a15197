#include "canvas/dialogs/folder_model.h"

#include <algorithm>
#include <cstdio>

#include "canvas/dialogs/file_filter.h"
#include "canvas/dialogs/folder_paths.h"
#include "canvas/dialogs/natural_sort.h"

using platform::EntryKind;

void SortEntries(std::vector<platform::FolderEntry>& entries) {
  std::sort(entries.begin(), entries.end(),
            [](const platform::FolderEntry& a, const platform::FolderEntry& b) { return NaturalLess(a.name, b.name); });
}

void BuildVisibleRows(const std::vector<platform::FolderEntry>& entries, const std::vector<std::string>& patterns,
                      bool showHidden, std::vector<CRSFolderRow>& rows) {
  // The entries are in order already, so rows keep it: one pass for the
  // folders, one for the files, and no sorting when the filter changes.
  rows.clear();
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i].kind == EntryKind::kFolder && (showHidden || !entries[i].hidden)) rows.push_back({i, true});
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const platform::FolderEntry& e = entries[i];
    if (e.hidden && !showHidden) continue;
    if ((e.kind == EntryKind::kFile || e.kind == EntryKind::kBrokenLink) && MatchesFilter(e.name, patterns))
      rows.push_back({i, false});
  }
}

std::string FormatFileSize(std::uint64_t bytes) {
  if (bytes == 1) return "1 byte";
  if (bytes < 1024) return std::to_string(bytes) + " bytes";
  static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  // Rounding decides the unit: 1023.96 KB is shown as "1.0 MB", not "1024 KB".
  while (unit < 5 && value >= 1023.5) value /= 1024, ++unit;
  char text[32];
  if (value < 9.95) {
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  } else {
    std::snprintf(text, sizeof text, "%.0f %s", value, kUnits[unit]);
  }
  return text;
}

platform::FolderResult CRSFolderModel::SetFolder(const std::string& folder) {
  std::vector<platform::FolderEntry> entries;
  const platform::FolderResult result = platform::ListFolder(folder, entries);
  SortEntries(entries);
  SetListing(folder, result, std::move(entries));
  return result;
}

void CRSFolderModel::SetListing(const std::string& folder, platform::FolderResult result,
                                std::vector<platform::FolderEntry> sortedEntries) {
  m_folder = folder;
  m_result = result;
  m_message = platform::FolderResultText(result);
  m_entries = std::move(sortedEntries);
  Rebuild();
}

void CRSFolderModel::SetPatterns(std::vector<std::string> patterns) {
  if (patterns == m_patterns) return;
  m_patterns = std::move(patterns);
  Rebuild();
}

void CRSFolderModel::SetShowHidden(bool show) {
  if (show == m_showHidden) return;
  m_showHidden = show;
  Rebuild();
}

void CRSFolderModel::Rebuild() { BuildVisibleRows(m_entries, m_patterns, m_showHidden, m_rows); }

std::string CRSFolderModel::PathOfRow(int row) const { return JoinPath(m_folder, EntryOfRow(row).name); }

int CRSFolderModel::FindRow(std::string_view rawName) const {
  for (std::size_t r = 0; r < m_rows.size(); ++r)
    if (m_entries[m_rows[r].entry].name == rawName) return static_cast<int>(r);
  return -1;
}
