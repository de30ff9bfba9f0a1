#pragma once
// Core code raises the user-visible message boxes through this interface; the
// Viewer shows them as modal boxes, command-line tools print them, tests
// record them.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wunt {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(std::string_view title, std::string_view text) = 0;
};

// Keeps every message in order; for tests and for callers that report later.
class RecordingMessageSink : public MessageSink {
 public:
  void ShowMessage(std::string_view title, std::string_view text) override {
    messages.emplace_back(std::string(title), std::string(text));
  }
  std::vector<std::pair<std::string, std::string>> messages;
};

// Gathers equal messages (same title and text) in the order they first came,
// with how often each came: one damaged file can raise the same message
// thousands of times, and the user should read it once.
class MessageGatherer {
 public:
  struct Gathered {
    std::string title;
    std::string text;
    int count = 0;
  };

  void Add(std::string_view title, std::string_view text);
  // Everything gathered so far; the gatherer starts empty again.
  std::vector<Gathered> Take();
  bool empty() const { return gathered_.empty(); }

 private:
  std::vector<Gathered> gathered_;
};

// The text a gathered message is shown with: the text itself, and how often
// it came when that was more than once.
std::string CountedText(std::string_view text, int count);

// Drops every message.
class SilentMessageSink : public MessageSink {
 public:
  void ShowMessage(std::string_view, std::string_view) override {}
};

}  // namespace wunt
