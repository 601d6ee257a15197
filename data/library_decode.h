#pragma once
// Decoding the pictures of a library that was just read. Decoding a
// thousand thumbnails is most of the time a load takes, so the tasks are
// spread over the machine's cores. Each task decodes one record's picture
// and touches nothing but that record.

#include <functional>
#include <vector>

namespace library_decode {

using Task = std::function<void()>;

// Below this many tasks, starting threads costs more than it saves.
inline constexpr std::size_t kMinTasksForThreads = 32;
// More threads than this only fight over memory bandwidth.
inline constexpr unsigned kMaxThreads = 8;

// Runs every task and returns when all have run. The first task runs alone
// on the calling thread, so that a decoder's one-time set-up happens
// before any other thread uses it; the rest run side by side.
void RunAll(const std::vector<Task>& tasks);

}  // namespace library_decode
