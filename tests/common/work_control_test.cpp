#include "common/work_control.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace wunt {
namespace {

TEST(RunParallel, EachIndexOnceWithOneReportPerIndex) {
  struct Case {
    int count;
    unsigned threads;
  };
  for (const Case c : {Case{0, 1}, Case{1, 4}, Case{17, 1}, Case{17, 3}, Case{200, 0}}) {
    std::vector<std::atomic<int>> runs(static_cast<size_t>(c.count));
    std::mutex m;
    std::vector<std::pair<int64_t, int64_t>> reports;
    WorkControl control;
    control.threads = c.threads;
    control.progress = [&](int64_t done, int64_t total) {
      std::lock_guard<std::mutex> lock(m);
      reports.emplace_back(done, total);
    };
    EXPECT_TRUE(RunParallel(c.count, control, [&](int i) { ++runs[static_cast<size_t>(i)]; }));
    for (const std::atomic<int>& r : runs) EXPECT_EQ(r.load(), 1) << c.count << "/" << c.threads;
    ASSERT_EQ(reports.size(), static_cast<size_t>(c.count));
    for (size_t k = 0; k < reports.size(); ++k) {
      EXPECT_EQ(reports[k], std::make_pair(static_cast<int64_t>(k + 1), int64_t{c.count}));
    }
  }
}

TEST(RunParallel, CancelledWorkStopsHandingOutIndexes) {
  std::atomic<bool> cancel{false};
  WorkControl control;
  control.cancel = &cancel;
  control.threads = 1;
  int runs = 0;
  EXPECT_FALSE(RunParallel(10, control, [&](int i) {
    ++runs;
    if (i == 2) cancel = true;
  }));
  EXPECT_EQ(runs, 3);
}

}  // namespace
}  // namespace wunt
