// The attraction catalogue opened from the wizard on a demo season: the
// rows as the model orders and words them, ticks, filters, the year
// chooser, pictures, and the settings written back on close.
#include "viewer/attractions/gui/catalogue_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include "common/file_util.h"
#include "common/season_layout.h"
#include "tests/support/gui/gui_support.h"
#include "tests/support/gui/wizard_fixture.h"
#include "viewer/data/game_years.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"
#include "viewer/wizard/gui/main_window.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

class CatalogueWindowTest : public test::WizardTest {
 protected:
  CatalogueWindowTest() : WizardTest("catalogue") {}
  void SetUp() override {
    WizardTest::SetUp();
    // With pictures, so that selecting a row shows one.
    DemoSeasonOptions options = test::SmallSeason(20, 5, 4);
    options.pictures = true;
    test::WriteDemoData(folder_ / "Data", options);
    season_folder_ = folder_ / "Data" / "7";
  }

  // Opens the catalogue like a user: "Attraktionsliste" on tab 1.
  CatalogueWindow* Open() {
    OpenWizard();
    c().attractions->click();
    CatalogueWindow* window = Find();
    if (window != nullptr) test::Settle(std::chrono::milliseconds(50));
    return window;
  }

  CatalogueWindow* Find() const {
    return dynamic_cast<CatalogueWindow*>(window_->findChild<QWidget*>(kCatalogueWindowName));
  }
  static QString Cell(const CatalogueWindow* w, int row, int column) {
    return w->controls().list->topLevelItem(row)->text(column);
  }
  static bool Ticked(const CatalogueWindow* w, int row) {
    return w->controls().list->topLevelItem(row)->checkState(0) == Qt::Checked;
  }
  // The list rows must say exactly what the model says, in its order.
  static void ExpectRowsMatchModel(const CatalogueWindow* w) {
    const CatalogueModel& model = w->session().model();
    QTreeWidget* list = w->controls().list;
    ASSERT_EQ(static_cast<size_t>(list->topLevelItemCount()), model.row_count());
    for (size_t row = 0; row < model.row_count(); ++row) {
      for (int column = 0; column < kCatalogueColumnCount; ++column) {
        ASSERT_EQ(Cell(w, static_cast<int>(row), column), FromCp1252(model.CellText(row, column)))
            << "row " << row << " column " << column;
      }
      EXPECT_EQ(Ticked(w, static_cast<int>(row)), model.IsTicked(row)) << row;
    }
  }

  fs::path season_folder_;
};

TEST_F(CatalogueWindowTest, OpensFromTheWizardWithTheScoredRowsOfTheLastYear) {
  CatalogueWindow* w = Open();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), QStringLiteral("WUNT2.1 Viewer (V0.05 Alpa 3) - Attraktionen"));
  const CatalogueWindow::Controls& c = w->controls();

  ASSERT_EQ(c.list->columnCount(), kCatalogueColumnCount);
  EXPECT_EQ(c.list->headerItem()->text(6), QStringLiteral("Fläche"));
  EXPECT_EQ(c.list->headerItem()->text(20), QStringLiteral("C-Bonus"));
  const std::vector<int32_t>& years = w->session().years();
  ASSERT_EQ(c.year->count(), static_cast<int>(years.size()));
  EXPECT_EQ(c.year->currentText(), QString::number(years.back()));
  EXPECT_EQ(w->session().year(), years.back());

  ASSERT_GT(c.list->topLevelItemCount(), 6);
  ExpectRowsMatchModel(w);
  // Highest total first.
  for (int row = 1; row < c.list->topLevelItemCount(); ++row) {
    EXPECT_GE(Cell(w, row - 1, kColumnTotal).toDouble(), Cell(w, row, kColumnTotal).toDouble());
  }
  // Bands of three, the first dark; next year's launches stay red.
  const QString next_year = QString::number(years.back() + 1);
  for (int row = 0; row < 6; ++row) {
    const QTreeWidgetItem* item = c.list->topLevelItem(row);
    const bool dark = row < 3;
    const bool is_new =
        FromCp1252(w->session().model().EntryAt(static_cast<size_t>(row)).launch) == next_year;
    const QColor expected = is_new ? Qt::red : dark ? Qt::black : Qt::white;
    EXPECT_EQ(item->background(5).color(), expected) << row;
    EXPECT_EQ(item->foreground(5).color(), dark ? Qt::white : Qt::black) << row;
  }
  EXPECT_EQ(c.description->toPlainText(), QStringLiteral("keine Attraktion ausgewählt"));
  // Everything on by default except the bonus; SizeCost's stored 25 shows
  // as the spin's minimum.
  for (QCheckBox* box : c.categories) EXPECT_TRUE(box->isChecked());
  EXPECT_FALSE(c.terms[kTermBonus]->isChecked());
  EXPECT_TRUE(c.terms[kTermTargetC]->isChecked());
  EXPECT_EQ(c.spins[kSpinLifetime]->text(), QStringLiteral("20 Jahre"));
  EXPECT_EQ(c.spins[kSpinGroundRate]->text(), QStringLiteral("50.000 "));
  EXPECT_EQ(c.spins[kSpinWage]->text(), QStringLiteral("10.000 "));
  EXPECT_EQ(c.spins[kSpinTargetA]->text(), QStringLiteral("1.00 %"));
  test::Screenshot(w, "catalogue_window");

  c.close->click();
  EXPECT_TRUE(test::WaitFor([&] { return Find() == nullptr; }));
  EXPECT_TRUE(window_->isVisible());
}

