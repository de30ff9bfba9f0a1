// The whole road on our own demo season: its stored calculation, loaded
// through the real loaders, computed, and checked against the same sums taken
// straight from the records.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/demo/demo_season.h"
#include "common/message_sink.h"
#include "common/season_layout.h"
#include "tests/support/scratch_folder.h"
#include "viewer/calc/calculations.h"
#include "viewer/calc/formula.h"
#include "viewer/calc/value_computation.h"
#include "viewer/data/datafields.h"
#include "viewer/data/game_years.h"
#include "viewer/data/translation.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

int FieldNumberOf(const DataFieldList& fields, const std::string& name) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

// What the formula "Umsatz-Ausgaben" gives for the two (summed) field values.
int64_t Profit(int64_t revenue, int64_t costs) {
  const float difference = static_cast<float>(revenue) - static_cast<float>(costs);
  return FormulaResultToInteger(static_cast<double>(difference));
}

TEST(DemoSeasonComputeTest, ProfitOfParksAndCompanies) {
  const test::ScratchFolder scratch;
  const fs::path data = scratch / "Data";
  const DemoSeasonOptions options = test::SmallSeason(40, 8, 4);
  ASSERT_NO_FATAL_FAILURE(test::WriteDemoData(data, options));
  const fs::path folder = SeasonFolder(data, options.season);

  RecordingMessageSink sink;
  DataFieldList park_fields, company_fields;
  ASSERT_GT(LoadDatafields(folder, EntityKind::kPark, park_fields, sink), 0);
  ASSERT_GT(LoadDatafields(folder, EntityKind::kCompany, company_fields, sink), 0);
  ValueListState state;
  ComputationSettings settings;
  settings.start_year = options.first_year;
  settings.end_year = options.first_year + options.years - 1;
  const int countries = LoadCountries(folder, settings.year_count(), state.countries);
  SeasonData season;
  ASSERT_TRUE(LoadSeasonYears(folder, options.season, park_fields, company_fields,
                              static_cast<size_t>(countries), season, sink));

  CalculationList list;
  LoadCalculationList(folder, ContentKind::kValue, list);
  int32_t number = kClosingEntryNumber;
  for (const auto& entry : list.entries) {
    if (entry.name == "Gewinn") number = entry.number;
  }
  LoadedCalculation calc;
  ASSERT_EQ(LoadCalculation(folder, number, park_fields, calc), 1);
  EXPECT_FALSE(calc.merge);
  EXPECT_EQ(calc.values[0].display_format, "-1000");
  EXPECT_EQ(calc.values[0].unit, " TEUR");

  const int revenue = FieldNumberOf(park_fields, "Umsatz");
  const int costs = FieldNumberOf(park_fields, "Ausgaben");
  ASSERT_GE(revenue, 0);
  ASSERT_GE(costs, 0);
  ASSERT_GT(BuildParkValueList(season, settings, state), 0u);
  ASSERT_GT(BuildCompanyValueList(season, settings, state), 0u);
  ASSERT_TRUE(ComputeParkValues(season, settings, calc, state));
  ASSERT_TRUE(ComputeCompanyValues(season, settings, calc, state));

  const GameYear* end_year = season.FindYear(settings.end_year);
  ASSERT_NE(end_year, nullptr);
  for (const ValueRecord& park : state.parks) {
    const size_t r = end_year->parks.FindById(park.id);
    ASSERT_NE(r, EntityTable::kNoRecord);
    ASSERT_EQ(park.year_values.back().size(), 1u);
    EXPECT_EQ(park.year_values.back()[0],
              Profit(end_year->parks.Number(r, revenue), end_year->parks.Number(r, costs)))
        << park.name;
  }
  for (const ValueRecord& company : state.companies) {
    const size_t r = end_year->companies.FindById(company.id);
    ASSERT_NE(r, EntityTable::kNoRecord);
    int64_t revenue_sum = 0, costs_sum = 0;
    const auto park_ids = end_year->companies.IdList(r, kCompanyFieldParks);
    if (!park_ids) {
      EXPECT_TRUE(company.year_values.back().empty()) << company.name;
      continue;
    }
    for (int32_t id : *park_ids) {
      const size_t p = end_year->parks.FindById(id);
      if (p == EntityTable::kNoRecord) continue;
      revenue_sum += end_year->parks.Number(p, revenue);
      costs_sum += end_year->parks.Number(p, costs);
    }
    // Without merging a company ranks by its end-year value.
    EXPECT_EQ(company.result, Profit(revenue_sum, costs_sum)) << company.name;
  }
  EXPECT_TRUE(sink.messages.empty());
  fs::remove_all(data);
}

}  // namespace
}  // namespace wunt
