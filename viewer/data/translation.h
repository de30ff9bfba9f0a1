#pragma once
// Translation.txt of a season: the name table (internal formula names to
// display texts), the countries and the diagram colour palette.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/data/value_record.h"

namespace wunt {

struct NameTableEntry {
  std::string internal_name;
  std::string display_text;
};

// The lines before the first group, in file order.
std::vector<NameTableEntry> LoadNameTable(const std::filesystem::path& season_folder);

// Applies the name table when loading a calculation: every internal name that
// stands whole (see WholeNameReplacer) becomes its display text in double
// quotes. The longest name wins; among equal ones the earlier line.
std::string TranslateToDisplay(std::string_view text, const std::vector<NameTableEntry>& table);
// The reverse, when saving: every quoted display text becomes its internal name.
std::string TranslateToInternal(std::string_view text, const std::vector<NameTableEntry>& table);

// Rebuilds the country value list from group "Countrys": one record per line
// in file order, id = the key as a number, name = the value, and with
// `year_count` > 0 an empty year-values entry per year. Returns the count.
int LoadCountries(const std::filesystem::path& season_folder, int year_count, ValueList& countries);

// Country numbers beyond this own no parks: it bounds what a stray number in
// Translation.txt costs per game year.
inline constexpr int32_t kHighestCountryNumber = 256;

// How many country numbers the parks are grouped by: the highest number of
// the list, up to kHighestCountryNumber.
size_t CountryNumberSlots(const ValueList& countries);

// Colours hold red in bits 0-7, green in 8-15, blue in 16-23.
struct ColorEntry {
  uint32_t base = 0;
  uint32_t light = 0;
  uint32_t dark = 0;
};

ColorEntry MakeColorEntry(uint32_t color);

// Rebuilds the colour table from group "Colors". Returns the count.
int LoadColors(const std::filesystem::path& season_folder, std::vector<ColorEntry>& colors);

}  // namespace wunt
