#pragma once
// A line-based report of what the program shows, for the end-to-end tests
// that drive the real game: when TANDRILL_REPORT names a file, every reported
// line is appended to it and flushed at once, so a test script can wait for
// a line (a room opened, a caption, a message box, piece positions) instead
// of waiting a fixed time or guessing from pixels. Without the variable,
// reporting costs one branch.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// True when TANDRILL_REPORT is set (read once).
bool IsReporting();

// Appends one line (a line end is added). Does nothing when not reporting.
void ReportLine(std::string_view line);
// Appends the lines together, with one write: a report of thousands of
// pieces then costs its text, not thousands of system calls.
void ReportLines(const std::vector<std::string>& lines);

}  // namespace platform
