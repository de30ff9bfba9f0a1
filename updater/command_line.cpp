#include "updater/command_line.h"

#include "common/text.h"

namespace wunt {
namespace {

int64_t NumberAfter(std::string_view text, std::string_view marker) {
  size_t at = text.find(marker);
  if (at == text.npos) return 0;
  return LeadingDecimal(text.substr(at + marker.size()));
}

}  // namespace

std::string JoinArguments(int argc, const char* const* argv) {
  std::string joined;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) joined += ' ';
    joined += argv[i];
  }
  return joined;
}

std::optional<UpdaterCommand> ParseCommandLine(std::string_view command_line) {
  if (command_line.find("-t ") == command_line.npos) return std::nullopt;
  UpdaterCommand command;
  command.mode = NumberAfter(command_line, "-t ");
  command.season = NumberAfter(command_line, "-r ");
  command.data_wanted = command_line.find("Data") != command_line.npos;
  command.images_wanted = command_line.find("Image") != command_line.npos;
  return command;
}

}  // namespace wunt
