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

}  // namespace platform
