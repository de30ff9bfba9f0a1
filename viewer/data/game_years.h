#pragma once
// Loading the game years of a season: Park.ini and Company.ini of every
// year folder, the ID indexes, and the parks of every country.
//
// For the calculation engine: a SeasonData is complete and immutable once
// LoadSeasonYears returned. Everything a computation needs is reachable from
// it without scans:
//   season.FindYear(y)                  the game year y, or nullptr
//   year.parks / year.companies         EntityTable (see entity_table.h)
//   year.parks.FindById(id)             park record of that ID in that year
//   year.companies.IdList(r, kCompanyFieldParks)
//                                       the company's park IDs; nothing when
//                                       its detail group was missing
//   year.country_parks[n - 1]           IDs of the parks whose country
//                                       number is n, in park order
// The schemas the records were read with travel with the records
// (season.park_fields, season.company_fields and each table's schema()).

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_sink.h"
#include "viewer/data/entity_table.h"

namespace wunt {

struct GameYear {
  int32_t year = 0;
  EntityTable parks;
  EntityTable companies;
  // Entry n - 1: the parks whose country field reads as n.
  std::vector<std::vector<int32_t>> country_parks;
};

struct SeasonData {
  int32_t season = 0;
  SharedSchema park_fields;
  SharedSchema company_fields;
  std::vector<GameYear> years;  // ascending by year, no year twice
  // Bounds of the year fields; these are the values before any load.
  int32_t lowest_year = 1964;
  int32_t highest_year = 0;

  const GameYear* FindYear(int32_t year) const;
};

// At most this many messages are raised for one data file.
inline constexpr size_t kMaxMessagesPerFile = 100;

// Reads one data file (Park.ini, Company.ini or Attraction.ini): one record
// per group without "_" in file order; IDList fields take their IDs from the
// group "<field 0>_<field name>". A missing file gives no records and no
// message.
EntityTable LoadEntityFile(const std::filesystem::path& file, SharedSchema schema,
                           MessageSink& sink);
// The same over bytes already in memory.
EntityTable LoadEntityBytes(std::string bytes, SharedSchema schema, MessageSink& sink);

// For each country number n from 1 to `country_count`, at n - 1, the IDs of
// the parks whose field 2 reads as n.
std::vector<std::vector<int32_t>> BuildCountryParkLists(const EntityTable& parks,
                                                        size_t country_count);

// The game-year progress window: which year is loaded and what its five
// year labels show.
struct YearProgress {
  int32_t year = 0;
  size_t step = 0;      // 1 for the first year loaded
  int32_t maximum = 0;  // highest - lowest + 1 (the calendar span)
  std::array<std::string, 5> labels;
};

// Labels for loading years[current]: the two years before it, itself and
// the two after it; empty where the list has no year.
std::array<std::string, 5> ProgressYearLabels(const std::vector<int32_t>& years, size_t current);

struct LoadSeasonOptions {
  // Called on the calling thread, once per game year, in year order, before
  // that year's data is reported complete.
  std::function<void(const YearProgress&)> progress;
  // Worker threads; 0 picks one per core. The result does not depend on it.
  unsigned threads = 0;
};

// Loads every game year of `season_folder` with the given schemas and
// groups the parks by the country numbers 1 to `country_count` (the highest
// number of the country list, CountryNumberSlots).
// Returns false, leaving `data` exactly as it was, when the folder has no
// game year. Messages reach `sink` in the order a one-by-one load raises
// them, on the calling thread.
bool LoadSeasonYears(const std::filesystem::path& season_folder, int32_t season,
                     const DataFieldList& park_fields, const DataFieldList& company_fields,
                     size_t country_count, SeasonData& data, MessageSink& sink,
                     const LoadSeasonOptions& options = {});

}  // namespace wunt
