#include "viewer/platform/gui_message_sink.h"

#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"

namespace wunt {

void GuiMessageSink::ShowMessage(std::string_view title, std::string_view text) {
  if (depth_ == 0) {
    MessageBoxes::Show(parent_, FromCp1252(title), FromCp1252(text));
    return;
  }
  gathered_.Add(title, text);
}

void GuiMessageSink::BeginBatch() { ++depth_; }

void GuiMessageSink::EndBatch() {
  if (depth_ == 0 || --depth_ > 0) return;
  // Showing a box runs an event loop, which may start another batch.
  for (const MessageGatherer::Gathered& g : gathered_.Take()) {
    MessageBoxes::Show(parent_, FromCp1252(g.title), FromCp1252(CountedText(g.text, g.count)));
  }
}

}  // namespace wunt
