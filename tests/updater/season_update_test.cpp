#include "updater/season_update.h"

#include <gtest/gtest.h>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/text.h"
#include "tools/support/update_server.h"
#include "updater/updater_run.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

fs::path FreshFolder(const std::string& name) {
  fs::path folder = fs::path(WUNT_BINARY_DIR) / "updater_cli_test" / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

TEST(ParseYearList, TakesWholeFourDigitTokens) {
  using Years = std::vector<std::string>;
  const std::pair<std::string, Years> cases[] = {
      {"19701971\r\n", {"1970", "1971"}},
      {"19701971", {"1970", "1971"}},
      {"1970197", {"1970"}},
      {"<html>1970", {}},
      {"", {}},
      {"1970abcd1971", {"1970"}},
      // Begins with a digit but would name a folder elsewhere: skipped.
      {"19701/..1971", {"1970", "1971"}},
      {"19701\\..1971", {"1970", "1971"}},
      {"1970 1971", {"1970"}},
  };
  for (const auto& [body, years] : cases) EXPECT_EQ(ParseYearList(body), years) << body;
}

// The same years whatever pieces the body arrives in; repeats count once.
TEST(YearListReader, PiecesAndRepeatsGiveTheSameYears) {
  const std::string body = "1972197019721971197019701972x1973";
  const std::vector<std::string> expected = {"1972", "1970", "1971"};
  for (size_t piece : {1u, 3u, 4u, 5u, 7u, 64u}) {
    YearListReader reader;
    for (size_t at = 0; at < body.size(); at += piece) reader.Feed(body.substr(at, piece));
    EXPECT_EQ(reader.years(), expected) << piece;
    EXPECT_EQ(reader.bytes(), static_cast<int64_t>(body.size()));
  }
}

TEST(YearListReader, AHugeRepeatedListStaysOneYear) {
  YearListReader reader;
  const std::string piece(1 << 20, '0');  // "0000" over and over
  for (int i = 0; i < 64; ++i) reader.Feed(piece);
  EXPECT_EQ(reader.years(), (std::vector<std::string>{"0000"}));
}

TEST(FindMissingYears, AYearWhosePicturesAreNotAllIndexedIsResumed) {
  fs::path season = FreshFolder("missing_pictures");
  for (const char* year : {"1980", "1981"}) {
    fs::create_directories(season / year / "Images");
    WriteFileAtomically(season / year / "Park.ini", "");
    WriteFileAtomically(season / year / "Attraction.ini",
                        std::string("[1]\r\n21 = bilder/") + year + ".jpg\r\n");
  }
  WriteFileAtomically(season / "ImageStore.ini", "bilder/1980.jpg = 1980\\Images\\1.jpg\r\n");
  MissingYears missing = FindMissingYears(season, {"1980", "1981"});
  EXPECT_TRUE(missing.data.empty());
  EXPECT_EQ(missing.images, (std::vector<std::string>{"1981"}));
}

TEST(FindMissingYears, SortsAndSplitsByDataAndPictures) {
  fs::path season = FreshFolder("missing");
  fs::create_directories(season / "1971");
  WriteFileAtomically(season / "1971" / "Park.ini", "");
  fs::create_directories(season / "1972" / "Images");
  fs::create_directories(season / "1973" / "Images");
  WriteFileAtomically(season / "1973" / "Park.ini", "");
  fs::create_directories(season / "1974");
  // Only a regular Park.ini marks a year as downloaded.
  fs::create_directories(season / "1975" / "Park.ini");
  fs::create_directories(season / "1975" / "Images");
  fs::create_directories(season / "1976" / "Images");
  fs::create_symlink(season / "1971" / "Park.ini", season / "1976" / "Park.ini");
  MissingYears missing =
      FindMissingYears(season, {"1974", "1973", "1972", "1971", "1970", "1974", "1975", "1976"});
  EXPECT_EQ(missing.data, (std::vector<std::string>{"1970", "1972", "1974", "1975", "1976"}));
  EXPECT_EQ(missing.images, (std::vector<std::string>{"1970", "1971", "1974"}));
}

// A tiny season served in-process: two years whose attractions name one
// picture the server has and one it does not.
class SeasonUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(data_ / "7");
    Serve(UpdateServerOptions{});
    options_.data_folder = data_;
  }

  // `more` further pictures per year, all on the server, named p0.jpg, ...
  void Serve(UpdateServerOptions server_options, int more = 0) {
    ServedSeason season;
    season.season = "7";
    season.years = {"1970", "1971"};
    std::string attractions = "[3]\r\n21 = bilder/a.jpg\r\n[4]\r\n21 = bilder/gone.jpg\r\n";
    for (int i = 0; i < more; ++i) {
      std::string path = "bilder/p" + std::to_string(i) + ".jpg";
      attractions += "[" + std::to_string(10 + i) + "]\r\n21 = " + path + "\r\n";
      season.pictures[path] = "picture " + path;
    }
    for (const std::string& year : season.years) {
      const std::string files[3] = {"[1]\r\n1 = Park " + year + "\r\n", "[2]\r\n1 = Firma\r\n",
                                    attractions};
      season.archives[year] = BuildGameYearArchive(files, {1});
    }
    season.pictures["bilder/a.jpg"] = "picture bytes";
    server_ = std::make_unique<UpdateServer>(std::move(season), std::move(server_options));
    ASSERT_TRUE(server_->Start("127.0.0.1", 0, nullptr));
    options_.servers.update_host = options_.servers.game_host = "127.0.0.1";
    options_.servers.update_port = options_.servers.game_port = server_->port();
  }

  // The bytes the season's index names for a picture path.
  std::optional<std::string> StoredPicture(const std::string& path) const {
    IniFile index;
    if (!index.OpenIni(data_ / "7" / "ImageStore.ini")) return std::nullopt;
    index.SelectGroup("");
    return ReadWholeFile(data_ / "7" / ReplaceAll(index.ReadString(path, ""), "\\", "/"));
  }

  int Requests(std::string_view part) const {
    int n = 0;
    for (const std::string& line : server_->log()) n += line.find(part) != line.npos;
    return n;
  }

  fs::path data_;
  std::unique_ptr<UpdateServer> server_;
  SeasonUpdateOptions options_;
  RecordingLineWriter out_;
};

