#pragma once
// Process-wide state that every part of the program may read, and the entry
// sequence that sets it up: the administrator flag and the seeded random
// generator. The program directory and the data folder are platform/paths.h.

#include <optional>
#include <string>
#include <string_view>

namespace app {

// True when the command line asked for administrator mode ("-admin").
bool IsAdministrator();
void SetAdministrator(bool on);

// True when an argument after the program's own path holds "-admin", in any
// case.
bool HasAdminSwitch(int argc, char** argv);

// The payload of the gift file named by the first argument that is not a
// switch; nothing when there is no such argument or the file carries no
// valid gift.
std::optional<std::string> ReadGiftArgument(int argc, char** argv);

// The puzzle this run plays as a gift: the program's own (a gift program
// carries it at the end of its file), else that of the gift file named on
// the command line, which the run hands over with SetGiftArgument before it
// makes the main window. Nothing when the run is the game itself.
std::optional<std::string> FindGiftOfThisRun();
void SetGiftArgument(std::optional<std::string> puzzleText);

// The picture named on the command line ("tandrill photo.jpg", as a file
// manager's "Open with" starts the game): the first argument that is not a
// switch and names an existing regular file that is not a gift program.
// Empty when there is none.
std::string FindPictureArgument(int argc, char** argv);

// The text that tells the player the data folder cannot take their files:
// "Your puzzles cannot be saved in FOLDER: REASON."
std::string CannotSaveText(const std::string& folder, const std::string& reason);

// The whole program: entry sequence, run, exit sequence. Returns the process
// exit code (0 after a normal end, -1 when a required library is missing).
int RunProgram(int argc, char** argv);

}  // namespace app
