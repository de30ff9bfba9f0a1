// WUNT_Updater and update-server as the user runs them: both real programs
// as child processes on 127.0.0.1, a fresh program folder per test, every
// output line and every written file checked against the served season.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/raster_image.h"
#include "common/season_layout.h"
#include "common/season_pictures.h"
#include "common/text.h"
#include "tests/support/child_process.h"
#include "tests/support/sanitized.h"
#include "updater/game_year_archive.h"
#include "updater/image_store.h"
#include "updater/protocol.h"
#include "updater/stop_reasons.h"
#include "viewer/update/interrupted_run.h"
#include "viewer/update/updater_exchange.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using test::ChildProcess;

constexpr char kSeason[] = "7";
const std::vector<std::string> kYears = {"1990", "1991", "1992", "1993"};
const char* const kDataFiles[] = {"Park.ini", "Company.ini", "Attraction.ini"};
constexpr milliseconds kRunLimit(60000);

using test::kSanitized;

std::string Joined(const std::vector<std::string>& years, const char* separator) {
  std::string text;
  for (const std::string& year : years) text += separator + year;
  return text;
}

std::map<std::string, std::string> IndexEntries(const fs::path& file) {
  std::map<std::string, std::string> entries;
  IniFile ini;
  if (!ini.OpenIni(file)) return entries;
  for (const IniFile::Line& line : ini.lines()) {
    if (line.kind == IniFile::LineKind::kGroup) break;
    if (line.kind == IniFile::LineKind::kKey) {
      entries[std::string(line.name)] = std::string(TrimBlanks(line.value));
    }
  }
  return entries;
}

fs::path InSeason(const fs::path& season, const std::string& value) {
  return season / ReplaceAll(value, "\\", "/");
}

const FixedPictureSize* FixedSizeOf(const std::string& path) {
  for (const FixedPictureSize& row : kFixedPictureSizes) {
    if (path == row.path) return &row;
  }
  return nullptr;
}

// Every 50 x 50 cell shows the source's top-left corner; what the source
// does not cover stays black.
void ExpectTiled(const RasterImage& tiled, const RasterImage& source) {
  for (int y = 0; y < tiled.height(); ++y) {
    for (int x = 0; x < tiled.width(); ++x) {
      int sx = x % 50;
      int sy = y % 50;
      Rgb expected = sx < source.width() && sy < source.height() ? source.Pixel(sx, sy) : Rgb{};
      ASSERT_EQ(tiled.Pixel(x, y), expected) << "at " << x << "," << y;
    }
  }
}

std::vector<std::string> ProgressLines(size_t count) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < count; ++i) lines.push_back(ProgressLine(ProgressValue(i, count)));
  return lines;
}

class UpdaterEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(WUNT_BINARY_DIR) / "e2e" /
            (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
             std::to_string(getpid()));
    source_ = root_ / "source";
    program_ = root_ / "program";
    fs::remove_all(root_);
    fs::create_directories(program_ / "Data");
    fs::copy_file(WUNT_UPDATER_PATH, program_ / "WUNT_Updater");
  }

  void TearDown() override {
    server_.Terminate();
    if (!HasFailure()) fs::remove_all(root_);
  }

  // A four-year demo season served with the given faults; the program
  // folder gets the season's own files and a Server.ini pointing there.
  void StartServer(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {WUNT_UPDATE_SERVER_PATH,
                                     "--data",
                                     source_.string(),
                                     "--season",
                                     kSeason,
                                     "--demo",
                                     "--years",
                                     "4",
                                     "--parks",
                                     "40",
                                     "--port",
                                     "0",
                                     "--copy-base-to",
                                     (program_ / "Data").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    ASSERT_TRUE(server_.Start(args));
    std::optional<std::string> listening = server_.ReadLine(milliseconds(60000));
    ASSERT_TRUE(listening.has_value());
    ASSERT_EQ(listening->rfind("Listening on 127.0.0.1:", 0), 0u) << *listening;
    WriteServerIni(static_cast<int>(LeadingDecimal(listening->substr(23))));
  }

  void WriteServerIni(int port) {
    std::string text = "[Update]\r\nHost = 127.0.0.1\r\nPort = " + std::to_string(port) +
                       "\r\n[Game]\r\nHost = 127.0.0.1\r\nPort = " + std::to_string(port) + "\r\n";
    ASSERT_TRUE(WriteFileAtomically(program_ / "Server.ini", text));
  }

  void RestartServer(std::vector<std::string> extra = {}) {
    server_.Terminate();
    StartServer(std::move(extra));
  }

  // Runs the updater to its end with its input closed; with `cancel_after`
  // it writes "Cancle" once that line has come.
  std::vector<std::string> RunUpdater(std::vector<std::string> args,
                                      const std::string& cancel_after = "",
                                      const ChildProcess::Options& options = {}) {
    args.insert(args.begin(), (program_ / "WUNT_Updater").string());
    ChildProcess updater;
    EXPECT_TRUE(updater.Start(args, options));
    std::vector<std::string> lines;
    if (cancel_after.empty()) {
      updater.CloseInput();
    } else {
      while (auto line = updater.ReadLine(kRunLimit)) {
        lines.push_back(*line);
        if (*line == cancel_after) break;
      }
      updater.Write("Cancle\n");
    }
    for (std::string& line : updater.ReadRemainingLines(kRunLimit)) lines.push_back(line);
    EXPECT_EQ(updater.Wait(milliseconds(10000)), std::optional<int>(0));
    peak_rss_kib_ = updater.peak_rss_kib();
    bytes_written_ = updater.bytes_written();
    return lines;
  }

  // The lines with the step-1 ticker taken out, after checking that it
  // counted 16, 32, ... from the start.
  static std::vector<std::string> WithoutTicker(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    bool in_step1 = false;
    int value = 0;
    for (const std::string& line : lines) {
      if (in_step1 && line.rfind("Progress ", 0) == 0) {
        value = ProgressTicker::NextValue(value);
        EXPECT_EQ(line, ProgressLine(value));
        continue;
      }
      in_step1 = line == "Step 1";
      kept.push_back(line);
    }
    return kept;
  }

  void ExpectCancelWithinASecond();

  fs::path SourceSeason() const { return source_ / kSeason; }
  fs::path LocalSeason() const { return program_ / "Data" / kSeason; }

  // Years with data are exactly `loaded`, byte for byte; no year without
  // Park.ini has it, nothing half-written is left anywhere.
  void ExpectData(const std::vector<std::string>& loaded) {
    for (const std::string& year : kYears) {
      bool wanted = std::find(loaded.begin(), loaded.end(), year) != loaded.end();
      fs::path park = LocalSeason() / year / "Park.ini";
      ASSERT_EQ(fs::exists(park), wanted) << year;
      if (!wanted) continue;
      for (const char* file : kDataFiles) {
        EXPECT_EQ(ReadWholeFile(LocalSeason() / year / file),
                  ReadWholeFile(SourceSeason() / year / file))
            << year << "/" << file;
      }
    }
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(program_)) {
      std::string name = entry.path().filename().string();
      EXPECT_EQ(name.find(".tmp"), std::string::npos) << entry.path();
      EXPECT_EQ(name.find("_WUNT"), std::string::npos) << entry.path();
    }
  }

  // Every picture of the served season is indexed and stored as served,
  // in the same year; the fixed-size ones are tiled to their size.
  void ExpectPictures() {
    std::map<std::string, std::string> served = IndexEntries(SourceSeason() / kImageStoreFile);
    std::map<std::string, std::string> stored = IndexEntries(LocalSeason() / kImageStoreFile);
    ASSERT_FALSE(served.empty());
    ASSERT_EQ(stored.size(), served.size());
    int fixed = 0;
    for (const auto& [path, value] : served) {
      ASSERT_EQ(stored.count(path), 1u) << path;
      const std::string& local = stored[path];
      EXPECT_EQ(local.substr(0, 5), value.substr(0, 5)) << path;
      std::optional<std::string> source_bytes = ReadWholeFile(InSeason(SourceSeason(), value));
      std::optional<std::string> local_bytes = ReadWholeFile(InSeason(LocalSeason(), local));
      ASSERT_TRUE(source_bytes && local_bytes) << path;
      const FixedPictureSize* row = FixedSizeOf(path);
      std::optional<RasterImage> source = DecodeImage(*source_bytes);
      if (row == nullptr ||
          (source && source->width() == row->width && source->height() == row->height)) {
        EXPECT_EQ(*local_bytes, *source_bytes) << path;
        continue;
      }
      ++fixed;
      std::optional<RasterImage> tiled = DecodeImage(*local_bytes);
      ASSERT_TRUE(source && tiled) << path;
      EXPECT_EQ(DetectImageFormat(*local_bytes), ImageFormat::kBmp) << path;
      ASSERT_EQ(tiled->width(), row->width) << path;
      ASSERT_EQ(tiled->height(), row->height) << path;
      ExpectTiled(*tiled, *source);
    }
    EXPECT_EQ(fixed, 3);
    // Each stored picture once: no second copy under a name with a digit put
    // in front, as a resumed run would make if it did not know its own file.
    std::set<std::string> files;
    for (const auto& entry : stored) files.insert(entry.second);
    size_t on_disk = 0;
    for (const std::string& year : kYears) {
      std::error_code ec;
      for (const fs::directory_entry& entry :
           fs::directory_iterator(LocalSeason() / year / "Images", ec)) {
        on_disk += entry.is_regular_file();
      }
    }
    EXPECT_EQ(on_disk, files.size());
  }

  fs::path root_;
  fs::path source_;   // the served season's data folder
  fs::path program_;  // the updater's program folder
  ChildProcess server_;
  long peak_rss_kib_ = 0;
  int64_t bytes_written_ = 0;
};

