#pragma once
// The real game as a player meets it, for the benchmarks that time what a
// player waits for: the `tandrill` program started in a window of its own on
// a private X server of 1920 x 1080 (Xvfb), driven by real keys and pointer
// moves (xdotool), watched through its line report (TANDRILL_REPORT), its
// CPU time read from /proc.

#include <sys/types.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace bench {

// The display of the benchmarks' own X server (":N"), started on first use
// at 1920 x 1080 x 24 and stopped when the benchmark program ends. Empty
// when no X server could be started.
const std::string& GameDisplay();

// Runs xdotool with the arguments on that display and waits for it; false
// when it could not run or failed.
bool XDo(const std::vector<std::string>& arguments);
// The same, returning what xdotool printed (empty when it failed).
std::string XDoOutput(const std::vector<std::string>& arguments);

// One xdotool started ahead and kept, reading its commands from a pipe: a
// command sent through it reaches the X server at once, without the tens
// of milliseconds a new xdotool takes to start, which a timed press must
// not count (the player's key costs nothing of the kind).
class XDoSession {
 public:
  XDoSession();
  ~XDoSession();
  XDoSession(const XDoSession&) = delete;
  XDoSession& operator=(const XDoSession&) = delete;

  // Sends one command line ("key --clearmodifiers alt+p"); false when the
  // session is not running.
  bool Send(const std::string& command);

 private:
  pid_t m_pid = -1;
  int m_input = -1;
};

// The one-minute load average of the machine, for the figures' context.
double LoadAverage();

// One start of the game (the build beside the benchmarks, or the one
// TANDRILL_BENCH_GAME names), on GameDisplay(), with `dataFolder` as its
// data folder and its report written to a file of its own. The game is killed
// when this goes, unless it has ended by then.
class GameRun {
 public:
  explicit GameRun(const std::string& dataFolder);
  ~GameRun();
  GameRun(const GameRun&) = delete;
  GameRun& operator=(const GameRun&) = delete;

  bool Started() const { return m_pid > 0; }
  pid_t Pid() const { return m_pid; }

  // Waits until a report line after line `after` (counted from 0; -1 for
  // any) starts with `prefix`, and returns its index; -1 when none came
  // within the timeout or the game ended.
  int WaitForLine(const std::string& prefix, int after = -1, double timeoutSeconds = 30.0);
  // The report lines read so far.
  const std::vector<std::string>& Lines() const { return m_lines; }
  // Reads what the game has reported since the last look.
  void ReadReport();

  // The CPU time of the game's threads alive now, in milliseconds, to the
  // nanosecond (the scheduler's own count). Threads that have ended are
  // not in it; CpuMsAllThreads is.
  double CpuMs() const;
  // The same per thread, keyed by thread id, with each thread's name.
  struct ThreadCpu {
    std::string name;
    double ms = 0.0;
  };
  std::map<int, ThreadCpu> CpuMsByThread() const;
  // The CPU time of the whole process, ended threads included, at the
  // kernel's tick (10 ms).
  double CpuMsAllThreads() const;

  // The game's peak resident memory so far (VmHWM), in MiB; 0 when unknown.
  double PeakMemoryMiB() const;

  // Waits until the game's window has the keyboard, so that keys sent
  // next reach it; false when it did not get it within the timeout.
  bool WaitForFocus(double timeoutSeconds = 30.0);
  // The game's window's top left corner on the screen.
  bool GetWindowOrigin(int& x, int& y);

  // Ends the game the way a player does (Alt+Q in the store room) and
  // waits for it to end; false when it did not end within the timeout.
  bool Quit(double timeoutSeconds = 30.0);

 private:
  std::string WindowId();

  pid_t m_pid = -1;
  std::string m_window;
  std::string m_report;
  std::size_t m_readOffset = 0;
  std::string m_partial;
  std::vector<std::string> m_lines;
};

// The figure a benchmark gives: milliseconds from a steady clock.
double NowMs();

}  // namespace bench
