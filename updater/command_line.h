#pragma once
// The updater's command line as the Viewer builds it, for example
// "-t 1 -r 5 Image Data": all parameters joined with single blanks, then
// read by the markers "-t " and "-r " and the words "Data" and "Image".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wunt {

struct UpdaterCommand {
  int64_t mode = 0;
  int64_t season = 0;
  bool data_wanted = false;
  bool images_wanted = false;
};

// The parameters after the program name, joined with single blanks.
std::string JoinArguments(int argc, const char* const* argv);

// Nothing when there is no "-t " (the updater then stays silent). The mode
// and the season are the decimal numbers after the first "-t " and "-r "
// (0 when absent); the flags are case-sensitive substring tests.
std::optional<UpdaterCommand> ParseCommandLine(std::string_view command_line);

}  // namespace wunt
