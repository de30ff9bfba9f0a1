#include "viewer/calc/formula.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace wunt {
namespace {

constexpr int64_t kNoValue = std::numeric_limits<int64_t>::min();

struct FormulaCase {
  const char* text;
  double expected;
};

void PrintTo(const FormulaCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class FormulaResultTest : public testing::TestWithParam<FormulaCase> {};

TEST_P(FormulaResultTest, Evaluates) {
  const FormulaCase& c = GetParam();
  EXPECT_FLOAT_EQ(EvaluateFormula(c.text), c.expected) << "formula: \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Language, FormulaResultTest,
    testing::Values(
        // Numbers, signs and parentheses.
        FormulaCase{"", 0}, FormulaCase{"((", 0}, FormulaCase{"7", 7}, FormulaCase{"-7", -7},
        FormulaCase{"2*(-3+1)", -4}, FormulaCase{"(2+3)*4", 20}, FormulaCase{"2*(3+4)", 14},
        FormulaCase{"(1+2)*3+(4)", 13}, FormulaCase{"1+2)*3", 9}, FormulaCase{"-(3+1)", 1},
        FormulaCase{"((2+3)*(4+1))", 25}, FormulaCase{"2*((1+2)*(3+1))", 24},
        // Grouping of equal priorities is from the left, "^" included.
        FormulaCase{"10-4-3", 3}, FormulaCase{"8/4*2", 4}, FormulaCase{"2^3^2", 64},
        FormulaCase{"2*(-3)^2", 18}, FormulaCase{"1.1^2", 1.21f}, FormulaCase{"3^0.5", 1.7320508f},
        FormulaCase{"4^-1", 0}, FormulaCase{"1+2*3", 7}, FormulaCase{"2*3+1", 7},
        FormulaCase{"1+2*3^2", 19}, FormulaCase{"2^3*2+1", 17}, FormulaCase{"1-2*3+4", -1},
        FormulaCase{"100/10/5-1", 1},
        // Missing operands and operators the language does not know.
        FormulaCase{"5+", 5}, FormulaCase{"3*-2", 0}, FormulaCase{"8~-2.5", 0},
        FormulaCase{"3x4", 0}, FormulaCase{"2+3x4", 0}, FormulaCase{"+5", 5}, FormulaCase{"*5", 0},
        // Function application.
        FormulaCase{"1~16", 4}, FormulaCase{"3*1~4", 6}, FormulaCase{"12~2", 0},
        FormulaCase{"8~(-2.5)", -2}, FormulaCase{"9~(-3)", 3}, FormulaCase{"11~1", 0},
        FormulaCase{"10~1000", 3}, FormulaCase{"1.5~9", std::sin(9.0)}, FormulaCase{"0.5~9", 0},
        // Text details.
        FormulaCase{"1 + 2", 3}, FormulaCase{"1,5*2", 2}, FormulaCase{"16777217+0", 16777216},
        FormulaCase{"0.05*100", 5}, FormulaCase{".5+.5", 1}, FormulaCase{"5.+1", 6},
        FormulaCase{"\t4+1", 5}, FormulaCase{"\t.5*4", 2}, FormulaCase{"\t5.*2", 10},
        FormulaCase{"\t.", 0}, FormulaCase{"12(+1", 13}, FormulaCase{"-.25*4", -1},
        FormulaCase{"2(3+4", 6},
        // A ")" standing alone between two numbers closes its level too.
        FormulaCase{"(1+2)3)+5", 5}, FormulaCase{"(1+2)3)-5", -5}, FormulaCase{"2*(3+1)5)+1", 1}));

TEST(FormulaTest, DivisionByZeroGivesInfinityAndNoValue) {
  EXPECT_TRUE(std::isinf(EvaluateFormula("6/0")));
  EXPECT_EQ(EvaluateFormulaToInteger("6/0"), kNoValue);
  EXPECT_EQ(EvaluateFormulaToInteger("0/0"), kNoValue);
  EXPECT_EQ(EvaluateFormulaToInteger("1~(-1)"), kNoValue);  // square root of -1
  EXPECT_EQ(EvaluateFormulaToInteger("3~2"), kNoValue);     // arc sine of 2
  EXPECT_EQ(EvaluateFormulaToInteger("(-8)^0.5"), kNoValue);
}

TEST(FormulaTest, IntegerConversionRoundsTiesToEven) {
  const struct {
    const char* text;
    int64_t expected;
  } cases[] = {
      {"2.5", 2},
      {"3.5", 4},
      {"-2.5", -2},
      {"2.4", 2},
      {"2.6", 3},
      {"1/3", 0},
      {"7/2", 4},
      {"-7/2", -4},
      {"1234/5+678*2", 1603},
      {"9999999999", 10000000000},
      {"10^18", 999999984306749440},
      {"10^19", kNoValue},
  };
  for (const auto& c : cases) EXPECT_EQ(EvaluateFormulaToInteger(c.text), c.expected) << c.text;
}

TEST(FormulaTest, ResultToIntegerLimits) {
  EXPECT_EQ(FormulaResultToInteger(9223372036854775808.0), kNoValue);
  EXPECT_EQ(FormulaResultToInteger(-9223372036854775808.0), kNoValue);
  EXPECT_EQ(FormulaResultToInteger(9223372036854774784.0), 9223372036854774784);
  EXPECT_EQ(FormulaResultToInteger(std::numeric_limits<double>::quiet_NaN()), kNoValue);
  EXPECT_EQ(FormulaResultToInteger(-std::numeric_limits<double>::infinity()), kNoValue);
}

TEST(FormulaTest, IntFunctionSaturatesOutsideThe32BitRange) {
  EXPECT_FLOAT_EQ(EvaluateFormula("8~(3000000000)"), 2147483647.0f);
  EXPECT_FLOAT_EQ(EvaluateFormula("8~(-3000000000)"), -2147483648.0f);
  EXPECT_TRUE(std::isnan(EvaluateFormula("8~(0/0)")));
}

TEST(FormulaTest, HugeAndTinyLiterals) {
  EXPECT_TRUE(std::isinf(EvaluateFormula(std::string(400, '9'))));
  EXPECT_TRUE(std::isinf(EvaluateFormula("1" + std::string(40, '0'))));
  EXPECT_FLOAT_EQ(EvaluateFormula("0." + std::string(400, '0') + "1"), 0.0f);
  EXPECT_FLOAT_EQ(EvaluateFormula("123456789012345678901234"), 1.2345679e23f);
  EXPECT_FLOAT_EQ(EvaluateFormula("0.1234567890123456789012"), 0.12345679f);
}

// The node pool holds 149 tokens; what follows is ignored, never written.
TEST(FormulaTest, TokensBeyondThePoolAreIgnored) {
  auto ones = [](int count) {
    std::string text = "1";
    for (int i = 1; i < count; ++i) text += "+1";
    return text;
  };
  EXPECT_FLOAT_EQ(EvaluateFormula(ones(75)), 75);  // exactly 149 tokens
  EXPECT_FLOAT_EQ(EvaluateFormula(ones(76)), 75);  // the 151st token is dropped
  EXPECT_FLOAT_EQ(EvaluateFormula(ones(1000)), 75);
  EXPECT_FLOAT_EQ(EvaluateFormula(ones(74) + "+(2*3"), 74 + 2);
  // Deep nesting stays within the pool as well.
  std::string nested;
  for (int i = 0; i < 500; ++i) nested += "1+(";
  EXPECT_FLOAT_EQ(EvaluateFormula(nested + "1"), 75);

  EXPECT_FALSE(FormulaExceedsTokenLimit(ones(75)));
  EXPECT_FALSE(FormulaExceedsTokenLimit(ones(74) + "+1)))"));
  EXPECT_TRUE(FormulaExceedsTokenLimit(ones(76)));
  EXPECT_TRUE(FormulaExceedsTokenLimit(ones(75) + "*2"));
  EXPECT_TRUE(FormulaExceedsTokenLimit(nested + "1"));
}

TEST(FormulaTest, CapitalsAreLowered) {
  // Lowered letters still end a number; a capital would not otherwise.
  EXPECT_FLOAT_EQ(EvaluateFormula("3X4"), 0);
  EXPECT_FLOAT_EQ(EvaluateFormula("3\xC4"
                                  "4"),
                  3);  // a Latin-1 letter does not end a number
}

TEST(FormulaTest, PreparationSwitchesOffKeepNamesUnread) {
  EXPECT_FLOAT_EQ(EvaluateFormula("sqr(16)"), 0);
  EXPECT_FLOAT_EQ(EvaluateFormula("2*pi"), 0);
}

TEST(FormulaTest, FunctionNamesSwitch) {
  FormulaOptions options;
  options.function_names = true;
  const struct {
    const char* text;
    float expected;
  } cases[] = {
      {"sqr(16)", 4},       {"SQR(16)", 4},     {"3*sqr(4)", 6},       {"asin(1)", 1.5707964f},
      {"sin(0)+cos(0)", 1}, {"acos(1)", 0},     {"atan(0)+tan(0)", 0}, {"int(-2.5)", -2},
      {"abs(-3)", 3},       {"logten(100)", 2}, {"log(1)", 0},
  };
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(EvaluateFormula(c.text, options), c.expected) << c.text;
}

TEST(FormulaTest, NamedConstantsSwitch) {
  FormulaOptions options;
  options.named_constants = true;
  EXPECT_FLOAT_EQ(EvaluateFormula("2*pi", options), 6.2831852f);
  EXPECT_FLOAT_EQ(EvaluateFormula("e", options), 2.7182818f);
  EXPECT_FLOAT_EQ(EvaluateFormula("PI", options), 3.1415926f);
  options.function_names = true;
  // Names are replaced before constants, so "logten" keeps its "e".
  EXPECT_FLOAT_EQ(EvaluateFormula("logten(100)+log(e)", options), 3);
}

TEST(FormulaTest, CallerTextIsUnchanged) {
  const std::string text = "( 1 + 2 ) * 3";
  EXPECT_FLOAT_EQ(EvaluateFormula(text), 9);
  EXPECT_EQ(text, "( 1 + 2 ) * 3");
}

}  // namespace
}  // namespace wunt
