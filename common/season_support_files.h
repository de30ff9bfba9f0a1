#pragma once
// The files a season folder holds beside its game years, as the program
// ships them: the fields of the data files, the names of fields and
// countries, the starting calculations and the overview's page templates.
// A season the updater brings for the first time gets them from here, and
// so does the demo season.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/season_layout.h"

namespace wunt {

inline constexpr char kOverviewTemplateFile[] = "Overview.htm";
inline constexpr char kLoadTemplateFile[] = "Load.htm";

inline constexpr std::array<const char*, 5> kSupportFileNames = {
    kDatafieldsFile, kTranslationFile, kSaveDataFile, kOverviewTemplateFile, kLoadTemplateFile};

// How many countries Translation.txt can name.
inline constexpr int32_t kKnownCountries = 12;

struct SeasonSupportFile {
  const char* name;
  std::string bytes;
};

// Our files, in Windows-1252; Translation.txt names the first `countries`
// countries (clamped to 0..kKnownCountries).
std::vector<SeasonSupportFile> SeasonSupportFiles(int32_t countries = kKnownCountries);

// Writes those of our files that the season folder lacks. Whatever holds a
// file's name already stays untouched (SaveData.ini keeps the player's
// calculations), links included. Each file appears complete or not at
// all. Returns the names that could not be written.
std::vector<std::string> WriteMissingSupportFiles(const std::filesystem::path& season_folder);

}  // namespace wunt
