#include "common/demo/demo_season.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <set>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/raster_image.h"
#include "common/season_layout.h"
#include "tests/support/scratch_folder.h"
#include "viewer/data/attraction_catalogue.h"
#include "viewer/data/datafields.h"
#include "viewer/data/game_years.h"
#include "viewer/data/translation.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

DemoSeasonOptions SmallSeason() {
  DemoSeasonOptions options;
  options.seed = 42;
  options.season = 5;
  options.years = 6;
  options.parks = 40;
  options.companies = 12;
  return options;
}

// Every file below `dir`, by relative path, with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), dir).string()] = *ReadWholeFile(entry.path());
    }
  }
  return files;
}

class DemoSeasonTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new test::ScratchFolder;
    dir_ = new fs::path(scratch_->path() / "suite");
    DemoSeasonSummary summary;
    std::string error;
    ASSERT_TRUE(WriteDemoSeason(*dir_, SmallSeason(), &summary, &error)) << error;
    summary_ = summary;
  }
  static void TearDownTestSuite() {
    delete dir_;
    delete scratch_;
  }
  static fs::path season() { return *dir_ / "5"; }

  static test::ScratchFolder* scratch_;
  static fs::path* dir_;
  static DemoSeasonSummary summary_;
};

test::ScratchFolder* DemoSeasonTest::scratch_ = nullptr;
fs::path* DemoSeasonTest::dir_ = nullptr;
DemoSeasonSummary DemoSeasonTest::summary_;

TEST_F(DemoSeasonTest, LoadsWithoutAnyMessage) {
  RecordingMessageSink sink;
  DataFieldList park_fields, company_fields, attraction_fields;
  EXPECT_GT(LoadDatafields(season(), EntityKind::kPark, park_fields, sink), 3);
  EXPECT_GT(LoadDatafields(season(), EntityKind::kCompany, company_fields, sink), 3);
  EXPECT_GE(LoadDatafields(season(), EntityKind::kAttraction, attraction_fields, sink), 22);
  EXPECT_EQ(company_fields[kCompanyFieldParks].type, kFieldIdList);
  ValueList countries;
  const int country_count = LoadCountries(season(), 0, countries);
  EXPECT_GE(country_count, 8);
  EXPECT_LE(country_count, 12);
  for (size_t i = 0; i < static_cast<size_t>(country_count); ++i) {
    EXPECT_EQ(countries[i].id, static_cast<int32_t>(i + 1));
  }

  SeasonData data;
  ASSERT_TRUE(LoadSeasonYears(season(), 5, park_fields, company_fields,
                              static_cast<size_t>(country_count), data, sink));
  EXPECT_TRUE(sink.messages.empty()) << sink.messages[0].first << ": " << sink.messages[0].second;
  ASSERT_EQ(data.years.size(), 6u);
  EXPECT_EQ(data.lowest_year, 1990);
  EXPECT_EQ(data.highest_year, 1995);

  size_t parks = 0, companies = 0;
  bool owner_changed = false, park_closed = false, park_opened = false;
  std::map<int32_t, int32_t> owner_of;  // park -> company, last year seen
  for (size_t y = 0; y < data.years.size(); ++y) {
    const GameYear& year = data.years[y];
    parks += year.parks.size();
    companies += year.companies.size();
    size_t grouped = 0;
    for (const auto& list : year.country_parks) grouped += list.size();
    EXPECT_EQ(grouped, year.parks.size()) << "every demo park has a country";
    std::map<int32_t, int32_t> owners;
    for (size_t c = 0; c < year.companies.size(); ++c) {
      auto list = year.companies.IdList(c, kCompanyFieldParks);
      if (!list) continue;
      for (int32_t park : *list) {
        EXPECT_NE(year.parks.FindById(park), EntityTable::kNoRecord) << park;
        owners[park] = year.companies.Id(c);
      }
    }
    EXPECT_EQ(owners.size(), year.parks.size()) << "every park has one owner";
    if (y > 0) {
      const GameYear& before = data.years[y - 1];
      for (size_t r = 0; r < before.parks.size(); ++r) {
        park_closed |= year.parks.FindById(before.parks.Id(r)) == EntityTable::kNoRecord;
      }
      for (size_t r = 0; r < year.parks.size(); ++r) {
        park_opened |= before.parks.FindById(year.parks.Id(r)) == EntityTable::kNoRecord;
      }
      for (auto [park, company] : owners) {
        owner_changed |= owner_of.count(park) && owner_of[park] != company;
      }
    }
    owner_of = owners;
  }
  EXPECT_EQ(parks, summary_.park_records);
  EXPECT_EQ(companies, summary_.company_records);
  EXPECT_TRUE(park_opened);
  EXPECT_TRUE(park_closed);
  EXPECT_TRUE(owner_changed);

  std::vector<CatalogueEntry> catalogue =
      LoadAttractions(YearFolder(season(), 1995), 5, attraction_fields, sink);
  EXPECT_GE(catalogue.size(), 40u);
  EXPECT_LE(catalogue.size(), 60u);
  EXPECT_TRUE(sink.messages.empty());
  std::set<int32_t> categories;
  for (const CatalogueEntry& e : catalogue) {
    categories.insert(e.category);
    EXPECT_GT(e.width, 0);
    EXPECT_GT(e.depth, 0);
    EXPECT_FALSE(e.picture_path.empty());
  }
  EXPECT_EQ(categories, (std::set<int32_t>{1, 2, 3, 4, 5, 6, 7}));
}

