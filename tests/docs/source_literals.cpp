#include "tests/docs/source_literals.h"

#include <fstream>
#include <iterator>

#include "common/text.h"

namespace wunt {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the literal whose opening quote is at `pos`; `pos` ends behind it.
std::string ReadQuoted(std::string_view s, size_t& pos) {
  std::string out;
  ++pos;
  while (pos < s.size() && s[pos] != '"') {
    char c = s[pos++];
    if (c != '\\' || pos >= s.size()) {
      out += c;
      continue;
    }
    c = s[pos++];
    switch (c) {
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'x': {
        int value = 0;
        while (pos < s.size() && HexValue(s[pos]) >= 0) value = value * 16 + HexValue(s[pos++]);
        out += static_cast<char>(value);
        break;
      }
      default:
        if (c >= '0' && c <= '7') {
          int value = c - '0';
          for (int i = 0; i < 2 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7'; ++i) {
            value = value * 8 + (s[pos++] - '0');
          }
          out += static_cast<char>(value);
        } else {
          out += c;  // \" \' \\ \?
        }
    }
  }
  ++pos;
  return out;
}

// Reads R"delim(...)delim" whose R is at `pos`.
std::string ReadRaw(std::string_view s, size_t& pos) {
  const size_t open = s.find('(', pos);
  if (open == std::string_view::npos) {
    pos = s.size();
    return {};
  }
  std::string close(1, ')');
  close.append(s.substr(pos + 2, open - pos - 2));
  close += '"';
  const size_t end = s.find(close, open);
  const size_t stop = end == std::string_view::npos ? s.size() : end;
  std::string out(s.substr(open + 1, stop - open - 1));
  pos = end == std::string_view::npos ? s.size() : end + close.size();
  return out;
}

bool IsIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

std::vector<std::string> StringLiterals(std::string_view s) {
  std::vector<std::string> literals;
  bool joinable = false;  // only blanks and comments since the last literal
  size_t pos = 0;
  while (pos < s.size()) {
    const char c = s[pos];
    if (s.compare(pos, 2, "//") == 0) {
      pos = s.find('\n', pos);
      if (pos == std::string_view::npos) break;
      continue;
    }
    if (s.compare(pos, 2, "/*") == 0) {
      pos = s.find("*/", pos + 2);
      if (pos == std::string_view::npos) break;
      pos += 2;
      continue;
    }
    if (c == '\'') {
      // A digit separator (1'000'000) or a character literal.
      if (pos > 0 && HexValue(s[pos - 1]) >= 0 && pos + 1 < s.size() && HexValue(s[pos + 1]) >= 0 &&
          s.compare(pos + 2, 1, "'") != 0) {
        ++pos;
        continue;
      }
      ++pos;
      while (pos < s.size() && s[pos] != '\'') pos += s[pos] == '\\' ? 2u : 1u;
      ++pos;
      joinable = false;
      continue;
    }
    const bool raw =
        c == 'R' && s.compare(pos + 1, 1, "\"") == 0 && (pos == 0 || !IsIdentifierChar(s[pos - 1]));
    if (c == '"' || raw) {
      std::string text = raw ? ReadRaw(s, pos) : ReadQuoted(s, pos);
      text = Utf8ToCp1252(text);
      if (joinable && !literals.empty()) {
        literals.back() += text;
      } else {
        literals.push_back(std::move(text));
      }
      joinable = true;
      continue;
    }
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') joinable = false;
    ++pos;
  }
  return literals;
}

std::vector<std::string> StringLiteralsBelow(const std::filesystem::path& folder) {
  std::vector<std::string> literals;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::filesystem::path& path = entry.path();
    if (!entry.is_regular_file() || (path.extension() != ".cpp" && path.extension() != ".h")) {
      continue;
    }
    std::ifstream in(path, std::ios::binary);
    const std::string source((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    for (std::string& literal : StringLiterals(source)) literals.push_back(std::move(literal));
  }
  return literals;
}

bool SpelledByLiterals(std::string_view text, const std::vector<std::string>& literals) {
  for (const std::string& literal : literals) {
    if (literal.find(text) != std::string::npos) return true;
  }
  // joined[i]: text[0, i) is spelled so far and ends where a literal ends.
  std::vector<bool> joined(text.size() + 1, false);
  for (const std::string& literal : literals) {
    for (size_t k = 1; k < text.size() && k <= literal.size(); ++k) {
      if (literal.compare(literal.size() - k, k, text, 0, k) == 0) joined[k] = true;
    }
  }
  for (size_t i = 1; i < text.size(); ++i) {
    if (!joined[i]) continue;
    for (const std::string& literal : literals) {
      if (literal.empty()) continue;
      const size_t rest = text.size() - i;
      if (literal.size() >= rest && literal.compare(0, rest, text, i, rest) == 0) return true;
      if (literal.size() < rest && text.compare(i, literal.size(), literal) == 0) {
        joined[i + literal.size()] = true;
      }
    }
  }
  return false;
}

}  // namespace wunt
