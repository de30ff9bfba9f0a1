// The diagram tab: reached through the wizard on a demo season, its fields
// coupled, the preview repainted, the bitmap saved and read back; and the
// painter's pixels at known places.
#include "viewer/diagram/gui/diagram_tab.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include "common/raster_image.h"
#include "tests/support/gui/gui_support.h"
#include "tests/support/gui/wizard_fixture.h"
#include "viewer/diagram/diagram_raster.h"
#include "viewer/diagram/gui/diagram_painter.h"
#include "viewer/platform/dialogs.h"
#include "viewer/wizard/gui/main_window.h"
#include "viewer/wizard/gui/overview_window.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;
using test::Screenshot;
using test::WaitFor;

QRgb Rgb(uint32_t color) {
  return qRgb(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
              static_cast<int>((color >> 16) & 0xFF));
}

// A small hand-made diagram: 1.000 over 100 pixels, zero line 99.
DiagramSettings SmallSettings() {
  DiagramSettings s;
  s.plot_width = 160;
  s.plot_height = 100;
  s.left_margin = 60;
  s.bottom_margin = 40;
  s.column_width = 40;
  s.values_per_pixel = 10;
  s.grid_lines = 4;
  s.maximum = 1000;
  s.zero_line = 99;
  return s;
}

DiagramRow Row(std::string name, std::vector<std::optional<int64_t>> values) {
  DiagramRow row;
  row.name = std::move(name);
  row.values = std::move(values);
  return row;
}

const std::vector<ColorEntry> kColors = {MakeColorEntry(0x0000FF), MakeColorEntry(0x00FF00)};

TEST(DiagramPainterTest, LinesBoxesAndTextsLandWhereTheModelPutsThem) {
  const QFont font;
  const TextMeasure measure = DiagramTextMeasure(font);
  DiagramData lines;
  lines.column_count = 5;
  lines.first_column = 2001;
  lines.title = "Gewinn";
  lines.rows = {Row("Alpha", {0, 500, 500, std::nullopt, std::nullopt})};
  const DiagramPicture picture = DrawDiagram(SmallSettings(), lines, kColors, measure);
  const QImage image = PaintDiagramImage(picture, font);
  ASSERT_EQ(image.size(), QSize(220, 140));
  const ColorEntry red = kColors[0];
  // The flat segment at 500 between the second and third column: base
  // shade on row 99 - 50, light shades above and below.
  EXPECT_EQ(image.pixel(120, 49), Rgb(red.base));
  EXPECT_EQ(image.pixel(120, 48), Rgb(red.light));
  EXPECT_EQ(image.pixel(120, 50), Rgb(red.light));
  // Nothing between the two empty columns on the right, only the grey grid
  // and the black zero axis.
  EXPECT_EQ(image.pixel(200, 49), Rgb(kDiagramGrey));
  EXPECT_EQ(image.pixel(200, 60), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(200, 99), Rgb(kDiagramBlack));
  // The axes' last pixels are drawn: the zero line ends on the picture's
  // right edge, the vertical axes on the bottom axis.
  EXPECT_EQ(image.pixel(219, 99), Rgb(kDiagramBlack));
  EXPECT_EQ(image.pixel(60, 99), Rgb(kDiagramBlack));
  // The grey "0" label on its white box, left of the chart at y = 95.
  const PixelSize zero = measure("0");
  bool grey_ink = false;
  for (int y = 95; y < 95 + zero.height; ++y) {
    for (int x = 10; x < 10 + zero.width; ++x) grey_ink |= image.pixel(x, y) != qRgb(255, 255, 255);
  }
  EXPECT_TRUE(grey_ink);

  // Bars: the boxes and straight lines agree pixel for pixel with the
  // raster painter (which leaves texts out).
  DiagramData bars;
  bars.variant = kDiagramBars;
  bars.segment_count = 2;
  bars.title = "2003";
  bars.captions = {"Gewinn", "Besucher"};
  bars.rows = {Row("Alpha", {300, 255}), Row("Beta", {95, 5})};
  DiagramPicture bar_picture = DrawDiagram(SmallSettings(), bars, kColors, measure);
  std::erase_if(bar_picture.primitives,
                [](const DiagramPrimitive& p) { return p.kind == DiagramPrimitive::Kind::kText; });
  EXPECT_EQ(ToRasterImage(PaintDiagramImage(bar_picture, font)), PaintDiagram(bar_picture));
}

