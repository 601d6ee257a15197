#pragma once
// The MIDI synthesiser library, opened at run time by its soname instead of
// being linked, so the game starts and plays everything else on a machine
// that lacks it. Only the few functions the MIDI layer calls are looked up;
// their types are declared here, so building needs no headers of the
// library either.
//
// Also the sound-bank probe: a General MIDI sound bank is a RIFF file of
// form "sfbk" whose declared length matches the file.

#include <cstddef>
#include <string>

namespace platform {

// Opaque types of the synthesiser library.
struct SynthSettings;
struct SynthCore;
struct SynthPlayer;

// The library's soname, its central function, and the distribution package
// that provides it.
inline constexpr const char* kSynthLibraryName = "libfluidsynth.so.3";
inline constexpr const char* kSynthProbeFunction = "new_fluid_synth";
inline constexpr const char* kSynthPackage = "libfluidsynth3";

// The library's result codes and the player status that means "finished".
inline constexpr int kSynthOk = 0;
inline constexpr int kSynthFailed = -1;
inline constexpr int kSynthPlayerDone = 3;

// The functions the MIDI layer uses, in the library's own signatures.
struct SynthApi {
  SynthSettings* (*newSettings)() = nullptr;
  int (*settingsSetNum)(SynthSettings*, const char*, double) = nullptr;
  int (*settingsSetInt)(SynthSettings*, const char*, int) = nullptr;
  SynthCore* (*newSynth)(SynthSettings*) = nullptr;
  void (*deleteSynth)(SynthCore*) = nullptr;
  int (*synthSfLoad)(SynthCore*, const char*, int) = nullptr;
  int (*synthSystemReset)(SynthCore*) = nullptr;
  int (*synthWriteS16)(SynthCore*, int, void*, int, int, void*, int, int) = nullptr;
  SynthPlayer* (*newPlayer)(SynthCore*) = nullptr;
  void (*deletePlayer)(SynthPlayer*) = nullptr;
  int (*playerAddMem)(SynthPlayer*, const void*, std::size_t) = nullptr;
  int (*playerSetLoop)(SynthPlayer*, int) = nullptr;
  int (*playerPlay)(SynthPlayer*) = nullptr;
  int (*playerStop)(SynthPlayer*) = nullptr;
  int (*playerGetStatus)(SynthPlayer*) = nullptr;
};

// What loading a run-time library found.
enum class LibraryStatus {
  kUsable,        // it loaded and has the probe function
  kMissing,       // it did not load
  kIncompatible,  // it loaded but lacks the probe function (or another one)
};

// Opens a library by name and looks for one function, then closes it again;
// the handle is kept open by whoever uses the library. Any thread.
LibraryStatus ProbeLibrary(const std::string& name, const char* function);

// Opens the synthesiser library of that name and looks up every function
// the MIDI layer calls, exactly as loading it does, then closes it again: a
// library that lacks any of them is kIncompatible, never half used.
LibraryStatus ProbeSynthLibrary(const std::string& name);

// The synthesiser's functions, looked up once per process on first call
// (later calls return the first answer; any thread). Null unless the
// library loaded and every function was found; the library then stays
// loaded until the process ends, because the synthesiser it makes does.
const SynthApi* LoadSynthLibrary();

// Whether the file at `path` is a sound bank the synthesiser can load:
// kMissing when it cannot be read, kIncompatible when it is not a whole
// RIFF "sfbk" file.
LibraryStatus ProbeSoundBank(const std::string& path);

// The system's General MIDI bank: the distribution's default soundfont, or
// the file named by TANDRILL_SYSTEM_SOUNDBANK when that is set (even to a
// file that does not exist, so a test can stand in for a machine without
// one). Read on every call.
std::string GetSystemSoundBankPath();

// The player's own sound bank, for a system without one: a file in the data
// folder, where a download puts it.
inline constexpr const char* kDataSoundBankName = "general-midi.sf3";
std::string GetDataSoundBankPath();

// The bank MIDI uses: the system's General MIDI bank when it is usable, else
// the player's own when that is usable, else empty.
std::string FindSoundBank();

// The check the MIDI layer runs the first time it needs MIDI, on the
// user-interface thread: it returns the path of the bank to load, or empty
// when MIDI stays silent. The program installs one at start (it may ask the
// player and download a bank); without one, MIDI plays when the library
// loads and a bank is found, and stays silent otherwise.
using MidiCheckHook = std::string (*)();
void SetMidiCheckHook(MidiCheckHook hook);
std::string RunMidiCheck();

}  // namespace platform
