#pragma once
// Recognises the sound formats the program plays, by their content, before
// any decoder sees the bytes. Files come from strangers (a gift puzzle carries
// its music), and the mixer library takes anything it does not recognise for
// a tracker module and hands it to a decoder that will chew on it; checking
// the structure here refuses garbage, truncated and mislabelled files cheaply.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace platform {

enum class AudioFormat { kUnknown, kWave, kMidi, kOgg, kFlac, kMp3 };

// Reads up to `count` bytes at `offset` into `out`; returns how many it read.
using AudioByteReader = std::function<std::size_t(std::uint64_t offset, void* out, std::size_t count)>;

// The format of a sound of `size` bytes, kUnknown when it is not one of ours
// or is visibly broken: a WAV whose format chunk is missing or whose data run
// past the end, a MIDI file whose tracks do not parse, an MP3 without two
// consecutive frame headers.
AudioFormat SniffAudioFormat(const AudioByteReader& read, std::uint64_t size);
AudioFormat SniffAudioFormat(std::span<const std::uint8_t> bytes);

// Where the standard MIDI data start inside a RIFF MIDI ("RMID") file, whose
// "data" chunk wraps them; 0 for a plain MIDI file.
std::uint64_t MidiDataOffset(const AudioByteReader& read, std::uint64_t size);

}  // namespace platform
