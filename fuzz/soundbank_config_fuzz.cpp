// Feeds arbitrary bytes to the reader of the sound bank's download settings
// (soundbank.conf in the data folder) and, as a downloaded or damaged bank,
// to the bank probe. Settings are taken only whole: an address, a size and a
// checksum of 64 hexadecimal digits, and never a download larger than the
// size.

#include <stdlib.h>
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/library_check.h"
#include "platform/paths.h"
#include "platform/synth_library.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    for (const char* base : {"/dev/shm", "/tmp"}) {
      std::string name = std::string(base) + "/tandrill_soundbank_fuzz_XXXXXX";
      if (!mkdtemp(name.data())) continue;
      setenv("TANDRILL_DATA_DIR", name.c_str(), 1);
      unsetenv("TANDRILL_SOUNDBANK_URL");
      return name + "/";
    }
    std::abort();
  }();
  return folder;
}

void Write(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& folder = Folder();
  if (platform::GetDataDirectory() != folder) std::abort();
  Write(folder + app::kSoundBankConfigName, data, size);
  if (auto source = app::ReadSoundBankSource()) {
    if (source->url.empty() || source->sha256.size() != 64 || source->limits.maxBytes != source->size) std::abort();
    for (char c : source->sha256)
      if (!std::isxdigit(static_cast<unsigned char>(c)) || std::isupper(static_cast<unsigned char>(c))) std::abort();
  }
  Write(folder + "bank.sf2", data, size);
  (void)platform::ProbeSoundBank(folder + "bank.sf2");
  return 0;
}
