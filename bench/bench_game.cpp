// Starting and driving the real game for the benchmarks that time it as a
// player meets it.

#include "bench/bench_game.h"

#include <dirent.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/paths.h"

extern char** environ;

namespace bench {
namespace {

// A child's environment: ours, with the given variables replaced.
class Environment {
 public:
  explicit Environment(const std::vector<std::pair<std::string, std::string>>& replaced) {
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      bool keep = true;
      for (const auto& [name, value] : replaced) keep = keep && entry.rfind(name + "=", 0) != 0;
      if (keep) m_entries.push_back(entry);
    }
    for (const auto& [name, value] : replaced)
      if (!value.empty()) m_entries.push_back(name + "=" + value);
    for (auto& entry : m_entries) m_pointers.push_back(entry.data());
    m_pointers.push_back(nullptr);
  }
  char** Get() { return m_pointers.data(); }

 private:
  std::vector<std::string> m_entries;
  std::vector<char*> m_pointers;
};

pid_t Spawn(const std::vector<std::string>& argv, char** envp, const posix_spawn_file_actions_t* actions = nullptr) {
  std::vector<std::string> copy = argv;
  std::vector<char*> pointers;
  for (auto& a : copy) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, copy[0].c_str(), actions, nullptr, pointers.data(), envp) != 0) return -1;
  return pid;
}

// The X server of the benchmark program, stopped with it.
class XServer {
 public:
  XServer() {
    // Xvfb picks a free display itself and writes its number to the pipe
    // once it accepts clients, so nothing is guessed or waited for by time.
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 0, 0);
    Environment env({});
    m_pid = Spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1920x1080x24", "-nolisten", "tcp"}, env.Get(),
                  &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string number;
    char c;
    while (m_pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) m_display = ":" + number;
  }
  ~XServer() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
  const std::string& Display() const { return m_display; }

 private:
  pid_t m_pid = -1;
  std::string m_display;
};

bool Ended(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == pid;
}

}  // namespace

const std::string& GameDisplay() {
  static XServer server;
  return server.Display();
}

