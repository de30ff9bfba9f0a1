#pragma once
// One start of the updater: the command line decides whether anything is
// written at all and which mode runs; every mode that was handled ends with
// the closing line of 100 blanks.

#include <atomic>
#include <filesystem>
#include <string_view>

#include "updater/protocol.h"

namespace wunt {

struct UpdaterEnvironment {
  // Holds Server.ini and Data/.
  std::filesystem::path program_folder;
  const std::atomic<bool>* cancel = nullptr;
  // For tests only: when > 0, no archive or picture download may take
  // longer than this, so that the bound can be seen in seconds.
  int download_limit_ms = 0;
};

// Writes nothing when the command line has no "-t ".
void RunUpdaterCommand(std::string_view command_line, const UpdaterEnvironment& environment,
                       LineWriter& out);

}  // namespace wunt