std::vector<std::string> Lines(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> lines;
  for (const std::vector<std::string>& part : parts)
    lines.insert(lines.end(), part.begin(), part.end());
  return lines;
}

TEST_F(UpdaterEndToEnd, FullRunBringsAFreshSeasonUpToDateAndASecondFindsNothing) {
  StartServer();
  std::vector<std::string> first = RunUpdater({"-t", "1", "-r", kSeason, "Image", "Data"});
  EXPECT_EQ(WithoutTicker(first),
            Lines({{"Step 1", "Step 2"},
                   ProgressLines(4),
                   {"Step 3"},
                   ProgressLines(4),
                   {"Ready" + Joined(kYears, " ") + Joined(kYears, "|"), kClosingLine}}));
  ExpectData(kYears);
  ExpectPictures();

  std::vector<std::string> second = RunUpdater({"-t 1 -r 7 Image Data"});
  EXPECT_EQ(WithoutTicker(second),
            (std::vector<std::string>{"Step 1", "Step 2", "Step 3", "Ready", kClosingLine}));
  ExpectData(kYears);
  ExpectPictures();
}

TEST_F(UpdaterEndToEnd, DataOnlyThenImageOnly) {
  StartServer();
  EXPECT_EQ(
      WithoutTicker(RunUpdater({"-t", "1", "-r", kSeason, "Data"})),
      Lines(
          {{"Step 1", "Step 2"}, ProgressLines(4), {"Ready" + Joined(kYears, " "), kClosingLine}}));
  ExpectData(kYears);
  for (const std::string& year : kYears) EXPECT_FALSE(fs::exists(LocalSeason() / year / "Images"));

  EXPECT_EQ(
      WithoutTicker(RunUpdater({"-t", "1", "-r", kSeason, "Image"})),
      Lines(
          {{"Step 1", "Step 3"}, ProgressLines(4), {"Ready" + Joined(kYears, "|"), kClosingLine}}));
  ExpectPictures();
}

// Pictures come from the data files: without them no year may be marked as
// having its pictures, or they would never be fetched.
TEST_F(UpdaterEndToEnd, ImageOnlyOnAFreshSeasonMarksNoYear) {
  StartServer();
  EXPECT_EQ(WithoutTicker(RunUpdater({"-t", "1", "-r", kSeason, "Image"})),
            Lines({{"Step 1", "Step 3"}, ProgressLines(4), {"Ready", kClosingLine}}));
  for (const std::string& year : kYears) EXPECT_FALSE(fs::exists(LocalSeason() / year));
}

TEST_F(UpdaterEndToEnd, CommandLinesWithoutModeOneDoNoWork) {
  StartServer();
  const std::vector<std::string> unsupported = {kErrorUnsupported, kClosingLine};
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> lines;
  } cases[] = {
      {{"-t", "0"}, unsupported},
      {{"-t 0 Image Data"}, unsupported},
      {{"-t", "2", "-r", kSeason, "Image", "Data"}, unsupported},
      {{}, {}},
      {{"-r", kSeason, "Image", "Data"}, {}},
      {{"-t1", "-r", kSeason, "Data"}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunUpdater(c.args), c.lines) << ::testing::PrintToString(c.args);
  }
  EXPECT_FALSE(fs::exists(LocalSeason() / "1990"));
}

struct FaultCase {
  std::vector<std::string> server_args;
  std::vector<std::string> expected_lines;  // after the ticker is taken out
  std::vector<std::string> loaded;
  bool all_pictures;
};

std::vector<std::string> Except(const std::string& left_out) {
  std::vector<std::string> years;
  for (const std::string& year : kYears) {
    if (year != left_out) years.push_back(year);
  }
  return years;
}

std::vector<std::string> Step2Lines(int retries_of_1991 = 1) {
  // Progress of four years, the second repeated once per attempt.
  std::vector<std::string> step2 = {"Step 2", ProgressLine(250)};
  for (int i = 0; i < retries_of_1991; ++i) step2.push_back(ProgressLine(500));
  step2.push_back(ProgressLine(750));
  step2.push_back(ProgressLine(1000));
  return step2;
}

class UpdaterFaults : public UpdaterEndToEnd, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(UpdaterFaults, RunEndsWithTheRightFinalLineAndOnlyWholeYears) {
  StartServer(GetParam().server_args);
  auto start = std::chrono::steady_clock::now();
  std::vector<std::string> lines = WithoutTicker(RunUpdater({"-t 1 -r 7 Image Data"}));
  auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
          .count();
  EXPECT_EQ(lines, GetParam().expected_lines);
  ExpectData(GetParam().loaded);
  if (GetParam().all_pictures) ExpectPictures();
  // No fault may make a run take long or hold much memory.
  EXPECT_LT(seconds, 40);
  EXPECT_LT(peak_rss_kib_, 128 * 1024);
  // Whatever the server sends, the whole run writes less than the bound of
  // a single game year: the served season is far smaller, and a year over
  // its bound is refused before anything but its archive is written.
  if (!kSanitized) {
    EXPECT_LT(bytes_written_, static_cast<int64_t>(kMaxGameYearBytes));
  }
  std::printf("%s: %lld s, peak %ld KiB, wrote %lld KiB\n",
              Joined(GetParam().server_args, " ").c_str(), static_cast<long long>(seconds),
              peak_rss_kib_, static_cast<long long>(bytes_written_ >> 10));
}

