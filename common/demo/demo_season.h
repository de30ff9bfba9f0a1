#pragma once
// Our own demo season: a complete season folder made up from a seed, with
// parks that open, grow, change owners and close, companies with their park
// lists, an attraction catalogue with pictures, calculations and page
// templates. The same options always give the same bytes.

#include <cstdint>
#include <filesystem>
#include <string>

#include "common/work_control.h"

namespace wunt {

struct DemoSeasonOptions {
  uint64_t seed = 1;
  int32_t season = 7;
  int32_t first_year = 1990;
  int32_t years = 12;
  // Parks open in a game year (about; parks close and new ones open).
  int32_t parks = 120;
  int32_t companies = 30;
  int32_t attractions = 50;  // clamped to 40..60
  // Placed attractions per park grow up to about this many.
  int32_t max_placed = 40;
  bool pictures = true;
  // Told after each game year; a cancel stops between years.
  WorkControl control;
};

struct DemoSeasonSummary {
  int32_t years = 0;
  int64_t park_records = 0;  // summed over all game years
  int64_t company_records = 0;
  int32_t attractions = 0;
  int32_t pictures = 0;
  int32_t countries = 0;
  int64_t data_file_bytes = 0;  // Park.ini, Company.ini, Attraction.ini
};

// Writes Data/<season>/ below `data_dir`, replacing files of the same
// names. Every file goes through a temporary name; a year's Park.ini comes
// last. False (with `error` set) when a file could not be written or the
// work was cancelled.
bool WriteDemoSeason(const std::filesystem::path& data_dir, const DemoSeasonOptions& options,
                     DemoSeasonSummary* summary, std::string* error);

// The lowest season number from `wanted` on that no entry of `data_dir`
// uses, neither by its name nor as a listed season ("07" is season 7).
int32_t FreeSeasonNumber(const std::filesystem::path& data_dir, int32_t wanted);

// For a player's data folder: writes the demo season under a free number
// (options.season or the next free one) into a hidden folder of its own
// first and moves it into place only when complete, never over an existing
// folder. The number it got lands in `season`. `error` is German.
bool AddDemoSeason(const std::filesystem::path& data_dir, DemoSeasonOptions options,
                   int32_t* season, std::string* error);

}  // namespace wunt
