// The year-list reader on arbitrary bytes: the first byte picks the size of
// the pieces the body arrives in, which must not change the years read.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "updater/season_update.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t piece = data[0] % 9 + 1;
  std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);
  wunt::YearListReader reader;
  for (size_t at = 0; at < body.size(); at += piece) reader.Feed(body.substr(at, piece));
  if (reader.years() != wunt::ParseYearList(body)) __builtin_trap();
  for (const std::string& year : reader.years()) {
    if (year.size() != 4) __builtin_trap();
  }
  return 0;
}
