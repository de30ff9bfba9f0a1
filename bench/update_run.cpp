// A full update of a fresh 15-year demo season from our local server, run
// in-process on 127.0.0.1: year list, every archive, every picture, the size
// repair. Baseline in the same run: copying the same finished files from one
// folder to another, the least any update has to do. Prints where the time
// of the fastest update went.
//   build/bench/bench_update_run
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "common/demo/demo_season.h"
#include "common/file_util.h"
#include "common/season_layout.h"
#include "tools/support/update_server.h"
#include "updater/game_year_archive.h"
#include "updater/image_store.h"
#include "updater/season_update.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int32_t kYears = 15;

struct Setup {
  fs::path root;
  fs::path source;                     // the served season folder
  std::vector<fs::path> season_files;  // its own files: the Viewer ships them
  std::vector<fs::path> output_files;  // what an update writes
  int64_t output_bytes = 0;
  std::unique_ptr<wunt::UpdateServer> server;
  std::vector<std::string> archives;
  bool ok = false;
};

Setup& Season() {
  static Setup setup = [] {
    Setup s;
    s.root = fs::temp_directory_path() / ("wunt-bench-update-" + std::to_string(getpid()));
    wunt::DemoSeasonOptions options;
    options.years = kYears;
    options.parks = 600;
    options.companies = 150;
    std::string error;
    s.source = wunt::SeasonFolder(s.root / "source", options.season);
    if (!wunt::WriteDemoSeason(s.root / "source", options, nullptr, &error) ||
        !wunt::AddFixedSizePictures(s.source, &error)) {
      std::fprintf(stderr, "demo season: %s\n", error.c_str());
      return s;
    }
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(s.source)) {
      if (!entry.is_regular_file()) continue;
      const bool own = entry.path().parent_path() == s.source &&
                       entry.path().filename() != wunt::kImageStoreFile;
      (own ? s.season_files : s.output_files).push_back(entry.path());
      if (!own) s.output_bytes += static_cast<int64_t>(entry.file_size());
    }
    std::optional<wunt::ServedSeason> served = wunt::LoadServedSeason(s.source, &error);
    if (!served) return s;
    for (const auto& [year, archive] : served->archives) s.archives.push_back(archive);
    s.server =
        std::make_unique<wunt::UpdateServer>(std::move(*served), wunt::UpdateServerOptions{});
    s.ok = s.server->Start("127.0.0.1", 0, &error);
    return s;
  }();
  return setup;
}

// A data folder with the season's own files and nothing downloaded yet.
fs::path FreshDataFolder(const Setup& s, const std::string& name) {
  fs::path data = s.root / name;
  fs::remove_all(data);
  fs::create_directories(data / s.source.filename());
  for (const fs::path& file : s.season_files) {
    fs::copy_file(file, data / s.source.filename() / file.filename());
  }
  return data;
}

struct Best {
  double update = std::numeric_limits<double>::max();
  double copy = std::numeric_limits<double>::max();
  double decode = std::numeric_limits<double>::max();
  double paired_ahead = std::numeric_limits<double>::max();
  double year_after_year = std::numeric_limits<double>::max();
  double paired_alongside = std::numeric_limits<double>::max();
  double pictures_after_data = std::numeric_limits<double>::max();
  wunt::SeasonUpdateStats stats;
} best;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// One update of a fresh data folder; its time, or nothing when it failed.
struct Variant {
  bool year_ahead = true;
  bool pictures_alongside = true;
};

std::optional<double> TimeUpdate(Setup& s, Variant variant, wunt::SeasonUpdateStats* stats) {
  fs::path data = FreshDataFolder(s, "update");
  wunt::SeasonUpdateOptions options;
  options.data_folder = data;
  options.servers.update_host = options.servers.game_host = "127.0.0.1";
  options.servers.update_port = options.servers.game_port = s.server->port();
  options.year_ahead = variant.year_ahead;
  options.pictures_alongside = variant.pictures_alongside;
  options.stats = stats;
  wunt::RecordingLineWriter out;
  const Clock::time_point start = Clock::now();
  wunt::UpdateSeason(7, true, true, options, out);
  const double seconds = Seconds(start);
  if (out.lines().back().size() < 5 * kYears * 2) return std::nullopt;
  return seconds;
}

void BM_UpdateRun(benchmark::State& state) {
  Setup& s = Season();
  if (!s.ok) return state.SkipWithError("no season");
  for (auto _ : state) {
    wunt::SeasonUpdateStats stats;
    std::optional<double> seconds = TimeUpdate(s, {}, &stats);
    if (!seconds) return state.SkipWithError("update failed");
    state.SetIterationTime(*seconds);
    if (*seconds < best.update) {
      best.update = *seconds;
      best.stats = stats;
    }
  }
  state.SetBytesProcessed(state.iterations() * s.output_bytes);
}

// The usual update alternating with one that leaves something out, so that
// a busy disk weighs on both; the best of each.
void TimePaired(benchmark::State& state, Variant without, double& usual, double& other) {
  Setup& s = Season();
  if (!s.ok) return state.SkipWithError("no season");
  for (auto _ : state) {
    std::optional<double> with = TimeUpdate(s, {}, nullptr);
    std::optional<double> left_out = TimeUpdate(s, without, nullptr);
    if (!with || !left_out) return state.SkipWithError("update failed");
    state.SetIterationTime(*left_out);
    usual = std::min(usual, *with);
    other = std::min(other, *left_out);
  }
}

