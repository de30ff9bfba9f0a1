#include "common/message_sink.h"

#include <algorithm>

namespace wunt {

void MessageGatherer::Add(std::string_view title, std::string_view text) {
  auto found = std::find_if(gathered_.begin(), gathered_.end(),
                            [&](const Gathered& g) { return g.title == title && g.text == text; });
  if (found == gathered_.end()) {
    gathered_.push_back({std::string(title), std::string(text), 1});
  } else {
    ++found->count;
  }
}

std::vector<MessageGatherer::Gathered> MessageGatherer::Take() {
  std::vector<Gathered> taken = std::move(gathered_);
  gathered_.clear();
  return taken;
}

std::string CountedText(std::string_view text, int count) {
  std::string out(text);
  if (count > 1) out += "\n\n(Diese Meldung trat " + std::to_string(count) + "-mal auf.)";
  return out;
}

}  // namespace wunt
