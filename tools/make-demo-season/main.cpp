// Writes our own demo season into a data folder (installed as
// wunt-make-demo-season):
//   make-demo-season [--data DIR] [--season N] [--seed N] [--years N]
//                    [--first-year N] [--parks N] [--companies N]
//                    [--attractions N] [--max-placed N] [--no-pictures]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "common/data_root.h"
#include "common/demo/demo_season.h"
#include "common/season_layout.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: make-demo-season [--data DIR] [--season N] [--seed N] [--years N]\n"
               "                        [--first-year N] [--parks N] [--companies N]\n"
               "                        [--attractions N] [--max-placed N] [--no-pictures]\n"
               "Without --data the season goes where the Viewer beside this program looks:\n"
               "Data/ here when that folder may be written to, else $XDG_DATA_HOME/wunt/Data\n"
               "(~/.local/share/wunt/Data).\n");
}

std::string ViewerDataFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return wunt::kDataFolderName;
  return wunt::DataFolder(wunt::DataRoot(self.parent_path())).string();
}

bool ReadInt(const char* text, long long low, long long high, long long& out) {
  char* end = nullptr;
  out = std::strtoll(text, &end, 10);
  return end != text && *end == '\0' && out >= low && out <= high;
}

}  // namespace

int main(int argc, char** argv) {
  wunt::DemoSeasonOptions options;
  std::string data;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--no-pictures") {
      options.pictures = false;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      Usage();
      return 0;
    }
    if (i + 1 >= argc) {
      Usage();
      return 2;
    }
    const char* value = argv[++i];
    long long n = 0;
    bool ok = true;
    if (arg == "--data") {
      data = value;
    } else if (arg == "--season") {
      ok = ReadInt(value, 1, 9999, n), options.season = static_cast<int32_t>(n);
    } else if (arg == "--seed") {
      ok = ReadInt(value, 0, INT64_MAX, n), options.seed = static_cast<uint64_t>(n);
    } else if (arg == "--years") {
      ok = ReadInt(value, 1, 200, n), options.years = static_cast<int32_t>(n);
    } else if (arg == "--first-year") {
      ok = ReadInt(value, 1, 9000, n), options.first_year = static_cast<int32_t>(n);
    } else if (arg == "--parks") {
      ok = ReadInt(value, 1, 1000000, n), options.parks = static_cast<int32_t>(n);
    } else if (arg == "--companies") {
      ok = ReadInt(value, 1, 100000, n), options.companies = static_cast<int32_t>(n);
    } else if (arg == "--attractions") {
      ok = ReadInt(value, 40, 60, n), options.attractions = static_cast<int32_t>(n);
    } else if (arg == "--max-placed") {
      ok = ReadInt(value, 0, 500, n), options.max_placed = static_cast<int32_t>(n);
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "make-demo-season: bad option %s %s\n", arg.c_str(), value);
      Usage();
      return 2;
    }
  }
  if (data.empty()) data = ViewerDataFolder();
  wunt::DemoSeasonSummary summary;
  std::string error;
  if (!wunt::WriteDemoSeason(data, options, &summary, &error)) {
    std::fprintf(stderr, "make-demo-season: %s\n", error.c_str());
    return 1;
  }
  std::printf(
      "season %d in %s/%d: %d game years, %lld park and %lld company records, "
      "%d attractions, %d pictures, %d countries, %.1f MB of data files\n",
      options.season, data.c_str(), options.season, summary.years,
      static_cast<long long>(summary.park_records), static_cast<long long>(summary.company_records),
      summary.attractions, summary.pictures, summary.countries, summary.data_file_bytes / 1e6);
  return 0;
}
