#include "viewer/data/game_years.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "tests/support/scratch_folder.h"
#include "viewer/data/attraction_catalogue.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

DataFieldList ParkFields() {
  return {{"ID", kFieldNumber},
          {"Name", kFieldString},
          {"Land", kFieldNumber},
          {"Besucher", kFieldNumber},
          {"Attraktionen", kFieldIdList}};
}

DataFieldList CompanyFields() {
  return {{"ID", kFieldNumber},
          {"Name", kFieldString},
          {"Kapital", kFieldNumber},
          {"Parks", kFieldIdList}};
}

std::vector<int32_t> Ids(const EntityTable& table, size_t record, int field) {
  auto list = table.IdList(record, field);
  return list ? std::vector<int32_t>(list->begin(), list->end()) : std::vector<int32_t>{-1};
}

TEST(LoadEntityBytes, GroupsBecomeRecordsAndDetailGroupsAreNot) {
  RecordingMessageSink sink;
  EntityTable parks = LoadEntityBytes(
      "0 = 99\r\n"  // before any group: not an entity
      "[A]\r\n0 = 10\r\n1 = Sonnental\r\n; comment\r\n3 = 1.500\r\n"
      "[leer]\r\n"
      "[5_Attractionlist]\r\n0 = 77\r\n1_X = 50\r\n"
      "[B]\r\n3 = 7\r\n0 = 11\r\n",
      MakeSchema(ParkFields()), sink);
  EXPECT_TRUE(sink.messages.empty());
  ASSERT_EQ(parks.size(), 3u);
  EXPECT_EQ(parks.Id(0), 10);
  EXPECT_EQ(parks.Text(0, 1), "Sonnental");
  EXPECT_EQ(parks.Number(0, 3), 1500);
  for (int f = 0; f < 5; ++f) EXPECT_EQ(parks.Slot(1, f), 0);  // group without lines
  EXPECT_EQ(parks.Id(2), 11);
  EXPECT_EQ(parks.Number(2, 3), 7);
  EXPECT_EQ(parks.FindById(11), 2u);
}

