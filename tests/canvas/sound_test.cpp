// The sound service against a real mixer: the output goes to SDL's "disk"
// audio driver, and the tests read the samples it wrote to prove what was
// heard and what was not.

#include "canvas/sound.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
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

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The output is opened once per process, on first use of the service,
    // so the driver is chosen before that.
    m_capture = TempDir() + "/output.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", m_capture.c_str(), 1);
    sound = &CRSSoundHandler::Instance();
    ASSERT_TRUE(platform::audio::IsOpen()) << "no disk audio output";
  }

  // Runs the message loop for `ms` and returns the loudest sample the mixer
  // wrote meanwhile (0 for silence, up to 32768).
  int LoudestWhile(unsigned ms) {
    const std::streamoff start = FileSize();
    Pump(ms);
    std::ifstream in(m_capture, std::ios::binary);
    in.seekg(start);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int loudest = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      std::int16_t sample;
      std::memcpy(&sample, bytes.data() + i, sizeof sample);
      loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
    }
    return loudest;
  }

  // The loudest sample after what was already mixed has drained: the device
  // buffer and the driver's file buffer hold up to about 50 ms.
  int LoudestAfterDrain(unsigned ms) {
    Pump(100);
    return LoudestWhile(ms);
  }

  void Pump(unsigned ms) {
    const Uint32 end = SDL_GetTicks() + ms;
    while (!SDL_TICKS_PASSED(SDL_GetTicks(), end)) m_loop.PumpMessages(5);
  }

  std::streamoff FileSize() {
    std::ifstream in(m_capture, std::ios::binary | std::ios::ate);
    return in ? static_cast<std::streamoff>(in.tellg()) : 0;
  }

  static constexpr int kAudible = 1000;
  static constexpr int kSilent = 0;

  CRSSoundHandler* sound = nullptr;
  platform::MessageLoop m_loop;
  std::string m_capture;
};

TEST_F(SoundTest, EffectsReachTheDeviceFromResourcesFilesAndMemory) {
  ASSERT_TRUE(sound->PlayResourceSound("SOUND_PUZZLE_COMPLETE.WAV", false));
  EXPECT_EQ(sound->StateOf("SOUND_PUZZLE_COMPLETE.WAV", true), State::kPlaying);
  EXPECT_GT(LoudestWhile(300), kAudible);
  sound->CloseMemory("SOUND_PUZZLE_COMPLETE.WAV");
  EXPECT_EQ(sound->StateOf("SOUND_PUZZLE_COMPLETE.WAV", true), State::kClosed);
  EXPECT_EQ(LoudestAfterDrain(150), kSilent);

  const std::string path = WriteFile("tone.wav", MakeWave(0.3));
  ASSERT_TRUE(sound->PlayFile(path, false, CRSSoundHandler::kChannelEffects));
  EXPECT_GT(LoudestWhile(200), kAudible);
  // A file entry and a memory entry of the same name are different sounds.
  EXPECT_EQ(sound->StateOf(path, false), State::kPlaying);
  EXPECT_EQ(sound->StateOf(path, true), State::kClosed);

  ASSERT_TRUE(sound->PlayMemory("beep", false, CRSSoundHandler::kChannelEffects, MakeWave(0.3, 880)));
  EXPECT_GT(LoudestWhile(200), kAudible);
  // Once open, the entry is played again without data: they were only
  // needed the first time.
  Pump(300);
  EXPECT_EQ(sound->StateOf("beep", true), State::kStopped);
  EXPECT_TRUE(sound->PlayMemory("beep", false, CRSSoundHandler::kChannelEffects, {}));
  EXPECT_GT(LoudestWhile(200), kAudible);
}

TEST_F(SoundTest, WaveMusicPlaysFromFileAndMemoryOneAtATime) {
  const std::string path = WriteFile("music.wav", MakeWave(2.0, 330));
  ASSERT_TRUE(sound->PlayFile(path, false, CRSSoundHandler::kChannelMusic));
  EXPECT_GT(LoudestWhile(300), kAudible);

  // The mixer has one music stream: the second piece takes it over.
  ASSERT_TRUE(sound->PlayMemory("song.wav", false, CRSSoundHandler::kChannelMusic, MakeWave(2.0, 550)));
  EXPECT_GT(LoudestWhile(300), kAudible);
  EXPECT_EQ(sound->StateOf("song.wav", true), State::kPlaying);
  EXPECT_EQ(sound->StateOf(path, false), State::kStopped);

  sound->CloseMemory("song.wav");
  EXPECT_EQ(LoudestAfterDrain(150), kSilent);
  // Closing one entry leaves the other open for reuse.
  EXPECT_EQ(sound->StateOf(path, false), State::kStopped);
  ASSERT_TRUE(sound->PlayFile(path, false, CRSSoundHandler::kChannelMusic));
  EXPECT_GT(LoudestWhile(300), kAudible);
}

