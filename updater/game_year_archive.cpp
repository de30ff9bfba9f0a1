#include "updater/game_year_archive.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <span>

#include "common/file_util.h"
#include "common/season_layout.h"

namespace wunt {
namespace {

uint32_t LoadLe32(std::string_view bytes, size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Trailing blanks and separators would make a different folder name.
std::filesystem::path CleanFolder(const std::filesystem::path& folder) {
  std::string text = folder.string();
  while (text.size() > 1 && (text.back() == ' ' || text.back() == '\\' || text.back() == '/')) {
    text.pop_back();
  }
  return text;
}

}  // namespace

std::optional<std::string> ReadArchiveEntry(std::string_view archive, size_t* offset,
                                            uint64_t max_size) {
  if (*offset > archive.size() || archive.size() - *offset < kArchiveEntryHeaderSize) {
    return std::nullopt;
  }
  uint32_t plain_size = LoadLe32(archive, *offset);
  uint32_t stored_size = LoadLe32(archive, *offset + 4);
  size_t start = *offset + kArchiveEntryHeaderSize;
  if (stored_size > archive.size() - start || plain_size > max_size) return std::nullopt;
  std::string_view stored = archive.substr(start, stored_size);
  std::optional<std::string> entry;
  if (plain_size == stored_size) {
    entry = std::string(stored);
  } else {
    // The stream's own size must agree with the entry's, or one of the two lies.
    std::optional<uint32_t> declared = Jcalg1DeclaredSize(stored);
    if (!declared || *declared != plain_size) return std::nullopt;
    entry = DecodeJcalg1(stored, plain_size);
    if (!entry) return std::nullopt;
  }
  *offset = start + stored_size;
  return entry;
}

std::optional<GameYearFiles> DecodeGameYearArchive(std::string_view archive, uint64_t max_size) {
  GameYearFiles files;
  size_t offset = 0;
  for (std::string& file : files) {
    std::optional<std::string> entry = ReadArchiveEntry(archive, &offset, max_size);
    if (!entry) return std::nullopt;
    file = std::move(*entry);
  }
  return files;
}

uint64_t ArchiveEntryLimit(uint64_t archive_size) {
  return std::min(kMaxArchiveEntrySize, archive_size * kMaxExpansion);
}

namespace {

// The archive file read entry by entry, so only one entry is held at a time.
class ArchiveFile {
 public:
  explicit ArchiveFile(const std::filesystem::path& path) : file_(std::fopen(path.c_str(), "rb")) {
    struct stat info {};
    if (file_ != nullptr && ::fstat(::fileno(file_), &info) == 0 && S_ISREG(info.st_mode)) {
      size_ = static_cast<uint64_t>(info.st_size);
    }
  }
  ~ArchiveFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  ArchiveFile(const ArchiveFile&) = delete;
  ArchiveFile& operator=(const ArchiveFile&) = delete;

  bool ok() const { return file_ != nullptr && size_ > 0; }

  // `budget` bounds the expanded entry besides the archive's own limit;
  // `*over_budget` tells when the entry claimed more than it.
  std::optional<std::string> NextEntry(uint64_t budget, bool* over_budget) {
    std::string raw(kArchiveEntryHeaderSize, '\0');
    if (!Read(raw)) return std::nullopt;
    *over_budget = LoadLe32(raw, 0) > budget;
    uint32_t stored_size = LoadLe32(raw, 4);
    if (stored_size > size_ - read_) return std::nullopt;
    raw.resize(kArchiveEntryHeaderSize + stored_size);
    if (!Read(std::span<char>(raw).subspan(kArchiveEntryHeaderSize))) return std::nullopt;
    size_t offset = 0;
    return ReadArchiveEntry(raw, &offset, std::min(budget, ArchiveEntryLimit(size_)));
  }

 private:
  bool Read(std::span<char> into) {
    if (std::fread(into.data(), 1, into.size(), file_) != into.size()) return false;
    read_ += into.size();
    return true;
  }

  std::FILE* file_;
  uint64_t size_ = 0;
  uint64_t read_ = 0;
};

}  // namespace

std::unique_ptr<UnpackedGameYear> StartUnpackGameYear(const std::filesystem::path& year_folder,
                                                      const std::filesystem::path& archive_path,
                                                      const WriteAllowance& may_write,
                                                      bool* over_year_bound) {
  bool over_budget = false;
  if (over_year_bound != nullptr) *over_year_bound = false;
  ArchiveFile archive(archive_path);
  if (!archive.ok()) return nullptr;

  std::filesystem::path folder = CleanFolder(year_folder);
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::symlink_status(folder, ec);
  if (std::filesystem::is_symlink(status)) return nullptr;
  bool created = std::filesystem::create_directory(folder, ec);
  if (ec) return nullptr;

  auto year = std::make_unique<UnpackedGameYear>(folder, created);
  std::array<AtomicFileWriter, 3>& writers = year->writers_;
  bool ok = true;
  uint64_t budget = kMaxGameYearBytes;
  for (size_t i = 0; i < writers.size() && ok; ++i) {
    std::optional<std::string> entry = archive.NextEntry(budget, &over_budget);
    ok = entry && (!may_write || may_write(entry->size())) &&
         writers[i].Open(folder / kGameYearFileNames[i]) && writers[i].Write(*entry);
    if (ok) budget -= entry->size();
  }
  // All three files go to the disk together, so the sync in Commit() mostly
  // finds their bytes there already.
  for (AtomicFileWriter& writer : writers) ok = ok && writer.StartWriteBack();
  if (!ok) {
    if (over_year_bound != nullptr) *over_year_bound = over_budget;
    return nullptr;
  }
  return year;
}

bool UnpackedGameYear::Commit() {
  // One sync for all three where the system allows; else each Commit() syncs.
  // Park.ini (index 0) goes in last.
  SyncTogether(std::array{&writers_[0], &writers_[1], &writers_[2]});
  bool ok = writers_[1].Commit() && writers_[2].Commit() && writers_[0].Commit();
  if (!ok) Abandon();
  created_ = false;
  return ok;
}

void UnpackedGameYear::Abandon() {
  for (AtomicFileWriter& writer : writers_) writer.Abandon();
  // A folder we made and could not fill goes again (remove() keeps it if
  // anything landed in it).
  std::error_code ec;
  if (created_) std::filesystem::remove(folder_, ec);
  created_ = false;
}

bool UnpackGameYear(const std::filesystem::path& year_folder,
                    const std::filesystem::path& archive_path, const WriteAllowance& may_write,
                    bool* over_year_bound) {
  std::unique_ptr<UnpackedGameYear> year =
      StartUnpackGameYear(year_folder, archive_path, may_write, over_year_bound);
  return year && year->Commit();
}

}  // namespace wunt
