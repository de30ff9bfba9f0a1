#include "viewer/calc/number_format.h"

#include <algorithm>
#include <string>

#include "common/text.h"

namespace wunt {
namespace {

uint64_t Magnitude(int64_t value) {
  return value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
}

// Groups a run of decimal digits by thousands after dropping leading zeros.
std::string GroupThousands(std::string_view digits) {
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  if (digits.empty()) return "0";
  std::string out;
  out.reserve(digits.size() + digits.size() / 3);
  const size_t lead = (digits.size() - 1) % 3 + 1;
  out.append(digits.substr(0, lead));
  for (size_t i = lead; i < digits.size(); i += 3) {
    out.push_back('.');
    out.append(digits.substr(i, 3));
  }
  return out;
}

// Adds 1 to a run of decimal digits.
void Increment(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

// "/": the last `count` integer digits move in front of the fraction.
void ShiftPointLeft(std::string& digits, std::string& fraction, size_t count) {
  if (count == 0) return;
  std::string moved;
  if (digits.size() > count) {
    moved = digits.substr(digits.size() - count);
    digits.resize(digits.size() - count);
  } else {
    moved.assign(count - digits.size(), '0');
    moved += digits;
    digits.assign(1, '0');
  }
  fraction.insert(0, moved);
}

// "-": drops `count` digits and rounds the rest by the first digit dropped.
void DropRounded(std::string& digits, size_t count) {
  if (count == 0) return;
  digits.resize(digits.size() > count - 1 ? digits.size() - (count - 1) : 0);
  char dropped = '0';
  if (!digits.empty()) {
    dropped = digits.back();
    digits.pop_back();
  }
  if (digits.empty()) digits.assign(1, '0');
  if (dropped >= '5') Increment(digits);
}

// Length of the decimal text of the number at the start of `text`, read as
// LeadingDecimal reads it, without the number ever overflowing.
size_t NumberTextLength(std::string_view text) {
  text = TrimLeadingBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  size_t digits = 0;
  bool leading = true;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    if (leading && c == '0') continue;
    leading = false;
    ++digits;
  }
  if (digits == 0) return 1;
  return digits + (negative ? 1 : 0);
}

}  // namespace

std::string FormatThousands(int64_t value) {
  const std::string digits = std::to_string(Magnitude(value));
  std::string text = GroupThousands(digits);
  if (value < 0) text.insert(text.begin(), '-');
  return text;
}

std::string FormatValue(int64_t value, std::string_view display_format, std::string_view unit) {
  std::string digits = std::to_string(Magnitude(value));
  std::string fraction;
  size_t zeros = 0;
  size_t shifted = 0;
  std::string_view operations = display_format;
  while (!operations.empty()) {
    const char op = operations.front();
    const size_t k = NumberTextLength(operations.substr(1));
    operations.remove_prefix(std::min(operations.size(), 1 + k));
    switch (op) {
      case '/': {
        const size_t count = std::min(k - 1, kMaxFormatDigits - shifted);
        ShiftPointLeft(digits, fraction, count);
        shifted += count;
        break;
      }
      case '*':
      case '+':
        zeros = std::min(k - 1, kMaxFormatDigits);
        break;
      case '-':
        DropRounded(digits, k - 1);
        break;
      default:
        break;
    }
  }
  // Multiplying after the shift: fraction digits move in front of the comma
  // first, zeros fill up what the fraction lacks.
  const size_t taken = std::min(zeros, fraction.size());
  digits.append(fraction, 0, taken);
  fraction.erase(0, taken);
  digits.append(zeros - taken, '0');

  std::string text = GroupThousands(digits);
  if (!fraction.empty()) {
    text += ',';
    text += fraction;
  }
  const bool shows_nonzero = text.find_first_of("123456789") != std::string::npos;
  if (value < 0 && shows_nonzero) text.insert(text.begin(), '-');
  text += ' ';
  text.append(unit);
  return text;
}

std::string FormatValue(int64_t value, const ValueDefinition& definition) {
  return FormatValue(value, definition.display_format, definition.unit);
}

}  // namespace wunt
