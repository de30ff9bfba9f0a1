#pragma once
// Number and text rules shared by both programs. Text is Windows-1252 bytes
// in std::string unless a function says otherwise.

#include <cstdint>
#include <string>
#include <string_view>

namespace wunt {

// Leading-number rule: blanks and tabs skipped, optional sign, then decimal
// digits, or "$" and hexadecimal digits, or "%" and binary digits, stopping at
// the first other character. No digits read as 0; never an error. Overflow
// wraps (two's complement), as the fixed-width original did.
int64_t LeadingNumber(std::string_view text);

// Decimal-only rule of ReadLong: blanks and tabs skipped, optional sign,
// decimal digits. No "$" or "%". No digits read as 0.
int64_t LeadingDecimal(std::string_view text);

// Compares ignoring the case of A-Z only; every other byte must match.
bool EqualsIgnoreCaseAZ(std::string_view a, std::string_view b);

// Lower-cases A-Z only (a key for case-insensitive lookups).
std::string FoldCaseAZ(std::string_view text);

// Removes leading and trailing blanks and tabs.
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeadingBlanks(std::string_view text);
std::string_view TrimTrailingBlanks(std::string_view text);

// Replaces every occurrence of `from` (non-empty) by `to`, left to right,
// without rescanning the inserted text.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Windows-1252 <-> UTF-8. All 256 bytes map: the five bytes that Windows-1252
// leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control
// characters of the same number, so every byte string survives a round trip.
// Characters UTF-8 text holds that Windows-1252 lacks become "?"; malformed
// UTF-8 bytes are taken as Windows-1252 bytes.
std::string Cp1252ToUtf8(std::string_view text);
std::string Utf8ToCp1252(std::string_view text);

// Where UTF-8 `text` holds a character that Windows-1252 lacks (one that
// Utf8ToCp1252 would turn into "?"): its byte offset, length and code point.
struct ForeignCharacter {
  size_t offset = 0;
  size_t length = 0;  // 0: every character fits
  uint32_t code_point = 0;
};
ForeignCharacter FindNonCp1252(std::string_view text);

}  // namespace wunt
