#pragma once
// Bytes carried at the end of a program file. A gift puzzle is a copy of the
// game with the puzzle appended and a fixed-size trailer after it:
//
//   [program][payload][length: 8 bytes LE][checksum: 8 bytes LE][magic: 16 bytes]
//
// The loader ignores what follows the program's own image, so the copy still
// runs; the program finds its payload by reading its own file's end. The
// file may come from a stranger: the trailer is believed only when the
// magic matches, the length fits inside the file and under a limit, and the
// checksum of the bytes read matches.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::string_view kPayloadMagic = std::string_view("TandrillGift\x01\x00\x00\x00", 16);
inline constexpr std::size_t kPayloadTrailerSize = 32;
// No puzzle comes near this: a picture of the largest screen and a megabyte
// of music, Base64 encoded, stay well below it.
inline constexpr std::uint64_t kMaxPayloadBytes = 256ull * 1024 * 1024;

// FNV-1a over the bytes: cheap, and enough to tell a damaged or cut file.
std::uint64_t PayloadChecksum(std::string_view bytes);

// Appends the payload and its trailer to the file. False on any failure.
bool AppendPayload(const std::string& programPath, std::string_view payload);

// The payload at the end of the file, or nothing when the file has no sound
// trailer (no magic, a length past the file or over the limit, a checksum
// that does not match, a read error).
std::optional<std::string> ReadPayload(const std::string& programPath);

}  // namespace platform
