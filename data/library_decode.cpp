// Running the picture decoding of a freshly read library.

#include "data/library_decode.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace library_decode {

void RunAll(const std::vector<Task>& tasks) {
  if (tasks.empty()) return;
  tasks.front()();
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const unsigned threads = std::min(cores, kMaxThreads);
  if (tasks.size() < kMinTasksForThreads || threads < 2) {
    for (std::size_t i = 1; i < tasks.size(); ++i) tasks[i]();
    return;
  }
  std::atomic<std::size_t> next{1};
  auto work = [&tasks, &next] {
    for (std::size_t i = next++; i < tasks.size(); i = next++) tasks[i]();
  };
  std::vector<std::thread> workers;
  workers.reserve(threads - 1);
  for (unsigned t = 1; t < threads; ++t) workers.emplace_back(work);
  // The calling thread works too rather than only waiting.
  work();
  for (std::thread& worker : workers) worker.join();
}

namespace {

class BackgroundDecoder {
 public:
  ~BackgroundDecoder() { Finish(); }

  void Add(std::vector<Task> tasks) {
    std::lock_guard lock(m_mutex);
    for (Task& task : tasks) m_tasks.push_back(std::move(task));
    if (!m_thread.joinable()) m_thread = std::thread(&BackgroundDecoder::Work, this);
    m_wake.notify_one();
  }

  void Finish() {
    {
      std::lock_guard lock(m_mutex);
      m_finishing = true;
      m_wake.notify_one();
    }
    if (m_thread.joinable()) m_thread.join();
    std::lock_guard lock(m_mutex);
    m_finishing = false;
  }

 private:
  void Work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
      m_wake.wait(lock, [this] { return m_finishing || !m_tasks.empty(); });
      if (m_tasks.empty()) return;
      Task task = std::move(m_tasks.front());
      m_tasks.pop_front();
      lock.unlock();
      task();
      lock.lock();
    }
  }

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<Task> m_tasks;
  std::thread m_thread;
  bool m_finishing = false;
};

BackgroundDecoder& Background() {
  static BackgroundDecoder decoder;
  return decoder;
}

}  // namespace

void RunInBackground(std::vector<Task> tasks) {
  if (!tasks.empty()) Background().Add(std::move(tasks));
}

void FinishBackground() { Background().Finish(); }

}  // namespace library_decode
