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

// Drops every message.
class SilentMessageSink : public MessageSink {
 public:
  void ShowMessage(std::string_view, std::string_view) override {}
};

}  // namespace wunt
