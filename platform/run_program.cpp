#include "platform/run_program.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace platform {

int RunProgram(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return -1;
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (!WIFEXITED(status)) return -1;
  // The shell's "command not found" when the program is a script whose
  // interpreter is missing counts as not started.
  const int code = WEXITSTATUS(status);
  return code == 127 ? -1 : code;
}

}  // namespace platform
