// The wizard's own rules on tabs 1 to 3: the season chooser, the year
// spins, the calculation chooser's hints, the tab strip and the country
// filters.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>
#include <functional>

#include "common/file_util.h"
#include "common/text.h"
#include "tests/support/child_process.h"
#include "tests/support/gui/gui_support.h"
#include "tests/support/gui/wizard_fixture.h"
#include "viewer/data/gui/season_progress_window.h"
#include "viewer/data/translation.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/geometry.h"
#include "viewer/update/gui/update_options_window.h"
#include "viewer/wizard/gui/main_window.h"
#include "viewer/wizard/gui/overview_window.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

class Wizard : public test::WizardTest {
 protected:
  Wizard() : WizardTest("wizard") {}
  void SetUp() override {
    WizardTest::SetUp();
    // Only folders whose names read as a non-zero number are seasons.
    for (const char* extra : {"3", "notes", "0"}) fs::create_directories(folder_ / "Data" / extra);
    OpenWizard();
  }
  void Apply1(QRadioButton* kind, const QString& season = QStringLiteral("7. Runde")) {
    kind->click();
    c().season->setCurrentIndex(c().season->findText(season));
    c().apply1->click();
  }
};

TEST_F(Wizard, SeasonChooserAndTheFirstApply) {
  ASSERT_EQ(c().season->count(), 2);
  EXPECT_EQ(c().season->itemText(0), QStringLiteral("3. Runde"));
  EXPECT_EQ(c().season->itemText(1), QStringLiteral("7. Runde"));
  EXPECT_EQ(c().season->currentIndex(), 1);
  EXPECT_FALSE(c().back1->isEnabled());
  EXPECT_FALSE(c().next1->isEnabled());
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("WUNT2.1 Viewer (V0.05 Alpa 3)"));
  EXPECT_EQ(window_->size(), DialogUnits(window_.get()).Size(600, 400));

  // A season without data stays on tab 1.
  Apply1(c().kind_value, QStringLiteral("3. Runde"));
  EXPECT_EQ(window_->step(), 0);
  Apply1(c().kind_value);
  EXPECT_EQ(window_->step(), 1);
  EXPECT_TRUE(c().next1->isEnabled());
  EXPECT_FALSE(c().next2->isEnabled());
  test::Screenshot(window_.get(), "wizard_tab2");
}

TEST_F(Wizard, YearSpinsByContentKindAndTheirPushRules) {
  Apply1(c().kind_value);
  const int32_t lowest = window_->state().season_data.lowest_year;
  const int32_t highest = window_->state().season_data.highest_year;
  EXPECT_EQ(c().start_year->minimum(), lowest);
  EXPECT_EQ(c().start_year->maximum(), highest - 1);
  EXPECT_EQ(c().start_year->value(), lowest);
  EXPECT_EQ(c().end_year->minimum(), lowest + 1);
  EXPECT_EQ(c().end_year->value(), highest);
  EXPECT_FALSE(c().vanished->isHidden());

  c().end_year->setValue(lowest + 2);
  c().start_year->setValue(lowest + 2);
  EXPECT_EQ(c().end_year->value(), lowest + 3);
  c().end_year->setValue(lowest + 2);
  EXPECT_EQ(c().start_year->value(), lowest + 1);

  c().back2->click();
  Apply1(c().kind_year);
  EXPECT_TRUE(c().start_year->isHidden());
  EXPECT_TRUE(c().start_label->isHidden());
  EXPECT_TRUE(c().vanished->isHidden());
  EXPECT_EQ(c().end_label->text(), QStringLiteral("gewünschtes Jahr:"));
  EXPECT_EQ(c().end_label->geometry(), DialogUnits(window_.get()).Rect(285, 38, 100, 17));
  EXPECT_EQ(c().end_year->minimum(), lowest);

  c().back2->click();
  Apply1(c().kind_park);
  EXPECT_FALSE(c().start_year->isHidden());
  EXPECT_EQ(c().end_label->text(), QStringLiteral("Ende:"));
  EXPECT_EQ(c().end_label->geometry(), DialogUnits(window_.get()).Rect(335, 38, 50, 17));
  EXPECT_TRUE(c().vanished->isHidden());
}

