#pragma once
// Where the program's own files and the player's files live.
//
// The program directory is the folder of the running executable; it holds
// only what ships with the program (the gift template, the help file). The
// data folder holds what the player makes: the library file and the puzzle
// files. Keeping the two apart lets the game run from a read-only install
// and means rebuilding or reinstalling never touches a player's puzzles.

#include <string>
#include <string_view>

namespace platform {

// Every back-slash becomes a slash, runs of separators collapse into one, and
// the result ends with exactly one slash.
std::string NormaliseDirectory(std::string_view directory);

// The directory part of a program path (up to its last separator).
std::string DirectoryOf(std::string_view programPath);

// The full path of the running executable, read from /proc/self/exe; empty
// when it cannot be read.
std::string GetProgramPath();

// The folder of the running program, normalised (see NormaliseDirectory);
// computed on first call and kept for the life of the process.
const std::string& GetProgramDirectory();

// The player's data folder, normalised, ending in one slash:
// $TANDRILL_DATA_DIR when set and not empty, else $XDG_DATA_HOME/tandrill,
// else ~/.local/share/tandrill. Read from the environment on every call (so
// tests can point it elsewhere) and created when missing; a folder that
// cannot be created is still returned, and writes into it fail as writes do.
std::string GetDataDirectory();

// --- a data folder that cannot take the player's files -----------------------
//
// A folder that is read-only, full, or a file in place of a folder does not
// stop the game: it starts and plays, and the player is told once per run
// that their puzzles cannot be saved and where. The first problem of a run
// reaches the handler the program installs; every later one is dropped, so a
// session of failed saves shows one box, not one per save.

// Receives the data folder (without its final slash) and the reason in the
// system's words ("Permission denied", "No space left on device").
using DataFolderProblemHandler = void (*)(const std::string& folder, const std::string& reason);
// Null restores the default, a line on standard error.
void SetDataFolderProblemHandler(DataFolderProblemHandler handler);

// Reports a problem with the data folder; only the first of a run is passed
// on. Call on the user-interface thread, where the program's saves run.
void ReportDataFolderProblem(const std::string& reason);

// A write of `path` failed with the system error `error`: reported as a
// problem of the data folder when `path` lies inside it; writes elsewhere (a
// gift saved where the player chose, a temporary file) are not the data
// folder's problem.
void ReportWriteFailure(const std::string& path, int error);

// True once a problem has been reported in this run.
bool WasDataFolderProblemReported();
void ResetDataFolderProblemForTesting();

}  // namespace platform
