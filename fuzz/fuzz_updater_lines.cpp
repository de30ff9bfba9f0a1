// The Viewer's reading of the updater's output on arbitrary bytes: the
// first byte picks the size of the pieces the output arrives in, which must
// not change the lines; every line turns into an action within its ranges.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/update/updater_exchange.h"

namespace {

std::vector<std::string> Lines(std::string_view output, size_t piece) {
  wunt::LineSplitter splitter;
  std::vector<std::string> lines;
  for (size_t at = 0; at < output.size(); at += piece) {
    splitter.Feed(output.substr(at, piece));
    while (auto line = splitter.NextLine()) lines.push_back(*line);
  }
  if (auto rest = splitter.TakeRest()) lines.push_back(*rest);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = data[0] % 7 + 1;
  const std::string_view output(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::vector<std::string> lines = Lines(output, piece);
  if (lines != Lines(output, output.size() + 1)) __builtin_trap();
  for (const std::string& line : lines) {
    if (line.size() > wunt::LineSplitter::kMaxLineLength) __builtin_trap();
    const wunt::UpdaterAction action = wunt::InterpretUpdaterLine(line);
    if (action.step < 0 || action.step > 3) __builtin_trap();
    if (action.progress < 0 || action.progress > 1000) __builtin_trap();
    // A Ready line says what it loaded in its own words; every other final
    // line has a message of ours.
    if (action.is_final() && action.kind != wunt::UpdaterActionKind::kReady &&
        action.message.empty()) {
      __builtin_trap();
    }
  }
  return 0;
}
