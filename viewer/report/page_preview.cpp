#include "viewer/report/page_preview.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace wunt {
namespace {

constexpr std::string_view kTableClass = "class=\"tabellem\"";

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// The writer mixes upper- and lower-case tag names; templates may too.
// Tags start with '<', so the scan jumps from one to the next: the table of
// a big season is megabytes long and is read while the user waits.
size_t FindTag(std::string_view page, std::string_view tag, size_t from) {
  while (from < page.size()) {
    const void* found = std::memchr(page.data() + from, tag.front(), page.size() - from);
    if (found == nullptr) return std::string_view::npos;
    const size_t at = static_cast<size_t>(static_cast<const char*>(found) - page.data());
    const size_t after = at + tag.size();
    // "<tr" must not match "<track", nor "</table" match "</tablex".
    if (after < page.size() && EqualIgnoringCase(page.substr(at, tag.size()), tag) &&
        (page[after] == '>' || page[after] == ' ' || page[after] == '\t' || page[after] == '\r' ||
         page[after] == '\n' || page[after] == '/')) {
      return at;
    }
    from = at + 1;
  }
  return std::string_view::npos;
}

}  // namespace

std::optional<std::string> TablePreview(std::string_view page, size_t rows) {
  const size_t table = page.find(kTableClass);
  if (table == std::string_view::npos) return std::nullopt;
  size_t cut = table;
  for (size_t row = 0; row <= rows; ++row) {
    cut = FindTag(page, "<tr", cut + 1);
    if (cut == std::string_view::npos) return std::nullopt;
  }
  const size_t end = FindTag(page, "</table", cut);
  if (end == std::string_view::npos) return std::nullopt;
  // The writer never nests tables; a page that does is not cut blindly.
  const size_t nested = FindTag(page, "<table", table);
  if (nested != std::string_view::npos && nested < end) return std::nullopt;
  std::string preview;
  preview.reserve(cut + page.size() - end);
  preview.append(page.substr(0, cut));
  preview.append(page.substr(end));
  return preview;
}

}  // namespace wunt
