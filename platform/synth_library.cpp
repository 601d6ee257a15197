#include "platform/synth_library.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>

#include "platform/audio.h"
#include "platform/paths.h"

namespace platform {
namespace {

// Resolves one function into a typed pointer; false when it is absent.
template <typename Fn>
bool Resolve(void* handle, const char* name, Fn& out) {
  void* symbol = dlsym(handle, name);
  if (!symbol) return false;
  // Converting an object pointer to a function pointer is what dlsym is made
  // for; POSIX guarantees it works.
  out = reinterpret_cast<Fn>(symbol);
  return true;
}

std::uint32_t ReadLittle32(const char* bytes) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[3])) << 24;
}

}  // namespace

LibraryStatus ProbeLibrary(const std::string& name, const char* function) {
  void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return LibraryStatus::kMissing;
  const bool found = dlsym(handle, function) != nullptr;
  dlclose(handle);
  return found ? LibraryStatus::kUsable : LibraryStatus::kIncompatible;
}

namespace {

// Looks up every function the MIDI layer calls; false when any is missing.
bool ResolveSynthApi(void* handle, SynthApi& api) {
  return Resolve(handle, "new_fluid_settings", api.newSettings) &&
         Resolve(handle, "fluid_settings_setnum", api.settingsSetNum) &&
         Resolve(handle, "fluid_settings_setint", api.settingsSetInt) &&
         Resolve(handle, kSynthProbeFunction, api.newSynth) &&
         Resolve(handle, "delete_fluid_synth", api.deleteSynth) &&
         Resolve(handle, "fluid_synth_sfload", api.synthSfLoad) &&
         Resolve(handle, "fluid_synth_system_reset", api.synthSystemReset) &&
         Resolve(handle, "fluid_synth_write_s16", api.synthWriteS16) &&
         Resolve(handle, "new_fluid_player", api.newPlayer) &&
         Resolve(handle, "delete_fluid_player", api.deletePlayer) &&
         Resolve(handle, "fluid_player_add_mem", api.playerAddMem) &&
         Resolve(handle, "fluid_player_set_loop", api.playerSetLoop) &&
         Resolve(handle, "fluid_player_play", api.playerPlay) &&
         Resolve(handle, "fluid_player_stop", api.playerStop) &&
         Resolve(handle, "fluid_player_get_status", api.playerGetStatus);
}

}  // namespace

LibraryStatus ProbeSynthLibrary(const std::string& name) {
  void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return LibraryStatus::kMissing;
  SynthApi api;
  const bool all = ResolveSynthApi(handle, api);
  dlclose(handle);
  return all ? LibraryStatus::kUsable : LibraryStatus::kIncompatible;
}

const SynthApi* LoadSynthLibrary() {
  static std::once_flag s_once;
  static SynthApi s_api;
  static bool s_loaded = false;
  std::call_once(s_once, [] {
    void* handle = dlopen(kSynthLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) return;
    SynthApi api;
    if (!ResolveSynthApi(handle, api)) {
      dlclose(handle);
      return;
    }
    s_api = api;
    s_loaded = true;
  });
  return s_loaded ? &s_api : nullptr;
}

LibraryStatus ProbeSoundBank(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return LibraryStatus::kMissing;
  const std::streamoff size = file.tellg();
  if (size < 12) return LibraryStatus::kIncompatible;
  char header[12];
  file.seekg(0);
  if (!file.read(header, sizeof header)) return LibraryStatus::kIncompatible;
  if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "sfbk", 4) != 0) {
    return LibraryStatus::kIncompatible;
  }
  // A bank cut short (a partial download) declares more than the file holds.
  const std::uint64_t declared = ReadLittle32(header + 4);
  if (declared + 8 > static_cast<std::uint64_t>(size)) return LibraryStatus::kIncompatible;
  return LibraryStatus::kUsable;
}

std::string GetSystemSoundBankPath() {
  const char* chosen = std::getenv("TANDRILL_SYSTEM_SOUNDBANK");
  return chosen && *chosen ? chosen : audio::kSoundFontPath;
}

std::string GetDataSoundBankPath() { return GetDataDirectory() + kDataSoundBankName; }

std::string FindSoundBank() {
  std::string system = GetSystemSoundBankPath();
  if (ProbeSoundBank(system) == LibraryStatus::kUsable) return system;
  std::string own = GetDataSoundBankPath();
  if (ProbeSoundBank(own) == LibraryStatus::kUsable) return own;
  return {};
}

namespace {
MidiCheckHook s_midiCheckHook = nullptr;
}  // namespace

void SetMidiCheckHook(MidiCheckHook hook) { s_midiCheckHook = hook; }

std::string RunMidiCheck() {
  if (s_midiCheckHook) return s_midiCheckHook();
  if (!LoadSynthLibrary()) return {};
  return FindSoundBank();
}

}  // namespace platform
