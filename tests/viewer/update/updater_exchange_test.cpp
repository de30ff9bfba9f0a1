#include "viewer/update/updater_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wunt {
namespace {

using Kind = UpdaterActionKind;

TEST(UpdaterLineTest, EachLineGivesItsAction) {
  struct Case {
    const char* line;
    Kind kind;
    int step;
    int progress;
    std::string message;
  };
  const Case cases[] = {
      {"Step 1", Kind::kStep, 1, 0, ""},
      {"Step 3", Kind::kStep, 3, 0, ""},
      {"Step 4", Kind::kStep, 0, 0, ""},  // resets only
      {"Step 0", Kind::kStep, 0, 0, ""},
      {"Step", Kind::kStep, 0, 0, ""},
      {"Step -2", Kind::kStep, 0, 0, ""},
      {"Progress 333", Kind::kProgress, 0, 333, ""},
      {"Progress 1000", Kind::kProgress, 0, 1000, ""},
      {"Progress 99999", Kind::kProgress, 0, 1000, ""},
      {"Progress -5", Kind::kProgress, 0, 0, ""},
      {"Progress", Kind::kProgress, 0, 0, ""},
      {"Ready", Kind::kReady, 0, 0, "Kein neues Jahr verf\xfcgbar."},
      {"Cancle", Kind::kCancelled, 0, 0, "Aktualisierung wurde abgebrochen."},
      {"Error noch nicht unterst\xfctzte Funktion", Kind::kError, 0, 0,
       "Es ist ein Fehler aufgetrehten: \rnoch nicht unterst\xfctzte Funktion"},
      {"Error", Kind::kError, 0, 0, "Es ist ein Fehler aufgetrehten: \r"},
      {"step 1", Kind::kUnknown, 0, 0, "Unbekannter Befehl: step 1"},
      {"", Kind::kUnknown, 0, 0, "Unbekannter Befehl: "},
      {"    ", Kind::kUnknown, 0, 0, "Unbekannter Befehl:     "},
  };
  for (const Case& c : cases) {
    const UpdaterAction action = InterpretUpdaterLine(c.line);
    EXPECT_EQ(action.kind, c.kind) << c.line;
    EXPECT_EQ(action.step, c.step) << c.line;
    EXPECT_EQ(action.progress, c.progress) << c.line;
    EXPECT_EQ(action.message, c.message) << c.line;
    EXPECT_EQ(action.is_final(), c.kind != Kind::kStep && c.kind != Kind::kProgress) << c.line;
  }
}

TEST(UpdaterLineTest, ReadySummaryAndDataYears) {
  struct Case {
    const char* line;
    std::string message;
    std::vector<std::string> data_years;
  };
  const Case cases[] = {
      {"Ready", "Kein neues Jahr verf\xfcgbar.", {}},
      {"Ready 1970", "Rundendaten geladen (1970)", {"1970"}},
      {"Ready 1970 1971|1971",
       "Rundendaten geladen (1970, 1971)\rBilder geladen (1971)",
       {"1970", "1971"}},
      {"Ready|1971", "Bilder geladen (1971)", {}},
      {"Ready|1970|1971", "Bilder geladen (1970, 1971)", {}},
      {"Ready 1970|", "Rundendaten geladen (1970)\rBilder geladen ()", {"1970"}},
      // The last data year keeps four characters.
      {"Ready 1970 12345", "Rundendaten geladen (1970, 1234)", {"1970", "12345"}},
      // Text that is neither part gives an empty message.
      {"Readyx", "", {}},
  };
  for (const Case& c : cases) {
    const UpdaterAction action = InterpretUpdaterLine(c.line);
    EXPECT_EQ(action.kind, Kind::kReady) << c.line;
    EXPECT_EQ(action.message, c.message) << c.line;
    EXPECT_EQ(action.data_years, c.data_years) << c.line;
  }
}

TEST(UpdaterLineTest, SeasonReloadAfterRunsThatMayHaveWrittenYears) {
  UpdaterAction ended;
  ended.kind = Kind::kEnded;
  struct Case {
    UpdaterAction action;
    int64_t run_season;
    bool reload;
  };
  const Case cases[] = {
      {InterpretUpdaterLine("Ready 1970|1970"), 8, true},
      {InterpretUpdaterLine("Ready 1970"), 9, false},  // another season
      {InterpretUpdaterLine("Ready|1970"), 8, false},  // pictures only
      {InterpretUpdaterLine("Ready"), 8, false},
      {InterpretUpdaterLine("Error Jahre 1972 fehlgeschlagen"), 8, true},
      {InterpretUpdaterLine("Cancle"), 8, true},
      {ended, 8, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SeasonNeedsReload(c.action, c.run_season, 8), c.reload) << c.action.message;
  }
}

std::vector<std::string> SplitAll(const std::vector<std::string>& chunks) {
  LineSplitter splitter;
  std::vector<std::string> lines;
  for (const std::string& chunk : chunks) {
    splitter.Feed(chunk);
    while (std::optional<std::string> line = splitter.NextLine()) lines.push_back(*line);
  }
  if (std::optional<std::string> rest = splitter.TakeRest()) lines.push_back("rest:" + *rest);
  return lines;
}

TEST(LineSplitterTest, LinesEndAtCrLfOrCrLfAcrossChunks) {
  struct Case {
    std::vector<std::string> chunks;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {{"Step 1\nProgress 16\n"}, {"Step 1", "Progress 16"}},
      {{"Step 1\rStep 2\r\nStep 3\n"}, {"Step 1", "Step 2", "Step 3"}},
      {{"Prog", "ress 5", "00\n"}, {"Progress 500"}},
      {{"Step 1\r", "\nStep 2\r", "\r\n"}, {"Step 1", "Step 2", ""}},
      {{"a\n\nb\n"}, {"a", "", "b"}},
      {{"\n\r"}, {"", ""}},
      {{"Ready 1970"}, {"rest:Ready 1970"}},
      {{}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitAll(c.chunks), c.lines);
}

TEST(LineSplitterTest, EndlessLineIsCutToTheLimit) {
  LineSplitter splitter;
  const std::string block(1000, 'x');
  for (size_t i = 0; i < LineSplitter::kMaxLineLength / 1000 + 10; ++i) splitter.Feed(block);
  splitter.Feed("\nStep 2\n");
  EXPECT_EQ(splitter.NextLine()->size(), LineSplitter::kMaxLineLength);
  EXPECT_EQ(*splitter.NextLine(), "Step 2");
  EXPECT_FALSE(splitter.NextLine());
}

std::vector<Kind> Kinds(const std::vector<UpdaterAction>& actions) {
  std::vector<Kind> kinds;
  for (const UpdaterAction& action : actions) kinds.push_back(action.kind);
  return kinds;
}

TEST(UpdaterExchangeTest, EndsAtTheFirstFinalLine) {
  UpdaterExchange exchange;
  EXPECT_EQ(Kinds(exchange.Feed("Step 1\nProgress 16\nProg")),
            (std::vector<Kind>{Kind::kStep, Kind::kProgress}));
  EXPECT_FALSE(exchange.finished());
  const std::vector<UpdaterAction> last =
      exchange.Feed("ress 32\nReady 1970\n" + std::string(100, ' ') + "\n");
  EXPECT_EQ(Kinds(last), (std::vector<Kind>{Kind::kProgress, Kind::kReady}));
  EXPECT_EQ(last[0].progress, 32);
  EXPECT_TRUE(exchange.finished());
  // The closing line after Ready is not read, and the child's end changes nothing.
  EXPECT_TRUE(exchange.Feed("Error late\n").empty());
  EXPECT_FALSE(exchange.End());
}

TEST(UpdaterExchangeTest, ChildEndingWithoutFinalLine) {
  struct Case {
    const char* output;
    Kind kind;
    std::string message;
  };
  const Case cases[] = {
      {"Step 1\nProgress 16\n", Kind::kEnded, "Der Updater wurde unerwartet beendet."},
      {"", Kind::kEnded, "Der Updater wurde unerwartet beendet."},
      {"Step 1\nProgr", Kind::kEnded, "Der Updater wurde unerwartet beendet."},
      {"Step 1\nReady 1970", Kind::kReady, "Rundendaten geladen (1970)"},
      {"Error kaputt", Kind::kError, "Es ist ein Fehler aufgetrehten: \rkaputt"},
  };
  for (const Case& c : cases) {
    UpdaterExchange exchange;
    exchange.Feed(c.output);
    const std::optional<UpdaterAction> end = exchange.End();
    ASSERT_TRUE(end) << c.output;
    EXPECT_EQ(end->kind, c.kind) << c.output;
    EXPECT_EQ(end->message, c.message) << c.output;
    EXPECT_TRUE(exchange.finished());
    EXPECT_FALSE(exchange.End());
  }
}

}  // namespace
}  // namespace wunt
