#include "updater/game_year_archive.h"

#include <gtest/gtest.h>

#include "common/file_util.h"
#include "tools/support/jcalg1_compressor.h"
#include "tools/support/update_server.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

std::string Le32(uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return s;
}

std::string PlainEntry(std::string_view bytes) {
  return Le32(static_cast<uint32_t>(bytes.size())) + Le32(static_cast<uint32_t>(bytes.size())) +
         std::string(bytes);
}

std::string PackedEntry(std::string_view bytes) {
  std::string entry = MakeArchiveEntry(bytes);
  EXPECT_NE(entry.substr(0, 4), entry.substr(4, 4)) << "test data must compress";
  return entry;
}

// INI text with CP1252 umlauts and CR LF, as the server stores it.
std::string YearFile(const char* kind, int lines) {
  std::string s = std::string("[") + kind + "]\r\n";
  for (int i = 0; i < lines; ++i)
    s += std::to_string(i) + " = M\xfchle " + std::to_string(i * 7) + "\r\n";
  return s;
}

class UnpackGameYearTest : public ::testing::Test {
 protected:
  void SetUp() override {
    season_ = fs::path(WUNT_BINARY_DIR) / "unpack_test" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(season_);
    fs::create_directories(season_);
    archive_ = season_.parent_path() / (season_.filename().string() + "_WUNT");
  }
  bool Unpack(const std::string& archive_bytes) {
    WriteFileAtomically(archive_, archive_bytes);
    return UnpackGameYear(season_ / "1970", archive_);
  }
  std::optional<std::string> Read(const char* name) {
    return ReadWholeFile(season_ / "1970" / name);
  }

  fs::path season_;
  fs::path archive_;
  const std::string park_ = YearFile("Park", 300);
  const std::string company_ = YearFile("Company", 50);
  const std::string attraction_ = YearFile("Attraction", 30);
};

TEST_F(UnpackGameYearTest, WritesTheThreeFilesByteForByte) {
  struct Case {
    const char* name;
    std::string archive;
  };
  const Case cases[] = {
      {"plain", PlainEntry(park_) + PlainEntry(company_) + PlainEntry(attraction_)},
      {"compressed", PackedEntry(park_) + PackedEntry(company_) + PackedEntry(attraction_)},
      {"mixed, extra entry ignored",
       PackedEntry(park_) + PlainEntry(company_) + PackedEntry(attraction_) + PlainEntry("junk")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(season_ / "1970");
    ASSERT_TRUE(Unpack(c.archive));
    EXPECT_EQ(Read("Park.ini"), park_);
    EXPECT_EQ(Read("Company.ini"), company_);
    EXPECT_EQ(Read("Attraction.ini"), attraction_);
    EXPECT_EQ(std::distance(fs::directory_iterator(season_ / "1970"), {}), 3);
  }
}

TEST_F(UnpackGameYearTest, DamagedArchiveLeavesTheYearAsItWas) {
  std::string packed = PackedEntry(attraction_);
  std::string lying_size = packed;
  lying_size[0] ^= 1;  // entry says one size, the stream another
  std::string not_jc = PlainEntry(attraction_);
  not_jc[0] ^= 1;  // sizes differ, but the bytes are no stream
  std::string bad_stream = packed;
  bad_stream[bad_stream.size() - 5] ^= 0x40;
  const std::string head = PlainEntry(park_) + PlainEntry(company_);
  const std::pair<const char*, std::string> cases[] = {
      {"only two entries", head},
      {"third entry cut short", head + packed.substr(0, packed.size() - 3)},
      {"sizes disagree", head + lying_size},
      {"stored bytes are not a stream", head + not_jc},
      {"damaged stream", head + bad_stream},
      {"entry header cut short", head + packed.substr(0, 6)},
      {"empty archive", ""},
  };
  for (const auto& [name, archive] : cases) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Unpack(archive));
    EXPECT_FALSE(fs::exists(season_ / "1970")) << "no half-downloaded year";
  }

  // An existing year folder keeps what it had.
  fs::create_directories(season_ / "1970" / "Images");
  WriteFileAtomically(season_ / "1970" / "Company.ini", "old");
  EXPECT_FALSE(Unpack(head));
  EXPECT_EQ(Read("Company.ini"), "old");
  EXPECT_FALSE(Read("Park.ini").has_value());
  EXPECT_TRUE(fs::is_directory(season_ / "1970" / "Images"));
}

TEST_F(UnpackGameYearTest, ParkIniComesLast) {
  // Attraction.ini cannot be put in place: the year must not look complete.
  fs::create_directories(season_ / "1970" / "Attraction.ini" / "x");
  EXPECT_FALSE(Unpack(PlainEntry(park_) + PlainEntry(company_) + PlainEntry(attraction_)));
  EXPECT_FALSE(Read("Park.ini").has_value());
  for (const auto& entry : fs::directory_iterator(season_ / "1970")) {
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

TEST_F(UnpackGameYearTest, NeedsTheSeasonFolderAndTheArchive) {
  std::string archive = PlainEntry(park_) + PlainEntry(company_) + PlainEntry(attraction_);
  WriteFileAtomically(archive_, archive);
  EXPECT_FALSE(UnpackGameYear(season_ / "missing" / "1970", archive_));
  EXPECT_FALSE(UnpackGameYear(season_ / "1970", season_ / "no_archive"));
  EXPECT_TRUE(UnpackGameYear(season_.string() + "/1970/  ", archive_)) << "trailing blanks";
  EXPECT_EQ(Read("Park.ini"), park_);
}

// Each entry is within the single-entry limit for its archive, but together
// they are more than a game year holds; and a refused write stops the year.
// Only a year over its bound is told apart: retrying cannot change that.
TEST_F(UnpackGameYearTest, AYearIsBoundedAcrossItsFilesAndByTheDisk) {
  const std::string plain = PlainEntry(park_) + PlainEntry(company_) + PlainEntry(attraction_);
  const struct {
    const char* name;
    std::string archive;
    WriteAllowance may_write;
    bool over_year_bound;
  } cases[] = {
      {"three entries of 30 MiB", BuildSwellArchive(30u << 20, 256u << 10), nullptr, true},
      {"entries that claim 1 GiB", BuildBombArchive(1u << 30), nullptr, true},
      {"within the year, past what its archive may expand to", BuildBombArchive(1u << 20), nullptr,
       false},
      {"the disk refuses", plain, [](uint64_t) { return false; }, false},
      {"the disk refuses the last file", plain, [n = 0](uint64_t) mutable { return ++n < 3; },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileAtomically(archive_, c.archive);
    bool over_year_bound = !c.over_year_bound;
    EXPECT_FALSE(UnpackGameYear(season_ / "1970", archive_, c.may_write, &over_year_bound));
    EXPECT_EQ(over_year_bound, c.over_year_bound);
    EXPECT_FALSE(fs::exists(season_ / "1970"));
  }
}

}  // namespace
}  // namespace wunt
