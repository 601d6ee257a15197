#pragma once
// MIDI music through one FluidSynth synthesiser shared by the whole program.
// Loading the General MIDI soundfont takes seconds (its samples are
// compressed), so it happens once, on a worker thread, the first time a
// MIDI piece is loaded; a piece asked to play before then starts as soon as
// the synthesiser is ready. The synthesiser renders into the mixer's music
// stream (the mixer's music hook), so MIDI and other music never play at once.
//
// Internal to platform/audio.cpp; everything here is called on the
// user-interface thread except the renderer, which the mixer calls on the
// audio thread.

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::audio {

// Posts the end-of-play notice for the music stream (defined in audio.cpp).
void NotifyMusicFinished();

}  // namespace platform::audio

namespace platform::audio::midi {

// The name the loading thread runs under (seen in debuggers and /proc).
inline constexpr const char* kLoaderThreadName = "midi-loader";

// Starts loading the synthesiser if that has not begun. The first call runs
// the MIDI library check (see platform/synth_library.h), which may ask the
// player and download a sound bank while the message loop keeps running;
// calls made meanwhile return false. False when FluidSynth or the soundfont
// is missing, so MIDI cannot play at all.
bool Prepare();

// Blocks until the synthesiser is loaded (or failed); for measurements.
bool WaitUntilReady();

// One MIDI piece, kept as bytes; the synthesiser's player is made when it
// plays.
class Song {
 public:
  explicit Song(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
  ~Song();
  Song(const Song&) = delete;
  Song& operator=(const Song&) = delete;

  // Takes over the mixer's music stream and plays from the start.
  bool Play(bool loop);
  void Pause();
  void Resume();
  // Stops and gives the music stream back to the mixer.
  void Halt();
  bool IsPlaying() const;
  bool IsPaused() const;

 private:
  std::vector<std::uint8_t> m_bytes;
};

// Gives the music stream back to the mixer if a song holds it.
void ReleaseMusicStream();
// True while a song holds the music stream (playing, paused or waiting for
// the synthesiser), so the output must stay open.
bool HoldsMusicStream();

}  // namespace platform::audio::midi
