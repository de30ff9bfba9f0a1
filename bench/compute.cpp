// Computing a ten-value calculation for every park of the big demo season
// (30 game years, about 5,000 parks a year) and for the same season with half
// the parks, in the same run. The cost must grow linearly: the full season
// may take at most 2.2 times the half one. The full season's parks are also
// computed on one thread and on two, in turns, and the two-thread time
// against the one-thread time is printed last. The big overview page's
// computation (one value over the end year's parks) is timed as well.
//   build/bench/bench_compute --benchmark_repetitions=5
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "bench/best_times.h"
#include "common/demo/demo_season.h"
#include "common/message_sink.h"
#include "common/season_layout.h"
#include "viewer/calc/value_computation.h"
#include "viewer/data/datafields.h"
#include "viewer/data/game_years.h"
#include "viewer/data/translation.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kYears = 30;
constexpr int32_t kFirstYear = 1990;

// Ten values over the demo season's park fields, as a player would write them.
const char* const kValues[] = {
    "Besucher",
    "Umsatz",
    "Ausgaben",
    "Umsatz-Ausgaben",
    "Umsatz*100/Besucher",
    "Personal",
    "Flaeche/Personal",
    "Bewertung*10",
    "Eintritt*Besucher/1000",
    "(Zufriedenheit+Attraktionen)/Parkanzahl",
};

struct Season {
  wunt::SeasonData data;
  wunt::LoadedCalculation calculation;
  wunt::ValueListState lists;
  wunt::ComputationSettings settings;
  // What the big overview page computes: content kind "Wert", one value,
  // the parks of the end year.
  wunt::LoadedCalculation visitors;
  wunt::ValueListState value_lists;
  wunt::ComputationSettings value_settings;
};

std::unique_ptr<Season> MakeSeason(int32_t parks) {
  const fs::path data_dir =
      fs::temp_directory_path() /
      ("wunt-bench-compute-" + std::to_string(getpid()) + "-" + std::to_string(parks));
  wunt::DemoSeasonOptions options;
  options.parks = parks;
  options.companies = parks / 5;
  options.years = kYears;
  options.first_year = kFirstYear;
  options.max_placed = 5;
  options.pictures = false;
  std::string error;
  if (!wunt::WriteDemoSeason(data_dir, options, nullptr, &error)) {
    std::fprintf(stderr, "demo season: %s\n", error.c_str());
    return nullptr;
  }
  auto season = std::make_unique<Season>();
  const fs::path folder = wunt::SeasonFolder(data_dir, options.season);
  wunt::SilentMessageSink sink;
  wunt::DataFieldList park_fields, company_fields;
  wunt::LoadDatafields(folder, wunt::EntityKind::kPark, park_fields, sink);
  wunt::LoadDatafields(folder, wunt::EntityKind::kCompany, company_fields, sink);
  season->settings.content_kind = wunt::ContentKind::kPark;
  season->settings.start_year = kFirstYear;
  season->settings.end_year = kFirstYear + kYears - 1;
  const int countries =
      wunt::LoadCountries(folder, season->settings.year_count(), season->lists.countries);
  const bool loaded = wunt::LoadSeasonYears(folder, options.season, park_fields, company_fields,
                                            static_cast<size_t>(countries), season->data, sink);
  fs::remove_all(data_dir);
  if (!loaded) return nullptr;
  for (const char* value : kValues) wunt::AppendValue(season->calculation, value, "");
  wunt::ResolveFieldNames(season->calculation, park_fields);
  wunt::AppendValue(season->visitors, "Besucher", "");
  wunt::ResolveFieldNames(season->visitors, park_fields);
  season->value_settings = season->settings;
  season->value_settings.content_kind = wunt::ContentKind::kValue;
  wunt::BuildParkValueList(season->data, season->value_settings, season->value_lists);
  wunt::BuildParkValueList(season->data, season->settings, season->lists);
  wunt::BuildCompanyValueList(season->data, season->settings, season->lists);
  return season;
}

Season* SeasonWithParks(int32_t parks) {
  static std::map<int32_t, std::unique_ptr<Season>> seasons;
  auto& season = seasons[parks];
  if (!season) season = MakeSeason(parks);
  return season.get();
}

