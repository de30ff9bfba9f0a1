// The game-year archive reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "updater/game_year_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view archive(reinterpret_cast<const char*>(data), size);
  constexpr uint64_t kLimit = uint64_t{1} << 20;
  wunt::DecodeGameYearArchive(archive, kLimit);
  // The limit the unpacker puts on an archive of this size.
  wunt::DecodeGameYearArchive(archive, wunt::ArchiveEntryLimit(size));
  size_t offset = 0;
  while (wunt::ReadArchiveEntry(archive, &offset, kLimit)) {
    if (offset > size) __builtin_trap();
  }
  return 0;
}
