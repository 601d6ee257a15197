#pragma once
// The process-wide sound service: short effects (the built-in WAV resources)
// and a puzzle's music, on two channels that can be switched off apart.
//
// A sound is opened once and kept: playing it again reuses it. An entry is
// known by its name together with where it came from (a file on disk, or
// bytes in memory such as a resource or music kept inside a puzzle). End of
// play reaches the service as a posted message on the user-interface thread,
// never as a call from the audio thread.
//
// Every call belongs to the user-interface thread. Failures are quiet: a
// sound that cannot be opened returns false and leaves nothing behind.

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/message_loop.h"

namespace platform::audio {
class Effect;
class Music;
}  // namespace platform::audio

class CRSSoundHandler : public platform::MessageTarget {
 public:
  enum Channel : int { kChannelEffects = 0, kChannelMusic = 1 };

  // What the service knows of one entry; for callers that must tell a paused
  // sound from a finished one, and for tests.
  enum class EntryState { kClosed, kStopped, kPlaying, kPaused };

  // The one service, made on first use.
  static CRSSoundHandler& Instance();

  // Opens the file on first use and plays it from the start. Effects may be
  // WAV, OGG, FLAC or MP3; music may also be MIDI. For a file already open
  // only the repeat flag is taken. True on success, and also when the channel
  // is off or the entry is still playing (then nothing changes).
  bool PlayFile(const std::string& path, bool repeat, int channel);
  // The same for bytes in memory, known by a name of the caller's choosing;
  // the bytes are read only when the entry is first opened.
  bool PlayMemory(const std::string& name, bool repeat, int channel, std::span<const std::uint8_t> data);
  // The built-in resource of type "SOUND" with this name, on the effects or
  // the music channel.
  bool PlayResourceSound(const std::string& name, bool repeat);
  bool PlayResourceMusic(const std::string& name, bool repeat);
  // How often a built-in effect was asked for while effects were on: what
  // the player heard, whatever the device (for the tests of game sounds).
  int GetEffectRequests(const std::string& name) const;

  void CloseFile(const std::string& path);
  void CloseMemory(const std::string& name);

  // Switching a channel on resumes its repeating entries (from where they
  // were paused, or from the start when they never began); switching it off
  // pauses nothing by itself: callers pause first.
  void SetEffectsEnabled(bool enabled);
  void SetMusicEnabled(bool enabled);
  void PauseEffects();
  void PauseMusic();
  bool EffectsEnabled() const { return m_effectsEnabled; }
  bool MusicEnabled() const { return m_musicEnabled; }

  EntryState StateOf(const std::string& name, bool inMemory) const;

  void OnMessage(const platform::Message& msg) override;

  ~CRSSoundHandler() override;
  CRSSoundHandler(const CRSSoundHandler&) = delete;
  CRSSoundHandler& operator=(const CRSSoundHandler&) = delete;

 private:
  struct Entry;

  CRSSoundHandler();

  Entry* Find(const std::string& name, bool inMemory) const;
  bool Play(Entry& entry);
  void Close(Entry& entry);
  bool ChannelEnabled(int channel) const;
  void SetChannelEnabled(int channel, bool enabled);
  void PauseChannel(int channel);
  void OnFinished(Entry& entry);

  platform::TargetId m_target = platform::kNoTarget;
  std::vector<std::unique_ptr<Entry>> m_sounds;
  bool m_effectsEnabled = true;
  bool m_musicEnabled = true;
  std::map<std::string, int> m_effectRequests;
};

// Keeps sound effects off for as long as it lives and puts them back as they
// were: a command that moves many pieces at once is heard once, or not at
// all, rather than once per piece.
class CRSEffectsMuted {
 public:
  CRSEffectsMuted() : m_wasOn(CRSSoundHandler::Instance().EffectsEnabled()) {
    CRSSoundHandler::Instance().SetEffectsEnabled(false);
  }
  ~CRSEffectsMuted() { CRSSoundHandler::Instance().SetEffectsEnabled(m_wasOn); }
  CRSEffectsMuted(const CRSEffectsMuted&) = delete;
  CRSEffectsMuted& operator=(const CRSEffectsMuted&) = delete;

 private:
  bool m_wasOn;
};
