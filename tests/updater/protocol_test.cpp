#include "updater/protocol.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "updater/cancel_reader.h"
#include "updater/command_line.h"

namespace wunt {
namespace {

TEST(ParseCommandLine, ReadsModeSeasonAndFlags) {
  struct Case {
    const char* line;
    std::optional<UpdaterCommand> expected;
  };
  const Case cases[] = {
      {"-t 1 -r 5 Image Data", UpdaterCommand{1, 5, true, true}},
      {"-t 1 -r 5 Data", UpdaterCommand{1, 5, true, false}},
      {"-t 1 -r 5 Images", UpdaterCommand{1, 5, false, true}},
      {"-r 12 -t   1 data image", UpdaterCommand{1, 12, false, false}},
      {"-t 0", UpdaterCommand{0, 0, false, false}},
      {"-t 3 -r 1999", UpdaterCommand{3, 1999, false, false}},
      {"-t x -r 5", UpdaterCommand{0, 5, false, false}},
      {"-t 1 -r", UpdaterCommand{1, 0, false, false}},
      {"", std::nullopt},
      {"-t", std::nullopt},
      {"-t1 -r 5 Data", std::nullopt},
  };
  for (const Case& c : cases) {
    std::optional<UpdaterCommand> got = ParseCommandLine(c.line);
    ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.line;
    if (!got) continue;
    EXPECT_EQ(got->mode, c.expected->mode) << c.line;
    EXPECT_EQ(got->season, c.expected->season) << c.line;
    EXPECT_EQ(got->data_wanted, c.expected->data_wanted) << c.line;
    EXPECT_EQ(got->images_wanted, c.expected->images_wanted) << c.line;
  }
}

TEST(JoinArguments, JoinsWithSingleBlanks) {
  const char* split[] = {"WUNT_Updater", "-t", "1", "-r", "5", "Image"};
  EXPECT_EQ(JoinArguments(6, split), "-t 1 -r 5 Image");
  const char* whole[] = {"WUNT_Updater", "-t 1 -r 5 Image"};
  EXPECT_EQ(JoinArguments(2, whole), "-t 1 -r 5 Image");
  EXPECT_EQ(JoinArguments(1, whole), "");
}

TEST(ReadyLine, DataPartThenImagePart) {
  const struct {
    std::vector<std::string> data, images;
    bool data_wanted, images_wanted;
    const char* line;
  } cases[] = {
      {{"1970", "1971"}, {"1971"}, true, true, "Ready 1970 1971|1971"},
      {{}, {"1971"}, false, true, "Ready|1971"},
      {{"1970"}, {}, true, true, "Ready 1970"},
      {{}, {}, true, true, "Ready"},
      // Lists of a step that did not run are not reported.
      {{"1970"}, {"1970"}, false, false, "Ready"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadyLine(c.data, c.images, c.data_wanted, c.images_wanted), c.line);
  }
}

TEST(ProgressValue, TruncatesPerMille) {
  EXPECT_EQ(ProgressValue(0, 3), 333);
  EXPECT_EQ(ProgressValue(1, 3), 666);
  EXPECT_EQ(ProgressValue(2, 3), 1000);
  EXPECT_EQ(ProgressValue(0, 1), 1000);
  EXPECT_EQ(ProgressValue(6, 7), 1000);
}

TEST(ProgressTicker, CountsInSixteensAndWrapsAfterAThousand) {
  std::vector<int> values = {0};
  for (int i = 0; i < 64; ++i) values.push_back(ProgressTicker::NextValue(values.back()));
  EXPECT_EQ(values[1], 16);
  EXPECT_EQ(values[62], 992);
  EXPECT_EQ(values[63], 0);
  EXPECT_EQ(values[64], 16);
}

TEST(ProgressTicker, WritesUntilStoppedAndNothingAfter) {
  RecordingLineWriter out;
  ProgressTicker ticker(out, std::chrono::milliseconds(2));
  ASSERT_TRUE(ticker.Start());
  while (out.lines().size() < 70) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ticker.Stop();
  std::vector<std::string> lines = out.lines();
  int value = 0;
  for (const std::string& line : lines) {
    value = ProgressTicker::NextValue(value);
    ASSERT_EQ(line, ProgressLine(value));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(out.lines().size(), lines.size());
}

// Lines from several threads arrive whole, each with one LF and no CR.
TEST(FdLineWriter, LinesFromSeveralThreadsNeverInterleave) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string received;
  std::thread reader([&] {
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
      received.append(buffer, static_cast<size_t>(n));
  });
  {
    FdLineWriter out(fds[1]);
    std::vector<std::thread> writers;
    for (char c = 'a'; c < 'e'; ++c) {
      writers.emplace_back([&out, c] {
        for (int i = 0; i < 200; ++i) out.WriteLine(std::string(300, c));
      });
    }
    for (std::thread& t : writers) t.join();
  }
  close(fds[1]);
  reader.join();
  close(fds[0]);
  ASSERT_EQ(received.size(), 4u * 200 * 301);
  for (size_t at = 0; at < received.size(); at += 301) {
    ASSERT_EQ(received.substr(at, 300), std::string(300, received[at])) << at;
    ASSERT_EQ(received[at + 300], '\n');
  }
}

TEST(ProtocolTexts, AreWindows1252Bytes) {
  EXPECT_EQ(std::string(kErrorUnsupported), "Error noch nicht unterst\xfctzte Funktion");
  EXPECT_NE(std::string(kErrorServerUnreachable).find("sp\xe4teren"), std::string::npos);
  EXPECT_EQ(kClosingLine, std::string(100, ' '));
}

TEST(CancelReader, NoticesCancleLinesOnly) {
  const struct {
    const char* input;
    bool cancel;
  } cases[] = {
      {"Cancle\n", true},    {"Cancle\r\n", true}, {"Cancle\r", true},  {"x\nCancle", true},
      {"  Cancle \n", true}, {"Cancel\n", false},  {"cancle\n", false}, {"CancleCancle\n", false},
      {"Can\ncle\n", false}, {"", false},
  };
  for (const auto& c : cases) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    CancelReader reader;
    ASSERT_TRUE(reader.Start(fds[0]));
    ASSERT_EQ(write(fds[1], c.input, strlen(c.input)), static_cast<ssize_t>(strlen(c.input)));
    close(fds[1]);
    // The end of input ends the reader; Stop() then only joins.
    for (int i = 0; i < 2000 && !reader.input_ended(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    reader.Stop();
    EXPECT_EQ(reader.requested().load(), c.cancel) << c.input;
    close(fds[0]);
  }
}

TEST(CancelReader, StopsWhileInputStaysOpen) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  CancelReader reader;
  ASSERT_TRUE(reader.Start(fds[0]));
  reader.Stop();
  EXPECT_FALSE(reader.requested());
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
}  // namespace wunt
