#include "common/ini_file.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/file_util.h"
#include "common/text.h"

namespace wunt {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

IniFile::~IniFile() { CloseIni(); }

void IniFile::Reset() {
  path_.clear();
  has_path_ = false;
  is_open_ = false;
  utf8_mode_ = false;
  modified_ = false;
  buffer_.clear();
  buffer_.shrink_to_fit();
  owned_.clear();
  lines_.clear();  // keeps its capacity: loaders reuse one object for many files
  current_group_ = kNone;
  group_missing_ = false;
  pending_group_.clear();
  group_cursor_ = kNone;
  key_cursor_ = kNone;
  group_index_.clear();
  group_index_valid_ = false;
}

bool IniFile::OpenIni(const std::filesystem::path& path) {
  CloseIni();
  path_ = path;
  has_path_ = true;
  is_open_ = true;
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return false;
  buffer_ = std::move(*bytes);
  Parse();
  return true;
}

void IniFile::OpenIniFromBytes(std::string bytes) {
  CloseIni();
  is_open_ = true;
  buffer_ = std::move(bytes);
  Parse();
}

bool IniFile::CreateIni(const std::filesystem::path& path) {
  CloseIni();
  path_ = path;
  has_path_ = true;
  is_open_ = true;
  // The file is replaced as a whole on close; until then the old one stays
  // intact, so a crash in between loses nothing.
  modified_ = true;
  std::error_code ec;
  std::filesystem::path parent = path.parent_path();
  return parent.empty() || std::filesystem::is_directory(parent, ec);
}

bool IniFile::CloseIni() {
  bool ok = true;
  if (is_open_ && modified_ && has_path_) {
    std::error_code ec;
    bool exists = std::filesystem::exists(path_, ec);
    if (exists && ::access(path_.c_str(), W_OK) != 0) {
      ok = false;  // a read-only file stays as it is
    } else {
      ok = WriteFileAtomically(path_, Serialize());
    }
  }
  Reset();
  return ok;
}

namespace {

// First of the bytes `a`, `b` or `c` in [p, end), or end. Lines in data files
// are short, so a 16-byte vector step beats calling memchr per delimiter.
inline const char* FindFirstOf(const char* p, const char* end, char a, char b, char c) {
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b), vc = _mm_set1_epi8(c);
  while (end - p >= 16) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, va), _mm_cmpeq_epi8(chunk, vb)),
                                _mm_cmpeq_epi8(chunk, vc));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) return p + __builtin_ctz(mask);
    p += 16;
  }
#endif
  while (p < end && *p != a && *p != b && *p != c) ++p;
  return p;
}

// The text from `from` up to `to`, which never lies before it.
inline std::string_view Between(const char* from, const char* to) {
  return std::string_view(from, static_cast<size_t>(to - from));
}

inline const char* FindLineEnd(const char* p, const char* end) {
  return FindFirstOf(p, end, '\r', '\n', '\n');
}

inline const char* SkipTrailingBlanks(const char* from, const char* to) {
  while (to > from && IsBlank(to[-1])) --to;
  return to;
}

