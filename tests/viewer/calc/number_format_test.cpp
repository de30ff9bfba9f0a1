#include "viewer/calc/number_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

namespace wunt {
namespace {

TEST(FormatThousandsTest, GroupsByThree) {
  const struct {
    int64_t value;
    const char* expected;
  } cases[] = {
      {0, "0"},
      {7, "7"},
      {999, "999"},
      {1000, "1.000"},
      {1234567, "1.234.567"},
      {-1234, "-1.234"},
      {-100000, "-100.000"},
      {-999, "-999"},
      {std::numeric_limits<int64_t>::max(), "9.223.372.036.854.775.807"},
      {std::numeric_limits<int64_t>::min(), "-9.223.372.036.854.775.808"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatThousands(c.value), c.expected) << c.value;
}

struct ValueCase {
  int64_t value;
  const char* format;
  const char* unit;
  const char* expected;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
  *os << c.value << " [" << c.format << "]" << c.unit;
}

class FormatValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(FormatValueTest, Formats) {
  const ValueCase& c = GetParam();
  EXPECT_EQ(FormatValue(c.value, c.format, c.unit), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatValueTest,
    testing::Values(
        // No format: thousands and a blank before the (empty) unit.
        ValueCase{1234, "", "", "1.234 "}, ValueCase{-1234, "", " EUR", "-1.234  EUR"},
        ValueCase{0, "", "%", "0 %"},
        // Shifting the decimal point.
        ValueCase{12345, "/100", "", "123,45 "}, ValueCase{5, "/100", "", "0,05 "},
        ValueCase{-5, "/100", "", "-0,05 "}, ValueCase{-12345, "/100", "", "-123,45 "},
        ValueCase{123456789, "/1000", "", "123.456,789 "}, ValueCase{0, "/100", "", "0,00 "},
        ValueCase{12345, "/10/10", "", "123,45 "}, ValueCase{7, "/10/10", "", "0,07 "},
        ValueCase{12345, "/1", "", "12.345 "},
        // Dropping digits with rounding, halves away from zero.
        ValueCase{12345, "-100", "", "123 "}, ValueCase{12355, "-100", "", "124 "},
        ValueCase{12350, "-100", "", "124 "}, ValueCase{-17, "-10", "", "-2 "},
        ValueCase{-4, "-10", "", "0 "}, ValueCase{999, "-10", "", "100 "},
        ValueCase{99999, "-100", "", "1.000 "}, ValueCase{500, "-1000", "", "1 "},
        ValueCase{5, "-1000", "", "0 "}, ValueCase{-5, "-10", "", "-1 "},
        ValueCase{42, "-1", "", "42 "},
        // Each drop rounds on its own; drops as long as the largest values.
        ValueCase{45, "-10-10", "", "1 "}, ValueCase{45, "-100", "", "0 "},
        ValueCase{std::numeric_limits<int64_t>::min(), "-1000000000000000000", "", "-9 "},
        ValueCase{std::numeric_limits<int64_t>::min(), "-10000000000000000000", "", "-1 "},
        ValueCase{std::numeric_limits<int64_t>::min(), "-100000000000000000000", "", "0 "},
        ValueCase{12345, "-100*1000", "", "123.000 "},
        ValueCase{1234, "", "Einheit mit einem langen Namen (Tausend)",
                  "1.234 Einheit mit einem langen Namen (Tausend)"},
        // Appending zeros; the last "*" or "+" counts.
        ValueCase{12, "*1000", "", "12.000 "}, ValueCase{12, "+100", "", "1.200 "},
        ValueCase{12, "*1000*10", "", "120 "}, ValueCase{0, "*100", "", "0 "},
        // Multiplying after the shift.
        ValueCase{12345, "/100*10", "", "1.234,5 "}, ValueCase{12345, "*10/100", "", "1.234,5 "},
        ValueCase{12345, "/100*1000", "", "123.450 "}, ValueCase{5, "/1000*10", "", "0,05 "},
        // Unknown operators are skipped with their number; leading zeros of a
        // number are read as further operations.
        ValueCase{12345, "x5/100", "", "123,45 "}, ValueCase{12345, "/0100", "", "123,45 "},
        ValueCase{12345, "[/100", "", "12.345 "},
        // Many zeros never overflow.
        ValueCase{std::numeric_limits<int64_t>::min(), "*1000000000000", "",
                  "-9.223.372.036.854.775.808.000.000.000.000 "},
        ValueCase{std::numeric_limits<int64_t>::min(), "/100000000000000000000000", "",
                  "-0,00009223372036854775808 "}));

TEST(FormatValueTest, UsesTheDefinitionsFormatAndUnit) {
  ValueDefinition definition;
  definition.display_format = "/100";
  definition.unit = "Mio";
  EXPECT_EQ(FormatValue(150, definition), "1,50 Mio");
}

// However long a format is written, it adds a bounded number of characters.
TEST(FormatValueTest, LongFormatsAreBounded) {
  const std::string long_number(300000, '0');
  std::string many_shifts;
  for (int i = 0; i < 50000; ++i) many_shifts += "/10";
  const std::string shifted_fully = "0," + std::string(kMaxFormatDigits - 3, '0') + "123 ";
  const struct {
    std::string format;
    size_t zeros;  // of the integer part
    std::string expected;
  } cases[] = {
      {"*1" + long_number, kMaxFormatDigits, ""},
      {"/1" + long_number, 0, shifted_fully},
      {many_shifts, 0, shifted_fully},
      {"-1" + long_number, 0, "0 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format.substr(0, 10));
    const std::string text = FormatValue(123, c.format, "");
    EXPECT_LE(text.size(), 2 * kMaxFormatDigits + 30);
    if (!c.expected.empty()) {
      EXPECT_EQ(text, c.expected);
    }
    if (c.zeros > 0) {
      EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '0')), c.zeros);
    }
  }
}

}  // namespace
}  // namespace wunt