TEST_F(Wizard, CalculationChooserHintsAndTheTabStrip) {
  Apply1(c().kind_value);
  // Nothing chosen yet: hint B and no apply.
  EXPECT_EQ(c().calculation->currentIndex(), -1);
  EXPECT_FALSE(c().apply2->isEnabled());
  EXPECT_TRUE(c().hint->text().contains(QStringLiteral("anzuzeigenden Daten")));
  for (int i = 0; i < c().calculation->count(); ++i) {
    EXPECT_NE(c().calculation->itemText(i), QStringLiteral("Unbenannt"));
  }
  c().calculation->setCurrentIndex(0);
  EXPECT_TRUE(c().apply2->isEnabled());
  const RequestState& state = window_->state();
  EXPECT_EQ(c().hint->text().toStdString(),
            Cp1252ToUtf8(state.calculations.entries[state.calculations.current].description));

  // Clicking a tab heading never changes the step.
  c().tabs->setCurrentIndex(0);
  EXPECT_EQ(c().tabs->currentIndex(), 1);
  c().tabs->setCurrentIndex(3);
  EXPECT_EQ(c().tabs->currentIndex(), 1);
  c().apply2->click();
  EXPECT_EQ(window_->step(), 2);
  EXPECT_FALSE(c().next3->isEnabled());
}

TEST_F(Wizard, CountryFiltersFollowTheCountriesAndTheSourceKind) {
  Apply1(c().kind_value);
  c().calculation->setCurrentIndex(0);
  c().apply2->click();
  ValueList countries;
  const int count = LoadCountries(folder_ / "Data" / "7", 0, countries);
  ASSERT_GT(count, 1);
  ASSERT_LE(count, kCountryFilterCount);
  for (size_t i = 0; i < kCountryFilterCount; ++i) {
    EXPECT_EQ(!c().filter[i]->isHidden(), static_cast<int>(i) < count) << i;
  }
  EXPECT_EQ(c().filter[0]->text().toStdString(), Cp1252ToUtf8(countries[0].name));
  const DialogUnits units(window_.get());
  EXPECT_EQ(c().filter_all->y(), units.Y(count * 25));
  EXPECT_EQ(c().filter_area->height(), units.Y((count + 1) * 25));

  // Unchecking a country hides its parks and clears "Alle".
  const int all_parks = c().available->count();
  c().filter[0]->click();
  EXPECT_FALSE(c().filter_all->isChecked());
  const int shown = c().available->count();
  EXPECT_LT(shown, all_parks);
  EXPECT_FALSE(c().add->isEnabled());
  c().filter[0]->click();
  EXPECT_TRUE(c().filter_all->isChecked());
  EXPECT_EQ(c().available->count(), all_parks);
  c().filter_all->click();
  EXPECT_EQ(c().available->count(), 0);
  EXPECT_FALSE(c().add_all->isEnabled());
  c().filter_all->click();
  test::Screenshot(window_.get(), "wizard_tab3_filters");

  // Companies: no filters, and the automatic selection offers 41 entries.
  c().source->setCurrentIndex(static_cast<int>(SourceKind::kCompanies));
  EXPECT_FALSE(c().filter[0]->isEnabled());
  EXPECT_FALSE(c().filter_all->isEnabled());
  EXPECT_EQ(c().auto_select->count(), kAutoSelectionEntries);
  c().source->setCurrentIndex(static_cast<int>(SourceKind::kCountries));
  EXPECT_FALSE(c().auto_select->isEnabled());
  EXPECT_EQ(c().auto_select->count(), 1);
  c().source->setCurrentIndex(static_cast<int>(SourceKind::kParks));
  EXPECT_TRUE(c().filter[0]->isEnabled());
}

TEST_F(Wizard, AddAndRemoveButtonsFollowTheLists) {
  Apply1(c().kind_value);
  c().calculation->setCurrentIndex(0);
  c().apply2->click();
  EXPECT_FALSE(c().apply3->isEnabled());
  EXPECT_FALSE(c().add->isEnabled());
  c().available->setCurrentRow(1);
  EXPECT_TRUE(c().add->isEnabled());
  const QString label = c().available->item(1)->text();
  c().add->click();
  EXPECT_TRUE(c().apply3->isEnabled());
  ASSERT_EQ(c().chosen->count(), 1);
  EXPECT_EQ(c().chosen->item(0)->text(), label);
  c().chosen->setCurrentRow(0);
  EXPECT_TRUE(c().remove->isEnabled());
  c().remove->click();
  EXPECT_EQ(c().chosen->count(), 0);
  EXPECT_FALSE(c().remove->isEnabled());

  c().add_all->click();
  EXPECT_EQ(c().available->count(), 0);
  EXPECT_TRUE(c().remove_all->isEnabled());
  EXPECT_FALSE(c().add_all->isEnabled());
  c().remove_all->click();
  EXPECT_EQ(c().chosen->count(), 0);
  EXPECT_FALSE(c().apply3->isEnabled());
  EXPECT_TRUE(c().add_all->isEnabled());
}