// A year whose data never came failed for its pictures too.
std::vector<std::string> RunWithout1991(int attempts) {
  std::vector<std::string> loaded = Except("1991");
  return Lines({{"Step 1"},
                Step2Lines(attempts),
                {"Step 3"},
                ProgressLines(4),
                {FailedYearsLine({"1991"}, {"1991"}, loaded, loaded), kClosingLine}});
}

std::vector<std::string> RunWithEverything(int attempts_of_1991) {
  return Lines({{"Step 1"},
                Step2Lines(attempts_of_1991),
                {"Step 3"},
                ProgressLines(4),
                {"Ready" + Joined(kYears, " ") + Joined(kYears, "|"), kClosingLine}});
}

// With the reason the game server was given up, when it was.
std::vector<std::string> PicturesFailed(const std::string& reason = "") {
  return Lines({{"Step 1"},
                Step2Lines(1),
                {"Step 3"},
                ProgressLines(4),
                {FailedYearsLine({}, kYears, kYears, {}) + (reason.empty() ? "" : " " + reason),
                 kClosingLine}});
}

// Once each: the same archive again would be just as big.
std::vector<std::string> EveryArchiveTooLarge() {
  return Lines({{"Step 1", "Step 2"},
                ProgressLines(4),
                {"Step 3"},
                ProgressLines(4),
                {FailedYearsLine(kYears, kYears, {}, {}) + " " + TooLargeYearsReason(kYears),
                 kClosingLine}});
}

const std::vector<std::string> kUnreachable = {"Step 1", kErrorServerUnreachable, kClosingLine};

INSTANTIATE_TEST_SUITE_P(
    Faults, UpdaterFaults,
    ::testing::Values(
        // A year that never arrives whole is given up after three attempts.
        FaultCase{{"--fault", "drop:1991"}, RunWithout1991(3), Except("1991"), false},
        FaultCase{{"--fault", "corrupt:1991"}, RunWithout1991(3), Except("1991"), false},
        FaultCase{{"--fault", "refuse:1991"}, RunWithout1991(3), Except("1991"), false},
        FaultCase{{"--fault", "truncate:1991"}, RunWithout1991(3), Except("1991"), false},
        FaultCase{{"--fault", "garbage:1991"}, RunWithout1991(3), Except("1991"), false},
        // Faults that pass are made up for by the next attempt.
        FaultCase{{"--fault", "garbage:1991:2"}, RunWithEverything(3), kYears, true},
        FaultCase{{"--fault", "truncate:1991:1"}, RunWithEverything(2), kYears, true},
        FaultCase{
            {"--fault", "stall:1991:1", "--stall-ms", "6000"}, RunWithEverything(2), kYears, true},
        FaultCase{{"--fault", "slow:any"}, RunWithEverything(1), kYears, true},
        // Pictures that never come leave their years without index entries,
        // and the years are not reported as done; a server failing picture
        // after picture is given up, and the line says so.
        FaultCase{{"--fault", "drop:picture"},
                  PicturesFailed(FailedInARowReason(Server::kGame, kPictureFailureStreak)),
                  kYears,
                  false},
        FaultCase{{"--fault", "error:picture"},
                  PicturesFailed(FailedInARowReason(Server::kGame, kPictureFailureStreak)),
                  kYears,
                  false},
        FaultCase{
            {"--fault", "garbage:picture"}, PicturesFailed(SilentPicturesReason()), kYears, false},
        // A picture that is not there is an answer: the years complete.
        FaultCase{{"--fault", "notfound:picture"}, RunWithEverything(1), kYears, false},
        // A server that never answers a picture costs three header waits,
        // then counts as gone.
        FaultCase{
            {"--fault", "silent:picture"}, PicturesFailed(SilentPicturesReason()), kYears, false},
        // A picture server below 1 KB/s is given up after 30 s of it.
        FaultCase{{"--fault", "trickle:picture", "--trickle-ms", "50"},
                  PicturesFailed(TooSlowReason(Server::kGame, 1024, 30000)),
                  kYears,
                  false},
        // Archives that would expand to 1 GiB per entry are refused, and so
        // are those whose entries fit their archive but not a game year.
        FaultCase{{"--fault", "bomb:archive"}, EveryArchiveTooLarge(), {}, false},
        FaultCase{{"--fault", "swell:archive"}, EveryArchiveTooLarge(), {}, false},
        // A list of one year repeated for 100 MB is one year.
        FaultCase{{"--fault", "repeat:list"},
                  Lines({{"Step 1", "Step 2"},
                         ProgressLines(1),
                         {"Step 3"},
                         ProgressLines(1),
                         {"Ready 1990|1990", kClosingLine}}),
                  {"1990"},
                  false},
        // Without the year list there is nothing to do.
        FaultCase{{"--fault", "garbage:list"}, kUnreachable, {}, false},
        FaultCase{{"--fault", "refuse:list"}, kUnreachable, {}, false},
        FaultCase{{"--fault", "drop:list"}, kUnreachable, {}, false},
        // An error page is no empty list.
        FaultCase{{"--fault", "error:list"},
                  {"Step 1", YearListStatusLine(500), kClosingLine},
                  {},
                  false},
        FaultCase{{"--fault", "notfound:list"},
                  {"Step 1", YearListStatusLine(404), kClosingLine},
                  {},
                  false}));

