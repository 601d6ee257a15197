#include "data/base64.h"

#include <array>
#include <bit>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint32_t kInvalid = 0xFFFFFFFFu;

// Two output characters for every 12-bit value, so the encoder does one
// table load per six bits of output pair instead of one per character.
struct PairTable {
  std::array<std::uint16_t, 4096> pairs{};
  constexpr PairTable() {
    for (int i = 0; i < 4096; ++i) {
      const auto hi = static_cast<std::uint16_t>(static_cast<unsigned char>(kAlphabet[i >> 6]));
      const auto lo = static_cast<std::uint16_t>(static_cast<unsigned char>(kAlphabet[i & 63]));
      // Stored so that a little-endian 16-bit store writes hi then lo.
      pairs[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(hi | (lo << 8));
    }
  }
};
constexpr PairTable kPairs;

// For each character its six bits already shifted into place for each of
// the four positions of a group; kInvalid for characters outside the
// alphabet. One OR of four loads both assembles 24 bits and, through the top
// bit, tells whether any character was invalid.
struct DecodeTables {
  std::array<std::array<std::uint32_t, 256>, 4> shifted{};
  std::array<std::int8_t, 256> value{};
  constexpr DecodeTables() {
    for (auto& row : shifted) row.fill(kInvalid);
    value.fill(-1);
    for (int i = 0; i < 64; ++i) {
      const auto c = static_cast<unsigned char>(kAlphabet[i]);
      value[c] = static_cast<std::int8_t>(i);
      shifted[0][c] = static_cast<std::uint32_t>(i) << 18;
      shifted[1][c] = static_cast<std::uint32_t>(i) << 12;
      shifted[2][c] = static_cast<std::uint32_t>(i) << 6;
      shifted[3][c] = static_cast<std::uint32_t>(i);
    }
  }
};
constexpr DecodeTables kDecode;

inline void Store16(char* out, std::uint16_t v) {
  // Byte order independent of the machine: low byte first.
  out[0] = static_cast<char>(v & 0xFF);
  out[1] = static_cast<char>(v >> 8);
}

}  // namespace

void Base64EncodeAppend(std::span<const std::uint8_t> bytes, std::string& out) {
  const std::size_t n = bytes.size();
  const std::size_t start = out.size();
  out.resize(start + (n + 2) / 3 * 4);
  char* o = out.data() + start;
  const std::uint8_t* s = bytes.data();
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // One unaligned 32-bit load and one 32-bit store per group; the load
    // reads one byte past the group, so stop while a whole word remains.
    for (; i + 4 <= n; i += 3, o += 4) {
      std::uint32_t word;
      std::memcpy(&word, s + i, 4);
      const std::uint32_t v = __builtin_bswap32(word) >> 8;
      const std::uint32_t chars =
          std::uint32_t(kPairs.pairs[v >> 12]) | (std::uint32_t(kPairs.pairs[v & 0xFFF]) << 16);
      std::memcpy(o, &chars, 4);
    }
  }
  for (; i + 3 <= n; i += 3, o += 4) {
    const std::uint32_t v = (std::uint32_t(s[i]) << 16) | (std::uint32_t(s[i + 1]) << 8) | s[i + 2];
    Store16(o, kPairs.pairs[v >> 12]);
    Store16(o + 2, kPairs.pairs[v & 0xFFF]);
  }
  if (n - i == 1) {
    const std::uint32_t v = std::uint32_t(s[i]) << 16;
    o[0] = kAlphabet[(v >> 18) & 63];
    o[1] = kAlphabet[(v >> 12) & 63];
    o[2] = '=';
    o[3] = '=';
  } else if (n - i == 2) {
    const std::uint32_t v = (std::uint32_t(s[i]) << 16) | (std::uint32_t(s[i + 1]) << 8);
    o[0] = kAlphabet[(v >> 18) & 63];
    o[1] = kAlphabet[(v >> 12) & 63];
    o[2] = kAlphabet[(v >> 6) & 63];
    o[3] = '=';
  }
}

std::string Base64Encode(std::span<const std::uint8_t> bytes) {
  std::string out;
  Base64EncodeAppend(bytes, out);
  return out;
}

std::string Base64Encode(std::string_view bytes) {
  return Base64Encode(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

void Base64DecodeAppend(std::string_view text, std::vector<std::uint8_t>& out) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  const std::size_t start = out.size();
  // At most three bytes for every four characters (plus a short last group).
  out.resize(start + n / 4 * 3 + 3);
  std::uint8_t* o = out.data() + start;
  std::size_t i = 0;
  for (;;) {
    // Fast path: four alphabet characters in a row make three bytes.
    while (i + 4 <= n) {
      const std::uint32_t v = kDecode.shifted[0][s[i]] | kDecode.shifted[1][s[i + 1]] |
                              kDecode.shifted[2][s[i + 2]] | kDecode.shifted[3][s[i + 3]];
      if (v & 0x80000000u) break;
      o[0] = static_cast<std::uint8_t>(v >> 16);
      o[1] = static_cast<std::uint8_t>(v >> 8);
      o[2] = static_cast<std::uint8_t>(v);
      o += 3;
      i += 4;
    }
    if (i >= n) break;
    // Slow path for one group: skip characters outside the alphabet, stop at
    // an "=" in the third or fourth place, or at the end of the text.
    std::uint32_t group = 0;
    int count = 0;
    bool ended = false;
    while (count < 4) {
      if (i >= n) {
        ended = true;
        break;
      }
      const unsigned char c = s[i++];
      const int v = kDecode.value[c];
      if (v >= 0) {
        group = (group << 6) | static_cast<std::uint32_t>(v);
        ++count;
      } else if (c == '=' && count >= 2) {
        ended = true;
        break;
      }
    }
    if (count == 4) {
      o[0] = static_cast<std::uint8_t>(group >> 16);
      o[1] = static_cast<std::uint8_t>(group >> 8);
      o[2] = static_cast<std::uint8_t>(group);
      o += 3;
    } else {
      // A short last group: two characters give one byte, three give two.
      group <<= 6 * (4 - count);
      if (count >= 2) *o++ = static_cast<std::uint8_t>(group >> 16);
      if (count >= 3) *o++ = static_cast<std::uint8_t>(group >> 8);
    }
    if (ended) break;
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
}

std::vector<std::uint8_t> Base64Decode(std::string_view text) {
  std::vector<std::uint8_t> out;
  Base64DecodeAppend(text, out);
  return out;
}

std::string Base64DecodeToString(std::string_view text) {
  std::vector<std::uint8_t> bytes = Base64Decode(text);
  return std::string(bytes.begin(), bytes.end());
}