// A key line that ends within the next 32 bytes, the usual case in data
// files, read from one pair of vector loads instead of two scans: `name` up
// to the first "=", `value` after it and its leading blanks. False when the
// line is longer or fewer than 32 bytes remain; the caller then reads it the
// general way, with the same result.
inline bool ReadShortKeyLine(const char* s, const char* end, std::string_view* name,
                             std::string_view* value, const char** line_end) {
#if defined(__SSE2__)
  if (end - s < 32) return false;
  const __m128i eq = _mm_set1_epi8('='), cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
  auto mask = [](__m128i a, __m128i b) {
    return static_cast<uint32_t>(_mm_movemask_epi8(a)) | static_cast<uint32_t>(_mm_movemask_epi8(b))
                                                             << 16;
  };
  const uint32_t breaks = mask(_mm_or_si128(_mm_cmpeq_epi8(lo, cr), _mm_cmpeq_epi8(lo, lf)),
                               _mm_or_si128(_mm_cmpeq_epi8(hi, cr), _mm_cmpeq_epi8(hi, lf)));
  if (breaks == 0) return false;
  const int length = __builtin_ctz(breaks);
  const uint32_t equals =
      mask(_mm_cmpeq_epi8(lo, eq), _mm_cmpeq_epi8(hi, eq)) & ((1u << length) - 1);
  const char* stop = s + length;
  *line_end = stop;
  if (equals == 0) {
    *name = Between(s, SkipTrailingBlanks(s, stop));
    *value = {};
    return true;
  }
  const char* sign = s + __builtin_ctz(equals);
  *name = Between(s, SkipTrailingBlanks(s, sign));
  const char* v = sign + 1;
  while (IsBlank(*v)) ++v;  // stops at the line break at the latest
  *value = Between(v, stop);
  return true;
#else
  return false;
#endif
}

// The one line reader behind the line list and the streaming reads.
// Inlined into the parse loop: called there, it made the parse a fifth
// slower.
[[gnu::always_inline]] inline bool ReadNextLine(const char** at, const char* end,
                                                IniFile::Line* line) {
  using LineKind = IniFile::LineKind;
  const char* p = *at;
  while (p < end && (*p == '\r' || *p == '\n' || IsBlank(*p))) ++p;
  if (p == end) {
    *at = p;
    return false;
  }
  const char* s = p;
  if (*s == ';') {
    p = FindLineEnd(s, end);
    ++s;
    if (s < p && *s == ' ') ++s;
    *line = {LineKind::kComment, Between(s, p), {}};
  } else if (*s == '[') {
    p = FindLineEnd(s, end);
    ++s;
    const void* close = std::memchr(s, ']', static_cast<size_t>(p - s));
    const char* name_end = close ? static_cast<const char*>(close) : p;
    *line = {LineKind::kGroup, Between(s, name_end), {}};
  } else if (std::string_view key, stored; ReadShortKeyLine(s, end, &key, &stored, &p)) {
    *line = {LineKind::kKey, key, stored};
  } else {
    const char* stop = FindFirstOf(s, end, '=', '\r', '\n');
    std::string_view name = Between(s, SkipTrailingBlanks(s, stop));
    std::string_view value;
    p = stop;
    if (stop < end && *stop == '=') {
      const char* v = stop + 1;
      while (v < end && IsBlank(*v)) ++v;
      p = FindLineEnd(v, end);
      value = Between(v, p);
    }
    *line = {LineKind::kKey, name, value};
  }
  *at = p;
  return true;
}

}  // namespace

bool IniFile::ReadLine(const char** at, const char* end, Line* line) {
  return ReadNextLine(at, end, line);
}

const char* IniFile::FindGroupLine(const char* at, const char* end) {
  // Every line ends at its first CR or LF, so a "[" starts a group line
  // exactly when only blanks stand between it and the line break before it.
  // Such brackets are rare elsewhere, so memchr skips whole groups at once.
  const char* from = at;
  while (const void* hit = std::memchr(from, '[', static_cast<size_t>(end - from))) {
    const char* bracket = static_cast<const char*>(hit);
    const char* q = bracket;
    while (q > at && IsBlank(q[-1])) --q;
    if (q == at || q[-1] == '\r' || q[-1] == '\n') return bracket;
    from = bracket + 1;
  }
  return end;
}

bool IniFile::CutByteOrderMark(std::string_view& text) {
  if (text.size() < 3 || text.substr(0, 3) != kBom) return false;
  text.remove_prefix(3);
  return true;
}

