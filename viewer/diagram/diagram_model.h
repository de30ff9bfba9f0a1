#pragma once
// The diagram of the wizard's fourth tab without a drawing surface: the
// coupling of its size fields, start values that fit the data, and the
// picture as a list of simple primitives (lines, filled boxes, texts) that a
// QPainter or a RasterImage executes in order.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/raster_image.h"
#include "viewer/calc/calculations.h"
#include "viewer/data/translation.h"
#include "viewer/report/result_table.h"

namespace wunt {

// Diagram variants.
inline constexpr int kDiagramLines = 0;
inline constexpr int kDiagramEmpty = 1;
inline constexpr int kDiagramBars = 2;

// Fixed colours, red in the low byte like the colour table.
inline constexpr uint32_t kDiagramWhite = 0xFFFFFF;
inline constexpr uint32_t kDiagramGrey = 0xBCBCBC;
inline constexpr uint32_t kDiagramBlack = 0x000000;

// Largest picture side; a larger plot is cut off there, so a typo in a
// field cannot ask for a gigapixel image.
inline constexpr int32_t kMaxDiagramSide = 16384;
// Largest magnitude of the maximum and minimum fields and of values per
// pixel, so that no label arithmetic can overflow.
inline constexpr int64_t kMaxDiagramBound = 100'000'000'000'000;

// The tab-4 fields as numbers.
struct DiagramSettings {
  int32_t plot_width = 0;     // "Breite:"
  int32_t plot_height = 0;    // "Höhe:"
  int32_t left_margin = 0;    // "Beschriftung X-Achse:"
  int32_t bottom_margin = 0;  // "Beschriftung Y-Achse:"
  int32_t column_width = 0;   // "Breite einer 'Spalte':"
  int64_t values_per_pixel = 1;
  int32_t grid_lines = 0;  // "Anzahl Hilfslinien:", 0..999
  int64_t maximum = 0;     // "max. Wert Y-Achse:"
  int64_t minimum = 0;     // "min. Wert Y-Achse:"
  // Pixel row of the value 0, counted from the top.
  int64_t zero_line = 0;

  friend bool operator==(const DiagramSettings&, const DiagramSettings&) = default;
};

// A numeric field: its leading decimal integer, limited to 32 bits.
int32_t ReadDiagramSize(std::string_view text);
// The maximum or minimum field: every "." removed, then the leading decimal
// integer, limited to +-kMaxDiagramBound.
int64_t ReadDiagramBound(std::string_view text);
// How the maximum and minimum fields are written back: "1.000".
std::string FormatDiagramBound(int64_t value);

// What one drawing shows; filled from the result table by
// DiagramDataFromTable.
struct DiagramRow {
  std::string name;  // legend of the lines, label of a bar
  // Lines: one entry per column, empty where the column has no data.
  // Bars: one entry per segment, all empty when the row has no data.
  std::vector<std::optional<int64_t>> values;
  int64_t legend_number = 0;  // shown after the name in the legend of lines

  friend bool operator==(const DiagramRow&, const DiagramRow&) = default;
};

struct DiagramData {
  int variant = kDiagramLines;
  int32_t column_count = 0;           // lines: columns (game years)
  int32_t segment_count = 0;          // bars: segments per bar (values)
  int32_t first_column = 0;           // lines: the game year of column 0
  std::string title;                  // lines: the text, bars: the caption number
  std::vector<std::string> captions;  // bars: legend, one per value
  std::vector<DiagramRow> rows;

  friend bool operator==(const DiagramData&, const DiagramData&) = default;
};

// The variant follows the content kind:
//  "Wert": lines over the span's game years, one per row, title and status
//          the first value's label;
//  "Park": lines over the game years too, one per value of the calculation
//          for the table's first entity, which is named in the title: one
//          entity's values are curves over time, which lines show and bars
//          would stack into sums of unlike quantities;
//  "Jahr": one stacked bar per row, a segment per value, titled with the
//          game year.
// Value labels serve as captions.
DiagramData DiagramDataFromTable(const ResultTable& table, const TableView& view,
                                 const LoadedCalculation& calculation);

// N of the width coupling: rows for bars, column intervals for lines.
int64_t DiagramColumnDivisor(const DiagramData& data);

// The couplings run when the user leaves a field; each keeps the others
// consistent. Values per pixel below 1 count as 1 and a plot height below 1
// as 1, so nothing divides by zero; with N of 0 the width fields stay as
// they are.
// "Breite einer 'Spalte':" left: plot width := column width x N.
void CoupleColumnWidth(DiagramSettings& settings, int64_t divisor);
// "Breite:" left: column width := plot width / N.
void CouplePlotWidth(DiagramSettings& settings, int64_t divisor);
// "Werte pro Pixel:" left: plot height and zero line follow.
void CoupleValuesPerPixel(DiagramSettings& settings);
// "max. Wert Y-Achse:", "min. Wert Y-Achse:" or "Höhe:" left: values per
// pixel and zero line follow.
void CoupleScale(DiagramSettings& settings);

struct PixelSize {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};
// Size of a text (CP1252) in the drawing surface's default font.
using TextMeasure = std::function<PixelSize(std::string_view text)>;

// Fields that show the whole of `data` in a first preview: maximum and
// minimum rounded outward to a round number with zero in range, a grid line
// per round step, and plot, column and margin sizes that leave room for
// every label.
DiagramSettings StartDiagramSettings(const DiagramData& data, const TextMeasure& measure);

struct DiagramPrimitive {
  enum class Kind { kLine, kBox, kText };
  Kind kind = Kind::kLine;
  // Line: from (x, y) to (x2, y2), both ends drawn.
  // Box: filled, top-left (x, y), width x2, height y2.
  // Text: top-left (x, y) of its (possibly rotated) box of x2 x y2.
  int32_t x = 0;
  int32_t y = 0;
  int32_t x2 = 0;
  int32_t y2 = 0;
  uint32_t color = kDiagramBlack;
  // Text only.
  std::string text;
  std::optional<uint32_t> background;  // empty: transparent
  bool rotated = false;                // a quarter turn counter-clockwise
};

struct DiagramPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<DiagramPrimitive> primitives;  // in drawing order, on white
  std::string status;                        // the status field of tab 4
};

// The full picture. Lines and boxes are clipped to the picture; an empty
// colour table draws in black.
DiagramPicture DrawDiagram(const DiagramSettings& settings, const DiagramData& data,
                           const std::vector<ColorEntry>& colors, const TextMeasure& measure);

// Most pixels a diagram may have: what a RasterImage, which the bitmap and
// PNG writers take, holds. Checked before drawing, so that no size asks
// for memory the picture could never be written from.
inline constexpr int64_t kMaxDiagramPixels = RasterImage::kMaxPixels;
// The size of the picture DrawDiagram makes for `settings`.
PixelSize DiagramPictureSize(const DiagramSettings& settings);
// Why that picture cannot be made (German), naming the limit; empty when
// it fits.
std::string DiagramTooLargeText(const DiagramSettings& settings);

// The preview size: the picture scaled by the smaller of the view's ratios,
// rounded to whole pixels.
PixelSize DiagramPreviewSize(int32_t image_width, int32_t image_height, int32_t view_width,
                             int32_t view_height);

// The name a diagram is saved under: ".bmp" appended unless the name ends in
// ".bmp" in any letter case. An empty name (dialog cancelled) stays empty.
std::string DiagramFileName(std::string name);

}  // namespace wunt
