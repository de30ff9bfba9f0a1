// The preview of a page on arbitrary bytes: the first byte picks how many
// rows to keep. A preview must be the page with one piece taken out, and
// that piece must start at a row; shortened lists lose only what they hand
// back.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/report/page_preview.h"

namespace {

bool StartsRow(std::string_view text) {
  return text.size() >= 3 && text[0] == '<' &&
         std::tolower(static_cast<unsigned char>(text[1])) == 't' &&
         std::tolower(static_cast<unsigned char>(text[2])) == 'r';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t rows = data[0] % 8;
  const std::string_view page(reinterpret_cast<const char*>(data) + 1, size - 1);
  // Shortened lists lose only what they hand back.
  std::vector<wunt::LeftOutOptions> left_out;
  size_t kept = wunt::ShortenLists(std::string(page), rows, left_out).size();
  for (const auto& [name, options] : left_out) kept += options.size();
  if (kept != page.size()) __builtin_trap();
  const auto result = wunt::TablePreview(page, rows);
  if (!result) return 0;
  const std::string_view preview = *result;
  if (preview.size() >= page.size()) __builtin_trap();
  // Where the piece may have been taken out: after no more than the bytes
  // both start with, and before no more than the bytes both end with.
  size_t same_start = 0;
  while (same_start < preview.size() && preview[same_start] == page[same_start]) ++same_start;
  size_t same_end = 0;
  while (same_end < preview.size() &&
         preview[preview.size() - 1 - same_end] == page[page.size() - 1 - same_end]) {
    ++same_end;
  }
  if (same_start + same_end < preview.size()) __builtin_trap();
  bool at_row = false;
  for (size_t cut = preview.size() - same_end; cut <= same_start && !at_row; ++cut) {
    at_row = StartsRow(page.substr(cut));
  }
  if (!at_row) __builtin_trap();
  return 0;
}
