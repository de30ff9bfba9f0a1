#include "viewer/attractions/catalogue_model.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numeric>

#include "common/text.h"
#include "viewer/attractions/catalogue_export.h"
#include "viewer/calc/number_format.h"

namespace wunt {
namespace {

// Yearly cost used when no cost term is ticked, so points stay finite.
constexpr int32_t kNoCost = 1'000'000;

constexpr Rgb kBlack = {0, 0, 0};
constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kGrey = {136, 136, 136};
constexpr Rgb kRed = {255, 0, 0};

// Fixed-point text with "." whatever the process locale says (the GUI sets
// the user's locale, which would turn printf's point into a comma).
std::string Fixed(double value, int decimals) {
  char buffer[400];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return {};
  return std::string(buffer, result.ptr);
}

int32_t RoundToInt32(double value) {
  const double rounded = std::nearbyint(value);  // ties to even
  return static_cast<int32_t>(std::clamp(rounded, double{INT32_MIN}, double{INT32_MAX}));
}

// One target group's cells: both empty when the attraction has no appeal.
std::string TargetCell(float target, double points, bool points_cell) {
  if (target == 0) return {};
  return points_cell ? Fixed(points, 2) : Fixed(target, 1);
}

std::string BonusCell(float bonus) { return bonus == 0 ? std::string() : Fixed(bonus, 1); }

double TargetKey(float target, double points) { return target == 0 ? 0.0 : points; }

using Entry = CatalogueEntry;

// Every column in the order shown. A sort key is 0 where the cell is empty;
// a column without one sorts by its text, letters folded.
constexpr std::array<CatalogueColumnInfo, kCatalogueColumnCount> kColumns = {{
    {"Name", 140, [](const Entry& e) { return e.name; }},
    {"Gesamtpunkte", 90, [](const Entry& e) { return Fixed(e.total_points, 2); },
     [](const Entry& e) -> double { return e.total_points; }},
    {"Kosten", 90, [](const Entry& e) { return FormatThousands(e.cost); },
     [](const Entry& e) -> double { return e.cost; }, true},
    {"Unterhalt", 70, [](const Entry& e) { return FormatThousands(e.maintenance); },
     [](const Entry& e) -> double { return e.maintenance; }, true},
    {"Personal", 60,
     [](const Entry& e) { return e.staff == 0 ? std::string() : std::to_string(e.staff); },
     [](const Entry& e) -> double { return e.staff; }},
    {"Personalkosten", 100,
     [](const Entry& e) { return e.staff == 0 ? std::string() : FormatThousands(e.staff_cost); },
     [](const Entry& e) -> double { return e.staff == 0 ? 0 : e.staff_cost; }, true},
    {"Fl\xE4"
     "che",
     60, [](const Entry& e) { return std::to_string(e.width) + " x " + std::to_string(e.depth); },
     [](const Entry& e) -> double { return static_cast<double>(e.width) * e.depth; }},
    {"Fl\xE4"
     "chenkosten",
     90,
     [](const Entry& e) {
       return FormatThousands(static_cast<int64_t>(std::nearbyint(e.ground_cost)));
     },
     [](const Entry& e) -> double { return std::nearbyint(e.ground_cost); }, true},
    {"Kapazit\xE4t", 70, [](const Entry& e) { return std::to_string(e.capacity); },
     [](const Entry& e) -> double { return e.capacity; }},
    {"Kap. Pkt.", 70, [](const Entry& e) { return Fixed(e.capacity_points, 2); },
     [](const Entry& e) -> double { return e.capacity_points; }},
    {"ZG A", 44, [](const Entry& e) { return TargetCell(e.target_a, e.target_a_points, false); },
     [](const Entry& e) -> double { return e.target_a; }},
    {"ZG A Pkt.", 62,
     [](const Entry& e) { return TargetCell(e.target_a, e.target_a_points, true); },
     [](const Entry& e) { return TargetKey(e.target_a, e.target_a_points); }},
    {"ZG B", 44, [](const Entry& e) { return TargetCell(e.target_b, e.target_b_points, false); },
     [](const Entry& e) -> double { return e.target_b; }},
    {"ZG B Pkt.", 62,
     [](const Entry& e) { return TargetCell(e.target_b, e.target_b_points, true); },
     [](const Entry& e) { return TargetKey(e.target_b, e.target_b_points); }},
    {"ZG C", 44, [](const Entry& e) { return TargetCell(e.target_c, e.target_c_points, false); },
     [](const Entry& e) -> double { return e.target_c; }},
    {"ZG C Pkt.", 62,
     [](const Entry& e) { return TargetCell(e.target_c, e.target_c_points, true); },
     [](const Entry& e) { return TargetKey(e.target_c, e.target_c_points); }},
    {"Atmo.", 44,
     [](const Entry& e) {
       return e.atmosphere == 0 ? std::string() : std::to_string(e.atmosphere);
     },
     [](const Entry& e) -> double { return e.atmosphere; }},
    {"Atmo. Pkt.", 70,
     [](const Entry& e) {
       return e.atmosphere == 0 ? std::string() : Fixed(e.atmosphere_points, 2);
     },
     [](const Entry& e) -> double { return e.atmosphere == 0 ? 0 : e.atmosphere_points; }},
    {"A-Bonus", 60, [](const Entry& e) { return BonusCell(e.bonus_a); },
     [](const Entry& e) -> double { return e.bonus_a; }},
    {"B-Bonus", 60, [](const Entry& e) { return BonusCell(e.bonus_b); },
     [](const Entry& e) -> double { return e.bonus_b; }},
    {"C-Bonus", 60, [](const Entry& e) { return BonusCell(e.bonus_c); },
     [](const Entry& e) -> double { return e.bonus_c; }},
}};

bool Matches(const CatalogueEntry& e, const BuildTick& tick) {
  return e.id == tick.id && e.category == tick.category && e.variant == tick.variant;
}

}  // namespace

const CatalogueColumnInfo& CatalogueColumnOf(int column) {
  return kColumns[static_cast<size_t>(column)];
}

void ComputeCataloguePoints(const CatalogueSettings& s, CatalogueEntry& e) {
  // The spins keep the lifetime at 2 or more, so no division by zero. Sums
  // are taken in 64 bits and wrapped to 32, as the 32-bit figures of the
  // game wrap, without overflowing in between.
  const int32_t lifetime = s.spin(kSpinLifetime);
  e.staff_cost = static_cast<int32_t>(int64_t{e.staff} * s.spin(kSpinWage) * 100);
  e.ground_cost = static_cast<double>(s.spin(kSpinGroundRate)) * e.width * e.depth / 2.5;

  int32_t c = 0;
  if (s.TermOn(kTermPurchase)) c = static_cast<int32_t>(int64_t{c} + e.cost / lifetime);
  if (s.TermOn(kTermMaintenance)) {
    c = static_cast<int32_t>(int64_t{c} + int64_t{e.maintenance} * s.spin(kSpinMaintenance) / 100);
  }
  if (s.TermOn(kTermStaff)) c = static_cast<int32_t>(int64_t{c} + e.staff_cost);
  if (s.TermOn(kTermGround)) c = RoundToInt32(e.ground_cost / lifetime + c);
  if (c == 0) c = kNoCost;

  float a = e.target_a;
  float b = e.target_b;
  float g = e.target_c;
  if (s.TermOn(kTermBonus)) {
    a += e.bonus_a;
    b += e.bonus_b;
    g += e.bonus_c;
  }
  const double cost = c;
  e.capacity_points = e.capacity * 1000.0 / cost;
  e.target_a_points = a * 1'000'000.0 / cost;
  e.target_b_points = b * 1'000'000.0 / cost;
  e.target_c_points = g * 1'000'000.0 / cost;
  e.atmosphere_points = e.atmosphere * 1'000'000.0 / cost;

  double total = 0;
  if (s.TermOn(kTermCapacity)) total += e.capacity_points * s.spin(kSpinCapacity) / 100;
  if (s.TermOn(kTermTargetA)) total += e.target_a_points * s.spin(kSpinTargetA) / 100;
  if (s.TermOn(kTermTargetB)) total += e.target_b_points * s.spin(kSpinTargetB) / 100;
  if (s.TermOn(kTermTargetC)) total += e.target_c_points * s.spin(kSpinTargetC) / 100;
  if (s.TermOn(kTermAtmosphere)) total += e.atmosphere_points * s.spin(kSpinAtmosphere) / 100;
  // Without any point term the cost alone ranks the list.
  if (total == 0) total = cost / 1'000'000.0;
  e.total_points = total;
}

std::string CatalogueCellText(const CatalogueEntry& entry, int column) {
  if (column < 0 || column >= kCatalogueColumnCount) return {};
  return CatalogueColumnOf(column).cell(entry);
}

CatalogueModel::CatalogueModel(CatalogueSettings settings) : settings_(std::move(settings)) {}

void CatalogueModel::ReplaceEntries(int32_t year, std::vector<CatalogueEntry> entries) {
  year_ = year;
  entries_ = std::move(entries);
  for (CatalogueEntry& e : entries_) e.ticked = false;
  Fill();
}

void CatalogueModel::ApplyBuildTicks(const std::vector<BuildTick>& build) {
  for (const BuildTick& tick : build) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const CatalogueEntry& e) { return Matches(e, tick); });
    if (it != entries_.end()) it->ticked = true;
  }
}

