// wunt-export end to end on a demo season: the page, diagram, catalogue and
// park plans it writes are what the Viewer's models give for the same
// input, and every bad request ends with code 2.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/demo/demo_season.h"
#include "common/file_util.h"
#include "common/raster_image.h"
#include "common/server_config.h"
#include "common/text.h"
#include "tests/support/sanitized.h"
#include "tools/wunt-export/diagram_painting.h"
#include "viewer/attractions/catalogue_model.h"
#include "viewer/attractions/catalogue_session.h"
#include "viewer/attractions/catalogue_settings.h"
#include "viewer/attractions/park_plan.h"
#include "viewer/attractions/park_plan_export.h"
#include "viewer/diagram/diagram_form.h"
#include "viewer/diagram/diagram_raster.h"
#include "viewer/report/html_writer.h"
#include "viewer/wizard/request.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

const fs::path kTool = fs::path(WUNT_BINARY_DIR) / "tools" / "wunt-export";
constexpr int32_t kSeason = 7;

using test::kSanitized;

class WuntExport : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // ctest runs every test in its own process, several at once.
    root_ = new fs::path(fs::path(WUNT_BINARY_DIR) / "test-report" /
                         ("wunt_export_" + std::to_string(::getpid())));
    fs::remove_all(*root_);
    DemoSeasonOptions options;
    options.season = kSeason;
    options.years = 6;
    options.parks = 40;
    options.companies = 10;
    std::string error;
    ASSERT_TRUE(WriteDemoSeason(data(), options, nullptr, &error)) << error;
  }
  static void TearDownTestSuite() {
    fs::remove_all(*root_);
    delete root_;
  }
  static fs::path data() { return *root_ / "Data"; }

  struct Run {
    int code = -1;
    std::string err;
    long peak_kb = 0;  // the child's peak resident memory
  };
  // Runs the tool with `args` (already quoted where needed), through the
  // shell, which exec's the tool in its own process.
  static Run Export(const std::string& args) {
    const fs::path err = *root_ / "stderr.txt";
    const std::string command =
        "exec " + kTool.string() + " " + args + " >/dev/null 2>" + err.string();
    Run run;
    const pid_t child = ::fork();
    if (child == 0) {
      ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (child > 0 && ::wait4(child, &status, 0, &usage) == child) {
      run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      run.peak_kb = usage.ru_maxrss;
    }
    run.err = ReadWholeFile(err).value_or("");
    return run;
  }
  static std::string Common() { return "--data " + data().string() + " --season 7 "; }

  static fs::path* root_;
};

fs::path* WuntExport::root_ = nullptr;

