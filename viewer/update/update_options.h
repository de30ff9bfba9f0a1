#pragma once
// What the update options window offers and what it hands to the updater:
// the task list of a season, the state rules of the two option boxes, the
// updater's command line and the step names its progress window shows.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace wunt {

// The updater's file name in the program folder, beside the Viewer.
inline constexpr char kUpdaterProgramName[] = "WUNT_Updater";

// Task indexes: 0 updates the program, 1 loads new game years, 2 and up
// reload the game year of that entry.
inline constexpr int kTaskProgramUpdate = 0;
inline constexpr int kTaskNewYears = 1;

// The names of the entries in `season_folder` that are folders, by name.
// (The listing order of the file system is arbitrary here; by name is what
// the players know from their own folder views.) Empty when it cannot be
// listed.
std::vector<std::string> ListYearFolderNames(const std::filesystem::path& season_folder);

// The task list: the two fixed entries, then "neuladen des Jahres " + year for
// every folder name whose decimal value is not 0, in the given order.
std::vector<std::string> UpdateTaskEntries(const std::vector<std::string>& folder_names);

// The options window's choices and their rules.
class UpdateOptions {
 public:
  int task() const { return task_; }
  bool data() const { return data_; }
  bool images() const { return images_; }
  // Both boxes are greyed for the program update; they keep their ticks.
  bool boxes_enabled() const { return task_ > kTaskProgramUpdate; }
  // Bit 0 images, bit 1 data.
  int flags() const { return (data_ ? 2 : 0) | (images_ ? 1 : 0); }

  void SelectTask(int task) { task_ = task; }
  // Unticking one box ticks the other, so there is always work to do.
  void SetData(bool ticked);
  void SetImages(bool ticked);

 private:
  int task_ = kTaskNewYears;
  bool data_ = true;
  bool images_ = true;
};

// The updater's parameters, in order: "-t" task, and for tasks above 0 "-r"
// season, then "Image" and "Data" by the flags (also for the program update,
// whose boxes are greyed but keep their ticks).
std::vector<std::string> UpdaterArguments(int task, int64_t season, int flags);
// The same, joined with single blanks, e.g. "-t 1 -r 5 Image Data".
std::string UpdaterCommandLine(int task, int64_t season, int flags);

// The three step labels of the progress window for a task (CP1252 bytes).
std::array<std::string_view, 3> UpdateStepNames(int task);

}  // namespace wunt
