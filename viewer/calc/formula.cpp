#include "viewer/calc/formula.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "common/text.h"

namespace wunt {
namespace {

// Each opening parenthesis lifts the priority of the operators inside it above
// all four operator levels.
constexpr int64_t kDepthStep = 4;

// Operator codes; a node with code 0 is a number leaf.
constexpr int32_t kOpNumber = 0;
constexpr int32_t kOpAdd = 1;
constexpr int32_t kOpSubtract = 2;
constexpr int32_t kOpMultiply = 3;
constexpr int32_t kOpDivide = 4;
constexpr int32_t kOpPower = 5;
constexpr int32_t kOpFunction = 6;
constexpr int32_t kOpUnknown = -1;

// Slot 0 is never filled, so index 0 doubles as "no node".
struct Node {
  int32_t parent;
  int32_t left;
  int32_t right;
  int32_t op;
  float value;
  int64_t priority;
};

// Character classes for the scanners, one table lookup per character.
enum CharClass : uint8_t {
  kEndsNumber = 1,  // a-z and ) * + - / ^ ~
  kDigit = 2,
  kDot = 4,
  kNeedsPreparing = 8,  // the blank and the capitals that get lowered
};

constexpr std::array<uint8_t, 256> MakeCharClasses() {
  std::array<uint8_t, 256> table{};
  for (size_t c = 'a'; c <= 'z'; ++c) table[c] |= kEndsNumber;
  for (char c : std::string_view(")*+-/^~")) table[static_cast<unsigned char>(c)] |= kEndsNumber;
  for (size_t c = '0'; c <= '9'; ++c) table[c] |= kDigit;
  table['.'] |= kDot;
  table[' '] |= kNeedsPreparing;
  for (size_t c = 'A'; c <= 'Z'; ++c) table[c] |= kNeedsPreparing;
  for (size_t c = 0xC0; c <= 0xDE; ++c) table[c] |= kNeedsPreparing;
  return table;
}
constexpr std::array<uint8_t, 256> kCharClasses = MakeCharClasses();

inline uint8_t ClassOf(char c) { return kCharClasses[static_cast<unsigned char>(c)]; }

// The formula text after blanks are removed and letters lowered; short texts
// are copied to a buffer on the stack.
class PreparedText {
 public:
  PreparedText(std::string_view text, const FormulaOptions& options) {
    const bool replace = options.function_names || options.named_constants;
    char* out = text.size() <= sizeof(inline_) && !replace ? inline_ : nullptr;
    if (out == nullptr) {
      heap_.resize(text.size());
      out = heap_.data();
    }
    size_t size = 0;
    for (char c : text) {
      if (c == ' ') continue;
      const auto u = static_cast<unsigned char>(c);
      if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE)) c = static_cast<char>(u + 32);
      out[size++] = c;
    }
    if (!replace) {
      text_ = std::string_view(out, size);
      return;
    }
    heap_.resize(size);
    if (options.function_names) ReplaceFunctionNames();
    if (options.named_constants) {
      heap_ = ReplaceAll(heap_, "pi", "3.1415926");
      heap_ = ReplaceAll(heap_, "e", "2.7182818");
    }
    text_ = heap_;
  }

  std::string_view text() const { return text_; }

 private:
  // Longer names that contain a shorter one go first: "asin" before "sin",
  // "logten" before "log".
  void ReplaceFunctionNames() {
    static constexpr int kOrder[] = {1, 3, 2, 5, 4, 7, 6, 8, 9, 10, 11};
    for (int code : kOrder) {
      heap_ = ReplaceAll(heap_, kFormulaFunctionNames[code], std::to_string(code) + "~");
    }
  }

  char inline_[256];
  std::string heap_;
  std::string_view text_;
};

// Exact doubles; 22 is the largest exact power of ten.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

float Narrow(double value) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (value > kMax) return std::numeric_limits<float>::infinity();
  if (value < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return (ClassOf(c) & kDigit) != 0; }

