#pragma once
// Keeps a run from filling the disk: every write is asked for first, and
// once the disk would fall below the reserve no further write is allowed.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>

namespace wunt {

// What must stay free on the disk of the data folder: enough for the system
// and the Viewer's own files (its pages and plans are a few MB) to go on
// working after a hostile server has been given everything else.
inline constexpr uint64_t kDiskReserveBytes = uint64_t{256} << 20;
// Free space is asked for once per this many bytes written, not per piece.
inline constexpr uint64_t kDiskGrantBytes = uint64_t{1} << 20;

// Bytes free for an ordinary user on the disk that holds `folder`; nothing
// when it cannot be told.
std::optional<uint64_t> FreeDiskSpace(const std::filesystem::path& folder);

using FreeSpaceQuery = std::function<std::optional<uint64_t>()>;

class DiskReserve {
 public:
  DiskReserve(FreeSpaceQuery free_space, uint64_t reserve = kDiskReserveBytes)
      : free_space_(std::move(free_space)), reserve_(reserve) {}

  // Whether `bytes` more may be written and still leave the reserve free.
  // Once refused, every later call is refused too. When the free space
  // cannot be told, the write itself will fail if the disk is full. The
  // data and the pictures of a run are written on threads of their own, so
  // both may ask at once.
  bool Take(uint64_t bytes);
  bool refused() const { return refused_.load(); }

 private:
  FreeSpaceQuery free_space_;
  uint64_t reserve_;
  std::mutex mutex_;
  uint64_t granted_ = 0;
  std::atomic<bool> refused_ = false;
};

}  // namespace wunt
