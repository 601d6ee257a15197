#pragma once
// The demo programs' report: a small text file an end-to-end script polls.
// It is replaced whole by a rename, so a script never reads half a report.

#include <cstdio>
#include <fstream>
#include <string>

namespace demo {

// Writes text to path when it differs from the last text written (kept in
// last).
inline void WriteReportIfChanged(const std::string& path, std::string& last, const std::string& text) {
  if (text == last) return;
  last = text;
  const std::string temp = path + ".tmp";
  {
    std::ofstream file(temp, std::ios::trunc);
    file << text;
  }
  std::rename(temp.c_str(), path.c_str());
}

}  // namespace demo
