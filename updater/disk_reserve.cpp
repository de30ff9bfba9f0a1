#include "updater/disk_reserve.h"

#include <sys/statvfs.h>

#include <algorithm>

namespace wunt {

std::optional<uint64_t> FreeDiskSpace(const std::filesystem::path& folder) {
  struct statvfs info {};
  if (::statvfs(folder.c_str(), &info) != 0) return std::nullopt;
  return static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
}

bool DiskReserve::Take(uint64_t bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (refused_) return false;
  if (bytes <= granted_) {
    granted_ -= bytes;
    return true;
  }
  // Free space measured now already reflects what earlier grants wrote.
  uint64_t grant = std::max(bytes, kDiskGrantBytes);
  std::optional<uint64_t> free = free_space_ ? free_space_() : std::nullopt;
  if (free && (*free < reserve_ || *free - reserve_ < grant)) {
    refused_ = true;
    return false;
  }
  granted_ = grant - bytes;
  return true;
}

}  // namespace wunt