TEST(DiagramPainterTest, RotatedLabelsReadUpwardsInTheirBox) {
  const QFont font;
  const TextMeasure measure = DiagramTextMeasure(font);
  DiagramPicture picture;
  picture.width = 60;
  picture.height = 120;
  const PixelSize size = measure("Wwwwwww");
  DiagramPrimitive& text = picture.primitives.emplace_back();
  text.kind = DiagramPrimitive::Kind::kText;
  text.x = 10;
  text.y = 5;
  text.x2 = size.height;
  text.y2 = size.width;
  text.text = "Wwwwwww";
  text.background = 0x00FFFF;
  text.rotated = true;
  const QImage image = PaintDiagramImage(picture, font);
  // Yellow background fills the standing box and nothing beside it.
  EXPECT_NE(image.pixel(10, 5 + size.width - 1), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(10 + size.height, 5 + size.width / 2), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(10, 5 + size.width), qRgb(255, 255, 255));
  // The wide "W" comes first, so it lies at the bottom: more ink there.
  auto ink = [&](int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = 10; x < 10 + size.height; ++x) n += image.pixel(x, y) == qRgb(0, 0, 0);
    }
    return n;
  };
  const int w = measure("W").width;
  EXPECT_GT(ink(5 + size.width - w, 5 + size.width), ink(5, 5 + w));
}

class DiagramTabRoad : public test::WizardTest {
 protected:
  DiagramTabRoad() : WizardTest("diagram") {}
  void SetUp() override {
    WizardTest::SetUp();
    OpenWizard();
  }
  DiagramTab& tab() const { return *window_->diagram(); }
  QLineEdit* field(DiagramField which) const { return tab().field(which); }
  // Types `text` into the field and leaves it.
  void Enter(DiagramField which, const QString& text) const {
    field(which)->setText(text);
    emit field(which)->editingFinished();
  }

  // Steps 1 to 3 with every entity, then the overview closed again.
  void ReachTab3WithTable(QRadioButton* kind) {
    kind->click();
    c().apply1->click();
    ASSERT_EQ(window_->step(), 1);
    c().calculation->setCurrentIndex(0);
    c().apply2->click();
    ASSERT_EQ(window_->step(), 2);
    c().add_all->click();
    EXPECT_FALSE(c().next3->isEnabled());
    c().apply3->click();
    ASSERT_TRUE(WaitFor([&] { return window_->overview() != nullptr; }));
    window_->overview()->close();
    ASSERT_TRUE(WaitFor([&] { return window_->overview() == nullptr; }));
    ASSERT_FALSE(window_->state().table.rows.empty());
  }
};

TEST_F(DiagramTabRoad, ValueOverYearsPreviewedCoupledAndSaved) {
  ASSERT_NO_FATAL_FAILURE(ReachTab3WithTable(c().kind_value));
  ASSERT_TRUE(c().next3->isEnabled());
  c().next3->click();
  EXPECT_EQ(window_->step(), 3);
  EXPECT_EQ(c().tabs->currentIndex(), 3);
  // The fields start with what the first preview needs, and it is drawn.
  const DiagramData& data = tab().form().data();
  EXPECT_EQ(data.variant, kDiagramLines);
  EXPECT_EQ(data.rows.size(), window_->state().table.rows.size());
  EXPECT_FALSE(field(DiagramField::kMaximum)->text().isEmpty());
  EXPECT_EQ(tab().drawings(), 1);
  EXPECT_FALSE(tab().controls().preview->pixmap().isNull());
  EXPECT_FALSE(tab().controls().status->text().isEmpty());
  test::Settle();
  Screenshot(window_.get(), "diagram_tab_lines");

  // Column width 30 over the span's year intervals.
  Enter(DiagramField::kColumnWidth, QStringLiteral("30"));
  EXPECT_EQ(field(DiagramField::kPlotWidth)->text(), QString::number(30 * (data.column_count - 1)));
  Enter(DiagramField::kMaximum, QStringLiteral("2000000"));
  EXPECT_EQ(field(DiagramField::kMaximum)->text(), QStringLiteral("2.000.000"));
  const int width_before = tab().full_image().width();
  tab().controls().preview_button->click();
  EXPECT_EQ(tab().drawings(), 2);
  EXPECT_EQ(tab().full_image().width(),
            field(DiagramField::kLeftMargin)->text().toInt() + 30 * (data.column_count - 1));
  EXPECT_NE(tab().full_image().width(), width_before);
  Screenshot(window_.get(), "diagram_tab_lines_changed");

  // Saved with ".bmp" appended; the file reads back as the drawing.
  const fs::path saved = folder_ / "diagram_lines";
  FileDialogs::SetNextFileName(QString::fromStdString(saved.string()));
  tab().controls().save->click();
  EXPECT_TRUE(MessageBoxes::TakeRecorded().empty());
  const std::optional<RasterImage> back = LoadImageFile(saved.string() + ".bmp");
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, ToRasterImage(tab().full_image()));

  // Back on tab 3 and forward again: the same table keeps the fields.
  tab().controls().back->click();
  EXPECT_EQ(window_->step(), 2);
  c().next3->click();
  EXPECT_EQ(field(DiagramField::kMaximum)->text(), QStringLiteral("2.000.000"));

  // Another step-2 apply makes tab 4 wait for the next table.
  c().back3->click();
  c().apply2->click();
  EXPECT_FALSE(c().next3->isEnabled());
}

