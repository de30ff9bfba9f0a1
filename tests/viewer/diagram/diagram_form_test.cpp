#include "viewer/diagram/diagram_form.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace wunt {
namespace {

using F = DiagramField;

PixelSize Measure(std::string_view text) { return {static_cast<int32_t>(6 * text.size()), 10}; }

DiagramData Lines(int32_t columns, std::vector<std::optional<int64_t>> values) {
  DiagramData data;
  data.column_count = columns;
  data.first_column = 2001;
  data.title = "Gewinn";
  DiagramRow& row = data.rows.emplace_back();
  row.name = "Alpha";
  row.values = std::move(values);
  return data;
}

DiagramData Bars(size_t rows) {
  DiagramData data;
  data.variant = kDiagramBars;
  data.segment_count = 1;
  data.title = "2003";
  data.captions = {"Gewinn"};
  for (size_t i = 0; i < rows; ++i) {
    DiagramRow& row = data.rows.emplace_back();
    row.name = "Park " + std::to_string(i);
    row.values = {static_cast<int64_t>(100 * (i + 1))};
  }
  return data;
}

TEST(DiagramFormTest, StartsAfreshOnlyForOtherData) {
  DiagramForm form;
  const DiagramData data = Lines(5, {0, 1234, 17, std::nullopt, 500});
  ASSERT_TRUE(form.Show(data, Measure));
  const DiagramSettings start = StartDiagramSettings(data, Measure);
  EXPECT_EQ(form.text(F::kMaximum), FormatDiagramBound(start.maximum));
  EXPECT_EQ(form.text(F::kValuesPerPixel), std::to_string(start.values_per_pixel));
  EXPECT_EQ(form.grid_lines(), start.grid_lines);
  EXPECT_EQ(form.ForDrawing(), start);
  // The first preview is of a useful width whatever the column count.
  EXPECT_GE(start.plot_width, 600);
  EXPECT_LT(start.plot_width, 600 + 4);

  form.SetText(F::kPlotWidth, "333");
  EXPECT_FALSE(form.Show(data, Measure));
  EXPECT_EQ(form.text(F::kPlotWidth), "333");
  EXPECT_TRUE(form.Show(Lines(5, {0, 99999, 17, std::nullopt, 500}), Measure));
  EXPECT_NE(form.text(F::kPlotWidth), "333");
}

TEST(DiagramFormTest, LeavingAFieldCouplesTheOthers) {
  struct Case {
    const char* name;
    DiagramData data;
    std::vector<std::pair<F, std::string>> typed;
    F left;
    std::vector<std::pair<F, std::string>> want;
    std::optional<int64_t> zero_line;
  };
  const std::vector<Case> cases = {
      {"scale from maximum",
       Lines(5, {1}),
       {{F::kMaximum, "1000"}, {F::kMinimum, "0"}, {F::kPlotHeight, "100"}},
       F::kMaximum,
       {{F::kMaximum, "1.000"}, {F::kValuesPerPixel, "10"}},
       99},
      {"scale from height, dots and text ignored",
       Lines(5, {1}),
       {{F::kMaximum, "1.000.000 Punkte"}, {F::kMinimum, "-2.000"}, {F::kPlotHeight, "200"}},
       F::kPlotHeight,
       {{F::kMaximum, "1.000.000"}, {F::kMinimum, "-2.000"}, {F::kValuesPerPixel, "5010"}},
       198},
      {"height 0 draws one row",
       Lines(5, {1}),
       {{F::kMaximum, "50"}, {F::kMinimum, "0"}, {F::kPlotHeight, "0"}},
       F::kPlotHeight,
       {{F::kPlotHeight, "1"}, {F::kValuesPerPixel, "50"}},
       0},
      {"values per pixel of 0 counts as 1",
       Lines(5, {1}),
       {{F::kValuesPerPixel, "0"}},
       F::kValuesPerPixel,
       {{F::kValuesPerPixel, "1"}},
       std::nullopt},
      {"column width over four intervals",
       Lines(5, {1}),
       {{F::kColumnWidth, "40"}},
       F::kColumnWidth,
       {{F::kPlotWidth, "160"}},
       std::nullopt},
      {"plot width back to the column width",
       Lines(5, {1}),
       {{F::kPlotWidth, "200"}},
       F::kPlotWidth,
       {{F::kColumnWidth, "50"}},
       std::nullopt},
      {"bars: one column per row",
       Bars(3),
       {{F::kColumnWidth, "30"}},
       F::kColumnWidth,
       {{F::kPlotWidth, "90"}},
       std::nullopt},
      {"a width past the largest side shows as the side drawn",
       Lines(5, {1}),
       {{F::kPlotWidth, "99999"}},
       F::kPlotWidth,
       {{F::kPlotWidth, "16384"}, {F::kColumnWidth, "4096"}},
       std::nullopt},
      {"so does a coupled one, and a margin below 0",
       Lines(5, {1}),
       {{F::kColumnWidth, "5000"}, {F::kLeftMargin, "-5"}},
       F::kColumnWidth,
       {{F::kPlotWidth, "16384"}, {F::kColumnWidth, "5000"}, {F::kLeftMargin, "0"}},
       std::nullopt},
      {"one year has no interval: widths stay",
       Lines(1, {1}),
       {{F::kColumnWidth, "30"}, {F::kPlotWidth, "77"}},
       F::kColumnWidth,
       {{F::kColumnWidth, "30"}, {F::kPlotWidth, "77"}},
       std::nullopt},
  };
  for (const Case& c : cases) {
    DiagramForm form;
    form.Show(c.data, Measure);
    for (const auto& [field, text] : c.typed) form.SetText(field, text);
    form.Leave(c.left);
    for (const auto& [field, text] : c.want) {
      EXPECT_EQ(form.text(field), text) << c.name << " field " << static_cast<int>(field);
    }
    if (c.zero_line) {
      EXPECT_EQ(form.ForDrawing().zero_line, *c.zero_line) << c.name;
    }
  }

  // After the scale, values per pixel 20 halves the height of 1.000 / 0.
  DiagramForm form;
  form.Show(Lines(5, {1}), Measure);
  form.SetText(F::kMaximum, "1000");
  form.SetText(F::kMinimum, "0");
  form.SetText(F::kPlotHeight, "100");
  form.Leave(F::kMaximum);
  form.SetText(F::kValuesPerPixel, "20");
  form.Leave(F::kValuesPerPixel);
  EXPECT_EQ(form.text(F::kPlotHeight), "50");
  EXPECT_EQ(form.ForDrawing().zero_line, 49);
}

TEST(DiagramFormTest, DrawingReadsSizesAsTypedButTheScaleAsCoupled) {
  DiagramForm form;
  form.Show(Lines(5, {1, 2, 3}), Measure);
  const DiagramSettings before = form.ForDrawing();
  form.SetText(F::kLeftMargin, "77");
  form.SetText(F::kMaximum, "123456");
  form.SetGridLines(5000);
  const DiagramSettings drawn = form.ForDrawing();
  EXPECT_EQ(drawn.left_margin, 77);
  EXPECT_EQ(drawn.maximum, before.maximum);
  EXPECT_EQ(drawn.zero_line, before.zero_line);
  EXPECT_EQ(drawn.grid_lines, kMaxGridLines);
  // A margin has nothing coupled to it.
  form.Leave(F::kLeftMargin);
  EXPECT_EQ(form.text(F::kMaximum), "123456");
}

}  // namespace
}  // namespace wunt
