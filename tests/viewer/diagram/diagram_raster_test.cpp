#include "viewer/diagram/diagram_raster.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wunt {
namespace {

PixelSize Measure(std::string_view text) { return {static_cast<int32_t>(6 * text.size()), 10}; }

// One line of 100 at column 0 falling to nothing at column 1, a grid line
// every 50 rows; and bars of 200 in a second picture.
DiagramPicture LinePicture() {
  DiagramSettings settings;
  settings.left_margin = 50;
  settings.bottom_margin = 40;
  settings.column_width = 40;
  settings.plot_width = 80;
  settings.plot_height = 100;
  settings.values_per_pixel = 10;
  settings.grid_lines = 2;
  settings.maximum = 1000;
  settings.zero_line = 99;
  DiagramData data;
  data.column_count = 3;
  data.first_column = 2001;
  data.rows.push_back({"Alpha", {100, 0, std::nullopt}, 0});
  return DrawDiagram(settings, data, {MakeColorEntry(0x0000FF)}, Measure);
}

TEST(DiagramRasterTest, LinesAndBoxesLandOnTheirPixels) {
  const ColorEntry red = MakeColorEntry(0x0000FF);
  RasterImage image = PaintDiagram(LinePicture());
  ASSERT_EQ(image.width(), 130);
  ASSERT_EQ(image.height(), 140);
  const Rgb white{255, 255, 255};
  const Rgb black{0, 0, 0};
  const Rgb grey{0xBC, 0xBC, 0xBC};
  // From (50, 89) to (90, 99): the middle at (70, 94), light above and below.
  EXPECT_EQ(image.Pixel(70, 94), DiagramRgb(red.base));
  EXPECT_EQ(image.Pixel(70, 93), DiagramRgb(red.light));
  EXPECT_EQ(image.Pixel(70, 95), DiagramRgb(red.light));
  EXPECT_EQ(image.Pixel(70, 80), white);
  // Grid at rows 49 and 99; the zero line is painted over by the axis.
  EXPECT_EQ(image.Pixel(110, 49), grey);
  EXPECT_EQ(image.Pixel(110, 99), black);
  EXPECT_EQ(image.Pixel(110, 100), black);
  EXPECT_EQ(image.Pixel(49, 10), black);
  EXPECT_EQ(image.Pixel(51, 10), black);
  // Nothing between the empty columns, and the bottom strip stays clear.
  EXPECT_EQ(image.Pixel(110, 97), white);
  EXPECT_EQ(image.Pixel(100, 120), white);
  // Legend box (texts are not painted here).
  EXPECT_EQ(image.Pixel(83, 28), DiagramRgb(red.base));
  EXPECT_EQ(image.Pixel(95, 25), white);

  DiagramSettings settings;
  settings.left_margin = 10;
  settings.bottom_margin = 20;
  settings.column_width = 20;
  settings.plot_width = 20;
  settings.plot_height = 50;
  settings.values_per_pixel = 10;
  settings.maximum = 500;
  settings.zero_line = 49;
  DiagramData bars;
  bars.variant = kDiagramBars;
  bars.segment_count = 1;
  bars.rows.push_back({"P", {200}, 0});
  RasterImage bar = PaintDiagram(DrawDiagram(settings, bars, {red}, Measure));
  // Rows 29..48: a dark frame two pixels in from the column, base inside,
  // open at the bottom.
  EXPECT_EQ(bar.Pixel(12, 35), DiagramRgb(red.dark));
  EXPECT_EQ(bar.Pixel(20, 29), DiagramRgb(red.dark));
  EXPECT_EQ(bar.Pixel(20, 35), DiagramRgb(red.base));
  EXPECT_EQ(bar.Pixel(27, 35), DiagramRgb(red.dark));
  EXPECT_EQ(bar.Pixel(28, 35), white);
  EXPECT_EQ(bar.Pixel(20, 28), white);
}

TEST(DiagramRasterTest, BitmapReadsBackAsPainted) {
  RasterImage image = PaintDiagram(LinePicture());
  std::optional<RasterImage> decoded = DecodeImage(EncodeBmp(image));
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(*decoded, image);
}

}  // namespace
}  // namespace wunt
