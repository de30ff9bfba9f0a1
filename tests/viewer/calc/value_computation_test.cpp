#include "viewer/calc/value_computation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace wunt {
namespace {

struct ParkRow {
  int32_t id;
  const char* name;
  int64_t country;
  int64_t revenue;
  int64_t visitors;
};

struct CompanyRow {
  int32_t id;
  const char* name;
  std::vector<int32_t> parks;
  bool has_list = true;
};

constexpr int kRevenue = 3;
constexpr int kVisitors = 4;

// Small seasons whose every number can be worked out by hand.
class SeasonBuilder {
 public:
  SeasonBuilder() {
    season_.park_fields = MakeSchema({{"ID", kFieldNumber},
                                      {"Name", kFieldString},
                                      {"Country", kFieldNumber},
                                      {"Revenue", kFieldNumber},
                                      {"Visitors", kFieldNumber}});
    season_.company_fields = MakeSchema({{"ID", kFieldNumber},
                                         {"Name", kFieldString},
                                         {"Money", kFieldNumber},
                                         {"Parks", kFieldIdList}});
  }

  SeasonBuilder& Year(int32_t year, const std::vector<ParkRow>& parks,
                      const std::vector<CompanyRow>& companies = {}) {
    GameYear& y = season_.years.emplace_back();
    y.year = year;
    y.parks = EntityTable(season_.park_fields);
    for (const ParkRow& p : parks) {
      const size_t r = y.parks.AddRecord();
      y.parks.SetNumber(r, 0, p.id);
      y.parks.SetText(r, 1, p.name);
      y.parks.SetNumber(r, 2, p.country);
      y.parks.SetNumber(r, kRevenue, p.revenue);
      y.parks.SetNumber(r, kVisitors, p.visitors);
    }
    y.parks.BuildIdIndex();
    y.companies = EntityTable(season_.company_fields);
    for (const CompanyRow& c : companies) {
      const size_t r = y.companies.AddRecord();
      y.companies.SetNumber(r, 0, c.id);
      y.companies.SetText(r, 1, c.name);
      if (c.has_list) y.companies.SetIdList(r, kCompanyFieldParks, c.parks);
    }
    y.companies.BuildIdIndex();
    y.country_parks = BuildCountryParkLists(y.parks, 3);
    return *this;
  }

  const SeasonData& season() const { return season_; }

