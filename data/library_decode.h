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

// Runs the tasks one after another, in the order given, on a thread of its
// own, and returns at once. The first picture of each kind must have been
// decoded on the calling thread before (as RunAll does), so that no
// decoder is set up on two threads at once.
void RunInBackground(std::vector<Task> tasks);
// Waits until every task given to RunInBackground has run and ends the
// thread (the program ends; done at exit too).
void FinishBackground();

}  // namespace library_decode
