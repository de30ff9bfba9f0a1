#pragma once
// How long-running work reports, stops and spreads over threads: one
// control handed down by whoever starts the work (a window's worker, the
// command-line tool, a test), and one way to run independent steps on
// worker threads.

#include <atomic>
#include <cstdint>
#include <functional>

namespace wunt {

struct WorkControl {
  // Called with the steps done so far and the steps in all. Work spread by
  // RunParallel calls it from worker threads, one call at a time.
  std::function<void(int64_t done, int64_t total)> progress;
  // Checked between steps; when set the work stops and says so.
  const std::atomic<bool>* cancel = nullptr;
  unsigned threads = 0;  // 0: one per core
  bool Cancelled() const { return cancel != nullptr && cancel->load(); }
};

// Runs job(i) for i in [0, count) on up to `threads` threads (the calling
// thread among them), each index once and handed out in ascending order,
// reporting each finished index. Stops handing out indexes once cancelled;
// false then.
bool RunParallel(int count, const WorkControl& control, const std::function<void(int)>& job);

}  // namespace wunt
