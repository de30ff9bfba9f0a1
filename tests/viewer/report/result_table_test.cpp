#include "viewer/report/result_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wunt {
namespace {

using YearValues = std::vector<std::vector<int64_t>>;

ValueRecord Record(int32_t id, std::string name, YearValues years, int64_t sum = 0,
                   int64_t result = 0) {
  ValueRecord record;
  record.id = id;
  record.name = std::move(name);
  record.first_year = 2001;
  record.last_year = 2003;
  record.year_values = std::move(years);
  record.sum = sum;
  record.result = result;
  return record;
}

std::vector<SelectionEntry> Chosen(std::initializer_list<int32_t> ids) {
  std::vector<SelectionEntry> chosen;
  for (int32_t id : ids) chosen.push_back({id, "label", kNoFilter});
  return chosen;
}

std::vector<int32_t> Ids(const ResultTable& table) {
  std::vector<int32_t> ids;
  for (const ResultRow& row : table.rows) ids.push_back(row.id);
  return ids;
}

TableView ValueView(bool merge = true) {
  return {.content_kind = ContentKind::kValue,
          .source_kind = SourceKind::kParks,
          .start_year = 2001,
          .end_year = 2003,
          .merge = merge};
}

// Three years 2001..2003; value 0 and a missing year both count as 0.
ValueList Parks() {
  return {
      Record(1, "beta", {{5}, {}, {7}}, 6),     Record(2, "Alpha", {{0}, {3}, {-4}}, -1),
      Record(3, "\xc4pfel", {{}, {3}, {9}}, 6), Record(4, "", {{-2}, {3}, {}}, 0),
      Record(5, "Zeta", {{5}, {1}, {9}}, 5),
  };
}

TEST(ResultTable, BuildCopiesRecordsInChosenOrderAndSkipsUnknownIds) {
  const ValueList parks = Parks();
  ResultTable table;
  table.sort_index = 0;  // by the first year, descending
  BuildResultTable(Chosen({3, 99, 1, 5}), parks, ValueView(), table);
  // 1 and 5 tie at 5 and keep the chosen order; 3 has no 2001 value.
  EXPECT_EQ(Ids(table), (std::vector<int32_t>{1, 5, 3}));
  const ResultRow& row = table.rows[0];
  EXPECT_EQ(row.name, "beta");
  EXPECT_EQ(row.total, 6);
  EXPECT_EQ(row.year_values, &parks[0].year_values);
  EXPECT_EQ(row.first_year, 2001);
}

TEST(ResultTable, CountriesTakeTheSpanYears) {
  ValueList countries = {Record(1, "Land", {{1}, {2}, {3}})};
  countries[0].first_year = 0;
  countries[0].last_year = 0;
  TableView view = ValueView();
  view.source_kind = SourceKind::kCountries;
  ResultTable table;
  BuildResultTable(Chosen({1}), countries, view, table);
  ASSERT_EQ(table.rows.size(), 1u);
  EXPECT_EQ(table.rows[0].first_year, 2001);
  EXPECT_EQ(table.rows[0].last_year, 2003);
}

TEST(ResultTable, SortOrders) {
  struct Case {
    const char* what;
    ContentKind content_kind;
    int32_t index;
    std::vector<int32_t> expected;
  };
  const Case cases[] = {
      // Unsigned bytes: empty first, capitals before small letters, 0xC4 last.
      {"by name", ContentKind::kValue, kSortByName, {4, 2, 5, 1, 3}},
      {"by total, ties stable", ContentKind::kValue, kSortByTotal, {1, 3, 5, 4, 2}},
      {"first year: missing and 0 tie with each other, negatives after",
       ContentKind::kValue,
       0,
       {1, 5, 2, 3, 4}},
      {"last year", ContentKind::kValue, 2, {3, 5, 1, 4, 2}},
      {"column beyond the span keeps the order", ContentKind::kValue, 7, {1, 2, 3, 4, 5}},
      {"jahr: value n of slot 0", ContentKind::kYear, 0, {1, 5, 2, 3, 4}},
      {"jahr: value beyond the calculation keeps the order",
       ContentKind::kYear,
       3,
       {1, 2, 3, 4, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ValueList parks = Parks();
    TableView view = ValueView();
    view.content_kind = c.content_kind;
    ResultTable table;
    table.sort_index = 100;  // something no case asks for
    BuildResultTable(Chosen({1, 2, 3, 4, 5}), parks, view, table);
    EXPECT_EQ(SortResultTable(c.index, view, table), 1);
    EXPECT_EQ(table.sort_index, c.index);
    EXPECT_EQ(Ids(table), c.expected);
  }
}

TEST(ResultTable, ByTotalWithoutMergeSortsByNameAndStoresIt) {
  const ValueList parks = Parks();
  ResultTable table;
  table.sort_index = 0;
  const TableView view = ValueView(/*merge=*/false);
  BuildResultTable(Chosen({1, 2, 3, 4, 5}), parks, view, table);
  EXPECT_EQ(SortResultTable(kSortByTotal, view, table), 1);
  EXPECT_EQ(table.sort_index, kSortByName);
  EXPECT_EQ(Ids(table), (std::vector<int32_t>{4, 2, 5, 1, 3}));
  // Asking for it again is now asking for the stored index.
  EXPECT_EQ(SortResultTable(kSortByTotal, view, table), 0);
}

TEST(ResultTable, RebuildAlwaysResortsByTheStoredIndex) {
  ValueList parks = Parks();
  ResultTable table;
  const TableView view = ValueView();
  BuildResultTable(Chosen({2, 5}), parks, view, table);
  EXPECT_EQ(Ids(table), (std::vector<int32_t>{5, 2}));  // by total, the start value
  EXPECT_EQ(SortResultTable(kSortByTotal, view, table), 0);
  parks[1].sum = 100;  // values changed behind the table, e.g. recomputed
  BuildResultTable(Chosen({2, 5}), parks, view, table);
  EXPECT_EQ(Ids(table), (std::vector<int32_t>{2, 5}));
  EXPECT_EQ(table.sort_index, kSortByTotal);
}

TEST(ResultTable, SingleEntityTablesAreNeverSorted) {
  const ValueList parks = Parks();
  TableView view = ValueView();
  view.content_kind = ContentKind::kPark;
  ResultTable table;
  table.sort_index = 1;
  BuildResultTable(Chosen({5, 1}), parks, view, table);
  EXPECT_EQ(Ids(table), (std::vector<int32_t>{5, 1}));
  EXPECT_EQ(SortResultTable(kSortByName, view, table), 0);
  EXPECT_EQ(table.sort_index, 1);
  EXPECT_EQ(Ids(table), (std::vector<int32_t>{5, 1}));
}

TEST(ResultTable, EmptyTableSortsWithoutRows) {
  ResultTable table;
  BuildResultTable({}, Parks(), ValueView(), table);
  EXPECT_TRUE(table.rows.empty());
  EXPECT_EQ(SortResultTable(1, ValueView(), table), 1);
  EXPECT_EQ(table.sort_index, 1);
}

TEST(ResultRow, ValueOutsideTheTableIsNoValue) {
  const YearValues years = {{4, 5}, {}};
  ResultRow row;
  row.year_values = &years;
  EXPECT_EQ(row.Value(0, 1), 5);
  for (auto [slot, index] : {std::pair{0, 2}, {0, -1}, {1, 0}, {2, 0}, {-1, 0}}) {
    EXPECT_EQ(row.Value(slot, index), 0) << slot << "," << index;
  }
  EXPECT_EQ(ResultRow{}.Value(0, 0), 0);
}

}  // namespace
}  // namespace wunt