// Every field of every record as text, ID lists included.
std::vector<std::string> Dump(const SeasonData& data) {
  std::vector<std::string> out;
  SilentMessageSink sink;
  for (const GameYear& year : data.years) {
    for (const EntityTable* table : {&year.parks, &year.companies}) {
      for (size_t r = 0; r < table->size(); ++r) {
        std::string row = std::to_string(year.year);
        for (int f = 0; f < table->field_count(); ++f) {
          row += '|';
          row += FieldText(*table, r, f, sink);
          if (auto list = table->IdList(r, f)) {
            for (int32_t id : *list) row.append(",").append(std::to_string(id));
          }
        }
        out.push_back(row);
      }
    }
    for (const auto& list : year.country_parks) out.push_back(std::to_string(list.size()));
  }
  return out;
}

TEST_F(DemoSeasonTest, ParallelLoadEqualsOneByOne) {
  SilentMessageSink sink;
  DataFieldList park_fields, company_fields;
  LoadDatafields(season(), EntityKind::kPark, park_fields, sink);
  LoadDatafields(season(), EntityKind::kCompany, company_fields, sink);
  std::vector<std::string> dumps[2];
  for (unsigned threads : {1u, 3u}) {
    SeasonData data;
    LoadSeasonOptions options;
    options.threads = threads;
    ASSERT_TRUE(LoadSeasonYears(season(), 5, park_fields, company_fields, 8, data, sink, options));
    dumps[threads == 1 ? 0 : 1] = Dump(data);
  }
  EXPECT_GT(dumps[0].size(), 100u);
  EXPECT_TRUE(dumps[0] == dumps[1]);
}

TEST_F(DemoSeasonTest, FilesAreWindows1252WithCrLf) {
  for (const char* name :
       {"Datafields.txt", "Translation.txt", "SaveData.ini", "Overview.htm", "Load.htm",
        "ImageStore.ini", "1990/Park.ini", "1993/Company.ini", "1995/Attraction.ini"}) {
    SCOPED_TRACE(name);
    std::string bytes = *ReadWholeFile(season() / name);
    ASSERT_FALSE(bytes.empty());
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') {
        ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
      }
    }
  }
  // Umlauts as single bytes: "Österreich" among the countries.
  EXPECT_NE(ReadWholeFile(season() / "Translation.txt")->find("\xd6sterreich"), std::string::npos);
  const std::string overview = *ReadWholeFile(season() / "Overview.htm");
  EXPECT_NE(overview.find("[CONTENT]"), std::string::npos);
  EXPECT_NE(overview.find("[PROGRAMPATH]"), std::string::npos);
}

