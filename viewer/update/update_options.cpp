#include "viewer/update/update_options.h"

#include <algorithm>
#include <system_error>

#include "common/text.h"

namespace wunt {

std::vector<std::string> ListYearFolderNames(const std::filesystem::path& season_folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(season_folder, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code type_error;
    if (it->is_directory(type_error)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> UpdateTaskEntries(const std::vector<std::string>& folder_names) {
  std::vector<std::string> entries = {"Program aktualisieren", "neue Jahre laden"};
  for (const std::string& name : folder_names) {
    const int64_t year = LeadingDecimal(name);
    if (year != 0) entries.push_back("neuladen des Jahres " + std::to_string(year));
  }
  return entries;
}

void UpdateOptions::SetData(bool ticked) {
  data_ = ticked;
  if (!ticked) images_ = true;
}

void UpdateOptions::SetImages(bool ticked) {
  images_ = ticked;
  if (!ticked) data_ = true;
}

std::vector<std::string> UpdaterArguments(int task, int64_t season, int flags) {
  std::vector<std::string> arguments = {"-t", std::to_string(task)};
  if (task != kTaskProgramUpdate) {
    arguments.push_back("-r");
    arguments.push_back(std::to_string(season));
  }
  if (flags & 1) arguments.push_back("Image");
  if (flags & 2) arguments.push_back("Data");
  return arguments;
}

std::string UpdaterCommandLine(int task, int64_t season, int flags) {
  std::string line;
  for (const std::string& argument : UpdaterArguments(task, season, flags)) {
    if (!line.empty()) line += ' ';
    line += argument;
  }
  return line;
}

std::array<std::string_view, 3> UpdateStepNames(int task) {
  if (task == kTaskProgramUpdate) {
    return {
        "Programmversion \xfc"
        "berpr\xfc"
        "fen",
        "neuste Programmversion laden", "Aktualisierung starten"};
  }
  if (task == kTaskNewYears) {
    return {"- Informationen sammeln -", "--- Rundendaten laden ---", "----- Bilder  laden -----"};
  }
  return {"alte Daten l\xf6schen", "Rundendaten laden", "Bilder laden"};
}

}  // namespace wunt
