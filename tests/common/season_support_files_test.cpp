#include "common/season_support_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "common/file_util.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

// Whatever holds a name stays as it is; the free names get our files,
// complete, and nothing else appears in the folder.
TEST(SeasonSupportFiles, FillOnlyFreeNamesAndLeaveNoTemporaryFiles) {
  const fs::path root = fs::path(WUNT_BINARY_DIR) / "support_files_test" / std::to_string(getpid());
  const fs::path season = root / "9";
  fs::remove_all(root);
  fs::create_directories(season / kOverviewTemplateFile);
  ASSERT_TRUE(WriteFileAtomically(root / "outside", "keep"));
  ASSERT_TRUE(WriteFileAtomically(season / kSaveDataFile, "[1_Calculation]\r\nName = Meine\r\n"));
  fs::create_symlink(root / "outside", season / kTranslationFile);
  fs::create_symlink(root / "nowhere", season / kLoadTemplateFile);

  EXPECT_TRUE(WriteMissingSupportFiles(season).empty());
  EXPECT_TRUE(WriteMissingSupportFiles(season).empty());

  EXPECT_EQ(ReadWholeFile(season / kSaveDataFile),
            std::optional<std::string>("[1_Calculation]\r\nName = Meine\r\n"));
  EXPECT_EQ(ReadWholeFile(root / "outside"), std::optional<std::string>("keep"));
  EXPECT_TRUE(fs::is_symlink(season / kTranslationFile));
  EXPECT_TRUE(fs::is_symlink(season / kLoadTemplateFile));
  EXPECT_FALSE(fs::exists(root / "nowhere"));
  EXPECT_TRUE(fs::is_empty(season / kOverviewTemplateFile));
  EXPECT_EQ(ReadWholeFile(season / kDatafieldsFile), SeasonSupportFiles().front().bytes);
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(season)) ++entries;
  EXPECT_EQ(entries, kSupportFileNames.size());

  // A folder that cannot take them is told, not passed over.
  EXPECT_EQ(WriteMissingSupportFiles(root / "missing").size(), kSupportFileNames.size());
  fs::remove_all(root);
}

}  // namespace
}  // namespace wunt