TEST_F(DemoSeasonTest, PicturesAreIndexedAndPlausible) {
  IniFile index;
  ASSERT_TRUE(index.OpenIni(season() / "ImageStore.ini"));
  int entries = 0;
  for (const IniFile::Line& line : index.lines()) {
    ASSERT_EQ(line.kind, IniFile::LineKind::kKey);
    std::string stored(line.value);
    std::replace(stored.begin(), stored.end(), '\\', '/');
    std::optional<RasterImage> picture = LoadImageFile(season() / stored);
    ASSERT_TRUE(picture) << stored;
    EXPECT_EQ(picture->width() % 50, 0);
    EXPECT_LE(picture->width(), 950);
    EXPECT_LE(picture->height(), 1400);
    ++entries;
  }
  EXPECT_EQ(entries, summary_.pictures);
  // Every placed attraction's picture is in the index; positions lie on the
  // 950 x 1400 plan.
  IniFile parks;
  ASSERT_TRUE(parks.OpenIni(season() / "1995" / "Park.ini"));
  index.OpenIni(season() / "ImageStore.ini");
  int key = 0;
  int placed = 0;
  for (const IniFile::Line& line : parks.lines()) {
    if (line.kind == IniFile::LineKind::kGroup) {
      key = line.name.find("_Attractionlist") != std::string_view::npos ? 0 : -1;
      continue;
    }
    if (key < 0) continue;
    const int at = key++ % 7;
    if (at == 4) {
      EXPECT_LT(std::stoi(std::string(line.value)), 950);
    } else if (at == 5) {
      EXPECT_LT(std::stoi(std::string(line.value)), 1400);
    }
    if (at == 6) {
      EXPECT_NE(index.ReadString(line.value, ""), "") << line.value;
      ++placed;
    }
  }
  EXPECT_GT(placed, 40);
}

TEST(DemoSeason, SameSeedSameBytesOtherSeedOtherBytes) {
  const test::ScratchFolder scratch;
  const fs::path a = scratch / "a", b = scratch / "b", c = scratch / "c";
  DemoSeasonOptions options = SmallSeason();
  options.years = 3;
  options.parks = 15;
  ASSERT_TRUE(WriteDemoSeason(a, options, nullptr, nullptr));
  ASSERT_TRUE(WriteDemoSeason(b, options, nullptr, nullptr));
  options.seed = 43;
  ASSERT_TRUE(WriteDemoSeason(c, options, nullptr, nullptr));
  EXPECT_TRUE(Snapshot(a) == Snapshot(b));
  EXPECT_FALSE(Snapshot(a) == Snapshot(c));
}

TEST(DemoSeason, ReportsAFolderItCannotCreate) {
  const test::ScratchFolder scratch;
  const fs::path file = scratch / "file";
  WriteFileAtomically(file, "not a folder");
  std::string error;
  EXPECT_FALSE(WriteDemoSeason(file, SmallSeason(), nullptr, &error));
  EXPECT_FALSE(error.empty());
  fs::remove(file);
}

// The demo season for a player's data folder takes a number nothing there
// uses and never touches what is there; a cancelled run leaves no season.
TEST(AddDemoSeason, TakesAFreeNumberAndLeavesWhatIsThere) {
  struct Case {
    const char* name;
    std::vector<std::string> folders;  // present before
    const char* file;                  // a plain file present before, or nullptr
    int32_t expected;
  };
  const Case cases[] = {
      {"empty", {}, nullptr, 5},
      {"taken", {"5"}, nullptr, 6},
      {"taken by its number", {"05", "6"}, nullptr, 7},
      {"a file of that name", {}, "5", 6},
      {"a run cut short before", {".Beispielrunde/5"}, nullptr, 5},
  };
  test::ScratchFolder scratch;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path data = scratch.path() / c.name;
    for (const std::string& folder : c.folders) {
      fs::create_directories(data / folder);
      test::WriteBytes(data / folder / "mine.txt", "mine");
    }
    if (c.file != nullptr) test::WriteBytes(data / c.file, "mine");
    DemoSeasonOptions options = SmallSeason();
    options.years = 2;
    options.pictures = false;
    int32_t season = 0;
    std::string error;
    ASSERT_TRUE(AddDemoSeason(data, options, &season, &error)) << error;
    EXPECT_EQ(season, c.expected);
    EXPECT_TRUE(fs::exists(SeasonFolder(data, season) / kImageStoreFile));
    EXPECT_FALSE(fs::exists(data / ".Beispielrunde"));
    for (const std::string& folder : c.folders) {
      if (folder[0] != '.') {
        EXPECT_EQ(ReadWholeFile(data / folder / "mine.txt"), "mine");
      }
    }
  }
  const fs::path data = scratch.path() / "cancelled";
  std::atomic<bool> cancel{true};
  DemoSeasonOptions options = SmallSeason();
  options.control.cancel = &cancel;
  std::string error;
  EXPECT_FALSE(AddDemoSeason(data, options, nullptr, &error));
  EXPECT_TRUE(ListSeasonFolders(data).empty());
  EXPECT_FALSE(fs::exists(data / ".Beispielrunde"));
}

}  // namespace
}  // namespace wunt
