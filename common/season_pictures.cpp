#include "common/season_pictures.h"

#include <algorithm>
#include <system_error>
#include <unordered_set>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/season_layout.h"
#include "common/text.h"

namespace wunt {

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxPicturePathLength = 512;

// The words in the file; a player may read it.
constexpr std::pair<SettledReason, std::string_view> kReasonWords[] = {
    {SettledReason::kNotOnServer, "nicht auf dem Server"},
    {SettledReason::kTooLarge, "zu gross"},
};

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

void SettledPictures::Load(const fs::path& season_folder) {
  entries_.clear();
  changed_ = false;
  const fs::path file = season_folder / kSettledPicturesFile;
  std::error_code ec;
  // Through a link it could be any file at all.
  if (!fs::is_regular_file(fs::symlink_status(file, ec))) return;
  if (fs::file_size(file, ec) > kMaxFileBytes || ec) return;
  std::optional<std::string> bytes = ReadWholeFile(file);
  if (!bytes || bytes->size() > kMaxFileBytes) return;
  IniFile ini;
  ini.OpenIniFromBytes(std::move(*bytes));
  for (const IniFile::Line& line : ini.lines()) {
    if (line.kind == IniFile::LineKind::kGroup) break;
    if (line.kind != IniFile::LineKind::kKey || entries_.size() >= kMaxEntries) continue;
    const std::string_view word = TrimBlanks(line.value);
    const auto* known = std::find_if(std::begin(kReasonWords), std::end(kReasonWords),
                                     [word](const auto& pair) { return pair.second == word; });
    const std::string path(TrimBlanks(line.name));
    if (known == std::end(kReasonWords) || !IsSafePicturePath(path)) continue;
    entries_.emplace(FoldCaseAZ(path), Entry{path, known->first});
  }
}

bool SettledPictures::Contains(std::string_view path) const {
  return entries_.count(FoldCaseAZ(path)) != 0;
}

bool SettledPictures::Settle(std::string_view path, SettledReason reason) {
  if (!IsSafePicturePath(path)) return false;
  std::string key = FoldCaseAZ(path);
  if (entries_.count(key)) return true;
  if (entries_.size() >= kMaxEntries) return false;
  entries_.emplace(std::move(key), Entry{std::string(path), reason});
  changed_ = true;
  return true;
}

bool SettledPictures::Save(const fs::path& season_folder) {
  if (!changed_) return true;
  std::vector<const Entry*> sorted;
  for (const auto& [key, entry] : entries_) sorted.push_back(&entry);
  std::sort(sorted.begin(), sorted.end(),
            [](const Entry* a, const Entry* b) { return a->path < b->path; });
  std::string text;
  for (const Entry* entry : sorted) {
    for (const auto& [reason, word] : kReasonWords) {
      if (reason == entry->reason) text += entry->path + " = " + std::string(word) + "\r\n";
    }
  }
  // Renamed over the name: a link planted there is replaced, not followed.
  if (!WriteFileAtomically(season_folder / kSettledPicturesFile, text)) return false;
  changed_ = false;
  return true;
}

bool YearPicturesComplete(const fs::path& season_folder, const std::string& year, IniFile& index,
                          const SettledPictures& settled) {
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(season_folder / year / kImagesFolderName, ec))) {
    return false;
  }
  index.SelectGroup("");
  for (const std::string& path : CollectPicturePaths(season_folder / year)) {
    // A path that can never be stored does not hold the year back.
    if (IsSafePicturePath(path) && index.ReadString(path, "").empty() && !settled.Contains(path)) {
      return false;
    }
  }
  return true;
}

}  // namespace wunt