TEST_F(UpdaterEndToEnd, PicturesThatNeverArriveGetNoIndexEntry) {
  StartServer({"--fault", "drop:picture"});
  RunUpdater({"-t 1 -r 7 Image Data"});
  EXPECT_TRUE(IndexEntries(LocalSeason() / kImageStoreFile).empty());
  EXPECT_TRUE(fs::exists(LocalSeason() / kImageStoreFile));
}

// A picture the game server answers with 404 or 410, or refuses as too
// large, is settled: the run says so only when there is something to say,
// and the next run, with the picture back on the server, asks nothing.
TEST_F(UpdaterEndToEnd, DefiniteAnswersSettleAPictureForGood) {
  StartServer();
  const std::map<std::string, std::string> served = IndexEntries(SourceSeason() / kImageStoreFile);
  ASSERT_FALSE(served.empty());
  const std::string path = served.begin()->first;
  const std::string ready = "Ready" + Joined(kYears, " ") + Joined(kYears, "|");
  const struct {
    std::string fault;
    std::string final_line;
  } cases[] = {
      {"notfound:" + path, ready},
      {"gone:" + path, ready},
      {"huge:" + path, ReasonsLine(TooLargePicturesText({path}), kYears, kYears)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    fs::remove_all(program_ / "Data");
    fs::create_directories(program_ / "Data");
    RestartServer({"--fault", c.fault});
    std::vector<std::string> first = RunUpdater({"-t 1 -r 7 Image Data"});
    ASSERT_GE(first.size(), 2u);
    EXPECT_EQ(first[first.size() - 2], c.final_line);
    // A refused picture is not written, and held only up to the limit while
    // it arrives (with the room a growing buffer takes): a body of any
    // size costs no more.
    if (!kSanitized) {
      EXPECT_LT(peak_rss_kib_, static_cast<long>(3 * kMaxPictureBytes >> 10));
      EXPECT_LT(bytes_written_, static_cast<int64_t>(kMaxPictureBytes));
    }
    std::printf("%s: peak %ld KiB, wrote %lld KiB\n", c.fault.c_str(), peak_rss_kib_,
                static_cast<long long>(bytes_written_ >> 10));
    RestartServer();
    EXPECT_EQ(WithoutTicker(RunUpdater({"-t 1 -r 7 Image Data"})),
              (std::vector<std::string>{"Step 1", "Step 2", "Step 3", "Ready", kClosingLine}));
    std::map<std::string, std::string> stored = IndexEntries(LocalSeason() / kImageStoreFile);
    EXPECT_EQ(stored.size() + 1, served.size());
    EXPECT_EQ(stored.count(path), 0u);
    SettledPictures settled;
    settled.Load(LocalSeason());
    EXPECT_TRUE(settled.Contains(path));
    ExpectData(kYears);
  }
}

// After "Abbrechen" and after a crash the Viewer names what is on disk.
TEST_F(UpdaterEndToEnd, InterruptedRunsAreToldFromTheDisk) {
  const char* const kCancelled = "Abgebrochen. Geladen: 1990; Bilder fehlen noch f\xfcr 1990.";
  const char* const kCrashed =
      "Der Updater wurde unerwartet beendet. Geladen: 1990; Bilder fehlen noch f\xfcr 1990.";
  const struct {
    bool kill;
    std::string message;
  } cases[] = {{false, kCancelled}, {true, kCrashed}};
  for (const auto& c : cases) {
    fs::remove_all(program_ / "Data");
    fs::create_directories(program_ / "Data");
    // The second year never comes, so the run is always interrupted there.
    RestartServer({"--fault", "silent:1991"});
    const std::vector<int32_t> before = YearsWithData(LocalSeason());
    ChildProcess updater;
    ASSERT_TRUE(updater.Start({(program_ / "WUNT_Updater").string(), "-t 1 -r 7 Image Data"}));
    while (auto line = updater.ReadLine(kRunLimit)) {
      if (*line == ProgressLine(250)) break;
    }
    UpdaterExchange exchange;
    std::optional<UpdaterAction> final_action;
    if (c.kill) {
      updater.Kill();
      final_action = exchange.End();
    } else {
      updater.Write("Cancle\n");
      for (const std::string& line : updater.ReadRemainingLines(kRunLimit)) {
        for (const UpdaterAction& action : exchange.Feed(line + "\n")) {
          if (action.is_final()) final_action = action;
        }
      }
    }
    ASSERT_TRUE(final_action.has_value());
    EXPECT_EQ(RunEndMessage(*final_action, LocalSeason(), before), c.message);
  }
}

TEST_F(UpdaterEndToEnd, UnreachableServerEndsStepOne) {
  StartServer();
  server_.Terminate();
  EXPECT_EQ(WithoutTicker(RunUpdater({"-t 1 -r 7 Image Data"})), kUnreachable);
  EXPECT_FALSE(fs::exists(LocalSeason() / "1990"));
}

// The Viewer stops reading at the first final line; an updater whose reader
// has gone still finishes its work and ends with 0.
TEST_F(UpdaterEndToEnd, FinishesWhenNobodyReadsAnyMore) {
  StartServer();
  ChildProcess updater;
  ASSERT_TRUE(updater.Start({(program_ / "WUNT_Updater").string(), "-t 1 -r 7 Image Data"}));
  EXPECT_EQ(updater.ReadLine(kRunLimit), std::optional<std::string>("Step 1"));
  updater.CloseOutput();
  EXPECT_EQ(updater.Wait(kRunLimit), std::optional<int>(0));
  ExpectData(kYears);
  ExpectPictures();
}

TEST_F(UpdaterEndToEnd, TickerSpeaksWhileTheYearListIsSlow) {
  StartServer({"--fault", "stall:list", "--stall-ms", "2000"});
  std::vector<std::string> lines = RunUpdater({"-t 1 -r 7 Data"});
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Step 1");
  // Two lines a second, counted by WithoutTicker.
  EXPECT_EQ(lines[1], ProgressLine(16));
  EXPECT_EQ(lines[2], ProgressLine(32));
  EXPECT_EQ(WithoutTicker(lines), Lines({{"Step 1", "Step 2"},
                                         ProgressLines(4),
                                         {"Ready" + Joined(kYears, " "), kClosingLine}}));
}

TEST_F(UpdaterEndToEnd, CancelWhileTheYearListComesLoadsNothing) {
  StartServer({"--fault", "stall:list", "--stall-ms", "1500"});
  std::vector<std::string> lines = RunUpdater({"-t 1 -r 7 Image Data"}, "Step 1");
  EXPECT_EQ(WithoutTicker(lines), (std::vector<std::string>{"Step 1", kCancelLine, kClosingLine}));
  ExpectData({});
}

TEST_F(UpdaterEndToEnd, CancelBetweenYearsKeepsFinishedYearsAndNoPartialOne) {
  // The second archive comes late. The cancel sent once the first year is in
  // reaches either the check point before the second year or, while that
  // one loads, the one before the third.
  StartServer({"--fault", "stall:1991", "--stall-ms", "2500"});
  std::vector<std::string> lines = RunUpdater({"-t 1 -r 7 Image Data"}, ProgressLine(250));
  std::vector<std::string> expected = {"Step 1", "Step 2", ProgressLine(250)};
  std::vector<std::string> loaded = {"1990"};
  if (fs::exists(LocalSeason() / "1991" / "Park.ini")) {
    expected.push_back(ProgressLine(500));
    loaded.push_back("1991");
  }
  expected.push_back(kCancelLine);
  expected.push_back(kClosingLine);
  EXPECT_EQ(WithoutTicker(lines), expected);
  ExpectData(loaded);
  // The pictures of a year already in may have come alongside the next
  // year's data: whatever the index names is on the disk.
  for (const auto& [path, value] : IndexEntries(LocalSeason() / kImageStoreFile)) {
    EXPECT_TRUE(fs::is_regular_file(InSeason(LocalSeason(), value))) << path;
  }
}

TEST_F(UpdaterEndToEnd, PicturesThatFailedAreFetchedByTheNextRun) {
  StartServer({"--fault", "garbage:picture"});
  RunUpdater({"-t 1 -r 7 Image Data"});
  EXPECT_TRUE(IndexEntries(LocalSeason() / kImageStoreFile).empty());
  RestartServer();
  EXPECT_EQ(WithoutTicker(RunUpdater({"-t 1 -r 7 Image Data"})),
            Lines({{"Step 1", "Step 2", "Step 3"},
                   ProgressLines(4),
                   {"Ready" + Joined(kYears, "|"), kClosingLine}}));
  ExpectData(kYears);
  ExpectPictures();
}

// Killed in step 2 and in step 3, a rerun completes the season as a run
// without interruption would have left it, byte for byte.
TEST_F(UpdaterEndToEnd, KilledRunsAreCompletedByTheNextRun) {
  const struct {
    std::vector<std::string> faults;
    std::string kill_after;
  } cases[] = {
      {{"--fault", "stall:1991", "--stall-ms", "3000"}, ProgressLine(250)},
      {{"--fault", "slow:picture"}, "Step 3"},
  };
  for (const auto& c : cases) {
    fs::remove_all(program_ / "Data");
    fs::create_directories(program_ / "Data");
    RestartServer(c.faults);
    ChildProcess updater;
    ASSERT_TRUE(updater.Start({(program_ / "WUNT_Updater").string(), "-t 1 -r 7 Image Data"}));
    while (auto line = updater.ReadLine(kRunLimit)) {
      if (*line == c.kill_after) break;
    }
    std::this_thread::sleep_for(milliseconds(700));
    updater.Kill();
    RestartServer();
    std::vector<std::string> lines = RunUpdater({"-t 1 -r 7 Image Data"});
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), kClosingLine);
    EXPECT_EQ(lines[lines.size() - 2].rfind("Ready", 0), 0u) << lines[lines.size() - 2];
    ExpectData(kYears);
    ExpectPictures();
  }
}