void BM_ComputeParks(benchmark::State& state) {
  Season* season = SeasonWithParks(static_cast<int32_t>(state.range(0)));
  if (season == nullptr) {
    state.SkipWithError("demo season could not be made");
    return;
  }
  // One thread, so that the scaling compares the work itself.
  wunt::WorkControl control;
  control.threads = 1;
  for (auto _ : state) {
    season->lists.parks_computed = false;
    wunt::ComputeParkValues(season->data, season->settings, season->calculation, season->lists,
                            control);
  }
  const int64_t entity_years = static_cast<int64_t>(season->lists.parks.size()) * kYears;
  state.counters["parks"] = static_cast<double>(season->lists.parks.size());
  state.counters["formulas/s"] = benchmark::Counter(
      static_cast<double>(entity_years) * static_cast<double>(std::size(kValues)),
      benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ComputeCompanies(benchmark::State& state) {
  Season* season = SeasonWithParks(static_cast<int32_t>(state.range(0)));
  if (season == nullptr) {
    state.SkipWithError("demo season could not be made");
    return;
  }
  wunt::WorkControl control;
  control.threads = 1;
  for (auto _ : state) {
    season->lists.companies_computed = false;
    wunt::ComputeCompanyValues(season->data, season->settings, season->calculation, season->lists,
                               control);
  }
  state.counters["companies"] = static_cast<double>(season->lists.companies.size());
  // The work: park entries of the company lists over the span.
  size_t owned = 0;
  for (const wunt::GameYear& year : season->data.years) {
    for (size_t r = 0; r < year.companies.size(); ++r) {
      if (auto ids = year.companies.IdList(r, wunt::kCompanyFieldParks)) owned += ids->size();
    }
  }
  state.counters["owned"] = static_cast<double>(owned);
}

// Full season, parks, on state.range(0) threads.
void BM_ComputeParksThreads(benchmark::State& state) {
  Season* season = SeasonWithParks(5000);
  if (season == nullptr) {
    state.SkipWithError("demo season could not be made");
    return;
  }
  wunt::WorkControl control;
  control.threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    wunt::BuildParkValueList(season->data, season->settings, season->lists);
    state.ResumeTiming();
    wunt::ComputeParkValues(season->data, season->settings, season->calculation, season->lists,
                            control);
  }
}

// The big page's computation, as the wizard runs it.
void BM_ComputeVisitors(benchmark::State& state) {
  Season* season = SeasonWithParks(5000);
  if (season == nullptr) {
    state.SkipWithError("demo season could not be made");
    return;
  }
  for (auto _ : state) {
    // A fresh list, as the wizard computes one: no values to free first.
    state.PauseTiming();
    wunt::BuildParkValueList(season->data, season->value_settings, season->value_lists);
    state.ResumeTiming();
    wunt::ComputeParkValues(season->data, season->value_settings, season->visitors,
                            season->value_lists);
  }
}

BENCHMARK(BM_ComputeParks)->Arg(2500)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeParksThreads)
    ->Arg(1)
    ->Arg(2)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeVisitors)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputeCompanies)->Arg(2500)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  wunt::bench::BestTimesReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // CPU time as well: on a shared machine the wall clock also counts the
  // time other processes held the core.
  for (std::string name : {"BM_ComputeParks", "BM_ComputeCompanies"}) {
    const wunt::bench::BestTimes half = reporter.Best(name + "/2500");
    const wunt::bench::BestTimes full = reporter.Best(name + "/5000");
    if (half.real > 0 && full.real > 0) {
      std::printf(
          "scaling %-20s real: half %7.1f ms full %7.1f ms = %.2fx  cpu: half %7.1f ms "
          "full %7.1f ms = %.2fx  (limit 2.2x)\n",
          name.c_str(), half.real, full.real, full.real / half.real, half.cpu, full.cpu,
          full.cpu / half.cpu);
    }
  }
  const wunt::bench::BestTimes visitors = reporter.Best("BM_ComputeVisitors");
  if (visitors.real > 0) {
    std::printf("big page's computation (\"Wert\", one value): %.1f ms (cpu %.1f ms)\n",
                visitors.real, visitors.cpu);
  }
  const wunt::bench::BestTimes one = reporter.Best("BM_ComputeParksThreads/1");
  const wunt::bench::BestTimes two = reporter.Best("BM_ComputeParksThreads/2");
  if (one.real > 0 && two.real > 0) {
    std::printf(
        "parks on two threads against one: one %7.1f ms (cpu %7.1f ms) two %7.1f ms (cpu %7.1f "
        "ms) = %.2f\n",
        one.real, one.cpu, two.real, two.cpu, two.real / one.real);
  }
  benchmark::Shutdown();
  return 0;
}
