#pragma once
// A console reporter that also remembers the best figures of every
// benchmark, so a program can print its ratio against the baseline measured
// in the same run. Best, not mean: other processes only ever add time.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace wunt::bench {

struct BestTimes {
  double real = 0;              // in the benchmark's time unit
  double cpu = 0;               // in the benchmark's time unit
  double bytes_per_second = 0;  // 0 when the benchmark sets no byte count
};

class BestTimesReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      std::string name = run.run_name.function_name;
      if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
      auto [it, fresh] = best_.try_emplace(name);
      BestTimes& best = it->second;
      const double real = run.GetAdjustedRealTime(), cpu = run.GetAdjustedCPUTime();
      best.real = fresh ? real : std::min(best.real, real);
      best.cpu = fresh ? cpu : std::min(best.cpu, cpu);
      auto rate = run.counters.find("bytes_per_second");
      if (rate != run.counters.end()) {
        best.bytes_per_second = std::max(best.bytes_per_second, static_cast<double>(rate->second));
      }
    }
  }

  // The figures of the benchmark named `name` (function name, "/" and the
  // arguments when it has any); all zero when it did not run.
  BestTimes Best(std::string_view name) const {
    auto it = best_.find(std::string(name));
    return it == best_.end() ? BestTimes{} : it->second;
  }

 private:
  std::map<std::string, BestTimes> best_;
};

}  // namespace wunt::bench
