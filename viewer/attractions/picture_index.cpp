#include "viewer/attractions/picture_index.h"

#include <cstdlib>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/text.h"

namespace wunt {
namespace {

uint32_t Byte(std::string_view bytes, size_t at) { return static_cast<unsigned char>(bytes[at]); }
uint32_t Be16(std::string_view b, size_t at) { return Byte(b, at) << 8 | Byte(b, at + 1); }
uint32_t Be32(std::string_view b, size_t at) { return Be16(b, at) << 16 | Be16(b, at + 2); }
uint32_t Le16(std::string_view b, size_t at) { return Byte(b, at) | Byte(b, at + 1) << 8; }
uint32_t Le32(std::string_view b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }

std::optional<PictureSize> BmpSize(std::string_view b) {
  if (b.size() < 26) return std::nullopt;
  if (Le32(b, 14) == 12) {  // the old OS/2 header
    return PictureSize{Le16(b, 18), std::abs(static_cast<int16_t>(Le16(b, 20)))};
  }
  if (b.size() < 26 + 4) return std::nullopt;
  // A negative height means rows top-down.
  return PictureSize{static_cast<int32_t>(Le32(b, 18)),
                     std::abs(int64_t{static_cast<int32_t>(Le32(b, 22))})};
}

// Walks the segments up to the first frame header; the scan data after it
// is never looked at.
std::optional<PictureSize> JpegSize(std::string_view b) {
  size_t at = 2;
  while (at + 4 <= b.size()) {
    if (Byte(b, at) != 0xFF) return std::nullopt;
    const uint32_t marker = Byte(b, at + 1);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
      at += 2;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return std::nullopt;  // scan before any frame
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > b.size()) return std::nullopt;
      return PictureSize{Be16(b, at + 7), Be16(b, at + 5)};
    }
    at += 2 + Be16(b, at + 2);
  }
  return std::nullopt;
}

std::optional<PictureSize> PngSize(std::string_view b) {
  if (b.size() < 24 || b.substr(12, 4) != "IHDR") return std::nullopt;
  return PictureSize{Be32(b, 16), Be32(b, 20)};
}

}  // namespace

bool PictureIndex::Open(const std::filesystem::path& season_folder) {
  season_folder_ = season_folder;
  values_.clear();
  IniFile ini;
  is_open_ = ini.OpenIni(season_folder / kImageStoreFile);
  if (!is_open_) return false;
  ini.SelectGroup("");
  if (ini.FirstKey()) {
    while (ini.NextKey()) values_.try_emplace(FoldCaseAZ(ini.KeyName()), ini.KeyValue());
  }
  return true;
}

std::optional<std::filesystem::path> PictureIndex::Find(std::string_view picture_path) const {
  if (picture_path.empty()) return std::nullopt;
  auto it = values_.find(FoldCaseAZ(picture_path));
  if (it == values_.end()) return std::nullopt;
  return ResolveStoredPicture(season_folder_, it->second);
}

std::optional<RasterImage> PictureIndex::Load(std::string_view picture_path) const {
  std::optional<std::filesystem::path> file = Find(picture_path);
  if (!file) return std::nullopt;
  return LoadPictureFile(*file);
}

std::optional<RasterImage> LoadPictureFile(const std::filesystem::path& file) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec || size > kMaxPictureBytes) return std::nullopt;
  return LoadImageFile(file);
}

std::optional<PictureSize> DeclaredPictureSize(std::string_view bytes) {
  switch (DetectImageFormat(bytes)) {
    case ImageFormat::kBmp:
      return BmpSize(bytes);
    case ImageFormat::kJpeg:
      return JpegSize(bytes);
    case ImageFormat::kPng:
      return PngSize(bytes);
    case ImageFormat::kUnknown:
      break;
  }
  return std::nullopt;
}

}  // namespace wunt
