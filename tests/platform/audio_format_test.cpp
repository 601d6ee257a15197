// Recognising sound formats by content: good files of each kind pass, broken
// and disguised ones are refused before any decoder sees them.

#include "platform/audio_format.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/canvas/sound_samples.h"

namespace {

using platform::AudioFormat;
using platform::SniffAudioFormat;
using Bytes = std::vector<std::uint8_t>;

Bytes Mp3Frames(int count) {
  // MPEG-1 layer III, 128 kbit/s, 44100 Hz, no padding: 417 bytes a frame.
  Bytes out;
  for (int i = 0; i < count; ++i) {
    Bytes frame(417, 0);
    frame[0] = 0xFF;
    frame[1] = 0xFB;
    frame[2] = 0x90;
    frame[3] = 0x64;
    out.insert(out.end(), frame.begin(), frame.end());
  }
  return out;
}

TEST(AudioFormat, WaveNeedsFormatAndCompleteData) {
  const Bytes good = sound_samples::MakeWave(0.1);
  EXPECT_EQ(SniffAudioFormat(good), AudioFormat::kWave);

  Bytes truncated = good;
  truncated.resize(good.size() - 100);
  EXPECT_EQ(SniffAudioFormat(truncated), AudioFormat::kUnknown);

  Bytes noFormat = good;
  std::copy_n("junk", 4, noFormat.begin() + 12);  // rename the "fmt " chunk
  EXPECT_EQ(SniffAudioFormat(noFormat), AudioFormat::kUnknown);

  Bytes badRate = good;
  badRate[24] = badRate[25] = badRate[26] = badRate[27] = 0;
  EXPECT_EQ(SniffAudioFormat(badRate), AudioFormat::kUnknown);

  // An unknown chunk before the data is skipped, as the format allows.
  Bytes withList(good.begin(), good.begin() + 36);
  withList.insert(withList.end(), {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0});
  withList.insert(withList.end(), good.begin() + 36, good.end());
  EXPECT_EQ(SniffAudioFormat(withList), AudioFormat::kWave);
}

TEST(AudioFormat, MidiTracksMustParse) {
  const Bytes good = sound_samples::MakeMidi(3);
  EXPECT_EQ(SniffAudioFormat(good), AudioFormat::kMidi);

  Bytes noEnd = good;
  noEnd.resize(noEnd.size() - 4);  // drop the end-of-track event
  noEnd[21] = static_cast<std::uint8_t>(noEnd[21] - 4);
  EXPECT_EQ(SniffAudioFormat(noEnd), AudioFormat::kUnknown);

  Bytes longTrack = good;
  longTrack[21] = static_cast<std::uint8_t>(longTrack[21] + 10);  // track claims more than the file holds
  EXPECT_EQ(SniffAudioFormat(longTrack), AudioFormat::kUnknown);

  Bytes badRunningStatus = good;
  badRunningStatus[23] = 0x40;  // a data byte where the first status byte belongs
  EXPECT_EQ(SniffAudioFormat(badRunningStatus), AudioFormat::kUnknown);

  Bytes twoTracksClaimed = good;
  twoTracksClaimed[11] = 2;
  EXPECT_EQ(SniffAudioFormat(twoTracksClaimed), AudioFormat::kUnknown);

  // The same data wrapped in a RIFF MIDI file.
  Bytes riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'};
  sound_samples::PutLe32(riff, static_cast<std::uint32_t>(good.size()));
  riff.insert(riff.end(), good.begin(), good.end());
  EXPECT_EQ(SniffAudioFormat(riff), AudioFormat::kMidi);
}

TEST(AudioFormat, Mp3NeedsTwoFramesInStep) {
  EXPECT_EQ(SniffAudioFormat(Mp3Frames(3)), AudioFormat::kMp3);

  Bytes tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
  tagged.resize(30, 0);
  const Bytes frames = Mp3Frames(2);
  tagged.insert(tagged.end(), frames.begin(), frames.end());
  EXPECT_EQ(SniffAudioFormat(tagged), AudioFormat::kMp3);

  Bytes outOfStep = Mp3Frames(3);
  outOfStep[417] = 0x12;  // the second frame is not where the first says
  EXPECT_EQ(SniffAudioFormat(outOfStep), AudioFormat::kUnknown);

  Bytes reservedRate = Mp3Frames(2);
  reservedRate[2] = 0x9C;  // sample-rate index 3 is reserved
  EXPECT_EQ(SniffAudioFormat(reservedRate), AudioFormat::kUnknown);
}

TEST(AudioFormat, ContainersByMagicAndJunkRefused) {
  Bytes ogg = {'O', 'g', 'g', 'S'};
  ogg.resize(64, 0);
  EXPECT_EQ(SniffAudioFormat(ogg), AudioFormat::kOgg);
  Bytes flac = {'f', 'L', 'a', 'C'};
  flac.resize(64, 0);
  EXPECT_EQ(SniffAudioFormat(flac), AudioFormat::kFlac);

  EXPECT_EQ(SniffAudioFormat(Bytes{}), AudioFormat::kUnknown);
  EXPECT_EQ(SniffAudioFormat(Bytes{'R', 'I', 'F', 'F'}), AudioFormat::kUnknown);
  Bytes text(200, 'a');
  EXPECT_EQ(SniffAudioFormat(text), AudioFormat::kUnknown);
}

}  // namespace
