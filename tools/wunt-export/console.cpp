#include "tools/wunt-export/console.h"

#include <cstdio>
#include <cstdlib>

#include "common/text.h"

namespace wunt::exporter {

void StderrSink::ShowMessage(std::string_view title, std::string_view text) {
  for (Gathered& g : gathered_) {
    if (g.title == title && g.text == text) {
      ++g.count;
      return;
    }
  }
  gathered_.push_back({std::string(title), std::string(text), 1});
}

void StderrSink::Flush() {
  for (const Gathered& g : gathered_) {
    const std::string line = Cp1252ToUtf8(g.title + ": " + g.text);
    if (g.count > 1) {
      std::fprintf(stderr, "wunt-export: %s (%d-mal)\n", line.c_str(), g.count);
    } else {
      std::fprintf(stderr, "wunt-export: %s\n", line.c_str());
    }
  }
  gathered_.clear();
}

void Note(const std::string& text) { std::fprintf(stderr, "wunt-export: %s\n", text.c_str()); }

void Fail(const std::string& message) {
  std::fprintf(stderr, "wunt-export: %s\n(siehe wunt-export --help)\n", message.c_str());
  std::exit(kExitUsage);
}

std::optional<int64_t> ParseInt(std::string_view text) {
  // 18 digits cannot overflow 64 bits; every range asked for is smaller.
  if (text.empty() || text.size() > 19) return std::nullopt;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size() || text.size() - i > 18) return std::nullopt;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return text[0] == '-' ? -value : value;
}

int64_t IntArgument(std::string_view name, std::string_view text, int64_t low, int64_t high) {
  const std::optional<int64_t> value = ParseInt(text);
  if (!value || *value < low || *value > high) {
    Fail(std::string(name) + " will eine ganze Zahl von " + std::to_string(low) + " bis " +
         std::to_string(high) + ", nicht \"" + std::string(text) + "\"");
  }
  return *value;
}

int Choice(std::string_view name, std::string_view text,
           std::initializer_list<std::string_view> choices) {
  int index = 0;
  for (std::string_view choice : choices) {
    if (text == choice) return index;
    ++index;
  }
  std::string list;
  for (std::string_view choice : choices) list += (list.empty() ? "" : ", ") + std::string(choice);
  Fail(std::string(name) + " will eins von: " + list + "; nicht \"" + std::string(text) + "\"");
}

}  // namespace wunt::exporter
