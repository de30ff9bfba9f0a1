// A 30-year park's plans drawn and saved as JPEG (quality 100) and PNG, on
// one thread and on two, against libjpeg's and libpng's encoding of the same
// finished plans alone; the whole export wunt-export runs (load and save)
// on every core against one thread. Then the memory a 60-year park holds.
#include "viewer/attractions/park_plan.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/best_times.h"
#include "common/demo/demo_season.h"
#include "common/ini_file.h"
#include "common/raster_image.h"
#include "common/season_layout.h"
#include "common/text.h"
#include "viewer/attractions/park_plan_export.h"
#include "viewer/attractions/park_plan_view.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kSeason = 7;
constexpr int32_t kFirstYear = 1980;

// The demo season's park with the most placed attractions in its last year.
int32_t BusiestPark(const fs::path& season_folder, int32_t last_year) {
  wunt::IniFile ini;
  ini.OpenIni(wunt::YearFolder(season_folder, last_year) / wunt::kParkFile);
  std::vector<std::string> parks;
  if (ini.FirstGroup()) {
    while (ini.NextGroup()) {
      if (ini.GroupName().find('_') == std::string::npos) parks.push_back(ini.GroupName());
    }
  }
  int32_t best = 0;
  size_t most = 0;
  for (const std::string& name : parks) {
    const int32_t id = static_cast<int32_t>(wunt::LeadingNumber(name));
    const size_t placed = wunt::ReadParkRuns(ini, id).size();
    if (placed > most) {
      most = placed;
      best = id;
    }
  }
  return best;
}

struct Season {
  fs::path data = fs::temp_directory_path() / "wunt_bench_park_plan";
  std::optional<wunt::ParkPlans> plans;
  std::vector<wunt::RasterImage> drawn;
  fs::path out;

  explicit Season(int32_t years) {
    data += "_";
    data += std::to_string(years);
    out = data / "out";
    wunt::DemoSeasonOptions options;
    options.season = kSeason;
    options.first_year = kFirstYear;
    options.years = years;
    options.parks = 40;
    options.companies = 10;
    std::string error;
    if (!wunt::WriteDemoSeason(data, options, nullptr, &error)) {
      std::fprintf(stderr, "demo season: %s\n", error.c_str());
      return;
    }
    fs::create_directories(out);
    const fs::path season = wunt::SeasonFolder(data, kSeason);
    const int32_t last = kFirstYear + years - 1;
    plans = wunt::ParkPlans::Load({season, BusiestPark(season, last), "Bench", kFirstYear, last});
  }
  ~Season() { fs::remove_all(data); }
};

Season& Thirty() {
  static Season season(30);
  if (season.drawn.empty() && season.plans) {
    for (int32_t y = kFirstYear; y <= season.plans->last_year(); ++y) {
      season.plans->Draw(y, season.drawn.emplace_back());
    }
  }
  return season;
}

void BM_LibjpegEncode(benchmark::State& state) {
  for (auto _ : state) {
    for (const wunt::RasterImage& plan : Thirty().drawn) {
      benchmark::DoNotOptimize(wunt::EncodeJpeg(plan, 100));
    }
  }
}

void BM_LibpngEncode(benchmark::State& state) {
  for (auto _ : state) {
    for (const wunt::RasterImage& plan : Thirty().drawn) {
      benchmark::DoNotOptimize(wunt::EncodePng(plan));
    }
  }
}

void SavePlans(benchmark::State& state, wunt::PlanFileFormat format) {
  Season& season = Thirty();
  wunt::WorkControl control;
  control.threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    const wunt::PlanSaveReport report =
        wunt::SaveParkPlans(*season.plans, season.out, format, control);
    if (report.written != season.plans->year_count()) state.SkipWithError("not all written");
  }
}

void BM_DrawAndSaveJpeg(benchmark::State& state) {
  SavePlans(state, {wunt::PlanFormat::kJpeg, 100});
}
void BM_DrawAndSavePng(benchmark::State& state) { SavePlans(state, {wunt::PlanFormat::kPng, 0}); }

// What `wunt-export --park-plan` does once it knows the park: read every
// year, decode the pictures, draw and save. Argument 0 is the tool's own
// setting (a thread per core), 1 the baseline.
void BM_ExportParkPlans(benchmark::State& state) {
  Season& season = Thirty();
  wunt::WorkControl control;
  control.threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    const std::optional<wunt::ParkPlans> plans =
        wunt::ParkPlans::Load(season.plans->request(), control);
    const wunt::PlanSaveReport report =
        wunt::SaveParkPlans(*plans, season.out, {wunt::PlanFormat::kJpeg, 100}, control);
    if (report.written != plans->year_count()) state.SkipWithError("not all written");
  }
}

BENCHMARK(BM_ExportParkPlans)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
BENCHMARK(BM_LibjpegEncode)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DrawAndSaveJpeg)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);
BENCHMARK(BM_LibpngEncode)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DrawAndSavePng)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  wunt::bench::BestTimesReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto ratio = [&](const char* name, const char* base) {
    const double ours = reporter.Best(name).real, baseline = reporter.Best(base).real;
    if (ours > 0 && baseline > 0) {
      std::printf("%s: %.1f ms, %s %.1f ms, ratio %.2f\n", name, ours, base, baseline,
                  ours / baseline);
    }
  };
  ratio("BM_DrawAndSaveJpeg/1", "BM_LibjpegEncode");
  ratio("BM_DrawAndSavePng/1", "BM_LibpngEncode");
  ratio("BM_DrawAndSaveJpeg/2", "BM_DrawAndSaveJpeg/1");
  ratio("BM_DrawAndSavePng/2", "BM_DrawAndSavePng/1");
  std::printf("export on %u threads against one:\n", std::thread::hardware_concurrency());
  ratio("BM_ExportParkPlans/0", "BM_ExportParkPlans/1");

  // Memory of a 60-year park: the plans themselves plus the window's
  // canvases, against 60 finished pictures of 950 x 1400.
  const long rss_before = PeakRssKb();
  {
    Season sixty(60);
    if (sixty.plans) {
      wunt::PlanFrames frames(*sixty.plans);
      for (int32_t y = kFirstYear; y <= sixty.plans->last_year(); ++y) frames.Frame(y, 128);
      std::printf(
          "60 years: %d pictures, plans %.1f MB + window canvases %.1f MB (60 finished plans "
          "would be %.1f MB); peak RSS %.1f MB (%.1f MB before)\n",
          sixty.plans->picture_count(), sixty.plans->MemoryBytes() / 1e6,
          frames.MemoryBytes() / 1e6, 60.0 * wunt::kPlanWidth * wunt::kPlanHeight * 3 / 1e6,
          PeakRssKb() / 1e3, rss_before / 1e3);
    }
  }
  benchmark::Shutdown();
  return 0;
}
