// The export page of 5,000 parks over 30 game years: building it and
// writing it to a file, against writing the same number of bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/best_times.h"
#include "viewer/report/html_writer.h"

namespace {

constexpr int kRows = 5000;
constexpr int kYears = 30;
constexpr int32_t kStart = 1980;

struct Workload {
  wunt::ValueList parks;
  std::vector<wunt::SelectionEntry> chosen;
  std::vector<wunt::ValueDefinition> values = {{"Jahresumsatz", "", "-1000", "TEUR"}};
  wunt::ResultTable table;
  wunt::TableView view{.content_kind = wunt::ContentKind::kValue,
                       .source_kind = wunt::SourceKind::kParks,
                       .start_year = kStart,
                       .end_year = kStart + kYears - 1,
                       .merge = true};
  std::string page;

  Workload() {
    std::mt19937 rng(11);
    for (int i = 0; i < kRows; ++i) {
      wunt::ValueRecord park;
      park.id = 10000 + i;
      park.name = "Freizeitpark M\xfchlental " + std::to_string(i);
      park.first_year = kStart + static_cast<int32_t>(rng() % 5);
      park.last_year = view.end_year;
      park.year_values.resize(kYears);
      for (int y = park.first_year - kStart; y < kYears; ++y) {
        park.year_values[static_cast<size_t>(y)] = {static_cast<int64_t>(rng() % 90000000)};
      }
      park.sum = static_cast<int64_t>(rng() % 90000000);
      parks.push_back(std::move(park));
      chosen.push_back({10000 + i, "", wunt::kNoFilter});
    }
    wunt::BuildResultTable(chosen, parks, view, table);
    page = wunt::BuildExportPage(Input());
  }
  wunt::ReportInput Input() const {
    return {.table = table,
            .view = view,
            .calculation_name = "Jahresumsatz",
            .description = "Umsatz in Tausend Euro.",
            .values = values,
            .highest_year = 2009,
            .game_address = "http://www.orvanto.example"};
  }
};

const Workload& Data() {
  static const Workload workload;
  return workload;
}

const std::string& OutPath() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / "wunt_bench_export.htm").string();
  return path;
}

void WriteFile(const std::string& bytes) {
  std::FILE* file = std::fopen(OutPath().c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void BM_PlainWrite(benchmark::State& state) {
  const std::string& page = Data().page;
  for (auto _ : state) WriteFile(page);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}

void BM_ExportPageAndWrite(benchmark::State& state) {
  const Workload& data = Data();
  for (auto _ : state) WriteFile(wunt::BuildExportPage(data.Input()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(data.page.size()));
}

BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ExportPageAndWrite)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  wunt::bench::BestTimesReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const wunt::bench::BestTimes plain = reporter.Best("BM_PlainWrite");
  const wunt::bench::BestTimes page = reporter.Best("BM_ExportPageAndWrite");
  if (plain.real > 0 && page.real > 0) {
    // Wall time is what the user waits for; CPU time shows what our code
    // adds when other work keeps the machine busy.
    std::printf(
        "export page %d rows x %d years (%.1f MB): %.2f ms (CPU %.2f), plain write %.2f ms "
        "(CPU %.2f), ratio %.2f\n",
        kRows, kYears, static_cast<double>(Data().page.size()) / 1e6, page.real, page.cpu,
        plain.real, plain.cpu, page.real / plain.real);
  }
  std::filesystem::remove(OutPath());
  benchmark::Shutdown();
  return 0;
}
