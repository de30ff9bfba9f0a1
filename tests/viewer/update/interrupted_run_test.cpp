#include "viewer/update/interrupted_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/season_layout.h"
#include "common/season_pictures.h"
#include "tests/support/scratch_folder.h"

namespace wunt {
namespace {

// One game year as a run may leave it.
struct YearState {
  int32_t year;
  bool data;
  bool images_folder;
  // Pictures its data names: "stored", "settled" or "open" (neither).
  std::vector<std::string> pictures;
};

void Lay(const test::ScratchFolder& season, const std::vector<YearState>& years) {
  std::string index;
  std::string settled;
  for (const YearState& y : years) {
    const std::string year = std::to_string(y.year);
    std::string attraction;
    for (size_t i = 0; i < y.pictures.size(); ++i) {
      std::string path = "a/" + year;
      path.append(1, '_').append(std::to_string(i)).append(".jpg");
      attraction.append("[").append(std::to_string(i + 1)).append("]\r\n21 = ");
      attraction.append(path).append("\r\n");
      if (y.pictures[i] == "stored") index.append(path).append(" = 1990\\Images\\x.jpg\r\n");
      if (y.pictures[i] == "settled") settled.append(path).append(" = nicht auf dem Server\r\n");
    }
    test::WriteBytes(season / year / kAttractionFile, attraction);
    if (y.data) test::WriteBytes(season / year / kParkFile, "");
    if (y.images_folder) std::filesystem::create_directories(season / year / kImagesFolderName);
  }
  test::WriteBytes(season / kImageStoreFile, index);
  test::WriteBytes(season / kSettledPicturesFile, settled);
}

TEST(InterruptedRunMessage, NamesNewYearsAndWherePicturesAreMissing) {
  const std::vector<std::string> none;
  const std::vector<std::string> all_there = {"stored", "settled"};
  std::vector<YearState> thirteen;
  for (int32_t year = 1990; year < 2003; ++year) thirteen.push_back({year, true, false, none});
  const struct {
    std::string opening;
    std::vector<YearState> years;
    std::vector<int32_t> before;
    std::string message;
  } cases[] = {
      {kUpdaterCancelledOpening,
       {{1990, true, true, all_there}, {1991, true, false, {"stored"}}},
       {},
       "Abgebrochen. Geladen: 1990, 1991; Bilder fehlen noch f\xfcr 1991."},
      {kUpdaterEndedUnexpectedly,
       {{1990, true, true, none}, {1991, false, false, none}},
       {1990},
       "Der Updater wurde unerwartet beendet. Keine neuen Jahre geladen."},
      {kUpdaterCancelledOpening,
       {{1990, true, true, {"stored", "open"}}, {1991, true, true, all_there}},
       {1990, 1991},
       "Abgebrochen. Keine neuen Jahre geladen; Bilder fehlen noch f\xfcr 1990."},
      {kUpdaterCancelledOpening,
       thirteen,
       {},
       "Abgebrochen. Geladen: 1990, 1991, 1992, 1993, 1994, 1995, 1996, 1997, 1998, 1999, 2000, "
       "2001 und 1 weitere; Bilder fehlen noch f\xfcr 1990, 1991, 1992, 1993, 1994, 1995, 1996, "
       "1997, 1998, 1999, 2000, 2001 und 1 weitere."},
  };
  for (const auto& c : cases) {
    test::ScratchFolder season;
    Lay(season, c.years);
    EXPECT_EQ(InterruptedRunMessage(c.opening, season.path(), c.before), c.message);
  }
}

}  // namespace
}  // namespace wunt