std::vector<BuildTick> CatalogueModel::BuildTicks() const {
  std::vector<BuildTick> ticks;
  for (size_t i : points_order_) {
    const CatalogueEntry& e = entries_[i];
    if (e.ticked) ticks.push_back({e.id, e.category, e.variant});
  }
  return ticks;
}

std::vector<BuildTick> CatalogueModel::MergedBuildTicks(
    const std::vector<BuildTick>& stored) const {
  std::vector<BuildTick> ticks = BuildTicks();
  for (const BuildTick& tick : stored) {
    const bool shown = std::any_of(entries_.begin(), entries_.end(),
                                   [&](const CatalogueEntry& e) { return Matches(e, tick); });
    if (!shown) ticks.push_back(tick);
  }
  return ticks;
}

void CatalogueModel::SetCategory(int bit, bool on) {
  settings_.SetCategoryBit(bit, on);
  Fill();
}

void CatalogueModel::SetTerm(WeightTerm term, bool on) {
  settings_.terms = (settings_.terms & ~(1 << term)) | (on ? 1 << term : 0);
  Fill();
}

void CatalogueModel::SetSpin(Spin spin, int32_t value) { settings_.SetSpin(spin, value); }

void CatalogueModel::SetMarkNew(bool on) { settings_.mark_new = on; }

