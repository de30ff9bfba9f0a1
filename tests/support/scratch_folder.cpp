#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <fstream>

#include "tools/support/demo_season.h"

namespace wunt::test {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  std::string name = "wunt_" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
  if (const auto* info = testing::UnitTest::GetInstance()->current_test_info()) {
    name += std::string("_") + info->name();
  }
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  path_ = fs::path(testing::TempDir()) / name;
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

fs::path MakeProgramFolder(const std::string& name, int32_t season) {
  const fs::path folder = fs::path(WUNT_BINARY_DIR) / "test-programs" / name;
  fs::remove_all(folder);
  DemoSeasonOptions options;
  options.season = season;
  options.years = 6;
  options.parks = 40;
  options.companies = 10;
  options.pictures = false;
  std::string error;
  EXPECT_TRUE(WriteDemoSeason(folder / "Data", options, nullptr, &error)) << error;
  return folder;
}

}  // namespace wunt::test
