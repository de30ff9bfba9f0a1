#include <gtest/gtest.h>

#include "common/file_util.h"
#include "tests/support/scratch_folder.h"
#include "viewer/attractions/catalogue_model.h"
#include "viewer/attractions/catalogue_session.h"
#include "viewer/attractions/picture_index.h"

namespace wunt {
namespace {

using test::ScratchFolder;
using test::WriteBytes;

CatalogueEntry Entry(int32_t id, int32_t category, int32_t cost) {
  CatalogueEntry e;
  e.id = id;
  e.category = category;
  e.name = "A" + std::to_string(id);
  e.cost = cost;
  return e;
}

CatalogueSettings Terms(int32_t terms) {
  CatalogueSettings s;
  s.terms = terms;
  return s;
}

// The yearly cost shows through the total when only cost terms are ticked.
TEST(CataloguePoints, YearlyCostArithmetic) {
  struct Case {
    const char* what;
    int32_t terms;
    int32_t lifetime;
    int32_t cost, maintenance, staff, width, depth;
    double total;
  };
  const Case cases[] = {
      {"no term: fallback cost", 0, 20, 1000000, 5000, 3, 10, 10, 1.0},
      {"purchase truncates", 1 << kTermPurchase, 20, 1000019, 0, 0, 0, 0, 0.050000},
      {"maintenance at 100 %", 1 << kTermMaintenance, 20, 0, 123456, 0, 0, 0, 0.123456},
      {"staff x wage x 100", 1 << kTermStaff, 20, 0, 0, 6, 0, 0, 0.060000},
      // ground 50 * 1 * 1 / 2.5 = 20; 20 / 8 = 2.5 rounds to even 2
      {"ground ties to even down", 1 << kTermGround, 8, 0, 0, 0, 1, 1, 0.000002},
      // 8 / 8 = 1, then 1 + 2.5 = 3.5 rounds to 4
      {"ground ties to even up", (1 << kTermGround) | 1, 8, 8, 0, 0, 1, 1, 0.000004},
      // ground adds up to 0: the fallback applies
      {"ground rounding to 0", 1 << kTermGround, 100, 0, 0, 0, 1, 1, 1.0},
      // 1000000/20 + 100000 + 60000 + round(300000/20) = 225000
      {"all cost terms", 15, 20, 1000000, 100000, 6, 100, 150, 0.225},
  };
  for (const Case& c : cases) {
    CatalogueSettings s = Terms(c.terms);
    s.SetSpin(kSpinLifetime, c.lifetime);
    CatalogueEntry e = Entry(1, 1, c.cost);
    e.maintenance = c.maintenance;
    e.staff = c.staff;
    e.width = c.width;
    e.depth = c.depth;
    e.capacity = 10;
    ComputeCataloguePoints(s, e);
    EXPECT_DOUBLE_EQ(e.total_points, c.total) << c.what;
  }
}

TEST(CataloguePoints, PointTermsWeightedAndBonusAdded) {
  CatalogueEntry e = Entry(1, 1, 1000000);
  e.maintenance = 100000;
  e.staff = 6;
  e.width = 100;
  e.depth = 150;
  e.capacity = 400;
  e.target_a = 7.5f;
  e.target_b = 0;
  e.target_c = 2.0f;
  e.atmosphere = 45;
  e.bonus_a = 0.3f;
  CatalogueSettings s;  // default: all but the bonus, c = 225000
  s.SetSpin(kSpinCapacity, 200);
  ComputeCataloguePoints(s, e);
  EXPECT_EQ(e.staff_cost, 60000);
  EXPECT_DOUBLE_EQ(e.ground_cost, 300000.0);
  const double c = 225000;
  EXPECT_DOUBLE_EQ(e.capacity_points, 400 * 1000.0 / c);
  EXPECT_DOUBLE_EQ(e.target_a_points, 7.5 * 1e6 / c);
  EXPECT_DOUBLE_EQ(e.total_points, e.capacity_points * 200 / 100 + e.target_a_points +
                                       e.target_c_points + e.atmosphere_points);

  s.terms |= 1 << kTermBonus;
  ComputeCataloguePoints(s, e);
  EXPECT_DOUBLE_EQ(e.target_a_points, static_cast<double>(7.5f + 0.3f) * 1e6 / c);
}

TEST(CatalogueCells, TextsOfAllColumns) {
  CatalogueEntry e = Entry(1, 1, 1200000);
  e.name = "Wilde Maus";
  e.maintenance = 15000;
  e.width = 10;
  e.depth = 20;
  e.capacity = 801;
  e.target_a = 7.5f;
  e.bonus_c = 2.0f;
  ComputeCataloguePoints(CatalogueSettings(), e);
  std::vector<std::string> cells;
  for (int c = 0; c < kCatalogueColumnCount; ++c) cells.push_back(CatalogueCellText(e, c));
  // No staff: both staff cells empty; no B, C or atmosphere: pairs empty.
  const std::vector<std::string> expected = {
      "Wilde Maus", cells[1], "1.200.000", "15.000", "",        "", "10 x 20",
      "4.000",      "801",    cells[9],    "7.5",    cells[11], "", "",
      "",           "",       "",          "",       "",        "", "2.0"};
  EXPECT_EQ(cells, expected);
  EXPECT_EQ(cells[1], cells[9].empty() ? "" : cells[1]);
  EXPECT_NE(cells[1].find('.'), std::string::npos);
  EXPECT_EQ(cells[1].size() - cells[1].find('.'), 3u);  // two decimals
  EXPECT_EQ(cells[11].size() - cells[11].find('.'), 3u);
}

TEST(CatalogueModel, OnlyCostTermsSortByCostHighestFirst) {
  CatalogueModel model(Terms(1 << kTermPurchase));
  model.ReplaceEntries(1971,
                       {Entry(1, 1, 200), Entry(2, 2, 900), Entry(3, 3, 500), Entry(4, 4, 900)});
  std::vector<int32_t> ids;
  for (size_t r = 0; r < model.row_count(); ++r) ids.push_back(model.EntryAt(r).id);
  EXPECT_EQ(ids, (std::vector<int32_t>{2, 4, 3, 1}));  // equal totals keep file order
}

std::vector<int32_t> RowIds(const CatalogueModel& model) {
  std::vector<int32_t> ids;
  for (size_t r = 0; r < model.row_count(); ++r) ids.push_back(model.EntryAt(r).id);
  return ids;
}

TEST(CatalogueModel, CategoryFilterKeepsTicksAcrossRefills) {
  CatalogueModel model(Terms(1 << kTermPurchase));
  model.ReplaceEntries(1971,
                       {Entry(1, 1, 100), Entry(2, 2, 200), Entry(3, 7, 300), Entry(4, 0, 400)});
  EXPECT_EQ(RowIds(model), (std::vector<int32_t>{3, 2, 1}));  // category 0 is never listed
  model.SetCategory(1, false);                                // "Themenfahrten"
  EXPECT_EQ(RowIds(model), (std::vector<int32_t>{3, 1}));
  EXPECT_EQ(model.settings().categories, 255 & ~(1 << 1) & ~kAllCategoriesBit);
  model.SetTicked(1, true);  // entry 1
  model.Rebuild();
  ASSERT_EQ(RowIds(model), (std::vector<int32_t>{3, 1}));
  EXPECT_TRUE(model.IsTicked(1));
  model.SetCategory(kCategoryCount, true);  // "Alle"
  EXPECT_EQ(model.settings().categories, 255);
  EXPECT_TRUE(model.IsTicked(2));
  EXPECT_EQ(model.BuildTicks(), (std::vector<BuildTick>{{1, 1, ""}}));

  model.ReplaceEntries(1972, {Entry(1, 1, 100)});
  EXPECT_FALSE(model.IsTicked(0));
}

TEST(CatalogueModel, BandsTicksAndNewAttractions) {
  CatalogueModel model(Terms(1 << kTermPurchase));
  std::vector<CatalogueEntry> entries;
  for (int i = 0; i < 7; ++i) entries.push_back(Entry(i, 1, 1000 - i));
  entries[4].launch = "1972";
  entries[0].launch = "1972";
  entries[1].launch = "1971";
  model.ReplaceEntries(1971, entries);
  model.SetTicked(2, true);
  const Rgb black{0, 0, 0}, white{255, 255, 255}, red{255, 0, 0}, grey{136, 136, 136};
  struct Want {
    Rgb text, background;
  };
  const Want want[] = {{white, red}, {white, black}, {grey, black}, {black, white},
                       {black, red}, {black, white}, {white, black}};
  for (size_t r = 0; r < 7; ++r) {
    EXPECT_EQ(model.LookOf(r).text, want[r].text) << r;
    EXPECT_EQ(model.LookOf(r).background, want[r].background) << r;
  }
  model.SetMarkNew(false);
  EXPECT_EQ(model.LookOf(0).background, black);
  EXPECT_EQ(model.LookOf(4).background, white);
}

TEST(CatalogueModel, ColumnSortNumbersAsNumbersAndReverse) {
  CatalogueModel model(Terms(1 << kTermPurchase));
  std::vector<CatalogueEntry> entries = {Entry(1, 1, 100), Entry(2, 1, 200), Entry(3, 1, 300)};
  entries[0].capacity = 100;
  entries[1].capacity = 9;
  entries[2].capacity = 10;
  entries[0].name = "beta";
  entries[1].name = "Alpha";
  entries[2].name = "Gamma";
  model.ReplaceEntries(1971, entries);
  model.SortByColumn(8);  // "Kapazität"
  EXPECT_EQ(RowIds(model), (std::vector<int32_t>{2, 3, 1}));
  model.SortByColumn(8);
  EXPECT_TRUE(model.sort_descending());
  EXPECT_EQ(RowIds(model), (std::vector<int32_t>{1, 3, 2}));
  model.SortByColumn(kColumnName);
  EXPECT_EQ(RowIds(model), (std::vector<int32_t>{2, 1, 3}));
  model.SetTerm(kTermCapacity, true);  // refills, keeps the column order
  EXPECT_EQ(RowIds(model), (std::vector<int32_t>{2, 1, 3}));
  model.Rebuild();
  EXPECT_EQ(model.sort_column(), -1);
  EXPECT_EQ(RowIds(model), (std::vector<int32_t>{1, 2, 3}));  // capacity points now
}

TEST(CatalogueModel, SpinChangesOnlyItsStateUntilRebuild) {
  CatalogueModel model;
  CatalogueEntry e = Entry(1, 1, 1000);
  e.capacity = 50;
  model.ReplaceEntries(1971, {e});
  const std::string before = model.CellText(0, kColumnTotal);
  model.SetSpin(kSpinCapacity, 1000);
  EXPECT_EQ(model.CellText(0, kColumnTotal), before);
  model.Rebuild();
  EXPECT_NE(model.CellText(0, kColumnTotal), before);
}

TEST(CatalogueModel, CopyTextAndDescription) {
  CatalogueModel model(Terms(1 << kTermPurchase));
  CatalogueEntry a = Entry(1, 1, 2000);
  a.variant = "Deluxe";
  a.launch = "1970";
  a.description = "Schnell.";
  model.ReplaceEntries(1971, {a, Entry(2, 1, 1000)});
  const std::string text = model.CopyText({1, 0, 1, 9});
  const size_t first_line = text.find('\n');
  EXPECT_EQ(text.substr(0, first_line).substr(0, 18), "Name\tGesamtpunkte\t");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);  // header and two rows
  EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 3 * 20);
  EXPECT_EQ(text.substr(first_line + 1, 3), "A1\t");
  EXPECT_EQ(model.DescriptionText(0), "A1 - Deluxe\r\nMarkteinf\xFChrung: 1970\r\n\r\nSchnell.");
  EXPECT_EQ(model.DescriptionText(std::nullopt), "keine Attraktion ausgew\xE4hlt");
}

