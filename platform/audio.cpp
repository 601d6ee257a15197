#include "platform/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/audio_midi.h"
#include "platform/messages.h"

namespace platform::audio {
namespace {

bool s_openTried = false;
bool s_open = false;       // the program has a sound output
bool s_deviceOpen = false;  // the device is open now (it sleeps while quiet)
// The format the first opening got; the device reopens in exactly this
// format, so effects decoded for it still play right.
int s_frequency = kOutputRate;
Uint16 s_format = AUDIO_S16SYS;
int s_channels = kOutputChannels;
// Mixer-decoded music objects alive; they were made for the open device.
int s_mixerMusic = 0;
unsigned s_sleepAfterMs = kSleepAfterMs;
Uint64 s_lastSound = 0;       // when a sound was last loaded or played
SDL_TimerID s_sleepTimer = 0;  // the pending look at whether to sleep

std::atomic<TargetId> s_finishedTarget{kNoTarget};
std::atomic<unsigned> s_finishedMessage{0};
std::atomic<OutputTap> s_tap{nullptr};
std::atomic<void*> s_tapUser{nullptr};

// Which mixer channels effects own; an effect keeps its channel for life.
std::vector<bool>& ChannelsInUse() {
  static std::vector<bool> inUse;
  return inUse;
}

// The music that was last started, so that a piece can tell whether the
// mixer's one music stream is still its own.
const Music* s_currentMusic = nullptr;

// Both callbacks run on the audio thread (or inside a halt call on ours):
// they post and return.
void OnChannelFinished(int channel) {
  const TargetId target = s_finishedTarget.load();
  if (target != kNoTarget) PostMessage(target, s_finishedMessage.load(), kEffectFinished, channel);
}

void OnMusicFinished() { NotifyMusicFinished(); }

void OnPostMix(void*, Uint8* stream, int length) {
  const OutputTap tap = s_tap.load();
  if (tap && length > 0)
    tap(s_tapUser.load(), reinterpret_cast<const std::int16_t*>(stream),
        static_cast<std::size_t>(length) / sizeof(std::int16_t));
}

void CloseDevice() {
  if (!s_deviceOpen) return;
  midi::ReleaseMusicStream();
  Mix_ChannelFinished(nullptr);
  Mix_HookMusicFinished(nullptr);
  Mix_SetPostMix(nullptr, nullptr);
  Mix_CloseAudio();
  s_deviceOpen = false;
}

void CloseAtExit() {
  if (!s_open) return;
  if (s_sleepTimer) SDL_RemoveTimer(s_sleepTimer);
  s_sleepTimer = 0;
  CloseDevice();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  s_open = false;
}

// Opens the device and sets up everything the mixer forgets when it closes.
// `allowedChanges` is 0 on reopening, so the format stays the first one.
bool OpenDevice(int allowedChanges) {
  if (Mix_OpenAudioDevice(s_frequency, s_format, s_channels, kOutputBufferFrames, nullptr, allowedChanges) != 0)
    return false;
  // Effects take channels as they are made.
  Mix_AllocateChannels(static_cast<int>(ChannelsInUse().size()));
  Mix_ChannelFinished(OnChannelFinished);
  Mix_HookMusicFinished(OnMusicFinished);
  Mix_SetPostMix(OnPostMix, nullptr);
  s_deviceOpen = true;
  return true;
}

// Whether something would be lost or cut short if the device closed now.
bool DeviceNeeded() {
  return Mix_Playing(-1) > 0 || Mix_PlayingMusic() != 0 || midi::HoldsMusicStream() || s_mixerMusic > 0;
}

void ArmSleepTimer(Uint64 delayMs);

// The look at whether to sleep, on the user-interface thread: the timer
// below runs on SDL's timer thread and only posts this.
class SleepTarget : public MessageTarget {
 public:
  void OnMessage(const Message&) override {
    s_sleepTimer = 0;
    if (!s_deviceOpen) return;
    const Uint64 now = SDL_GetTicks64();
    if (DeviceNeeded()) {
      // Still sounding (or waiting to resume): the quiet time starts no
      // earlier than now.
      s_lastSound = now;
      ArmSleepTimer(s_sleepAfterMs / 4);
      return;
    }
    const Uint64 quiet = now - s_lastSound;
    if (quiet < s_sleepAfterMs)
      ArmSleepTimer(s_sleepAfterMs - quiet);
    else
      CloseDevice();
  }
};

TargetId SleepTargetId() {
  static SleepTarget s_target;
  static const TargetId s_id = RegisterMessageTarget(&s_target);
  return s_id;
}

Uint32 OnSleepTimer(Uint32, void*) {
  PostMessage(SleepTargetId(), kMsgUser);
  return 0;  // once; the target arms it again while the device is needed
}

void ArmSleepTimer(Uint64 delayMs) {
  if (s_sleepTimer) return;
  s_sleepTimer = SDL_AddTimer(static_cast<Uint32>(std::max<Uint64>(delayMs, 1)), OnSleepTimer, nullptr);
}

// Called before every load or play: opens a sleeping device again and
// starts the quiet time anew. False when there is no output, or the device
// would not open again (the sound is then silent, as without a device).
bool Wake() {
  if (!s_open) return false;
  if (!s_deviceOpen && !OpenDevice(0)) return false;
  s_lastSound = SDL_GetTicks64();
  // Looked at a few times within the quiet time, so that the end of a sound
  // is seen soon after it comes and the device stays open for most of the
  // quiet time after it, whatever the sound's length.
  ArmSleepTimer(s_sleepAfterMs / 4);
  return true;
}

int AllocateChannel() {
  auto& inUse = ChannelsInUse();
  for (std::size_t i = 0; i < inUse.size(); ++i)
    if (!inUse[i]) {
      inUse[i] = true;
      return static_cast<int>(i);
    }
  inUse.push_back(true);
  Mix_AllocateChannels(static_cast<int>(inUse.size()));
  return static_cast<int>(inUse.size() - 1);
}

void ReleaseChannel(int channel) {
  auto& inUse = ChannelsInUse();
  if (channel >= 0 && static_cast<std::size_t>(channel) < inUse.size()) inUse[static_cast<std::size_t>(channel)] = false;
}

AudioByteReader RWopsReader(SDL_RWops* rw) {
  return [rw](std::uint64_t offset, void* out, std::size_t count) -> std::size_t {
    if (SDL_RWseek(rw, static_cast<Sint64>(offset), RW_SEEK_SET) < 0) return 0;
    return SDL_RWread(rw, out, 1, count);
  };
}

// Opens a file for reading and tells its size; null when it cannot be read.
SDL_RWops* OpenFile(const std::string& path, std::uint64_t& size) {
  SDL_RWops* rw = SDL_RWFromFile(path.c_str(), "rb");
  if (!rw) return nullptr;
  const Sint64 length = SDL_RWsize(rw);
  if (length <= 0) {
    SDL_RWclose(rw);
    return nullptr;
  }
  size = static_cast<std::uint64_t>(length);
  return rw;
}

Mix_MusicType MixerType(AudioFormat format) {
  switch (format) {
    case AudioFormat::kWave: return MUS_WAV;
    case AudioFormat::kMidi: return MUS_MID;
    case AudioFormat::kOgg: return MUS_OGG;
    case AudioFormat::kFlac: return MUS_FLAC;
    case AudioFormat::kMp3: return MUS_MP3;
    case AudioFormat::kUnknown: break;
  }
  return MUS_NONE;
}

}  // namespace

void NotifyMusicFinished() {
  const TargetId target = s_finishedTarget.load();
  if (target != kNoTarget) PostMessage(target, s_finishedMessage.load(), kMusicFinished, 0);
}

bool Open() {
  if (s_openTried) return s_open;
  s_openTried = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER) != 0) return false;
  // Decoders that are missing simply leave their formats unplayable. MIDI
  // is ours (audio_midi.cpp): the mixer's own would load the soundfont
  // again for every piece.
  Mix_Init(MIX_INIT_FLAC | MIX_INIT_MP3 | MIX_INIT_OGG);
  if (!OpenDevice(SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE)) {
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_TIMER);
    return false;
  }
  Mix_QuerySpec(&s_frequency, &s_format, &s_channels);
  s_open = true;
  std::atexit(CloseAtExit);
  // Nothing has sounded yet: the quiet time starts now.
  Wake();
  return true;
}

