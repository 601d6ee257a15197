// Checks that every built-in resource is compiled in, is found however its
// name is spelt, and holds what the program expects: the right format and
// size for pictures, mono 8-bit 22050 Hz PCM for sounds.

#include "platform/resources.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace {

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::uint32_t Be32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}
bool StartsWith(std::span<const std::uint8_t> b, const char* magic, std::size_t at = 0) {
  const std::size_t n = std::strlen(magic);
  return b.size() >= at + n && std::memcmp(b.data() + at, magic, n) == 0;
}

struct Size {
  int width = 0;
  int height = 0;
};

Size PngSize(std::span<const std::uint8_t> b) {
  if (!StartsWith(b, "\x89PNG\r\n\x1a\n") || !StartsWith(b, "IHDR", 12)) return {};
  return {static_cast<int>(Be32(b, 16)), static_cast<int>(Be32(b, 20))};
}

Size GifSize(std::span<const std::uint8_t> b) {
  if (!StartsWith(b, "GIF89a") && !StartsWith(b, "GIF87a")) return {};
  return {Le16(b, 6), Le16(b, 8)};
}

// Walks the JPEG markers to the start-of-frame, which holds the size.
Size JpegSize(std::span<const std::uint8_t> b) {
  if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return {};
  std::size_t at = 2;
  while (at + 9 < b.size()) {
    if (b[at] != 0xFF) return {};
    const std::uint8_t marker = b[at + 1];
    const std::size_t length = static_cast<std::size_t>(b[at + 2] << 8 | b[at + 3]);
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
      return {b[at + 7] << 8 | b[at + 8], b[at + 5] << 8 | b[at + 6]};
    at += 2 + length;
  }
  return {};
}

struct WaveFormat {
  int tag = 0, channels = 0, rate = 0, bits = 0;
  std::size_t dataBytes = 0;
};

// Reads the "fmt " and "data" chunks; the data must lie inside the file.
WaveFormat ReadWave(std::span<const std::uint8_t> b) {
  WaveFormat f;
  if (!StartsWith(b, "RIFF") || !StartsWith(b, "WAVE", 8)) return f;
  std::size_t at = 12;
  while (at + 8 <= b.size()) {
    const std::uint32_t size = Le32(b, at + 4);
    if (StartsWith(b, "fmt ", at) && size >= 16) {
      f.tag = Le16(b, at + 8);
      f.channels = Le16(b, at + 10);
      f.rate = static_cast<int>(Le32(b, at + 12));
      f.bits = Le16(b, at + 22);
    } else if (StartsWith(b, "data", at) && at + 8 + size <= b.size()) {
      f.dataBytes = size;
    }
    at += 8 + size + (size & 1);
  }
  return f;
}

struct Picture {
  const char* name;
  Size (*decode)(std::span<const std::uint8_t>);
  int width, height;
};

TEST(Resources, EveryPictureHasItsFormatAndSize) {
  const Picture pictures[] = {
      {"IMG_DEFAULT_BACKGROUND", JpegSize, 238, 179},  {"IMG_CATEGORY_FOLDER", GifSize, 16, 13},
      {"IMG_GALLERY_BACKGROUND", PngSize, 160, 160},   {"IMG_GALLERY_FRAME_BORDER", PngSize, 12, 8},
      {"IMG_GALLERY_FRAME_CORNER", PngSize, 22, 22},   {"IMG_GALLERY_FRAME_NAIL", PngSize, 17, 11},
  };
  for (const auto& p : pictures) {
    SCOPED_TRACE(p.name);
    const auto bytes = platform::FindResource("IMG", p.name);
    ASSERT_FALSE(bytes.empty());
    const Size size = p.decode(bytes);
    EXPECT_EQ(size.width, p.width);
    EXPECT_EQ(size.height, p.height);
  }
  const auto icon = platform::FindResource("ICON", "215");
  ASSERT_FALSE(icon.empty());
  EXPECT_GT(PngSize(icon).width, 15);
  EXPECT_EQ(PngSize(icon).width, PngSize(icon).height);
}

TEST(Resources, EverySoundIsAudibleMono8Bit22050) {
  const char* sounds[] = {"SOUND_BUTTON_CLICK.WAV", "SOUND_BUTTON_UP.WAV",    "SOUND_PIECE_UP.WAV",
                          "SOUND_PIECE_DOWN.WAV",   "SOUND_PIECE_ROTATE.WAV", "SOUND_PIECE_CONNECT.WAV",
                          "SOUND_PUZZLE_COMPLETE.WAV"};
  for (const char* name : sounds) {
    SCOPED_TRACE(name);
    const auto bytes = platform::FindResource("SOUND", name);
    ASSERT_FALSE(bytes.empty());
    const WaveFormat f = ReadWave(bytes);
    EXPECT_EQ(f.tag, 1);  // PCM
    EXPECT_EQ(f.channels, 1);
    EXPECT_EQ(f.rate, 22050);
    EXPECT_EQ(f.bits, 8);
    // At least 20 ms of sound, and not all of it silence (128 in 8-bit PCM).
    ASSERT_GE(f.dataBytes, 441u);
    int loudest = 0;
    for (std::uint8_t sample : bytes.last(f.dataBytes)) loudest = std::max(loudest, std::abs(sample - 128));
    EXPECT_GT(loudest, 16);
  }
}

TEST(Resources, LookupIgnoresCaseButNotTypeOrName) {
  const auto upper = platform::FindResource("SOUND", "SOUND_PIECE_UP.WAV");
  const auto lower = platform::FindResource("sound", "sound_piece_up.wav");
  ASSERT_FALSE(upper.empty());
  EXPECT_EQ(upper.data(), lower.data());
  EXPECT_EQ(upper.size(), lower.size());

  // A resource is found only under its own type, and only by its whole name.
  EXPECT_TRUE(platform::FindResource("IMG", "SOUND_PIECE_UP.WAV").empty());
  EXPECT_TRUE(platform::FindResource("SOUND", "SOUND_PIECE_UP").empty());
  EXPECT_TRUE(platform::FindResource("SOUND", "SOUND_PIECE_UP.WAV2").empty());
  EXPECT_TRUE(platform::FindResource("", "").empty());
  EXPECT_TRUE(platform::FindResource("ICON", "216").empty());
}

}  // namespace