void IniFile::Parse() {
  std::string_view text = buffer_;
  utf8_mode_ = CutByteOrderMark(text);
  const char* p = text.data();
  const char* const end = p + text.size();
  // Data file lines average 12 to 15 bytes. Growing midway copies every line
  // read so far, and a new list faults in fresh pages, so a reused list grows
  // by doubling: the next file, often a little longer, then fits.
  const size_t estimate = text.size() / 12;
  if (lines_.capacity() < estimate) lines_.reserve(std::max(estimate, 2 * lines_.capacity()));
  Line line;
  while (ReadNextLine(&p, end, &line)) lines_.push_back(line);
}

std::string IniFile::ToCaller(std::string_view stored) const {
  return utf8_mode_ ? Utf8ToCp1252(stored) : std::string(stored);
}

std::string IniFile::FromCaller(std::string_view text) const {
  return utf8_mode_ ? Cp1252ToUtf8(text) : std::string(text);
}

std::string_view IniFile::Own(std::string text) { return owned_.emplace_back(std::move(text)); }

int64_t IniFile::FindGroup(std::string_view name) const {
  if (!group_index_valid_) {
    group_index_.clear();
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (lines_[i].kind == LineKind::kGroup) {
        group_index_.try_emplace(FoldCaseAZ(lines_[i].name), static_cast<int64_t>(i));
      }
    }
    group_index_valid_ = true;
  }
  auto it = group_index_.find(FoldCaseAZ(FromCaller(name)));
  return it == group_index_.end() ? kNone : it->second;
}

int64_t IniFile::FindKey(std::string_view key) const {
  if (!is_open_ || group_missing_) return kNone;
  std::string wanted = FromCaller(key);
  for (size_t i = static_cast<size_t>(current_group_ + 1); i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == LineKind::kGroup) break;
    if (line.kind == LineKind::kKey && EqualsIgnoreCaseAZ(line.name, wanted)) {
      return static_cast<int64_t>(i);
    }
  }
  return kNone;
}

size_t IniFile::EndOfCurrentGroup() const {
  size_t i = static_cast<size_t>(current_group_ + 1);
  while (i < lines_.size() && lines_[i].kind != LineKind::kGroup) ++i;
  return i;
}

bool IniFile::SelectGroup(std::string_view name) {
  key_cursor_ = kNone;
  if (name.empty()) {
    current_group_ = kNone;
    group_missing_ = false;
    return true;
  }
  int64_t found = is_open_ ? FindGroup(name) : kNone;
  if (found == kNone) {
    group_missing_ = true;
    pending_group_ = std::string(name);
    return false;
  }
  current_group_ = found;
  group_missing_ = false;
  return true;
}

bool IniFile::FirstGroup() {
  group_cursor_ = kNone;
  return is_open_;
}

bool IniFile::NextGroup() {
  if (!is_open_) return false;
  for (size_t i = static_cast<size_t>(group_cursor_ + 1); i < lines_.size(); ++i) {
    if (lines_[i].kind == LineKind::kGroup) {
      group_cursor_ = static_cast<int64_t>(i);
      current_group_ = group_cursor_;
      group_missing_ = false;
      key_cursor_ = kNone;
      return true;
    }
  }
  return false;
}

std::string IniFile::GroupName() const {
  if (group_cursor_ == kNone) return {};
  return ToCaller(lines_[static_cast<size_t>(group_cursor_)].name);
}

bool IniFile::FirstKey() {
  key_cursor_ = kNone;
  return is_open_ && !group_missing_;
}

bool IniFile::NextKey() {
  if (!is_open_ || group_missing_) return false;
  size_t start = static_cast<size_t>((key_cursor_ == kNone ? current_group_ : key_cursor_) + 1);
  for (size_t i = start; i < lines_.size(); ++i) {
    if (lines_[i].kind == LineKind::kGroup) return false;
    if (lines_[i].kind == LineKind::kKey) {
      key_cursor_ = static_cast<int64_t>(i);
      return true;
    }
  }
  return false;
}

std::string IniFile::KeyName() const {
  if (key_cursor_ == kNone) return {};
  return ToCaller(lines_[static_cast<size_t>(key_cursor_)].name);
}

