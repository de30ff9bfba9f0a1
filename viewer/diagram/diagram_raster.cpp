#include "viewer/diagram/diagram_raster.h"

#include <algorithm>
#include <cstdlib>

namespace wunt {
namespace {

// Bresenham, both ends included; points outside the picture are skipped.
void PaintLine(const DiagramPrimitive& line, RasterImage& image) {
  const Rgb color = DiagramRgb(line.color);
  int64_t x = line.x;
  int64_t y = line.y;
  const int64_t dx = std::llabs(int64_t{line.x2} - line.x);
  const int64_t dy = -std::llabs(int64_t{line.y2} - line.y);
  const int64_t sx = line.x < line.x2 ? 1 : -1;
  const int64_t sy = line.y < line.y2 ? 1 : -1;
  int64_t error = dx + dy;
  while (true) {
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height()) {
      image.SetPixel(static_cast<int>(x), static_cast<int>(y), color);
    }
    if (x == line.x2 && y == line.y2) return;
    const int64_t doubled = 2 * error;
    if (doubled >= dy) {
      error += dy;
      x += sx;
    }
    if (doubled <= dx) {
      error += dx;
      y += sy;
    }
  }
}

}  // namespace

Rgb DiagramRgb(uint32_t color) {
  return {static_cast<uint8_t>(color & 0xFF), static_cast<uint8_t>((color >> 8) & 0xFF),
          static_cast<uint8_t>((color >> 16) & 0xFF)};
}

PixelSize RasterTextSize(std::string_view text) {
  constexpr int32_t kCharWidth = 7;
  constexpr int32_t kLineHeight = 13;
  // Labels are short; the bound only keeps a hostile name from overflowing.
  const size_t chars = std::min<size_t>(text.size(), kMaxDiagramSide);
  return {static_cast<int32_t>(chars) * kCharWidth, kLineHeight};
}

RasterImage PaintDiagram(const DiagramPicture& picture) {
  RasterImage image(picture.width, picture.height, DiagramRgb(kDiagramWhite));
  if (image.empty()) return image;
  for (const DiagramPrimitive& primitive : picture.primitives) {
    switch (primitive.kind) {
      case DiagramPrimitive::Kind::kLine:
        PaintLine(primitive, image);
        break;
      case DiagramPrimitive::Kind::kBox:
        image.FillRect(primitive.x, primitive.y, primitive.x2, primitive.y2,
                       DiagramRgb(primitive.color));
        break;
      case DiagramPrimitive::Kind::kText:
        break;
    }
  }
  return image;
}

}  // namespace wunt
