#include "updater/disk_reserve.h"

#include <gtest/gtest.h>

#include <vector>

namespace wunt {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;

// The free space a query sees goes down by what was taken, as on a disk.
TEST(DiskReserve, RefusesTheWriteThatWouldCutIntoTheReserve) {
  const struct {
    const char* name;
    uint64_t free;
    std::vector<uint64_t> takes;
    std::vector<bool> allowed;
  } cases[] = {
      {"plenty", 100 * kMiB, {10, kMiB, 5 * kMiB}, {true, true, true}},
      {"one grant left", 11 * kMiB, {10, kMiB - 10, 1}, {true, true, false}},
      {"a big write beyond", 15 * kMiB, {6 * kMiB, 1}, {false, false}},
      {"already below", 9 * kMiB, {1}, {false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    uint64_t taken = 0;
    DiskReserve reserve([&] { return std::optional<uint64_t>(c.free - taken); }, 10 * kMiB);
    for (size_t i = 0; i < c.takes.size(); ++i) {
      bool ok = reserve.Take(c.takes[i]);
      EXPECT_EQ(ok, c.allowed[i]) << i;
      if (ok) taken += c.takes[i];
    }
    EXPECT_EQ(reserve.refused(), !c.allowed.back());
  }
}

TEST(DiskReserve, UnknownFreeSpaceLeavesItToTheWrite) {
  DiskReserve reserve([] { return std::nullopt; });
  EXPECT_TRUE(reserve.Take(kMiB * 1024));
  EXPECT_TRUE(FreeDiskSpace(WUNT_BINARY_DIR).has_value());
  EXPECT_FALSE(FreeDiskSpace("/no/such/folder").has_value());
}

}  // namespace
}  // namespace wunt
