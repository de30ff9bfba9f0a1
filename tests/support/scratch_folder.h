#pragma once
// Test helpers that need no display: a fresh folder per test that is removed
// afterwards, writing a file with its folders, and a program folder with a
// small demo season beside it.

#include <cstdint>
#include <filesystem>
#include <string>

#include "common/demo/demo_season.h"

namespace wunt::test {

// A new empty folder below GoogleTest's temporary folder, named after the
// running test and unique within the process; removed with its contents
// when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& relative) const {
    return path_ / relative;
  }

 private:
  std::filesystem::path path_;
};

// Writes `bytes` to `path` as they stand, creating the folders on the way.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// Options for a small demo season without pictures: quick to write, and
// enough parks and years for the computations to mean something.
DemoSeasonOptions SmallSeason(int32_t parks, int32_t companies, int32_t years);

// Writes the demo season into `data` (a Data folder) as a test step: a
// failure fails the test with the generator's reason.
void WriteDemoData(const std::filesystem::path& data, const DemoSeasonOptions& options);

// <build>/test-programs/<name>/ with Data/<season>/ of a small demo season
// (6 years, 40 parks, 10 companies, no pictures), made anew on every call.
std::filesystem::path MakeProgramFolder(const std::string& name, int32_t season = 7);

}  // namespace wunt::test