void CatalogueModel::Rebuild() {
  sort_column_ = -1;
  sort_descending_ = false;
  Fill();
}

void CatalogueModel::SortByColumn(int column) {
  if (column < 0 || column >= kCatalogueColumnCount) return;
  sort_descending_ = column == sort_column_ && !sort_descending_;
  sort_column_ = column;
  OrderRows();
}

void CatalogueModel::Fill() {
  for (CatalogueEntry& e : entries_) ComputeCataloguePoints(settings_, e);
  points_order_.resize(entries_.size());
  std::iota(points_order_.begin(), points_order_.end(), size_t{0});
  std::stable_sort(points_order_.begin(), points_order_.end(), [this](size_t a, size_t b) {
    return entries_[a].total_points > entries_[b].total_points;
  });
  OrderRows();
}

void CatalogueModel::OrderRows() {
  rows_.clear();
  for (size_t i : points_order_) {
    if (settings_.CategoryOn(entries_[i].category)) rows_.push_back(i);
  }
  if (sort_column_ < 0) return;
  const bool descending = sort_descending_;
  const CatalogueColumnInfo& column = CatalogueColumnOf(sort_column_);
  if (column.sort_key == nullptr) {
    std::vector<std::string> keys(entries_.size());
    for (size_t i : rows_) keys[i] = FoldCaseAZ(column.cell(entries_[i]));
    std::stable_sort(rows_.begin(), rows_.end(), [&](size_t a, size_t b) {
      return descending ? keys[b] < keys[a] : keys[a] < keys[b];
    });
    return;
  }
  std::vector<double> keys(entries_.size());
  for (size_t i : rows_) keys[i] = column.sort_key(entries_[i]);
  std::stable_sort(rows_.begin(), rows_.end(), [&](size_t a, size_t b) {
    return descending ? keys[b] < keys[a] : keys[a] < keys[b];
  });
}

std::string CatalogueModel::CellText(size_t row, int column) const {
  return CatalogueCellText(EntryAt(row), column);
}

void CatalogueModel::SetTicked(size_t row, bool on) {
  if (row < rows_.size()) entries_[rows_[row]].ticked = on;
}

RowLook CatalogueModel::LookOf(size_t row) const {
  // Bands of three rows, the first one dark.
  const bool dark = (row / 3) % 2 == 0;
  RowLook look{dark ? kWhite : kBlack, dark ? kBlack : kWhite};
  const CatalogueEntry& e = EntryAt(row);
  if (e.ticked) look.text = kGrey;
  if (settings_.mark_new && e.launch == std::to_string(int64_t{year_} + 1)) look.background = kRed;
  return look;
}

std::string CatalogueModel::DescriptionText(std::optional<size_t> row) const {
  if (!row || *row >= rows_.size()) return "keine Attraktion ausgew\xE4hlt";
  const CatalogueEntry& e = EntryAt(*row);
  return e.name + " - " + e.variant + "\r\nMarkteinf\xFChrung: " + e.launch + "\r\n\r\n" +
         e.description;
}

std::string CatalogueModel::CopyText(std::vector<size_t> rows) const {
  return BuildCatalogueCopyText(*this, std::move(rows));
}

}  // namespace wunt
