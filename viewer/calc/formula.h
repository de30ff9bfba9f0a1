#pragma once
// The formula language: numbers, the operators + - * / ^ and ~ (function
// application), and parentheses. Field references have been replaced by
// decimal numbers before a text gets here, so the engine sees only numbers.
//
// Every call parses afresh into a fixed pool of nodes on the stack and
// evaluates in single precision; nothing is cached and nothing allocated per
// node. Faults surface only as values: a missing operand is 0, an unknown
// operator gives 0 for its subtree, a division by zero gives an infinity.
//
// Limits and choices of this implementation:
// - A formula holds at most kMaxFormulaTokens tokens (75 numbers and 74
//   operators). Tokens after that are treated as absent: the formula is
//   evaluated as if its text ended after the 149th token.
// - Function 8 ("int") truncates toward zero; arguments outside the 32-bit
//   signed range saturate to its bounds, and NaN stays NaN.

#include <cstdint>
#include <string_view>

namespace wunt {

inline constexpr int kFormulaPoolSize = 150;
inline constexpr int kMaxFormulaTokens = kFormulaPoolSize - 1;

// Function codes for the "~" operator: code~argument.
enum FormulaFunction : int32_t {
  kFunctionSqr = 1,
  kFunctionSin = 2,
  kFunctionAsin = 3,
  kFunctionCos = 4,
  kFunctionAcos = 5,
  kFunctionTan = 6,
  kFunctionAtan = 7,
  kFunctionInt = 8,
  kFunctionAbs = 9,
  kFunctionLogTen = 10,
  kFunctionLog = 11,
};

// The names that label the function codes, indexed by code (index 0 unused).
inline constexpr std::string_view kFormulaFunctionNames[] = {
    "", "sqr", "sin", "asin", "cos", "acos", "tan", "atan", "int", "abs", "logten", "log"};

// Two preparation steps that the Viewer leaves switched off. With
// `function_names` a name such as "sqr" becomes its code followed by "~", so
// sqr(16) reads as 1~(16). With `named_constants` "pi" and then "e" become
// their decimal values.
struct FormulaOptions {
  bool function_names = false;
  bool named_constants = false;
};

// Prepares, parses and evaluates `text`; the single-precision result widened.
double EvaluateFormula(std::string_view text, const FormulaOptions& options = {});

// EvaluateFormula rounded to the nearest integer, ties to even. A result that
// is not finite or whose magnitude is 2^63 or more gives INT64_MIN.
int64_t EvaluateFormulaToInteger(std::string_view text, const FormulaOptions& options = {});

// Whether `text` holds more than kMaxFormulaTokens tokens, so that the
// engine ignores its end.
bool FormulaExceedsTokenLimit(std::string_view text);

// The rounding rule of EvaluateFormulaToInteger on its own.
int64_t FormulaResultToInteger(double result);

}  // namespace wunt