 private:
  SeasonData season_;
};

LoadedCalculation Calculation(const SeasonData& season, const std::vector<std::string>& formulas,
                              bool merge = true) {
  LoadedCalculation calc;
  calc.number = 1;
  calc.merge = merge;
  for (const std::string& formula : formulas) AppendValue(calc, formula, "");
  ResolveFieldNames(calc, *season.park_fields);
  return calc;
}

ComputationSettings Span(ContentKind kind, int32_t start, int32_t end, bool vanished = false) {
  ComputationSettings settings;
  settings.content_kind = kind;
  settings.start_year = start;
  settings.end_year = end;
  settings.include_vanished = vanished;
  return settings;
}

const ValueRecord* Find(const ValueList& list, int32_t id) {
  for (const ValueRecord& r : list) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

using Years = std::vector<std::vector<int64_t>>;

// Park 1 skips year 4, park 3 vanishes after year 3, park 4 opens in year 4.
SeasonBuilder ThreeYears() {
  SeasonBuilder b;
  b.Year(3, {{1, "Eins", 1, 100, 10}, {2, "Zwei", 2, 200, 20}, {3, "Drei", 1, 300, 30}})
      .Year(4, {{2, "Zwei", 2, 210, 21}, {4, "Vier", 2, 400, 40}})
      .Year(5, {{1, "Eins", 1, 120, 12}, {2, "Zwei", 2, 220, 22}, {4, "Vier", 2, 440, 44}});
  return b;
}

TEST(BuildValueListTest, EndYearEntitiesFirstAndVanishedOnlyWhenAsked) {
  const SeasonBuilder b = ThreeYears();
  const struct {
    ComputationSettings settings;
    std::vector<int32_t> ids;
  } cases[] = {
      {Span(ContentKind::kValue, 3, 5), {1, 2, 4}},
      {Span(ContentKind::kValue, 3, 5, true), {1, 2, 4, 3}},
      {Span(ContentKind::kPark, 3, 5), {1, 2, 4, 3}},
      {Span(ContentKind::kYear, 4, 4), {2, 4}},
  };
  for (const auto& c : cases) {
    ValueListState state;
    state.parks_computed = true;
    EXPECT_EQ(BuildParkValueList(b.season(), c.settings, state), c.ids.size());
    EXPECT_FALSE(state.parks_computed);
    std::vector<int32_t> ids;
    for (const ValueRecord& r : state.parks) ids.push_back(r.id);
    EXPECT_EQ(ids, c.ids) << "kind " << static_cast<int>(c.settings.content_kind);
  }

  ValueListState state;
  BuildParkValueList(b.season(), Span(ContentKind::kValue, 3, 5, true), state);
  const ValueRecord* one = Find(state.parks, 1);
  EXPECT_EQ(one->name, "Eins");
  EXPECT_EQ(one->country, 1);
  EXPECT_EQ(one->first_year, 3);
  EXPECT_EQ(one->last_year, 5);
  EXPECT_EQ(one->year_values.size(), 3u);
  const ValueRecord* three = Find(state.parks, 3);
  EXPECT_EQ(three->first_year, 3);
  EXPECT_EQ(three->last_year, 3);
  const ValueRecord* four = Find(state.parks, 4);
  EXPECT_EQ(four->first_year, 4);
  EXPECT_EQ(four->last_year, 5);
}

TEST(ComputeParkValuesTest, ValuesPerYearAndAverageOverYearsOfExistence) {
  const SeasonBuilder b = ThreeYears();
  const ComputationSettings settings = Span(ContentKind::kValue, 3, 5, true);
  const LoadedCalculation calc = Calculation(b.season(), {"Revenue", "Visitors*Parkanzahl+1"});
  ValueListState state;
  BuildParkValueList(b.season(), settings, state);
  ASSERT_TRUE(ComputeParkValues(b.season(), settings, calc, state));
  EXPECT_TRUE(state.parks_computed);

  const struct {
    int32_t id;
    Years years;
    int64_t sum;
  } cases[] = {
      // Year 4 is missing: (100 + 120) / 3 years of existence.
      {1, {{100, 11}, {}, {120, 13}}, 73},
      {2, {{200, 21}, {210, 22}, {220, 23}}, 210},
      {3, {{300, 31}, {}, {}}, 300},
      {4, {{}, {400, 41}, {440, 45}}, 420},
  };
  for (const auto& c : cases) {
    const ValueRecord* r = Find(state.parks, c.id);
    ASSERT_NE(r, nullptr) << c.id;
    EXPECT_EQ(r->year_values, c.years) << c.id;
    EXPECT_EQ(r->sum, c.sum) << c.id;
    EXPECT_EQ(r->result, 0) << c.id;
  }
}

TEST(ComputeParkValuesTest, AggregatesByContentKind) {
  const SeasonBuilder b = ThreeYears();
  const LoadedCalculation calc = Calculation(b.season(), {"Revenue", "Visitors"});
  const struct {
    ComputationSettings settings;
    int64_t sum;
    int64_t result;
  } cases[] = {
      {Span(ContentKind::kPark, 3, 5), 0, 0},
      {Span(ContentKind::kYear, 5, 5), 220 + 22, 220 + 22},
  };
  for (const auto& c : cases) {
    ValueListState state;
    BuildParkValueList(b.season(), c.settings, state);
    ASSERT_TRUE(ComputeParkValues(b.season(), c.settings, calc, state));
    const ValueRecord* two = Find(state.parks, 2);
    EXPECT_EQ(two->sum, c.sum) << static_cast<int>(c.settings.content_kind);
    EXPECT_EQ(two->result, c.result) << static_cast<int>(c.settings.content_kind);
  }
}

TEST(ComputeParkValuesTest, FormulaTextsGetTheFieldValues) {
  SeasonBuilder b;
  b.Year(1, {{1, "Minus", 1, -5, 3}, {2, "Gross", 1, 16777217, 0}, {3, "Null", 1, 0, 7}});
  const ComputationSettings settings = Span(ContentKind::kPark, 1, 1);
  const LoadedCalculation calc =
      Calculation(b.season(), {"10-Revenue", "Revenue*2", "Visitors/Revenue",
                               "(Revenue+Visitors)*2", "2^Visitors", "Revenue+0"});
  ValueListState state;
  BuildParkValueList(b.season(), settings, state);
  ASSERT_TRUE(ComputeParkValues(b.season(), settings, calc, state));
  // A negative value after an operator still reads as a number; a division
  // by zero is no value; single precision rounds 2^24 + 1.
  EXPECT_EQ(Find(state.parks, 1)->year_values[0], (std::vector<int64_t>{15, -10, -1, -4, 8, -5}));
  EXPECT_EQ(Find(state.parks, 3)->year_values[0], (std::vector<int64_t>{10, 0, 0, 14, 128, 0}));
  EXPECT_EQ(Find(state.parks, 2)->year_values[0].back(), 16777216);
}

TEST(ComputeParkValuesTest, ClosingEntryGivesEmptyYears) {
  const SeasonBuilder b = ThreeYears();
  const ComputationSettings settings = Span(ContentKind::kValue, 3, 5);
  LoadedCalculation none;
  ValueListState state;
  BuildParkValueList(b.season(), settings, state);
  ASSERT_TRUE(ComputeParkValues(b.season(), settings, none, state));
  for (const ValueRecord& r : state.parks) {
    for (const auto& year : r.year_values) EXPECT_TRUE(year.empty());
    EXPECT_EQ(r.sum, 0);
  }
}

// Company 10 owns parks 1, 2 and 99 (missing from the records); 20 has an
// empty list; 30 has no list at all in year 2; 40 exists only in year 1.
SeasonBuilder CompanySeason() {
  SeasonBuilder b;
  const std::vector<ParkRow> parks = {
      {1, "A", 1, 2000000000, 5}, {2, "B", 2, 2000000000, 7}, {3, "C", 2, 2000000000, 9}};
  b.Year(
       1, parks,
       {{10, "Zehn", {1, 2, 99}}, {20, "Zwanzig", {}}, {30, "Dreissig", {3}}, {40, "Vierzig", {3}}})
      .Year(2, parks,
            {{10, "Zehn", {1, 2, 3, 99}}, {20, "Zwanzig", {}}, {30, "Dreissig", {}, false}});
  return b;
}

TEST(ComputeCompanyValuesTest, SumsOverTheParkListInSixtyFourBits) {
  const SeasonBuilder b = CompanySeason();
  const ComputationSettings settings = Span(ContentKind::kPark, 1, 2);
  const LoadedCalculation calc = Calculation(b.season(), {"Revenue", "Parkanzahl", "Visitors"});
  ValueListState state;
  EXPECT_EQ(BuildCompanyValueList(b.season(), settings, state), 4u);
  ASSERT_TRUE(ComputeCompanyValues(b.season(), settings, calc, state));
  EXPECT_TRUE(state.companies_computed);

  const struct {
    int32_t id;
    Years years;
    int64_t sum;
  } cases[] = {
      {10, {{4000000000, 3, 12}, {6000000000, 4, 21}}, 6000000000 + 4 + 21},
      {20, {{0, 0, 0}, {0, 0, 0}}, 0},
      {30, {{2000000000, 1, 9}, {}}, 0},
      {40, {{2000000000, 1, 9}, {}}, 0},
  };
  for (const auto& c : cases) {
    const ValueRecord* r = Find(state.companies, c.id);
    ASSERT_NE(r, nullptr) << c.id;
    EXPECT_EQ(r->year_values, c.years) << c.id;
    EXPECT_EQ(r->sum, c.sum) << c.id;
    EXPECT_EQ(r->result, c.sum) << c.id;
  }
  EXPECT_EQ(state.companies.front().id, 10);
}

TEST(ComputeCompanyValuesTest, MergedAverageOrEndYearValue) {
  const SeasonBuilder b = CompanySeason();
  const ComputationSettings settings = Span(ContentKind::kValue, 1, 2, true);
  for (bool merge : {true, false}) {
    const LoadedCalculation calc = Calculation(b.season(), {"Visitors", "Parkanzahl"}, merge);
    ValueListState state;
    BuildCompanyValueList(b.season(), settings, state);
    ASSERT_TRUE(ComputeCompanyValues(b.season(), settings, calc, state));
    const ValueRecord* ten = Find(state.companies, 10);
    // Visitors 12 and 21 over its two years.
    EXPECT_EQ(ten->sum, (12 + 21) / 2);
    EXPECT_EQ(ten->result, merge ? (12 + 21) / 2 : 21);
    // Data in year 1 only: the average of that one year, and no end-year
    // value to take instead.
    const ValueRecord* forty = Find(state.companies, 40);
    EXPECT_EQ(forty->sum, 9);
    EXPECT_EQ(forty->result, 9);
  }
}

TEST(ComputeCompanyValuesTest, SortedByResultHighestFirst) {
  SeasonBuilder b;
  b.Year(1, {{1, "A", 1, 5, 0}, {2, "B", 1, 50, 0}, {3, "C", 1, -7, 0}},
         {{1, "Klein", {1}}, {2, "Gross", {2}}, {3, "Minus", {3}}, {4, "Leer", {}}});
  const ComputationSettings settings = Span(ContentKind::kYear, 1, 1);
  const LoadedCalculation calc = Calculation(b.season(), {"Revenue"});
  ValueListState state;
  BuildCompanyValueList(b.season(), settings, state);
  ASSERT_TRUE(ComputeCompanyValues(b.season(), settings, calc, state));
  std::vector<int32_t> order;
  for (const ValueRecord& r : state.companies) order.push_back(r.id);
  EXPECT_EQ(order, (std::vector<int32_t>{2, 1, 4, 3}));
}

TEST(ComputeCountryValuesTest, SumsOverTheCountrysParks) {
  const SeasonBuilder b = ThreeYears();
  const ComputationSettings settings = Span(ContentKind::kValue, 3, 5);
  const LoadedCalculation calc = Calculation(b.season(), {"Revenue/Parkanzahl", "Parkanzahl"});
  ValueListState state;
  state.countries.resize(2);
  state.countries[0].id = 1;
  state.countries[1].id = 2;
  std::vector<std::pair<int64_t, int64_t>> progress;
  WorkControl control;
  control.progress = [&](int64_t position, int64_t maximum) {
    progress.emplace_back(position, maximum);
  };
  ASSERT_TRUE(ComputeCountryValues(b.season(), settings, calc, state, control));
  ASSERT_EQ(progress.size(), 6u);
  EXPECT_EQ(progress.back(), std::make_pair(int64_t{5}, int64_t{6}));

  // Country 1: parks 1 and 3, then none, then park 1.
  // Country 2: park 2, then 2 and 4, then 2 and 4.
  ASSERT_EQ(state.countries[0].id, 2);
  EXPECT_EQ(state.countries[0].year_values, (Years{{200, 1}, {305, 2}, {330, 2}}));
  EXPECT_EQ(state.countries[0].result, (200 + 305 + 330) / 3);
  EXPECT_EQ(state.countries[1].year_values, (Years{{200, 2}, {}, {120, 1}}));
  // The empty middle year still counts in the divisor.
  EXPECT_EQ(state.countries[1].sum, (200 + 120) / 3);
  EXPECT_EQ(state.countries[1].result, (200 + 120) / 3);
}

TEST(ComputeControlTest, CancelLeavesTheFlagClearAndComputedListsStay) {
  const SeasonBuilder b = ThreeYears();
  const ComputationSettings settings = Span(ContentKind::kValue, 3, 5);
  const LoadedCalculation calc = Calculation(b.season(), {"Revenue"});
  ValueListState state;
  BuildParkValueList(b.season(), settings, state);
  std::atomic<bool> cancel{true};
  WorkControl control;
  control.cancel = &cancel;
  EXPECT_FALSE(ComputeParkValues(b.season(), settings, calc, state, control));
  EXPECT_FALSE(state.parks_computed);

  cancel = false;
  ASSERT_TRUE(ComputeParkValues(b.season(), settings, calc, state, control));
  // A computed list is not computed again, even with another calculation.
  const LoadedCalculation other = Calculation(b.season(), {"Visitors"});
  ASSERT_TRUE(ComputeParkValues(b.season(), settings, other, state, control));
  EXPECT_EQ(Find(state.parks, 2)->year_values[2], (std::vector<int64_t>{220}));
}

// 300 parks over four years, some missing in some years, and 150 companies
// of two parks each and one that is missing: several blocks of work per list.
SeasonBuilder ManyParks() {
  SeasonBuilder b;
  for (int32_t year = 1; year <= 4; ++year) {
    std::vector<ParkRow> parks;
    for (int32_t id = 1; id <= 300; ++id) {
      if ((id + year) % 7 != 0) parks.push_back({id, "P", 1, id * 37 % 1000 - 200, id * year});
    }
    std::vector<CompanyRow> companies;
    for (int32_t id = 1; id <= 150; ++id) companies.push_back({id, "F", {id, id + 150, 999}});
    b.Year(year, parks, companies);
  }
  return b;
}

using Snapshot = std::vector<std::tuple<int32_t, Years, int64_t, int64_t>>;

Snapshot Snap(const ValueList& list) {
  Snapshot snap;
  for (const ValueRecord& r : list) snap.emplace_back(r.id, r.year_values, r.sum, r.result);
  return snap;
}

// Parks and companies spread over threads get exactly the lists of one
// thread; progress comes from the calling thread only and never goes back;
// a cancel on the way is reported and the list is computed again in full.
TEST(ComputeControlTest, ThreadsGiveTheListsOfOneThread) {
  const SeasonBuilder b = ManyParks();
  const ComputationSettings settings = Span(ContentKind::kValue, 1, 4, true);
  const LoadedCalculation calc = Calculation(b.season(), {"Revenue*Visitors/7", "-Revenue"});
  const auto compute = [&](ValueListState& state, const WorkControl& control) {
    return std::pair{ComputeParkValues(b.season(), settings, calc, state, control),
                     ComputeCompanyValues(b.season(), settings, calc, state, control)};
  };
  ValueListState one;
  BuildParkValueList(b.season(), settings, one);
  BuildCompanyValueList(b.season(), settings, one);
  ValueListState reset = one;
  WorkControl single;
  single.threads = 1;
  ASSERT_EQ(compute(one, single), std::pair(true, true));

  const std::thread::id caller = std::this_thread::get_id();
  for (unsigned threads : {2u, 3u}) {
    SCOPED_TRACE(threads);
    ValueListState state = reset;
    std::atomic<bool> cancel{false};
    std::vector<std::pair<int64_t, int64_t>> progress;
    bool other_thread = false;
    WorkControl control;
    control.threads = threads;
    control.cancel = &cancel;
    control.progress = [&](int64_t position, int64_t maximum) {
      other_thread = other_thread || std::this_thread::get_id() != caller;
      progress.emplace_back(position, maximum);
    };
    ASSERT_EQ(compute(state, control), std::pair(true, true));
    EXPECT_EQ(Snap(state.parks), Snap(one.parks));
    EXPECT_EQ(Snap(state.companies), Snap(one.companies));
    EXPECT_FALSE(other_thread);
    for (size_t i = 1; i < progress.size(); ++i) {
      // The parks' maximum (300) and the companies' (600) tell the lists apart.
      if (progress[i].second == progress[i - 1].second) {
        EXPECT_LE(progress[i - 1].first, progress[i].first);
      }
    }

    // Cancelled at the first report: whatever the threads finished by then,
    // a list counts as computed only when complete.
    state = reset;
    control.progress = [&](int64_t, int64_t) { cancel = true; };
    const auto [parks, companies] = compute(state, control);
    EXPECT_EQ(state.parks_computed, parks);
    EXPECT_EQ(state.companies_computed, companies);
    if (parks) {
      EXPECT_EQ(Snap(state.parks), Snap(one.parks));
    }
    cancel = false;
    control.progress = nullptr;
    ASSERT_EQ(compute(state, control), std::pair(true, true));
    EXPECT_EQ(Snap(state.parks), Snap(one.parks));
    EXPECT_EQ(Snap(state.companies), Snap(one.companies));
  }
}

// The "Durchschnitt" of content kind "Wert" is one rule for every source
// kind: first values of the years with data, over the years from the first
// to the last of them. Company 7: 100, 200, 600 over three years.
TEST(AverageTest, SameRuleForParksCompaniesAndCountries) {
  SeasonBuilder b;
  b.Year(1, {{1, "A", 1, 100, 0}, {2, "B", 2, 50, 0}}, {{7, "Sieben", {1}}, {8, "Acht", {2}}})
      .Year(2, {{1, "A", 1, 200, 0}, {2, "B", 2, 70, 0}}, {{7, "Sieben", {1}}, {8, "Acht", {}}})
      .Year(3, {{1, "A", 1, 600, 0}}, {{7, "Sieben", {1}}, {8, "Acht", {}, false}});
  const ComputationSettings settings = Span(ContentKind::kValue, 1, 3, true);
  const LoadedCalculation calc = Calculation(b.season(), {"Revenue", "Parkanzahl"});
  ValueListState state;
  BuildParkValueList(b.season(), settings, state);
  BuildCompanyValueList(b.season(), settings, state);
  state.countries.resize(2);
  state.countries[0].id = 1;
  state.countries[1].id = 2;
  ASSERT_TRUE(ComputeParkValues(b.season(), settings, calc, state));
  ASSERT_TRUE(ComputeCompanyValues(b.season(), settings, calc, state));
  ASSERT_TRUE(ComputeCountryValues(b.season(), settings, calc, state));
  const struct {
    const char* what;
    const ValueList& list;
    int32_t id;
    int64_t average;
  } cases[] = {
      {"park in every year", state.parks, 1, (100 + 200 + 600) / 3},
      {"park missing in the end year", state.parks, 2, (50 + 70) / 2},
      {"company in every year", state.companies, 7, 300},
      // Year 2 has an empty list (a company without parks has no revenue),
      // year 3 no list at all: the average runs over years 1 and 2.
      {"company without data in the end year", state.companies, 8, (50 + 0) / 2},
      {"country in every year", state.countries, 1, 300},
      {"country missing in the end year", state.countries, 2, (50 + 70) / 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ValueRecord* record = Find(c.list, c.id);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->sum, c.average);
    if (&c.list != &state.parks) {
      EXPECT_EQ(record->result, c.average);
    }
  }
}

// Countries own the parks of their number, whatever their place in the list.
TEST(ComputeCountryValuesTest, MatchesParksByCountryNumber) {
  SeasonBuilder b;
  b.Year(1, {{1, "A", 1, 10, 0}, {2, "B", 2, 20, 0}, {3, "C", 3, 30, 0}, {4, "D", 3, 5, 0}});
  const ComputationSettings settings = Span(ContentKind::kYear, 1, 1);
  const LoadedCalculation calc = Calculation(b.season(), {"Revenue"});
  ValueListState state;
  for (int32_t id : {3, 1, 2}) state.countries.emplace_back().id = id;
  ASSERT_TRUE(ComputeCountryValues(b.season(), settings, calc, state));
  for (auto [id, total] : {std::pair{3, 35}, {1, 10}, {2, 20}}) {
    SCOPED_TRACE(id);
    const ValueRecord* country = Find(state.countries, id);
    ASSERT_NE(country, nullptr);
    EXPECT_EQ(country->result, total);
  }
}

// A negative field value pasted anywhere reads as the number it is.
TEST(FormulaAssemblyTest, NegativeValuesInEveryPosition) {
  SeasonBuilder b;
  b.Year(1, {{1, "A", 1, -5, 3}});
  const struct {
    const char* formula;
    int64_t value;
  } cases[] = {
      {"Revenue", -5},
      {"-Revenue", 5},
      {"10-Revenue", 15},
      {"Revenue*2", -10},
      {"2*(-Revenue)", 10},
      {"-Revenue+Visitors", 8},
      {"Visitors*(Revenue+1)", -12},
      {"(-Revenue)*2", 10},
      {"8~Revenue", -5},
      {"Visitors^2-Revenue", 14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    const ComputationSettings settings = Span(ContentKind::kYear, 1, 1);
    const LoadedCalculation calc = Calculation(b.season(), {c.formula});
    ValueListState state;
    BuildParkValueList(b.season(), settings, state);
    ASSERT_TRUE(ComputeParkValues(b.season(), settings, calc, state));
    EXPECT_EQ(state.parks[0].year_values[0], std::vector<int64_t>{c.value});
  }
}

TEST(ValuesPastTokenLimitTest, NamesTheValuesTheEngineCuts) {
  SeasonBuilder b;
  std::string fits = "Revenue";
  for (int i = 0; i < 74; ++i) fits += "+1";  // 149 tokens
  const LoadedCalculation calc =
      Calculation(b.season(), {"Revenue", fits + "+1", fits, "-" + fits, fits + "*2"});
  EXPECT_EQ(ValuesPastTokenLimit(calc), (std::vector<size_t>{1, 4}));
}

}  // namespace
}  // namespace wunt
