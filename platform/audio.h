#pragma once
// The sound output: short effects decoded into memory, each on a mixer
// channel of its own, and one music stream at a time (WAV, MIDI, OGG, MP3,
// FLAC), from files or from memory. A thin layer over the mixer library; the
// sound service above it keeps the program's own bookkeeping.
//
// Everything here belongs to the user-interface thread. The mixer's "finished"
// callbacks run on the audio thread; they only post a message (see
// SetFinishedTarget), so no object is touched from there.
//
// Without a sound device (no server, no card) the output stays closed: sounds
// are still checked and "load", play, pause and resume succeed, and nothing
// is heard. A program without sound is not an error the user must see.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/audio_format.h"
#include "platform/message_loop.h"

struct Mix_Chunk;
struct _Mix_Music;

namespace platform::audio {

namespace midi {
class Song;
}

// The output format: 16-bit signed native-endian samples, two interleaved
// channels. The buffer of 1024 frames (23 ms) keeps effects prompt without
// starving the device on a busy machine.
inline constexpr int kOutputRate = 44100;
inline constexpr int kOutputChannels = 2;
inline constexpr int kOutputBufferFrames = 1024;

// The soundfont MIDI music is played with.
inline constexpr const char* kSoundFontPath = "/usr/share/sounds/sf3/default-GM.sf3";

// Opens the output on first call; later calls return the first answer. False
// means no device: everything keeps working silently.
bool Open();
bool IsOpen();

// The device sleeps while nothing sounds: the audio thread wakes for every
// buffer (43 times a second) even with nothing to mix, so once no effect has
// played or been paused, and no music has been playing, paused or loaded,
// for kSleepAfterMs, the device is closed. It opens again, in the same
// format and with the same channels, callbacks and tap, when the next sound
// is loaded or played, which costs that sound a few milliseconds.
inline constexpr unsigned kSleepAfterMs = 2000;
// For tests and measurements: whether the device is open now, and another
// quiet time before it sleeps (0 restores kSleepAfterMs).
bool IsDeviceAwake();
void SetSleepAfter(unsigned ms);

// Where end-of-play notices go: `message` is posted to `target` with wParam
// kEffectFinished and lParam the effect's channel, or wParam kMusicFinished.
// kNoTarget stops the notices.
inline constexpr std::uintptr_t kEffectFinished = 0;
inline constexpr std::uintptr_t kMusicFinished = 1;
void SetFinishedTarget(TargetId target, unsigned message);

// Blocks until the MIDI synthesiser has loaded, if loading has begun (the
// first MIDI piece begins it); false when MIDI cannot play. For tests and
// measurements: the program itself never waits.
bool WaitForMidi();

// Sees every mixed buffer on its way to the device, on the audio thread;
// for measurements. Null removes it.
using OutputTap = void (*)(void* user, const std::int16_t* samples, std::size_t count);
void SetOutputTap(OutputTap tap, void* user);

// An effect: decoded once, played on its own channel, so that pausing or
// restarting one effect never disturbs another.
class Effect {
 public:
  ~Effect();
  Effect(const Effect&) = delete;
  Effect& operator=(const Effect&) = delete;

  // Null when the bytes are not a sound the mixer can decode. A WAV, OGG,
  // FLAC or MP3 effect; MIDI is music only.
  static std::unique_ptr<Effect> FromMemory(std::span<const std::uint8_t> bytes);
  static std::unique_ptr<Effect> FromFile(const std::string& path);

  // Plays from the start, once or (loop) until halted. False on a mixer error.
  bool Play(bool loop);
  void Pause();
  void Resume();
  void Halt();
  // Playing includes paused.
  bool IsPlaying() const;
  bool IsPaused() const;
  int Channel() const { return m_channel; }

 private:
  Effect(Mix_Chunk* chunk, int channel) : m_chunk(chunk), m_channel(channel) {}
  Mix_Chunk* m_chunk;  // owned; null while the output is closed
  int m_channel;       // -1 while the output is closed
};

// A piece of music. Only one plays at a time: starting one stops another.
// MIDI plays through a synthesiser shared by all pieces (see audio_midi.h),
// the other formats through the mixer's decoders.
class Music {
 public:
  ~Music();
  Music(const Music&) = delete;
  Music& operator=(const Music&) = delete;

  // Null when the bytes are not a sound the mixer can play. The bytes are
  // copied: the decoder reads them for as long as the music exists.
  static std::unique_ptr<Music> FromMemory(std::span<const std::uint8_t> bytes);
  static std::unique_ptr<Music> FromFile(const std::string& path);

  // Plays from the start, once or looping without end. Looping is the
  // mixer's own, so a MIDI piece starts again at once rather than after the
  // synthesiser's release tail.
  bool Play(bool loop);
  void Pause();
  void Resume();
  void Halt();
  // True while this is the current music and it has not ended (paused counts).
  bool IsPlaying() const;
  bool IsPaused() const;
  AudioFormat Format() const { return m_format; }

 private:
  Music(_Mix_Music* music, std::vector<std::uint8_t> bytes, AudioFormat format);
  bool IsCurrent() const;

  // At most one of these is set, none while the output is closed.
  _Mix_Music* m_music = nullptr;         // owned
  std::unique_ptr<midi::Song> m_song;
  std::vector<std::uint8_t> m_bytes;  // what the decoder reads, for memory music
  AudioFormat m_format;
};

}  // namespace platform::audio