// A later step is entered only after its predecessor was applied with the
// current choices: changing a choice takes the road on away until then.
TEST_F(Wizard, ChangedChoicesCloseTheRoadOnUntilApplied) {
  Apply1(c().kind_value);
  const int lowest = c().start_year->value();
  c().calculation->setCurrentIndex(0);
  c().apply2->click();
  ASSERT_EQ(window_->step(), 2);
  ASSERT_TRUE(c().next1->isEnabled());
  ASSERT_TRUE(c().next2->isEnabled());

  c().back3->click();
  c().start_year->setValue(lowest + 1);
  EXPECT_FALSE(c().next2->isEnabled());
  EXPECT_TRUE(c().next1->isEnabled());
  c().apply2->click();
  EXPECT_EQ(window_->state().settings.start_year, lowest + 1);
  EXPECT_TRUE(c().next2->isEnabled());

  // Each kind of choice on tab 2.
  const std::vector<std::function<void()>> tab2_changes = {
      [&] { c().end_year->setValue(c().end_year->value() - 1); },
      [&] { c().vanished->click(); },
      [&] { c().calculation->setCurrentIndex(c().calculation->count() > 1 ? 1 : -1); },
  };
  for (size_t i = 0; i < tab2_changes.size(); ++i) {
    SCOPED_TRACE(i);
    c().back3->click();
    tab2_changes[i]();
    EXPECT_FALSE(c().next2->isEnabled());
    c().calculation->setCurrentIndex(0);
    c().apply2->click();
    EXPECT_TRUE(c().next2->isEnabled());
  }

  // On tab 1 the content kind closes the road to tabs 2 and 3.
  c().back3->click();
  c().back2->click();
  c().kind_year->click();
  EXPECT_FALSE(c().next1->isEnabled());
  EXPECT_FALSE(c().next2->isEnabled());
  Apply1(c().kind_value);
  EXPECT_TRUE(c().next1->isEnabled());
  EXPECT_FALSE(c().next2->isEnabled());
}

// Every tab-3 button after refills, double-clicks and taking all back.
TEST_F(Wizard, TabThreeButtonsFollowTheListsAfterRefills) {
  Apply1(c().kind_value);
  c().calculation->setCurrentIndex(0);
  c().apply2->click();
  auto expect = [&](bool apply, bool add_all, bool remove_all) {
    EXPECT_EQ(c().apply3->isEnabled(), apply);
    EXPECT_EQ(c().add_all->isEnabled(), add_all);
    EXPECT_EQ(c().remove_all->isEnabled(), remove_all);
    EXPECT_EQ(c().add_all->isEnabled(), c().available->count() > 0);
    EXPECT_EQ(c().remove_all->isEnabled(), c().chosen->count() > 0);
  };
  c().add_all->click();
  expect(true, false, true);
  // The lists are filled anew by the step-2 apply: nothing chosen.
  c().back3->click();
  c().apply2->click();
  expect(false, true, false);
  emit c().available->itemDoubleClicked(c().available->item(0));
  expect(true, true, true);
  emit c().chosen->itemDoubleClicked(c().chosen->item(0));
  expect(false, true, false);
  // A new source kind fills anew as well.
  c().add_all->click();
  c().source->setCurrentIndex(static_cast<int>(SourceKind::kCompanies));
  expect(false, true, false);
}

// Without any season the first tab tells a new player how to begin, and
// the updater waits for a season number.
TEST(WizardWithoutData, GuidesTheFirstSeasonAndAsksForItsNumber) {
  test::ScriptedDialogs dialogs;
  const fs::path root = fs::path(WUNT_BINARY_DIR) / "test-programs" / "wizard_no_data";
  fs::remove_all(root);
  for (const bool data_folder : {false, true}) {
    SCOPED_TRACE(data_folder ? "empty Data folder" : "no Data folder");
    if (data_folder) fs::create_directories(root / "Data" / "notes");
    fs::create_directories(root);
    MainWindow window(root);
    window.show();
    const MainWindow::Controls& c = window.controls();
    EXPECT_EQ(c.season->count(), 0);
    EXPECT_FALSE(c.apply1->isEnabled());
    ASSERT_TRUE(c.no_season->isVisible());
    EXPECT_TRUE(c.no_season->text().contains(QStringLiteral("Updater (Rundendaten)")));
    EXPECT_TRUE(c.no_season->text().contains(QStringLiteral("Readme.txt")));
    EXPECT_TRUE(c.demo->isVisible());
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(window.step(), 0);
    test::Screenshot(&window, "wizard_without_data");
  }
  MainWindow window(root);
  window.show();
  const MainWindow::Controls& c = window.controls();
  for (const char* text : {"", "0", "Runde 9"}) {
    SCOPED_TRACE(text);
    c.season->setEditText(QString::fromUtf8(text));
    c.updater->click();
    EXPECT_EQ(window.update_options(), nullptr);
    const std::vector<ShownMessage> shown = MessageBoxes::TakeRecorded();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("Nummer deiner Runde")));
  }
  // A number without its folder yet: the updater may fetch it, the step
  // waits for it.
  c.season->setEditText(QStringLiteral("9. Runde"));
  EXPECT_FALSE(c.apply1->isEnabled());
  EXPECT_TRUE(c.no_season->text().contains(QStringLiteral("Runde 9 ")));
}

