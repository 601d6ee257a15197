#include "platform/program_payload.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace platform {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void PutLittleEndian(char* out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t GetLittleEndian(const char* in) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[i]);
  return value;
}

}  // namespace

std::uint64_t PayloadChecksum(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

bool AppendPayload(const std::string& programPath, std::string_view payload) {
  if (payload.size() > kMaxPayloadBytes) return false;
  File file(std::fopen(programPath.c_str(), "ab"));
  if (!file) return false;
  char trailer[kPayloadTrailerSize];
  PutLittleEndian(trailer, payload.size());
  PutLittleEndian(trailer + 8, PayloadChecksum(payload));
  std::memcpy(trailer + 16, kPayloadMagic.data(), kPayloadMagic.size());
  if (std::fwrite(payload.data(), 1, payload.size(), file.get()) != payload.size()) return false;
  if (std::fwrite(trailer, 1, sizeof trailer, file.get()) != sizeof trailer) return false;
  return std::fclose(file.release()) == 0;
}

std::optional<std::string> ReadPayload(const std::string& programPath) {
  File file(std::fopen(programPath.c_str(), "rb"));
  if (!file) return std::nullopt;
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return std::nullopt;
  const long end = std::ftell(file.get());
  if (end < static_cast<long>(kPayloadTrailerSize)) return std::nullopt;
  char trailer[kPayloadTrailerSize];
  if (std::fseek(file.get(), end - static_cast<long>(kPayloadTrailerSize), SEEK_SET) != 0 ||
      std::fread(trailer, 1, sizeof trailer, file.get()) != sizeof trailer) {
    return std::nullopt;
  }
  if (std::memcmp(trailer + 16, kPayloadMagic.data(), kPayloadMagic.size()) != 0) return std::nullopt;
  const std::uint64_t length = GetLittleEndian(trailer);
  const std::uint64_t available = static_cast<std::uint64_t>(end) - kPayloadTrailerSize;
  // Checked against the file before anything is allocated, so a trailer
  // claiming gigabytes costs nothing.
  if (length > available || length > kMaxPayloadBytes) return std::nullopt;
  std::string payload(static_cast<std::size_t>(length), '\0');
  if (std::fseek(file.get(), static_cast<long>(available - length), SEEK_SET) != 0 ||
      std::fread(payload.data(), 1, payload.size(), file.get()) != payload.size()) {
    return std::nullopt;
  }
  if (PayloadChecksum(payload) != GetLittleEndian(trailer + 8)) return std::nullopt;
  return payload;
}

}  // namespace platform
