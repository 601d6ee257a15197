#pragma once
// Runs another program and waits for it: the mail hand-over uses it.

#include <string>
#include <vector>

namespace platform {

// The exit code when the program ran to its end. -1 when it could not be
// started (not on PATH, not executable) or did not end normally.
int RunProgram(const std::vector<std::string>& arguments);

}  // namespace platform