TEST_F(WuntExport, PageEqualsTheViewersRequestRoad) {
  struct Case {
    const char* args;
    ContentKind content_kind;
    SourceKind source_kind;
    int32_t from;
    int32_t to;
    int auto_choice;
    int32_t sort;
    bool csv;
  };
  const Case cases[] = {
      {"--content wert --calc 1 --from 1991 --to 1995 --source parks --first 5",
       ContentKind::kValue, SourceKind::kParks, 1991, 1995, 5, -1, false},
      {"--content wert --calc 3 --from 1990 --to 1995 --source companies --last 3 --sort 2",
       ContentKind::kValue, SourceKind::kCompanies, 1990, 1995, AutoSelectLast(3), 2, false},
      {"--content jahr --calc 8 --to 1994 --source countries --all --sort -2 --csv",
       ContentKind::kYear, SourceKind::kCountries, 1994, 1994, 0, -2, true},
      {"--content jahr --calc 9 --to 1995 --source companies --first 4 --csv", ContentKind::kYear,
       SourceKind::kCompanies, 1995, 1995, 4, -1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const fs::path out = *root_ / "out.htm";
    fs::remove(out);
    const Run run = Export(Common() + c.args + " --out " + out.string());
    ASSERT_EQ(run.code, 0) << run.err;

    RequestState state;
    state.data_dir = data();
    SilentMessageSink sink;
    ASSERT_TRUE(LoadRequestSeason(state, kSeason, c.content_kind, sink));
    const std::string calc_number =
        std::string(c.args).substr(std::string(c.args).find("--calc ") + 7);
    const size_t index = FindCalculation(state.calculations, std::stoi(calc_number));
    ASSERT_TRUE(ApplyRequestSpan(state, index, c.from, c.to, false, c.source_kind));
    if (c.auto_choice == 0) state.selection().AddAll();
    state.table.sort_index = c.sort;
    ASSERT_TRUE(ApplyRequestSelection(state, c.auto_choice));
    ASSERT_FALSE(state.table.rows.empty());
    const ServerConfig server = LoadServerConfig(kTool.parent_path());
    const ReportInput input = RequestReportInput(state, server.game_address);
    EXPECT_EQ(ReadWholeFile(out).value_or(""),
              c.csv ? BuildCsvTable(input) : BuildExportPage(input));
  }
}

TEST_F(WuntExport, SingleParkAndVanishedParks) {
  const fs::path out = *root_ / "park.htm";
  RequestState state;
  state.data_dir = data();
  SilentMessageSink sink;
  ASSERT_TRUE(LoadRequestSeason(state, kSeason, ContentKind::kPark, sink));
  ASSERT_TRUE(ApplyRequestSpan(state, 0, 1990, 1995, false, SourceKind::kParks));
  const int32_t id = state.selection().available().front().id;
  const Run run =
      Export(Common() + "--content park --calc 7 --from 1990 --to 1995 --source parks --ids " +
             std::to_string(id) + " --out " + out.string());
  ASSERT_EQ(run.code, 0) << run.err;
  const std::string page = ReadWholeFile(out).value_or("");
  EXPECT_NE(page.find("<h1>\xdc"
                      "bersicht \xfc"
                      "ber den Park <a href="),
            std::string::npos);

  // Without --vanished only parks of the end year are offered.
  const fs::path with = *root_ / "with.csv";
  const fs::path without = *root_ / "without.csv";
  const std::string span =
      "--content wert --calc 1 --from 1990 --to 1995 --source parks --all --csv ";
  ASSERT_EQ(Export(Common() + span + "--vanished --out " + with.string()).code, 0);
  ASSERT_EQ(Export(Common() + span + "--out " + without.string()).code, 0);
  auto lines = [](const fs::path& p) {
    const std::string text = ReadWholeFile(p).value_or("");
    return std::count(text.begin(), text.end(), '\n');
  };
  EXPECT_GT(lines(with), lines(without));
}

TEST_F(WuntExport, BadRequestsExitWithCodeTwo) {
  // A season whose translation table lists no countries.
  const fs::path bare = *root_ / "Bare";
  fs::create_directories(bare);
  fs::copy(data() / "7", bare / "7", fs::copy_options::recursive);
  ASSERT_TRUE(WriteFileAtomically(bare / "7" / "Translation.txt", "Besucher = Besucher\r\n"));

  const std::string out = " --out " + (*root_ / "bad.htm").string();
  const std::string wert = "--content wert --calc 1 --from 1991 --to 1995 ";
  struct Case {
    std::string args;
    const char* message;
  };
  const Case cases[] = {
      {Common() + wert + "--source parks --first 5", "--out fehlt"},
      {Common() + wert + "--source parks" + out, "genau eins von"},
      {Common() + wert + "--source parks --first 5 --all" + out, "genau eins von"},
      {Common() + wert + "--source parks --first 21" + out, "--first will"},
      {Common() + wert + "--source towns --all" + out, "--source will eins von"},
      {Common() + wert + "--source parks --all --bogus 1" + out, "unbekannte Option"},
      {Common() + wert + "--source countries --first 3" + out, "--first und --last"},
      {Common() + wert + "--source parks --ids 1,x" + out, "--ids will"},
      {Common() + wert + "--source parks --ids 424242" + out, "einen Eintrag 424242"},
      {Common() + "--content wert --calc 1 --from 1995 --to 1991 --source parks --all" + out,
       "--from liegt nach --to"},
      {Common() + "--content wert --calc 1 --from 1980 --to 1991 --source parks --all" + out,
       "Spieljahre 1990 bis 1995"},
      {Common() + "--content wert --calc 77 --from 1991 --to 1995 --source parks --all" + out,
       "Berechnung 77"},
      {Common() + "--content jahr --calc 1 --to 1995 --source parks --all" + out, "Berechnung 1"},
      {Common() + "--content park --calc 7 --from 1991 --to 1995 --source parks --all" + out,
       "--content park zeigt einen Eintrag"},
      {Common() + "--content jahr --calc 8 --to 1995 --source parks --all --vanished" + out,
       "--vanished"},
      {"--data " + data().string() + " --season 8 " + wert + "--source parks --all" + out,
       "keine Runde 8"},
      {"--data " + bare.string() + " --season 7 " + wert + "--source countries --all" + out,
       "die Auswahl ist leer"},
  };
  for (const Case& c : cases) {
    const Run run = Export(c.args);
    EXPECT_EQ(run.code, 2) << c.args;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
  }
  EXPECT_FALSE(fs::exists(*root_ / "bad.htm"));
}

// Hostile seasons: each a copy of the demo season with one thing broken.
// The tool must say what is wrong, or cope, without running away with
// memory.
TEST_F(WuntExport, HostileSeasonsAreReportedOrCopedWith) {
  struct Case {
    const char* what;
    std::function<void(const fs::path& season)> spoil;
    std::string args;
    int code;
    std::vector<std::string> messages;  // each found on standard error
  };
  const std::string wert = "--content wert --calc 1 --from 1990 --to 1995 --source parks --all";
  std::string huge_format = "Besucher[*1" + std::string(300000, '0') + "] = Riesig\r\n";
  const Case cases[] = {
      {"stray numeric folders are no game years",
       [](const fs::path& s) {
         fs::create_directories(s / "99999999");
         fs::create_directories(s / "2147483647");
       },
       wert,
       0,
       {}},
      {"a span up to a stray folder",
       [](const fs::path& s) { fs::create_directories(s / "99999999"); },
       "--content wert --calc 1 --from 1990 --to 99999999 --source parks --all",
       2,
       {"Spieljahre 1990 bis 1995"}},
      {"no Datafields.txt",
       [](const fs::path& s) { fs::remove(s / "Datafields.txt"); },
       wert,
       2,
       {"Datafields.txt", "fehlt oder kann nicht gelesen werden", "kann nicht verwendet werden"}},
      {"no Company group",
       [](const fs::path& s) {
         const std::string text = ReadWholeFile(s / "Datafields.txt").value_or("");
         WriteFileAtomically(s / "Datafields.txt", text.substr(0, text.find("[Company]")));
       },
       wert,
       2,
       {"Unbekanntes DataField: 'Company'", "Gruppe [Company]"}},
      {"an unknown type name",
       [](const fs::path& s) {
         const std::string text = ReadWholeFile(s / "Datafields.txt").value_or("");
         WriteFileAtomically(s / "Datafields.txt",
                             ReplaceAll(text, "(String)Name", "(Strong)Name"));
       },
       wert,
       2,
       {"unbekannter Datentyp", "Gruppe [Park]", "enth\xC3\xA4lt"}},
      {"no game-year folder",
       [](const fs::path& s) {
         for (int y = 1990; y <= 1995; ++y) fs::remove_all(s / std::to_string(y));
         fs::create_directories(s / "19900");
       },
       wert,
       2,
       {"kein Spieljahr"}},
      {"no SaveData.ini",
       [](const fs::path& s) { fs::remove(s / "SaveData.ini"); },
       wert,
       2,
       {"SaveData.ini fehlt oder ist unlesbar"}},
      {"one damaged file repeats one message",
       [](const fs::path& s) {
         std::string park = "[1]\r\n0 = 1\r\n";
         for (int i = 0; i < 150; ++i) park += "999 = x\r\n";
         WriteFileAtomically(s / "1990" / "Park.ini", park);
       },
       wert,
       0,
       {"Variable unbekannt! (100-mal)"}},
      {"a format that would pad a cell without end",
       [&](const fs::path& s) {
         const std::string text = ReadWholeFile(s / "SaveData.ini").value_or("");
         WriteFileAtomically(s / "SaveData.ini",
                             "[99_Calculation]\r\nName = Riesig\r\n" + huge_format + text);
       },
       "--content wert --calc 99 --from 1990 --to 1995 --source parks --all",
       0,
       {}},
      {"a damaged Park.ini in the last year",
       [](const fs::path& s) { WriteFileAtomically(s / "1995" / "Park.ini", "\x89\x01garbage"); },
       wert,
       2,
       {"1995/Park.ini enth\xc3\xa4lt keinen Park"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path data_dir = *root_ / ("Hostile" + std::to_string(n++));
    fs::create_directories(data_dir);
    fs::copy(data() / "7", data_dir / "7", fs::copy_options::recursive);
    c.spoil(data_dir / "7");
    const fs::path out = *root_ / "hostile.htm";
    fs::remove(out);
    const Run run =
        Export("--data " + data_dir.string() + " --season 7 " + c.args + " --out " + out.string());
    EXPECT_EQ(run.code, c.code) << run.err;
    for (const std::string& message : c.messages) {
      EXPECT_NE(run.err.find(message), std::string::npos) << message << "\n" << run.err;
      // Gathered: each message once.
      EXPECT_EQ(run.err.find(message), run.err.rfind(message)) << message;
    }
    EXPECT_EQ(fs::exists(out), c.code == 0);
    if (c.code == 0) {
      EXPECT_LT(fs::file_size(out), 1u << 20);
    }
    if (!kSanitized) {
      EXPECT_LT(run.peak_kb, 200 * 1024) << run.peak_kb;
    }
    fs::remove_all(data_dir);
  }
}

// The request road: a span change empties the table whose rows point into
// the rebuilt lists, and a sort stored for one calculation does not carry
// over to another.
TEST_F(WuntExport, SpanChangesClearTheTableAndSortsStayWithTheirCalculation) {
  RequestState state;
  state.data_dir = data();
  SilentMessageSink sink;
  ASSERT_TRUE(LoadRequestSeason(state, kSeason, ContentKind::kValue, sink));
  const size_t no_merge = FindCalculation(state.calculations, 3);
  const size_t merged = FindCalculation(state.calculations, 1);
  auto request = [&](size_t calculation) {
    ASSERT_TRUE(ApplyRequestSpan(state, calculation, 1990, 1995, false, SourceKind::kCompanies));
    EXPECT_TRUE(state.table.rows.empty());
    state.selection().AddAll();
    ASSERT_TRUE(ApplyRequestSelection(state, 0));
    EXPECT_FALSE(state.table.rows.empty());
  };
  const struct {
    size_t calculation;
    int32_t sort_index;
  } steps[] = {
      {no_merge, kSortByName},  // without a total column the default is by name
      {no_merge, kSortByName},  // the same calculation keeps it
      {merged, kSortByTotal},   // another one starts from the default
      {no_merge, kSortByName},
  };
  for (const auto& step : steps) {
    request(step.calculation);
    EXPECT_EQ(state.table.sort_index, step.sort_index);
  }
  // A chosen sort stays while the calculation does.
  request(merged);
  SortResultTable(2, RequestTableView(state), state.table);
  request(merged);
  EXPECT_EQ(state.table.sort_index, 2);
  EXPECT_TRUE(TokenLimitNote(state).empty());
}

TEST_F(WuntExport, HelpExplainsEveryOption) {
  const fs::path help = *root_ / "help.txt";
  const std::string command = kTool.string() + " --help >" + help.string();
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string text = ReadWholeFile(help).value_or("");
  for (const char* option :
       {"--data",    "--season",     "--content",     "--calc",          "--from",
        "--to",      "--source",     "--ids",         "--first",         "--last",
        "--all",     "--vanished",   "--sort",        "--csv",           "--out",
        "--diagram", "--plot-width", "--plot-height", "--column-width",  "--grid-lines",
        "--max",     "--min",        "--left-margin", "--bottom-margin", "--catalogue",
        "--year",    "--park-plan",  "--format",      "R\u00fcckgabe"}) {
    EXPECT_NE(text.find(option), std::string::npos) << option;
  }
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  while (true) {
    const size_t at = text.find(separator);
    parts.emplace_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + separator.size());
  }
}

// The fields of one CSV line, quotes undone.
std::vector<std::string> CsvCells(std::string_view line) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
      cells.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ';' && !quoted) {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

// The catalogue as the window's model holds it for `year`, with the
// stored building list ticked.
void ExpectCatalogueRows(const fs::path& season_folder, int32_t year, const std::string& csv) {
  SilentMessageSink sink;
  CatalogueSession session(season_folder, kSeason, sink);
  session.SelectYear(year);
  std::vector<BuildTick> build;
  LoadCatalogueSettings(season_folder, &build);
  session.model().ApplyBuildTicks(build);
  const CatalogueModel& model = session.model();

  std::vector<std::string> lines = Split(csv, "\r\n");
  ASSERT_EQ(lines.back(), "");
  lines.pop_back();
  ASSERT_EQ(lines.size(), model.row_count() + 1);
  std::vector<std::string> header = Split(lines[0], ";");
  ASSERT_EQ(header.size(), size_t{kCatalogueColumnCount} + 1);
  EXPECT_EQ(header[kColumnArea],
            "Fl\xE4"
            "che");
  EXPECT_EQ(header.back(), "gebaut");
  int ticked = 0;
  for (size_t row = 0; row < model.row_count(); ++row) {
    const std::vector<std::string> cells = CsvCells(lines[row + 1]);
    ASSERT_EQ(cells.size(), header.size()) << lines[row + 1];
    for (int c = 0; c < kCatalogueColumnCount; ++c) {
      std::string expected = model.CellText(row, c);
      if (CatalogueColumnOf(c).thousands) {
        std::erase(expected, '.');
        // Whole numbers a spreadsheet reads as such.
        EXPECT_EQ(cells[static_cast<size_t>(c)].find_first_not_of("-0123456789"), std::string::npos)
            << cells[static_cast<size_t>(c)];
      } else if (c != kColumnName) {
        std::replace(expected.begin(), expected.end(), '.', ',');  // the sheet's decimal comma
      }
      EXPECT_EQ(cells[static_cast<size_t>(c)], expected) << "row " << row << " column " << c;
    }
    EXPECT_EQ(cells.back(), model.IsTicked(row) ? "x" : "");
    ticked += model.IsTicked(row);
  }
  EXPECT_GT(ticked, 0);
}

TEST_F(WuntExport, CatalogueRowsAreTheWindowsRows) {
  const fs::path data_dir = *root_ / "Catalogue";
  fs::create_directories(data_dir);
  fs::copy(data() / "7", data_dir / "7", fs::copy_options::recursive);
  const fs::path season_folder = data_dir / "7";
  // Settings the user changed: a category hidden, a term off, a weight,
  // and a building list.
  CatalogueSettings settings;
  settings.SetCategoryBit(1, false);
  settings.terms &= ~(1 << kTermGround);
  settings.SetSpin(kSpinLifetime, 7);
  std::vector<BuildTick> build;
  {
    SilentMessageSink sink;
    CatalogueSession session(season_folder, kSeason, sink);
    for (size_t i = 0; i < session.model().entries().size(); i += 5) {
      const CatalogueEntry& e = session.model().entries()[i];
      build.push_back({e.id, e.category, e.variant});
    }
  }
  ASSERT_TRUE(SaveCatalogueSettings(season_folder, settings, build));
  // A name that must be escaped on the page.
  const fs::path attractions = season_folder / "1993" / "Attraction.ini";
  std::string text = ReadWholeFile(attractions).value_or("");
  SilentMessageSink sink;
  const std::string first_name =
      CatalogueSession(season_folder, kSeason, sink).model().EntryAt(0).name;
  ASSERT_NE(text.find(first_name), std::string::npos);
  ASSERT_TRUE(WriteFileAtomically(attractions, ReplaceAll(text, first_name, "Bahn <1> & \"2\"")));

  const std::string common = "--data " + data_dir.string() + " --season 7 --catalogue ";
  for (int32_t year : {1990, 1993, 1995}) {
    SCOPED_TRACE(year);
    const fs::path csv = *root_ / "catalogue.csv";
    const Run run =
        Export(common + "--year " + std::to_string(year) + " --csv --out " + csv.string());
    ASSERT_EQ(run.code, 0) << run.err;
    ExpectCatalogueRows(season_folder, year, ReadWholeFile(csv).value_or(""));
  }

  const fs::path page = *root_ / "catalogue.htm";
  ASSERT_EQ(Export(common + "--year 1993 --out " + page.string()).code, 0);
  const std::string html = ReadWholeFile(page).value_or("");
  CatalogueSession session(season_folder, kSeason, sink);
  session.SelectYear(1993);
  const CatalogueModel& model = session.model();
  const std::vector<std::string> rows = Split(html, "<tr>");
  ASSERT_EQ(rows.size(), model.row_count() + 2);  // text before, header
  for (size_t row = 0; row < model.row_count(); ++row) {
    const std::string name = model.CellText(row, kColumnName);
    const std::string escaped =
        name == "Bahn <1> & \"2\"" ? "Bahn &lt;1&gt; &amp; &quot;2&quot;" : name;
    EXPECT_TRUE(rows[row + 2].starts_with("<td>" + escaped + "</td><td>" +
                                          model.CellText(row, kColumnTotal) + "</td>"))
        << rows[row + 2];
  }
  EXPECT_NE(html.find("Bahn &lt;1&gt;"), std::string::npos);
}

// The park the request road shows for content "Park": what the window's
// park plan is opened with.
ParkPlanRequest ParkRow(const fs::path& data_dir, int32_t id, int32_t from, int32_t to) {
  RequestState state;
  state.data_dir = data_dir;
  SilentMessageSink sink;
  EXPECT_TRUE(LoadRequestSeason(state, kSeason, ContentKind::kPark, sink));
  EXPECT_TRUE(ApplyRequestSpan(state, 0, from, to, false, SourceKind::kParks));
  EXPECT_TRUE(state.selection().AddId(id));
  EXPECT_TRUE(ApplyRequestSelection(state, 0));
  if (state.table.rows.empty()) return {};
  const ResultRow& row = state.table.rows.front();
  return {state.season_folder(), row.id, row.name, row.first_year, row.last_year};
}

TEST_F(WuntExport, ParkPlansAreTheModelsPlansNamedAsTheWindowNamesThem) {
  // The park that opened last among those of the season's end: a span
  // that starts after the season's first year.
  RequestState state;
  state.data_dir = data();
  SilentMessageSink sink;
  ASSERT_TRUE(LoadRequestSeason(state, kSeason, ContentKind::kPark, sink));
  ASSERT_TRUE(ApplyRequestSpan(state, 0, 1990, 1995, false, SourceKind::kParks));
  int32_t id = 0;
  int32_t opened = 0;
  for (const ValueRecord& record : state.lists.parks) {
    if (record.first_year > opened && record.last_year == 1995) {
      opened = record.first_year;
      id = record.id;
    }
  }
  ASSERT_GT(opened, 1990);

  struct Case {
    std::string args;
    int32_t from;
    int32_t to;
    PlanFileFormat format;
  };
  const Case cases[] = {
      {"--format bmp", 1990, 1995, {PlanFormat::kBmp, 0}},
      {"--from 1994 --to 1995 --format png", 1994, 1995, {PlanFormat::kPng, 0}},
      {"--from 1995 --to 1995 --format jpg:30", 1995, 1995, {PlanFormat::kJpeg, 30}},
      {"--from 1995 --to 1995 --format jpg", 1995, 1995, {PlanFormat::kJpeg, 100}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const fs::path folder = *root_ / ("plans" + std::to_string(n++)) / "new";
    const Run run = Export(Common() + "--park-plan " + std::to_string(id) + " " + c.args +
                           " --out " + folder.string());
    ASSERT_EQ(run.code, 0) << run.err;

    const ParkPlanRequest request = ParkRow(data(), id, c.from, c.to);
    ASSERT_EQ(request.first_year, std::max(c.from, opened));
    const std::optional<ParkPlans> plans = ParkPlans::Load(request);
    ASSERT_TRUE(plans);
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) files += entry.is_regular_file();
    EXPECT_EQ(files, static_cast<size_t>(request.last_year - request.first_year + 1));
    for (int32_t year = request.first_year; year <= request.last_year; ++year) {
      RasterImage plan;
      ASSERT_TRUE(plans->Draw(year, plan));
      const std::optional<std::string> bytes =
          ReadWholeFile(folder / PlanFileName(request.park_name, year, c.format.format));
      ASSERT_TRUE(bytes) << year;
      const std::optional<RasterImage> written = DecodeImage(*bytes);
      ASSERT_TRUE(written);
      EXPECT_EQ(written->width(), kPlanWidth);
      EXPECT_EQ(written->height(), kPlanHeight);
      switch (c.format.format) {
        case PlanFormat::kJpeg:
          EXPECT_EQ(*bytes, EncodeJpeg(plan, c.format.quality)) << year;
          break;
        default:
          EXPECT_TRUE(*written == plan) << year;
          break;
      }
    }
  }
}

// The request of the diagram cases, down the wizard's road.
struct DiagramCase {
  std::string args;
  ContentKind content_kind;
  size_t calculation;  // position in the list
  int32_t from;
  int32_t to;
  int auto_choice;
  std::vector<std::pair<DiagramField, std::string>> typed;
  std::optional<int32_t> grid_lines;
  bool png;
};

// The picture the tab's drawing gives for the case; `painting` measures and
// paints (the export's own, or the plain raster one without texts).
RasterImage ExpectedDiagram(const fs::path& data_dir, const DiagramCase& c,
                            const DiagramPainting& painting) {
  RequestState state;
  state.data_dir = data_dir;
  SilentMessageSink sink;
  EXPECT_TRUE(LoadRequestSeason(state, kSeason, c.content_kind, sink));
  EXPECT_TRUE(ApplyRequestSpan(state, c.calculation, c.from, c.to, false, SourceKind::kParks));
  if (c.auto_choice == 0) state.selection().AddAll();
  EXPECT_TRUE(ApplyRequestSelection(state, c.auto_choice));
  DiagramForm form;
  form.Show(DiagramDataFromTable(state.table, RequestTableView(state), state.calculation),
            painting.measure);
  for (const auto& [field, text] : c.typed) {
    form.SetText(field, text);
    form.Leave(field);
  }
  if (c.grid_lines) form.SetGridLines(*c.grid_lines);
  return painting.paint(
      DrawDiagram(form.ForDrawing(), form.data(), state.colors, painting.measure));
}

TEST_F(WuntExport, DiagramIsThePaintersPictureOfTheRequest) {
  const std::string wert = "--content wert --calc 1 --from 1991 --to 1995 --source parks ";
  const DiagramCase cases[] = {
      {wert + "--first 5", ContentKind::kValue, 0, 1991, 1995, 5, {}, std::nullopt, false},
      {"--content jahr --calc 8 --to 1994 --source parks --all",
       ContentKind::kYear,
       0,
       1994,
       1994,
       0,
       {},
       std::nullopt,
       true},
      // Coupled fields: the one typed last wins.
      {wert + "--first 5 --plot-width 400 --column-width 30 --grid-lines 3 --max 3000000",
       ContentKind::kValue,
       0,
       1991,
       1995,
       5,
       {{DiagramField::kPlotWidth, "400"},
        {DiagramField::kColumnWidth, "30"},
        {DiagramField::kMaximum, "3000000"}},
       3,
       false},
      {wert + "--first 5 --column-width 30 --plot-width 400 --max 3000000 --min -1000000 "
              "--plot-height 90 --left-margin 5 --bottom-margin 0",
       ContentKind::kValue,
       0,
       1991,
       1995,
       5,
       {{DiagramField::kColumnWidth, "30"},
        {DiagramField::kPlotWidth, "400"},
        {DiagramField::kMaximum, "3000000"},
        {DiagramField::kMinimum, "-1000000"},
        {DiagramField::kPlotHeight, "90"},
        {DiagramField::kLeftMargin, "5"},
        {DiagramField::kBottomMargin, "0"}},
       std::nullopt,
       true},
  };
  const DiagramPainting painting = ExportDiagramPainting();
  std::vector<std::string> pictures;
  for (const DiagramCase& c : cases) {
    SCOPED_TRACE(c.args);
    const fs::path file = *root_ / (c.png ? "diagram.PNG" : "diagram.bmp");
    const fs::path page = *root_ / "with-diagram.htm";
    fs::remove(page);
    // The third case also writes the page beside the picture.
    const bool with_page = pictures.size() == 2;
    const Run run = Export(Common() + c.args + " --diagram " + file.string() +
                           (with_page ? " --out " + page.string() : ""));
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(fs::exists(page), with_page);
    const std::string bytes = ReadWholeFile(file).value_or("");
    EXPECT_EQ(DetectImageFormat(bytes), c.png ? ImageFormat::kPng : ImageFormat::kBmp);
    const RasterImage expected = ExpectedDiagram(data(), c, painting);
    EXPECT_TRUE(bytes == (c.png ? EncodePng(expected) : EncodeBmp(expected)));
    pictures.push_back(bytes);
    if (painting.texts) {
      // Texts drawn: the picture is more than its lines and boxes.
      const RasterImage bare = ExpectedDiagram(
          data(), c, {.measure = painting.measure, .paint = PaintDiagram, .texts = false});
      EXPECT_FALSE(bare == expected);
    }
  }
  // The typed fields changed the picture.
  EXPECT_NE(pictures[0], pictures[2]);
  EXPECT_NE(DecodeImage(pictures[2])->width(), DecodeImage(pictures[3])->width());
}

TEST_F(WuntExport, BadAttractionAndDiagramRequestsExitWithCodeTwo) {
  // A season without a picture index has no plans.
  const fs::path bare = *root_ / "NoIndex";
  fs::create_directories(bare);
  fs::copy(data() / "7", bare / "7", fs::copy_options::recursive);
  fs::remove(bare / "7" / "ImageStore.ini");
  const fs::path file = *root_ / "a-file";
  ASSERT_TRUE(WriteFileAtomically(file, "x"));

  const fs::path out = *root_ / "bad-out";
  const std::string cat = Common() + "--catalogue ";
  RequestState state;
  state.data_dir = data();
  SilentMessageSink sink;
  ASSERT_TRUE(LoadRequestSeason(state, kSeason, ContentKind::kPark, sink));
  ASSERT_TRUE(ApplyRequestSpan(state, 0, 1990, 1995, false, SourceKind::kParks));
  const std::string park =
      Common() + "--park-plan " + std::to_string(state.selection().available().front().id) + " ";
  const std::string ranking =
      Common() + "--content wert --calc 1 --from 1991 --to 1995 --source parks --first 5 ";
  struct Case {
    std::string args;
    const char* message;
  };
  const Case cases[] = {
      {cat + "--out " + out.string(), "--year fehlt"},
      {cat + "--year 1995", "--out fehlt"},
      {cat + "--year 1989 --out " + out.string(), "Spieljahr 1989 gibt es in Runde 7 nicht"},
      {cat + "--year 1995 --content wert --out " + out.string(), "--content passt nicht zu"},
      {cat + "--year 1995 --park-plan 1 --out " + out.string(), "--park-plan passt nicht zu"},
      {Common() + "--park-plan 424242 --format png --out " + out.string(),
       "einen Park 424242 gibt es in Runde 7"},
      {park + "--format gif --out " + out.string(), "--format will jpg"},
      {park + "--format jpg:101 --out " + out.string(), "von 0 bis 100, nicht \"101\""},
      {park + "--format jpg:-1 --out " + out.string(), "von 0 bis 100"},
      {park + "--format jpg: --out " + out.string(), "von 0 bis 100"},
      {park + "--out " + out.string(), "--format fehlt"},
      {park + "--format png", "--out fehlt"},
      {park + "--format png --out " + file.string(), "ist kein Ordner"},
      {park + "--format png --out " + (file / "sub").string(), "kann nicht angelegt werden"},
      {park + "--from 1994 --to 1993 --format png --out " + out.string(), "--from liegt nach --to"},
      {park + "--from 1980 --format png --out " + out.string(), "Spieljahre 1990 bis 1995"},
      {park + "--year 1995 --format png --out " + out.string(), "--year passt nicht zu"},
      {"--data " + bare.string() + " --season 7 " + park.substr(Common().size()) +
           "--format png --out " + out.string(),
       "ImageStore.ini fehlt"},
      {ranking + "--diagram " + out.string() + ".gif", "muss auf .bmp oder .png enden"},
      {ranking + "--diagram " + out.string() + ".bmp --plot-width 0", "--plot-width will"},
      {ranking + "--diagram " + out.string() + ".bmp --grid-lines 1000", "--grid-lines will"},
      {ranking + "--diagram " + out.string() + ".bmp --max 5 --min 10", "--max 5 muss"},
      // Checked before drawing, and before the page is written.
      {ranking + "--out " + out.string() + " --diagram " + out.string() +
           ".bmp --plot-width 8000 --plot-height 8000",
       "h\xc3\xb6"
       "chstens 40.000.000 Pixel"},
      {ranking + "--out " + out.string() + " --plot-width 300", "gilt nur mit --diagram"},
      {ranking + "--out " + out.string() + " --year 1995", "gilt nur mit --catalogue"},
  };
  for (const Case& c : cases) {
    const Run run = Export(c.args);
    EXPECT_EQ(run.code, 2) << c.args;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << "\n" << run.err;
  }
  EXPECT_FALSE(fs::exists(out));
  EXPECT_FALSE(fs::exists(out.string() + ".bmp"));
}

}  // namespace
}  // namespace wunt
