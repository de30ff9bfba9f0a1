// wunt-export end to end on a demo season: the page it writes is the page
// the Viewer's request road gives, and every bad request ends with code 2.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/server_config.h"
#include "common/text.h"
#include "tools/support/demo_season.h"
#include "viewer/report/html_writer.h"
#include "viewer/ui/request.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

const fs::path kTool = fs::path(WUNT_BINARY_DIR) / "tools" / "wunt-export";
constexpr int32_t kSeason = 7;

// Sanitizers multiply memory; peak figures mean nothing under them.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

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
    options.pictures = false;
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
      {Common() + wert + "--source parks --first 5", "--out is missing"},
      {Common() + wert + "--source parks" + out, "exactly one of"},
      {Common() + wert + "--source parks --first 5 --all" + out, "exactly one of"},
      {Common() + wert + "--source parks --first 21" + out, "--first wants"},
      {Common() + wert + "--source towns --all" + out, "--source wants one of"},
      {Common() + wert + "--source parks --all --bogus 1" + out, "unknown option"},
      {Common() + wert + "--source countries --first 3" + out, "--first and --last"},
      {Common() + wert + "--source parks --ids 1,x" + out, "--ids wants"},
      {Common() + wert + "--source parks --ids 424242" + out, "no entity 424242"},
      {Common() + "--content wert --calc 1 --from 1995 --to 1991 --source parks --all" + out,
       "--from lies after --to"},
      {Common() + "--content wert --calc 1 --from 1980 --to 1991 --source parks --all" + out,
       "game years 1990 to 1995"},
      {Common() + "--content wert --calc 77 --from 1991 --to 1995 --source parks --all" + out,
       "calculation 77"},
      {Common() + "--content jahr --calc 1 --to 1995 --source parks --all" + out, "calculation 1"},
      {Common() + "--content park --calc 7 --from 1991 --to 1995 --source parks --all" + out,
       "--content park shows one entity"},
      {Common() + "--content jahr --calc 8 --to 1995 --source parks --all --vanished" + out,
       "--vanished"},
      {"--data " + data().string() + " --season 8 " + wert + "--source parks --all" + out,
       "no season 8"},
      {"--data " + bare.string() + " --season 7 " + wert + "--source countries --all" + out,
       "the selection is empty"},
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
       {"game years 1990 to 1995"}},
      {"no Datafields.txt",
       [](const fs::path& s) { fs::remove(s / "Datafields.txt"); },
       wert,
       2,
       {"Datafields.txt", "fehlt oder kann nicht gelesen werden", "cannot be used"}},
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
       {"SaveData.ini is missing or unreadable"}},
      {"one damaged file repeats one message",
       [](const fs::path& s) {
         std::string park = "[1]\r\n0 = 1\r\n";
         for (int i = 0; i < 150; ++i) park += "999 = x\r\n";
         WriteFileAtomically(s / "1990" / "Park.ini", park);
       },
       wert,
       0,
       {"Variable unbekannt! (100 times)"}},
      {"a format that would pad a cell without end",
       [&](const fs::path& s) {
         const std::string text = ReadWholeFile(s / "SaveData.ini").value_or("");
         WriteFileAtomically(s / "SaveData.ini",
                             "[99_Calculation]\r\nName = Riesig\r\n" + huge_format + text);
       },
       "--content wert --calc 99 --from 1990 --to 1995 --source parks --all",
       0,
       {}},
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
       {"--data", "--season", "--content", "--calc", "--from", "--to", "--source", "--ids",
        "--first", "--last", "--all", "--vanished", "--sort", "--csv", "--out", "Exit codes"}) {
    EXPECT_NE(text.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace wunt
