#pragma once
// What a run that did not end by itself left in the season folder. The
// updater keeps every year it finished, so after "Abbrechen" or a crash the
// message is taken from the disk: the years whose data came during the run
// and the years whose pictures are still missing.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/update/updater_exchange.h"

namespace wunt {

inline constexpr char kUpdaterCancelledOpening[] = "Abgebrochen.";

// The game years of the season folder whose data is there (Park.ini),
// ascending. Taken before a run starts.
std::vector<int32_t> YearsWithData(const std::filesystem::path& season_folder);

// `opening`, then " Geladen: " and the years with data now that were not in
// `before` (or " Keine neuen Jahre geladen"), then "; Bilder fehlen noch
// für " and the years with data whose pictures are not all stored or
// settled, then "." Long year lists are cut, saying how many more.
std::string InterruptedRunMessage(std::string_view opening,
                                  const std::filesystem::path& season_folder,
                                  const std::vector<int32_t>& before);

// The message that ends a run: for a cancelled or broken-off run the one
// above, otherwise the final line's own.
std::string RunEndMessage(const UpdaterAction& final_action,
                          const std::filesystem::path& season_folder,
                          const std::vector<int32_t>& before);

}  // namespace wunt