// Groups no record comes from are passed over group line to group line: a
// "[" starts a group only as the first thing on its line.
TEST(LoadEntityBytes, GroupLinesAmongSkippedLines) {
  const struct {
    const char* what;
    const char* file;
    std::vector<int32_t> ids;
  } cases[] = {
      {"bracket inside a value", "[5_x]\n1 = a [B]\n[A]\n0 = 1\n", {1}},
      {"bracket inside a comment", "[5_x]\r\n;[B]\r\n[A]\r\n0 = 2\r\n", {2}},
      {"group after blanks", "[5_x]\n1 = 3\n \t[A]\n0 = 3\n", {3}},
      {"before the first group", "0 = 9 [B]\n[A]\n0 = 4", {4}},
      {"groups one after another", "[A]\n0 = 5\n[5_x]\n[B]\n0 = 6\n", {5, 6}},
      {"only a bracket in a value", "[5_x]\nvalue=[B]\n", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SilentMessageSink sink;
    EntityTable parks = LoadEntityBytes(c.file, MakeSchema(ParkFields()), sink);
    std::vector<int32_t> ids;
    for (size_t r = 0; r < parks.size(); ++r) ids.push_back(parks.Id(r));
    EXPECT_EQ(ids, c.ids);
  }
}

TEST(LoadEntityBytes, UndeclaredFieldIsReportedOncePerLine) {
  RecordingMessageSink sink;
  EntityTable parks = LoadEntityBytes("[A]\r\n0 = 1\r\n9 = 5\r\n-1 = 5\r\n3 = 2\r\n9 = 6\r\n",
                                      MakeSchema(ParkFields()), sink);
  EXPECT_EQ(sink.messages.size(), 3u);
  EXPECT_EQ(parks.Number(0, 3), 2);
}

TEST(LoadEntityBytes, DamagedFileRaisesABoundedNumberOfMessages) {
  std::string file = "[A]\n0 = 1\n";
  for (int i = 0; i < 500; ++i) file += "77 = x\n";
  file += "3 = 5\n";
  RecordingMessageSink sink;
  EntityTable parks = LoadEntityBytes(file, MakeSchema(ParkFields()), sink);
  EXPECT_EQ(sink.messages.size(), kMaxMessagesPerFile);
  EXPECT_EQ(parks.Number(0, 3), 5);  // the good lines still count
}

TEST(LoadEntityBytes, IdListsFromDetailGroups) {
  const struct {
    const char* what;
    std::string file;
    std::vector<int32_t> ids;  // {-1}: no list
    int64_t text;              // FieldText read as a number: the main group's count
    size_t messages;
  } cases[] = {
      {"complete", "[C]\n0 = 5\n3 = 2\n[5_Parks]\na = 10\nb = 11\n", {10, 11}, 2, 0},
      {"detail group missing", "[C]\n0 = 5\n3 = 2\n", {-1}, 2, 0},
      {"name in other case", "[C]\n0 = 5\n3 = 1\n[5_PARKS]\nx = 4\n", {4}, 1, 0},
      {"longer than its count", "[C]\n0 = 5\n3 = 1\n[5_Parks]\n1 = 4\n2 = 6\n", {4}, 1, 0},
      {"shorter than its count", "[C]\n0 = 5\n3 = 4\n[5_Parks]\n1 = 4\n2 = 6\n", {4, 6}, 4, 1},
      {"huge count, empty group", "[C]\n0 = 5\n3 = 2000000000\n[5_Parks]\n", {}, 2000000000, 1},
      {"zero count is a list", "[C]\n0 = 5\n3 = 0\n[5_Parks]\n", {}, 0, 0},
      {"negative count", "[C]\n0 = 5\n3 = -3\n[5_Parks]\n1 = 4\n", {}, -3, 0},
      {"ids by leading number",
       "[C]\n0 = 5\n3 = 2\n[5_Parks]\n1 = $10\n2 = 7 Parks\n",
       {16, 7},
       2,
       0},
      {"count given twice", "[C]\n0 = 5\n3 = 1\n3 = 2\n[5_Parks]\n1 = 8\n2 = 9\n", {8, 9}, 2, 0},
      {"comments skipped", "[C]\n0 = 5\n3 = 2\n[5_Parks]\n;x\n1 = 8\n;y\n2 = 9\n", {8, 9}, 2, 0},
      {"stops at next group", "[C]\n0 = 5\n3 = 3\n[5_Parks]\n1 = 8\n[D]\n0 = 6\n", {8}, 3, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingMessageSink sink;
    EntityTable companies = LoadEntityBytes(c.file, MakeSchema(CompanyFields()), sink);
    ASSERT_GE(companies.size(), 1u);
    EXPECT_EQ(Ids(companies, 0, 3), c.ids);
    EXPECT_EQ(FieldNumber(companies, 0, 3, sink), c.text);
    ASSERT_EQ(sink.messages.size(), c.messages);
    for (const auto& [title, text] : sink.messages) {
      EXPECT_EQ(title, "Dateifehler");
      EXPECT_EQ(text, "Fehler beim laden einer IDListe");
    }
  }
}

TEST(LoadEntityBytes, Utf8FilesGiveWindows1252Texts) {
  SilentMessageSink sink;
  EntityTable parks = LoadEntityBytes("\xEF\xBB\xBF[A]\n0 = 1\n1 = M\xC3\xA4rchenwald\n",
                                      MakeSchema(ParkFields()), sink);
  ASSERT_EQ(parks.size(), 1u);
  EXPECT_EQ(parks.Text(0, 1), "M\xe4rchenwald");
}

TEST(LoadEntityFile, MissingFileGivesNoRecordsAndNoMessage) {
  RecordingMessageSink sink;
  EntityTable table = LoadEntityFile("/nonexistent/Park.ini", MakeSchema(ParkFields()), sink);
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(table.field_count(), 5);
  EXPECT_TRUE(sink.messages.empty());
}

TEST(ProgressYearLabels, FiveYearsAroundTheCurrentOne) {
  const std::vector<int32_t> years = {2001, 2002, 2003, 2004};
  using L = std::array<std::string, 5>;
  EXPECT_EQ(ProgressYearLabels(years, 0), (L{"", "", "2001", "2002", "2003"}));
  EXPECT_EQ(ProgressYearLabels(years, 1), (L{"", "2001", "2002", "2003", "2004"}));
  EXPECT_EQ(ProgressYearLabels(years, 3), (L{"2002", "2003", "2004", "", ""}));
  EXPECT_EQ(ProgressYearLabels({1990}, 0), (L{"", "", "1990", "", ""}));
}

// A small season written by hand: two years far apart, an undeclared field
// in both, a company whose list names a park of another year.
void WriteSmallSeason(const fs::path& season) {
  WriteText(season / "2001" / "Park.ini",
            "[a]\n0 = 1\n1 = Eins\n2 = 2\n3 = 100\n[b]\n0 = 2\n2 = 1\n9 = x\n");
  WriteText(season / "2001" / "Company.ini", "[c]\n0 = 50\n3 = 2\n[50_Parks]\n1 = 2\n2 = 1\n");
  WriteText(season / "2005" / "Park.ini", "[a]\n0 = 3\n2 = 2\n8 = y\n");
  WriteText(season / "2005" / "Company.ini", "[c]\n0 = 50\n3 = 3\n[50_Parks]\n1 = 3\n");
  fs::create_directories(season / "Images");
}

TEST(LoadSeasonYears, LoadsEveryYearWithProgressAndMessagesInOrder) {
  test::ScratchFolder dir;
  WriteSmallSeason(dir.path());
  for (unsigned threads : {1u, 2u, 8u}) {
    SCOPED_TRACE(threads);
    SeasonData data;
    RecordingMessageSink sink;
    std::vector<YearProgress> steps;
    LoadSeasonOptions options;
    options.threads = threads;
    options.progress = [&](const YearProgress& p) { steps.push_back(p); };
    ASSERT_TRUE(
        LoadSeasonYears(dir.path(), 7, ParkFields(), CompanyFields(), 2, data, sink, options));
    EXPECT_EQ(data.season, 7);
    EXPECT_EQ(data.lowest_year, 2001);
    EXPECT_EQ(data.highest_year, 2005);
    ASSERT_EQ(data.years.size(), 2u);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].year, 2001);
    EXPECT_EQ(steps[0].maximum, 5);  // the calendar span, not the number of years
    EXPECT_EQ(steps[1].step, 2u);
    EXPECT_EQ(steps[1].labels[2], "2005");
    // One message per undeclared line, 2001 before 2005, company short list.
    ASSERT_EQ(sink.messages.size(), 3u);
    EXPECT_EQ(sink.messages[0].first, "Variable Error");
    EXPECT_EQ(sink.messages[1].first, "Variable Error");
    EXPECT_EQ(sink.messages[2].first, "Dateifehler");

    const GameYear* y2001 = data.FindYear(2001);
    ASSERT_NE(y2001, nullptr);
    EXPECT_EQ(y2001->parks.size(), 2u);
    EXPECT_EQ(y2001->country_parks, (std::vector<std::vector<int32_t>>{{2}, {1}}));
    EXPECT_EQ(Ids(y2001->companies, 0, kCompanyFieldParks), std::vector<int32_t>({2, 1}));
    EXPECT_EQ(y2001->parks.FindById(2), 1u);
    EXPECT_EQ(data.FindYear(2003), nullptr);
    EXPECT_EQ(&data.FindYear(2005)->parks.schema(), data.park_fields.get());
  }
}

