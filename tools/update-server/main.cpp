// Our local update and game server for WUNT_Updater:
//   update-server [--data DIR] [--season N] [--bind ADDR] [--port P]
//                 [--demo [--years N] [--seed N] [--parks N]]
//                 [--copy-base-to DIR] [--fault KIND[:TARGET[:TIMES]]]...
//                 [--stall-ms MS] [--trickle-ms MS] [--repeat-bytes N]
//                 [--crawl-rate BYTES_PER_S] [--log]
// Serves DIR/<season>/ (with --demo: a demo season written there first, with
// pictures for the fixed-size table). Prints "Listening on ADDR:PORT" once it
// accepts connections and runs until SIGINT or SIGTERM; --log shows every
// request on standard error.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/demo/demo_season.h"
#include "common/file_util.h"
#include "common/season_layout.h"
#include "tools/support/update_server.h"

namespace fs = std::filesystem;

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: update-server [--data DIR] [--season N] [--bind ADDR] [--port P]\n"
               "                     [--demo [--years N] [--seed N] [--parks N]]\n"
               "                     [--copy-base-to DIR] [--fault KIND[:TARGET[:TIMES]]]...\n"
               "                     [--stall-ms MS] [--log]\n"
               "                     [--trickle-ms MS] [--repeat-bytes N] [--crawl-rate B/S]\n"
               "faults: refuse drop corrupt truncate stall slow garbage trickle silent\n"
               "        notfound (404) gone (410) error (500) bomb swell (archives)\n"
               "        crawl (archives, pictures: largest accepted size at --crawl-rate)\n"
               "        repeat (year list) huge (one byte over the picture or year limit)\n"
               "targets: any list archive picture, a game year or a picture path\n");
}

bool ReadInt(const char* text, long long low, long long high, long long& out) {
  char* end = nullptr;
  out = std::strtoll(text, &end, 10);
  return end != text && *end == '\0' && out >= low && out <= high;
}

// The season's own files, without game years and picture index, so that a
// fresh data folder can be brought up to date by the updater.
bool CopyBase(const fs::path& season_folder, const fs::path& target, std::string* error) {
  std::error_code ec;
  fs::create_directories(target, ec);
  for (const fs::directory_entry& entry : fs::directory_iterator(season_folder, ec)) {
    if (!entry.is_regular_file() || entry.path().filename() == wunt::kImageStoreFile) continue;
    std::optional<std::string> bytes = wunt::ReadWholeFile(entry.path());
    if (!bytes || !wunt::WriteFileAtomically(target / entry.path().filename(), *bytes)) {
      *error = "cannot copy " + entry.path().string();
      return false;
    }
  }
  if (ec) *error = ec.message();
  return !ec;
}

}  // namespace

int main(int argc, char** argv) {
  std::string data = wunt::kDataFolderName;
  std::string bind = "127.0.0.1";
  std::string copy_base_to;
  long long port = 8080;
  bool demo = false;
  bool log = false;
  wunt::DemoSeasonOptions demo_options;
  wunt::UpdateServerOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--demo" || arg == "--log") {
      (arg == "--demo" ? demo : log) = true;
      continue;
    }
    if (arg == "--help" || arg == "-h" || i + 1 >= argc) {
      Usage();
      return arg == "--help" || arg == "-h" ? 0 : 2;
    }
    const char* value = argv[++i];
    long long n = 0;
    bool ok = true;
    if (arg == "--data") {
      data = value;
    } else if (arg == "--bind") {
      bind = value;
    } else if (arg == "--copy-base-to") {
      copy_base_to = value;
    } else if (arg == "--port") {
      ok = ReadInt(value, 0, 65535, port);
    } else if (arg == "--season") {
      ok = ReadInt(value, 1, 9999, n), demo_options.season = static_cast<int32_t>(n);
    } else if (arg == "--years") {
      ok = ReadInt(value, 1, 200, n), demo_options.years = static_cast<int32_t>(n);
    } else if (arg == "--seed") {
      ok = ReadInt(value, 0, INT64_MAX, n), demo_options.seed = static_cast<uint64_t>(n);
    } else if (arg == "--parks") {
      ok = ReadInt(value, 1, 1000000, n), demo_options.parks = static_cast<int32_t>(n);
    } else if (arg == "--stall-ms") {
      ok = ReadInt(value, 0, 600000, n), options.stall_ms = static_cast<int32_t>(n);
    } else if (arg == "--trickle-ms") {
      ok = ReadInt(value, 1, 600000, n), options.trickle_ms = static_cast<int32_t>(n);
    } else if (arg == "--repeat-bytes") {
      ok = ReadInt(value, 4, int64_t{1} << 32, n), options.repeat_bytes = n;
    } else if (arg == "--crawl-rate") {
      ok = ReadInt(value, 1024, int64_t{1} << 30, n), options.crawl_rate = n;
    } else if (arg == "--fault") {
      std::optional<wunt::ServerFault> fault = wunt::ParseServerFault(value);
      ok = fault.has_value();
      if (ok) options.faults.push_back(*fault);
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "update-server: bad option %s %s\n", arg.c_str(), value);
      Usage();
      return 2;
    }
  }

  const fs::path season_folder = wunt::SeasonFolder(data, demo_options.season);
  std::string error;
  if (demo && (!wunt::WriteDemoSeason(data, demo_options, nullptr, &error) ||
               !wunt::AddFixedSizePictures(season_folder, &error))) {
    std::fprintf(stderr, "update-server: %s\n", error.c_str());
    return 1;
  }
  if (!copy_base_to.empty() &&
      !CopyBase(season_folder, wunt::SeasonFolder(copy_base_to, demo_options.season), &error)) {
    std::fprintf(stderr, "update-server: %s\n", error.c_str());
    return 1;
  }
  std::optional<wunt::ServedSeason> season = wunt::LoadServedSeason(season_folder, &error);
  if (!season) {
    std::fprintf(stderr, "update-server: %s\n", error.c_str());
    return 1;
  }

  // Blocked before the server thread starts, so only sigwait sees them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  if (log) {
    options.on_request = [](const std::string& line) {
      std::fprintf(stderr, "%s\n", line.c_str());
    };
  }
  wunt::UpdateServer server(std::move(*season), options);
  if (!server.Start(bind, static_cast<int>(port), &error)) {
    std::fprintf(stderr, "update-server: %s\n", error.c_str());
    return 1;
  }
  std::printf("Listening on %s:%d\n", bind.c_str(), server.port());
  std::fflush(stdout);
  int received = 0;
  sigwait(&signals, &received);
  server.Stop();
  return 0;
}
