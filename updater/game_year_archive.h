#pragma once
// Game-year archives as the update server sends them: a sequence of entries,
// each a little-endian uncompressed size, a stored size and the stored bytes
// (plain when both sizes agree, otherwise a compressed stream). The first
// three entries are Park.ini, Company.ini and Attraction.ini.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/file_util.h"
#include "updater/jcalg1.h"

namespace wunt {

inline constexpr size_t kArchiveEntryHeaderSize = 8;
// No data file of a game year comes near this; an entry that claims more is
// a bomb, whatever its stream would do.
inline constexpr uint64_t kMaxArchiveEntrySize = uint64_t{256} << 20;
// Text compresses well, but not by more than this.
inline constexpr uint64_t kMaxExpansion = 1024;
// All data files of one game year together. Our biggest demo season holds
// about 8 MB per year; eight times that leaves room for bigger seasons while
// a hostile archive can no longer fill the disk with three entries of the
// single-entry limit each.
inline constexpr uint64_t kMaxGameYearBytes = uint64_t{64} << 20;
// An archive holds at most the year's files plus its entry headers (a
// compressed entry is never bigger than the plain bytes it replaces).
inline constexpr int64_t kMaxGameYearArchiveBytes =
    static_cast<int64_t>(kMaxGameYearBytes) + (64 << 10);

// The largest expanded entry an archive of `archive_size` bytes may hold.
uint64_t ArchiveEntryLimit(uint64_t archive_size);

// The entry at `*offset` (expanded), advancing `*offset` past it; nothing when
// no whole entry is there or it does not expand to its uncompressed size.
std::optional<std::string> ReadArchiveEntry(std::string_view archive, size_t* offset,
                                            uint64_t max_size = kJcalg1MaxOutput);

// The three data files of a game year, in the order Park, Company, Attraction.
using GameYearFiles = std::array<std::string, 3>;

std::optional<GameYearFiles> DecodeGameYearArchive(std::string_view archive,
                                                   uint64_t max_size = kJcalg1MaxOutput);

// Asked before bytes are written to disk; false stops the writing.
using WriteAllowance = std::function<bool(uint64_t bytes)>;

// Writes the year's three data files from the archive file, one entry at a
// time, each bounded by ArchiveEntryLimit and all three together by
// kMaxGameYearBytes; `may_write` (when set) is asked before each file. Nothing
// is touched unless the whole archive decodes; the files go in through temporary names with
// Park.ini last, since its presence marks the year as downloaded. The season
// folder must exist; the year folder is created, and refused when it is a
// link (the bytes would land outside the season).
// `over_year_bound` (when given) tells whether the year was refused because
// its files claim more than kMaxGameYearBytes: an answer that no retry of
// the same archive changes.
bool UnpackGameYear(const std::filesystem::path& year_folder,
                    const std::filesystem::path& archive_path,
                    const WriteAllowance& may_write = nullptr, bool* over_year_bound = nullptr);

// A game year written under temporary names: it does not count as downloaded
// until Commit() makes the files durable and renames them in, Park.ini last.
// Destroyed uncommitted, it leaves the year as it was. Commit() may run on
// another thread than the one that wrote the files.
class UnpackedGameYear {
 public:
  UnpackedGameYear(std::filesystem::path folder, bool created)
      : folder_(std::move(folder)), created_(created) {}
  ~UnpackedGameYear() { Abandon(); }
  UnpackedGameYear(const UnpackedGameYear&) = delete;
  UnpackedGameYear& operator=(const UnpackedGameYear&) = delete;

  bool Commit();

 private:
  friend std::unique_ptr<UnpackedGameYear> StartUnpackGameYear(const std::filesystem::path&,
                                                               const std::filesystem::path&,
                                                               const WriteAllowance&, bool*);
  void Abandon();

  std::filesystem::path folder_;
  bool created_;
  // Park, Company, Attraction.
  std::array<AtomicFileWriter, 3> writers_;
};

// UnpackGameYear up to Commit(): the same checks and bounds; nothing when
// they fail (and nothing left on the disk).
std::unique_ptr<UnpackedGameYear> StartUnpackGameYear(const std::filesystem::path& year_folder,
                                                      const std::filesystem::path& archive_path,
                                                      const WriteAllowance& may_write = nullptr,
                                                      bool* over_year_bound = nullptr);

}  // namespace wunt
