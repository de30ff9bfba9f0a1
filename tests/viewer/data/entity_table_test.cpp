#include "viewer/data/entity_table.h"

#include <gtest/gtest.h>

#include <string>

#include "viewer/data/game_years.h"

namespace wunt {
namespace {

SharedSchema Schema(std::initializer_list<DataField> fields) { return MakeSchema(fields); }

// A schema with one field of every type: 0 number, 1 String, 2 IDList,
// 3 Time, 4 StringList.
SharedSchema EveryType() {
  return Schema({{"Zahl", kFieldNumber},
                 {"Text", kFieldString},
                 {"Liste", kFieldIdList},
                 {"Zeit", kFieldTime},
                 {"Auswahl", kFieldStringList}});
}

TEST(StoreFieldValue, NumberRulesOfEachType) {
  const struct {
    int field;
    const char* value;
    int64_t number;
    const char* text;
  } cases[] = {
      {0, "1.234.567", 1234567, "1234567"},
      {0, "12,5", 125, "125"},
      {0, "12:30", 1230, "1230"},
      {0, "-1.5", -15, "-15"},
      {0, "-5", -5, "-5"},
      {0, "  42 Besucher", 42, "42"},
      {0, "$1F", 31, "31"},
      {0, "%101", 5, "5"},
      {0, "abc", 0, "0"},
      {0, "", 0, "0"},
      {1, "12 Besucher", 12, "12 Besucher"},
      {1, "M\xe4rchenwald", 0, "M\xe4rchenwald"},
      {2, "3", 3, "3"},
      {3, "12:30", 12, "12"},
      {3, "90", 90, "90"},
      {4, "1.234", 1, "1"},
      {4, "7 Sterne", 7, "7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.field) + " <- " + c.value);
    EntityTable table(EveryType());
    size_t r = table.AddRecord();
    RecordingMessageSink sink;
    EXPECT_EQ(StoreFieldValue(table, r, c.field, c.value, sink), c.field);
    EXPECT_EQ(FieldText(table, r, c.field, sink), c.text);
    EXPECT_EQ(FieldNumber(table, r, c.field, sink), c.number);
    EXPECT_TRUE(sink.messages.empty());
  }
}

TEST(StoreFieldValue, UnsetFieldsReadAsZeroOrEmpty) {
  EntityTable table(EveryType());
  size_t r = table.AddRecord();
  SilentMessageSink sink;
  for (int f = 0; f < 5; ++f) {
    EXPECT_EQ(FieldNumber(table, r, f, sink), 0) << f;
    EXPECT_EQ(FieldText(table, r, f, sink), f == 1 ? "" : "0") << f;
  }
  EXPECT_FALSE(table.IdList(r, 2));
}

TEST(StoreFieldValue, LaterLineReplacesText) {
  EntityTable table(EveryType());
  size_t a = table.AddRecord();
  size_t b = table.AddRecord();
  SilentMessageSink sink;
  StoreFieldValue(table, a, 1, "alt", sink);
  StoreFieldValue(table, b, 1, "andere", sink);
  StoreFieldValue(table, a, 1, "neu", sink);
  EXPECT_EQ(table.Text(a, 1), "neu");
  EXPECT_EQ(table.Text(b, 1), "andere");
}

TEST(StoreFieldValue, UndeclaredFieldNumbersAreReportedAndNothingIsStored) {
  for (int64_t field : {int64_t{5}, int64_t{7}, int64_t{-1}, int64_t{1} << 40}) {
    SCOPED_TRACE(field);
    EntityTable table(EveryType());
    size_t r = table.AddRecord();
    RecordingMessageSink sink;
    EXPECT_EQ(StoreFieldValue(table, r, field, "9", sink), -1);
    EXPECT_EQ(FieldText(table, r, field, sink), "");
    EXPECT_EQ(FieldNumber(table, r, field, sink), 0);
    ASSERT_EQ(sink.messages.size(), 3u);
    for (const auto& [title, text] : sink.messages) {
      EXPECT_EQ(title, "Variable Error");
      EXPECT_EQ(text, "Variable unbekannt!");
    }
    for (int f = 0; f < 5; ++f) EXPECT_EQ(table.Slot(r, f), 0);
  }
}

TEST(EntityTable, IdListReadsAsItsCountNeverAsAnAddress) {
  EntityTable table(EveryType());
  size_t r = table.AddRecord();
  SilentMessageSink sink;
  StoreFieldValue(table, r, 2, "3", sink);
  EXPECT_FALSE(table.IdList(r, 2));  // count only, no list yet
  const int32_t ids[] = {7, 8, 9};
  table.SetIdList(r, 2, ids);
  ASSERT_TRUE(table.IdList(r, 2));
  EXPECT_EQ(std::vector<int32_t>(table.IdList(r, 2)->begin(), table.IdList(r, 2)->end()),
            std::vector<int32_t>({7, 8, 9}));
  EXPECT_EQ(FieldText(table, r, 2, sink), "3");
  EXPECT_FALSE(table.IdList(r, 0));  // not an IDList field
}

TEST(EntityTable, FindByIdWithDenseAndSparseIds) {
  const struct {
    const char* what;
    std::vector<int32_t> ids;
  } cases[] = {
      {"dense", {10003, 10001, 10002, 10001}},
      {"sparse", {5, -2000000000, 2000000000, 5}},
      {"single", {42}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EntityTable table(EveryType());
    SilentMessageSink sink;
    for (int32_t id : c.ids) StoreFieldValue(table, table.AddRecord(), 0, std::to_string(id), sink);
    table.BuildIdIndex();
    for (size_t r = 0; r < c.ids.size(); ++r) {
      // Duplicate IDs: the first record wins, as a scan would find it.
      size_t first = 0;
      while (c.ids[first] != c.ids[r]) ++first;
      EXPECT_EQ(table.FindById(c.ids[r]), first);
    }
    EXPECT_EQ(table.FindById(1), EntityTable::kNoRecord);
    EXPECT_EQ(table.FindById(INT32_MIN), EntityTable::kNoRecord);
  }
  EXPECT_EQ(EntityTable().FindById(0), EntityTable::kNoRecord);
}

TEST(BuildCountryParkLists, GroupsByPositionInParkOrder) {
  EntityTable parks(Schema({{"ID", 0}, {"Name", kFieldString}, {"Land", 0}}));
  SilentMessageSink sink;
  const std::pair<int, const char*> rows[] = {{1, "3"}, {2, "1"},  {3, "0"}, {4, "3"},
                                              {5, "4"}, {6, "-1"}, {7, "1x"}};
  for (auto [id, country] : rows) {
    size_t r = parks.AddRecord();
    StoreFieldValue(parks, r, 0, std::to_string(id), sink);
    StoreFieldValue(parks, r, 2, country, sink);
  }
  std::vector<std::vector<int32_t>> lists = BuildCountryParkLists(parks, 3);
  ASSERT_EQ(lists.size(), 3u);
  EXPECT_EQ(lists[0], std::vector<int32_t>({2, 7}));
  EXPECT_TRUE(lists[1].empty());
  EXPECT_EQ(lists[2], std::vector<int32_t>({1, 4}));
  EXPECT_TRUE(BuildCountryParkLists(parks, 0).empty());
}

}  // namespace
}  // namespace wunt