TEST_F(CatalogueWindowTest, TicksSurviveFilterAndRefillAndAreSavedOnClose) {
  CatalogueWindow* w = Open();
  ASSERT_NE(w, nullptr);
  const CatalogueWindow::Controls& c = w->controls();
  const CatalogueEntry ticked = w->session().model().EntryAt(1);
  c.list->topLevelItem(1)->setCheckState(0, Qt::Checked);
  EXPECT_EQ(c.list->topLevelItem(1)->foreground(0).color(), QColor(136, 136, 136));

  // Hide another category: the list shrinks, "Alle" goes off, the tick stays.
  const int other = ticked.category == 1 ? 2 : 1;
  const int before = c.list->topLevelItemCount();
  c.categories[static_cast<size_t>(other - 1)]->click();
  EXPECT_FALSE(c.categories[kCategoryCount]->isChecked());
  EXPECT_LT(c.list->topLevelItemCount(), before);
  ExpectRowsMatchModel(w);
  c.rebuild->click();
  ExpectRowsMatchModel(w);
  int ticks = 0;
  for (int row = 0; row < c.list->topLevelItemCount(); ++row) ticks += Ticked(w, row) ? 1 : 0;
  EXPECT_EQ(ticks, 1);

  // A spin changes its text at once and the figures only on rebuild.
  const QString total = Cell(w, 0, kColumnTotal);
  c.spins[kSpinLifetime]->setValue(25);
  EXPECT_EQ(c.spins[kSpinLifetime]->text(), QStringLiteral("25 Jahre"));
  EXPECT_EQ(Cell(w, 0, kColumnTotal), total);
  c.rebuild->click();
  ExpectRowsMatchModel(w);
  // "Alle" brings every category back.
  c.categories[kCategoryCount]->click();
  EXPECT_EQ(c.list->topLevelItemCount(), before);
  c.categories[static_cast<size_t>(other - 1)]->click();

  c.close->click();
  std::vector<BuildTick> build;
  const CatalogueSettings saved = LoadCatalogueSettings(season_folder_, &build);
  EXPECT_EQ(saved.spin(kSpinLifetime), 25);
  EXPECT_EQ(saved.spin(kSpinGroundRate), 50);
  EXPECT_EQ(saved.categories, kSevenCategories & ~(1 << (other - 1)));
  ASSERT_EQ(build.size(), 1u);
  EXPECT_EQ(build[0], (BuildTick{ticked.id, ticked.category, ticked.variant}));

  // Opening again finds the tick and the settings.
  window_.reset();
  CatalogueWindow* again = Open();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->controls().spins[kSpinLifetime]->text(), QStringLiteral("25 Jahre"));
  EXPECT_FALSE(again->controls().categories[static_cast<size_t>(other - 1)]->isChecked());
  ExpectRowsMatchModel(again);
  EXPECT_EQ(again->session().model().BuildTicks(), build);
}

TEST_F(CatalogueWindowTest, AnotherYearKeepsTicksAndMarksItsNextYearsLaunches) {
  // The demo lists attractions from their launch on; announce one a year
  // ahead in the first year's catalogue.
  const int32_t first = ListGameYears(season_folder_).front();
  const fs::path file = YearFolder(season_folder_, first) / "Attraction.ini";
  std::string bytes = ReadWholeFile(file).value_or("");
  const size_t launch = bytes.find("\r\n19 = ");
  ASSERT_NE(launch, std::string::npos);
  const size_t end = bytes.find("\r\n", launch + 2);
  bytes.replace(launch, end - launch, "\r\n19 = " + std::to_string(first + 1));
  test::WriteBytes(file, bytes);

  CatalogueWindow* w = Open();
  ASSERT_NE(w, nullptr);
  const CatalogueWindow::Controls& c = w->controls();
  c.list->topLevelItem(0)->setCheckState(0, Qt::Checked);
  const CatalogueEntry picked = w->session().model().EntryAt(0);
  const BuildTick tick{picked.id, picked.category, picked.variant};
  c.year->setCurrentIndex(0);
  EXPECT_EQ(w->session().year(), first);
  ExpectRowsMatchModel(w);
  const QString next_year = QString::number(first + 1);
  int marked = 0;
  for (int row = 0; row < c.list->topLevelItemCount(); ++row) {
    const CatalogueEntry& e = w->session().model().EntryAt(static_cast<size_t>(row));
    EXPECT_EQ(Ticked(w, row), BuildTick({e.id, e.category, e.variant}) == tick) << row;
    const bool is_new =
        FromCp1252(w->session().model().EntryAt(static_cast<size_t>(row)).launch) == next_year;
    marked += is_new ? 1 : 0;
    EXPECT_EQ(c.list->topLevelItem(row)->background(0).color() == Qt::red, is_new) << row;
  }
  EXPECT_EQ(marked, 1);
  test::Screenshot(w, "catalogue_window_first_year");
  // Unmarking recolours without refilling.
  c.mark_new->click();
  for (int row = 0; row < c.list->topLevelItemCount(); ++row) {
    EXPECT_NE(c.list->topLevelItem(row)->background(0).color(), Qt::red) << row;
  }
  // Back to the last year and closed: the tick is still the player's.
  c.year->setCurrentIndex(c.year->count() - 1);
  EXPECT_TRUE(Ticked(w, 0));
  c.close->click();
  std::vector<BuildTick> build;
  LoadCatalogueSettings(season_folder_, &build);
  EXPECT_EQ(build, std::vector<BuildTick>{tick});
}

