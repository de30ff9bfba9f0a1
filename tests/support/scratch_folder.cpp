#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <fstream>

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

DemoSeasonOptions SmallSeason(int32_t parks, int32_t companies, int32_t years) {
  DemoSeasonOptions options;
  options.parks = parks;
  options.companies = companies;
  options.years = years;
  options.max_placed = 3;
  options.pictures = false;
  return options;
}

void WriteDemoData(const fs::path& data, const DemoSeasonOptions& options) {
  fs::remove_all(data);
  std::string error;
  EXPECT_TRUE(WriteDemoSeason(data, options, nullptr, &error)) << error;
}

fs::path MakeProgramFolder(const std::string& name, int32_t season) {
  const fs::path folder = fs::path(WUNT_BINARY_DIR) / "test-programs" / name;
  DemoSeasonOptions options = SmallSeason(40, 10, 6);
  options.max_placed = DemoSeasonOptions().max_placed;
  options.season = season;
  WriteDemoData(folder / "Data", options);
  return folder;
}

}  // namespace wunt::test
