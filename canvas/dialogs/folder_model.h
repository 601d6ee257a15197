#pragma once
// The list a file dialog shows: the current folder's entries as rows,
// folders first and then the files that match the chosen filter, each group
// in natural order without regard to case, hidden entries left out. The
// model reads the folder through platform/ and knows nothing of drawing; the
// dialog window draws its rows and the thumbnail service fills in pictures.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folders.h"

struct CRSFolderRow {
  std::size_t entry = 0;  // index into the model's entries
  bool isFolder = false;  // opens as a folder (also a link to a folder)
};

// Puts a listing in the order the list shows it (natural order of names).
void SortEntries(std::vector<platform::FolderEntry>& entries);

// Builds the visible rows of a sorted listing: folders (and links to
// folders) first, then files and broken links whose names match one of the
// patterns (all files for an empty list), each in the listing's order. Hidden entries are left out unless
// showHidden; devices and other special files are never shown.
void BuildVisibleRows(const std::vector<platform::FolderEntry>& entries, const std::vector<std::string>& patterns,
                      bool showHidden, std::vector<CRSFolderRow>& rows);

// A file size as the list shows it: "1 byte", "999 bytes", then one decimal
// below ten ("1.5 KB", "9.9 MB") and whole numbers above ("10 KB",
// "512 GB"), in steps of 1024.
std::string FormatFileSize(std::uint64_t bytes);

class CRSFolderModel {
 public:
  // Reads a folder and rebuilds the rows. On failure the rows are empty, the
  // folder still becomes current (so Backspace can leave it) and
  // GetMessage() says what went wrong.
  platform::FolderResult SetFolder(const std::string& folder);
  // Takes a listing read elsewhere (on a worker thread, say), already in
  // natural order.
  void SetListing(const std::string& folder, platform::FolderResult result,
                  std::vector<platform::FolderEntry> sortedEntries);
  // Reads the current folder again (after a file vanished, say).
  platform::FolderResult Refresh() { return SetFolder(m_folder); }

  // The filter's patterns ("*.JPG;*.PNG" split at ";"); rebuilds the rows.
  void SetPatterns(std::vector<std::string> patterns);
  void SetShowHidden(bool show);

  const std::string& GetFolder() const { return m_folder; }
  platform::FolderResult GetResult() const { return m_result; }
  // A short text for the dialog when the folder could not be read; empty
  // when it was read.
  const std::string& GetMessage() const { return m_message; }

  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  const std::vector<CRSFolderRow>& GetRows() const { return m_rows; }
  // The entry shown in a row; row must be in range.
  const platform::FolderEntry& EntryOfRow(int row) const { return m_entries[m_rows[row].entry]; }
  bool IsFolderRow(int row) const { return m_rows[row].isFolder; }
  // The full path (raw bytes) of a row's entry.
  std::string PathOfRow(int row) const;
  // The row showing the entry with this raw name, or -1.
  int FindRow(std::string_view rawName) const;

 private:
  void Rebuild();

  std::string m_folder;
  platform::FolderResult m_result = platform::FolderResult::kNotFound;
  std::string m_message;
  std::vector<platform::FolderEntry> m_entries;
  std::vector<std::string> m_patterns;
  bool m_showHidden = false;
  std::vector<CRSFolderRow> m_rows;
};
