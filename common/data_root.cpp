#include "common/data_root.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <vector>

#include "common/season_layout.h"

namespace wunt {
namespace {

bool WritableFolder(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::is_directory(folder, error) && access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

std::filesystem::path ChooseDataRoot(const std::filesystem::path& program_folder,
                                     const DataRootEnvironment& environment) {
  if (WritableFolder(DataFolder(program_folder))) return program_folder;
  std::filesystem::path base = environment.xdg_data_home;
  if (!base.is_absolute()) {
    if (environment.home.empty()) return program_folder;
    base = std::filesystem::path(environment.home) / ".local" / "share";
  }
  const std::filesystem::path root = base / kHomeDataFolderName;
  std::error_code error;
  if (!std::filesystem::is_directory(root, error)) {
    std::filesystem::create_directories(root, error);
    // Other users have no business in a player's seasons.
    std::filesystem::permissions(root, std::filesystem::perms::owner_all, error);
  }
  std::filesystem::create_directory(DataFolder(root), error);
  return root;
}

DataRootEnvironment CurrentDataRootEnvironment() {
  DataRootEnvironment environment{Variable("XDG_DATA_HOME"), Variable("HOME")};
  if (environment.home.empty()) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
      environment.home = found->pw_dir;
    }
  }
  return environment;
}

std::filesystem::path DataRoot(const std::filesystem::path& program_folder) {
  return ChooseDataRoot(program_folder, CurrentDataRootEnvironment());
}

}  // namespace wunt
