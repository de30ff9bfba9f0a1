// Picture files as the updater stores them and the park plan draws them, on
// arbitrary bytes: a decoded picture has a sane size, draws anywhere on a
// canvas without writing outside it, and survives a PNG round trip.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/raster_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first two bytes place the picture on the canvas, also off its edges.
  const int x = static_cast<int8_t>(data[0]) * 2;
  const int y = static_cast<int8_t>(data[1]) * 2;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::optional<wunt::RasterImage> image = wunt::DecodeImage(bytes);
  if (!image) return 0;
  if (image->width() < 1 || image->height() < 1 || image->width() > wunt::RasterImage::kMaxSide ||
      image->height() > wunt::RasterImage::kMaxSide) {
    __builtin_trap();
  }
  wunt::RasterImage canvas(64, 48);
  canvas.Draw(*image, x, y);
  if (canvas.width() != 64 || canvas.height() != 48) __builtin_trap();
  if (static_cast<int64_t>(image->width()) * image->height() <= 128 * 128) {
    const std::optional<wunt::RasterImage> again = wunt::DecodeImage(wunt::EncodePng(*image));
    if (!again || !(*again == *image)) __builtin_trap();
  }
  return 0;
}
