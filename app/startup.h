#pragma once
// Process-wide state that every part of the program may read, and the entry
// sequence that sets it up: the administrator flag, the program directory and
// the seeded random generator.

#include <string>
#include <string_view>

namespace app {

// True when the command line asked for administrator mode ("-admin").
bool IsAdministrator();
void SetAdministrator(bool on);

// True when the joined command line holds "-admin" anywhere, in any case.
bool CommandLineHasAdminSwitch(std::string_view commandLine);

// The folder of the running program, normalised (see NormaliseDirectory);
// computed on first call and kept for the life of the process.
const std::string& GetProgramDirectory();

// Every back-slash becomes a slash, runs of separators collapse into one, and
// the result ends with exactly one slash.
std::string NormaliseDirectory(std::string_view directory);

// The directory part of a program path (up to its last separator).
std::string DirectoryOf(std::string_view programPath);

// The whole program: entry sequence, run, exit sequence. Returns the process
// exit code (0 after a normal end, -1 when a required library is missing).
int RunProgram(int argc, char** argv);

}  // namespace app
