#include "viewer/attractions/catalogue_settings.h"

#include <algorithm>
#include <map>

#include "common/ini_file.h"
#include "common/season_layout.h"
#include "common/text.h"
#include "viewer/calc/number_format.h"

namespace wunt {
namespace {

constexpr std::string_view kViewerGroup = "AttViewer";
constexpr std::string_view kBuildGroup = "Build";

constexpr std::array<SpinLimits, kSpinCount> kSpins = {{
    {"Livetime", 2, 100, 20},
    {"QuantifierMaint", 1, 1000, 100},
    {"PersoCost", 10, 1000, 100},
    {"SizeCost", 50, 1000, 25},
    {"QuantifierCapa", 1, 1000, 100},
    {"QuantifierAtmo", 1, 1000, 100},
    {"QuantifierZGA", 1, 1000, 100},
    {"QuantifierZGB", 1, 1000, 100},
    {"QuantifierZGC", 1, 1000, 100},
}};

constexpr std::array<std::string_view, kCategoryCount> kCategoryLabels = {"Achterbahnen",
                                                                          "Themenfahrten",
                                                                          "Wasserattraktionen",
                                                                          "Rasante Fahrgesch\xE4"
                                                                          "fte",
                                                                          "Ruhige Attraktionen",
                                                                          "Kinderattraktionen",
                                                                          "Shows"};

constexpr std::array<std::string_view, kWeightTermCount> kTermLabels = {
    "Kosten, Lebensdauer: ",   "Unterhalt: ",
    "Personal, 2 Schichten: ", "Kosten pro 2500 m\xB2 (50x50): ",
    "Kapazit\xE4t: ",          "Atmosph\xE4re: ",
    "Zielgruppe A: ",          "Zielgruppe B: ",
    "Zielgruppe C: ",          "Uniqueness-Bonus (wird zu den ZG-Punkten addiert)",
};

// value / 100 with two decimals, "." as decimal point.
std::string Hundredths(int32_t value) {
  const int32_t fraction = value % 100;
  return std::to_string(value / 100) + (fraction < 10 ? ".0" : ".") + std::to_string(fraction);
}

int32_t ToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// "Build" keys are id + "|" + category; a second tick with the same id and
// category (another variant) gets "|2", "|3" ... appended, which readers
// skip, so no tick overwrites another.
std::string BuildKey(const BuildTick& tick, std::map<std::string, int>& used) {
  std::string key = std::to_string(tick.id) + "|" + std::to_string(tick.category);
  const int n = ++used[key];
  if (n > 1) {
    key += '|';
    key += std::to_string(n);
  }
  return key;
}

}  // namespace

const SpinLimits& SpinLimitsOf(Spin spin) { return kSpins[static_cast<size_t>(spin)]; }

std::string SpinDisplayText(Spin spin, int32_t value) {
  switch (spin) {
    case kSpinLifetime:
      return std::to_string(value) + " Jahre";
    case kSpinWage:
      return FormatThousands(int64_t{value} * 100) + " ";
    case kSpinGroundRate:
      return std::to_string(value) + ".000 ";
    default:
      return Hundredths(value) + " %";
  }
}

std::string_view CategoryLabel(int category_bit) {
  return kCategoryLabels[static_cast<size_t>(category_bit)];
}

std::string_view WeightTermLabel(WeightTerm term) { return kTermLabels[static_cast<size_t>(term)]; }

CatalogueSettings::CatalogueSettings() {
  for (int s = 0; s < kSpinCount; ++s) {
    SetSpin(static_cast<Spin>(s), kSpins[static_cast<size_t>(s)].stored_default);
  }
}

void CatalogueSettings::SetSpin(Spin s, int32_t value) {
  const SpinLimits& spec = SpinLimitsOf(s);
  spins[static_cast<size_t>(s)] = std::clamp(value, spec.minimum, spec.maximum);
}

void CatalogueSettings::SetCategoryBit(int bit, bool on) {
  if (bit == kCategoryCount) {
    categories = on ? (kSevenCategories | kAllCategoriesBit) : 0;
    return;
  }
  const int32_t mask = 1 << bit;
  int32_t seven = (categories & kSevenCategories & ~mask) | (on ? mask : 0);
  categories = seven | (seven == kSevenCategories ? kAllCategoriesBit : 0);
}

CatalogueSettings LoadCatalogueSettings(const std::filesystem::path& season_folder,
                                        std::vector<BuildTick>* build) {
  CatalogueSettings settings;
  IniFile ini;
  if (!ini.OpenIni(season_folder / kSaveDataFile)) return settings;
  if (ini.SelectGroup(kViewerGroup)) {
    // "Alle" is derived from the seven boxes, whatever the file says.
    const int32_t seven = ToInt32(ini.ReadLong("Category", 255)) & kSevenCategories;
    settings.categories = seven | (seven == kSevenCategories ? kAllCategoriesBit : 0);
    settings.terms = ToInt32(ini.ReadLong("Calculate", settings.terms));
    settings.mark_new = ini.ReadLong("MarkNew", 1) != 0;
    for (int s = 0; s < kSpinCount; ++s) {
      const SpinLimits& spec = kSpins[static_cast<size_t>(s)];
      settings.SetSpin(static_cast<Spin>(s), ToInt32(ini.ReadLong(spec.key, spec.stored_default)));
    }
  }
  if (build != nullptr && ini.SelectGroup(kBuildGroup) && ini.FirstKey()) {
    while (ini.NextKey()) {
      const std::string key = ini.KeyName();
      const size_t bar = key.find('|');
      BuildTick tick;
      tick.id = static_cast<int32_t>(LeadingNumber(key.substr(0, bar)));
      if (bar != std::string::npos) {
        tick.category = static_cast<int32_t>(LeadingNumber(std::string_view(key).substr(bar + 1)));
      }
      tick.variant = ini.KeyValue();
      build->push_back(std::move(tick));
    }
  }
  ini.CloseIni();  // nothing written, nothing changes on disk
  return settings;
}

bool SaveCatalogueSettings(const std::filesystem::path& season_folder,
                           const CatalogueSettings& settings, const std::vector<BuildTick>& build) {
  const std::filesystem::path path = season_folder / kSaveDataFile;
  IniFile ini;
  // A missing file still opens for writing: the close creates it. One that
  // exists but cannot be read is left alone, or its calculations would be
  // lost.
  std::error_code ec;
  if (!ini.OpenIni(path) && std::filesystem::exists(path, ec)) return false;
  ini.SelectGroup(kViewerGroup);
  ini.WriteLong("Category", settings.categories);
  ini.WriteLong("MarkNew", settings.mark_new ? 1 : 0);
  ini.WriteLong("Calculate", settings.terms);
  for (int s = 0; s < kSpinCount; ++s) {
    ini.WriteLong(kSpins[static_cast<size_t>(s)].key, settings.spins[static_cast<size_t>(s)]);
  }
  ini.RemoveGroup(kBuildGroup);
  ini.SelectGroup(kBuildGroup);
  std::map<std::string, int> used;
  for (const BuildTick& tick : build) ini.WriteString(BuildKey(tick, used), tick.variant);
  return ini.CloseIni();
}

}  // namespace wunt
