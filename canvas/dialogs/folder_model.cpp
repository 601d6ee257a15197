#include "canvas/dialogs/folder_model.h"

#include <algorithm>
#include <cstdio>

#include "canvas/dialogs/file_filter.h"
#include "canvas/dialogs/folder_paths.h"
#include "canvas/dialogs/natural_sort.h"

using platform::EntryKind;

void BuildVisibleRows(const std::vector<platform::FolderEntry>& entries, const std::vector<std::string>& patterns,
                      bool showHidden, std::vector<CRSFolderRow>& rows) {
  rows.clear();
  std::vector<CRSFolderRow> files;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const platform::FolderEntry& e = entries[i];
    if (e.hidden && !showHidden) continue;
    if (e.kind == EntryKind::kFolder) {
      rows.push_back({i, true});
    } else if ((e.kind == EntryKind::kFile || e.kind == EntryKind::kBrokenLink) && MatchesFilter(e.name, patterns)) {
      files.push_back({i, false});
    }
  }
  auto byName = [&entries](const CRSFolderRow& a, const CRSFolderRow& b) {
    return NaturalLess(entries[a.entry].name, entries[b.entry].name);
  };
  std::sort(rows.begin(), rows.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  rows.insert(rows.end(), files.begin(), files.end());
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
  m_folder = folder;
  m_result = platform::ListFolder(folder, m_entries);
  m_message = platform::FolderResultText(m_result);
  Rebuild();
  return m_result;
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