bool XDo(const std::vector<std::string>& arguments) {
  if (GameDisplay().empty()) return false;
  Environment env({{"DISPLAY", GameDisplay()}});
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  const pid_t pid = Spawn(argv, env.Get());
  if (pid <= 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string XDoOutput(const std::vector<std::string>& arguments) {
  if (GameDisplay().empty()) return {};
  int fds[2];
  if (pipe(fds) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 0, 0);
  Environment env({{"DISPLAY", GameDisplay()}});
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  const pid_t pid = Spawn(argv, env.Get(), &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  std::string output;
  char buffer[4096];
  ssize_t n;
  while (pid > 0 && (n = read(fds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  return output;
}

XDoSession::XDoSession() {
  if (GameDisplay().empty()) return;
  int fds[2];
  if (pipe(fds) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  Environment env({{"DISPLAY", GameDisplay()}});
  // "-" has xdotool run each line as it comes in.
  m_pid = Spawn({"xdotool", "-"}, env.Get(), &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[0]);
  if (m_pid > 0) {
    m_input = fds[1];
  } else {
    close(fds[1]);
  }
}

XDoSession::~XDoSession() {
  if (m_input >= 0) close(m_input);  // the end of its input ends xdotool
  if (m_pid > 0) waitpid(m_pid, nullptr, 0);
}

bool XDoSession::Send(const std::string& command) {
  if (m_input < 0) return false;
  const std::string line = command + "\n";
  return write(m_input, line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

double LoadAverage() {
  std::ifstream in("/proc/loadavg");
  double one = -1.0;
  in >> one;
  return one;
}

double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

GameRun::GameRun(const std::string& dataFolder) {
#ifdef TANDRILL_GAME_PATH
  if (GameDisplay().empty()) return;
  static int s_runs = 0;
  // The report lives outside the data folder, so a folder emptied for a
  // first start does not take it along.
  m_report = platform::GetDataDirectory() + "game-report-" + std::to_string(++s_runs) + ".txt";
  std::ofstream(m_report, std::ios::trunc).close();
  Environment env({{"TANDRILL_DATA_DIR", dataFolder},
                   {"TANDRILL_REPORT", m_report},
                   {"DISPLAY", GameDisplay()},
                   {"SDL_AUDIODRIVER", "dummy"},
                   {"SDL_VIDEODRIVER", ""}});
  // TANDRILL_BENCH_GAME names another build of the game to time in the
  // same run, so two builds can be compared on a busy machine.
  const char* other = std::getenv("TANDRILL_BENCH_GAME");
  m_pid = Spawn({other && *other ? other : TANDRILL_GAME_PATH}, env.Get());
#else
  (void)dataFolder;
#endif
}

GameRun::~GameRun() {
  if (m_pid > 0 && !Ended(m_pid)) {
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
  }
  if (!m_report.empty()) std::remove(m_report.c_str());
}

void GameRun::ReadReport() {
  std::FILE* file = std::fopen(m_report.c_str(), "rb");
  if (!file) return;
  if (std::fseek(file, static_cast<long>(m_readOffset), SEEK_SET) == 0) {
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
      m_readOffset += n;
      for (std::size_t i = 0; i < n; ++i) {
        if (buffer[i] == '\n') {
          m_lines.push_back(std::move(m_partial));
          m_partial.clear();
        } else {
          m_partial += buffer[i];
        }
      }
    }
  }
  std::fclose(file);
}

int GameRun::WaitForLine(const std::string& prefix, int after, double timeoutSeconds) {
  const double deadline = NowMs() + timeoutSeconds * 1000.0;
  int next = after + 1;
  for (;;) {
    ReadReport();
    for (; next < static_cast<int>(m_lines.size()); ++next)
      if (m_lines[static_cast<std::size_t>(next)].rfind(prefix, 0) == 0) return next;
    if (NowMs() > deadline || m_pid <= 0 || kill(m_pid, 0) != 0) return -1;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

double GameRun::CpuMs() const {
  if (m_pid <= 0) return 0.0;
  const std::string tasks = "/proc/" + std::to_string(m_pid) + "/task";
  DIR* dir = opendir(tasks.c_str());
  if (!dir) return 0.0;
  double ns = 0.0;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream in(tasks + "/" + entry->d_name + "/schedstat");
    double runtime = 0.0;
    if (in >> runtime) ns += runtime;
  }
  closedir(dir);
  return ns / 1e6;
}

std::map<int, GameRun::ThreadCpu> GameRun::CpuMsByThread() const {
  std::map<int, ThreadCpu> threads;
  if (m_pid <= 0) return threads;
  const std::string tasks = "/proc/" + std::to_string(m_pid) + "/task";
  DIR* dir = opendir(tasks.c_str());
  if (!dir) return threads;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream in(tasks + "/" + entry->d_name + "/schedstat");
    std::ifstream comm(tasks + "/" + entry->d_name + "/comm");
    double runtime = 0.0;
    ThreadCpu thread;
    if (in >> runtime && std::getline(comm, thread.name)) {
      thread.ms = runtime / 1e6;
      threads[std::atoi(entry->d_name)] = thread;
    }
  }
  closedir(dir);
  return threads;
}

double GameRun::PeakMemoryMiB() const {
  if (m_pid <= 0) return 0.0;
  std::ifstream in("/proc/" + std::to_string(m_pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  return 0.0;
}

double GameRun::CpuMsAllThreads() const {
  if (m_pid <= 0) return 0.0;
  std::ifstream in("/proc/" + std::to_string(m_pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The command name may hold blanks; the fields are counted after it.
  const auto close = text.rfind(')');
  if (close == std::string::npos) return 0.0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  double utime = 0.0, stime = 0.0;
  // Fields 3 to 13 come before utime (14) and stime (15).
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::atof(field.c_str());
    if (i == 15) stime = std::atof(field.c_str());
  }
  return (utime + stime) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string GameRun::WindowId() {
  if (m_window.empty() && m_pid > 0) {
    std::istringstream ids(XDoOutput({"search", "--onlyvisible", "--pid", std::to_string(m_pid)}));
    ids >> m_window;
  }
  return m_window;
}

bool GameRun::WaitForFocus(double timeoutSeconds) {
  const double deadline = NowMs() + timeoutSeconds * 1000.0;
  while (NowMs() < deadline) {
    const std::string window = WindowId();
    if (!window.empty()) {
      std::istringstream focus(XDoOutput({"getwindowfocus"}));
      std::string id;
      if (focus >> id && id == window) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

bool GameRun::GetWindowOrigin(int& x, int& y) {
  const std::string window = WindowId();
  if (window.empty()) return false;
  std::istringstream shell(XDoOutput({"getwindowgeometry", "--shell", window}));
  std::string line;
  bool gotX = false, gotY = false;
  while (std::getline(shell, line)) {
    if (line.rfind("X=", 0) == 0) x = std::atoi(line.c_str() + 2), gotX = true;
    if (line.rfind("Y=", 0) == 0) y = std::atoi(line.c_str() + 2), gotY = true;
  }
  return gotX && gotY;
}

bool GameRun::Quit(double timeoutSeconds) {
  if (m_pid <= 0) return false;
  XDo({"key", "--clearmodifiers", "alt+q"});
  const double deadline = NowMs() + timeoutSeconds * 1000.0;
  while (NowMs() < deadline) {
    if (Ended(m_pid)) {
      m_pid = -1;
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

}  // namespace bench
