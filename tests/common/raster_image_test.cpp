#include "common/raster_image.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/file_util.h"
#include "tests/support/scratch_folder.h"

namespace wunt {
namespace {

// A picture whose every pixel differs, so row order, channel order and
// padding mistakes all show.
RasterImage Pattern(int width, int height) {
  RasterImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.SetPixel(x, y,
                     {static_cast<uint8_t>(x * 7 + y), static_cast<uint8_t>(y * 13),
                      static_cast<uint8_t>(x ^ y)});
    }
  }
  return image;
}

TEST(RasterImage, BmpRoundTripKeepsEveryPixelForAllPaddings) {
  for (int width : {1, 2, 3, 4, 5, 17}) {
    SCOPED_TRACE(width);
    RasterImage image = Pattern(width, 3);
    std::string bytes = EncodeBmp(image);
    const auto stride = static_cast<size_t>((width * 3 + 3) / 4 * 4);
    EXPECT_EQ(bytes.size(), 54 + stride * 3);
    std::optional<RasterImage> back = DecodeImage(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, image);
  }
}

TEST(RasterImage, BmpIsBottomUpBgr) {
  RasterImage image(1, 2);
  image.SetPixel(0, 0, {1, 2, 3});     // top
  image.SetPixel(0, 1, {10, 20, 30});  // bottom, stored first
  std::string bytes = EncodeBmp(image);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(bytes[28], 24);  // bits per pixel
  EXPECT_EQ(bytes.substr(54, 4), std::string("\x1e\x14\x0a\x00", 4));
  EXPECT_EQ(bytes.substr(58, 4), std::string("\x03\x02\x01\x00", 4));
}

// Bitmaps from other writers: top-down rows and 32-bit pixels.
std::string HandMadeBmp(int width, int height, int bits, const std::string& pixels) {
  std::string header(54, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) header[at + i] = static_cast<char>(v >> (8 * i));
  };
  header[0] = 'B';
  header[1] = 'M';
  put32(2, 54 + pixels.size());
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  header[26] = 1;
  header[28] = static_cast<char>(bits);
  return header + pixels;
}

TEST(RasterImage, ReadsForeignBitmaps) {
  // 32 bits, top-down: first stored row is the top one.
  std::string bytes = HandMadeBmp(1, -2, 32, std::string("\x03\x02\x01\x00\x06\x05\x04\x00", 8));
  std::optional<RasterImage> image = DecodeImage(bytes);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Pixel(0, 0), (Rgb{1, 2, 3}));
  EXPECT_EQ(image->Pixel(0, 1), (Rgb{4, 5, 6}));
}

TEST(RasterImage, RejectsDamagedPictures) {
  std::string good_bmp = EncodeBmp(Pattern(5, 5));
  std::string good_jpeg = EncodeJpeg(Pattern(16, 16), 80);
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"text", "Hello, this is not a picture"},
      {"bmp cut in the pixels", good_bmp.substr(0, good_bmp.size() - 4)},
      {"bmp cut in the header", good_bmp.substr(0, 20)},
      {"bmp 8 bits", HandMadeBmp(2, 2, 8, std::string(16, '\0'))},
      {"bmp huge size", HandMadeBmp(1 << 30, 1 << 30, 24, std::string(16, '\0'))},
      {"bmp zero width", HandMadeBmp(0, 4, 24, std::string(16, '\0'))},
      {"jpeg header only", good_jpeg.substr(0, 4)},
      {"png signature only", std::string("\x89PNG\r\n\x1a\n", 8)},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(DecodeImage(c.bytes)) << c.what;
  }
}

TEST(RasterImage, TruncatedJpegNeverCrashes) {
  std::string jpeg = EncodeJpeg(Pattern(64, 64), 90);
  for (size_t cut = 0; cut < jpeg.size(); cut += 37) {
    DecodeImage(jpeg.substr(0, cut));  // may or may not decode, must not crash
  }
}

TEST(RasterImage, JpegRoundTripIsCloseAndQualityMatters) {
  RasterImage image(32, 24, {200, 60, 30});
  image.FillRect(0, 12, 32, 12, {20, 120, 220});
  std::string best = EncodeJpeg(image, 100);
  std::string worst = EncodeJpeg(image, 0);
  ASSERT_EQ(DetectImageFormat(best), ImageFormat::kJpeg);
  EXPECT_LT(worst.size(), best.size());
  std::optional<RasterImage> back = DecodeImage(best);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->width(), 32);
  ASSERT_EQ(back->height(), 24);
  for (auto [x, y] : {std::pair{4, 4}, std::pair{20, 18}}) {
    Rgb want = image.Pixel(x, y);
    Rgb got = back->Pixel(x, y);
    EXPECT_NEAR(got.r, want.r, 6);
    EXPECT_NEAR(got.g, want.g, 6);
    EXPECT_NEAR(got.b, want.b, 6);
  }
  EXPECT_EQ(EncodeJpeg(image, -5), worst);  // clamped
}

TEST(RasterImage, PngIsLossless) {
  RasterImage image = Pattern(13, 7);
  std::string png = EncodePng(image);
  ASSERT_EQ(DetectImageFormat(png), ImageFormat::kPng);
  std::optional<RasterImage> back = DecodeImage(png);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, image);
}

TEST(RasterImage, DrawClipsOnEverySide) {
  const struct {
    int x, y;
    int painted;  // pixels of the 4x4 target covered by the 3x3 source
  } cases[] = {{0, 0, 9}, {2, 2, 4}, {-2, -2, 1}, {3, 0, 3}, {4, 4, 0}, {-3, 0, 0}, {-1, 1, 6}};
  RasterImage source(3, 3, {0, 0, 0});
  for (const auto& c : cases) {
    RasterImage target(4, 4);
    target.Draw(source, c.x, c.y);
    int painted = 0;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) painted += target.Pixel(x, y) == Rgb{0, 0, 0};
    EXPECT_EQ(painted, c.painted) << c.x << "," << c.y;
  }
}

TEST(RasterImage, SavesAtomicallyAndLoadsByContent) {
  const test::ScratchFolder scratch;
  const std::filesystem::path& dir = scratch.path();
  RasterImage image = Pattern(9, 4);
  // The file name says JPEG, the content is a bitmap: content wins.
  ASSERT_TRUE(SaveBmp(image, dir / "picture.jpg"));
  std::optional<RasterImage> back = LoadImageFile(dir / "picture.jpg");
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, image);
  ASSERT_TRUE(SavePng(image, dir / "picture.png"));
  EXPECT_EQ(*LoadImageFile(dir / "picture.png"), image);
  ASSERT_TRUE(SaveJpeg(image, dir / "picture.jpeg", 50));
  EXPECT_EQ(LoadImageFile(dir / "picture.jpeg")->width(), 9);
  EXPECT_FALSE(SaveBmp(RasterImage(), dir / "empty.bmp"));
  EXPECT_FALSE(SavePng(image, dir / "no_such_folder" / "x.png"));
  size_t files = 0;
  for (auto& entry : std::filesystem::directory_iterator(dir)) files += entry.is_regular_file();
  EXPECT_EQ(files, 3u);  // no temporary file left behind
}

TEST(RasterImage, RejectsImpossibleSizes) {
  EXPECT_TRUE(RasterImage(0, 5).empty());
  EXPECT_TRUE(RasterImage(-1, 5).empty());
  EXPECT_TRUE(RasterImage(RasterImage::kMaxSide + 1, 1).empty());
  EXPECT_FALSE(RasterImage(RasterImage::kMaxSide, 1).empty());
}

}  // namespace
}  // namespace wunt