TEST(CatalogueSettings, SpinTextsAndRanges) {
  EXPECT_EQ(SpinDisplayText(kSpinLifetime, 20), "20 Jahre");
  EXPECT_EQ(SpinDisplayText(kSpinMaintenance, 105), "1.05 %");
  EXPECT_EQ(SpinDisplayText(kSpinTargetC, 7), "0.07 %");
  EXPECT_EQ(SpinDisplayText(kSpinWage, 100), "10.000 ");
  EXPECT_EQ(SpinDisplayText(kSpinGroundRate, 50), "50.000 ");
  CatalogueSettings s;
  EXPECT_EQ(s.spin(kSpinGroundRate), 50);  // stored default 25 is below the range
  s.SetSpin(kSpinLifetime, 0);
  EXPECT_EQ(s.spin(kSpinLifetime), 2);
  s.SetSpin(kSpinWage, 5000);
  EXPECT_EQ(s.spin(kSpinWage), 1000);
}

TEST(CatalogueSettings, DefaultsForMissingFileAndGroup) {
  ScratchFolder season;
  std::vector<BuildTick> build;
  for (const char* content : {"", "[Other]\nCategory = 1\n"}) {
    if (*content) WriteBytes(season.path() / "SaveData.ini", content);
    CatalogueSettings s = LoadCatalogueSettings(season.path(), &build);
    EXPECT_EQ(s.categories, 255);
    EXPECT_EQ(s.terms, 511);
    EXPECT_TRUE(s.mark_new);
    EXPECT_EQ(s.spin(kSpinLifetime), 20);
    EXPECT_EQ(s.spin(kSpinGroundRate), 50);
    EXPECT_TRUE(build.empty());
  }
}

