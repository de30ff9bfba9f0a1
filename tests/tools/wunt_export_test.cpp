// wunt-export end to end on a demo season: the page it writes is the page
// the Viewer's request road gives, and every bad request ends with code 2.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/file_util.h"
#include "common/server_config.h"
#include "tools/support/demo_season.h"
#include "viewer/report/html_writer.h"
#include "viewer/ui/request.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

const fs::path kTool = fs::path(WUNT_BINARY_DIR) / "tools" / "wunt-export";
constexpr int32_t kSeason = 7;

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
  };
  // Runs the tool with `args` (already quoted where needed).
  static Run Export(const std::string& args) {
    const fs::path err = *root_ / "stderr.txt";
    const std::string command = kTool.string() + " " + args + " >/dev/null 2>" + err.string();
    const int status = std::system(command.c_str());
    Run run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
