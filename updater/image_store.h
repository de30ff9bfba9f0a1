#pragma once
// The season's picture store: attraction pictures fetched from the game
// server, stored once per season under a name taken from their CRC-32, and
// found through the season's ImageStore.ini (key: the picture path as the
// data files write it; value: year + "\Images\" + file name).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/season_pictures.h"

namespace wunt {

class IniFile;

// CRC-32 of the bytes as a signed decimal, ".", the extension.
std::string PictureFileName(std::string_view bytes, std::string_view extension);

// Writes the picture into `images_folder` under its name, with random digits
// put in front while the name is taken by other bytes. A file that already
// holds the same bytes is taken as it is (a run killed before it wrote the
// index left it). The file name, or nothing.
std::optional<std::string> StorePicture(const std::filesystem::path& images_folder,
                                        std::string_view bytes, std::string_view extension,
                                        std::mt19937& random);

// What the game server answered for one picture. A picture that is not
// there (404, 410) or too large to keep is a definite answer and settles the
// path; anything else (no answer, a cut body, 5xx) leaves it open.
struct PictureAnswer {
  enum class Kind { kPicture, kNotOnServer, kTooLarge, kFailed };
  Kind kind = Kind::kFailed;
  std::string bytes;  // kPicture only
};

using PictureFetcher = std::function<PictureAnswer(const std::string& path)>;

struct YearPicturesResult {
  // Every picture of the year is stored or settled, and the index and the
  // settled file holding them were written: only then may the year count as
  // done.
  bool complete = false;
  // Paths refused in this call for their size (settled, but worth saying).
  std::vector<std::string> too_large;
};

// Fetches and stores the pictures of a season's game years, one year after
// another. Pictures wait for the disk in batches that may span years; the
// index names a batch's pictures only once the batch is on the disk, so a
// year counts as done only after Finish().
class SeasonPictureStore {
 public:
  SeasonPictureStore(const std::filesystem::path& season_folder, std::mt19937& random,
                     int attempts = 5);
  ~SeasonPictureStore();
  SeasonPictureStore(const SeasonPictureStore&) = delete;
  SeasonPictureStore& operator=(const SeasonPictureStore&) = delete;

  // As StoreYearPictures for one year; the paths refused for their size.
  std::vector<std::string> StoreYear(const std::string& year, const PictureFetcher& fetch);
  // Stores and names whatever still waits; the years handed in (in their
  // order) whose pictures are all stored or settled, in a written index and
  // settled file.
  std::vector<std::string> Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Fetches the pictures of one game year that the index does not know and
// that are not settled, and stores them in the year's "Images" folder
// (created when missing; a link there or at the year folder is refused). A
// failing picture is tried `attempts` times and then left open.
YearPicturesResult StoreYearPictures(const std::filesystem::path& season_folder,
                                     const std::string& year, const PictureFetcher& fetch,
                                     std::mt19937& random, int attempts = 5);

struct HttpConnection;

// Reads one picture request's answer: a 2xx body of 1 to kMaxPictureBytes
// bytes is a picture, a larger one (announced or arriving) is refused before
// it is held whole, 404 and 410 say it is not there. Anything else failed.
PictureAnswer ReadPictureAnswer(HttpConnection* connection);

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
