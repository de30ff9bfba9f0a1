#include "updater/game_year_archive.h"

#include <memory>

#include "common/file_util.h"

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

bool UnpackGameYear(const std::filesystem::path& year_folder,
                    const std::filesystem::path& archive_path) {
  std::optional<std::string> archive = ReadWholeFile(archive_path);
  if (!archive) return false;
  std::optional<GameYearFiles> files = DecodeGameYearArchive(*archive);
  if (!files) return false;

  std::filesystem::path folder = CleanFolder(year_folder);
  std::error_code ec;
  bool created = std::filesystem::create_directory(folder, ec);
  if (ec) return false;

  std::array<AtomicFileWriter, 3> writers;
  bool ok = true;
  for (size_t i = 0; i < files->size() && ok; ++i) {
    ok = writers[i].Open(folder / kGameYearFileNames[i]) && writers[i].Write((*files)[i]);
  }
  // Park.ini (index 0) goes in last.
  ok = ok && writers[1].Commit() && writers[2].Commit() && writers[0].Commit();
  if (!ok) {
    for (AtomicFileWriter& writer : writers) writer.Abandon();
    // A folder we made and could not fill goes again (remove() keeps it if
    // anything landed in it).
    if (created) std::filesystem::remove(folder, ec);
  }
  return ok;
}

}  // namespace wunt
