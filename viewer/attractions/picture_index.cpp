#include "viewer/attractions/picture_index.h"

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/text.h"

namespace wunt {

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

}  // namespace wunt