// Each year fetched only after the one before is synced.
void BM_UpdateRunYearAfterYear(benchmark::State& state) {
  TimePaired(state, {.year_ahead = false}, best.paired_ahead, best.year_after_year);
}

// The pictures fetched only after all the data.
void BM_UpdateRunPicturesAfterData(benchmark::State& state) {
  TimePaired(state, {.pictures_alongside = false}, best.paired_alongside, best.pictures_after_data);
}

void BM_CopyFiles(benchmark::State& state) {
  Setup& s = Season();
  if (!s.ok) return state.SkipWithError("no season");
  for (auto _ : state) {
    state.PauseTiming();
    fs::path data = FreshDataFolder(s, "copy");
    state.ResumeTiming();
    const Clock::time_point start = Clock::now();
    for (const fs::path& file : s.output_files) {
      fs::path target = data / fs::relative(file, s.source.parent_path());
      fs::create_directories(target.parent_path());
      wunt::WriteFileAtomically(target, *wunt::ReadWholeFile(file));
    }
    const double seconds = Seconds(start);
    state.SetIterationTime(seconds);
    best.copy = std::min(best.copy, seconds);
  }
  state.SetBytesProcessed(state.iterations() * s.output_bytes);
}

// The decoding inside the update, measured alone on the same archives.
void BM_DecodeArchives(benchmark::State& state) {
  Setup& s = Season();
  if (!s.ok) return state.SkipWithError("no season");
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    for (const std::string& archive : s.archives) {
      benchmark::DoNotOptimize(wunt::DecodeGameYearArchive(archive));
    }
    const double seconds = Seconds(start);
    state.SetIterationTime(seconds);
    best.decode = std::min(best.decode, seconds);
  }
}

BENCHMARK(BM_CopyFiles)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_UpdateRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_UpdateRunYearAfterYear)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_UpdateRunPicturesAfterData)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_DecodeArchives)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Setup& s = Season();
  if (s.ok && best.update < 1e9 && best.copy < 1e9 && best.decode < 1e9) {
    const wunt::SeasonUpdateStats& st = best.stats;
    const double total = best.update;
    const double http = (st.year_list_ns + st.archive_fetch_ns + st.picture_fetch_ns) * 1e-9;
    const double writing =
        (st.unpack_ns + st.commit_ns + st.picture_store_ns + st.fix_sizes_ns) * 1e-9 - best.decode;
    // A year is downloaded, decoded and written while the one before is synced.
    const double other = total - http - best.decode - writing;
    auto share = [total](double part) { return 100.0 * part / total; };
    std::printf("\n%d game years, %.1f MB written (%d pictures, %.1f MB of archives)\n", kYears,
                s.output_bytes / 1e6, st.pictures_fetched, st.archive_bytes / 1e6);
    std::printf("full update:          %8.1f ms  (%.1f MB/s)\n", total * 1e3,
                s.output_bytes / 1e6 / total);
    std::printf("copying the files:    %8.1f ms  (update / copy = %.2f)\n", best.copy * 1e3,
                total / best.copy);
    std::printf("  HTTP:               %8.1f ms  %5.1f %%\n", http * 1e3, share(http));
    std::printf("    of which pictures: %6.1f ms  (%d, %.2f ms each)\n", st.picture_fetch_ns * 1e-6,
                st.pictures_fetched, st.picture_fetch_ns * 1e-6 / std::max(1, st.pictures_fetched));
    std::printf("  JCALG1 decoding:    %8.1f ms  %5.1f %%\n", best.decode * 1e3,
                share(best.decode));
    std::printf("  writing files:      %8.1f ms  %5.1f %%\n", writing * 1e3, share(writing));
    std::printf("  of which a year's sync: %5.1f ms  %5.1f %%\n", st.commit_ns * 1e-6,
                share(st.commit_ns * 1e-9));
    if (other >= 0) {
      std::printf("  other:              %8.1f ms  %5.1f %%\n", other * 1e3, share(other));
    } else {
      std::printf("  done side by side:  %8.1f ms  %5.1f %%\n", -other * 1e3, share(-other));
    }
    std::printf("step 2 (data) %.1f ms, step 3 (pictures) %.1f ms\n", st.data_step_ns * 1e-6,
                st.picture_step_ns * 1e-6);
    if (best.year_after_year < 1e9) {
      std::printf("next year fetched while one is synced: %.1f ms, year after year: %.1f ms\n",
                  best.paired_ahead * 1e3, best.year_after_year * 1e3);
    }
    if (best.pictures_after_data < 1e9) {
      std::printf("pictures while later years load: %.1f ms, after all data: %.1f ms\n",
                  best.paired_alongside * 1e3, best.pictures_after_data * 1e3);
    }
    std::printf("update / copy: ratio %.2f\n", total / best.copy);
  }
  if (s.server) s.server->Stop();
  std::error_code ec;
  fs::remove_all(s.root, ec);
  return 0;
}
