#pragma once
// A season's attraction pictures as both programs see them: the paths a game
// year's data files name, which of them may be requested and stored, the
// largest picture file either program accepts, the pictures the game server
// has settled for good, and whether a year's pictures are all there.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace wunt {

class IniFile;

// Picture files larger than this are neither stored by the updater nor read
// by the Viewer; real ones have a few kB.
inline constexpr std::uintmax_t kMaxPictureBytes = 16u << 20;

// Beside ImageStore.ini, whose format stays as it is: one line per picture
// that will not be requested again, "path = reason".
inline constexpr char kSettledPicturesFile[] = "ImageStoreSettled.ini";

// Picture paths of one game year in the order they are fetched: key "21" of
// every Attraction.ini group without "_", then the seventh key of each run of
// seven in every Park.ini "_Attractionlist" group. Repeats (as the index
// compares keys) are left out; missing files contribute nothing.
std::vector<std::string> CollectPicturePaths(const std::filesystem::path& year_folder);

// Whether a path from the data files may be requested and stored: printable
// without blanks (it goes into the request line), staying inside its folder
// (StaysInsideFolder), usable as an index key, and with a plain extension.
bool IsSafePicturePath(std::string_view path);

// The text after the last ".", when it is 1 to 5 letters and digits.
std::optional<std::string> PictureExtension(std::string_view path);

// Why a picture is not asked for again. A definite answer settles a picture
// as a stored file does: its year is complete without it.
enum class SettledReason { kNotOnServer, kTooLarge };

// The season's settled pictures. Lines that are not a safe path with a known
// reason are ignored, as is a file beyond its size bound (its pictures are
// then simply asked for again and settled anew).
class SettledPictures {
 public:
  static constexpr size_t kMaxEntries = 50000;
  static constexpr std::uintmax_t kMaxFileBytes = 8u << 20;

  // Reads the season's file; a missing or unreadable one settles nothing.
  void Load(const std::filesystem::path& season_folder);
  // Paths compare as index keys do (A-Z case ignored).
  bool Contains(std::string_view path) const;
  // False when the path is unsafe or the bound is reached: it stays open.
  bool Settle(std::string_view path, SettledReason reason);
  // Writes the file atomically, only when something was settled since Load.
  bool Save(const std::filesystem::path& season_folder);
  size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    std::string path;
    SettledReason reason;
  };
  std::unordered_map<std::string, Entry> entries_;  // case-folded path
  bool changed_ = false;
};

// Whether a year's pictures are all there: its "Images" folder is a real
// folder and every safe picture path of its data files is indexed or settled.
// `index` is the season's open ImageStore.ini.
bool YearPicturesComplete(const std::filesystem::path& season_folder, const std::string& year,
                          IniFile& index, const SettledPictures& settled);

}  // namespace wunt
