#include "canvas/sound.h"

#include <algorithm>

#include "platform/audio.h"
#include "platform/resources.h"

namespace {

// The private message that carries end-of-play notices to the service; the
// number is the one the platform's media layer used for the same purpose.
constexpr unsigned kMsgSoundFinished = 0x03B9;

}  // namespace

struct CRSSoundHandler::Entry {
  std::string name;
  bool inMemory = false;
  bool repeat = false;
  int channel = kChannelEffects;
  // Set when playing starts, cleared when its end is noticed.
  bool playing = false;
  // Exactly one of these is set: effects are decoded into memory, music
  // streams.
  std::unique_ptr<platform::audio::Effect> effect;
  std::unique_ptr<platform::audio::Music> music;

  bool MixerPlaying() const { return effect ? effect->IsPlaying() : music->IsPlaying(); }
  bool MixerPaused() const { return effect ? effect->IsPaused() : music->IsPaused(); }
};

CRSSoundHandler& CRSSoundHandler::Instance() {
  static CRSSoundHandler service;
  return service;
}

CRSSoundHandler::CRSSoundHandler() {
  m_target = platform::RegisterMessageTarget(this);
  // The output opens here, so that it is closed only after every entry of
  // the service has gone at program end.
  platform::audio::Open();
  platform::audio::SetFinishedTarget(m_target, kMsgSoundFinished);
}

CRSSoundHandler::~CRSSoundHandler() {
  platform::audio::SetFinishedTarget(platform::kNoTarget, 0);
  platform::UnregisterMessageTarget(m_target);
  m_sounds.clear();
}

CRSSoundHandler::Entry* CRSSoundHandler::Find(const std::string& name, bool inMemory) const {
  for (const auto& entry : m_sounds)
    if (entry->inMemory == inMemory && entry->name == name) return entry.get();
  return nullptr;
}

bool CRSSoundHandler::ChannelEnabled(int channel) const {
  return channel == kChannelMusic ? m_musicEnabled : m_effectsEnabled;
}

bool CRSSoundHandler::PlayFile(const std::string& path, bool repeat, int channel) {
  if (path.empty() || (channel != kChannelEffects && channel != kChannelMusic)) return false;
  Entry* entry = Find(path, false);
  if (!entry) {
    auto opened = std::make_unique<Entry>();
    if (channel == kChannelEffects)
      opened->effect = platform::audio::Effect::FromFile(path);
    else
      opened->music = platform::audio::Music::FromFile(path);
    if (!opened->effect && !opened->music) return false;
    opened->name = path;
    opened->channel = channel;
    entry = opened.get();
    m_sounds.push_back(std::move(opened));
  }
  entry->repeat = repeat;
  return Play(*entry);
}

bool CRSSoundHandler::PlayMemory(const std::string& name, bool repeat, int channel,
                                 std::span<const std::uint8_t> data) {
  if (name.empty() || (channel != kChannelEffects && channel != kChannelMusic)) return false;
  Entry* entry = Find(name, true);
  if (!entry) {
    if (data.empty()) return false;
    auto opened = std::make_unique<Entry>();
    if (channel == kChannelEffects)
      opened->effect = platform::audio::Effect::FromMemory(data);
    else
      opened->music = platform::audio::Music::FromMemory(data);
    if (!opened->effect && !opened->music) return false;
    opened->name = name;
    opened->inMemory = true;
    opened->channel = channel;
    entry = opened.get();
    m_sounds.push_back(std::move(opened));
  }
  entry->repeat = repeat;
  return Play(*entry);
}

int CRSSoundHandler::GetEffectRequests(const std::string& name) const {
  const auto found = m_effectRequests.find(name);
  return found == m_effectRequests.end() ? 0 : found->second;
}

bool CRSSoundHandler::PlayResourceSound(const std::string& name, bool repeat) {
  if (m_effectsEnabled) ++m_effectRequests[name];
  return PlayMemory(name, repeat, kChannelEffects,
                    Find(name, true) ? std::span<const std::uint8_t>() : platform::FindResource("SOUND", name));
}

bool CRSSoundHandler::PlayResourceMusic(const std::string& name, bool repeat) {
  return PlayMemory(name, repeat, kChannelMusic,
                    Find(name, true) ? std::span<const std::uint8_t>() : platform::FindResource("SOUND", name));
}

