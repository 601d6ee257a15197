#pragma once
// Small sounds made in code for the sound tests and benchmarks: a sine tone
// as an 8-bit mono WAV, and a standard MIDI file playing a few piano notes.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace sound_samples {

inline void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void PutLe16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A tone of `seconds` at `hz`, PCM mono 8-bit 22050 Hz.
inline std::vector<std::uint8_t> MakeWave(double seconds, double hz = 440.0, double amplitude = 0.6) {
  const int rate = 22050;
  const auto frames = static_cast<std::uint32_t>(seconds * rate);
  std::vector<std::uint8_t> out;
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  PutLe32(out, 36 + frames);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLe32(out, 16);
  PutLe16(out, 1);  // PCM
  PutLe16(out, 1);  // mono
  PutLe32(out, rate);
  PutLe32(out, rate);  // bytes per second
  PutLe16(out, 1);     // block align
  PutLe16(out, 8);     // bits
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  PutLe32(out, frames);
  const double pi = std::acos(-1.0);
  for (std::uint32_t i = 0; i < frames; ++i)
    out.push_back(static_cast<std::uint8_t>(128 + 127 * amplitude * std::sin(2 * pi * hz * i / rate)));
  if (frames & 1) out.push_back(0);
  return out;
}

// Format 0, one track: `notes` piano notes of a quarter second each at 120
// beats a minute (480 ticks to the beat).
inline std::vector<std::uint8_t> MakeMidi(int notes = 4) {
  std::vector<std::uint8_t> track = {0x00, 0xC0, 0x00};  // piano
  for (int i = 0; i < notes; ++i) {
    const auto key = static_cast<std::uint8_t>(60 + 2 * (i % 8));
    track.insert(track.end(), {0x00, 0x90, key, 0x64});     // note on
    track.insert(track.end(), {0x81, 0x70, 0x80, key, 0x40});  // 240 ticks later, off
  }
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});  // end of track
  std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd'};
  PutBe32(out, 6);
  out.insert(out.end(), {0x00, 0x00, 0x00, 0x01, 0x01, 0xE0});
  out.insert(out.end(), {'M', 'T', 'r', 'k'});
  PutBe32(out, static_cast<std::uint32_t>(track.size()));
  out.insert(out.end(), track.begin(), track.end());
  return out;
}

}  // namespace sound_samples
