#include "viewer/platform/gui_message_sink.h"

#include <algorithm>

#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"

namespace wunt {

void GuiMessageSink::ShowMessage(std::string_view title, std::string_view text) {
  if (depth_ == 0) {
    MessageBoxes::Show(parent_, FromCp1252(title), FromCp1252(text));
    return;
  }
  auto found = std::find_if(gathered_.begin(), gathered_.end(),
                            [&](const Gathered& g) { return g.title == title && g.text == text; });
  if (found == gathered_.end()) {
    gathered_.push_back({std::string(title), std::string(text), 1});
  } else {
    ++found->count;
  }
}

void GuiMessageSink::BeginBatch() { ++depth_; }

void GuiMessageSink::EndBatch() {
  if (depth_ == 0 || --depth_ > 0) return;
  // Showing a box runs an event loop, which may start another batch.
  std::vector<Gathered> shown = std::move(gathered_);
  gathered_.clear();
  for (const Gathered& g : shown) {
    MessageBoxes::Show(parent_, FromCp1252(g.title), CountedText(FromCp1252(g.text), g.count));
  }
}

QString GuiMessageSink::CountedText(const QString& text, int count) {
  if (count <= 1) return text;
  return text + QStringLiteral("\n\n(Diese Meldung trat %1-mal auf.)").arg(count);
}

}  // namespace wunt
