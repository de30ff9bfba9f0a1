// Every window of the Viewer, opened the way a user opens it, with every
// text whole, every control within reach and a keyboard order that reads
// like the window. The program runs once per desktop setup (the setup's
// name comes in WUNT_FIT_SETUP: the default font, an 11 pt font, twice the
// scale, a small laptop screen, a full-HD screen at 200 %), and saves a
// screenshot of each window under each.
#include "tests/support/gui/window_fit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <cstdio>
#include <cstdlib>

#include "tests/support/gui/gui_support.h"
#include "tests/support/gui/wizard_fixture.h"
#include "viewer/attractions/gui/catalogue_window.h"
#include "viewer/attractions/gui/park_plan_window.h"
#include "viewer/calc/gui/calculation_editor_window.h"
#include "viewer/data/gui/season_progress_window.h"
#include "viewer/platform/geometry.h"
#include "viewer/update/gui/update_options_window.h"
#include "viewer/update/gui/update_progress_window.h"
#include "viewer/wizard/gui/main_window.h"
#include "viewer/wizard/gui/overview_window.h"

namespace wunt {
namespace {

std::string SetupName() {
  const char* setup = std::getenv("WUNT_FIT_SETUP");
  return setup != nullptr ? setup : "default";
}

// The shown top-level window of type W, or nullptr.
template <typename W>
W* Shown() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* found = dynamic_cast<W*>(window); found != nullptr && found->isVisible()) {
      return found;
    }
  }
  return nullptr;
}

// Checks every window on the screen now, and keeps a picture of `shown`.
void CheckAllWindows(const std::string& scene, QWidget* shown) {
  test::Settle(std::chrono::milliseconds(100));
  int checked = 0;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (!window->isVisible() || window->inherits("QMenu")) continue;
    ++checked;
    const QStringList misfits = test::TextsThatDoNotFit(window);
    EXPECT_TRUE(misfits.isEmpty()) << scene << ":\n" << misfits.join('\n').toStdString();
    const QString off = test::OffScreen(window);
    EXPECT_TRUE(off.isEmpty()) << scene << ": " << off.toStdString();
    const QStringList unreachable = test::ControlsOutOfReach(window);
    EXPECT_TRUE(unreachable.isEmpty()) << scene << ":\n" << unreachable.join('\n').toStdString();
    const QStringList over = test::ControlsOverFrames(window);
    EXPECT_TRUE(over.isEmpty()) << scene << ":\n" << over.join('\n').toStdString();
    const QStringList backwards = test::FocusStepsAgainstLayout(window);
    EXPECT_TRUE(backwards.isEmpty()) << scene << ":\n" << backwards.join('\n').toStdString();
  }
  EXPECT_GT(checked, 0) << scene;
  test::Screenshot(shown, "fit_" + SetupName() + "_" + scene);
}

class WindowFit : public test::WizardTest {
 protected:
  WindowFit() : WizardTest("fit_" + SetupName()) {}
  static void SetUpTestSuite() {
    // For the record: the font of this setup and the scale it gives.
    const QFont font = QApplication::font();
    const DialogUnits units(font);
    std::printf("%s: %s %g pt, dialog unit scale %.3f x %.3f\n", SetupName().c_str(),
                font.family().toStdString().c_str(), font.pointSizeF(), units.x_scale(),
                units.y_scale());
  }
};

TEST_F(WindowFit, WizardStepByStep) {
  MainWindow& main = OpenWizard();
  const MainWindow::Controls& c = main.controls();
  CheckAllWindows("tab1", &main);

  c.attractions->click();
  auto* catalogue = Shown<CatalogueWindow>();
  ASSERT_NE(catalogue, nullptr);
  CheckAllWindows("catalogue", catalogue);
  catalogue->close();
  test::Settle(std::chrono::milliseconds(50));

  c.updater->click();
  auto* update_options = Shown<UpdateOptionsWindow>();
  ASSERT_NE(update_options, nullptr);
  CheckAllWindows("update_options", update_options);
  update_options->close();
  test::Settle(std::chrono::milliseconds(50));

  c.kind_year->click();
  c.apply1->click();
  ASSERT_EQ(main.step(), 1);
  CheckAllWindows("tab2", &main);

  c.edit->click();
  auto* editor = Shown<CalculationEditorWindow>();
  ASSERT_NE(editor, nullptr);
  CheckAllWindows("calculation_editor", editor);
  editor->close();
  ASSERT_TRUE(test::WaitFor([&] { return main.isEnabled(); }));

  c.calculation->setCurrentIndex(0);
  c.source->setCurrentIndex(static_cast<int>(SourceKind::kCountries));
  c.apply2->click();
  ASSERT_EQ(main.step(), 2);
  CheckAllWindows("tab3_countries", &main);
  c.source->setCurrentIndex(static_cast<int>(SourceKind::kParks));
  CheckAllWindows("tab3_parks", &main);
  // Every automatic selection shows whole in its chooser.
  ASSERT_GT(c.auto_select->count(), 1);

  c.add_all->click();
  c.apply3->click();
  ASSERT_TRUE(test::WaitFor([&] { return main.overview() != nullptr; }));
  OverviewWindow* overview = main.overview();
  if (overview->generating()) CheckAllWindows("overview_loading", overview);
  ASSERT_TRUE(
      test::WaitFor([&] { return overview->pages_shown() > 0 && !overview->generating(); }));
  CheckAllWindows("overview", overview);

  overview->close();
  ASSERT_TRUE(test::WaitFor([&] { return main.overview() == nullptr && main.isVisible(); }));
  ASSERT_TRUE(c.next3->isEnabled());
  c.next3->click();
  CheckAllWindows("tab4_diagram", &main);
}

// The first start without any season: tab 1 says how to get one.
TEST_F(WindowFit, WizardWithoutData) {
  std::filesystem::remove_all(folder_ / "Data");
  MainWindow& main = OpenWizard();
  ASSERT_TRUE(main.controls().no_season->isVisible());
  CheckAllWindows("tab1_without_data", &main);
}

TEST_F(WindowFit, ParkPlan) {
  MainWindow& main = OpenWizard();
  const MainWindow::Controls& c = main.controls();
  c.kind_park->click();
  c.apply1->click();
  c.calculation->setCurrentIndex(c.calculation->findText(QStringLiteral("Unbenannt")));
  c.apply2->click();
  ASSERT_GT(c.available->count(), 0);
  c.available->setCurrentRow(0);
  c.add->click();
  c.apply3->click();
  ParkPlanWindow* plan = nullptr;
  ASSERT_TRUE(test::WaitFor([&] {
    plan = Shown<ParkPlanWindow>();
    return plan != nullptr && plan->loaded();
  }));
  CheckAllWindows("park_plan", plan);
}

TEST_F(WindowFit, UpdateProgress) {
  for (int task = 0; task < 4; ++task) {
    UpdateProgressWindow window(task);
    window.show();
    CheckAllWindows("update_progress_task" + std::to_string(task), &window);
  }
}

TEST_F(WindowFit, SeasonLoading) {
  SeasonProgressWindow window;
  window.ShowYear(
      {.year = 1994, .step = 5, .maximum = 12, .labels = {"1992", "1993", "1994", "1995", "1996"}});
  window.show();
  CheckAllWindows("season_loading", &window);
}

}  // namespace
}  // namespace wunt
