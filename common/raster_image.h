#pragma once
// A plain 24-bit RGB raster with the picture formats the programs exchange:
// Windows bitmaps (read and write), JPEG (read and write) and PNG (write, and
// read for convenience). Pictures are told apart by their first bytes, never
// by the file name: the updater stores bitmaps under ".jpg" names.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wunt {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class ImageFormat { kUnknown, kBmp, kJpeg, kPng };

class RasterImage {
 public:
  // Largest width or height accepted from a file; protects against headers
  // that announce gigapixel pictures.
  static constexpr int kMaxSide = 16384;
  // Largest number of pixels (width x height) a picture may have: 40 million
  // take 120 MB as RGB, and every picture of ours stays far below that.
  static constexpr int64_t kMaxPixels = 40'000'000;

  RasterImage() = default;
  // A width x height picture filled with `fill`. Sizes outside 1..kMaxSide
  // or above kMaxPixels give an empty picture.
  RasterImage(int width, int height, Rgb fill = {255, 255, 255});

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ == 0; }

  // Row y, top row first: width() triples of R, G, B.
  uint8_t* Row(int y) {
    return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_) * 3;
  }
  const uint8_t* Row(int y) const {
    return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_) * 3;
  }
  Rgb Pixel(int x, int y) const;
  void SetPixel(int x, int y, Rgb color);
  void Fill(Rgb color);
  // Fills the rectangle, clipped to the picture.
  void FillRect(int x, int y, int width, int height, Rgb color);
  // Copies `source` at its own size with its top-left corner at (x, y),
  // clipped to this picture (either may lie partly outside).
  void Draw(const RasterImage& source, int x, int y);

  friend bool operator==(const RasterImage&, const RasterImage&) = default;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> pixels_;
};

ImageFormat DetectImageFormat(std::string_view bytes);

// Decodes a bitmap, JPEG or PNG recognised by content. Nothing for anything
// else, for truncated or damaged data and for sizes beyond kMaxSide.
std::optional<RasterImage> DecodeImage(std::string_view bytes);
std::optional<RasterImage> LoadImageFile(const std::filesystem::path& path);

// Bitmap: 24 bits per pixel, rows bottom-up, each row padded to 4 bytes.
std::string EncodeBmp(const RasterImage& image);
// Quality 0 (smallest) to 100 (best); values outside are clamped.
std::string EncodeJpeg(const RasterImage& image, int quality);
std::string EncodePng(const RasterImage& image);

// Write through a temporary file renamed into place; false on failure, and
// the previous file (if any) is then untouched.
bool SaveBmp(const RasterImage& image, const std::filesystem::path& path);
bool SaveJpeg(const RasterImage& image, const std::filesystem::path& path, int quality);
bool SavePng(const RasterImage& image, const std::filesystem::path& path);

}  // namespace wunt