TEST_F(SeasonUpdateTest, ErrorPagesAreNotStoredAsPictures) {
  // The server's 404 for the unknown picture settles it: the years complete.
  EXPECT_EQ(UpdateSeason(7, true, true, options_, out_), SeasonUpdateOutcome::kReady);
  EXPECT_EQ(out_.lines().back(), "Ready 1970 1971|1970|1971");
  EXPECT_EQ(StoredPicture("bilder/a.jpg"), "picture bytes");
  IniFile index;
  ASSERT_TRUE(index.OpenIni(data_ / "7" / "ImageStore.ini"));
  index.SelectGroup("");
  EXPECT_EQ(index.ReadString("bilder/gone.jpg", "none"), "none");
  // Each picture was asked for once in the season, the unknown one too.
  int gone = 0;
  int found = 0;
  for (const std::string& line : server_->log()) {
    gone += line.find("gone.jpg") != line.npos;
    found += line.find("a.jpg") != line.npos;
  }
  EXPECT_EQ(gone, 1);
  EXPECT_EQ(found, 1);
  // No downloaded archive is left behind.
  for (const fs::directory_entry& entry : fs::directory_iterator(data_)) {
    EXPECT_EQ(entry.path().filename(), "7");
  }
}

TEST_F(SeasonUpdateTest, CancelBeforeTheFirstYearLoadsNothing) {
  std::atomic<bool> cancel{true};
  options_.cancel = &cancel;
  EXPECT_EQ(UpdateSeason(7, true, true, options_, out_), SeasonUpdateOutcome::kCancelled);
  EXPECT_EQ(out_.lines(), (std::vector<std::string>{"Step 1", "Cancle"}));
  EXPECT_FALSE(fs::exists(data_ / "7" / "1970"));
}

