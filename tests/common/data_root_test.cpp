#include "common/data_root.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/scratch_folder.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

TEST(DataRoot, PortableBesideTheProgramsElseInTheHome) {
  enum class Beside { kData, kReadOnlyData, kDataFile, kNothingReadOnly };
  struct Case {
    const char* name;
    Beside beside;
    const char* xdg_data_home;  // relative to the scratch folder; "" unset
    bool has_home;
    const char* expected;  // relative to the scratch folder
  };
  const Case cases[] = {
      {"portable folder", Beside::kData, "xdg", true, "program"},
      {"portable folder, read-only Data", Beside::kReadOnlyData, "", true,
       "home/.local/share/wunt"},
      {"Data is a file", Beside::kDataFile, "", true, "home/.local/share/wunt"},
      {"read-only install, XDG_DATA_HOME set", Beside::kNothingReadOnly, "xdg", true, "xdg/wunt"},
      {"read-only install, XDG_DATA_HOME unset", Beside::kNothingReadOnly, "", true,
       "home/.local/share/wunt"},
      {"read-only install, XDG_DATA_HOME relative", Beside::kNothingReadOnly, "relative", true,
       "home/.local/share/wunt"},
      {"read-only install, no home at all", Beside::kNothingReadOnly, "", false, "program"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.beside == Beside::kReadOnlyData && geteuid() == 0) {
      std::printf("skipped \"%s\": root may write into any folder\n", c.name);
      continue;
    }
    test::ScratchFolder scratch;
    const fs::path program = scratch / "program";
    fs::create_directories(program);
    if (c.beside == Beside::kData || c.beside == Beside::kReadOnlyData) {
      fs::create_directory(program / "Data");
    }
    if (c.beside == Beside::kDataFile) test::WriteBytes(program / "Data", "");
    if (c.beside == Beside::kReadOnlyData) {
      fs::permissions(program / "Data", fs::perms::owner_read | fs::perms::owner_exec);
    }
    if (c.beside == Beside::kNothingReadOnly) {
      fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
    }
    DataRootEnvironment environment;
    if (*c.xdg_data_home != '\0') {
      environment.xdg_data_home = c.xdg_data_home == std::string("relative")
                                      ? "relative"
                                      : (scratch / c.xdg_data_home).string();
    }
    if (c.has_home) environment.home = (scratch / "home").string();

    const fs::path root = ChooseDataRoot(program, environment);
    EXPECT_EQ(root, scratch / c.expected);
    // Created on first use, and the portable folder is left as it was.
    EXPECT_EQ(fs::is_directory(root / "Data"), c.beside == Beside::kData || c.has_home);
    EXPECT_FALSE(fs::exists(program / "wunt"));
    fs::permissions(program, fs::perms::owner_all);
    if (fs::is_directory(program / "Data")) fs::permissions(program / "Data", fs::perms::owner_all);
  }
}

TEST(DataRoot, AHomeRootIsThePlayersAlone) {
  test::ScratchFolder scratch;
  const fs::path root = ChooseDataRoot(scratch / "program", {(scratch / "xdg").string(), ""});
  EXPECT_EQ(fs::status(root).permissions() & fs::perms::all, fs::perms::owner_all);
  // A second start finds what the first made.
  test::WriteBytes(root / "Data" / "7" / "SaveData.ini", "x");
  EXPECT_EQ(ChooseDataRoot(scratch / "program", {(scratch / "xdg").string(), ""}), root);
  EXPECT_TRUE(fs::exists(root / "Data" / "7" / "SaveData.ini"));
}

}  // namespace
}  // namespace wunt
