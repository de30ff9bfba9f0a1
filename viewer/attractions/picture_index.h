#pragma once
// The season's picture index (ImageStore.ini): picture path as the data
// files write it -> where the downloaded picture lies, e.g.
// "1971\Images\123.jpg", relative to the season folder.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/raster_image.h"
#include "common/season_layout.h"
#include "common/season_pictures.h"

namespace wunt {

class PictureIndex {
 public:
  // Reads <season_folder>/ImageStore.ini (its entries stand before any
  // group). False when the file cannot be opened; the index is then empty.
  bool Open(const std::filesystem::path& season_folder);
  bool is_open() const { return is_open_; }

  // Where the picture of `picture_path` lies, or nothing. Safe to call
  // from several threads once opened.
  std::optional<std::filesystem::path> Find(std::string_view picture_path) const;
  // The decoded picture, or nothing when it is not indexed, missing, too
  // large or does not decode.
  std::optional<RasterImage> Load(std::string_view picture_path) const;

 private:
  std::filesystem::path season_folder_;
  bool is_open_ = false;
  std::unordered_map<std::string, std::string> values_;  // case-folded key
};

// Decodes a picture file, refusing files beyond kMaxPictureBytes.
std::optional<RasterImage> LoadPictureFile(const std::filesystem::path& file);

struct PictureSize {
  int64_t width = 0;
  int64_t height = 0;
  friend bool operator==(const PictureSize&, const PictureSize&) = default;
};
// The size the header of a bitmap, JPEG or PNG declares, read without
// decoding anything; nothing when no header can be read.
std::optional<PictureSize> DeclaredPictureSize(std::string_view bytes);

}  // namespace wunt
