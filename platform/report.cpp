#include "platform/report.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

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

void ReportLine(std::string_view line) {
  ReportFile& report = Report();
  if (!report.file) return;
  std::lock_guard guard(report.lock);
  // One report line per call: line breaks inside are written as "\n".
  for (char c : line) {
    if (c == '\n') {
      std::fputs("\\n", report.file);
    } else if (c != '\r') {
      std::fputc(c, report.file);
    }
  }
  std::fputc('\n', report.file);
  std::fflush(report.file);
}

}  // namespace platform
