#include "viewer/update/update_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "tests/support/scratch_folder.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

TEST(UpdateTaskEntriesTest, GameYearFoldersGiveReloadEntries) {
  const test::ScratchFolder scratch;
  const fs::path season = scratch / "update_tasks";
  for (const char* name : {"1971", "1970", "Images2", "0"}) fs::create_directories(season / name);
  ASSERT_TRUE(WriteFileAtomically(season / "1969", "a file, not a year"));
  const std::vector<std::string> folders = ListYearFolderNames(season);
  EXPECT_EQ(folders, (std::vector<std::string>{"0", "1970", "1971", "Images2"}));
  EXPECT_EQ(UpdateTaskEntries(folders),
            (std::vector<std::string>{"Program aktualisieren", "neue Jahre laden",
                                      "neuladen des Jahres 1970", "neuladen des Jahres 1971"}));
  fs::remove_all(season);
  EXPECT_TRUE(ListYearFolderNames(season).empty());
  EXPECT_EQ(UpdateTaskEntries({}).size(), 2u);
}

TEST(UpdateTaskEntriesTest, EntriesShowTheDecimalValueOfTheName) {
  EXPECT_EQ(UpdateTaskEntries({"01975", "1976x", "$7B2", " 1977"}),
            (std::vector<std::string>{"Program aktualisieren", "neue Jahre laden",
                                      "neuladen des Jahres 1975", "neuladen des Jahres 1976",
                                      "neuladen des Jahres 1977"}));
}

TEST(UpdateOptionsTest, StartsOnNewYearsWithBothBoxesTicked) {
  UpdateOptions options;
  EXPECT_EQ(options.task(), kTaskNewYears);
  EXPECT_TRUE(options.data());
  EXPECT_TRUE(options.images());
  EXPECT_TRUE(options.boxes_enabled());
  EXPECT_EQ(options.flags(), 3);
}

TEST(UpdateOptionsTest, AtLeastOneBoxStaysTicked) {
  UpdateOptions options;
  options.SetData(false);
  EXPECT_FALSE(options.data());
  EXPECT_TRUE(options.images());
  EXPECT_EQ(options.flags(), 1);
  options.SetImages(false);  // ticks data again
  EXPECT_TRUE(options.data());
  EXPECT_FALSE(options.images());
  EXPECT_EQ(options.flags(), 2);
  options.SetData(false);  // ticks images again
  EXPECT_EQ(options.flags(), 1);
  options.SetData(true);
  EXPECT_EQ(options.flags(), 3);
}

TEST(UpdateOptionsTest, ProgramUpdateGreysTheBoxesButKeepsTheirTicks) {
  UpdateOptions options;
  options.SetImages(false);
  options.SelectTask(kTaskProgramUpdate);
  EXPECT_FALSE(options.boxes_enabled());
  EXPECT_EQ(options.flags(), 2);
  options.SelectTask(3);
  EXPECT_TRUE(options.boxes_enabled());
}

TEST(UpdaterCommandLineTest, BuiltFromTaskSeasonAndFlags) {
  struct Case {
    int task;
    int64_t season;
    int flags;
    const char* line;
  };
  const Case cases[] = {
      {1, 5, 3, "-t 1 -r 5 Image Data"},
      {1, 5, 1, "-t 1 -r 5 Image"},
      {1, 12, 2, "-t 1 -r 12 Data"},
      {3, 8, 3, "-t 3 -r 8 Image Data"},
      {0, 8, 3, "-t 0 Image Data"},  // the greyed boxes still count
      {0, 8, 2, "-t 0 Data"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UpdaterCommandLine(c.task, c.season, c.flags), c.line) << c.line;
  }
  EXPECT_EQ(UpdaterArguments(2, 8, 1), (std::vector<std::string>{"-t", "2", "-r", "8", "Image"}));
}

TEST(UpdateStepNamesTest, NamesPerTask) {
  EXPECT_EQ(UpdateStepNames(kTaskNewYears)[2], "----- Bilder  laden -----");
  EXPECT_EQ(UpdateStepNames(kTaskNewYears)[0], "- Informationen sammeln -");
  EXPECT_EQ(UpdateStepNames(2)[0], "alte Daten l\xf6schen");
  EXPECT_EQ(UpdateStepNames(7)[2], "Bilder laden");
  EXPECT_EQ(UpdateStepNames(kTaskProgramUpdate)[0],
            "Programmversion \xfc"
            "berpr\xfc"
            "fen");
  EXPECT_EQ(UpdateStepNames(kTaskProgramUpdate)[1], "neuste Programmversion laden");
}

}  // namespace
}  // namespace wunt
