#include "common/text.h"

#include <array>

namespace wunt {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Reads digits of `base` from `text` starting at `pos`. Arithmetic is done
// unsigned so that overlong numbers wrap instead of overflowing.
uint64_t ReadDigits(std::string_view text, size_t pos, int base) {
  uint64_t value = 0;
  for (; pos < text.size(); ++pos) {
    int digit = DigitValue(text[pos]);
    if (digit >= base) break;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
  }
  return value;
}

int64_t ReadNumber(std::string_view text, bool allow_prefixes) {
  size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  }
  int base = 10;
  if (allow_prefixes && pos < text.size()) {
    if (text[pos] == '$') {
      base = 16;
      ++pos;
    } else if (text[pos] == '%') {
      base = 2;
      ++pos;
    }
  }
  uint64_t magnitude = ReadDigits(text, pos, base);
  return static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
}

// Unicode code points of Windows-1252 bytes 0x80-0x9F. The five unassigned
// bytes keep their own number (C1 controls) so they survive a round trip.
constexpr std::array<uint16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t CodePointOf(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

// -1 when Windows-1252 has no byte for the code point.
int ByteOf(uint32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) {
    return static_cast<int>(code_point);
  }
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == code_point) return static_cast<int>(0x80 + i);
  }
  return -1;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one well-formed UTF-8 sequence at `pos`; returns its length, or 0
// when the bytes there are not one.
size_t DecodeUtf8(std::string_view text, size_t pos, uint32_t& cp) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(pos);
  size_t length;
  uint32_t min;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, cp = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, cp = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, cp = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(pos + i) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

int64_t LeadingNumber(std::string_view text) { return ReadNumber(text, true); }

int64_t LeadingDecimal(std::string_view text) { return ReadNumber(text, false); }

bool EqualsIgnoreCaseAZ(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x == y) continue;
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

std::string FoldCaseAZ(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

std::string_view TrimLeadingBlanks(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  return text.substr(start);
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

std::string_view TrimBlanks(std::string_view text) {
  return TrimTrailingBlanks(TrimLeadingBlanks(text));
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (true) {
    size_t hit = text.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) AppendUtf8(out, CodePointOf(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      ++pos;
      continue;
    }
    uint32_t cp = 0;
    size_t length = DecodeUtf8(text, pos, cp);
    if (length == 0) {
      out += static_cast<char>(lead);  // not UTF-8: keep the byte as it is
      ++pos;
      continue;
    }
    int byte = ByteOf(cp);
    out += byte < 0 ? '?' : static_cast<char>(byte);
    pos += length;
  }
  return out;
}

ForeignCharacter FindNonCp1252(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    uint32_t cp = 0;
    const size_t length =
        static_cast<unsigned char>(text[pos]) < 0x80 ? 0 : DecodeUtf8(text, pos, cp);
    if (length == 0) {
      ++pos;  // ASCII, or a byte Utf8ToCp1252 keeps as it is
      continue;
    }
    if (ByteOf(cp) < 0) return {pos, length, cp};
    pos += length;
  }
  return {};
}

}  // namespace wunt
