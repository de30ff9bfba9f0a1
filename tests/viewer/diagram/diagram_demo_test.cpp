// The diagram of real tables: our demo season taken down the wizard's road,
// drawn with the start values and painted. Everything must fit the picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/demo/demo_season.h"
#include "common/message_sink.h"
#include "common/raster_image.h"
#include "tests/support/printers.h"
#include "tests/support/scratch_folder.h"
#include "viewer/calc/value_computation.h"
#include "viewer/diagram/diagram_model.h"
#include "viewer/diagram/diagram_raster.h"
#include "viewer/wizard/request.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

PixelSize Measure(std::string_view text) { return {static_cast<int32_t>(7 * text.size()), 13}; }

TEST(DiagramDemoTest, StartValuesShowTheWholeTable) {
  const test::ScratchFolder scratch;
  const fs::path data = scratch / "Data";
  const DemoSeasonOptions options = test::SmallSeason(30, 6, 5);
  ASSERT_NO_FATAL_FAILURE(test::WriteDemoData(data, options));
  const int32_t last_year = options.first_year + options.years - 1;

  for (ContentKind content_kind : {ContentKind::kValue, ContentKind::kYear}) {
    SCOPED_TRACE(content_kind);
    RequestState state;
    state.data_dir = data;
    SilentMessageSink sink;
    ASSERT_TRUE(LoadRequestSeason(state, options.season, content_kind, sink));
    ASSERT_FALSE(state.colors.empty());
    ASSERT_TRUE(
        ApplyRequestSpan(state, 0, options.first_year, last_year, false, SourceKind::kParks));
    state.selection().AddAll();
    ASSERT_TRUE(ApplyRequestSelection(state, 0));
    ASSERT_FALSE(state.table.rows.empty());

    const DiagramData diagram =
        DiagramDataFromTable(state.table, RequestTableView(state), state.calculation);
    const DiagramSettings settings = StartDiagramSettings(diagram, Measure);
    const DiagramPicture picture = DrawDiagram(settings, diagram, state.colors, Measure);
    EXPECT_FALSE(picture.status.empty());
    // Every line and bar of the data lies whole inside the chart, between
    // the top edge and the bottom axis.
    int data_primitives = 0;
    for (const DiagramPrimitive& p : picture.primitives) {
      const bool line = p.kind == DiagramPrimitive::Kind::kLine && p.x > settings.left_margin + 1;
      const bool bar = p.kind == DiagramPrimitive::Kind::kBox && p.y < settings.plot_height &&
                       p.x > settings.left_margin + 1 && p.x2 != 10 && p.color != kDiagramWhite;
      if (!line && !bar) continue;
      if (line && (p.y == p.y2) && (p.color == kDiagramGrey || p.color == kDiagramBlack)) continue;
      ++data_primitives;
      const int32_t bottom = line ? std::max(p.y, p.y2) : p.y + p.y2 - 1;
      EXPECT_GE(std::min(p.y, p.y2), 0);
      // Not cut off at the top: lines run from column to column, the last
      // ending on the picture's right edge.
      if (line && p.x2 != picture.width - 1) {
        EXPECT_EQ((p.x2 - settings.left_margin) % settings.column_width, 0);
      }
      if (line) {
        EXPECT_EQ((p.x - settings.left_margin) % settings.column_width, 0);
      }
      EXPECT_LE(bottom, settings.plot_height);
    }
    EXPECT_GT(data_primitives, 0);
    const RasterImage image = PaintDiagram(picture);
    EXPECT_TRUE(SaveBmp(
        image, fs::path(testing::TempDir()) /
                   ("diagram_demo_" + std::to_string(static_cast<int>(content_kind)) + ".bmp")));
  }
}

}  // namespace
}  // namespace wunt