// The longest leading part of `token` that reads as a decimal number: white
// space, optional sign, digits, optional point and digits. 0 without digits.
// The general case behind ScanNumberToken's short cut.
float ReadNumberToken(std::string_view token) {
  size_t i = 0;
  while (i < token.size() && IsWhiteSpace(token[i])) ++i;
  bool negative = false;
  if (i < token.size() && (token[i] == '-' || token[i] == '+')) {
    negative = token[i] == '-';
    ++i;
  }
  const size_t digits_start = i;
  while (i < token.size() && IsDigit(token[i])) ++i;
  bool any_digit = i > digits_start;
  size_t digits_end = i;
  if (i < token.size() && token[i] == '.') {
    const size_t fraction_start = ++i;
    while (i < token.size() && IsDigit(token[i])) ++i;
    if (i > fraction_start) {
      any_digit = true;
      digits_end = i;
    }
  }
  if (!any_digit) return 0.0f;

  const char* first = token.data() + digits_start;
  const char* last = token.data() + digits_end;
  double value = 0.0;
  const auto [unused, error] = std::from_chars(first, last, value, std::chars_format::fixed);
  if (error == std::errc::result_out_of_range) {
    // Only a huge integer part overflows; only a long run of fraction zeros
    // underflows.
    bool huge = false;
    for (const char* p = first; p < last && *p != '.'; ++p) huge = huge || *p != '0';
    value = huge ? std::numeric_limits<double>::infinity() : 0.0;
  }
  const float narrowed = Narrow(value);
  return negative ? -narrowed : narrowed;
}

// Reads the number token that starts at `pos` and sets `end` behind it. Plain
// numbers, what the value computation pastes in, take a short cut. The
// classes of the characters the short cut does not look at go to `seen`.
float ScanNumberToken(std::string_view text, size_t pos, size_t& end, uint8_t& seen) {
  const size_t size = text.size();
  size_t p = pos;
  const bool negative = p < size && text[p] == '-';
  if (negative) ++p;
  const size_t digits_start = p;
  uint64_t mantissa = 0;
  size_t fraction_digits = 0;
  for (; p < size; ++p) {
    const unsigned digit = static_cast<unsigned char>(text[p]) - unsigned{'0'};
    if (digit > 9) break;
    mantissa = mantissa * 10 + digit;
  }
  size_t digits = p - digits_start;
  if (p < size && text[p] == '.') {
    const size_t fraction_start = ++p;
    for (; p < size; ++p) {
      const unsigned digit = static_cast<unsigned char>(text[p]) - unsigned{'0'};
      if (digit > 9) break;
      mantissa = mantissa * 10 + digit;
    }
    fraction_digits = p - fraction_start;
    digits += fraction_digits;
  }
  // Up to 15 digits the mantissa and the power of ten are exact doubles, so
  // one division rounds correctly.
  if (digits > 0 && digits <= 15 && (p == size || (ClassOf(text[p]) & kEndsNumber) != 0)) {
    end = p;
    double value = static_cast<double>(mantissa);
    if (fraction_digits > 0) value /= kPowersOfTen[fraction_digits];
    const auto narrowed = static_cast<float>(value);
    return negative ? -narrowed : narrowed;
  }
  for (uint8_t c; p < size && ((c = ClassOf(text[p])) & kEndsNumber) == 0; ++p) seen |= c;
  end = p;
  return ReadNumberToken(text.substr(pos, p - pos));
}

struct OperatorInfo {
  int32_t op;
  int32_t base_priority;
};

constexpr std::array<OperatorInfo, 256> MakeOperatorTable() {
  std::array<OperatorInfo, 256> table{};
  for (auto& entry : table) entry = {kOpUnknown, 0};
  table['+'] = {kOpAdd, 1};
  table['-'] = {kOpSubtract, 1};
  table['*'] = {kOpMultiply, 2};
  table['/'] = {kOpDivide, 2};
  table['^'] = {kOpPower, 3};
  table['~'] = {kOpFunction, 4};
  return table;
}
constexpr std::array<OperatorInfo, 256> kOperators = MakeOperatorTable();

