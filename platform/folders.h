#pragma once
// Reading folders for the file dialogs: what a folder holds, what kind of
// thing each entry is, and how large it is.
//
// Names are kept twice. `name` holds the bytes exactly as the file system
// gave them, so a file whose name is not valid UTF-8 can still be opened;
// `displayName` is the same name made safe to show: bytes that are not UTF-8
// become U+FFFD and control characters (a newline in a name, say) become
// their visible pictures (U+2400 and on), so one entry is always one line.
//
// Symbolic links are never followed further than the one step the operating
// system takes when asked what a link leads to. A link that leads nowhere,
// or into a loop of links, is reported as a broken link rather than followed.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class EntryKind {
  kFolder,      // a folder, or a link that leads to one
  kFile,        // a plain file, or a link that leads to one
  kBrokenLink,  // a link whose target is missing, unreadable or a loop
  kOther,       // devices, sockets, pipes: shown but never opened
};

struct FolderEntry {
  std::string name;         // the raw bytes of the name
  std::string displayName;  // the name as it may be shown (see above)
  EntryKind kind = EntryKind::kOther;
  bool isLink = false;      // the entry itself is a symbolic link
  bool hidden = false;      // the name starts with a dot
  std::uint64_t size = 0;   // bytes, for files (and links to files)
  std::int64_t modified = 0;  // seconds since 1970, 0 when unknown
};

enum class FolderResult {
  kOk,
  kNotFound,      // the folder does not exist (or vanished)
  kNotAFolder,    // the path names something that is not a folder
  kAccessDenied,  // the folder exists but may not be read
  kTooManyEntries,  // the folder holds more than the limit; the first ones are listed
  kFailed,        // any other error of the operating system
};

// Folders holding more than this many entries are listed only this far, so
// a hostile or broken file system cannot make the dialog allocate without end.
inline constexpr std::size_t kMaxFolderEntries = 1000000;

// Lists the folder's entries (without "." and ".."), in the order the file
// system gives them. Entries that vanish while the folder is read are left
// out. On a failure other than kTooManyEntries `entries` is empty.
FolderResult ListFolder(const std::string& folder, std::vector<FolderEntry>& entries,
                        std::size_t maxEntries = kMaxFolderEntries);

// What one path is, following a symbolic link by one step as ListFolder
// does. kind is kBrokenLink for a dangling link; exists is false when there
// is nothing at the path at all.
struct PathInfo {
  bool exists = false;
  EntryKind kind = EntryKind::kOther;
  bool isLink = false;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // seconds since 1970
};
PathInfo GetPathInfo(const std::string& path);

bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);

// Reads a whole plain file (or a link to one), refusing anything larger
// than maxBytes. Pipes, devices and folders are refused without waiting: a
// file named "photo.jpg" that is really a pipe must not hang the reader.
// False on any failure; out is then empty.
bool ReadPlainFile(const std::string& path, std::size_t maxBytes, std::string& out);

// The name made safe to show (see the top of this file).
std::string DisplayName(std::string_view rawName);

// The text shown to the user for a failed listing.
const char* FolderResultText(FolderResult result);

}  // namespace platform
