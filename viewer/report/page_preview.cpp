#include "viewer/report/page_preview.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// "<tr" must not match "<track", nor "</table" match "</tablex".
bool IsTag(std::string_view page, size_t at, std::string_view tag) {
  const size_t after = at + tag.size();
  return after < page.size() && EqualIgnoringCase(page.substr(at, tag.size()), tag) &&
         (page[after] == '>' || page[after] == ' ' || page[after] == '\t' || page[after] == '\r' ||
          page[after] == '\n' || page[after] == '/');
}

// Tags start with '<', so the scan jumps from one to the next.
size_t FindTag(std::string_view page, std::string_view tag, size_t from) {
  while (from < page.size()) {
    const void* found = std::memchr(page.data() + from, tag.front(), page.size() - from);
    if (found == nullptr) return std::string_view::npos;
    const size_t at = static_cast<size_t>(static_cast<const char*>(found) - page.data());
    if (IsTag(page, at, tag)) return at;
    from = at + 1;
  }
  return std::string_view::npos;
}

// Where "<ta" or "</ta" starts, in any case, from `from` on. Only table
// tags start so, and the table's megabytes hold a tag every few bytes: a
// scan that stopped at each one would keep the view waiting.
size_t FindTableTagStart(std::string_view page, size_t from) {
  const char* const data = page.data();
  const size_t size = page.size();
#if defined(__SSE2__)
  // Sixteen places at once; a letter with its case bit set reads as lower case.
  const __m128i open = _mm_set1_epi8('<');
  const __m128i slash = _mm_set1_epi8('/');
  const __m128i t = _mm_set1_epi8('t');
  const __m128i a = _mm_set1_epi8('a');
  const __m128i lower = _mm_set1_epi8(0x20);
  auto load = [&](size_t at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
  };
  for (; from + 19 <= size; from += 16) {
    const __m128i c0 = _mm_cmpeq_epi8(load(from), open);
    const __m128i c1 = load(from + 1);
    const __m128i c2 = _mm_or_si128(load(from + 2), lower);
    const __m128i c3 = _mm_or_si128(load(from + 3), lower);
    const __m128i starts =
        _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(c1, lower), t), _mm_cmpeq_epi8(c2, a));
    const __m128i ends = _mm_and_si128(_mm_cmpeq_epi8(c1, slash),
                                       _mm_and_si128(_mm_cmpeq_epi8(c2, t), _mm_cmpeq_epi8(c3, a)));
    const int found = _mm_movemask_epi8(_mm_and_si128(c0, _mm_or_si128(starts, ends)));
    if (found != 0) return from + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(found)));
  }
#endif
  auto lower_at = [&](size_t at) { return at < size ? static_cast<char>(data[at] | 0x20) : '\0'; };
  for (; from < size; ++from) {
    if (data[from] != '<') continue;
    size_t name = from + 1;
    if (name < size && data[name] == '/') ++name;
    if (lower_at(name) == 't' && lower_at(name + 1) == 'a') return from;
  }
  return std::string_view::npos;
}

// The piece the preview takes out: the page's bytes from `from` up to `to`.
struct PreviewCut {
  size_t from;
  size_t to;
};

std::optional<PreviewCut> TablePreviewCut(std::string_view page, size_t rows) {
  const size_t table = page.find(kTableClass);
  if (table == std::string_view::npos) return std::nullopt;
  size_t cut = table;
  for (size_t row = 0; row <= rows; ++row) {
    cut = FindTag(page, "<tr", cut + 1);
    if (cut == std::string_view::npos) return std::nullopt;
  }
  // The table ends at the first "</table" after the cut. The writer never
  // nests tables; a page that does is not cut blindly.
  for (size_t at = FindTableTagStart(page, table); at != std::string_view::npos;
       at = FindTableTagStart(page, at + 1)) {
    if (IsTag(page, at, "<table")) return std::nullopt;
    if (at >= cut && IsTag(page, at, "</table")) return PreviewCut{cut, at};
  }
  return std::nullopt;
}

}  // namespace

std::string ShortenLists(std::string page, size_t keep, std::vector<LeftOutOptions>& left_out) {
  size_t from = 0;
  for (;;) {
    const std::string_view view(page);
    const size_t limit = std::min(view.size(), view.find(kTableClass));
    const size_t list = FindTag(view, "<select", from);
    if (list == std::string_view::npos || list >= limit) return page;
    const size_t tag_end = view.find('>', list);
    const size_t end = FindTag(view, "</select", list);
    if (tag_end == std::string_view::npos || end == std::string_view::npos || end < tag_end) {
      return page;
    }
    from = end;
    // Only a list the writer wrote is cut: a name in double quotes, and
    // options in a row; one chosen by the page is left whole.
    const std::string_view start_tag = view.substr(list, tag_end - list);
    const size_t name = start_tag.find(" name=\"");
    const size_t name_end = name == std::string_view::npos ? name : start_tag.find('"', name + 7);
    const std::string_view options = view.substr(tag_end + 1, end - tag_end - 1);
    if (name_end == std::string_view::npos || options.find(" selected") != std::string_view::npos) {
      continue;
    }
    size_t count = 0;
    size_t second = std::string_view::npos;
    for (size_t at = FindTag(options, "<option", 0); at != std::string_view::npos && count <= keep;
         at = FindTag(options, "<option", at + 1)) {
      if (++count == 2) second = at;
    }
    if (count <= keep || second == std::string_view::npos) continue;
    const size_t cut = tag_end + 1 + second;
    left_out.emplace_back(std::string(start_tag.substr(name + 7, name_end - name - 7)),
                          page.substr(cut, end - cut));
    page.erase(cut, end - cut);
    from = cut;
  }
}

std::optional<std::string> TablePreview(std::string_view page, size_t rows) {
  const std::optional<PreviewCut> cut = TablePreviewCut(page, rows);
  if (!cut) return std::nullopt;
  std::string preview;
  preview.reserve(cut->from + page.size() - cut->to);
  preview.append(page.substr(0, cut->from));
  preview.append(page.substr(cut->to));
  return preview;
}

}  // namespace wunt
