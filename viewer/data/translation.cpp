#include "viewer/data/translation.h"

#include <algorithm>
#include <cmath>

#include "common/ini_file.h"
#include "common/season_layout.h"
#include "common/text.h"
#include "viewer/data/whole_names.h"

namespace wunt {
namespace {

std::filesystem::path TranslationFile(const std::filesystem::path& season_folder) {
  return season_folder / kTranslationFile;
}

}  // namespace

std::vector<NameTableEntry> LoadNameTable(const std::filesystem::path& season_folder) {
  std::vector<NameTableEntry> table;
  IniFile ini;
  if (!ini.OpenIni(TranslationFile(season_folder))) return table;
  ini.SelectGroup("");
  if (ini.FirstKey()) {
    while (ini.NextKey()) table.push_back({ini.KeyName(), ini.KeyValue()});
  }
  return table;
}

std::string TranslateToDisplay(std::string_view text, const std::vector<NameTableEntry>& table) {
  std::vector<NameReplacement> replacements;
  for (const NameTableEntry& entry : table) {
    replacements.push_back({entry.internal_name, "\"" + entry.display_text + "\""});
  }
  return WholeNameReplacer(std::move(replacements)).Apply(text);
}

std::string TranslateToInternal(std::string_view text, const std::vector<NameTableEntry>& table) {
  std::vector<NameReplacement> replacements;
  for (const NameTableEntry& entry : table) {
    replacements.push_back({"\"" + entry.display_text + "\"", entry.internal_name});
  }
  return WholeNameReplacer(std::move(replacements)).Apply(text);
}

int LoadCountries(const std::filesystem::path& season_folder, int year_count,
                  ValueList& countries) {
  countries.clear();
  IniFile ini;
  if (!ini.OpenIni(TranslationFile(season_folder)) || !ini.SelectGroup("Countrys")) return 0;
  if (ini.FirstKey()) {
    while (ini.NextKey()) {
      ValueRecord& country = countries.emplace_back();
      country.id = static_cast<int32_t>(LeadingNumber(ini.KeyName()));
      country.name = ini.KeyValue();
      if (year_count > 0) country.year_values.resize(static_cast<size_t>(year_count));
    }
  }
  return static_cast<int>(countries.size());
}

size_t CountryNumberSlots(const ValueList& countries) {
  int32_t highest = 0;
  for (const ValueRecord& country : countries) {
    if (country.id <= kHighestCountryNumber) highest = std::max(highest, country.id);
  }
  return static_cast<size_t>(highest);
}

ColorEntry MakeColorEntry(uint32_t color) {
  uint32_t red = color & 0xFF;
  uint32_t green = (color >> 8) & 0xFF;
  uint32_t blue = (color >> 16) & 0xFF;
  auto lighten = [](uint32_t x) { return x + (255.0 - x) * 0.6; };
  // Green and blue are truncated, red is rounded: the palette the game's
  // diagrams were tuned with comes out of exactly this arithmetic.
  double light = static_cast<uint32_t>(lighten(blue)) * 65536.0 +
                 static_cast<uint32_t>(lighten(green)) * 256.0 + lighten(red);
  ColorEntry entry;
  entry.base = color;
  entry.light = static_cast<uint32_t>(std::lround(light));
  entry.dark = (red / 2) + (green / 2) * 256 + (blue / 2) * 65536;
  return entry;
}

int LoadColors(const std::filesystem::path& season_folder, std::vector<ColorEntry>& colors) {
  colors.clear();
  IniFile ini;
  if (!ini.OpenIni(TranslationFile(season_folder)) || !ini.SelectGroup("Colors")) return 0;
  if (ini.FirstKey()) {
    while (ini.NextKey()) {
      colors.push_back(MakeColorEntry(static_cast<uint32_t>(LeadingNumber(ini.KeyValue()))));
    }
  }
  return static_cast<int>(colors.size());
}

}  // namespace wunt
