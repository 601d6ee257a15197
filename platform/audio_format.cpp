#include "platform/audio_format.h"

#include <array>
#include <cstring>
#include <vector>

namespace platform {
namespace {

// MIDI files are small; a bigger one is not worth parsing through.
constexpr std::uint64_t kMaxMidiBytes = 16u << 20;
// A WAV holds a handful of chunks before its data; stop looking after these.
constexpr int kMaxWaveChunks = 64;

std::uint32_t Le32(const std::uint8_t* b) {
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}
std::uint16_t Le16(const std::uint8_t* b) { return static_cast<std::uint16_t>(b[0] | b[1] << 8); }
std::uint32_t Be32(const std::uint8_t* b) {
  return static_cast<std::uint32_t>(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
}

bool ReadExact(const AudioByteReader& read, std::uint64_t offset, void* out, std::size_t count) {
  return read(offset, out, count) == count;
}

// Walks the chunks after "RIFF size WAVE" up to "data". The data chunk must
// end inside the file (a pad byte may be missing): a truncated file is
// refused rather than played with a click where it breaks off.
bool IsSoundWave(const AudioByteReader& read, std::uint64_t size) {
  std::uint64_t at = 12;
  bool haveFormat = false;
  for (int i = 0; i < kMaxWaveChunks && at + 8 <= size; ++i) {
    std::uint8_t head[8];
    if (!ReadExact(read, at, head, sizeof head)) return false;
    const std::uint64_t length = Le32(head + 4);
    if (std::memcmp(head, "fmt ", 4) == 0) {
      std::uint8_t fmt[16];
      if (length < sizeof fmt || !ReadExact(read, at + 8, fmt, sizeof fmt)) return false;
      const unsigned channels = Le16(fmt + 2);
      const std::uint32_t rate = Le32(fmt + 4);
      const unsigned bits = Le16(fmt + 14);
      if (channels < 1 || channels > 8 || rate < 1000 || rate > 384000 || bits < 4 || bits > 64) return false;
      haveFormat = true;
    } else if (std::memcmp(head, "data", 4) == 0) {
      return haveFormat && length > 0 && at + 8 + length <= size;
    }
    at += 8 + length + (length & 1);
  }
  return false;
}

// Reads a MIDI variable-length number (at most four bytes).
bool ReadVarLen(const std::vector<std::uint8_t>& t, std::size_t& at, std::uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= t.size()) return false;
    const std::uint8_t b = t[at++];
    value = value << 7 | (b & 0x7F);
    if (!(b & 0x80)) return true;
  }
  return false;
}

// Parses every event of one track: a track that does not parse to its end
// marks the file as garbage, whatever its header says.
bool IsMidiTrack(const std::vector<std::uint8_t>& t) {
  std::size_t at = 0;
  std::uint8_t status = 0;
  while (at < t.size()) {
    std::uint32_t delta;
    if (!ReadVarLen(t, at, delta) || at >= t.size()) return false;
    std::uint8_t b = t[at];
    if (b & 0x80) {
      ++at;
      status = b;
    } else if (status == 0 || status >= 0xF0) {
      return false;  // running status needs an earlier channel message
    }
    if (status == 0xFF) {
      if (at >= t.size()) return false;
      const std::uint8_t type = t[at++];
      std::uint32_t length;
      if (!ReadVarLen(t, at, length) || length > t.size() - at) return false;
      at += length;
      if (type == 0x2F) return true;  // end of track
      status = 0;
    } else if (status == 0xF0 || status == 0xF7) {
      std::uint32_t length;
      if (!ReadVarLen(t, at, length) || length > t.size() - at) return false;
      at += length;
      status = 0;
    } else if (status >= 0xF1) {
      return false;  // system common and real-time messages do not belong in files
    } else {
      const std::size_t dataBytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
      if (dataBytes > t.size() - at) return false;
      for (std::size_t i = 0; i < dataBytes; ++i)
        if (t[at + i] & 0x80) return false;
      at += dataBytes;
    }
  }
  return false;  // no end-of-track event
}

bool IsMidi(const AudioByteReader& read, std::uint64_t start, std::uint64_t size) {
  if (size - start > kMaxMidiBytes || size - start < 14) return false;
  std::uint8_t head[14];
  if (!ReadExact(read, start, head, sizeof head)) return false;
  if (std::memcmp(head, "MThd", 4) != 0 || Be32(head + 4) < 6) return false;
  const unsigned format = static_cast<unsigned>(head[8] << 8 | head[9]);
  const unsigned tracks = static_cast<unsigned>(head[10] << 8 | head[11]);
  const unsigned division = static_cast<unsigned>(head[12] << 8 | head[13]);
  if (format > 2 || tracks == 0 || division == 0) return false;
  std::uint64_t at = start + 8 + Be32(head + 4);
  unsigned found = 0;
  while (found < tracks && at + 8 <= size) {
    std::uint8_t chunk[8];
    if (!ReadExact(read, at, chunk, sizeof chunk)) return false;
    const std::uint64_t length = Be32(chunk + 4);
    if (at + 8 + length > size) return false;
    if (std::memcmp(chunk, "MTrk", 4) == 0) {
      std::vector<std::uint8_t> track(static_cast<std::size_t>(length));
      if (!ReadExact(read, at + 8, track.data(), track.size()) || !IsMidiTrack(track)) return false;
      ++found;
    }
    at += 8 + length;
  }
  return found == tracks;
}

// Length in bytes of the MPEG audio frame whose header this is, or 0 when it
// is not a valid header.
std::uint32_t Mp3FrameLength(const std::uint8_t* h) {
  if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return 0;
  const int version = (h[1] >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
  const int layer = (h[1] >> 1) & 3;    // 1: III, 2: II, 3: I
  const int bitrateIndex = h[2] >> 4;
  const int rateIndex = (h[2] >> 2) & 3;
  if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return 0;
  static constexpr std::array<std::array<int, 15>, 5> kBitrates = {{
      {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // V1 L1
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // V1 L2
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // V1 L3
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // V2 L1
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // V2 L2, L3
  }};
  static constexpr std::array<int, 3> kRates = {44100, 48000, 32000};
  const bool v1 = version == 3;
  const int row = v1 ? 3 - layer : (layer == 3 ? 3 : 4);
  const int bitrate = kBitrates[static_cast<std::size_t>(row)][static_cast<std::size_t>(bitrateIndex)] * 1000;
  const int rate = kRates[static_cast<std::size_t>(rateIndex)] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
  const int padding = (h[2] >> 1) & 1;
  if (layer == 3) return static_cast<std::uint32_t>((12 * bitrate / rate + padding) * 4);
  const int perFrame = layer == 1 && !v1 ? 72 : 144;
  return static_cast<std::uint32_t>(perFrame * bitrate / rate + padding);
}

bool IsMp3(const AudioByteReader& read, std::uint64_t size) {
  std::uint8_t h[10];
  if (!ReadExact(read, 0, h, sizeof h)) return false;
  std::uint64_t at = 0;
  if (std::memcmp(h, "ID3", 3) == 0) {
    // The tag size is stored in four 7-bit bytes; frames follow the tag.
    if ((h[6] | h[7] | h[8] | h[9]) & 0x80) return false;
    at = 10 + (static_cast<std::uint64_t>(h[6]) << 21 | h[7] << 14 | h[8] << 7 | h[9]);
  }
  std::uint8_t frame[4];
  if (!ReadExact(read, at, frame, sizeof frame)) return false;
  const std::uint32_t length = Mp3FrameLength(frame);
  if (length < 4) return false;
  // One frame is short or at the end of the file; otherwise the next frame
  // must follow exactly where this one says it ends.
  if (at + length >= size) return true;
  std::uint8_t next[4];
  return ReadExact(read, at + length, next, sizeof next) ? Mp3FrameLength(next) != 0 : true;
}

}  // namespace

AudioFormat SniffAudioFormat(const AudioByteReader& read, std::uint64_t size) {
  std::uint8_t magic[12] = {};
  if (size < 12 || !ReadExact(read, 0, magic, sizeof magic)) return AudioFormat::kUnknown;
  if (std::memcmp(magic, "RIFF", 4) == 0 && std::memcmp(magic + 8, "WAVE", 4) == 0)
    return IsSoundWave(read, size) ? AudioFormat::kWave : AudioFormat::kUnknown;
  if (std::memcmp(magic, "MThd", 4) == 0 ||
      (std::memcmp(magic, "RIFF", 4) == 0 && std::memcmp(magic + 8, "RMID", 4) == 0)) {
    const std::uint64_t start = MidiDataOffset(read, size);
    return start < size && IsMidi(read, start, size) ? AudioFormat::kMidi : AudioFormat::kUnknown;
  }
  if (std::memcmp(magic, "OggS", 4) == 0) return AudioFormat::kOgg;
  if (std::memcmp(magic, "fLaC", 4) == 0) return AudioFormat::kFlac;
  if (IsMp3(read, size)) return AudioFormat::kMp3;
  return AudioFormat::kUnknown;
}

AudioFormat SniffAudioFormat(std::span<const std::uint8_t> bytes) {
  return SniffAudioFormat(
      [bytes](std::uint64_t offset, void* out, std::size_t count) -> std::size_t {
        if (offset >= bytes.size()) return 0;
        const std::size_t n = std::min<std::size_t>(count, bytes.size() - static_cast<std::size_t>(offset));
        std::memcpy(out, bytes.data() + offset, n);
        return n;
      },
      bytes.size());
}

std::uint64_t MidiDataOffset(const AudioByteReader& read, std::uint64_t size) {
  std::uint8_t magic[12];
  if (size < 12 || !ReadExact(read, 0, magic, sizeof magic)) return 0;
  if (std::memcmp(magic, "RIFF", 4) != 0 || std::memcmp(magic + 8, "RMID", 4) != 0) return 0;
  std::uint64_t at = 12;
  for (int i = 0; i < kMaxWaveChunks && at + 8 <= size; ++i) {
    std::uint8_t head[8];
    if (!ReadExact(read, at, head, sizeof head)) break;
    const std::uint64_t length = Le32(head + 4);
    if (std::memcmp(head, "data", 4) == 0) return at + 8;
    at += 8 + length + (length & 1);
  }
  return size;  // a RIFF MIDI file without data
}

}  // namespace platform
