#include "updater/image_store.h"

#include <zlib.h>

#include <unordered_set>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/raster_image.h"
#include "common/season_layout.h"
#include "common/text.h"
#include "updater/http_client.h"

namespace wunt {

namespace fs = std::filesystem;

const FixedPictureSize kFixedPictureSizes[23] = {
    {"attraktionen/186q.jpg", 250, 50},  {"attraktionen/182h.jpg", 50, 250},
    {"attraktionen/184h.jpg", 50, 400},  {"attraktionen/183h.jpg", 50, 650},
    {"attraktionen/188q.jpg", 650, 50},  {"attraktionen/189q.jpg", 650, 50},
    {"attraktionen/190q.jpg", 250, 50},  {"attraktionen/191q.jpg", 250, 250},
    {"attraktionen/192h.jpg", 200, 250}, {"attraktionen/195h.jpg", 250, 300},
    {"attraktionen/194h.jpg", 250, 350}, {"attraktionen/201h.jpg", 200, 300},
    {"attraktionen/193h.jpg", 200, 250}, {"attraktionen/196h.jpg", 250, 250},
    {"attraktionen/198h.jpg", 250, 350}, {"attraktionen/199h.jpg", 200, 350},
    {"attraktionen/200h.jpg", 200, 350}, {"attraktionen/202q.jpg", 250, 200},
    {"attraktionen/203q.jpg", 250, 200}, {"attraktionen/204q.jpg", 250, 200},
    {"attraktionen/205q.jpg", 250, 200}, {"attraktionen/206q.jpg", 400, 200},
    {"attraktionen/207q.jpg", 400, 200},
};

namespace {

constexpr size_t kMaxPicturePathLength = 512;
constexpr int kPictureCell = 50;
constexpr int kMaxNameTries = 100;

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void AddPath(std::string value, std::vector<std::string>& paths,
             std::unordered_set<std::string>& seen) {
  if (value.empty()) return;
  if (seen.insert(FoldCaseAZ(value)).second) paths.push_back(std::move(value));
}

}  // namespace

std::vector<std::string> CollectPicturePaths(const fs::path& year_folder) {
  std::vector<std::string> paths;
  std::unordered_set<std::string> seen;
  IniFile ini;
  if (ini.OpenIni(year_folder / kAttractionFile)) {
    ini.FirstGroup();
    while (ini.NextGroup()) {
      if (ini.GroupName().find('_') != std::string::npos) continue;
      AddPath(ini.ReadString("21", ""), paths, seen);
    }
  }
  if (ini.OpenIni(year_folder / kParkFile)) {
    ini.FirstGroup();
    while (ini.NextGroup()) {
      if (!IsAttractionListGroup(ini.GroupName())) continue;
      for (ParkRun& run : ReadParkRuns(ini)) AddPath(std::move(run.picture_path), paths, seen);
    }
  }
  ini.CloseIni();
  return paths;
}

std::optional<std::string> PictureExtension(std::string_view path) {
  size_t dot = path.rfind('.');
  if (dot == path.npos) return std::nullopt;
  std::string_view extension = path.substr(dot + 1);
  if (extension.empty() || extension.size() > 5) return std::nullopt;
  for (char c : extension) {
    if (!IsAsciiAlnum(c)) return std::nullopt;
  }
  return std::string(extension);
}

bool IsSafePicturePath(std::string_view path) {
  if (path.empty() || path.size() > kMaxPicturePathLength) return false;
  for (char c : path) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) return false;
  }
  // "=" or a leading "[" or ";" would read back as a different index line.
  if (path.find('=') != path.npos || path[0] == '[' || path[0] == ';') return false;
  return StaysInsideFolder(path) && PictureExtension(path).has_value();
}

std::string PictureFileName(std::string_view bytes, std::string_view extension) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes at most uInt per call.
  for (size_t at = 0; at < bytes.size(); at += 1u << 30) {
    std::string_view part = bytes.substr(at, 1u << 30);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(part.data()), static_cast<uInt>(part.size()));
  }
  std::string name = std::to_string(static_cast<int32_t>(static_cast<uint32_t>(crc)));
  name += '.';
  name += extension;
  return name;
}

std::optional<std::string> StorePicture(const fs::path& images_folder, std::string_view bytes,
                                        std::string_view extension, std::mt19937& random) {
  std::string name = PictureFileName(bytes, extension);
  std::uniform_int_distribution<int> digit(0, 9);
  for (int tries = 0; tries < kMaxNameTries; ++tries) {
    std::error_code ec;
    fs::file_status status = fs::symlink_status(images_folder / name, ec);
    if (status.type() == fs::file_type::not_found) {
      if (!WriteFileAtomically(images_folder / name, bytes)) return std::nullopt;
      return name;
    }
    if (fs::is_regular_file(status) && ReadWholeFile(images_folder / name) == bytes) return name;
    name.insert(name.begin(), static_cast<char>('0' + digit(random)));
  }
  return std::nullopt;
}

