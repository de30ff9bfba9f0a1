#include "common/season_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/ini_file.h"
#include "tests/support/scratch_folder.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;
using test::ScratchFolder;
using test::WriteBytes;

std::string PlacedRun(int x, int y, const std::string& picture) {
  return "a = 1\r\nb = 2\r\nc = 3\r\nd = 4\r\nx = " + std::to_string(x) +
         "\r\ny = " + std::to_string(y) + "\r\np = " + picture + "\r\n";
}

TEST(ListSeasonFolders, FoldersNamedByANonZeroNumberInNumberOrder) {
  ScratchFolder dir;
  for (const char* name : {"10", "2", "9. Runde", "$1F", "0", "Runde 3", "-4"}) {
    fs::create_directories(dir.path() / name);
  }
  WriteBytes(dir.path() / "5", "a file, not a season");
  EXPECT_EQ(ListSeasonFolders(dir.path()),
            (std::vector<std::string>{"-4", "2", "9. Runde", "10", "$1F"}));
  EXPECT_TRUE(ListSeasonFolders(dir.path() / "missing").empty());
}

TEST(ListGameYears, OnlyFoldersNamedByFourDigitYears) {
  ScratchFolder dir;
  for (const char* name : {"2009", "2007", "notes", "0", "02009", "1999abc", "99999999",
                           "2147483647", "999", "0999", "-2001", "1000", "9999"}) {
    fs::create_directories(dir.path() / name);
  }
  WriteBytes(dir.path() / "2010", "a file, not a year");
  EXPECT_EQ(ListGameYears(dir.path()), std::vector<int32_t>({1000, 2007, 2009, 9999}));
  EXPECT_TRUE(ListGameYears(dir.path() / "missing").empty());
}

TEST(ReadParkRuns, RunsOfSevenWhateverTheKeyNames) {
  IniFile ini;
  ini.OpenIniFromBytes("[5_Attractionlist]\r\n" + PlacedRun(10, 20, "a.jpg") +
                       PlacedRun(-5, 7, "b.jpg") +
                       "1 = x\r\n2 = x\r\n3 = x\r\n4 = x\r\n5 = 99\r\n6 = 99\r\n"  // incomplete
                       "[6_Attractionlist]\r\n" +
                       PlacedRun(1, 1, "c.jpg"));
  EXPECT_EQ(ReadParkRuns(ini, 5), (std::vector<ParkRun>{{"a.jpg", 10, 20}, {"b.jpg", -5, 7}}));
  EXPECT_TRUE(ReadParkRuns(ini, 7).empty());
}

TEST(ResolveStoredPicture, StoredValuesStayInsideTheSeasonFolder) {
  const std::filesystem::path season = "/data/7";
  struct Case {
    const char* value;
    const char* want;  // nullptr: refused
  };
  const Case cases[] = {
      {"1971\\Images\\123.jpg", "/data/7/1971/Images/123.jpg"},
      {"1971/Images/x.jpg", "/data/7/1971/Images/x.jpg"},
      {".\\1971\\\\a.bmp", "/data/7/1971/a.bmp"},
      {"..\\..\\etc\\passwd", nullptr},
      {"1971\\..\\..\\x.jpg", nullptr},
      {"\\etc\\passwd", nullptr},
      {"/etc/passwd", nullptr},
      {"C:\\Windows\\x.bmp", nullptr},
      {"", nullptr},
      {"\\", nullptr},
  };
  for (const Case& c : cases) {
    auto got = ResolveStoredPicture(season, c.value);
    if (c.want == nullptr) {
      EXPECT_FALSE(got) << c.value;
    } else {
      ASSERT_TRUE(got) << c.value;
      EXPECT_EQ(*got, std::filesystem::path(c.want)) << c.value;
    }
  }
}

}  // namespace
}  // namespace wunt
