#pragma once
// Where a program keeps Data/ and Server.ini. A portable folder (the build
// folder, an unpacked copy) keeps them beside the programs; an installed
// program's folder belongs to the system and is never written, so its data
// lives in the player's home, as the XDG base directories put it.

#include <filesystem>
#include <string>

namespace wunt {

// Below $XDG_DATA_HOME (or ~/.local/share) when the data is not beside the
// programs.
inline constexpr char kHomeDataFolderName[] = "wunt";

struct DataRootEnvironment {
  std::string xdg_data_home;  // empty when unset
  std::string home;           // empty when unknown
};

// The program folder when Data/ beside it is a folder we may write into;
// otherwise $XDG_DATA_HOME/wunt (an unset, empty or relative value counts as
// ~/.local/share), whose Data/ is created on first use. Without any home it
// stays the program folder, so the failures name the folder they concern.
std::filesystem::path ChooseDataRoot(const std::filesystem::path& program_folder,
                                     const DataRootEnvironment& environment);

// The process's own XDG_DATA_HOME and HOME (the password entry's home when
// HOME is unset).
DataRootEnvironment CurrentDataRootEnvironment();

// ChooseDataRoot with the process's environment.
std::filesystem::path DataRoot(const std::filesystem::path& program_folder);

}  // namespace wunt
