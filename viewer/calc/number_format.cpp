#include "viewer/calc/number_format.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>
#include <string>

#include "common/text.h"

namespace wunt {
namespace {

uint64_t Magnitude(int64_t value) {
  return value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
}

// The digits of a value being formatted, in fixed buffers: a page formats
// a hundred thousand values, and small strings for each cost more than the
// page's own text. The integer part never holds more than the value's 20
// digits plus the zeros appended (at most kMaxFormatDigits); the fraction
// holds at most the kMaxFormatDigits places shifted in. The fraction is kept
// at the end of its buffer, because "/" puts digits in front of it.
class Digits {
 public:
  explicit Digits(uint64_t magnitude) {
    whole_size_ =
        static_cast<size_t>(std::to_chars(whole_, whole_ + sizeof whole_, magnitude).ptr - whole_);
  }

  // "/": the last `count` integer digits move in front of the fraction.
  void ShiftPointLeft(size_t count) {
    if (count == 0) return;
    if (whole_size_ > count) {
      whole_size_ -= count;
      PrependFraction(std::string_view(whole_ + whole_size_, count));
    } else {
      PrependFraction(std::string_view(whole_, whole_size_));
      PrependFractionZeros(count - whole_size_);
      SetWholeZero();
    }
  }

  // "-": drops `count` digits and rounds the rest by the first digit dropped.
  void DropRounded(size_t count) {
    if (count == 0) return;
    whole_size_ = whole_size_ > count - 1 ? whole_size_ - (count - 1) : 0;
    char dropped = '0';
    if (whole_size_ > 0) dropped = whole_[--whole_size_];
    if (whole_size_ == 0) SetWholeZero();
    if (dropped >= '5') Increment();
  }

  // Multiplying after the shift: fraction digits move in front of the
  // comma first, zeros fill up what the fraction lacks.
  void AppendZeros(size_t zeros) {
    if (zeros == 0) return;
    const size_t taken = std::min(zeros, fraction_size_);
    std::memcpy(whole_ + whole_size_, FractionBegin(), taken);
    whole_size_ += taken;
    fraction_size_ -= taken;
    std::memset(whole_ + whole_size_, '0', zeros - taken);
    whole_size_ += zeros - taken;
  }

  // The integer digits without leading zeros ("0" when nothing is left).
  std::string_view Whole() const {
    size_t lead = 0;
    while (lead + 1 < whole_size_ && whole_[lead] == '0') ++lead;
    return {whole_ + lead, whole_size_ - lead};
  }
  std::string_view Fraction() const { return {FractionBegin(), fraction_size_}; }

  static constexpr size_t kWholeRoom = 24 + kMaxFormatDigits;

 private:
  const char* FractionBegin() const { return fraction_ + kMaxFormatDigits - fraction_size_; }
  char* FractionBegin() { return fraction_ + kMaxFormatDigits - fraction_size_; }
  void PrependFraction(std::string_view digits) {
    fraction_size_ += digits.size();
    std::memcpy(FractionBegin(), digits.data(), digits.size());
  }
  void PrependFractionZeros(size_t count) {
    fraction_size_ += count;
    std::memset(FractionBegin(), '0', count);
  }
  void SetWholeZero() {
    whole_[0] = '0';
    whole_size_ = 1;
  }
  // Adds 1 to the integer digits.
  void Increment() {
    for (size_t i = whole_size_; i-- > 0;) {
      if (whole_[i] != '9') {
        ++whole_[i];
        return;
      }
      whole_[i] = '0';
    }
    std::memmove(whole_ + 1, whole_, whole_size_);
    whole_[0] = '1';
    ++whole_size_;
  }

