#pragma once
// How the data folder is laid out, for every program that reads or writes
// it: Data/<season>/ with the season's files, one folder per game year with
// its data files and Images/, the runs of seven keys that place a park's
// attractions in Park.ini, and where a stored picture may lie.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wunt {

class IniFile;

// Beside the programs: one folder per season.
inline constexpr char kDataFolderName[] = "Data";

// In a season folder.
inline constexpr char kDatafieldsFile[] = "Datafields.txt";
inline constexpr char kTranslationFile[] = "Translation.txt";
inline constexpr char kSaveDataFile[] = "SaveData.ini";
inline constexpr char kImageStoreFile[] = "ImageStore.ini";

// In a game-year folder. Park.ini is written last, since its presence marks
// the year as downloaded.
inline constexpr char kParkFile[] = "Park.ini";
inline constexpr char kCompanyFile[] = "Company.ini";
inline constexpr char kAttractionFile[] = "Attraction.ini";
inline constexpr char kImagesFolderName[] = "Images";

// The data files of a game year in the order of a year archive's entries.
inline constexpr std::array<const char*, 3> kGameYearFileNames = {kParkFile, kCompanyFile,
                                                                  kAttractionFile};

// Data/ below the program folder.
std::filesystem::path DataFolder(const std::filesystem::path& program_folder);

// Data/<season>/ below the data folder.
std::filesystem::path SeasonFolder(const std::filesystem::path& data_dir, int season);

// The folder a year's files are read from (the year in plain decimal).
std::filesystem::path YearFolder(const std::filesystem::path& season_folder, int32_t year);

// The season folders of a data folder, as their names stand: every
// sub-folder whose name reads as a non-zero number, in ascending order of
// that number, so the newest season comes last.
std::vector<std::string> ListSeasonFolders(const std::filesystem::path& data_dir);

// The game years of a season folder: every sub-folder whose name is a year
// of four digits (1000 to 9999), ascending. Anything else, "99999999" or
// "02009" included, is not a game year: spans run over the years between.
std::vector<int32_t> ListGameYears(const std::filesystem::path& season_folder);

// The ImageStore.ini value of a picture stored in a year's Images folder,
// relative to the season folder: year + "\Images\" + file name.
std::string StoredPictureValue(std::string_view year, std::string_view file_name);

// Whether a relative path from the data files stays below the folder it is
// taken from: not empty, no root, no drive, no ".." step; "\" and "/" both
// separate steps.
bool StaysInsideFolder(std::string_view path);

// The file a stored value names inside the season folder. Backslashes
// separate folders on every platform. Nothing for values that could leave
// the folder: empty, absolute, with a drive letter or a ".." step.
std::optional<std::filesystem::path> ResolveStoredPicture(
    const std::filesystem::path& season_folder, std::string_view stored_value);

// One placed attraction of a park: in the group "<park id>_Attractionlist"
// of Park.ini a run of seven keys whatever their names, of which key 4 is
// x, 5 is y and 6 the picture path.
struct ParkRun {
  std::string picture_path;
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const ParkRun&, const ParkRun&) = default;
};

// Whether a Park.ini group lists a park's placed attractions.
bool IsAttractionListGroup(std::string_view group_name);

// The runs of the current group of an open Park.ini. An incomplete last run
// is ignored.
std::vector<ParkRun> ReadParkRuns(IniFile& park_ini);
// The runs of the park's group; no group, no runs.
std::vector<ParkRun> ReadParkRuns(IniFile& park_ini, int32_t park_id);

}  // namespace wunt
