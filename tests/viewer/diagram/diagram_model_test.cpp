#include "viewer/diagram/diagram_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace wunt {
namespace {

using Kind = DiagramPrimitive::Kind;

// A fixed-pitch stand-in for the default font: 6 x 10 pixels a character.
PixelSize Measure(std::string_view text) { return {static_cast<int32_t>(6 * text.size()), 10}; }

const std::vector<ColorEntry> kColors = {MakeColorEntry(0x0000FF), MakeColorEntry(0x00FF00)};

std::vector<const DiagramPrimitive*> Texts(const DiagramPicture& picture, std::string_view text) {
  std::vector<const DiagramPrimitive*> found;
  for (const DiagramPrimitive& p : picture.primitives) {
    if (p.kind == Kind::kText && p.text == text) found.push_back(&p);
  }
  return found;
}

const DiagramPrimitive* OnlyText(const DiagramPicture& picture, std::string_view text) {
  auto found = Texts(picture, text);
  EXPECT_EQ(found.size(), 1u) << text;
  return found.empty() ? nullptr : found.front();
}

bool Has(const DiagramPicture& picture, Kind kind, int32_t x, int32_t y, int32_t x2, int32_t y2,
         uint32_t color) {
  for (const DiagramPrimitive& p : picture.primitives) {
    if (p.kind == kind && p.x == x && p.y == y && p.x2 == x2 && p.y2 == y2 && p.color == color) {
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------- fields

TEST(DiagramFieldsTest, ReadsFieldTexts) {
  struct Case {
    std::string text;
    int64_t bound;
    int32_t size;
  };
  const std::vector<Case> cases = {
      {"1.000", 1000, 1},
      {" -2.500 Punkte", -2500, -2},
      {"12,5", 12, 12},
      {"abc", 0, 0},
      {"99999999999999999", kMaxDiagramBound, std::numeric_limits<int32_t>::max()},
      {"-99999999999", -99999999999, std::numeric_limits<int32_t>::min()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadDiagramBound(c.text), c.bound) << c.text;
    EXPECT_EQ(ReadDiagramSize(c.text), c.size) << c.text;
  }
  EXPECT_EQ(FormatDiagramBound(1000), "1.000");
  EXPECT_EQ(FormatDiagramBound(-1234567), "-1.234.567");
}

TEST(DiagramFieldsTest, CouplingFollowsTheLeftField) {
  enum class Left { kScale, kValuesPerPixel, kColumnWidth, kPlotWidth };
  struct Case {
    const char* name;
    Left left;
    DiagramSettings in;
    int64_t divisor;
    DiagramSettings want;
  };
  auto s = [](int32_t width, int32_t height, int32_t column, int64_t per_pixel, int64_t max,
              int64_t min, int64_t zero) {
    DiagramSettings settings;
    settings.plot_width = width;
    settings.plot_height = height;
    settings.column_width = column;
    settings.values_per_pixel = per_pixel;
    settings.maximum = max;
    settings.minimum = min;
    settings.zero_line = zero;
    return settings;
  };
  const std::vector<Case> cases = {
      {"scale 1.000/0/100", Left::kScale, s(0, 100, 0, 1, 1000, 0, 0), 0,
       s(0, 100, 0, 10, 1000, 0, 99)},
      {"scale rounds values per pixel up", Left::kScale, s(0, 3, 0, 1, 1000000, -500, 0), 0,
       s(0, 3, 0, 333500, 1000000, -500, 1)},
      {"scale below zero", Left::kScale, s(0, 100, 0, 1, 0, -1000, 0), 0,
       s(0, 100, 0, 10, 0, -1000, -1)},
      {"maximum equal to minimum", Left::kScale, s(0, 100, 0, 7, 500, 500, 0), 0,
       s(0, 100, 0, 1, 500, 500, 499)},
      {"plot height 0", Left::kScale, s(0, 0, 0, 7, 1000, 0, 0), 0, s(0, 1, 0, 1000, 1000, 0, 0)},
      {"values per pixel 10", Left::kValuesPerPixel, s(0, 5, 0, 10, 1000, 0, 0), 0,
       s(0, 100, 0, 10, 1000, 0, 99)},
      {"values per pixel rounds height up", Left::kValuesPerPixel, s(0, 5, 0, 3, 1000, 0, 0), 0,
       s(0, 334, 0, 3, 1000, 0, 332)},
      {"values per pixel 0", Left::kValuesPerPixel, s(0, 5, 0, 0, 1000, 0, 0), 0,
       s(0, 1000, 0, 1, 1000, 0, 999)},
      {"negative values per pixel", Left::kValuesPerPixel, s(0, 5, 0, -4, 30, -20, 0), 0,
       s(0, 50, 0, 1, 30, -20, 29)},
      {"column width 40, 5 columns", Left::kColumnWidth, s(0, 0, 40, 1, 0, 0, 0), 4,
       s(160, 0, 40, 1, 0, 0, 0)},
      {"column width, N of 0", Left::kColumnWidth, s(123, 0, 40, 1, 0, 0, 0), 0,
       s(123, 0, 40, 1, 0, 0, 0)},
      {"plot width 200", Left::kPlotWidth, s(200, 0, 40, 1, 0, 0, 0), 4, s(200, 0, 50, 1, 0, 0, 0)},
      {"plot width truncates", Left::kPlotWidth, s(7, 0, 40, 1, 0, 0, 0), 2,
       s(7, 0, 3, 1, 0, 0, 0)},
      {"plot width, N of 0", Left::kPlotWidth, s(200, 0, 40, 1, 0, 0, 0), 0,
       s(200, 0, 40, 1, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    DiagramSettings settings = c.in;
    switch (c.left) {
      case Left::kScale:
        CoupleScale(settings);
        break;
      case Left::kValuesPerPixel:
        CoupleValuesPerPixel(settings);
        break;
      case Left::kColumnWidth:
        CoupleColumnWidth(settings, c.divisor);
        break;
      case Left::kPlotWidth:
        CouplePlotWidth(settings, c.divisor);
        break;
    }
    EXPECT_EQ(settings, c.want) << c.name;
  }
}

// ---------------------------------------------------------------- lines

// 210 x 140 picture: chart 160 x 100 right of a 50-pixel strip, zero line
// at row 99, 10 values a pixel, grid every 33 rows.
DiagramSettings LineSettings(int32_t column_width = 40) {
  DiagramSettings settings;
  settings.left_margin = 50;
  settings.bottom_margin = 40;
  settings.column_width = column_width;
  settings.plot_width = 4 * column_width;
  settings.plot_height = 100;
  settings.values_per_pixel = 10;
  settings.grid_lines = 3;
  settings.maximum = 1000;
  settings.minimum = 0;
  settings.zero_line = 99;
  return settings;
}

DiagramData LineData() {
  DiagramData data;
  data.variant = kDiagramLines;
  data.column_count = 5;
  data.first_column = 2001;
  data.title = "Titel";
  // 5 is below one pixel; columns 2 and 3 have no data.
  data.rows.push_back({"Alpha", {100, 5, std::nullopt, std::nullopt, 300}, 1234});
  data.rows.push_back({"Beta", {std::nullopt, std::nullopt, std::nullopt, std::nullopt, 20}, -7});
  return data;
}

TEST(DiagramLinesTest, GridLinesAndTheirLabels) {
  DiagramPicture picture = DrawDiagram(LineSettings(), LineData(), kColors, Measure);
  EXPECT_EQ(picture.width, 210);
  EXPECT_EQ(picture.height, 140);
  for (int32_t y : {0, 33, 66, 99}) {
    EXPECT_TRUE(Has(picture, Kind::kLine, 50, y, 209, y, kDiagramGrey)) << y;
  }
  // The grid line on the zero line is labelled "0" in grey.
  const DiagramPrimitive* zero = OnlyText(picture, "0");
  ASSERT_NE(zero, nullptr);
  EXPECT_EQ(zero->color, kDiagramGrey);
  EXPECT_EQ(zero->x, 10);
  EXPECT_EQ(zero->y, 95);
  EXPECT_EQ(zero->background, kDiagramWhite);
  // The top grid line lies within 4 pixels of the edge: its label at y = 1.
  const DiagramPrimitive* top = OnlyText(picture, "990");
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->y, 1);
  EXPECT_EQ(top->color, kDiagramBlack);
  const DiagramPrimitive* middle = OnlyText(picture, "660");
  ASSERT_NE(middle, nullptr);
  EXPECT_EQ(middle->y, 29);
}

TEST(DiagramLinesTest, GridAboveTheChartStartsAtTheFirstVisibleRow) {
  // All values negative: the zero line lies above the picture. Grid rows
  // keep their distance to it, and no label of an unseen line piles up at
  // the top edge.
  DiagramSettings settings = LineSettings();
  settings.grid_lines = 4;  // every 25 rows
  settings.maximum = -100;
  settings.minimum = -1100;
  settings.zero_line = -11;
  DiagramPicture picture = DrawDiagram(settings, LineData(), kColors, Measure);
  std::vector<int32_t> rows;
  for (const DiagramPrimitive& p : picture.primitives) {
    if (p.kind == Kind::kLine && p.color == kDiagramGrey) rows.push_back(p.y);
  }
  EXPECT_EQ(rows, (std::vector<int32_t>{14, 39, 64, 89}));
  const DiagramPrimitive* top = OnlyText(picture, "-250");
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->y, 10);
  EXPECT_TRUE(Texts(picture, "0").empty());
}

TEST(DiagramLinesTest, SegmentsWithShadesAndRunningTotal) {
  DiagramPicture picture = DrawDiagram(LineSettings(), LineData(), kColors, Measure);
  const ColorEntry& alpha = kColors[0];
  // 100 is 10 pixels; 5 is below one pixel and is drawn on the zero line.
  EXPECT_TRUE(Has(picture, Kind::kLine, 50, 89, 90, 99, alpha.base));
  EXPECT_TRUE(Has(picture, Kind::kLine, 50, 88, 90, 98, alpha.light));
  EXPECT_TRUE(Has(picture, Kind::kLine, 50, 90, 90, 100, alpha.light));
  // Columns 2 and 3 are both empty: nothing between them, for either row.
  for (const DiagramPrimitive& p : picture.primitives) {
    if (p.kind != Kind::kLine || p.color == kDiagramGrey || p.color == kDiagramBlack) continue;
    EXPECT_FALSE(p.x == 130 && p.x2 == 170) << p.y;
    EXPECT_FALSE(p.x == 90 && p.x2 == 130) << p.y;
  }
  // Beta rises from the empty column 3 to 20 (2 pixels) in its own colour.
  EXPECT_TRUE(Has(picture, Kind::kLine, 170, 99, 209, 97, kColors[1].base));
  EXPECT_EQ(picture.status, "Titel:\t320");
}

TEST(DiagramLinesTest, ColumnLabelsAlternateWhenColumnsAreNarrow) {
  struct Case {
    int32_t column_width;
    std::vector<int32_t> label_y;
  };
  // "0000" is 24 pixels wide: columns under 48 alternate between rows
  // 100 + 40/8 and 100 + 40/2.
  const std::vector<Case> cases = {{40, {105, 120, 105, 120, 105}},
                                   {48, {105, 105, 105, 105, 105}}};
  for (const Case& c : cases) {
    DiagramPicture picture =
        DrawDiagram(LineSettings(c.column_width), LineData(), kColors, Measure);
    for (size_t i = 0; i < 5; ++i) {
      const DiagramPrimitive* label = OnlyText(picture, std::to_string(2001 + i));
      ASSERT_NE(label, nullptr);
      EXPECT_EQ(label->y, c.label_y[i]) << c.column_width << " column " << i;
      // Centred on the column; the last one ends at the right edge.
      int32_t want_x = static_cast<int32_t>(i) * c.column_width + 50 - (i == 4 ? 24 : 12);
      EXPECT_EQ(label->x, want_x) << c.column_width << " column " << i;
    }
  }
}

TEST(DiagramLinesTest, LegendInColourTableOrder) {
  DiagramPicture picture = DrawDiagram(LineSettings(), LineData(), kColors, Measure);
  // Legend in colour-table order, transparent, the sort key formatted.
  EXPECT_TRUE(Has(picture, Kind::kBox, 78, 23, 10, 10, kColors[0].base));
  EXPECT_TRUE(Has(picture, Kind::kBox, 78, 41, 10, 10, kColors[1].base));
  const DiagramPrimitive* alpha = OnlyText(picture, "Alpha: 1.234");
  ASSERT_NE(alpha, nullptr);
  EXPECT_EQ(alpha->x, 90);
  EXPECT_EQ(alpha->y, 20);
  EXPECT_FALSE(alpha->background.has_value());
  const DiagramPrimitive* beta = OnlyText(picture, "Beta: -7");
  ASSERT_NE(beta, nullptr);
  EXPECT_EQ(beta->y, 38);
}

// ---------------------------------------------------------------- bars

DiagramSettings BarSettings(int32_t bottom_margin = 40) {
  DiagramSettings settings;
  settings.left_margin = 50;
  settings.bottom_margin = bottom_margin;
  settings.column_width = 20;
  settings.plot_width = 60;
  settings.plot_height = 100;
  settings.values_per_pixel = 10;
  settings.maximum = 1000;
  settings.zero_line = 99;
  return settings;
}

DiagramData BarData() {
  DiagramData data;
  data.variant = kDiagramBars;
  data.segment_count = 3;
  data.title = "2004";
  data.captions = {"Gewinn", "Besucher", "Fläche"};
  data.rows.push_back({"P1", {200, 5, 300}, 0});
  data.rows.push_back({"P2", {std::nullopt, std::nullopt, std::nullopt}, 0});
  data.rows.push_back({"P3", {-100, 0, 0}, 0});
  return data;
}

TEST(DiagramBarsTest, StackedSegmentsInDarkAndBaseShades) {
  DiagramPicture picture = DrawDiagram(BarSettings(), BarData(), kColors, Measure);
  // 200: 20 pixels in the first colour; 5 adds nothing visible; 300: 30
  // pixels on top in the third colour, which is the first again.
  EXPECT_TRUE(Has(picture, Kind::kBox, 52, 79, 16, 20, kColors[0].dark));
  EXPECT_TRUE(Has(picture, Kind::kBox, 53, 80, 14, 19, kColors[0].base));
  EXPECT_TRUE(Has(picture, Kind::kBox, 52, 49, 16, 30, kColors[0].dark));
  EXPECT_TRUE(Has(picture, Kind::kBox, 53, 50, 14, 29, kColors[0].base));
  // A negative value hangs below the zero line.
  EXPECT_TRUE(Has(picture, Kind::kBox, 92, 99, 16, 10, kColors[0].dark));
  EXPECT_TRUE(Has(picture, Kind::kBox, 93, 99, 14, 9, kColors[0].base));
  int bar_boxes = 0;
  for (const DiagramPrimitive& p : picture.primitives) {
    if (p.kind == Kind::kBox && p.color != kDiagramWhite && p.x != 78) ++bar_boxes;
  }
  EXPECT_EQ(bar_boxes, 6);
  EXPECT_EQ(picture.status, "P1:\t505\r\nP2:\t0\r\nP3:\t-100\r\n");
}

TEST(DiagramBarsTest, RotatedRowLabelsBelowOrInsideTheChart) {
  struct Case {
    int32_t bottom_margin;
    int32_t label_y;
  };
  // Names are 12 pixels wide: below the chart when narrower than the strip
  // less 3, otherwise standing on the bottom axis.
  const std::vector<Case> cases = {{40, 103}, {16, 103}, {15, 100 - 12 - 2}};
  for (const Case& c : cases) {
    DiagramPicture picture = DrawDiagram(BarSettings(c.bottom_margin), BarData(), kColors, Measure);
    const DiagramPrimitive* label = OnlyText(picture, "P2");
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->rotated);
    EXPECT_EQ(label->x2, 10);  // rotated: the text height across
    EXPECT_EQ(label->y2, 12);
    EXPECT_EQ(label->x, 20 + 10 - 5 + 50);
    EXPECT_EQ(label->y, c.label_y) << c.bottom_margin;
  }
}

// ------------------------------------------------------------ degenerate

TEST(DiagramDegenerateTest, NeverDividesByZeroNorLeavesThePicture) {
  struct Case {
    const char* name;
    std::function<void(DiagramSettings&, DiagramData&)> change;
  };
  const int64_t huge = std::numeric_limits<int64_t>::max();
  const std::vector<Case> cases = {
      {"values per pixel 0", [](DiagramSettings& s, DiagramData&) { s.values_per_pixel = 0; }},
      {"negative values per pixel",
       [](DiagramSettings& s, DiagramData&) { s.values_per_pixel = -5; }},
      {"no grid lines", [](DiagramSettings& s, DiagramData&) { s.grid_lines = 0; }},
      {"grid step of 0 pixels", [](DiagramSettings& s, DiagramData&) { s.grid_lines = 999; }},
      {"negative plot height", [](DiagramSettings& s, DiagramData&) { s.plot_height = -50; }},
      {"zero line far below",
       [](DiagramSettings& s, DiagramData&) { s.zero_line = int64_t{1} << 60; }},
      {"zero line far above",
       [](DiagramSettings& s, DiagramData&) { s.zero_line = -(int64_t{1} << 60); }},
      {"huge picture",
       [](DiagramSettings& s, DiagramData&) {
         s.plot_width = std::numeric_limits<int32_t>::max();
         s.plot_height = std::numeric_limits<int32_t>::max();
         s.grid_lines = 999;
       }},
      {"negative margins",
       [](DiagramSettings& s, DiagramData&) {
         s.left_margin = -500;
         s.bottom_margin = -30;
       }},
      {"extreme values",
       [huge](DiagramSettings& s, DiagramData& d) {
         s.values_per_pixel = 1;
         d.rows[0].values = {huge, -huge - 1, huge, huge, -huge - 1};
         d.rows[1].values = {huge, huge, huge, huge, huge};
       }},
      {"no columns", [](DiagramSettings&, DiagramData& d) { d.column_count = 0; }},
      {"no rows", [](DiagramSettings&, DiagramData& d) { d.rows.clear(); }},
      {"empty chart", [](DiagramSettings&, DiagramData& d) { d.variant = kDiagramEmpty; }},
      {"bars without rows",
       [](DiagramSettings&, DiagramData& d) {
         d.variant = kDiagramBars;
         d.rows.clear();
       }},
      {"bars with extreme values and narrow columns",
       [huge](DiagramSettings& s, DiagramData& d) {
         d.variant = kDiagramBars;
         d.segment_count = 5;
         s.values_per_pixel = 1;
         s.column_width = 2;
         d.rows[0].values = {huge, huge, -huge - 1, huge, huge};
       }},
  };
  for (const Case& c : cases) {
    DiagramSettings settings = LineSettings();
    DiagramData data = LineData();
    c.change(settings, data);
    for (const std::vector<ColorEntry>& colors : {kColors, std::vector<ColorEntry>{}}) {
      DiagramPicture picture = DrawDiagram(settings, data, colors, Measure);
      EXPECT_GE(picture.width, 1) << c.name;
      EXPECT_GE(picture.height, 1) << c.name;
      EXPECT_LE(picture.width, kMaxDiagramSide) << c.name;
      EXPECT_LE(picture.height, kMaxDiagramSide) << c.name;
      EXPECT_LT(picture.primitives.size(), 40000u) << c.name;
      for (const DiagramPrimitive& p : picture.primitives) {
        if (p.kind == Kind::kText) continue;
        const int32_t right = p.kind == Kind::kLine ? p.x2 : p.x + p.x2 - 1;
        const int32_t bottom = p.kind == Kind::kLine ? p.y2 : p.y + p.y2 - 1;
        for (int32_t x : {p.x, right}) ASSERT_TRUE(x >= 0 && x < picture.width) << c.name;
        for (int32_t y : {p.y, bottom}) ASSERT_TRUE(y >= 0 && y < picture.height) << c.name;
      }
    }
  }
}

// ----------------------------------------------------- from the table

TEST(DiagramDataTest, VariantFollowsTheContentKind) {
  const std::vector<std::vector<int64_t>> alpha_years = {{10, 11}, {}, {30, 31}};
  const std::vector<std::vector<int64_t>> beta_years = {{}, {}, {}};
  ResultTable table;
  table.rows.push_back({.id = 1, .name = "Alpha", .year_values = &alpha_years, .sort_key = 20});
  table.rows.push_back({.id = 2, .name = "Beta", .year_values = &beta_years, .sort_key = 0});
  LoadedCalculation calculation;
  calculation.values = {{"Gewinn", "", "", ""}, {"Besucher", "", "", ""}};
  TableView view{.content_kind = ContentKind::kValue, .start_year = 2001, .end_year = 2003};

  DiagramData value = DiagramDataFromTable(table, view, calculation);
  EXPECT_EQ(value.variant, kDiagramLines);
  EXPECT_EQ(value.column_count, 3);
  EXPECT_EQ(value.first_column, 2001);
  EXPECT_EQ(value.title, "Gewinn");
  ASSERT_EQ(value.rows.size(), 2u);
  EXPECT_EQ(value.rows[0].name, "Alpha");
  EXPECT_EQ(value.rows[0].values, (std::vector<std::optional<int64_t>>{10, std::nullopt, 30}));
  EXPECT_EQ(value.rows[0].legend_number, 20);
  EXPECT_EQ(value.rows[1].values, std::vector<std::optional<int64_t>>(3));

  view.content_kind = ContentKind::kPark;
  DiagramData park = DiagramDataFromTable(table, view, calculation);
  EXPECT_EQ(park.variant, kDiagramLines);
  EXPECT_EQ(park.title, "Alpha");
  ASSERT_EQ(park.rows.size(), 2u);
  EXPECT_EQ(park.rows[1].name, "Besucher");
  EXPECT_EQ(park.rows[1].values, (std::vector<std::optional<int64_t>>{11, std::nullopt, 31}));
  EXPECT_EQ(park.rows[1].legend_number, 31);

  view = {.content_kind = ContentKind::kYear, .start_year = 2002, .end_year = 2002};
  DiagramData year = DiagramDataFromTable(table, view, calculation);
  EXPECT_EQ(year.variant, kDiagramBars);
  EXPECT_EQ(year.segment_count, 2);
  EXPECT_EQ(year.title, "2002");
  EXPECT_EQ(year.captions, (std::vector<std::string>{"Gewinn", "Besucher"}));
  ASSERT_EQ(year.rows.size(), 2u);
  EXPECT_EQ(year.rows[0].values, (std::vector<std::optional<int64_t>>{10, 11}));
  EXPECT_EQ(year.rows[1].values, std::vector<std::optional<int64_t>>(2));

  // A span the wizard cannot produce gives no columns rather than a huge or
  // negative count.
  view = {.content_kind = ContentKind::kValue, .start_year = 2005, .end_year = 2001};
  EXPECT_EQ(DiagramDataFromTable(table, view, calculation).column_count, 0);
}

// ----------------------------------------------------- start values

TEST(DiagramStartTest, RoundBoundsAndAGridOnRoundValues) {
  struct Case {
    const char* name;
    int variant;
    std::vector<std::optional<int64_t>> values;
    int64_t maximum;
    int64_t minimum;
    int32_t grid_lines;
    int64_t values_per_pixel;
  };
  const std::vector<Case> cases = {
      {"lines up to 1.234", kDiagramLines, {0, 1234, 17, std::nullopt}, 1400, 0, 7, 5},
      {"lines below zero", kDiagramLines, {-350, 800, std::nullopt, 5}, 1000, -400, 7, 5},
      {"lines without data", kDiagramLines, {std::nullopt, std::nullopt}, 100, 0, 10, 1},
      {"bars stack", kDiagramBars, {-150, 600, 700}, 1200, -200, 7, 5},
  };
  for (const Case& c : cases) {
    DiagramData data;
    data.variant = c.variant;
    data.column_count = static_cast<int32_t>(c.values.size());
    data.segment_count = data.column_count;
    data.first_column = 2001;
    data.title = "Wert";
    data.captions = {"a", "b", "c"};
    data.rows.push_back({"Ein langer Parkname", c.values, 99});
    DiagramSettings settings = StartDiagramSettings(data, Measure);
    EXPECT_EQ(settings.maximum, c.maximum) << c.name;
    EXPECT_EQ(settings.minimum, c.minimum) << c.name;
    EXPECT_EQ(settings.grid_lines, c.grid_lines) << c.name;
    EXPECT_EQ(settings.values_per_pixel, c.values_per_pixel) << c.name;
    // The fields agree with each other as the couplings leave them.
    DiagramSettings coupled = settings;
    CoupleScale(coupled);
    EXPECT_EQ(coupled, settings) << c.name;
    DiagramSettings widened = settings;
    CoupleColumnWidth(widened, DiagramColumnDivisor(data));
    EXPECT_EQ(widened, settings) << c.name;

    // Everything is in the picture: grid labels are round multiples of the
    // step, every text lies inside, and the bars' labels go below.
    DiagramPicture picture = DrawDiagram(settings, data, kColors, Measure);
    const int64_t step = (c.maximum - c.minimum) / c.grid_lines;
    for (const DiagramPrimitive& p : picture.primitives) {
      if (p.kind != Kind::kText) continue;
      EXPECT_GE(p.x, 0) << c.name << " " << p.text;
      EXPECT_GE(p.y, 0) << c.name << " " << p.text;
      EXPECT_LE(p.x + p.x2, picture.width) << c.name << " " << p.text;
      EXPECT_LE(p.y + p.y2, picture.height) << c.name << " " << p.text;
      if (p.x == 10 && p.color == kDiagramBlack) {
        std::string digits;
        for (char ch : p.text) {
          if (ch != '.') digits += ch;
        }
        EXPECT_EQ(std::stoll(digits) % step, 0) << c.name << " " << p.text;
      }
      if (p.rotated) {
        EXPECT_GE(p.y, settings.plot_height) << c.name;
      }
    }
  }
}

// The first drawing of flat, small or many-named data: the chart holds its
// legend, and the turned bar names lie below the chart, inside the picture.
TEST(DiagramStartTest, FirstDrawingHoldsTheLegendAndTheTurnedNames) {
  struct Case {
    const char* name;
    int variant;
    size_t rows;
    std::vector<std::optional<int64_t>> values;  // the same in every row
    size_t name_length;
    size_t captions;
    int32_t least_plot_height;
  };
  const std::vector<Case> cases = {
      {"five lines of equal values", kDiagramLines, 5, {7, 7, 7}, 12, 0, 110},
      {"lines of zeros", kDiagramLines, 2, {0, 0}, 12, 0, 100},
      {"small values around zero", kDiagramLines, 3, {-3, 4, 2}, 12, 0, 100},
      {"bars of zeros with five captions", kDiagramBars, 3, {0, 0, 0, 0, 0}, 12, 5, 110},
      {"bars with long names", kDiagramBars, 4, {30, 20}, 40, 2, 100},
      {"twenty lines", kDiagramLines, 20, {5, 900, 12000}, 20, 0, 380},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DiagramData data;
    data.variant = c.variant;
    data.column_count = static_cast<int32_t>(c.values.size());
    data.segment_count = static_cast<int32_t>(c.values.size());
    data.first_column = 2001;
    data.title = "2005";
    for (size_t i = 0; i < c.captions; ++i) data.captions.push_back("Wert " + std::to_string(i));
    for (size_t i = 0; i < c.rows; ++i) {
      std::string name = std::to_string(i);
      name.append(c.name_length - name.size(), 'x');
      data.rows.push_back({name, c.values, 1});
    }
    const DiagramSettings settings = StartDiagramSettings(data, Measure);
    EXPECT_GE(settings.plot_height, c.least_plot_height);
    DiagramSettings coupled = settings;
    CoupleScale(coupled);
    EXPECT_EQ(coupled, settings);

    const DiagramPicture picture = DrawDiagram(settings, data, kColors, Measure);
    size_t legend = 0;
    size_t turned = 0;
    for (const DiagramPrimitive& p : picture.primitives) {
      if (p.kind != Kind::kText) continue;
      if (p.x == settings.left_margin + 40) {
        ++legend;
        EXPECT_LE(p.y + p.y2, settings.plot_height) << p.text;
      }
      if (p.rotated) {
        ++turned;
        EXPECT_GE(p.y, settings.plot_height) << p.text;
        EXPECT_LE(p.y + p.y2, picture.height) << p.text;
      }
    }
    EXPECT_EQ(legend, c.variant == kDiagramBars ? c.captions : c.rows);
    EXPECT_EQ(turned, c.variant == kDiagramBars ? c.rows : 0u);
  }
}

// ----------------------------------------------------- preview, file name

TEST(DiagramPreviewTest, ScalesByTheSmallerRatio) {
  EXPECT_EQ(DiagramPreviewSize(1000, 500, 575, 150), (PixelSize{300, 150}));
  EXPECT_EQ(DiagramPreviewSize(230, 100, 575, 150), (PixelSize{345, 150}));
  EXPECT_EQ(DiagramPreviewSize(1150, 100, 575, 150), (PixelSize{575, 50}));
  EXPECT_EQ(DiagramPreviewSize(0, 100, 575, 150), (PixelSize{}));
  EXPECT_EQ(DiagramPreviewSize(100, 100, 0, 150), (PixelSize{}));
}

TEST(DiagramFileNameTest, AppendsBmpUnlessPresentInAnyCase) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plan.bmp", "plan.bmp"},
      {"plan.BMP", "plan.BMP"},
      {"plan.Bmp", "plan.Bmp"},
      {"plan", "plan.bmp"},
      {"plan.png", "plan.png.bmp"},
      {"bmp", "bmp.bmp"},
      {"/tmp/a.bmp.txt", "/tmp/a.bmp.txt.bmp"},
      {"", ""},
  };
  for (const auto& [name, want] : cases) EXPECT_EQ(DiagramFileName(name), want) << name;
}

}  // namespace
}  // namespace wunt
