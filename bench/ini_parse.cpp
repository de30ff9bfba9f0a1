// Parsing a large Park.ini-like file into the line model, against a plain
// memchr scan for line ends over the same bytes (the least any line-based
// reader has to do).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "bench/best_times.h"
#include "common/ini_file.h"

namespace {

const std::string& ParkIniText() {
  static const std::string text = [] {
    std::mt19937 rng(7);
    std::string out;
    out.reserve(21 << 20);
    for (int park = 1; out.size() < (20u << 20); ++park) {
      out += "[" + std::to_string(park) + "]\r\n";
      out += "Name = Freizeitpark M\xfchlental " + std::to_string(park) + "\r\n";
      out += "Land = " + std::to_string(rng() % 12 + 1) + "\r\n";
      for (int field = 3; field < 24; ++field) {
        out += "F" + std::to_string(field) + " = " + std::to_string(rng() % 10000000) + "\r\n";
      }
    }
    return out;
  }();
  return text;
}

void BM_MemchrLineScan(benchmark::State& state) {
  const std::string& text = ParkIniText();
  for (auto _ : state) {
    size_t lines = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (const void* hit = std::memchr(p, '\n', static_cast<size_t>(end - p))) {
      p = static_cast<const char*>(hit) + 1;
      ++lines;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_IniParse(benchmark::State& state) {
  const std::string& text = ParkIniText();
  wunt::IniFile ini;
  for (auto _ : state) {
    state.PauseTiming();
    std::string copy = text;
    state.ResumeTiming();
    ini.OpenIniFromBytes(std::move(copy));
    benchmark::DoNotOptimize(ini.lines().size());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

BENCHMARK(BM_MemchrLineScan)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_IniParse)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  wunt::bench::BestTimesReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double scan = reporter.Best("BM_MemchrLineScan").bytes_per_second;
  const double parse = reporter.Best("BM_IniParse").bytes_per_second;
  if (scan > 0 && parse > 0) {
    std::printf("INI parse: %.0f MB/s, memchr line scan: %.0f MB/s, ratio %.3f\n", parse / 1e6,
                scan / 1e6, parse / scan);
  }
  benchmark::Shutdown();
  return 0;
}