namespace {

// A folder the updater may write into: there already as a real folder, or
// made now. A link is refused, since writing through it would land outside
// the season.
bool UsableFolder(const fs::path& folder) {
  std::error_code ec;
  fs::file_status status = fs::symlink_status(folder, ec);
  if (fs::is_symlink(status)) return false;
  if (fs::is_directory(status)) return true;
  return fs::create_directory(folder, ec) && !ec;
}

// The regular file `relative` names below `folder`, reached through real
// folders only; nothing when any step is a link or of the wrong kind.
std::optional<fs::path> FileWithoutLinks(const fs::path& folder, const fs::path& relative) {
  fs::path path = folder;
  for (auto step = relative.begin(); step != relative.end(); ++step) {
    path /= *step;
    std::error_code ec;
    fs::file_status status = fs::symlink_status(path, ec);
    bool last = std::next(step) == relative.end();
    if (last ? !fs::is_regular_file(status) : !fs::is_directory(status)) return std::nullopt;
  }
  return path;
}

bool IsYearName(const std::string& year) {
  return !year.empty() && year.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

bool YearPicturesComplete(const fs::path& season_folder, const std::string& year, IniFile& index) {
  index.SelectGroup("");
  for (const std::string& path : CollectPicturePaths(season_folder / year)) {
    // A path that can never be stored does not hold the year back.
    if (IsSafePicturePath(path) && index.ReadString(path, "").empty()) return false;
  }
  return true;
}

bool StoreYearPictures(const fs::path& season_folder, const std::string& year,
                       const PictureFetcher& fetch, std::mt19937& random, int attempts) {
  // The year becomes part of paths and index values.
  if (!IsYearName(year)) return false;
  fs::path year_folder = season_folder / year;
  fs::path images = year_folder / kImagesFolderName;
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(year_folder, ec)) || !UsableFolder(images)) {
    return false;
  }
  std::vector<std::string> paths = CollectPicturePaths(year_folder);

  IniFile index;
  if (!OpenPictureIndex(index, season_folder)) return false;
  index.SelectGroup("");
  bool complete = true;
  for (const std::string& path : paths) {
    if (!IsSafePicturePath(path) || !index.ReadString(path, "").empty()) continue;
    std::string extension = *PictureExtension(path);
    bool stored = false;
    for (int attempt = 0; attempt < attempts && !stored; ++attempt) {
      std::optional<std::string> bytes = fetch(path);
      if (!bytes) continue;
      std::optional<std::string> name = StorePicture(images, *bytes, extension, random);
      if (!name) continue;
      index.WriteString(path, StoredPictureValue(year, *name));
      stored = true;
    }
    complete = complete && stored;
  }
  // The pictures stored so far count even when some failed: written either
  // way, so a later run fetches only what is still missing.
  return index.CloseIni() && complete;
}

bool OpenPictureIndex(IniFile& index, const fs::path& season_folder) {
  if (!FileWithoutLinks(season_folder, kImageStoreFile)) return false;
  return index.OpenIni(season_folder / kImageStoreFile);
}

std::optional<std::string> FetchPictureFromServer(const std::string& host, int port,
                                                  const std::string& path) {
  std::unique_ptr<HttpConnection> connection =
      OpenHttpRequest(host, port, "GET /" + path + " HTTP/1.1", "", "", "", "");
  if (!connection) return std::nullopt;
  std::optional<std::string> body = FetchToMemory(connection.get());
  CloseHttpConnection(std::move(connection));
  return body;
}

void FixPictureSizes(const fs::path& season_folder) {
  IniFile index;
  if (!OpenPictureIndex(index, season_folder)) return;
  index.SelectGroup("");
  for (const FixedPictureSize& row : kFixedPictureSizes) {
    std::string value = index.ReadString(row.path, "");
    if (value.empty() || !StaysInsideFolder(value)) continue;
    std::optional<fs::path> found = FileWithoutLinks(season_folder, ReplaceAll(value, "\\", "/"));
    if (!found) continue;
    const fs::path& file = *found;
    std::optional<RasterImage> picture = LoadImageFile(file);
    if (!picture || (picture->width() == row.width && picture->height() == row.height)) continue;
    RasterImage tiled(row.width, row.height, Rgb{0, 0, 0});
    // Each drawing covers the earlier ones, so every cell ends up with the
    // picture's top-left corner.
    for (int x = 0; x < row.width; x += kPictureCell) {
      for (int y = 0; y < row.height; y += kPictureCell) tiled.Draw(*picture, x, y);
    }
    SaveBmp(tiled, file);
  }
  index.CloseIni();
}

}  // namespace wunt
