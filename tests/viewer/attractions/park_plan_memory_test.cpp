// The park plan export on a season whose pictures lie about their size:
// whatever the files declare, the plans of a park are drawn within a
// bounded memory. Run as the real program, so the figure is the process's
// peak, threads, decoders and all.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <regex>
#include <string>

#include "common/demo/demo_season.h"
#include "common/file_util.h"
#include "common/raster_image.h"
#include "common/season_layout.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_folder.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr long kPeakLimitKib = 300 * 1024;

// A few hundred bytes of JPEG that declare `width` x `height`: the scan
// data ends long before the picture, which decoders fill up.
std::string LyingJpeg(int width, int height) {
  RasterImage small(16, 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      small.SetPixel(x, y, {static_cast<uint8_t>(x * 16), static_cast<uint8_t>(y * 16), 7});
    }
  }
  std::string bytes = EncodeJpeg(small, 90);
  const size_t frame = bytes.find("\xFF\xC0");
  if (frame == std::string::npos || frame + 9 > bytes.size()) return {};
  bytes[frame + 5] = static_cast<char>(height >> 8);
  bytes[frame + 6] = static_cast<char>(height & 0xFF);
  bytes[frame + 7] = static_cast<char>(width >> 8);
  bytes[frame + 8] = static_cast<char>(width & 0xFF);
  return bytes;
}

TEST(ParkPlanMemory, LyingPicturesStayWithinTheBound) {
  if (kSanitized) GTEST_SKIP() << "sanitizers multiply memory; the figure means nothing";
  test::ScratchFolder root;
  DemoSeasonOptions options;
  options.years = 2;
  options.parks = 10;
  options.companies = 4;
  options.pictures = false;
  std::string error;
  ASSERT_TRUE(WriteDemoSeason(root.path() / "Data", options, nullptr, &error)) << error;
  const fs::path season = SeasonFolder(root.path() / "Data", options.season);
  const int32_t year = options.first_year + options.years - 1;
  const fs::path park_file = YearFolder(season, year) / kParkFile;
  std::string park_ini = ReadWholeFile(park_file).value_or("");
  std::smatch group;
  ASSERT_TRUE(std::regex_search(park_ini, group, std::regex(R"(\[(\d+)_Attractionlist\]\r?\n)")));
  const std::string park_id = group[1];

  // Pictures far beyond the canvas (120 MB each, decoded), and pictures of
  // the canvas's own size (4 MB each), more than any budget should hold.
  struct Kind {
    const char* name;
    int width, height, count;
  };
  std::string placed;
  std::string index;
  for (const Kind& kind : {Kind{"huge", 6000, 6666, 8}, Kind{"full", 950, 1400, 100}}) {
    const std::string bytes = LyingJpeg(kind.width, kind.height);
    ASSERT_FALSE(bytes.empty());
    for (int k = 0; k < kind.count; ++k) {
      const std::string name = std::string(kind.name) + std::to_string(k) + ".jpg";
      test::WriteBytes(YearFolder(season, year) / "Images" / name, bytes);
      index += name + " = " + std::to_string(year) + "\\Images\\" + name + "\r\n";
      placed += "a = 1\r\nb = 2\r\nc = 3\r\nd = 4\r\nx = 0\r\ny = 0\r\np = " + name + "\r\n";
    }
  }
  park_ini.insert(static_cast<size_t>(group.position(0) + group.length(0)), placed);
  test::WriteBytes(park_file, park_ini);
  test::WriteBytes(season / kImageStoreFile, index);

  test::ChildProcess tool;
  const fs::path out = root.path() / "plans";
  ASSERT_TRUE(tool.Start({WUNT_EXPORT_PATH, "--data", (root.path() / "Data").string(), "--season",
                          std::to_string(options.season), "--park-plan", park_id, "--from",
                          std::to_string(year), "--format", "bmp", "--out", out.string()}));
  ASSERT_EQ(tool.Wait(std::chrono::seconds(120)), 0);
  EXPECT_LT(tool.peak_rss_kib(), kPeakLimitKib);
  std::printf("park plan of 8 lying and 100 canvas-size pictures: peak %ld KiB\n",
              tool.peak_rss_kib());
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace wunt