  char whole_[kWholeRoom];
  char fraction_[kMaxFormatDigits];
  size_t whole_size_ = 0;
  size_t fraction_size_ = 0;
};

// The longest text before the unit: sign, grouped integer digits, comma,
// fraction and the blank.
constexpr size_t kTextRoom = 1 + Digits::kWholeRoom * 4 / 3 + 1 + kMaxFormatDigits + 1;

// Writes a run of decimal digits grouped by thousands to `to`; returns the
// end.
char* PutGrouped(char* to, std::string_view digits) {
  size_t lead = (digits.size() - 1) % 3 + 1;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (lead == 0) {
      *to++ = '.';
      lead = 3;
    }
    *to++ = digits[i];
    --lead;
  }
  return to;
}

// As PutGrouped with the digits of `magnitude`, written from the last group
// so that no digit is looked at twice.
char* PutGroupedNumber(char* to, uint64_t magnitude) {
  char text[32];  // 20 digits and 6 dots
  char* begin = text + sizeof text;
  while (magnitude >= 1000) {
    const auto group = static_cast<unsigned>(magnitude % 1000);
    magnitude /= 1000;
    begin -= 4;
    begin[0] = '.';
    begin[1] = static_cast<char>('0' + group / 100);
    begin[2] = static_cast<char>('0' + group / 10 % 10);
    begin[3] = static_cast<char>('0' + group % 10);
  }
  do {
    *--begin = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  const auto size = static_cast<size_t>(text + sizeof text - begin);
  std::memcpy(to, begin, size);
  return to + size;
}

bool HasNonzeroDigit(std::string_view digits) {
  return digits.find_first_not_of('0') != std::string_view::npos;
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

// "-" on a value without a fraction, as Digits::DropRounded: drops `count`
// digits and rounds by the first digit dropped.
uint64_t DropRounded(uint64_t magnitude, size_t count) {
  // A magnitude has at most 20 digits, so 10^19 is the largest divisor.
  static constexpr uint64_t kPowers[] = {1,
                                         10,
                                         100,
                                         1000,
                                         10000,
                                         100000,
                                         1000000,
                                         10000000,
                                         100000000,
                                         1000000000,
                                         10000000000,
                                         100000000000,
                                         1000000000000,
                                         10000000000000,
                                         100000000000000,
                                         1000000000000000,
                                         10000000000000000,
                                         100000000000000000,
                                         1000000000000000000,
                                         10000000000000000000u};
  if (count > std::size(kPowers)) return 0;
  const uint64_t kept_and_first = magnitude / kPowers[count - 1];
  return kept_and_first / 10 + (kept_and_first % 10 >= 5 ? 1 : 0);
}

}  // namespace

std::string FormatThousands(int64_t value) {
  const Digits digits(Magnitude(value));
  char text[kTextRoom];
  char* end = text;
  if (value < 0) *end++ = '-';
  end = PutGrouped(end, digits.Whole());
  return {text, end};
}

ValueFormat::ValueFormat(std::string_view display_format, std::string_view unit) {
  size_t shifted = 0;
  std::string_view operations = display_format;
  while (!operations.empty()) {
    const char op = operations.front();
    const size_t k = NumberTextLength(operations.substr(1));
    operations.remove_prefix(std::min(operations.size(), 1 + k));
    switch (op) {
      case '/': {
        const size_t count = std::min(k - 1, kMaxFormatDigits - shifted);
        shifted += count;
        if (count > 0) steps_.push_back({true, count});
        break;
      }
      case '*':
      case '+':
        zeros_ = std::min(k - 1, kMaxFormatDigits);
        break;
      case '-':
        if (k > 1) steps_.push_back({false, k - 1});
        break;
      default:
        break;
    }
  }
  has_shift_ = shifted > 0;
  suffix_.reserve(1 + unit.size());
  suffix_ += ' ';
  suffix_ += unit;
}

void ValueFormat::Append(std::string& out, int64_t value, std::string_view before) const {
  // Room for short text before and a short unit after, so that a cell is
  // appended at once.
  constexpr size_t kBeforeRoom = 64;
  constexpr size_t kSuffixRoom = 32;
  char text[kBeforeRoom + kTextRoom + kSuffixRoom];
  char* end = text;
  if (before.size() <= kBeforeRoom) {
    end = std::copy(before.begin(), before.end(), end);
  } else {
    out += before;
  }
  if (!has_shift_) {
    // Without a fraction the drops are plain integer arithmetic, which is
    // most formats and much cheaper than moving digits.
    uint64_t magnitude = Magnitude(value);
    for (const Step& step : steps_) magnitude = DropRounded(magnitude, step.count);
    if (value < 0 && magnitude != 0) *end++ = '-';
    if (zeros_ == 0 || magnitude == 0) {
      end = PutGroupedNumber(end, magnitude);
    } else {
      char digits[Digits::kWholeRoom];
      char* digits_end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
      digits_end = std::fill_n(digits_end, zeros_, '0');
      end = PutGrouped(end, std::string_view(digits, static_cast<size_t>(digits_end - digits)));
    }
  } else {
    Digits digits(Magnitude(value));
    for (const Step& step : steps_) {
      if (step.shift) {
        digits.ShiftPointLeft(step.count);
      } else {
        digits.DropRounded(step.count);
      }
    }
    digits.AppendZeros(zeros_);
    const std::string_view whole = digits.Whole();
    const std::string_view fraction = digits.Fraction();
    if (value < 0 && (HasNonzeroDigit(whole) || HasNonzeroDigit(fraction))) *end++ = '-';
    end = PutGrouped(end, whole);
    if (!fraction.empty()) {
      *end++ = ',';
      end = std::copy(fraction.begin(), fraction.end(), end);
    }
  }
  if (suffix_.size() <= kSuffixRoom) {
    end = std::copy(suffix_.begin(), suffix_.end(), end);
    out.append(text, end);
  } else {
    out.append(text, end);
    out += suffix_;
  }
}

void AppendValue(std::string& out, int64_t value, std::string_view display_format,
                 std::string_view unit) {
  ValueFormat(display_format, unit).Append(out, value);
}

std::string FormatValue(int64_t value, std::string_view display_format, std::string_view unit) {
  std::string text;
  AppendValue(text, value, display_format, unit);
  return text;
}

std::string FormatValue(int64_t value, const ValueDefinition& definition) {
  return FormatValue(value, definition.display_format, definition.unit);
}

void AppendValue(std::string& out, int64_t value, const ValueDefinition& definition) {
  AppendValue(out, value, definition.display_format, definition.unit);
}

}  // namespace wunt