// Writes fail beyond a file size, as on a full disk: the run says which
// years failed, leaves nothing half-written, and the next run completes.
TEST_F(UpdaterEndToEnd, FullDiskFailsTheYearsAndTheNextRunCompletesThem) {
  StartServer();
  uintmax_t smallest = UINTMAX_MAX;
  for (const std::string& year : kYears) {
    smallest = std::min(smallest, fs::file_size(SourceSeason() / year / "Park.ini"));
  }
  ChildProcess::Options limited;
  limited.file_size_limit = smallest / 2;
  std::vector<std::string> lines = RunUpdater({"-t 1 -r 7 Image Data"}, "", limited);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], FailedYearsLine(kYears, kYears, {}, {}));
  ExpectData({});

  EXPECT_EQ(WithoutTicker(RunUpdater({"-t 1 -r 7 Image Data"})).at(0), "Step 1");
  ExpectData(kYears);
  ExpectPictures();
}

TEST_F(UpdaterEndToEnd, ASecondUpdaterOfTheSeasonEndsAtOnce) {
  StartServer({"--fault", "slow:any"});
  ChildProcess first;
  ASSERT_TRUE(first.Start({(program_ / "WUNT_Updater").string(), "-t 1 -r 7 Image Data"}));
  first.CloseInput();
  EXPECT_EQ(first.ReadLine(kRunLimit), std::optional<std::string>("Step 1"));
  EXPECT_EQ(RunUpdater({"-t 1 -r 7 Image Data"}),
            (std::vector<std::string>{kErrorSeasonBusy, kClosingLine}));
  std::vector<std::string> lines = first.ReadRemainingLines(kRunLimit);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "Ready" + Joined(kYears, " ") + Joined(kYears, "|"));
  ExpectData(kYears);
  ExpectPictures();
}