bool IsOpen() { return s_open; }

bool IsDeviceAwake() { return s_deviceOpen; }

void SetSleepAfter(unsigned ms) { s_sleepAfterMs = ms ? ms : kSleepAfterMs; }

bool WaitForMidi() { return s_open && midi::WaitUntilReady(); }

void SetFinishedTarget(TargetId target, unsigned message) {
  s_finishedMessage = message;
  s_finishedTarget = target;
}

void SetOutputTap(OutputTap tap, void* user) {
  s_tapUser = user;
  s_tap = tap;
}

// ---------------------------------------------------------------------------
// Effect
// ---------------------------------------------------------------------------

std::unique_ptr<Effect> Effect::FromMemory(std::span<const std::uint8_t> bytes) {
  const AudioFormat format = SniffAudioFormat(bytes);
  if (format == AudioFormat::kUnknown || format == AudioFormat::kMidi) return nullptr;
  if (!Open() || !Wake()) return std::unique_ptr<Effect>(new Effect(nullptr, -1));
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!rw) return nullptr;
  Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 1);
  if (!chunk) return nullptr;
  return std::unique_ptr<Effect>(new Effect(chunk, AllocateChannel()));
}

std::unique_ptr<Effect> Effect::FromFile(const std::string& path) {
  std::uint64_t size = 0;
  SDL_RWops* rw = OpenFile(path, size);
  if (!rw) return nullptr;
  const AudioFormat format = SniffAudioFormat(RWopsReader(rw), size);
  if (format == AudioFormat::kUnknown || format == AudioFormat::kMidi) {
    SDL_RWclose(rw);
    return nullptr;
  }
  if (!Open() || !Wake()) {
    SDL_RWclose(rw);
    return std::unique_ptr<Effect>(new Effect(nullptr, -1));
  }
  SDL_RWseek(rw, 0, RW_SEEK_SET);
  Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 1);
  if (!chunk) return nullptr;
  return std::unique_ptr<Effect>(new Effect(chunk, AllocateChannel()));
}

