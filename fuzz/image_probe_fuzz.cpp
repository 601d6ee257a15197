// Feeds arbitrary bytes to the picture header probe that the open dialogs
// and the picture loader ask before any decoder runs. A probe must never
// read past the bytes; what it finds must be self-consistent, and a picture
// it lets through as small enough must really declare a small size.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/image_codec_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const platform::ImageProbe probe = platform::ProbeImage(std::span<const std::uint8_t>(data, size));
  if (probe.width < 0 || probe.height < 0 || probe.width > 0xFFFFFFFFll || probe.height > 0xFFFFFFFFll) std::abort();
  if (probe.orientation < 1 || probe.orientation > 8) std::abort();
  if (probe.type == platform::ImageType::kUnknown && (probe.width || probe.height)) std::abort();
  constexpr std::int64_t kLimit = 64ll * 1024 * 1024;
  if (platform::DeclaresAtMost(probe, kLimit) &&
      (probe.width == 0 || probe.height == 0 || probe.width * probe.height > kLimit)) {
    std::abort();
  }
  return 0;
}
