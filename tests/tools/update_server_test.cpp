#include "tools/support/update_server.h"

#include <gtest/gtest.h>

#include "updater/game_year_archive.h"

namespace wunt {
namespace {

TEST(ParseServerFault, KindTargetAndCount) {
  const struct {
    const char* text;
    bool ok;
    ServerFaultKind kind;
    const char* target;
    int times;
  } cases[] = {
      {"drop", true, ServerFaultKind::kDrop, "any", 0},
      {"drop:1991", true, ServerFaultKind::kDrop, "1991", 0},
      {"stall:list:1", true, ServerFaultKind::kStall, "list", 1},
      {"garbage:attraktionen/186q.jpg:2", true, ServerFaultKind::kGarbage, "attraktionen/186q.jpg",
       2},
      {"truncate:archive", true, ServerFaultKind::kTruncate, "archive", 0},
      {"explode", false, ServerFaultKind::kDrop, "", 0},
      {"drop:", false, ServerFaultKind::kDrop, "", 0},
      {"drop:1991:x", false, ServerFaultKind::kDrop, "", 0},
  };
  for (const auto& c : cases) {
    std::optional<ServerFault> fault = ParseServerFault(c.text);
    ASSERT_EQ(fault.has_value(), c.ok) << c.text;
    if (!fault) continue;
    EXPECT_EQ(fault->kind, c.kind) << c.text;
    EXPECT_EQ(fault->target, c.target) << c.text;
    EXPECT_EQ(fault->times, c.times) << c.text;
  }
}

TEST(RouteRequest, FindsListArchivesAndPictures) {
  ServedSeason season;
  season.season = "7";
  season.years = {"1990"};
  season.archives["1990"] = "x";
  season.pictures["attraktionen/1.jpg"] = "p";
  using Kind = RoutedRequest::Kind;
  const struct {
    const char* line;
    Kind kind;
    const char* key;
  } cases[] = {
      {"GET /WUNT2_Get.php?round=7 HTTP/1.1", Kind::kList, "7"},
      {"GET /WUNT2_Get.php?round=8 HTTP/1.1", Kind::kList, "8"},
      {"GET /WUNT2_7/1990 HTTP/1.1", Kind::kArchive, "1990"},
      {"GET /WUNT2_7/1991 HTTP/1.1", Kind::kNotFound, ""},
      {"GET /WUNT2_8/1990 HTTP/1.1", Kind::kNotFound, ""},
      {"GET /attraktionen/1.jpg HTTP/1.1", Kind::kPicture, "attraktionen/1.jpg"},
      {"GET /attraktionen/2.jpg HTTP/1.1", Kind::kNotFound, ""},
      {"POST /WUNT2_7/1990 HTTP/1.1", Kind::kNotFound, ""},
      {"", Kind::kNotFound, ""},
  };
  for (const auto& c : cases) {
    RoutedRequest routed = RouteRequest(season, c.line);
    EXPECT_EQ(routed.kind, c.kind) << c.line;
    EXPECT_EQ(routed.key, c.key) << c.line;
  }
}

TEST(BuildGameYearArchive, PlainAndCompressedEntriesDecodeToTheFiles) {
  const std::string files[3] = {std::string(5000, 'p') + "park", "company", "attraction"};
  for (const std::vector<int>& plain : {std::vector<int>{}, {1}, {0, 2}}) {
    std::string archive = BuildGameYearArchive(files, plain);
    std::optional<GameYearFiles> decoded = DecodeGameYearArchive(archive);
    ASSERT_TRUE(decoded.has_value());
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ((*decoded)[i], files[i]);
  }
  // Plain entries carry equal sizes; the first is compressed unless asked.
  EXPECT_LT(BuildGameYearArchive(files, {}).size(), BuildGameYearArchive(files, {0}).size());
}

}  // namespace
}  // namespace wunt
