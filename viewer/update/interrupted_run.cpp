#include "viewer/update/interrupted_run.h"

#include <algorithm>
#include <system_error>

#include "common/ini_file.h"
#include "common/season_layout.h"
#include "common/season_pictures.h"

namespace wunt {
namespace fs = std::filesystem;

namespace {

constexpr size_t kNamedYears = 12;

bool HasData(const fs::path& year_folder) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(year_folder / kParkFile, ec));
}

std::string YearList(const std::vector<int32_t>& years) {
  std::string text;
  for (size_t i = 0; i < years.size() && i < kNamedYears; ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(years[i]);
  }
  if (years.size() > kNamedYears) {
    text += " und " + std::to_string(years.size() - kNamedYears) + " weitere";
  }
  return text;
}

}  // namespace

std::vector<int32_t> YearsWithData(const fs::path& season_folder) {
  std::vector<int32_t> years;
  for (int32_t year : ListGameYears(season_folder)) {
    if (HasData(YearFolder(season_folder, year))) years.push_back(year);
  }
  return years;
}

std::string InterruptedRunMessage(std::string_view opening, const fs::path& season_folder,
                                  const std::vector<int32_t>& before) {
  IniFile index;
  index.OpenIni(season_folder / kImageStoreFile);
  SettledPictures settled;
  settled.Load(season_folder);
  std::vector<int32_t> loaded;
  std::vector<int32_t> pictures_missing;
  for (int32_t year : YearsWithData(season_folder)) {
    if (!std::binary_search(before.begin(), before.end(), year)) loaded.push_back(year);
    if (!YearPicturesComplete(season_folder, std::to_string(year), index, settled)) {
      pictures_missing.push_back(year);
    }
  }
  std::string message(opening);
  message += loaded.empty() ? " Keine neuen Jahre geladen" : " Geladen: " + YearList(loaded);
  if (!pictures_missing.empty()) {
    message += "; Bilder fehlen noch f\xfcr " + YearList(pictures_missing);
  }
  return message + ".";
}

std::string RunEndMessage(const UpdaterAction& final_action, const fs::path& season_folder,
                          const std::vector<int32_t>& before) {
  switch (final_action.kind) {
    case UpdaterActionKind::kCancelled:
      return InterruptedRunMessage(kUpdaterCancelledOpening, season_folder, before);
    case UpdaterActionKind::kEnded:
      return InterruptedRunMessage(kUpdaterEndedUnexpectedly, season_folder, before);
    default:
      return final_action.message;
  }
}

}  // namespace wunt