bool CRSSoundHandler::Play(Entry& entry) {
  if (!ChannelEnabled(entry.channel)) return true;
  if (entry.playing && platform::audio::IsOpen()) {
    // The end of play may not have been noticed yet; the mixer knows.
    if (!entry.MixerPlaying()) {
      entry.playing = false;
    } else if (entry.MixerPaused()) {
      // A paused sound is not "still playing": left alone, a short effect
      // paused by switching sound off would stay mute for good. A repeating
      // one goes on from where it stopped; any other starts again.
      if (entry.repeat) {
        entry.effect ? entry.effect->Resume() : entry.music->Resume();
        return true;
      }
      entry.playing = false;
    } else {
      return true;  // still playing: an effect is not restarted
    }
  }
  if (entry.playing) return true;
  if (entry.music) {
    // The mixer has one music stream; the piece that held it stops now.
    for (const auto& other : m_sounds)
      if (other.get() != &entry && other->music) other->playing = false;
  }
  const bool started = entry.effect ? entry.effect->Play(entry.repeat) : entry.music->Play(entry.repeat);
  if (!started) {
    Close(entry);
    return false;
  }
  entry.playing = true;
  return true;
}

void CRSSoundHandler::Close(Entry& entry) {
  auto it = std::find_if(m_sounds.begin(), m_sounds.end(), [&entry](const auto& e) { return e.get() == &entry; });
  if (it != m_sounds.end()) m_sounds.erase(it);
}

void CRSSoundHandler::CloseFile(const std::string& path) {
  if (Entry* entry = Find(path, false)) Close(*entry);
}

void CRSSoundHandler::CloseMemory(const std::string& name) {
  if (Entry* entry = Find(name, true)) Close(*entry);
}

void CRSSoundHandler::SetEffectsEnabled(bool enabled) { SetChannelEnabled(kChannelEffects, enabled); }

void CRSSoundHandler::SetMusicEnabled(bool enabled) { SetChannelEnabled(kChannelMusic, enabled); }

void CRSSoundHandler::SetChannelEnabled(int channel, bool enabled) {
  bool& flag = channel == kChannelMusic ? m_musicEnabled : m_effectsEnabled;
  if (flag == enabled) return;
  flag = enabled;
  if (!enabled) return;
  // Collect first: playing one piece of music changes the others' flags.
  std::vector<Entry*> repeating;
  for (const auto& entry : m_sounds)
    if (entry->channel == channel && entry->repeat) repeating.push_back(entry.get());
  for (Entry* entry : repeating)
    if (Find(entry->name, entry->inMemory) == entry) Play(*entry);
}

void CRSSoundHandler::PauseEffects() { PauseChannel(kChannelEffects); }

void CRSSoundHandler::PauseMusic() { PauseChannel(kChannelMusic); }

void CRSSoundHandler::PauseChannel(int channel) {
  for (const auto& entry : m_sounds) {
    if (entry->channel != channel) continue;
    entry->effect ? entry->effect->Pause() : entry->music->Pause();
  }
}

CRSSoundHandler::EntryState CRSSoundHandler::StateOf(const std::string& name, bool inMemory) const {
  const Entry* entry = Find(name, inMemory);
  if (!entry) return EntryState::kClosed;
  if (!entry->playing) return EntryState::kStopped;
  return platform::audio::IsOpen() && entry->MixerPaused() ? EntryState::kPaused : EntryState::kPlaying;
}

void CRSSoundHandler::OnMessage(const platform::Message& msg) {
  if (msg.message != kMsgSoundFinished) return;
  // Notices can be stale: a sound restarted or replaced since then is
  // playing again, so only entries the mixer no longer plays have ended.
  std::vector<Entry*> ended;
  for (const auto& entry : m_sounds) {
    if (!entry->playing) continue;
    const bool match = msg.wParam == platform::audio::kEffectFinished
                           ? entry->effect && entry->effect->Channel() == static_cast<int>(msg.lParam)
                           : entry->music != nullptr;
    if (match && !entry->MixerPlaying()) ended.push_back(entry.get());
  }
  for (Entry* entry : ended)
    if (Find(entry->name, entry->inMemory) == entry) OnFinished(*entry);
}

void CRSSoundHandler::OnFinished(Entry& entry) {
  entry.playing = false;
  // Repeating sounds loop inside the mixer and end only when stopped; should
  // one end anyway, it starts again, and is closed if it cannot.
  if (entry.repeat && ChannelEnabled(entry.channel)) Play(entry);
}