TEST_F(CatalogueWindowTest, SelectionShowsDescriptionAndPicture) {
  CatalogueWindow* w = Open();
  ASSERT_NE(w, nullptr);
  const CatalogueWindow::Controls& c = w->controls();
  c.list->setCurrentItem(c.list->topLevelItem(2));
  const CatalogueEntry& entry = w->session().model().EntryAt(2);
  EXPECT_EQ(c.description->toPlainText(),
            FromCp1252(entry.name + " - " + entry.variant +
                       "\nMarkteinf\xFChrung: " + entry.launch + "\n\n" + entry.description));
  const std::optional<RasterImage> picture = w->session().PictureOf(2);
  ASSERT_TRUE(picture.has_value()) << "the demo season indexes every attraction's picture";
  EXPECT_EQ(c.picture->pixmap().size(), QSize(picture->width(), picture->height()));
  EXPECT_EQ(c.picture->size(), QSize(picture->width(), picture->height()));
  test::Screenshot(w, "catalogue_window_selected");

  c.list->clearSelection();
  EXPECT_EQ(c.description->toPlainText(), QStringLiteral("keine Attraktion ausgewählt"));
  EXPECT_TRUE(c.picture->pixmap().isNull());
}

TEST_F(CatalogueWindowTest, HeaderSortsAndCopyGivesTabSeparatedRows) {
  CatalogueWindow* w = Open();
  ASSERT_NE(w, nullptr);
  const CatalogueWindow::Controls& c = w->controls();
  emit c.list->header()->sectionClicked(2);  // "Kosten"
  ExpectRowsMatchModel(w);
  const auto cost = [&](int row) { return QString(Cell(w, row, 2)).remove('.').toLongLong(); };
  for (int row = 1; row < c.list->topLevelItemCount(); ++row) EXPECT_LE(cost(row - 1), cost(row));
  emit c.list->header()->sectionClicked(2);
  for (int row = 1; row < c.list->topLevelItemCount(); ++row) EXPECT_GE(cost(row - 1), cost(row));
  // The bands follow the new order.
  EXPECT_EQ(c.list->topLevelItem(0)->foreground(5).color(), Qt::white);
  EXPECT_EQ(c.list->topLevelItem(3)->foreground(5).color(), Qt::black);
  c.rebuild->click();
  EXPECT_EQ(w->session().model().sort_column(), -1);

  c.list->topLevelItem(0)->setSelected(true);
  c.list->topLevelItem(4)->setSelected(true);
  c.list->setFocus();
  QApplication::clipboard()->clear();
  QTest::keyClick(c.list, Qt::Key_C, Qt::ControlModifier);
  const QStringList lines =
      QApplication::clipboard()->text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Name\tGesamtpunkte\tKosten")));
  EXPECT_EQ(lines[1].split('\t').size(), kCatalogueColumnCount);
  EXPECT_EQ(lines[2].split('\t')[0], Cell(w, 4, 0));
}

TEST_F(CatalogueWindowTest, AnUnwritableSettingsFileIsReportedOnClose) {
  CatalogueWindow* w = Open();
  ASSERT_NE(w, nullptr);
  // A folder where the settings file should be: it cannot be replaced.
  fs::remove(season_folder_ / "SaveData.ini");
  fs::create_directories(season_folder_ / "SaveData.ini" / "x");
  MessageBoxes::TakeRecorded();
  w->controls().close->click();
  const std::vector<ShownMessage> shown = MessageBoxes::TakeRecorded();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].text.contains(QStringLiteral("nicht gespeichert")));
  EXPECT_TRUE(window_->isVisible());
}

}  // namespace
}  // namespace wunt