TEST(CatalogueSettings, RoundTripKeepsOtherGroupsAndEveryTick) {
  ScratchFolder season;
  WriteBytes(
      season.path() / "SaveData.ini",
      "[Calc1]\r\nName = Umsatz\r\n[Build]\r\n9|9 = alt\r\n[AttViewer]\r\nSizeCost = 25\r\n");
  CatalogueSettings s = LoadCatalogueSettings(season.path(), nullptr);
  EXPECT_EQ(s.spin(kSpinGroundRate), 50);
  s.SetCategoryBit(6, false);
  s.terms = 1023;
  s.mark_new = false;
  s.SetSpin(kSpinTargetB, 333);
  const std::vector<BuildTick> ticks = {{12, 1, "Deluxe"}, {12, 1, "Mini"}, {40, 7, ""}};
  ASSERT_TRUE(SaveCatalogueSettings(season.path(), s, ticks));

  std::vector<BuildTick> build;
  CatalogueSettings back = LoadCatalogueSettings(season.path(), &build);
  EXPECT_EQ(back.categories, s.categories);
  EXPECT_EQ(back.terms, 1023);
  EXPECT_FALSE(back.mark_new);
  EXPECT_EQ(back.spins, s.spins);
  EXPECT_EQ(build, ticks);
  const std::string file = ReadWholeFile(season.path() / "SaveData.ini").value_or("");
  EXPECT_NE(file.find("[Calc1]\r\nName = Umsatz\r\n"), std::string::npos);
  EXPECT_NE(file.find("SizeCost = 50\r\n"), std::string::npos);
  EXPECT_EQ(file.find("9|9"), std::string::npos);
}

