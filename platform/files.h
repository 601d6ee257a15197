#pragma once
// Files the program writes for itself: whole-file writes that never leave a
// half-written file behind, folder creation and removal, and the mapping of
// names chosen by users (or by strangers, in gift puzzles) to file names.

#include <string>
#include <string_view>

namespace platform {

// Writes bytes to path through a temporary file in the same folder that is
// flushed to the disk and then renamed over the old file, after which the
// folder is synced too, so a crash or a full disk leaves either the old file
// or the new one, never a mixture. A replaced file keeps its permissions; a
// new one gets those of the process's umask. False on any failure; the old
// file is then untouched, except when only the final folder sync failed
// (the new file is in place, but may not survive a crash).
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Creates the folder (and its parents) when missing. True when it exists
// afterwards; a plain file of that name is a failure.
bool EnsureDirectory(const std::string& path);

// Removes one plain file. False when it was not there or could not be
// removed; folders are never removed.
bool RemoveFile(const std::string& path);

// Reads a whole file, refusing files larger than maxBytes. False when it
// cannot be read or is too large; out is then empty.
bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& out);

// Why the file cannot be read to its end, as the system's error number
// (ENOENT when there is no such file, ENOTDIR when a folder on its path is
// a file, EACCES, EISDIR, EIO), or 0 when it can be read whole. The file is
// read through to find a failing block; use it to explain a failure, not
// in front of every read.
int FileReadError(const std::string& path);

// A file name stem for a name of the user's: the same name always gives the
// same stem, and two different names never give the same one. Path
// separators, control characters, "%" and "~" are written as "%XX"; a
// leading dot is escaped too, so no stem is ".", ".." or hidden. An empty
// name becomes "%". Very long names are shortened and end in "~" and a hash
// of the whole name, so the file name stays within what file systems take.
std::string SafeFileStem(std::string_view name);

}  // namespace platform