Effect::~Effect() {
  if (!m_chunk) return;
  // Halting first keeps the mixer from reading a freed chunk; the finished
  // notice it posts finds no entry any more and is dropped.
  if (s_deviceOpen) Mix_HaltChannel(m_channel);
  Mix_FreeChunk(m_chunk);
  ReleaseChannel(m_channel);
}

bool Effect::Play(bool loop) {
  if (!m_chunk || !Wake()) return true;
  return Mix_PlayChannel(m_channel, m_chunk, loop ? -1 : 0) == m_channel;
}

// A sleeping device plays nothing, so there is nothing to pause or halt;
// the mixer must not be asked about its channels then.
void Effect::Pause() {
  if (m_chunk && s_deviceOpen) Mix_Pause(m_channel);
}

void Effect::Resume() {
  if (m_chunk && s_deviceOpen) Mix_Resume(m_channel);
}

void Effect::Halt() {
  if (m_chunk && s_deviceOpen) Mix_HaltChannel(m_channel);
}

bool Effect::IsPlaying() const { return m_chunk && s_deviceOpen && Mix_Playing(m_channel) != 0; }

bool Effect::IsPaused() const { return IsPlaying() && Mix_Paused(m_channel) != 0; }

// ---------------------------------------------------------------------------
// Music
// ---------------------------------------------------------------------------

Music::Music(_Mix_Music* music, std::vector<std::uint8_t> bytes, AudioFormat format)
    : m_music(music), m_bytes(std::move(bytes)), m_format(format) {
  if (m_music) ++s_mixerMusic;
}