// Classifies one operator token and keeps the nesting depth up to date.
void ClassifyOperator(std::string_view token, int64_t& depth, Node& node) {
  int64_t pending = 0;
  // A token that is just ")" closes a level too, and leaves no operator.
  while (!token.empty() && token.front() == ')') {
    token.remove_prefix(1);
    depth -= kDepthStep;
  }
  while (!token.empty() && token.back() == '(') {
    token.remove_suffix(1);
    pending += kDepthStep;
  }
  const OperatorInfo info = token.size() == 1 ? kOperators[static_cast<unsigned char>(token[0])]
                                              : OperatorInfo{kOpUnknown, 0};
  node.op = info.op;
  node.priority = info.op == kOpUnknown ? 0 : depth + info.base_priority;
  depth += pending;
}

float Power(float base, float exponent) {
  // A square of a float is exact in double, so it equals what pow gives.
  if (exponent == 2.0f) {
    const double b = base;
    return Narrow(b * b);
  }
  return Narrow(std::pow(static_cast<double>(base), static_cast<double>(exponent)));
}

float ApplyFunction(float code_value, float x) {
  // Ties go to the even neighbour: 1.5 is code 2, 0.5 is no code.
  if (!(code_value > 0.5f && code_value < 11.5f)) return 0.0f;
  const long code = std::lrint(code_value);
  const double arg = x;
  switch (code) {
    case kFunctionSqr:
      return Narrow(std::sqrt(arg));
    case kFunctionSin:
      return Narrow(std::sin(arg));
    case kFunctionAsin:
      return Narrow(std::asin(arg));
    case kFunctionCos:
      return Narrow(std::cos(arg));
    case kFunctionAcos:
      return Narrow(std::acos(arg));
    case kFunctionTan:
      return Narrow(std::tan(arg));
    case kFunctionAtan:
      return Narrow(std::atan(arg));
    case kFunctionInt:
      if (std::isnan(x)) return x;
      if (x >= 2147483648.0f) return 2147483647.0f;
      if (x < -2147483648.0f) return -2147483648.0f;
      return static_cast<float>(static_cast<int32_t>(x));
    case kFunctionAbs:
      return std::fabs(x);
    case kFunctionLogTen:
      return Narrow(std::log10(arg));
    case kFunctionLog:
      return Narrow(std::log(arg));
    default:
      return 0.0f;
  }
}

class FormulaTree {
 public:
  // The result, unless the text holds blanks or capitals where it was read;
  // then needs_preparing() is true and the result is meaningless.
  float Evaluate(std::string_view text) {
    int64_t depth = 0;
    while (!text.empty() && text.front() == '(') {
      text.remove_prefix(1);
      depth += kDepthStep;
    }
    while (!text.empty() && text.back() == ')') text.remove_suffix(1);
    const int root = Build(text, depth);
    return needs_preparing() ? 0.0f : Eval(root);
  }

  bool needs_preparing() const { return (seen_ & kNeedsPreparing) != 0; }
  bool cut() const { return cut_; }

 private:
  // Tokens alternate: numbers in the odd slots, operators in the even ones.
  int Build(std::string_view text, int64_t depth) {
    const size_t size = text.size();
    size_t pos = 0;
    int last_operator = 0;
    int token = 1;
    for (;;) {
      Node& number = pool_[token];
      number.op = kOpNumber;
      number.parent = last_operator;
      number.value = ScanNumberToken(text, pos, pos, seen_);
      if (last_operator != 0) pool_[last_operator].right = token;
      if (pos == size) break;
      if (token == kMaxFormulaTokens) {
        cut_ = true;
        break;
      }
      ++token;

      size_t end = pos;
      for (uint8_t c; end < size && ((c = ClassOf(text[end])) & (kDigit | kDot)) == 0; ++end) {
        seen_ |= c;
      }
      // "(-" hands its minus to the number that follows.
      if (end - pos >= 2 && text[end - 1] == '-' && text[end - 2] == '(') --end;
      Node& op = pool_[token];
      op.parent = 0;
      op.left = 0;
      op.right = 0;
      ClassifyOperator(text.substr(pos, end - pos), depth, op);
      InsertOperator(token, last_operator, token - 1);
      last_operator = token;
      pos = end;
      if (pos == size) break;
      ++token;
    }
    if (last_operator == 0) return 1;
    int root = last_operator;
    while (pool_[root].parent != 0) root = pool_[root].parent;
    return root;
  }