TEST(LoadSeasonYears, SeasonWithoutYearsLeavesEverythingAsItWas) {
  test::ScratchFolder dir;
  WriteSmallSeason(dir.path() / "7");
  fs::create_directories(dir.path() / "8" / "notes");
  SeasonData data;
  SilentMessageSink sink;
  ASSERT_TRUE(LoadSeasonYears(dir.path() / "7", 7, ParkFields(), CompanyFields(), 2, data, sink));
  const DataFieldList* schema = data.park_fields.get();
  DataFieldList other = {{"Anders", kFieldString}};
  EXPECT_FALSE(LoadSeasonYears(dir.path() / "8", 8, other, other, 5, data, sink));
  EXPECT_EQ(data.season, 7);
  EXPECT_EQ(data.years.size(), 2u);
  EXPECT_EQ(data.park_fields.get(), schema);
  EXPECT_EQ(data.FindYear(2001)->parks.Number(0, 3), 100);
}

TEST(LoadSeasonYears, MissingFilesGiveEmptyYears) {
  test::ScratchFolder dir;
  fs::create_directories(dir.path() / "1990");
  SeasonData data;
  RecordingMessageSink sink;
  ASSERT_TRUE(LoadSeasonYears(dir.path(), 1, ParkFields(), CompanyFields(), 3, data, sink));
  ASSERT_EQ(data.years.size(), 1u);
  EXPECT_TRUE(data.years[0].parks.empty());
  EXPECT_TRUE(data.years[0].companies.empty());
  EXPECT_EQ(data.years[0].country_parks.size(), 3u);
  EXPECT_TRUE(sink.messages.empty());
}