std::string IniFile::KeyValue() const {
  if (key_cursor_ == kNone) return {};
  return ToCaller(TrimBlanks(lines_[static_cast<size_t>(key_cursor_)].value));
}

std::string IniFile::ReadString(std::string_view key, std::string_view default_value) const {
  int64_t found = FindKey(key);
  if (found == kNone) return std::string(default_value);
  return ToCaller(TrimBlanks(lines_[static_cast<size_t>(found)].value));
}

int64_t IniFile::ReadLong(std::string_view key, int64_t default_value) const {
  int64_t found = FindKey(key);
  if (found == kNone) return default_value;
  return LeadingDecimal(TrimBlanks(lines_[static_cast<size_t>(found)].value));
}

void IniFile::EnsureWritableGroup() {
  if (!group_missing_) return;
  lines_.push_back({LineKind::kGroup, Own(FromCaller(pending_group_)), {}});
  current_group_ = static_cast<int64_t>(lines_.size() - 1);
  group_missing_ = false;
  InvalidateIndex();
}

void IniFile::WriteString(std::string_view key, std::string_view value) {
  if (!is_open_) return;
  EnsureWritableGroup();
  modified_ = true;
  int64_t found = FindKey(key);
  if (found != kNone) {
    Line& line = lines_[static_cast<size_t>(found)];
    line.name = Own(FromCaller(key));
    line.value = Own(FromCaller(value));
    return;
  }
  size_t at = EndOfCurrentGroup();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                {LineKind::kKey, Own(FromCaller(key)), Own(FromCaller(value))});
  auto shift = [at](int64_t& index) {
    if (index != kNone && static_cast<size_t>(index) >= at) ++index;
  };
  shift(group_cursor_);
  shift(key_cursor_);
  InvalidateIndex();
}

void IniFile::WriteLong(std::string_view key, int64_t value) {
  WriteString(key, std::to_string(value));
}

bool IniFile::RemoveGroup(std::string_view name) {
  if (!is_open_) return false;
  int64_t found = FindGroup(name);
  if (found == kNone) return false;
  size_t first = static_cast<size_t>(found);
  size_t last = first + 1;
  while (last < lines_.size() && lines_[last].kind != LineKind::kGroup) ++last;
  if (current_group_ == found) {
    // Later writes go to a group of that name again, created at the end.
    pending_group_ = std::string(ToCaller(lines_[first].name));
    group_missing_ = true;
    current_group_ = kNone;
  }
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(first),
               lines_.begin() + static_cast<std::ptrdiff_t>(last));
  size_t removed = last - first;
  auto shift = [first, removed](int64_t& index) {
    if (index == kNone || static_cast<size_t>(index) < first) return;
    index = static_cast<size_t>(index) >= first + removed ? index - static_cast<int64_t>(removed)
                                                          : static_cast<int64_t>(first) - 1;
  };
  shift(current_group_);
  shift(group_cursor_);
  key_cursor_ = kNone;
  modified_ = true;
  InvalidateIndex();
  return true;
}

std::string IniFile::Serialize() const {
  std::string out;
  size_t estimate = 3;
  for (const Line& line : lines_) estimate += line.name.size() + line.value.size() + 6;
  out.reserve(estimate);
  if (utf8_mode_) {
    out += kBom;
  } else if (!lines_.empty() && lines_[0].kind == LineKind::kKey &&
             lines_[0].name.substr(0, 3) == kBom) {
    // A Windows-1252 file whose first key happens to begin with the bytes of
    // a byte-order mark would read back in UTF-8 mode; a leading line break
    // keeps it what it was.
    out += "\r\n";
  }
  for (const Line& line : lines_) {
    switch (line.kind) {
      case LineKind::kGroup:
        out += '[';
        out += line.name;
        out += ']';
        break;
      case LineKind::kComment:
        out += "; ";
        out += line.name;
        break;
      case LineKind::kKey:
        out += line.name;
        out += " = ";
        out += line.value;
        break;
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace wunt
