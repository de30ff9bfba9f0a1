#include "common/season_layout.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "common/ini_file.h"
#include "common/text.h"

namespace wunt {
namespace {

constexpr std::string_view kAttractionListSuffix = "_Attractionlist";
constexpr int kRunLength = 7;
constexpr int kRunX = 4;
constexpr int kRunY = 5;
constexpr int kRunPicture = 6;

}  // namespace

std::filesystem::path DataFolder(const std::filesystem::path& program_folder) {
  return program_folder / kDataFolderName;
}

std::filesystem::path SeasonFolder(const std::filesystem::path& data_dir, int season) {
  return data_dir / std::to_string(season);
}

std::filesystem::path YearFolder(const std::filesystem::path& season_folder, int32_t year) {
  return season_folder / std::to_string(year);
}

std::vector<std::string> ListSeasonFolders(const std::filesystem::path& data_dir) {
  std::vector<std::pair<int64_t, std::string>> seasons;
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator(data_dir, error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    if (!it->is_directory(error)) continue;
    std::string name = it->path().filename().string();
    const int64_t number = LeadingNumber(name);
    if (number != 0) seasons.emplace_back(number, std::move(name));
  }
  std::sort(seasons.begin(), seasons.end());
  std::vector<std::string> names;
  names.reserve(seasons.size());
  for (auto& season : seasons) names.push_back(std::move(season.second));
  return names;
}

std::vector<int32_t> ListGameYears(const std::filesystem::path& season_folder) {
  std::vector<int32_t> years;
  std::error_code ec;
  std::filesystem::directory_iterator it(season_folder, ec);
  if (ec) return years;
  for (const auto& entry : it) {
    std::error_code type_ec;
    if (!entry.is_directory(type_ec)) continue;
    const std::string name = entry.path().filename().string();
    const bool four_digits =
        name.size() == 4 && name[0] >= '1' && name[0] <= '9' &&
        std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (four_digits) years.push_back(static_cast<int32_t>(LeadingNumber(name)));
  }
  std::sort(years.begin(), years.end());
  return years;
}

std::string StoredPictureValue(std::string_view year, std::string_view file_name) {
  std::string value(year);
  value += '\\';
  value += kImagesFolderName;
  value += '\\';
  value += file_name;
  return value;
}

bool StaysInsideFolder(std::string_view path) {
  if (path.empty() || path[0] == '/' || path[0] == '\\' || path.find(':') != path.npos) {
    return false;
  }
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of("/\\", start);
    if (end == path.npos) end = path.size();
    if (path.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

std::optional<std::filesystem::path> ResolveStoredPicture(
    const std::filesystem::path& season_folder, std::string_view stored_value) {
  // A NUL would cut the name short where the file system reads it.
  if (stored_value.find('\0') != std::string_view::npos || !StaysInsideFolder(stored_value)) {
    return std::nullopt;
  }
  std::filesystem::path relative;
  size_t start = 0;
  while (start <= stored_value.size()) {
    size_t end = stored_value.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = stored_value.size();
    const std::string_view step = stored_value.substr(start, end - start);
    if (!step.empty() && step != ".") relative /= std::string(step);
    start = end + 1;
  }
  if (relative.empty()) return std::nullopt;
  return season_folder / relative;
}

bool IsAttractionListGroup(std::string_view group_name) {
  return group_name.find(kAttractionListSuffix) != std::string_view::npos;
}

std::vector<ParkRun> ReadParkRuns(IniFile& park_ini) {
  std::vector<ParkRun> runs;
  if (!park_ini.FirstKey()) return runs;
  ParkRun run;
  for (int64_t index = 0; park_ini.NextKey(); ++index) {
    switch (index % kRunLength) {
      case 0:
        run = ParkRun{};
        break;
      case kRunX:
        run.x = static_cast<int32_t>(LeadingNumber(park_ini.KeyValue()));
        break;
      case kRunY:
        run.y = static_cast<int32_t>(LeadingNumber(park_ini.KeyValue()));
        break;
      case kRunPicture:
        run.picture_path = park_ini.KeyValue();
        runs.push_back(std::move(run));
        break;
      default:
        break;
    }
  }
  return runs;
}

std::vector<ParkRun> ReadParkRuns(IniFile& park_ini, int32_t park_id) {
  if (!park_ini.SelectGroup(std::to_string(park_id) + std::string(kAttractionListSuffix)))
    return {};
  return ReadParkRuns(park_ini);
}

}  // namespace wunt
