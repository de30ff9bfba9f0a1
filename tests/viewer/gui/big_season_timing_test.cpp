// How long the user waits on the big demo season (30 game years, about
// 5,000 parks a year): from the step-3 apply for all parks over the whole
// span to the overview page shown. Runs only when WUNT_MEASURE_BIG is set,
// because writing the season alone takes a while; the figure is printed,
// never judged.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "tests/support/gui/gui_support.h"
#include "tools/support/demo_season.h"
#include "viewer/platform/dialogs.h"
#include "viewer/report/gui/overview_window.h"
#include "viewer/ui/gui/main_window.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

TEST(BigSeason, ApplyToOverviewPageShown) {
  if (std::getenv("WUNT_MEASURE_BIG") == nullptr) GTEST_SKIP() << "set WUNT_MEASURE_BIG=1";
  const fs::path folder = fs::path(WUNT_BINARY_DIR) / "test-gui" / "big_season";
  if (!fs::exists(folder / "Data" / "7" / "Park.ini") &&
      !fs::exists(folder / "Data" / "7" / "2019" / "Park.ini")) {
    DemoSeasonOptions options;
    options.years = 30;
    options.parks = 5000;
    options.companies = 1000;
    options.pictures = false;
    std::string error;
    ASSERT_TRUE(WriteDemoSeason(folder / "Data", options, nullptr, &error)) << error;
  }
  MessageBoxes::StartRecording();
  MainWindow window(folder);
  window.show();
  const MainWindow::Controls& c = window.controls();
  const Clock::time_point load_start = Clock::now();
  c.kind_value->click();
  c.apply1->click();
  const double load = Seconds(Clock::now() - load_start);
  ASSERT_EQ(window.step(), 1);
  c.calculation->setCurrentIndex(0);
  c.apply2->click();
  c.add_all->click();
  const size_t parks = window.state().selection().chosen().size();

  const fs::path page = folder / "Data" / "Temp.dat";
  fs::remove(page);
  const Clock::time_point start = Clock::now();
  c.apply3->click();
  ASSERT_TRUE(test::WaitFor([&] { return window.overview() != nullptr; }, std::chrono::minutes(5)));
  const double computed = Seconds(Clock::now() - start);
  OverviewWindow* overview = window.overview();
  ASSERT_TRUE(test::WaitFor([&] { return fs::exists(page); }, std::chrono::minutes(5)));
  const double written = Seconds(Clock::now() - start);
  ASSERT_TRUE(test::WaitFor([&] { return overview->pages_shown() > 0 && !overview->generating(); },
                            std::chrono::minutes(5)));
  const double shown = Seconds(Clock::now() - start);
  const auto page_bytes = fs::file_size(page);
  std::printf(
      "big season: %zu parks x %d years; season load %.2f s; apply -> overview window %.2f s; "
      "apply -> page written %.2f s; apply -> page shown %.2f s; page %.1f MB\n",
      parks, c.end_year->value() - c.start_year->value() + 1, load, computed, written, shown,
      static_cast<double>(page_bytes) / 1e6);
  test::Screenshot(overview, "big_season_overview");
  MessageBoxes::StopRecording();
}

}  // namespace
}  // namespace wunt
