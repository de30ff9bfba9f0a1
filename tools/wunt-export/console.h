#pragma once
// What every part of wunt-export says on standard error, and how it ends
// when the request cannot be served.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_sink.h"

namespace wunt::exporter {

inline constexpr int kExitWriteFailed = 1;
inline constexpr int kExitUsage = 2;

// Gathers the messages of one load: a damaged file repeats the same one
// many times, which is printed once with its count.
class StderrSink : public MessageSink {
 public:
  ~StderrSink() override { Flush(); }
  void ShowMessage(std::string_view title, std::string_view text) override;
  void Flush();

 private:
  struct Gathered {
    std::string title;
    std::string text;
    int count;
  };
  std::vector<Gathered> gathered_;
};

// One line on standard error; `text` is UTF-8.
void Note(const std::string& text);

// Names the bad input and ends the program with kExitUsage.
[[noreturn]] void Fail(const std::string& message);

// `text` as a whole decimal number (optional minus), or nothing.
std::optional<int64_t> ParseInt(std::string_view text);

// The value of option `name`, which must be a whole number in [low, high];
// fails otherwise.
int64_t IntArgument(std::string_view name, std::string_view text, int64_t low, int64_t high);

// Index of `text` among `choices`; fails naming them otherwise.
int Choice(std::string_view name, std::string_view text,
           std::initializer_list<std::string_view> choices);

}  // namespace wunt::exporter