// A Park.ini that is there but gives no park says which file and why, in
// the last year as in any other; the other years still load.
TEST(LoadSeasonYears, AParkFileThatGivesNothingIsNamedWithItsCause) {
  const struct {
    const char* name;
    std::function<void(const fs::path&)> make;
    const char* cause;
  } cases[] = {
      {"folder", [](const fs::path& p) { fs::create_directories(p); }, "ist ein Ordner"},
      {"pipe", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); },
       "keine gew\xF6hnliche Datei"},
      {"empty", [](const fs::path& p) { WriteText(p, ""); }, "ist leer"},
      {"garbage", [](const fs::path& p) { WriteText(p, std::string("\0\x01\xFFPK\x03", 6)); },
       "enth\xE4lt keinen Park"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScratchFolder dir;
    WriteSmallSeason(dir.path());
    const fs::path broken = dir.path() / "2005" / "Park.ini";
    fs::remove(broken);
    c.make(broken);
    SeasonData data;
    RecordingMessageSink sink;
    ASSERT_TRUE(LoadSeasonYears(dir.path(), 7, ParkFields(), CompanyFields(), 2, data, sink));
    EXPECT_EQ(data.FindYear(2001)->parks.size(), 2u);
    EXPECT_TRUE(data.FindYear(2005)->parks.empty());
    const auto named = std::find_if(sink.messages.begin(), sink.messages.end(), [&](auto& m) {
      return m.second.find(broken.string()) != std::string::npos;
    });
    ASSERT_NE(named, sink.messages.end());
    EXPECT_EQ(named->first, "Dateifehler");
    EXPECT_NE(named->second.find(c.cause), std::string::npos) << named->second;
  }
}

DataFieldList AttractionFields() {
  DataFieldList fields(22);
  for (size_t f = 0; f < 22; ++f) fields[f].name = std::to_string(f);
  for (size_t f : {2u, 3u, 4u, 9u, 19u, 21u}) fields[f].type = kFieldString;
  return fields;
}

TEST(LoadAttractions, ConvertsCatalogueFields) {
  test::ScratchFolder dir;
  WriteText(dir.path() / "Attraction.ini",
            "[1]\n0 = 301\n1 = 7\n2 = Delfinshow\n3 = Deluxe\n4 = Sch\xf6n\n5 = 1.200.000\n"
            "6 = 100.000\n7 = 6\n8 = 15\n9 = 100 x 150 \n11 = 75\n12 = 5\n13 = 100\n14 = 42\n"
            "16 = 3\n17 = 0\n18 = 20\n19 = 1988\n21 = attraktionen/301q.jpg\n"
            "[2]\n0 = 302\n1 = 8\n2 = Weg\n"
            "[3]\n0 = 303\n1 = 1\n8 = 15\n9 = 50x\n");
  SilentMessageSink sink;
  std::vector<CatalogueEntry> entries = LoadAttractions(dir.path(), 3, AttractionFields(), sink);
  ASSERT_EQ(entries.size(), 2u);  // category 8 is no catalogue entry
  const CatalogueEntry& show = entries[0];
  EXPECT_EQ(show.id, 301);
  EXPECT_EQ(show.category, 7);
  EXPECT_EQ(show.name, "Delfinshow");
  EXPECT_EQ(show.variant, "Deluxe");
  EXPECT_EQ(show.description, "Sch\xf6n");
  EXPECT_EQ(show.launch, "1988");
  EXPECT_EQ(show.picture_path, "attraktionen/301q.jpg");
  EXPECT_EQ(show.cost, 1200000);
  EXPECT_EQ(show.maintenance, 100000);
  EXPECT_EQ(show.staff, 6);
  EXPECT_EQ(show.capacity, 7);  // halved for shows
  EXPECT_EQ(show.width, 100);
  EXPECT_EQ(show.depth, 150);
  EXPECT_FLOAT_EQ(show.target_a, 7.5f);
  EXPECT_FLOAT_EQ(show.target_b, 0.5f);
  EXPECT_FLOAT_EQ(show.target_c, 10.0f);
  EXPECT_EQ(show.atmosphere, 42);
  EXPECT_FLOAT_EQ(show.bonus_a, 0.3f);
  EXPECT_FLOAT_EQ(show.bonus_c, 2.0f);
  EXPECT_EQ(entries[1].capacity, 15);
  EXPECT_EQ(entries[1].width, 50);
  EXPECT_EQ(entries[1].depth, 0);

  // Seasons before 3 had no pictures.
  EXPECT_EQ(LoadAttractions(dir.path(), 2, AttractionFields(), sink)[0].picture_path, "");
}

TEST(LoadAttractions, UndeclaredFieldsAreReported) {
  test::ScratchFolder dir;
  WriteText(dir.path() / "Attraction.ini", "[1]\n0 = 301\n1 = 2\n");
  RecordingMessageSink sink;
  DataFieldList fields = {{"ID", 0}, {"Kategorie", 0}};
  std::vector<CatalogueEntry> entries = LoadAttractions(dir.path(), 5, fields, sink);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].id, 301);
  EXPECT_FALSE(sink.messages.empty());
  EXPECT_EQ(sink.messages[0].second, "Variable unbekannt!");
}

}  // namespace
}  // namespace wunt