// Links planted in the season folder are neither followed nor written
// through; leftovers of a killed run are cleared.
TEST_F(UpdaterEndToEnd, PlantedLinksAreNeverWrittenThrough) {
  StartServer();
  const fs::path outside = root_ / "outside";
  fs::create_directories(outside / "folder");
  ASSERT_TRUE(WriteFileAtomically(outside / "file", "keep"));
  fs::create_symlink(outside / "file", LocalSeason() / "1990_WUNT");
  fs::create_directory_symlink(outside / "folder", LocalSeason() / "1991");
  ASSERT_TRUE(WriteFileAtomically(LocalSeason() / "1992_WUNT.tmp99999_0", "left over"));
  ASSERT_TRUE(WriteFileAtomically(LocalSeason() / "SaveData.ini.tmp99999_1", "left over"));
  fs::remove(LocalSeason() / kSaveDataFile);
  fs::create_symlink(outside / "file", LocalSeason() / kSaveDataFile);

  std::vector<std::string> lines = WithoutTicker(RunUpdater({"-t 1 -r 7 Image Data"}));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2],
            FailedYearsLine({"1991"}, {"1991"}, Except("1991"), Except("1991")));
  EXPECT_EQ(ReadWholeFile(outside / "file"), std::optional<std::string>("keep"));
  EXPECT_TRUE(fs::is_empty(outside / "folder"));
  EXPECT_FALSE(fs::exists(LocalSeason() / "1992_WUNT.tmp99999_0"));
  EXPECT_FALSE(fs::exists(LocalSeason() / "SaveData.ini.tmp99999_1"));
  EXPECT_TRUE(fs::is_symlink(LocalSeason() / kSaveDataFile));
  fs::remove(LocalSeason() / "1991");
  fs::remove(LocalSeason() / "1990_WUNT");
  ExpectData(Except("1991"));
}

