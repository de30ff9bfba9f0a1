// Parse + evaluate of assembled formula texts: our engine against muparser
// setting and evaluating the same texts, in the same run.
//   build/bench/bench_formula --benchmark_repetitions=5
#include "viewer/calc/formula.h"

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/best_times.h"

namespace {

struct Sample {
  const char* label;
  std::string text;
};

std::string FortyOneTokens() {
  // 21 numbers and 20 operator tokens, as the value computation assembles them
  // from a calculation with parentheses and several field sums.
  return "(1234567+89012)/(345*12)+678.5*2-99/3+(4567-123)*2/7+15^2-(8+9)*10/"
         "(44-4)+123456*3-777/7+(65536-1024)*0.5";
}

const std::vector<Sample>& Samples() {
  static const std::vector<Sample> samples = {
      {"short", "1234/5+678*2"},
      {"parens", "(12.5+3)*4-7/2^2+100"},
      {"41tokens", FortyOneTokens()},
  };
  return samples;
}

// The sample a benchmark's argument names.
const Sample& SampleOf(const benchmark::State& state) {
  return Samples()[static_cast<size_t>(state.range(0))];
}

void BM_Ours(benchmark::State& state) {
  const std::string& text = SampleOf(state).text;
  for (auto _ : state) {
    benchmark::DoNotOptimize(wunt::EvaluateFormula(text));
  }
  state.SetLabel(SampleOf(state).label);
}

void BM_Muparser(benchmark::State& state) {
  const std::string& text = SampleOf(state).text;
  mu::Parser parser;
  for (auto _ : state) {
    parser.SetExpr(text);
    benchmark::DoNotOptimize(parser.Eval());
  }
  state.SetLabel(SampleOf(state).label);
}

BENCHMARK(BM_Ours)->DenseRange(0, 2);
BENCHMARK(BM_Muparser)->DenseRange(0, 2);

// Both engines must agree before their speed is worth comparing.
bool SamplesAgree() {
  bool ok = true;
  for (const Sample& sample : Samples()) {
    mu::Parser parser;
    parser.SetExpr(sample.text);
    const double theirs = parser.Eval();
    const double ours = wunt::EvaluateFormula(sample.text);
    if (std::abs(theirs - ours) > 1e-4 * std::max(1.0, std::abs(theirs))) {
      std::printf("mismatch on %s: ours %.9g, muparser %.9g\n", sample.label, ours, theirs);
      ok = false;
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!SamplesAgree()) return 1;
  wunt::bench::BestTimesReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (size_t i = 0; i < Samples().size(); ++i) {
    const double ours = reporter.Best("BM_Ours/" + std::to_string(i)).real;
    const double theirs = reporter.Best("BM_Muparser/" + std::to_string(i)).real;
    if (ours > 0 && theirs > 0) {
      std::printf("ratio %-9s ours %8.1f ns  muparser %9.1f ns  muparser/ours %6.1fx\n",
                  Samples()[i].label, ours, theirs, theirs / ours);
    }
  }
  benchmark::Shutdown();
  return 0;
}
