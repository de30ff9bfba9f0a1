#pragma once
// The season's picture store: attraction pictures fetched from the game
// server, stored once per season under a name taken from their CRC-32, and
// found through the season's ImageStore.ini (key: the picture path as the
// data files write it; value: year + "\Images\" + file name).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace wunt {

class IniFile;

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

// CRC-32 of the bytes as a signed decimal, ".", the extension.
std::string PictureFileName(std::string_view bytes, std::string_view extension);

// Writes the picture into `images_folder` under its name, with random digits
// put in front while the name is taken by other bytes. A file that already
// holds the same bytes is taken as it is (a run killed before it wrote the
// index left it). The file name, or nothing.
std::optional<std::string> StorePicture(const std::filesystem::path& images_folder,
                                        std::string_view bytes, std::string_view extension,
                                        std::mt19937& random);

// Fetches a picture's bytes; nothing when no body arrived.
using PictureFetcher = std::function<std::optional<std::string>(const std::string& path)>;

// Fetches the pictures of one game year that the index does not know yet
// and stores them in the year's "Images" folder (created when missing; a
// link there or at the year folder is refused). A failing picture is tried
// `attempts` times and then left without index entry. True only when every
// picture of the year is stored and the index holding them was written:
// only then may the year count as done.
bool StoreYearPictures(const std::filesystem::path& season_folder, const std::string& year,
                       const PictureFetcher& fetch, std::mt19937& random, int attempts = 5);

// Whether every picture of the year's data files has an index entry.
bool YearPicturesComplete(const std::filesystem::path& season_folder, const std::string& year,
                          IniFile& index);

// Opens the season's ImageStore.ini; a link there is refused like a missing
// file, since reading it would copy another file's content into the season.
bool OpenPictureIndex(IniFile& index, const std::filesystem::path& season_folder);

// The request for one picture on the game server, fetched to memory.
std::optional<std::string> FetchPictureFromServer(const std::string& host, int port,
                                                  const std::string& path);

struct FixedPictureSize {
  const char* path;
  int width;
  int height;
};
extern const FixedPictureSize kFixedPictureSizes[23];

// Pictures that the park plan draws at a fixed size are repeated in 50 x 50
// cells up to that size and stored again, as bitmaps under the same name.
// Links are never followed: not at the index, not at a year or "Images"
// folder, not at the picture.
void FixPictureSizes(const std::filesystem::path& season_folder);

}  // namespace wunt