// "Beispielrunde anlegen" writes our demo season into the empty folder, and
// the wizard offers it at once.
TEST(WizardWithoutData, WritesTheDemoSeasonOnRequest) {
  test::ScriptedDialogs dialogs;
  const fs::path root = fs::path(WUNT_BINARY_DIR) / "test-programs" / "wizard_demo_button";
  fs::remove_all(root);
  fs::create_directories(root);
  MainWindow window(root);
  window.show();
  const MainWindow::Controls& c = window.controls();
  c.demo->click();
  ASSERT_NE(window.demo_season(), nullptr);
  EXPECT_FALSE(window.isEnabled());
  ASSERT_TRUE(test::WaitFor([&] { return window.demo_season() == nullptr; }));
  EXPECT_TRUE(MessageBoxes::TakeRecorded().empty());
  EXPECT_TRUE(window.isEnabled());
  ASSERT_EQ(c.season->count(), 1);
  EXPECT_EQ(c.season->currentText(), QStringLiteral("7. Runde"));
  EXPECT_FALSE(c.demo->isVisible());
  EXPECT_FALSE(c.no_season->isVisible());
  c.apply1->click();
  EXPECT_EQ(window.step(), 1);
}

// A new player's whole first start against our local update server: the
// season typed into the field, the real updater, "Übernehmen", a table.
TEST(FirstStart, FromAnEmptyFolderToATable) {
  test::ScriptedDialogs dialogs;
  const fs::path root = fs::path(WUNT_BINARY_DIR) / "test-programs" / "first_start";
  fs::remove_all(root);
  fs::create_directories(root);
  const fs::path served = fs::path(WUNT_BINARY_DIR) / "test-programs" / "first_start_served";
  fs::remove_all(served);
  test::ChildProcess server;
  ASSERT_TRUE(server.Start({WUNT_UPDATE_SERVER_PATH, "--data", served.string(), "--season", "9",
                            "--demo", "--years", "3", "--parks", "30", "--port", "0"}));
  const std::optional<std::string> listening = server.ReadLine(std::chrono::seconds(60));
  ASSERT_TRUE(listening.has_value());
  ASSERT_EQ(listening->rfind("Listening on 127.0.0.1:", 0), 0u) << *listening;
  const std::string port = std::to_string(LeadingDecimal(listening->substr(23)));
  ASSERT_TRUE(WriteFileAtomically(root / "Server.ini",
                                  "[Update]\r\nHost = 127.0.0.1\r\nPort = " + port +
                                      "\r\n[Game]\r\nHost = 127.0.0.1\r\nPort = " + port + "\r\n"));
  fs::copy_file(WUNT_UPDATER_PATH, root / "WUNT_Updater");
  fs::permissions(root / "WUNT_Updater", fs::perms::owner_all, fs::perm_options::add);

  MainWindow window(root);
  window.show();
  const MainWindow::Controls& c = window.controls();
  QTest::keyClicks(c.season, QStringLiteral("9"));
  EXPECT_FALSE(c.apply1->isEnabled());
  c.updater->click();
  ASSERT_NE(window.update_options(), nullptr);
  window.update_options()->controls().start->click();
  std::vector<ShownMessage> shown;
  ASSERT_TRUE(test::WaitFor(
      [&] {
        for (ShownMessage& box : MessageBoxes::TakeRecorded()) shown.push_back(std::move(box));
        return !shown.empty();
      },
      std::chrono::seconds(120)));
  EXPECT_TRUE(shown.front().text.startsWith(QStringLiteral("Rundendaten geladen (")))
      << shown.front().text.toStdString();
  window.update_options()->controls().close->click();
  server.Terminate();
  EXPECT_EQ(c.season->currentText(), QStringLiteral("9. Runde"));
  ASSERT_TRUE(c.apply1->isEnabled());
  c.apply1->click();
  for (const ShownMessage& box : MessageBoxes::TakeRecorded())
    ADD_FAILURE() << box.text.toStdString();
  ASSERT_EQ(window.step(), 1);
  c.calculation->setCurrentIndex(0);
  c.apply2->click();
  ASSERT_EQ(window.step(), 2);
  c.add_all->click();
  c.apply3->click();
  ASSERT_TRUE(test::WaitFor([&] { return window.overview() != nullptr; }));
  OverviewWindow* overview = window.overview();
  ASSERT_TRUE(
      test::WaitFor([&] { return overview->pages_shown() > 0 && !overview->generating(); }));
  EXPECT_GT(window.state().table.rows.size(), 0u);
  EXPECT_TRUE(test::PageHtml(overview->main_view()).contains(QStringLiteral("open:park?id=")));
}