TEST_F(DiagramTabRoad, YearBarsSavedAndAFailedSaveSaysSo) {
  ASSERT_NO_FATAL_FAILURE(ReachTab3WithTable(c().kind_year));
  c().next3->click();
  const DiagramData& data = tab().form().data();
  EXPECT_EQ(data.variant, kDiagramBars);
  EXPECT_EQ(data.title, std::to_string(window_->state().season_data.highest_year));
  EXPECT_EQ(tab().controls().status->text().count(QLatin1Char(';')),
            static_cast<int>(data.rows.size()) - 1);
  test::Settle();
  Screenshot(window_.get(), "diagram_tab_bars");

  // A bar per row: the plot width follows the column width by rows.
  Enter(DiagramField::kColumnWidth, QStringLiteral("25"));
  EXPECT_EQ(field(DiagramField::kPlotWidth)->text(),
            QString::number(25 * static_cast<int>(data.rows.size())));
  Enter(DiagramField::kPlotWidth, QStringLiteral("1000"));
  EXPECT_EQ(field(DiagramField::kColumnWidth)->text(),
            QString::number(1000 / static_cast<int>(data.rows.size())));

  // A name ending in .BMP in capitals is kept as typed.
  const fs::path saved = folder_ / "bars.BMP";
  FileDialogs::SetNextFileName(QString::fromStdString(saved.string()));
  tab().controls().save->click();
  ASSERT_TRUE(fs::exists(saved));
  EXPECT_FALSE(fs::exists(saved.string() + ".bmp"));
  const std::optional<RasterImage> back = LoadImageFile(saved);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->width(), tab().full_image().width());
  EXPECT_EQ(*back, ToRasterImage(tab().full_image()));

  // A cancelled dialog does nothing; a folder that is not there fails
  // with the message.
  tab().controls().save->click();
  EXPECT_TRUE(MessageBoxes::TakeRecorded().empty());
  FileDialogs::SetNextFileName(QString::fromStdString((folder_ / "missing" / "x").string()));
  tab().controls().save->click();
  std::vector<ShownMessage> shown = MessageBoxes::TakeRecorded();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("Konnte Bild nicht speichern!\nDie Datei ")))
      << shown[0].text.toStdString();
  EXPECT_EQ(shown[0].title, QStringLiteral("WUNT2.1 Viewer (V0.05 Alpa 3)"));
  EXPECT_FALSE(fs::exists(folder_ / "missing"));
  // A picture larger than a bitmap can be made from says so, and nothing is
  // drawn or written; the field shows the width that was tried.
  Enter(DiagramField::kPlotWidth, QStringLiteral("99999"));
  EXPECT_EQ(field(DiagramField::kPlotWidth)->text(), QStringLiteral("16384"));
  Enter(DiagramField::kPlotHeight, QStringLiteral("5000"));
  const fs::path large = folder_ / "large.bmp";
  FileDialogs::SetNextFileName(QString::fromStdString(large.string()));
  tab().controls().save->click();
  shown = MessageBoxes::TakeRecorded();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].text.contains(QStringLiteral("höchstens 40.000.000 Pixel")))
      << shown[0].text.toStdString();
  EXPECT_TRUE(tab().full_image().isNull());
  EXPECT_FALSE(fs::exists(large));

  // A new step-1 apply closes the way to tab 4 as well.
  c().back3->click();
  c().back2->click();
  c().apply1->click();
  EXPECT_FALSE(c().next3->isEnabled());
}

TEST(DiagramTabWindowTest, StandsAloneAndItsCaptionsFitAtEveryFontSize) {
  const QFont app_font = QApplication::font();
  for (int points : {9, 11}) {
    QFont font = app_font;
    font.setPointSize(points);
    QApplication::setFont(font);
    RequestState state;
    DiagramTab tab(state.colors);
    tab.show();
    tab.Open(DiagramDataFromTable(state.table, RequestTableView(state), state.calculation));
    EXPECT_EQ(tab.drawings(), 1);
    EXPECT_FALSE(tab.full_image().isNull());
    for (const QLabel* label : tab.findChildren<QLabel*>()) {
      if (label->text().isEmpty()) continue;
      EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
          << points << " pt: " << label->text().toStdString();
    }
    for (const QPushButton* button : tab.findChildren<QPushButton*>()) {
      EXPECT_LT(button->fontMetrics().horizontalAdvance(button->text()), button->width())
          << points << " pt: " << button->text().toStdString();
    }
    Screenshot(&tab, "diagram_tab_alone_" + std::to_string(points) + "pt");
  }
  QApplication::setFont(app_font);
}

}  // namespace
}  // namespace wunt
