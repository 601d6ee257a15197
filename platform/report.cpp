#include "platform/report.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace platform {
namespace {

struct ReportFile {
  ReportFile() {
    const char* path = std::getenv("TANDRILL_REPORT");
    if (path && *path) file = std::fopen(path, "a");
  }
  ~ReportFile() {
    if (file) std::fclose(file);
  }
  std::FILE* file = nullptr;
  std::mutex lock;
};

ReportFile& Report() {
  static ReportFile report;
  return report;
}

}  // namespace

bool IsReporting() { return Report().file != nullptr; }

namespace {

// One report line per line given: line breaks inside are written as "\n".
void AppendEscaped(std::string& out, std::string_view line) {
  for (char c : line) {
    if (c == '\n') {
      out += "\\n";
    } else if (c != '\r') {
      out += c;
    }
  }
  out += '\n';
}

void Write(ReportFile& report, const std::string& text) {
  std::lock_guard guard(report.lock);
  std::fwrite(text.data(), 1, text.size(), report.file);
  std::fflush(report.file);
}

}  // namespace

void ReportLine(std::string_view line) {
  ReportFile& report = Report();
  if (!report.file) return;
  std::string text;
  text.reserve(line.size() + 1);
  AppendEscaped(text, line);
  Write(report, text);
}

void ReportLines(const std::vector<std::string>& lines) {
  ReportFile& report = Report();
  if (!report.file || lines.empty()) return;
  std::string text;
  for (const std::string& line : lines) AppendEscaped(text, line);
  Write(report, text);
}

}  // namespace platform
