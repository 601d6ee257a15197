// Feeds arbitrary bytes to the sound-format sniffing that stands before the
// mixer's decoders (a gift carries its music). Both ways of reading (all the
// bytes at hand, or read on demand as from a file) must give the same answer,
// and an offset it finds for MIDI data lies inside the sound.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "platform/audio_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const platform::AudioFormat whole = platform::SniffAudioFormat(std::span<const std::uint8_t>(data, size));
  const platform::AudioByteReader read = [&](std::uint64_t offset, void* out, std::size_t count) -> std::size_t {
    if (offset >= size) return 0;
    const std::size_t n = std::min<std::uint64_t>(count, size - offset);
    if (n) std::memcpy(out, data + offset, n);
    return n;
  };
  if (platform::SniffAudioFormat(read, size) != whole) std::abort();
  const std::uint64_t midi = platform::MidiDataOffset(read, size);
  if (midi > size) std::abort();
  return 0;
}
