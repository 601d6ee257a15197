// Feeds arbitrary bytes to the gift finder as the end of a program file: a
// gift is a stranger's file, and its trailer decides how much is read. What
// is found must be exactly the bytes a trailer vouches for; bytes given a
// correct trailer must always be found again.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/program_payload.h"

namespace {

const std::string& FilePath() {
  // In memory where the system has a RAM folder: one file write per run.
  static const std::string path = [] {
    for (const char* base : {"/dev/shm", "/tmp"}) {
      std::string name = std::string(base) + "/tandrill_payload_fuzz_XXXXXX";
      const int fd = mkstemp(name.data());
      if (fd >= 0) {
        close(fd);
        return name;
      }
    }
    std::abort();
  }();
  return path;
}

void Write(const std::string& bytes) {
  std::FILE* f = std::fopen(FilePath().c_str(), "wb");
  if (!f) std::abort();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Write(bytes);
  if (auto found = platform::ReadPayload(FilePath())) {
    if (found->size() + platform::kPayloadTrailerSize > bytes.size()) std::abort();
    const std::size_t start = bytes.size() - platform::kPayloadTrailerSize - found->size();
    if (bytes.compare(start, found->size(), *found) != 0) std::abort();
  }
  // The same bytes as a program with a gift appended by the game itself.
  Write("program");
  if (!platform::AppendPayload(FilePath(), bytes)) std::abort();
  auto back = platform::ReadPayload(FilePath());
  if (!back || *back != bytes) std::abort();
  return 0;
}