// A season with two game years, pictures and settings on disk.
class CatalogueSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto& s = season_.path();
    WriteBytes(
        s / "Datafields.txt",
        "[Attraction]\n0 = ID\n1 = Kategorie\n2 = (String)Name\n3 = (String)Variante\n"
        "4 = (String)Beschreibung\n5 = Kosten\n6 = Unterhalt\n7 = Personal\n8 = Kapazitaet\n"
        "9 = (String)Flaeche\n10 = Frei\n11 = ZGA\n12 = ZGB\n13 = ZGC\n14 = Atmo\n15 = Frei2\n"
        "16 = BA\n17 = BB\n18 = BC\n19 = (String)Start\n20 = Frei3\n21 = (String)Bild\n");
    const std::string attractions =
        "[1]\n0 = 10\n1 = 7\n2 = Show\n3 = Gross\n5 = 500000\n8 = 801\n9 = 10x 20\n19 = 1972\n"
        "21 = bilder/show.jpg\n"
        "[2]\n0 = 11\n1 = 1\n2 = Bahn\n3 = Klein\n5 = 900000\n8 = 100\n9 = 30x30\n"
        "21 = bilder/fehlt.jpg\n";
    WriteBytes(s / "1970" / "Attraction.ini", attractions);
    WriteBytes(s / "1971" / "Attraction.ini", attractions);
    WriteBytes(s / "1971" / "Images" / "show.bmp", EncodeBmp(RasterImage(3, 2, {1, 2, 3})));
    WriteBytes(s / "ImageStore.ini",
               "bilder/show.jpg = 1971\\Images\\show.bmp\r\nbilder/fehlt.jpg = ..\\..\\x.bmp\r\n");
    WriteBytes(s / "SaveData.ini", "[Build]\r\n11|1 = Klein\r\n11|1 = Gross\r\n");
  }
  ScratchFolder season_;
  SilentMessageSink sink_;
};