  void InsertOperator(int q, int last_operator, int last_number) {
    Node& node = pool_[q];
    if (last_operator == 0) {
      node.left = last_number;
      pool_[last_number].parent = q;
      return;
    }
    // Climb while the operators above bind tighter than q.
    int w = last_operator;
    while (pool_[w].parent != 0 && pool_[w].priority > node.priority) w = pool_[w].parent;
    Node& above = pool_[w];
    if (above.priority < node.priority) {
      // q binds tighter: it takes w's right operand as its left.
      node.left = above.right;
      if (above.right != 0) pool_[above.right].parent = q;
      above.right = q;
      node.parent = w;
    } else {
      // Equal priority (left grouping) or w is the root: q replaces w.
      const int up = above.parent;
      node.parent = up;
      if (up != 0) {
        if (pool_[up].left == w) {
          pool_[up].left = q;
        } else {
          pool_[up].right = q;
        }
      }
      node.left = w;
      above.parent = q;
    }
  }

  float Eval(int index) const {
    if (index == 0) return 0.0f;
    const Node& node = pool_[index];
    if (node.op == kOpNumber) return node.value;
    return Apply(node.op, Operand(node.left), Operand(node.right));
  }

  // Leaves, half of every tree, without a call.
  float Operand(int index) const {
    return index != 0 && pool_[index].op == kOpNumber ? pool_[index].value : Eval(index);
  }

  static float Apply(int32_t op, float left, float right) {
    switch (op) {
      case kOpAdd:
        return left + right;
      case kOpSubtract:
        return left - right;
      case kOpMultiply:
        return left * right;
      case kOpDivide:
        return left / right;
      case kOpPower:
        return Power(left, right);
      case kOpFunction:
        return ApplyFunction(left, right);
      default:
        return 0.0f;
    }
  }

  uint8_t seen_ = 0;  // classes of the characters read outside digit runs
  bool cut_ = false;  // tokens were left unread
  // Slots are initialised as tokens fill them; untouched slots are never read.
  Node pool_[kFormulaPoolSize];
};

}  // namespace

double EvaluateFormula(std::string_view text, const FormulaOptions& options) {
  // Assembled texts have no blanks or capitals, so they are read as they
  // stand; only a text that turns out to need it is prepared and read again.
  if (!options.function_names && !options.named_constants) {
    FormulaTree tree;
    const float result = tree.Evaluate(text);
    if (!tree.needs_preparing()) return static_cast<double>(result);
  }
  PreparedText prepared(text, options);
  FormulaTree tree;
  return static_cast<double>(tree.Evaluate(prepared.text()));
}

bool FormulaExceedsTokenLimit(std::string_view text) {
  PreparedText prepared(text, {});
  FormulaTree tree;
  tree.Evaluate(prepared.text());
  return tree.cut();
}

int64_t FormulaResultToInteger(double result) {
  if (!std::isfinite(result)) return std::numeric_limits<int64_t>::min();
  const double rounded = std::nearbyint(result);
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (rounded >= kLimit || rounded <= -kLimit) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(rounded);
}

int64_t EvaluateFormulaToInteger(std::string_view text, const FormulaOptions& options) {
  return FormulaResultToInteger(EvaluateFormula(text, options));
}

}  // namespace wunt