std::unique_ptr<Music> Music::FromMemory(std::span<const std::uint8_t> bytes) {
  const AudioFormat format = SniffAudioFormat(bytes);
  if (format == AudioFormat::kUnknown) return nullptr;
  std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
  if (!Open()) return std::unique_ptr<Music>(new Music(nullptr, {}, format));
  if (format == AudioFormat::kMidi) {
    // A RIFF-wrapped MIDI file is played from the standard MIDI data inside.
    const auto start = static_cast<std::ptrdiff_t>(MidiDataOffset(
        [&copy](std::uint64_t offset, void* out, std::size_t count) -> std::size_t {
          if (offset >= copy.size()) return 0;
          const std::size_t n = std::min<std::size_t>(count, copy.size() - static_cast<std::size_t>(offset));
          std::memcpy(out, copy.data() + offset, n);
          return n;
        },
        copy.size()));
    if (!midi::Prepare()) return nullptr;
    std::unique_ptr<Music> music(new Music(nullptr, {}, format));
    music->m_song = std::make_unique<midi::Song>(std::vector<std::uint8_t>(copy.begin() + start, copy.end()));
    return music;
  }
  if (!Wake()) return std::unique_ptr<Music>(new Music(nullptr, {}, format));
  SDL_RWops* rw = SDL_RWFromConstMem(copy.data(), static_cast<int>(copy.size()));
  if (!rw) return nullptr;
  // The stream reads `copy` for as long as the music lives; moving the
  // vector into the object below keeps its buffer where it is.
  Mix_Music* music = Mix_LoadMUSType_RW(rw, MixerType(format), 1);
  if (!music) return nullptr;
  return std::unique_ptr<Music>(new Music(music, std::move(copy), format));
}

std::unique_ptr<Music> Music::FromFile(const std::string& path) {
  std::uint64_t size = 0;
  SDL_RWops* rw = OpenFile(path, size);
  if (!rw) return nullptr;
  const AudioFormat format = SniffAudioFormat(RWopsReader(rw), size);
  if (format == AudioFormat::kUnknown) {
    SDL_RWclose(rw);
    return nullptr;
  }
  if (format == AudioFormat::kMidi) {
    // MIDI files are small (the check above refuses big ones); reading them
    // whole lets a RIFF-wrapped one be unwrapped the same way as in memory.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    const bool read = SDL_RWseek(rw, 0, RW_SEEK_SET) == 0 && SDL_RWread(rw, bytes.data(), 1, bytes.size()) == bytes.size();
    SDL_RWclose(rw);
    return read ? FromMemory(bytes) : nullptr;
  }
  if (!Open() || !Wake()) {
    SDL_RWclose(rw);
    return std::unique_ptr<Music>(new Music(nullptr, {}, format));
  }
  SDL_RWseek(rw, 0, RW_SEEK_SET);
  Mix_Music* music = Mix_LoadMUSType_RW(rw, MixerType(format), 1);
  if (!music) return nullptr;
  return std::unique_ptr<Music>(new Music(music, {}, format));
}

Music::~Music() {
  if (IsCurrent()) {
    if (!m_song) Mix_HaltMusic();
    s_currentMusic = nullptr;
  }
  m_song.reset();
  // Freed before m_bytes, which the decoder may read up to this call.
  if (m_music) {
    Mix_FreeMusic(m_music);
    --s_mixerMusic;
    // The quiet time starts once the music is gone.
    Wake();
  }
}

bool Music::IsCurrent() const { return (m_music || m_song) && s_currentMusic == this; }

bool Music::Play(bool loop) {
  if ((!m_music && !m_song) || !Wake()) return true;
  s_currentMusic = this;
  if (m_song) return m_song->Play(loop);
  midi::ReleaseMusicStream();
  return Mix_PlayMusic(m_music, loop ? -1 : 1) == 0;
}

void Music::Pause() {
  if (!IsCurrent()) return;
  m_song ? m_song->Pause() : Mix_PauseMusic();
}

void Music::Resume() {
  if (!IsCurrent()) return;
  m_song ? m_song->Resume() : Mix_ResumeMusic();
}

void Music::Halt() {
  if (!IsCurrent()) return;
  if (m_song)
    m_song->Halt();
  else
    Mix_HaltMusic();
}

bool Music::IsPlaying() const {
  if (!IsCurrent()) return false;
  return m_song ? m_song->IsPlaying() : Mix_PlayingMusic() != 0;
}

bool Music::IsPaused() const {
  if (!IsPlaying()) return false;
  return m_song ? m_song->IsPaused() : Mix_PausedMusic() != 0;
}

}  // namespace platform::audio
