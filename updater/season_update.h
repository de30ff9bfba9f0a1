#pragma once
// Mode 1 of the updater: bring one season's folder up to date with the
// update server. Step 1 asks which game years exist and works out which are
// missing locally, step 2 downloads and unpacks the missing years' data,
// step 3 fetches the pictures of years without an "Images" folder, each
// year's as soon as its data is in, while later years' data still load; then
// the fixed-size pictures are repaired and the Ready line written.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/server_config.h"
#include "updater/disk_reserve.h"
#include "updater/game_year_archive.h"
#include "updater/http_client.h"
#include "updater/protocol.h"
#include "updater/stop_reasons.h"

namespace wunt {

// Where the time of a run went, for the benchmark; nanoseconds.
struct SeasonUpdateStats {
  int64_t year_list_ns = 0;
  int64_t archive_fetch_ns = 0;
  int64_t unpack_ns = 0;  // decoding and writing the data files
  // Waiting for a year's data files to become durable; the next year's
  // download, decoding and writing go on meanwhile, so the fields overlap.
  int64_t commit_ns = 0;
  int64_t picture_fetch_ns = 0;
  int64_t picture_store_ns = 0;  // everything of step 3 but the fetches
  int64_t fix_sizes_ns = 0;
  // All of step 2 and all of step 3, which overlap when both are wanted.
  int64_t data_step_ns = 0;
  int64_t picture_step_ns = 0;
  int64_t archive_bytes = 0;
  int64_t picture_bytes = 0;
  int32_t pictures_fetched = 0;
};

// The largest archive a year may have still arrives within the ceiling over
// a line of 64 KiB/s (half a megabit): any real line does better, and the
// biggest demo year (about 8 MB) takes two minutes even at that rate.
inline constexpr int64_t kArchiveMinAverageRate = 64 << 10;
inline constexpr int kArchiveMaxTotalMs =
    static_cast<int>(kMaxGameYearArchiveBytes * 1000 / kArchiveMinAverageRate);

struct SeasonUpdateOptions {
  std::filesystem::path data_folder;  // holds <season>/
  ServerConfig servers;
  // Attempts per game year and per picture before it is given up.
  int attempts = 3;
  // Set by the Viewer's "Cancle"; looked at before every year attempt and
  // all through every request.
  const std::atomic<bool>* cancel = nullptr;
  // Total time per request. An archive earns a second more for every
  // `archive_rate` bytes that arrive, so a big one on a slow line finishes.
  int list_total_ms = 30000;
  int picture_total_ms = 60000;
  int archive_total_ms = 60000;
  int64_t archive_rate = 16 << 10;
  // However much an archive has earned, it gets no longer than this: a
  // server sending just above `archive_rate` would otherwise hold one
  // attempt for over an hour.
  int archive_max_total_ms = kArchiveMaxTotalMs;
  // Picture requests in a row without any answer, and pictures in a row
  // that failed, after which the game server counts as gone for the rest of
  // the run.
  int picture_silences = 3;
  int picture_failure_streak = kPictureFailureStreak;
  int year_failure_streak = kYearFailureStreak;
  // Free bytes on the data folder's disk (statvfs when empty), and what a
  // run must leave free: it stops before any write that would cut into it.
  FreeSpaceQuery free_space;
  uint64_t disk_reserve = kDiskReserveBytes;
  std::chrono::milliseconds ticker_interval{500};
  HttpLimits http;
  // Whether the next game year is fetched while one is synced; off only to
  // measure what that gains.
  bool year_ahead = true;
  // Whether a year's pictures are fetched while later years' data load;
  // off only to measure what that gains.
  bool pictures_alongside = true;
  SeasonUpdateStats* stats = nullptr;
};

enum class SeasonUpdateOutcome { kReady, kCancelled, kFailed };

// The game years of a year-list body: consecutive four-character tokens up
// to the first that does not begin with a digit. A token that is not four
// digits is skipped, since it would name a folder outside the season; a
// repeated one is skipped too, which bounds the list to 10,000 years however
// long the body is. Fed piece by piece as the body arrives.
class YearListReader {
 public:
  void Feed(std::string_view piece);
  // In the order they came.
  const std::vector<std::string>& years() const { return years_; }
  int64_t bytes() const { return bytes_; }

 private:
  void Take(std::string_view token);

  std::vector<std::string> years_;
  std::vector<bool> seen_ = std::vector<bool>(10000, false);
  std::string partial_;
  int64_t bytes_ = 0;
  bool ended_ = false;
};

std::vector<std::string> ParseYearList(std::string_view body);

struct MissingYears {
  std::vector<std::string> data;    // no Park.ini
  std::vector<std::string> images;  // no Images folder
};

// Sorted ascending, each year once. A year's pictures are missing until its
// "Images" folder is there and the index knows every picture of its data
// files, so a run that ended early is resumed.
MissingYears FindMissingYears(const std::filesystem::path& season_folder,
                              const std::vector<std::string>& years);

// Runs steps 1 to 3 and writes every line up to the final one: the Ready
// line, an "Error " line (kFailed: the year list did not come, another
// updater holds the season, wanted years failed after their attempts, a
// server was given up as too slow, too long or failing, a year was bigger
// than a game year may be, or the disk reached its reserve; these say so
// behind the failed years) or
// "Cancle" (kCancelled). A cancelled run keeps every year it finished and
// leaves no partial one behind.
SeasonUpdateOutcome UpdateSeason(int64_t season, bool data_wanted, bool images_wanted,
                                 const SeasonUpdateOptions& options, LineWriter& out);

}  // namespace wunt
