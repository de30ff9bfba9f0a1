#include "updater/updater_run.h"

#include <algorithm>

#include "common/season_layout.h"
#include "common/server_config.h"
#include "updater/command_line.h"
#include "updater/season_update.h"

namespace wunt {

void RunUpdaterCommand(std::string_view command_line, const UpdaterEnvironment& environment,
                       LineWriter& out) {
  std::optional<UpdaterCommand> command = ParseCommandLine(command_line);
  if (!command) return;
  if (command->mode == 1) {
    SeasonUpdateOptions options;
    options.data_folder = DataFolder(environment.program_folder);
    options.servers = LoadServerConfig(environment.program_folder);
    options.cancel = environment.cancel;
    if (environment.download_limit_ms > 0) {
      options.archive_max_total_ms = environment.download_limit_ms;
      options.picture_total_ms = std::min(options.picture_total_ms, environment.download_limit_ms);
    }
    if (!options.servers.unreadable.empty()) {
      // The default hosts are not the ones the user configured.
      out.WriteLine("Error " + options.servers.unreadable);
    } else {
      UpdateSeason(command->season, command->data_wanted, command->images_wanted, options, out);
    }
  } else {
    out.WriteLine(kErrorUnsupported);
  }
  out.WriteLine(kClosingLine);
}

}  // namespace wunt
