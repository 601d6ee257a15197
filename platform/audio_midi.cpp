#include "platform/audio_midi.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>
#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/audio.h"

namespace platform::audio::midi {
namespace {

enum class SynthState { kIdle, kLoading, kReady, kFailed };

// What the audio thread renders; guarded by s_mutex, which the renderer
// holds for one buffer at a time.
struct Stream {
  const Song* song = nullptr;  // the song that holds the music stream
  const std::vector<std::uint8_t>* bytes = nullptr;
  bool loop = false;
  bool paused = false;
  bool started = false;  // the player was made (the synthesiser was ready)
  bool ended = false;
  fluid_player_t* player = nullptr;
};

std::mutex s_mutex;
std::condition_variable s_ready;
SynthState s_state = SynthState::kIdle;
fluid_settings_t* s_settings = nullptr;
fluid_synth_t* s_synth = nullptr;
Stream s_stream;
bool s_hooked = false;  // touched on the user-interface thread only

void LoadSynth() {
  pthread_setname_np(pthread_self(), kLoaderThreadName);
  fluid_settings_t* settings = new_fluid_settings();
  fluid_synth_t* synth = nullptr;
  if (settings) {
    fluid_settings_setnum(settings, "synth.sample-rate", kOutputRate);
    fluid_settings_setnum(settings, "synth.gain", 0.6);
    // Decoding every sample of the compressed soundfont takes seconds;
    // loading only the instruments a piece uses takes a fraction of that.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    synth = new_fluid_synth(settings);
    if (synth && fluid_synth_sfload(synth, kSoundFontPath, 1) == FLUID_FAILED) {
      delete_fluid_synth(synth);
      synth = nullptr;
    }
  }
  std::lock_guard lock(s_mutex);
  s_settings = settings;
  s_synth = synth;
  s_state = synth ? SynthState::kReady : SynthState::kFailed;
  s_ready.notify_all();
}

// Owns the loading thread and joins it when destroyed at exit.
class LoaderThread {
 public:
  LoaderThread() = default;
  ~LoaderThread() {
    if (m_thread.joinable()) m_thread.join();
  }
  LoaderThread(const LoaderThread&) = delete;
  LoaderThread& operator=(const LoaderThread&) = delete;
  void Start() { m_thread = std::thread(LoadSynth); }

 private:
  std::thread m_thread;
};

void DeletePlayer(Stream& stream) {
  if (!stream.player) return;
  fluid_player_stop(stream.player);
  delete_fluid_player(stream.player);
  stream.player = nullptr;
  // Notes still sounding would carry over into the next song.
  if (s_synth) fluid_synth_system_reset(s_synth);
}

// The mixer's music hook, on the audio thread: renders the current song
// into the buffer, or silence while the synthesiser is loading or the song
// is paused or over. It posts the end of play and touches nothing else.
void Render(void*, Uint8* buffer, int length) {
  std::memset(buffer, 0, static_cast<std::size_t>(length));
  std::lock_guard lock(s_mutex);
  Stream& stream = s_stream;
  if (!stream.song || stream.ended || stream.paused || s_state != SynthState::kReady) return;
  if (!stream.started) {
    stream.started = true;
    stream.player = new_fluid_player(s_synth);
    if (!stream.player || fluid_player_add_mem(stream.player, stream.bytes->data(), stream.bytes->size()) != FLUID_OK ||
        fluid_player_set_loop(stream.player, stream.loop ? -1 : 1) != FLUID_OK ||
        fluid_player_play(stream.player) != FLUID_OK) {
      stream.ended = true;
      NotifyMusicFinished();
      return;
    }
  }
  const int frames = length / static_cast<int>(sizeof(std::int16_t) * kOutputChannels);
  auto* samples = reinterpret_cast<std::int16_t*>(buffer);
  fluid_synth_write_s16(s_synth, frames, samples, 0, 2, samples, 1, 2);
  if (fluid_player_get_status(stream.player) == FLUID_PLAYER_DONE) {
    stream.ended = true;
    NotifyMusicFinished();
  }
}

}  // namespace

bool Prepare() {
  std::lock_guard lock(s_mutex);
  if (s_state == SynthState::kIdle) {
    if (std::FILE* font = std::fopen(kSoundFontPath, "rb")) {
      std::fclose(font);
      s_state = SynthState::kLoading;
      // The synthesiser lives until exit, but the thread that loads it must
      // not: a program that ends during the load would otherwise run on
      // into this file's statics and the synthesiser library while exit
      // destroys them. Made here, the holder is destroyed (and joins)
      // before anything that existed when the loading began.
      static LoaderThread loader;
      loader.Start();
    } else {
      s_state = SynthState::kFailed;
    }
  }
  return s_state != SynthState::kFailed;
}

bool WaitUntilReady() {
  std::unique_lock lock(s_mutex);
  s_ready.wait(lock, [] { return s_state != SynthState::kLoading && s_state != SynthState::kIdle; });
  return s_state == SynthState::kReady;
}

Song::~Song() {
  bool mine;
  {
    std::lock_guard lock(s_mutex);
    mine = s_stream.song == this;
  }
  if (mine) Halt();
}

bool Song::Play(bool loop) {
  if (!Prepare()) return false;
  if (!s_hooked) {
    Mix_HaltMusic();
    // Taken under the mixer's own lock: from here on the hook renders.
    Mix_HookMusic(Render, nullptr);
    s_hooked = true;
  }
  std::lock_guard lock(s_mutex);
  DeletePlayer(s_stream);
  s_stream = Stream{this, &m_bytes, loop, false, false, false, nullptr};
  return true;
}

void Song::Pause() {
  std::lock_guard lock(s_mutex);
  if (s_stream.song == this) s_stream.paused = true;
}

void Song::Resume() {
  std::lock_guard lock(s_mutex);
  if (s_stream.song == this) s_stream.paused = false;
}

void Song::Halt() {
  {
    std::lock_guard lock(s_mutex);
    if (s_stream.song != this) return;
  }
  ReleaseMusicStream();
}

bool Song::IsPlaying() const {
  std::lock_guard lock(s_mutex);
  return s_stream.song == this && !s_stream.ended;
}

bool Song::IsPaused() const {
  std::lock_guard lock(s_mutex);
  return s_stream.song == this && !s_stream.ended && s_stream.paused;
}

void ReleaseMusicStream() {
  if (!s_hooked) return;
  // Unhooking takes the mixer's lock, so the renderer has finished with the
  // stream before it is cleared.
  Mix_HookMusic(nullptr, nullptr);
  s_hooked = false;
  std::lock_guard lock(s_mutex);
  DeletePlayer(s_stream);
  s_stream = Stream{};
}

}  // namespace platform::audio::midi
