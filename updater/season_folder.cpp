#include "updater/season_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "common/season_layout.h"
#include "common/season_pictures.h"
#include "common/season_support_files.h"

namespace wunt {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kArchiveSuffix = "_WUNT";

bool IsDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == text.npos;
}

// The names AtomicFileWriter gives its temporary files: the final name,
// ".tmp", the process id, "_", a counter.
bool IsWriterLeftover(std::string_view name) {
  size_t tmp = name.rfind(".tmp");
  if (tmp == name.npos) return false;
  std::string_view tail = name.substr(tmp + 4);
  size_t underscore = tail.find('_');
  return underscore != tail.npos && IsDigits(tail.substr(0, underscore)) &&
         IsDigits(tail.substr(underscore + 1));
}

bool IsArchiveLeftover(std::string_view name) {
  size_t at = name.find(kArchiveSuffix);
  return at != name.npos && IsDigits(name.substr(0, at)) &&
         (at + kArchiveSuffix.size() == name.size() ||
          IsWriterLeftover(name.substr(at + kArchiveSuffix.size())));
}

// Removes the matching files (and links) directly in `folder`; returns the
// real sub-folders whose names match `descend`.
template <typename Leftover, typename Descend>
std::vector<fs::path> Sweep(const fs::path& folder, Leftover leftover, Descend descend) {
  std::vector<fs::path> folders;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    fs::file_status status = it->symlink_status(ec);
    if (ec) break;
    if (fs::is_directory(status)) {
      if (descend(name)) folders.push_back(it->path());
    } else if (leftover(name)) {
      std::error_code ignored;
      fs::remove(it->path(), ignored);
    }
  }
  return folders;
}

}  // namespace

SeasonLock::SeasonLock(const fs::path& season_folder) {
  fd_ = ::open(season_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  int rc;
  do {
    rc = ::flock(fd_, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  state_ = rc == 0 ? State::kHeld : State::kBusy;
}

SeasonLock::~SeasonLock() {
  if (fd_ >= 0) ::close(fd_);
}

fs::path ArchivePath(const fs::path& season_folder, const std::string& year) {
  return season_folder / (year + std::string(kArchiveSuffix));
}

void RemoveLeftovers(const fs::path& season_folder) {
  auto none = [](const std::string&) { return false; };
  std::vector<fs::path> years = Sweep(
      season_folder,
      [](const std::string& name) {
        auto written = [&name](std::string_view file) {
          return name.starts_with(file) && IsWriterLeftover(name.substr(file.size()));
        };
        return IsArchiveLeftover(name) || written(kImageStoreFile) ||
               written(kSettledPicturesFile) ||
               std::any_of(kSupportFileNames.begin(), kSupportFileNames.end(), written);
      },
      IsDigits);
  for (const fs::path& year : years) {
    std::vector<fs::path> images = Sweep(
        year, IsWriterLeftover, [](const std::string& name) { return name == kImagesFolderName; });
    for (const fs::path& folder : images) Sweep(folder, IsWriterLeftover, none);
  }
}

std::string SupportFilesReason(const std::vector<std::string>& unwritten) {
  if (unwritten.empty()) return "";
  std::string names;
  for (const std::string& name : unwritten) names += (names.empty() ? "" : ", ") + name;
  return "Die Dateien der Runde konnten nicht angelegt werden: " + names + ".";
}

}  // namespace wunt
