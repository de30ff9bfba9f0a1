#include "common/work_control.h"

#include <algorithm>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace wunt {
namespace {

unsigned ThreadCount(const WorkControl& control, int count) {
  unsigned n = control.threads != 0 ? control.threads : std::thread::hardware_concurrency();
  n = std::max(n, 1u);
  return std::min(n, static_cast<unsigned>(std::max(count, 1)));
}

}  // namespace

bool RunParallel(int count, const WorkControl& control, const std::function<void(int)>& job) {
  std::atomic<int> next{0};
  int done = 0;
  std::mutex report;
  const auto work = [&] {
    while (!control.Cancelled()) {
      const int i = next++;
      if (i >= count) return;
      job(i);
      std::lock_guard<std::mutex> lock(report);
      ++done;
      if (control.progress) control.progress(done, count);
    }
  };
  std::vector<std::thread> helpers;
  const unsigned n = ThreadCount(control, count);
  for (unsigned k = 1; k < n; ++k) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer threads, same result
    }
  }
  work();
  for (std::thread& t : helpers) t.join();
  return done == count;
}

}  // namespace wunt
