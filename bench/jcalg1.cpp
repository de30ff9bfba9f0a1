// Expanding a compressed game-year file: our stream decoder against zlib
// inflating the same text (zlib's default level), both checking their
// checksums.
#include "updater/jcalg1.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <random>
#include <string>

#include "bench/best_times.h"
#include "tools/support/jcalg1_compressor.h"

namespace {

// About 8 MB shaped like Park.ini: groups of numbered keys, names, numbers.
const std::string& IniText() {
  static const std::string text = [] {
    std::mt19937 rng(11);
    std::string out;
    out.reserve(9 << 20);
    for (int park = 1; out.size() < (8u << 20); ++park) {
      out += '[';
      out += std::to_string(park);
      out += "]\r\n0 = ";
      out += std::to_string(park);
      out += "\r\n1 = Freizeitpark M\xfchlental ";
      out += std::to_string(rng() % 5000);
      out += "\r\n2 = " + std::to_string(rng() % 12 + 1) + "\r\n";
      for (int field = 3; field < 30; ++field) {
        out += std::to_string(field);
        out += " = ";
        out += std::to_string(rng() % (field < 10 ? 100 : 10000000));
        out += "\r\n";
      }
    }
    return out;
  }();
  return text;
}

const std::string& Compressed() {
  static const std::string stream = wunt::CompressJcalg1(IniText());
  return stream;
}

const std::string& Deflated() {
  static const std::string bytes = [] {
    const std::string& text = IniText();
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()),
              Z_DEFAULT_COMPRESSION);
    out.resize(size);
    return out;
  }();
  return bytes;
}

void BM_Jcalg1Decode(benchmark::State& state) {
  const std::string& stream = Compressed();
  for (auto _ : state) {
    std::optional<std::string> plain = wunt::DecodeJcalg1(stream);
    if (!plain || plain->size() != IniText().size()) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(plain);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(IniText().size()));
  state.counters["stored"] = static_cast<double>(stream.size());
}

void BM_ZlibInflate(benchmark::State& state) {
  const std::string& deflated = Deflated();
  for (auto _ : state) {
    std::string plain(IniText().size(), '\0');
    uLongf size = static_cast<uLongf>(plain.size());
    if (uncompress(reinterpret_cast<Bytef*>(plain.data()), &size,
                   reinterpret_cast<const Bytef*>(deflated.data()),
                   static_cast<uLong>(deflated.size())) != Z_OK) {
      state.SkipWithError("inflate failed");
    }
    benchmark::DoNotOptimize(plain);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(IniText().size()));
  state.counters["stored"] = static_cast<double>(deflated.size());
}

BENCHMARK(BM_Jcalg1Decode)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(5);
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  wunt::bench::BestTimesReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.Best("BM_Jcalg1Decode").bytes_per_second;
  const double zlib = reporter.Best("BM_ZlibInflate").bytes_per_second;
  if (zlib > 0) {
    std::printf("text %zu bytes; stored %zu (ours) / %zu (zlib)\n", IniText().size(),
                Compressed().size(), Deflated().size());
    std::printf("decode rate ours / zlib inflate: %.2f\n", ours / zlib);
  }
  benchmark::Shutdown();
  return 0;
}
