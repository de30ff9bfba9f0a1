#pragma once
// German number display: "." between thousands, "," before decimals. Both
// formatters work on decimal text only, so no value is ever rounded through a
// float.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/calc/calculations.h"

namespace wunt {

inline constexpr size_t kMaxFormatDigits = 64;

// 1234567 gives "1.234.567", -1234 gives "-1.234".
std::string FormatThousands(int64_t value);

// One computed value as its definition asks, followed by a blank and the
// unit (the blank stays when the unit is empty). The display format is a
// row of operations, an operator character followed by a number n of k
// digits (n is meant to be 10, 100, 1000 ...):
//   "/n"      shift the decimal point left by k - 1 digits (a second "/"
//             shifts further)
//   "*n" "+n" append k - 1 zeros (the last such operation counts); together
//             with "/" this multiplies after the shift, moving fraction
//             digits in front of the comma
//   "-n"      drop k - 1 digits, rounding halves away from zero
// Any other character is skipped with its number. Only the digits of n
// count, so leading zeros are read as further operations. A format moves the
// decimal point by at most kMaxFormatDigits places in all and appends at
// most kMaxFormatDigits zeros, so no format makes a cell longer than about
// 150 characters however long it is written.
std::string FormatValue(int64_t value, std::string_view display_format, std::string_view unit);
std::string FormatValue(int64_t value, const ValueDefinition& definition);
// The same text appended to `out`.
void AppendValue(std::string& out, int64_t value, std::string_view display_format,
                 std::string_view unit);
void AppendValue(std::string& out, int64_t value, const ValueDefinition& definition);

// A display format and unit read once, for formatting many values: a page
// formats a whole column with one definition, and reading the format again
// for every value cost as much as formatting it. Append gives the same text
// as AppendValue.
class ValueFormat {
 public:
  ValueFormat(std::string_view display_format, std::string_view unit);
  explicit ValueFormat(const ValueDefinition& definition)
      : ValueFormat(definition.display_format, definition.unit) {}

  // `before` (the markup a value follows) is appended first.
  void Append(std::string& out, int64_t value, std::string_view before = {}) const;

 private:
  struct Step {
    bool shift = false;  // "/", else "-"
    size_t count = 0;
  };
  std::vector<Step> steps_;
  size_t zeros_ = 0;
  bool has_shift_ = false;
  std::string suffix_;  // the blank and the unit
};

}  // namespace wunt