// A folder (or link) named Park.ini does not make a year present: the year
// is fetched, and since its data cannot be put in place, it fails and says so.
TEST_F(UpdaterEndToEnd, OnlyARegularParkIniMarksAYearAsLoaded) {
  StartServer();
  fs::create_directories(LocalSeason() / "1990" / "Park.ini");
  std::vector<std::string> lines = WithoutTicker(RunUpdater({"-t 1 -r 7 Image Data"}));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2],
            FailedYearsLine({"1990"}, {"1990"}, Except("1990"), Except("1990")));
}

TEST_F(UpdaterEndToEnd, AnUnusableTmpdirChangesNothing) {
  StartServer();
  ASSERT_TRUE(WriteFileAtomically(root_ / "not_a_folder", ""));
  ChildProcess::Options options;
  options.environment = {"TMPDIR=" + (root_ / "not_a_folder").string()};
  EXPECT_EQ(
      WithoutTicker(RunUpdater({"-t 1 -r 7 Data"}, "", options)),
      Lines(
          {{"Step 1", "Step 2"}, ProgressLines(4), {"Ready" + Joined(kYears, " "), kClosingLine}}));
  ExpectData(kYears);
}

// A folder where the picture index should be: the data still loads, the
// pictures fail and say so.
TEST_F(UpdaterEndToEnd, AFolderWhereAFileBelongsIsAnUnreadableFile) {
  StartServer();
  fs::create_directories(LocalSeason() / kImageStoreFile);
  EXPECT_EQ(WithoutTicker(RunUpdater({"-t 1 -r 7 Image Data"})),
            Lines({{"Step 1", "Step 2"},
                   ProgressLines(4),
                   {"Step 3"},
                   ProgressLines(4),
                   {FailedYearsLine({}, kYears, kYears, {}), kClosingLine}}));
  ExpectData(kYears);
}

TEST_F(UpdaterEndToEnd, CancelIsAnsweredWithinASecondDuringAStalledFetch) {
  for (const char* fault : {"silent:1991", "crawl:1991"}) {
    SCOPED_TRACE(fault);
    fs::remove_all(LocalSeason());
    RestartServer({"--fault", fault});
    ExpectCancelWithinASecond();
  }
}

// A server that sends just fast enough to keep earning time is given up at
// the download's ceiling (made small here), and the line says so.
TEST_F(UpdaterEndToEnd, ADownloadThatKeepsEarningTimeEndsAtItsCeiling) {
  constexpr int kCeilingMs = 3000;
  ChildProcess::Options options;
  options.environment = {"WUNT_TEST_DOWNLOAD_LIMIT_MS=" + std::to_string(kCeilingMs)};
  const std::vector<std::string> later = {"1991", "1992", "1993"};
  const struct {
    const char* fault;
    std::vector<std::string> expected;
  } cases[] = {
      {"crawl:1991", Lines({{"Step 1"},
                            Step2Lines(1),
                            {"Step 3"},
                            ProgressLines(4),
                            {FailedYearsLine(later, later, {"1990"}, {"1990"}) + " " +
                                 TooLongReason(Server::kUpdate, kCeilingMs),
                             kClosingLine}})},
      {"crawl:picture", PicturesFailed(TooLongReason(Server::kGame, kCeilingMs))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    fs::remove_all(LocalSeason());
    RestartServer({"--fault", c.fault});
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WithoutTicker(RunUpdater({"-t 1 -r 7 Image Data"}, "", options)), c.expected);
    auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
            .count();
    std::printf("%s with a %d ms ceiling: %lld s\n", c.fault, kCeilingMs,
                static_cast<long long>(seconds));
  }
}

void UpdaterEndToEnd::ExpectCancelWithinASecond() {
  ChildProcess updater;
  ASSERT_TRUE(updater.Start({(program_ / "WUNT_Updater").string(), "-t 1 -r 7 Image Data"}));
  std::vector<std::string> lines;
  while (auto line = updater.ReadLine(kRunLimit)) {
    lines.push_back(*line);
    if (*line == ProgressLine(250)) break;
  }
  std::this_thread::sleep_for(milliseconds(300));  // well inside the fetch
  auto sent = std::chrono::steady_clock::now();
  updater.Write("Cancle\n");
  std::optional<std::string> answer = updater.ReadLine(kRunLimit);
  auto waited = std::chrono::steady_clock::now() - sent;
  EXPECT_EQ(answer, std::optional<std::string>(kCancelLine));
  EXPECT_LT(waited, milliseconds(1000));
  EXPECT_EQ(updater.ReadLine(kRunLimit), std::optional<std::string>(kClosingLine));
  EXPECT_EQ(updater.Wait(milliseconds(10000)), std::optional<int>(0));
  ExpectData({"1990"});
}

// One byte every two seconds never trips the silence limit; the year list's
// total time ends it.
TEST_F(UpdaterEndToEnd, ATricklingYearListEndsInItsTotalTime) {
  StartServer({"--fault", "trickle:list", "--trickle-ms", "2000"});
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WithoutTicker(RunUpdater({"-t 1 -r 7 Image Data"})), kUnreachable);
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(40000));
}

}  // namespace
}  // namespace wunt
