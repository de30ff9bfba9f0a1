// WUNT_Updater: started by the Viewer with a command line such as
// "-t 1 -r 5 Image Data"; reports on standard output, listens for "Cancle"
// on standard input, always exits with 0.
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <system_error>

#include "common/data_root.h"
#include "updater/cancel_reader.h"
#include "updater/command_line.h"
#include "updater/protocol.h"
#include "updater/updater_run.h"

namespace {

// The folder of the running program; the working directory when the link
// cannot be read.
std::filesystem::path ProgramFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return std::filesystem::current_path(ec);
  return exe.parent_path();
}

}  // namespace

int main(int argc, char** argv) {
  // The Viewer closes its end of the pipe after the final line; writing the
  // closing line must not end the process with a signal instead of 0.
  std::signal(SIGPIPE, SIG_IGN);
  // A file-size limit must fail the write, so the year fails and is
  // reported, instead of killing the process without a final line.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::string command_line = wunt::JoinArguments(argc, argv);
  if (!wunt::ParseCommandLine(command_line)) return 0;

  wunt::FdLineWriter out(STDOUT_FILENO);
  wunt::CancelReader cancel;
  cancel.Start(STDIN_FILENO);
  wunt::UpdaterEnvironment environment;
  // Server.ini and Data/ lie beside us in a portable folder, in the
  // player's home when installed (where the Viewer starts us, too).
  environment.program_folder = wunt::DataRoot(ProgramFolder());
  environment.cancel = &cancel.requested();
  // Lets the end-to-end tests see the download bound without waiting for it.
  if (const char* limit = std::getenv("WUNT_TEST_DOWNLOAD_LIMIT_MS")) {
    long ms = std::strtol(limit, nullptr, 10);
    if (ms > 0 && ms <= 3600000) environment.download_limit_ms = static_cast<int>(ms);
  }
  try {
    wunt::RunUpdaterCommand(command_line, environment, out);
  } catch (const std::exception&) {
    // Out of memory or the like: the Viewer still gets a final line to end
    // its wait on, and the exit code stays 0.
    out.WriteLine(wunt::kErrorUndefined);
    out.WriteLine(wunt::kClosingLine);
  }
  cancel.Stop();
  return 0;
}