TEST_F(SoundTest, MidiMusicPlaysFromFileAndMemory) {
  const std::string path = WriteFile("tune.mid", MakeMidi(8));
  ASSERT_TRUE(sound->PlayFile(path, false, CRSSoundHandler::kChannelMusic));
  // The synthesiser loads in the background the first time; until then the
  // piece waits, silent.
  ASSERT_TRUE(platform::audio::WaitForMidi());
  EXPECT_GT(LoudestWhile(700), kAudible);
  sound->CloseFile(path);
  EXPECT_EQ(sound->StateOf(path, false), State::kClosed);

  ASSERT_TRUE(sound->PlayMemory("Puzzle - tune.mid", true, CRSSoundHandler::kChannelMusic, MakeMidi(8)));
  EXPECT_GT(LoudestWhile(700), kAudible);
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
  EXPECT_EQ(LoudestAfterDrain(300), kSilent);
  // A disabled channel still refuses what it cannot open.
  EXPECT_FALSE(sound->PlayMemory("junk.wav", false, CRSSoundHandler::kChannelMusic, RandomBytes(4096, 1)));

  // The other channel is unaffected by either flag.
  sound->SetMusicEnabled(true);
  EXPECT_TRUE(sound->PlayMemory("song.wav", false, CRSSoundHandler::kChannelMusic, {}));
  EXPECT_GT(LoudestWhile(200), kAudible);
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
  EXPECT_EQ(LoudestAfterDrain(200), kSilent);

  sound->SetEffectsEnabled(true);
  EXPECT_EQ(sound->StateOf("loop", true), State::kPlaying);
  EXPECT_EQ(sound->StateOf("late", true), State::kPlaying);
  EXPECT_EQ(sound->StateOf("once", true), State::kPaused);
  EXPECT_GT(LoudestWhile(200), kAudible);

  // Setting the flag it already has resumes nothing.
  sound->PauseEffects();
  sound->SetEffectsEnabled(true);
  EXPECT_EQ(sound->StateOf("loop", true), State::kPaused);
  EXPECT_EQ(LoudestAfterDrain(200), kSilent);

  // Asked for again, a paused effect that does not repeat starts afresh
  // instead of staying mute.
  EXPECT_TRUE(sound->PlayMemory("once", false, CRSSoundHandler::kChannelEffects, {}));
  EXPECT_EQ(sound->StateOf("once", true), State::kPlaying);
  EXPECT_GT(LoudestWhile(200), kAudible);
}

TEST_F(SoundTest, EffectStillPlayingIsNotRestarted) {
  ASSERT_TRUE(sound->PlayMemory("long", false, CRSSoundHandler::kChannelEffects, MakeWave(0.6)));
  Pump(300);
  ASSERT_TRUE(sound->PlayMemory("long", false, CRSSoundHandler::kChannelEffects, {}));
  // Started again, it would sound until about 0.9 s; left alone it ends at 0.6 s.
  Pump(400);
  EXPECT_EQ(sound->StateOf("long", true), State::kStopped);
  EXPECT_EQ(LoudestAfterDrain(150), kSilent);

  // Once it has ended it plays again from the start.
  ASSERT_TRUE(sound->PlayMemory("long", false, CRSSoundHandler::kChannelEffects, {}));
  EXPECT_GT(LoudestWhile(200), kAudible);
}

TEST_F(SoundTest, RepeatingMusicStartsAgainWhenItEnds) {
  const std::vector<std::uint8_t> tone = MakeWave(0.25, 500);
  ASSERT_TRUE(sound->PlayMemory("once.wav", false, CRSSoundHandler::kChannelMusic, tone));
  Pump(700);
  // The end-of-play notice has come through the message loop.
  EXPECT_EQ(sound->StateOf("once.wav", true), State::kStopped);
  EXPECT_EQ(LoudestAfterDrain(150), kSilent);
  sound->CloseMemory("once.wav");

  ASSERT_TRUE(sound->PlayMemory("loop.wav", true, CRSSoundHandler::kChannelMusic, tone));
  Pump(700);
  EXPECT_EQ(sound->StateOf("loop.wav", true), State::kPlaying);
  EXPECT_GT(LoudestWhile(300), kAudible);

  // MIDI loops the same way.
  const std::string path = WriteFile("short.mid", MakeMidi(1));
  ASSERT_TRUE(sound->PlayFile(path, true, CRSSoundHandler::kChannelMusic));
  ASSERT_TRUE(platform::audio::WaitForMidi());
  Pump(1500);
  EXPECT_EQ(sound->StateOf(path, false), State::kPlaying);
  EXPECT_GT(LoudestWhile(600), kAudible);
}

TEST_F(SoundTest, BadInputIsRefusedQuietly) {
  std::vector<std::uint8_t> truncated = MakeWave(0.5);
  truncated.resize(truncated.size() / 2);
  std::vector<std::uint8_t> headerOnly = MakeWave(0.1);
  headerOnly.resize(30);
  std::vector<std::uint8_t> garbageMidi = MakeMidi(4);
  // A sound header over notes that make no sense.
  for (std::size_t i = 22; i < garbageMidi.size(); ++i) garbageMidi[i] = static_cast<std::uint8_t>(0xF3 ^ i);

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
  EXPECT_EQ(LoudestAfterDrain(100), kSilent);
  EXPECT_TRUE(sound->PlayResourceSound("SOUND_PIECE_DOWN.WAV", false));
  EXPECT_GT(LoudestWhile(200), kAudible);
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
