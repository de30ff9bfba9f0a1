#pragma once
// The Viewer's MessageSink: modal German message boxes. Inside a batch (one
// operation such as loading a season) equal messages are gathered and each
// is shown once, with the number of times it came, when the batch ends: a
// season whose files declare thousands of unknown fields would otherwise
// bury the user under thousands of boxes.

#include <string_view>

#include "common/message_sink.h"

class QWidget;

namespace wunt {

class GuiMessageSink : public MessageSink {
 public:
  explicit GuiMessageSink(QWidget* parent = nullptr) : parent_(parent) {}

  void set_parent(QWidget* parent) { parent_ = parent; }
  void ShowMessage(std::string_view title, std::string_view text) override;

  // Batches nest; the outermost end shows what was gathered.
  void BeginBatch();
  void EndBatch();

 private:
  QWidget* parent_ = nullptr;
  int depth_ = 0;
  MessageGatherer gathered_;
};

class MessageBatch {
 public:
  explicit MessageBatch(GuiMessageSink& sink) : sink_(sink) { sink_.BeginBatch(); }
  ~MessageBatch() { sink_.EndBatch(); }
  MessageBatch(const MessageBatch&) = delete;
  MessageBatch& operator=(const MessageBatch&) = delete;

 private:
  GuiMessageSink& sink_;
};

}  // namespace wunt
