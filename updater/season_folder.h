#pragma once
// The season folder as the updater holds it for one run: locked against a
// second updater, and cleared of what a killed run left behind.

#include <filesystem>
#include <string>
#include <vector>

namespace wunt {

// An exclusive lock on the season folder itself (no lock file to plant or
// leave behind), held until destruction. The kernel drops it when the
// process dies, so a killed run never blocks the next.
class SeasonLock {
 public:
  enum class State { kHeld, kBusy, kNoFolder };

  explicit SeasonLock(const std::filesystem::path& season_folder);
  ~SeasonLock();
  SeasonLock(const SeasonLock&) = delete;
  SeasonLock& operator=(const SeasonLock&) = delete;

  // kNoFolder: the season folder cannot be opened; nothing can be written
  // there either, so the run goes on and its years fail on their own.
  State state() const { return state_; }

 private:
  int fd_ = -1;
  State state_ = State::kNoFolder;
};

// The temporary name of a downloaded archive, inside the season folder.
std::filesystem::path ArchivePath(const std::filesystem::path& season_folder,
                                  const std::string& year);

// Removes downloaded archives and the temporary files of unfinished writes
// (data files, pictures, the picture index) that a killed run left in the
// season folder, its year folders and their "Images" folders. Call only
// while holding the SeasonLock. Links are removed, never followed.
void RemoveLeftovers(const std::filesystem::path& season_folder);

// The end of an Error line naming the season's own files that could not be
// written; empty when there are none.
std::string SupportFilesReason(const std::vector<std::string>& unwritten);

}  // namespace wunt