TEST_F(Wizard, KeyboardReturnFocusOrderAndSeveralLinesAtOnce) {
  QApplication::setActiveWindow(window_.get());
  // Return applies the step, and each step starts at its first choice.
  EXPECT_EQ(window_->focusWidget(), c().kind_value);
  QTest::keyClick(c().kind_value, Qt::Key_Return);
  ASSERT_EQ(window_->step(), 1);
  EXPECT_EQ(window_->focusWidget(), c().calculation);
  c().calculation->setCurrentIndex(0);
  QTest::keyClick(c().calculation, Qt::Key_Return);
  ASSERT_EQ(window_->step(), 2);
  EXPECT_EQ(window_->focusWidget(), c().available);

  // The way through tab 3 reads like the tab: the country boxes stand above
  // "Übernehmen" and come before it.
  int apply_at = -1;
  int filter_at = -1;
  QWidget* at = c().source;
  for (int i = 0; i < 400; ++i, at = at->nextInFocusChain()) {
    if (at == c().apply3 && apply_at < 0) apply_at = i;
    if (at == c().filter[0] && filter_at < 0) filter_at = i;
  }
  ASSERT_GE(apply_at, 0);
  ASSERT_GE(filter_at, 0);
  EXPECT_LT(filter_at, apply_at);

  // Shift and Ctrl select several lines; the button moves them all.
  ASSERT_GE(c().available->count(), 4);
  const QString first = c().available->item(0)->text();
  const QString third = c().available->item(2)->text();
  c().available->item(0)->setSelected(true);
  c().available->item(2)->setSelected(true);
  c().add->click();
  ASSERT_EQ(c().chosen->count(), 2);
  EXPECT_EQ(c().chosen->item(0)->text(), first);
  EXPECT_EQ(c().chosen->item(1)->text(), third);
  // Return on a list moves its selected lines and applies nothing.
  c().chosen->item(1)->setSelected(true);
  QTest::keyClick(c().chosen, Qt::Key_Return);
  EXPECT_EQ(c().chosen->count(), 1);
  EXPECT_EQ(window_->step(), 2);
  EXPECT_FALSE(window_->computing());
  c().available->setCurrentRow(0);
  QTest::keyClick(c().available, Qt::Key_Enter);
  EXPECT_EQ(c().chosen->count(), 2);
  // The cursor stays in place: Return again moves the next neighbour.
  QTest::keyClick(c().available, Qt::Key_Enter);
  EXPECT_EQ(c().chosen->count(), 3);
  EXPECT_EQ(c().available->currentRow(), 0);

  // One wheel notch over the country boxes scrolls by one box.
  QScrollBar* bar = c().filters->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  bar->setValue(0);
  QWidget* viewport = c().filters->viewport();
  QWheelEvent notch(QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)), QPoint(),
                    QPoint(0, -QWheelEvent::DefaultDeltasPerStep), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(viewport, &notch);
  EXPECT_EQ(bar->value(), c().filter[1]->y());
}

TEST(SeasonProgressWindow, FiveYearLabelsAndTheCalendarSpan) {
  SeasonProgressWindow window;
  window.show();
  YearProgress progress;
  progress.year = 2001;
  progress.step = 1;
  progress.maximum = 5;  // 2001 and 2005 span five calendar years
  progress.labels = {"", "", "2001", "2005", ""};
  window.ShowYear(progress);
  const char* expected[] = {"", "", "2001", "2005", ""};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(window.year_labels()[i]->text().toStdString(), expected[i]) << i;
  }
  EXPECT_EQ(window.bar()->maximum(), 5);
  EXPECT_EQ(window.bar()->value(), 1);
  EXPECT_EQ(window.year_labels()[2]->geometry(), DialogUnits(&window).Rect(105, 34, 90, 43));
  EXPECT_EQ(window.size(), DialogUnits(&window).Size(300, 110));
  test::Screenshot(&window, "season_progress");
}

}  // namespace
}  // namespace wunt
