// The sound service against a real mixer: the output goes to SDL's "disk"
// audio driver, and the tests read every buffer the mixer hands it to prove
// what was heard and what was not. Every wait is for a condition, with a
// generous deadline, and every length of sound is counted in mixed frames.

#include "canvas/sound.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/message_loop.h"
#include "tests/canvas/sound_samples.h"

namespace {

using State = CRSSoundHandler::EntryState;
using sound_samples::MakeMidi;
using sound_samples::MakeWave;

std::string TempDir() {
  static const std::string dir = [] {
    char name[] = "/tmp/tandrill_sound_XXXXXX";
    return std::string(mkdtemp(name) ? name : "/tmp");
  }();
  return dir;
}

std::string WriteFile(const std::string& leaf, const std::vector<std::uint8_t>& bytes) {
  const std::string path = TempDir() + "/" + leaf;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::vector<std::uint8_t> RandomBytes(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

// Everything the mixer hands to the device, buffer by buffer, as the tap
// sees it on the audio thread: how many frames and the loudest sample. The
// tests measure sound in mixed frames rather than in wall-clock time, so a
// busy machine only makes them slower, never wrong.
class Capture {
 public:
  struct Block {
    std::size_t frames;
    int loudest;
  };

  static void Tap(void* user, const std::int16_t* samples, std::size_t count) {
    int loudest = 0;
    for (std::size_t i = 0; i < count; ++i) loudest = std::max(loudest, std::abs(static_cast<int>(samples[i])));
    auto* self = static_cast<Capture*>(user);
    std::lock_guard lock(self->m_mutex);
    self->m_blocks.push_back({count / platform::audio::kOutputChannels, loudest});
  }

  std::size_t Mark() const {
    std::lock_guard lock(m_mutex);
    return m_blocks.size();
  }
  // Calls visit for each block mixed since the mark, in order.
  template <typename Visit>
  void ForEachSince(std::size_t mark, Visit visit) const {
    std::lock_guard lock(m_mutex);
    for (std::size_t i = mark; i < m_blocks.size(); ++i) visit(m_blocks[i]);
  }

 private:
  mutable std::mutex m_mutex;
  std::vector<Block> m_blocks;
};

std::size_t FramesIn(double seconds) { return static_cast<std::size_t>(seconds * platform::audio::kOutputRate); }

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The output is opened once per process, on first use of the service,
    // so the driver is chosen before that.
    const std::string file = TempDir() + "/output.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    sound = &CRSSoundHandler::Instance();
    ASSERT_TRUE(platform::audio::IsOpen()) << "no disk audio output";
    platform::audio::SetOutputTap(&Capture::Tap, &s_capture);
  }
  void TearDown() override { platform::audio::SetOutputTap(nullptr, nullptr); }

  // Runs the message loop until the condition holds or the deadline passes;
  // the deadline is far beyond what any condition needs on an idle machine.
  template <typename Condition>
  bool WaitUntil(Condition condition, unsigned deadlineMs = kDeadlineMs) {
    const Uint32 end = SDL_GetTicks() + deadlineMs;
    while (!condition()) {
      if (SDL_TICKS_PASSED(SDL_GetTicks(), end)) return condition();
      m_loop.PumpMessages(5);
    }
    return true;
  }

  // The loudest sample mixed since the mark.
  int LoudestSince(std::size_t mark) const {
    int loudest = 0;
    s_capture.ForEachSince(mark, [&](const Capture::Block& b) { loudest = std::max(loudest, b.loudest); });
    return loudest;
  }
  std::size_t FramesSince(std::size_t mark) const {
    std::size_t frames = 0;
    s_capture.ForEachSince(mark, [&](const Capture::Block& b) { frames += b.frames; });
    return frames;
  }

  // True once something audible has been mixed since the mark.
  bool Hears(std::size_t mark) {
    return WaitUntil([&] { return LoudestSince(mark) > kAudible; });
  }
  // Lets the mixer produce this much sound, whatever time that takes.
  bool Mix(double seconds) {
    const std::size_t mark = s_capture.Mark();
    return WaitUntil([&] { return FramesSince(mark) >= FramesIn(seconds); });
  }
  // The next `seconds` of mixed sound, after a buffer that may have been
  // under way when this was asked, are silence.
  bool QuietFor(double seconds) {
    const std::size_t mark = s_capture.Mark() + 1;
    // A device that fell asleep meanwhile (a slow step, under a sanitizer)
    // plays nothing: that is quiet too.
    const auto done = [&] { return !platform::audio::IsDeviceAwake() || FramesSince(mark) >= FramesIn(seconds); };
    if (!WaitUntil(done)) return false;
    return LoudestSince(mark) == kSilent;
  }
  // Frames from the first audible buffer after the mark to the end of the
  // last audible one.
  std::size_t AudibleSpan(std::size_t mark) const {
    std::size_t at = 0, first = 0, last = 0;
    bool heard = false;
    s_capture.ForEachSince(mark, [&](const Capture::Block& b) {
      if (b.loudest > kAudible) {
        if (!heard) first = at;
        heard = true;
        last = at + b.frames;
      }
      at += b.frames;
    });
    return heard ? last - first : 0;
  }
  bool StateBecomes(const std::string& name, bool inMemory, State state) {
    return WaitUntil([&] { return sound->StateOf(name, inMemory) == state; });
  }

  static constexpr int kAudible = 1000;
  static constexpr int kSilent = 0;
  static constexpr unsigned kDeadlineMs = 30000;

  // Static, so that a buffer the audio thread is still handing over when a
  // test ends never finds it gone.
  static inline Capture s_capture;
  CRSSoundHandler* sound = nullptr;
  platform::MessageLoop m_loop;
};

TEST_F(SoundTest, EffectsReachTheDeviceFromResourcesFilesAndMemory) {
  std::size_t mark = s_capture.Mark();
  ASSERT_TRUE(sound->PlayResourceSound("SOUND_PUZZLE_COMPLETE.WAV", false));
  EXPECT_EQ(sound->StateOf("SOUND_PUZZLE_COMPLETE.WAV", true), State::kPlaying);
  EXPECT_TRUE(Hears(mark));
  sound->CloseMemory("SOUND_PUZZLE_COMPLETE.WAV");
  EXPECT_EQ(sound->StateOf("SOUND_PUZZLE_COMPLETE.WAV", true), State::kClosed);
  EXPECT_TRUE(QuietFor(0.15));

  const std::string path = WriteFile("tone.wav", MakeWave(0.3));
  mark = s_capture.Mark();
  ASSERT_TRUE(sound->PlayFile(path, false, CRSSoundHandler::kChannelEffects));
  // A file entry and a memory entry of the same name are different sounds.
  EXPECT_EQ(sound->StateOf(path, false), State::kPlaying);
  EXPECT_EQ(sound->StateOf(path, true), State::kClosed);
  EXPECT_TRUE(Hears(mark));

  mark = s_capture.Mark();
  ASSERT_TRUE(sound->PlayMemory("beep", false, CRSSoundHandler::kChannelEffects, MakeWave(0.3, 880)));
  EXPECT_TRUE(Hears(mark));
  // Once open, the entry is played again without data: they were only
  // needed the first time.
  EXPECT_TRUE(StateBecomes("beep", true, State::kStopped));
  mark = s_capture.Mark();
  EXPECT_TRUE(sound->PlayMemory("beep", false, CRSSoundHandler::kChannelEffects, {}));
  EXPECT_TRUE(Hears(mark));
}

TEST_F(SoundTest, WaveMusicPlaysFromFileAndMemoryOneAtATime) {
  const std::string path = WriteFile("music.wav", MakeWave(2.0, 330));
  std::size_t mark = s_capture.Mark();
  ASSERT_TRUE(sound->PlayFile(path, false, CRSSoundHandler::kChannelMusic));
  EXPECT_TRUE(Hears(mark));

  // The mixer has one music stream: the second piece takes it over.
  mark = s_capture.Mark();
  ASSERT_TRUE(sound->PlayMemory("song.wav", false, CRSSoundHandler::kChannelMusic, MakeWave(2.0, 550)));
  EXPECT_EQ(sound->StateOf("song.wav", true), State::kPlaying);
  EXPECT_TRUE(StateBecomes(path, false, State::kStopped));
  EXPECT_TRUE(Hears(mark));

  sound->CloseMemory("song.wav");
  EXPECT_TRUE(QuietFor(0.15));
  // Closing one entry leaves the other open for reuse.
  EXPECT_EQ(sound->StateOf(path, false), State::kStopped);
  mark = s_capture.Mark();
  ASSERT_TRUE(sound->PlayFile(path, false, CRSSoundHandler::kChannelMusic));
  EXPECT_TRUE(Hears(mark));
}

TEST_F(SoundTest, MidiMusicPlaysFromFileAndMemory) {
  const std::string path = WriteFile("tune.mid", MakeMidi(8));
  std::size_t mark = s_capture.Mark();
  ASSERT_TRUE(sound->PlayFile(path, false, CRSSoundHandler::kChannelMusic));
  // The synthesiser loads in the background the first time; until then the
  // piece waits, silent.
  ASSERT_TRUE(platform::audio::WaitForMidi());
  EXPECT_TRUE(Hears(mark));
  sound->CloseFile(path);
  EXPECT_EQ(sound->StateOf(path, false), State::kClosed);

  mark = s_capture.Mark();
  ASSERT_TRUE(sound->PlayMemory("Puzzle - tune.mid", true, CRSSoundHandler::kChannelMusic, MakeMidi(8)));
  EXPECT_TRUE(Hears(mark));
  // MIDI is music: the effects channel refuses it.
  EXPECT_FALSE(sound->PlayMemory("effect.mid", false, CRSSoundHandler::kChannelEffects, MakeMidi(2)));
}

TEST_F(SoundTest, DisabledChannelPlaysNothingYetSucceeds) {
  sound->SetEffectsEnabled(false);
  EXPECT_FALSE(sound->EffectsEnabled());
  EXPECT_TRUE(sound->PlayResourceSound("SOUND_PIECE_CONNECT.WAV", false));
  EXPECT_EQ(sound->StateOf("SOUND_PIECE_CONNECT.WAV", true), State::kStopped);

  sound->SetMusicEnabled(false);
  EXPECT_TRUE(sound->PlayMemory("song.wav", false, CRSSoundHandler::kChannelMusic, MakeWave(1.0)));
  EXPECT_TRUE(QuietFor(0.3));
  // A disabled channel still refuses what it cannot open.
  EXPECT_FALSE(sound->PlayMemory("junk.wav", false, CRSSoundHandler::kChannelMusic, RandomBytes(4096, 1)));

  // The other channel is unaffected by either flag.
  sound->SetMusicEnabled(true);
  const std::size_t mark = s_capture.Mark();
  EXPECT_TRUE(sound->PlayMemory("song.wav", false, CRSSoundHandler::kChannelMusic, {}));
  EXPECT_TRUE(Hears(mark));
}

TEST_F(SoundTest, ReenablingResumesOnlyRepeatingEntries) {
  ASSERT_TRUE(sound->PlayMemory("loop", true, CRSSoundHandler::kChannelEffects, MakeWave(0.2, 440)));
  ASSERT_TRUE(sound->PlayMemory("once", false, CRSSoundHandler::kChannelEffects, MakeWave(2.0, 660)));
  // A repeating entry asked for while the channel is off starts when it comes on.
  sound->SetEffectsEnabled(false);
  ASSERT_TRUE(sound->PlayMemory("late", true, CRSSoundHandler::kChannelEffects, MakeWave(0.2, 990)));
  sound->SetEffectsEnabled(true);
  EXPECT_EQ(sound->StateOf("late", true), State::kPlaying);

  sound->PauseEffects();
  sound->SetEffectsEnabled(false);
  EXPECT_EQ(sound->StateOf("loop", true), State::kPaused);
  EXPECT_EQ(sound->StateOf("once", true), State::kPaused);
  EXPECT_TRUE(QuietFor(0.2));

  std::size_t mark = s_capture.Mark();
  sound->SetEffectsEnabled(true);
  EXPECT_EQ(sound->StateOf("loop", true), State::kPlaying);
  EXPECT_EQ(sound->StateOf("late", true), State::kPlaying);
  EXPECT_EQ(sound->StateOf("once", true), State::kPaused);
  EXPECT_TRUE(Hears(mark));

  // Setting the flag it already has resumes nothing.
  sound->PauseEffects();
  sound->SetEffectsEnabled(true);
  EXPECT_EQ(sound->StateOf("loop", true), State::kPaused);
  EXPECT_TRUE(QuietFor(0.2));

  // Asked for again, a paused effect that does not repeat starts afresh
  // instead of staying mute.
  mark = s_capture.Mark();
  EXPECT_TRUE(sound->PlayMemory("once", false, CRSSoundHandler::kChannelEffects, {}));
  EXPECT_EQ(sound->StateOf("once", true), State::kPlaying);
  EXPECT_TRUE(Hears(mark));
}

TEST_F(SoundTest, EffectStillPlayingIsNotRestarted) {
  const std::size_t mark = s_capture.Mark();
  ASSERT_TRUE(sound->PlayMemory("long", false, CRSSoundHandler::kChannelEffects, MakeWave(2.0)));
  ASSERT_TRUE(Hears(mark));
  // Asked for again half a second into its two seconds, it plays on.
  ASSERT_TRUE(Mix(0.5));
  ASSERT_EQ(sound->StateOf("long", true), State::kPlaying);
  ASSERT_TRUE(sound->PlayMemory("long", false, CRSSoundHandler::kChannelEffects, {}));
  EXPECT_TRUE(StateBecomes("long", true, State::kStopped));
  EXPECT_TRUE(QuietFor(0.15));
  // Restarted, it would have sounded for at least 2.5 s.
  EXPECT_NEAR(static_cast<double>(AudibleSpan(mark)), static_cast<double>(FramesIn(2.0)),
              static_cast<double>(FramesIn(0.25)));

  // Once it has ended it plays again from the start.
  const std::size_t again = s_capture.Mark();
  ASSERT_TRUE(sound->PlayMemory("long", false, CRSSoundHandler::kChannelEffects, {}));
  EXPECT_TRUE(Hears(again));
}

TEST_F(SoundTest, RepeatingMusicStartsAgainWhenItEnds) {
  const std::vector<std::uint8_t> tone = MakeWave(0.25, 500);
  ASSERT_TRUE(sound->PlayMemory("once.wav", false, CRSSoundHandler::kChannelMusic, tone));
  // The end-of-play notice comes through the message loop.
  EXPECT_TRUE(StateBecomes("once.wav", true, State::kStopped));
  EXPECT_TRUE(QuietFor(0.15));
  sound->CloseMemory("once.wav");

  ASSERT_TRUE(sound->PlayMemory("loop.wav", true, CRSSoundHandler::kChannelMusic, tone));
  // Well past its length it still plays, and is still heard.
  ASSERT_TRUE(Mix(0.7));
  EXPECT_EQ(sound->StateOf("loop.wav", true), State::kPlaying);
  EXPECT_TRUE(Hears(s_capture.Mark()));

  // MIDI loops the same way.
  const std::string path = WriteFile("short.mid", MakeMidi(1));
  ASSERT_TRUE(sound->PlayFile(path, true, CRSSoundHandler::kChannelMusic));
  ASSERT_TRUE(platform::audio::WaitForMidi());
  ASSERT_TRUE(Mix(1.5));
  EXPECT_EQ(sound->StateOf(path, false), State::kPlaying);
  EXPECT_TRUE(Hears(s_capture.Mark()));
}

TEST_F(SoundTest, BadInputIsRefusedQuietly) {
  std::vector<std::uint8_t> truncated = MakeWave(0.5);
  truncated.resize(truncated.size() / 2);
  std::vector<std::uint8_t> headerOnly = MakeWave(0.1);
  headerOnly.resize(30);
  std::vector<std::uint8_t> garbageMidi = MakeMidi(4);
  // A sound header over notes that make no sense.
  for (std::size_t i = 22; i < garbageMidi.size(); ++i) garbageMidi[i] = static_cast<std::uint8_t>(0xF3 ^ i);

  const std::size_t start = s_capture.Mark();
  const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> bad = {
      {"empty.wav", {}},
      {"truncated.wav", truncated},
      {"header-only.wav", headerOnly},
      {"garbage.mid", garbageMidi},
      {"noise.mid", RandomBytes(3000, 2)},
  };
  for (const auto& [leaf, bytes] : bad) {
    SCOPED_TRACE(leaf);
    const std::string path = WriteFile(leaf, bytes);
    for (int channel : {0, 1}) {
      EXPECT_FALSE(sound->PlayFile(path, true, channel));
      EXPECT_EQ(sound->StateOf(path, false), State::kClosed);
      EXPECT_FALSE(sound->PlayMemory(leaf, true, channel, bytes));
      EXPECT_EQ(sound->StateOf(leaf, true), State::kClosed);
    }
  }
  EXPECT_FALSE(sound->PlayFile(TempDir() + "/missing.wav", false, 1));
  EXPECT_FALSE(sound->PlayResourceSound("SOUND_NO_SUCH.WAV", false));
  EXPECT_FALSE(sound->PlayFile("", false, 0));
  EXPECT_FALSE(sound->PlayMemory("tone", false, 2, MakeWave(0.1)));

  // 100 MB of noise given as music.
  const std::string big = TempDir() + "/big.mp3";
  {
    std::ofstream out(big, std::ios::binary);
    for (unsigned part = 0; part < 100; ++part) {
      const auto chunk = RandomBytes(1 << 20, 100 + part);
      out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
    }
  }
  EXPECT_FALSE(sound->PlayFile(big, true, CRSSoundHandler::kChannelMusic));
  EXPECT_EQ(sound->StateOf(big, false), State::kClosed);
  std::remove(big.c_str());

  // Nothing of it was heard, and good sounds still play.
  EXPECT_TRUE(QuietFor(0.1));
  EXPECT_EQ(LoudestSince(start), kSilent);
  const std::size_t mark = s_capture.Mark();
  EXPECT_TRUE(sound->PlayResourceSound("SOUND_PIECE_DOWN.WAV", false));
  EXPECT_TRUE(Hears(mark));
}

// The device sleeps once nothing has sounded for a while and comes back,
// with its channels, end notices and tap, for the next sound, old or newly
// loaded; a paused effect keeps it awake, so it can still be resumed, and
// the quiet time counts from the end of a sound, not from its start.
TEST_F(SoundTest, DeviceSleepsWhenQuietAndWakesForTheNextSound) {
  platform::audio::SetSleepAfter(200);
  ASSERT_TRUE(sound->PlayResourceSound("SOUND_BUTTON_CLICK.WAV", false));
  ASSERT_TRUE(WaitUntil([] { return !platform::audio::IsDeviceAwake(); }));
  std::size_t mark = s_capture.Mark();
  ASSERT_TRUE(sound->PlayResourceSound("SOUND_BUTTON_CLICK.WAV", false));
  EXPECT_TRUE(Hears(mark));
  EXPECT_TRUE(StateBecomes("SOUND_BUTTON_CLICK.WAV", true, State::kStopped));
  ASSERT_TRUE(WaitUntil([] { return !platform::audio::IsDeviceAwake(); }));
  mark = s_capture.Mark();
  ASSERT_TRUE(sound->PlayMemory("wake.wav", true, CRSSoundHandler::kChannelEffects, MakeWave(0.3, 660)));
  EXPECT_TRUE(Hears(mark));

  sound->PauseEffects();
  const Uint32 until = SDL_GetTicks() + 1000;
  WaitUntil([&] { return SDL_TICKS_PASSED(SDL_GetTicks(), until); });
  EXPECT_TRUE(platform::audio::IsDeviceAwake());
  mark = s_capture.Mark();
  ASSERT_TRUE(sound->PlayMemory("wake.wav", true, CRSSoundHandler::kChannelEffects, {}));
  EXPECT_TRUE(Hears(mark));
  sound->CloseMemory("wake.wav");

  // A sound nearly as long as the quiet time is heard to its end, and the
  // device stays open for a while after it.
  platform::audio::SetSleepAfter(400);
  ASSERT_TRUE(sound->PlayMemory("as-long.wav", false, CRSSoundHandler::kChannelEffects, MakeWave(0.3, 440)));
  EXPECT_TRUE(StateBecomes("as-long.wav", true, State::kStopped));
  EXPECT_TRUE(QuietFor(0.1));
  platform::audio::SetSleepAfter(0);
}

// Without a sound device the program runs silently and reports no error.
TEST(SoundWithoutDevice, PlaysSilentlyAndStillRefusesBadInput) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  CRSSoundHandler& sound = CRSSoundHandler::Instance();
  if (platform::audio::IsOpen()) GTEST_SKIP() << "the output was opened earlier in this process";
  EXPECT_TRUE(sound.PlayResourceSound("SOUND_BUTTON_CLICK.WAV", false));
  EXPECT_TRUE(sound.PlayMemory("tune.mid", true, CRSSoundHandler::kChannelMusic, MakeMidi(2)));
  sound.PauseMusic();
  sound.SetMusicEnabled(false);
  sound.SetMusicEnabled(true);
  EXPECT_FALSE(sound.PlayMemory("noise", true, CRSSoundHandler::kChannelMusic, RandomBytes(5000, 3)));
  EXPECT_EQ(sound.StateOf("noise", true), State::kClosed);
}

}  // namespace