TEST_F(CatalogueSessionTest, OpensLastYearWithTicksPicturesAndSaves) {
  CatalogueSession session(season_.path(), 7, sink_);
  EXPECT_EQ(session.years(), (std::vector<int32_t>{1970, 1971}));
  EXPECT_EQ(session.year(), 1971);
  CatalogueModel& model = session.model();
  ASSERT_EQ(model.row_count(), 2u);
  const size_t show = model.EntryAt(0).id == 10 ? 0 : 1;
  EXPECT_EQ(model.EntryAt(show).capacity, 400);
  EXPECT_EQ(model.CellText(show, kColumnArea), "10 x 20");
  EXPECT_TRUE(model.IsTicked(1 - show));
  EXPECT_FALSE(model.IsTicked(show));

  auto picture = session.PictureOf(show);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width(), 3);
  EXPECT_FALSE(session.PictureOf(1 - show));  // its index value leaves the folder
  EXPECT_FALSE(session.PictureOf(std::nullopt));

  model.SetTicked(show, true);
  model.SetCategory(0, false);
  ASSERT_TRUE(session.Save());
  const std::string file = ReadWholeFile(season_.path() / "SaveData.ini").value_or("");
  EXPECT_NE(file.find("Category = 126\r\n"), std::string::npos);
  EXPECT_NE(file.find("10|7 = Gross\r\n"), std::string::npos);
  EXPECT_NE(file.find("11|1 = Klein\r\n"), std::string::npos);
}

// The building list belongs to the player, not to a year: a tick follows
// its attraction into every year that lists it, and one the shown year
// has no row for is neither lost nor changed.
TEST_F(CatalogueSessionTest, TicksFollowTheYearAndSavingKeepsTheUnshown) {
  // 1970 lists only the small coaster.
  WriteBytes(season_.path() / "1970" / "Attraction.ini",
             "[2]\n0 = 11\n1 = 1\n2 = Bahn\n3 = Klein\n5 = 900000\n8 = 100\n9 = 30x30\n");
  CatalogueSession session(season_.path(), 7, sink_);
  CatalogueModel& model = session.model();
  const auto ticked = [&](int32_t id) {
    for (size_t r = 0; r < model.row_count(); ++r) {
      if (model.EntryAt(r).id == id) return model.IsTicked(r);
    }
    ADD_FAILURE() << "no row for " << id;
    return false;
  };
  const size_t show = model.EntryAt(0).id == 10 ? 0 : 1;
  model.SetTicked(show, true);

  session.SelectYear(1970);
  ASSERT_EQ(model.row_count(), 1u);
  EXPECT_TRUE(ticked(11));
  model.SetTicked(0, false);

  session.SelectYear(1971);
  EXPECT_TRUE(ticked(10));
  EXPECT_FALSE(ticked(11));
  session.SelectYear(1970);
  ASSERT_TRUE(session.Save());
  std::vector<BuildTick> build;
  LoadCatalogueSettings(season_.path(), &build);
  EXPECT_EQ(build, (std::vector<BuildTick>{{10, 7, "Gross"}, {11, 1, "Gross"}}));
}

}  // namespace
}  // namespace wunt
