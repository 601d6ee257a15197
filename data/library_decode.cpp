// Running the picture decoding of a freshly read library.

#include "data/library_decode.h"

#include <algorithm>
#include <atomic>
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

}  // namespace library_decode
