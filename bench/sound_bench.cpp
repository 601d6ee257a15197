// Sound: how soon an effect is heard, and what loading a MIDI piece costs.
// Runs with whatever SDL_AUDIODRIVER says; unset, the "dummy" driver is used,
// which runs the mixer in real time without a device.

#include <benchmark/benchmark.h>

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/audio.h"
#include "platform/message_loop.h"
#include "canvas/sound.h"
#include "tests/canvas/sound_samples.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> s_heard{false};
std::atomic<Clock::rep> s_heardAt{0};

// The mixer's post-mix tap: the first buffer with a non-silent sample marks
// the moment the effect reached the device.
void Listen(void*, const std::int16_t* samples, std::size_t count) {
  if (s_heard.load(std::memory_order_relaxed)) return;
  for (std::size_t i = 0; i < count; ++i)
    if (samples[i] != 0) {
      s_heardAt = Clock::now().time_since_epoch().count();
      s_heard = true;
      return;
    }
}

CRSSoundHandler& Service() {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  return CRSSoundHandler::Instance();
}

// Budget: under 30 ms from the call to the first sample mixed for the device,
// with the 1024-frame (23 ms) buffer. The floor beside it is one buffer period.
void BM_EffectLatency(benchmark::State& state) {
  CRSSoundHandler& sound = Service();
  if (!platform::audio::IsOpen()) {
    state.SkipWithError("no audio output");
    return;
  }
  platform::MessageLoop loop;
  platform::audio::SetOutputTap(Listen, nullptr);
  const char* name = "SOUND_BUTTON_CLICK.WAV";
  // The first play opens the entry; the measured ones reuse it, as the game does.
  sound.PlayResourceSound(name, false);
  for (auto _ : state) {
    while (sound.StateOf(name, true) != CRSSoundHandler::EntryState::kStopped) loop.PumpMessages(1);
    s_heard = false;
    const auto start = Clock::now();
    sound.PlayResourceSound(name, false);
    while (!s_heard) SDL_Delay(0);
    const auto heard = Clock::time_point(Clock::duration(s_heardAt.load()));
    state.SetIterationTime(std::chrono::duration<double>(heard - start).count());
  }
  platform::audio::SetOutputTap(nullptr, nullptr);
  state.counters["buffer_ms"] = 1000.0 * platform::audio::kOutputBufferFrames / platform::audio::kOutputRate;
}
BENCHMARK(BM_EffectLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

// The same for the first effect after the device has gone to sleep, which
// opens it again first. Budget: under 50 ms.
void BM_EffectLatencyAfterSleep(benchmark::State& state) {
  CRSSoundHandler& sound = Service();
  if (!platform::audio::IsOpen()) {
    state.SkipWithError("no audio output");
    return;
  }
  platform::MessageLoop loop;
  platform::audio::SetOutputTap(Listen, nullptr);
  platform::audio::SetSleepAfter(20);
  const char* name = "SOUND_BUTTON_CLICK.WAV";
  sound.PlayResourceSound(name, false);
  for (auto _ : state) {
    while (platform::audio::IsDeviceAwake()) loop.PumpMessages(5);
    s_heard = false;
    const auto start = Clock::now();
    sound.PlayResourceSound(name, false);
    while (!s_heard) SDL_Delay(0);
    const auto heard = Clock::time_point(Clock::duration(s_heardAt.load()));
    state.SetIterationTime(std::chrono::duration<double>(heard - start).count());
  }
  platform::audio::SetSleepAfter(0);
  platform::audio::SetOutputTap(nullptr, nullptr);
}
BENCHMARK(BM_EffectLatencyAfterSleep)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Budget: loading a MIDI piece from memory must not stall the user-interface
// thread (well under one 16 ms frame). The shared synthesiser loads once in
// the background; that one-time cost is reported as synth_load_ms.
void BM_MusicLoadMidi(benchmark::State& state) {
  Service();
  if (!platform::audio::IsOpen()) {
    state.SkipWithError("no audio output");
    return;
  }
  const auto midi = sound_samples::MakeMidi(64);
  {
    const auto start = Clock::now();
    auto first = platform::audio::Music::FromMemory(midi);
    platform::audio::WaitForMidi();
    state.counters["synth_load_ms"] = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }
  for (auto _ : state) {
    auto music = platform::audio::Music::FromMemory(midi);
    benchmark::DoNotOptimize(music.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * midi.size()));
}
BENCHMARK(BM_MusicLoadMidi)->Unit(benchmark::kMicrosecond)->Iterations(1000);

// The floor for BM_MusicLoadMidi: copying the same bytes.
void BM_MusicLoadMidiCopyFloor(benchmark::State& state) {
  const auto midi = sound_samples::MakeMidi(64);
  for (auto _ : state) {
    std::vector<std::uint8_t> copy(midi);
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_MusicLoadMidiCopyFloor)->Unit(benchmark::kMicrosecond);

}  // namespace