// The next year is fetched while one is synced; a cancel once the first year
// is in drops it whole, however far it got: no folder, no temporary file.
TEST_F(SeasonUpdateTest, CancelAfterAYearDropsTheYearFetchedAhead) {
  class CancelOnFirstYear : public RecordingLineWriter {
   public:
    std::atomic<bool> cancel{false};

   protected:
    void Emit(std::string_view line) override {
      RecordingLineWriter::Emit(line);
      if (line == ProgressLine(500) + "\n") cancel = true;
    }
  } out;
  options_.cancel = &out.cancel;
  EXPECT_EQ(UpdateSeason(7, true, false, options_, out), SeasonUpdateOutcome::kCancelled);
  EXPECT_EQ(out.lines(),
            (std::vector<std::string>{"Step 1", "Step 2", ProgressLine(500), "Cancle"}));
  EXPECT_TRUE(fs::exists(data_ / "7" / "1970" / "Park.ini"));
  EXPECT_FALSE(fs::exists(data_ / "7" / "1971"));
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(data_)) {
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

// A year's pictures come while the next year's data loads. A cancel then
// ends the run as a cancel in step 2 does: step 3's lines, held back until
// step 2 is over, never appear, and the pictures already fetched are kept
// and named.
TEST_F(SeasonUpdateTest, PicturesComeWhileTheNextYearLoads) {
  std::atomic<bool> cancel{false};
  UpdateServerOptions stall;
  stall.faults = {{ServerFaultKind::kStall, "1971", 0}};
  stall.stall_ms = 5000;
  stall.on_request = [&cancel](const std::string& line) {
    if (line.find("a.jpg") != line.npos) cancel = true;
  };
  Serve(stall);
  options_.cancel = &cancel;
  EXPECT_EQ(UpdateSeason(7, true, true, options_, out_), SeasonUpdateOutcome::kCancelled);
  EXPECT_EQ(out_.lines(),
            (std::vector<std::string>{"Step 1", "Step 2", ProgressLine(500), "Cancle"}));
  EXPECT_FALSE(fs::exists(data_ / "7" / "1971"));
  EXPECT_EQ(StoredPicture("bilder/a.jpg"), "picture bytes");
}

// A player's first season: no folder, not even Data.
TEST_F(SeasonUpdateTest, AMissingSeasonFolderIsMadeForTheFirstSeason) {
  fs::remove_all(data_);
  EXPECT_EQ(UpdateSeason(7, true, true, options_, out_), SeasonUpdateOutcome::kReady);
  EXPECT_EQ(out_.lines().back(), "Ready 1970 1971|1970|1971");
  EXPECT_TRUE(fs::exists(data_ / "7" / "1971" / "Park.ini"));
}

TEST_F(SeasonUpdateTest, UnknownSeasonAnswersWithTheServerError) {
  EXPECT_EQ(UpdateSeason(8, true, true, options_, out_), SeasonUpdateOutcome::kFailed);
  EXPECT_EQ(out_.lines(), (std::vector<std::string>{"Step 1", kErrorServerUnreachable}));
}

// A run that stops asking a server, or stops writing, says why behind the
// years that failed; nothing is asked or written after the stop.
TEST_F(SeasonUpdateTest, AStoppedRunNamesItsCause) {
  const std::vector<std::string> both = {"1970", "1971"};
  {
    SCOPED_TRACE("disk at its reserve");
    options_.free_space = [] { return std::optional<uint64_t>(kDiskReserveBytes); };
    EXPECT_EQ(UpdateSeason(7, true, true, options_, out_), SeasonUpdateOutcome::kFailed);
    EXPECT_EQ(out_.lines().back(),
              FailedYearsLine(both, both, {}, {}) + " " + DiskReserveReason(kDiskReserveBytes));
    EXPECT_EQ(Requests("WUNT2_7/"), 1);
    EXPECT_FALSE(fs::exists(data_ / "7" / "1970"));
    options_.free_space = nullptr;
  }
  {
    SCOPED_TRACE("archive below the minimum rate");
    UpdateServerOptions trickle;
    trickle.faults = {{ServerFaultKind::kTrickle, "archive", 0}};
    trickle.trickle_ms = 50;
    Serve(trickle);
    options_.http.rate_window_ms = 1000;
    RecordingLineWriter out;
    EXPECT_EQ(UpdateSeason(7, true, false, options_, out), SeasonUpdateOutcome::kFailed);
    EXPECT_EQ(out.lines().back(),
              FailedYearsLine(both, {}, {}, {}) + " " + TooSlowReason(Server::kUpdate, 1024, 1000));
    EXPECT_EQ(Requests("WUNT2_7/"), 1);
  }
  {
    SCOPED_TRACE("pictures failing in a row");
    UpdateServerOptions drop;
    drop.faults = {{ServerFaultKind::kDrop, "picture", 0}};
    Serve(drop, 10);
    RecordingLineWriter out;
    EXPECT_EQ(UpdateSeason(7, true, true, options_, out), SeasonUpdateOutcome::kFailed);
    EXPECT_EQ(out.lines().back(),
              FailedYearsLine({}, both, both, {}) + " " + FailedInARowReason(Server::kGame, 8));
    // a.jpg and p0 to p7 fail; "not found" for gone.jpg breaks no run.
    EXPECT_EQ(Requests("p7.jpg"), 1);
    EXPECT_EQ(Requests("p8.jpg"), 0);
  }
  {
    SCOPED_TRACE("archives failing year after year");
    UpdateServerOptions refuse;
    refuse.faults = {{ServerFaultKind::kRefuse, "archive", 0}};
    Serve(refuse);
    for (const std::string& year : both) fs::remove_all(data_ / "7" / year);
    options_.year_failure_streak = 1;
    RecordingLineWriter out;
    EXPECT_EQ(UpdateSeason(7, true, false, options_, out), SeasonUpdateOutcome::kFailed);
    EXPECT_EQ(out.lines().back(),
              FailedYearsLine(both, {}, {}, {}) + " " + FailedInARowReason(Server::kUpdate, 1));
    EXPECT_EQ(Requests("WUNT2_7/1970"), 3);
    EXPECT_EQ(Requests("WUNT2_7/1971"), 0);
  }
  {
    SCOPED_TRACE("an archive over the bound of a game year");
    UpdateServerOptions huge;
    huge.faults = {{ServerFaultKind::kHuge, "1970", 0}};
    Serve(huge);
    for (const std::string& year : both) fs::remove_all(data_ / "7" / year);
    options_.year_failure_streak = kYearFailureStreak;
    RecordingLineWriter out;
    EXPECT_EQ(UpdateSeason(7, true, false, options_, out), SeasonUpdateOutcome::kFailed);
    EXPECT_EQ(out.lines().back(),
              FailedYearsLine({"1970"}, {}, {"1971"}, {}) + " " + TooLargeYearsReason({"1970"}));
    EXPECT_EQ(Requests("WUNT2_7/1970"), 1);
  }
  {
    // 1971's data is in; its pictures are fetched while 1970 is tried and
    // may be given up first.
    SCOPED_TRACE("both servers given up: the update server named first");
    UpdateServerOptions both_fail;
    both_fail.faults = {{ServerFaultKind::kRefuse, "archive", 0},
                        {ServerFaultKind::kDrop, "picture", 0}};
    Serve(both_fail);
    options_.year_failure_streak = 1;
    options_.picture_failure_streak = 1;
    RecordingLineWriter out;
    EXPECT_EQ(UpdateSeason(7, true, true, options_, out), SeasonUpdateOutcome::kFailed);
    EXPECT_EQ(out.lines().back(), FailedYearsLine({"1970"}, both, {}, {}) + " " +
                                      FailedInARowReason(Server::kUpdate, 1) + " " +
                                      FailedInARowReason(Server::kGame, 1));
  }
}

TEST(RunUpdaterCommand, AnswersEveryModeWithAClosingLine) {
  fs::path program = FreshFolder("run_command");
  const struct {
    const char* line;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"-r 7 Data", {}},
      {"-t 0", {kErrorUnsupported, kClosingLine}},
      {"-t 2 -r 7 Image Data", {kErrorUnsupported, kClosingLine}},
  };
  for (const auto& c : cases) {
    RecordingLineWriter out;
    RunUpdaterCommand(c.line, UpdaterEnvironment{program}, out);
    EXPECT_EQ(out.lines(), c.lines) << c.line;
  }
  EXPECT_FALSE(fs::exists(program / "Server.ini"));
  WriteFileAtomically(program / "Server.ini", "[Update]\r\nHost = 127.0.0.1\r\nPort = 1\r\n");
  RecordingLineWriter out;
  RunUpdaterCommand("-t 1 -r 7 Data", UpdaterEnvironment{program}, out);
  EXPECT_EQ(out.lines(),
            (std::vector<std::string>{"Step 1", kErrorServerUnreachable, kClosingLine}));
}

}  // namespace
}  // namespace wunt
