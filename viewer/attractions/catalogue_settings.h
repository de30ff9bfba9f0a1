#pragma once
// The catalogue's settings: which categories are shown, which terms weigh
// into the points and the nine weights, kept per season in SaveData.ini
// (group "AttViewer", and "Build" for the ticked attractions).

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace wunt {

inline constexpr int kCategoryCount = 7;
// Bit 7 of the stored category mask stands for the "Alle" box.
inline constexpr int32_t kAllCategoriesBit = 1 << kCategoryCount;
inline constexpr int32_t kSevenCategories = kAllCategoriesBit - 1;

// Terms that can be switched on and off; the value is the bit in "Calculate".
enum WeightTerm : int {
  kTermPurchase = 0,
  kTermMaintenance = 1,
  kTermStaff = 2,
  kTermGround = 3,
  kTermCapacity = 4,
  kTermAtmosphere = 5,
  kTermTargetA = 6,
  kTermTargetB = 7,
  kTermTargetC = 8,
  kTermBonus = 9,
};
inline constexpr int kWeightTermCount = 10;

// The nine spin fields.
enum Spin : int {
  kSpinLifetime,
  kSpinMaintenance,
  kSpinWage,
  kSpinGroundRate,
  kSpinCapacity,
  kSpinAtmosphere,
  kSpinTargetA,
  kSpinTargetB,
  kSpinTargetC,
};
inline constexpr int kSpinCount = 9;

struct SpinLimits {
  std::string_view key;  // in "AttViewer"
  int32_t minimum;
  int32_t maximum;
  int32_t stored_default;  // may lie outside the range ("SizeCost")
};
const SpinLimits& SpinLimitsOf(Spin spin);

// The text shown beside a spin for `value`, e.g. "20 Jahre", "1.00 %".
std::string SpinDisplayText(Spin spin, int32_t value);

// Check box captions in Windows-1252: the seven categories in bit order,
// and the weight terms in bit order.
std::string_view CategoryLabel(int category_bit);
inline constexpr std::string_view kAllCategoriesLabel = "Alle";
std::string_view WeightTermLabel(WeightTerm term);

struct BuildTick {
  int32_t id = 0;
  int32_t category = 0;
  std::string variant;
  friend bool operator==(const BuildTick&, const BuildTick&) = default;
};

struct CatalogueSettings {
  int32_t categories = 255;  // bits 0-6 the category boxes, bit 7 "Alle"
  int32_t terms = 511;       // bit i = WeightTerm i ticked
  bool mark_new = true;
  // Spin states: always inside their ranges. A stored value outside a
  // range is moved to its nearest end, as the spin field would; the
  // computation and the next save use that state.
  std::array<int32_t, kSpinCount> spins{};

  CatalogueSettings();
  bool TermOn(WeightTerm term) const { return (terms >> term) & 1; }
  bool CategoryOn(int category) const {  // category 1..7
    return category >= 1 && category <= kCategoryCount && ((categories >> (category - 1)) & 1);
  }
  int32_t spin(Spin s) const { return spins[static_cast<size_t>(s)]; }
  void SetSpin(Spin s, int32_t value);
  // Sets one category box (bit 0..6) or, for bit 7, all of them; "Alle"
  // follows the seven boxes.
  void SetCategoryBit(int bit, bool on);
};

// Reads "AttViewer" and "Build" from <season_folder>/SaveData.ini. Defaults
// for a missing file, group or key; `build` gets one tick per "Build" entry.
CatalogueSettings LoadCatalogueSettings(const std::filesystem::path& season_folder,
                                        std::vector<BuildTick>* build);

// Writes both groups into <season_folder>/SaveData.ini (created when
// missing), keeping the file's other groups; the file is replaced as a
// whole. False when it could not be written.
bool SaveCatalogueSettings(const std::filesystem::path& season_folder,
                           const CatalogueSettings& settings, const std::vector<BuildTick>& build);

}  // namespace wunt
