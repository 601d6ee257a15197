#include "platform/audio_midi.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/audio.h"
#include "platform/message_loop.h"
#include "platform/messages.h"
#include "platform/synth_library.h"

namespace platform::audio::midi {
namespace {

// The first need posts the library check (kCheckPosted); it runs from the
// message loop (kChecking), may ask the player and download the sound bank
// while the loop keeps going, and then loads the synthesiser on a thread
// (kLoading).
enum class SynthState { kIdle, kCheckPosted, kChecking, kLoading, kReady, kFailed };

// What the audio thread renders; guarded by s_mutex, which the renderer
// holds for one buffer at a time.
struct Stream {
  const Song* song = nullptr;  // the song that holds the music stream
  const std::vector<std::uint8_t>* bytes = nullptr;
  bool loop = false;
  bool paused = false;
  bool started = false;  // the player was made (the synthesiser was ready)
  bool ended = false;
  SynthPlayer* player = nullptr;
};

std::mutex s_mutex;
std::condition_variable s_ready;
SynthState s_state = SynthState::kIdle;
// The synthesiser library's functions and the bank to load, set before the
// loader thread starts and never changed afterwards.
const SynthApi* s_api = nullptr;
std::string s_bankPath;
SynthSettings* s_settings = nullptr;
SynthCore* s_synth = nullptr;
Stream s_stream;
bool s_hooked = false;  // touched on the user-interface thread only

void LoadSynth() {
  pthread_setname_np(pthread_self(), kLoaderThreadName);
  const SynthApi& api = *s_api;
  SynthSettings* settings = api.newSettings();
  SynthCore* synth = nullptr;
  if (settings) {
    api.settingsSetNum(settings, "synth.sample-rate", kOutputRate);
    api.settingsSetNum(settings, "synth.gain", 0.6);
    // Decoding every sample of the compressed soundfont takes seconds;
    // loading only the instruments a piece uses takes a fraction of that.
    api.settingsSetInt(settings, "synth.dynamic-sample-loading", 1);
    synth = api.newSynth(settings);
    if (synth && api.synthSfLoad(synth, s_bankPath.c_str(), 1) == kSynthFailed) {
      api.deleteSynth(synth);
      synth = nullptr;
    }
  }
  bool songLost = false;
  {
    std::lock_guard lock(s_mutex);
    s_settings = settings;
    s_synth = synth;
    s_state = synth ? SynthState::kReady : SynthState::kFailed;
    s_ready.notify_all();
    songLost = !synth && s_stream.song && !s_stream.ended;
    if (songLost) s_stream.ended = true;
  }
  // A piece waiting for a synthesiser that never came has ended too.
  if (songLost) NotifyMusicFinished();
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
  s_api->playerStop(stream.player);
  s_api->deletePlayer(stream.player);
  stream.player = nullptr;
  // Notes still sounding would carry over into the next song.
  if (s_synth) s_api->synthSystemReset(s_synth);
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
    stream.player = s_api->newPlayer(s_synth);
    if (!stream.player ||
        s_api->playerAddMem(stream.player, stream.bytes->data(), stream.bytes->size()) != kSynthOk ||
        s_api->playerSetLoop(stream.player, stream.loop ? -1 : 1) != kSynthOk ||
        s_api->playerPlay(stream.player) != kSynthOk) {
      stream.ended = true;
      NotifyMusicFinished();
      return;
    }
  }
  const int frames = length / static_cast<int>(sizeof(std::int16_t) * kOutputChannels);
  auto* samples = reinterpret_cast<std::int16_t*>(buffer);
  s_api->synthWriteS16(s_synth, frames, samples, 0, 2, samples, 1, 2);
  if (s_api->playerGetStatus(stream.player) == kSynthPlayerDone) {
    stream.ended = true;
    NotifyMusicFinished();
  }
}

// Runs the posted library check, once, and starts loading the synthesiser
// with the bank it found. A song that holds the music stream when the check
// fails is told it has ended, so the sound service lets it go.
void RunCheck() {
  {
    std::lock_guard lock(s_mutex);
    if (s_state != SynthState::kCheckPosted) return;
    s_state = SynthState::kChecking;
  }
  // The check runs without the lock: it may keep the message loop going for
  // as long as a download takes, and the renderer takes the lock for every
  // buffer.
  std::string bank = RunMidiCheck();
  const SynthApi* api = bank.empty() ? nullptr : LoadSynthLibrary();
  bool songLost = false;
  {
    std::lock_guard lock(s_mutex);
    if (api) {
      s_api = api;
      s_bankPath = std::move(bank);
      s_state = SynthState::kLoading;
      // The synthesiser lives until exit, but the thread that loads it must
      // not: a program that ends during the load would otherwise run on into
      // this file's statics and the synthesiser library while exit destroys
      // them. Made here, the holder is destroyed (and joins) before anything
      // that existed when the loading began.
      static LoaderThread loader;
      loader.Start();
    } else {
      s_state = SynthState::kFailed;
      s_ready.notify_all();
      songLost = s_stream.song && !s_stream.ended;
      s_stream.ended = true;
    }
  }
  if (songLost) NotifyMusicFinished();
}

// The library check may keep the message loop going for as long as a
// download takes, and that loop may end whatever asked for the music (the
// player closes the window while a play room is still being built). So it
// never runs inside the call that first needs MIDI: it is posted here and
// runs from the message loop once that call, and every handler around it,
// have returned; only this process-wide target is on the stack then.
class CheckTarget final : public MessageTarget {
 public:
  void OnMessage(const Message&) override { RunCheck(); }
};

bool PostCheck() {
  static CheckTarget s_target;
  static const TargetId s_id = RegisterMessageTarget(&s_target);
  return PostMessage(s_id, kMsgUser);
}

}  // namespace

bool Prepare() {
  {
    std::lock_guard lock(s_mutex);
    if (s_state != SynthState::kIdle) return s_state != SynthState::kFailed;
    s_state = SynthState::kCheckPosted;
  }
  // Without a message queue nothing could nest either: the check runs now.
  if (!PostCheck()) RunCheck();
  std::lock_guard lock(s_mutex);
  return s_state != SynthState::kFailed;
}

bool WaitUntilReady() {
  // A check still waiting for its message runs now: this is called only
  // from the top of the program (measurements and tests).
  RunCheck();
  std::unique_lock lock(s_mutex);
  s_ready.wait(lock, [] { return s_state != SynthState::kLoading; });
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

bool HoldsMusicStream() { return s_hooked; }

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
