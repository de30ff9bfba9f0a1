// How long the user waits on the big demo season (30 game years, about
// 5,000 parks a year): from the step-3 apply for all parks over the whole
// span to the overview page shown, and from each kind of link command
// (sort, remove, add) to the new page, clicked at once and after reading.
// Each is split into our share (the page written) and the engine's share (the
// page read and laid out: readable with its first rows, then complete).
// The season is written once into <build>/bench/big_season/ and kept, because
// writing it alone takes a while. Prints the figures; judges nothing. Exits
// non-zero when a step does not finish within its bound.
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "common/demo/demo_season.h"
#include "tests/support/gui/gui_support.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/translations.h"
#include "viewer/platform/web_page.h"
#include "viewer/wizard/gui/main_window.h"
#include "viewer/wizard/gui/overview_window.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A step that did not finish within its bound ends the run with its name.
bool Finished(bool finished, const std::string& step) {
  if (!finished) std::fprintf(stderr, "big season: not finished: %s\n", step.c_str());
  return finished;
}

int Measure() {
  const fs::path folder = fs::path(WUNT_BINARY_DIR) / "bench" / "big_season";
  if (!fs::exists(folder / "Data" / "7" / "Park.ini") &&
      !fs::exists(folder / "Data" / "7" / "2019" / "Park.ini")) {
    DemoSeasonOptions options;
    options.years = 30;
    options.parks = 5000;
    options.companies = 1000;
    options.pictures = false;
    std::string error;
    if (!Finished(WriteDemoSeason(folder / "Data", options, nullptr, &error), error)) return 1;
  }
  const test::ScriptedDialogs dialogs;
  MainWindow window(folder);
  window.show();
  const MainWindow::Controls& c = window.controls();
  const Clock::time_point load_start = Clock::now();
  c.kind_value->click();
  c.apply1->click();
  const double load = Seconds(Clock::now() - load_start);
  if (!Finished(window.step() == 1, "season load")) return 1;
  c.calculation->setCurrentIndex(0);
  c.apply2->click();
  c.add_all->click();
  const size_t parks = window.state().selection().chosen().size();

  const fs::path page = folder / "Data" / "Temp.dat";
  fs::remove(page);
  const Clock::time_point start = Clock::now();
  c.apply3->click();
  if (!Finished(
          test::WaitFor([&] { return window.overview() != nullptr; }, std::chrono::minutes(5)),
          "overview window"))
    return 1;
  const double computed = Seconds(Clock::now() - start);
  OverviewWindow* overview = window.overview();
  if (!Finished(test::WaitFor([&] { return fs::exists(page); }, std::chrono::minutes(5)),
                "page written"))
    return 1;
  const double written = Seconds(Clock::now() - start);
  if (!Finished(
          test::WaitFor([&] { return overview->pages_shown() > 0 && !overview->generating(); },
                        std::chrono::minutes(5)),
          "page shown"))
    return 1;
  const double shown = Seconds(Clock::now() - start);
  if (!Finished(
          test::WaitFor([&] { return overview->pages_complete() > 0; }, std::chrono::minutes(5)),
          "complete page"))
    return 1;
  const double complete = Seconds(Clock::now() - start);
  const auto page_bytes = fs::file_size(page);
  std::printf(
      "big season: %zu parks x %d years, page %.1f MB; season load %.2f s\n"
      "  apply -> overview window %.2f s; our share (apply -> page written) %.2f s\n"
      "  engine share: readable after %.2f s more, complete after %.2f s more\n"
      "  apply -> readable page %.2f s, apply -> complete page %.2f s\n",
      parks, c.end_year->value() - c.start_year->value() + 1, static_cast<double>(page_bytes) / 1e6,
      load, computed, written, shown - written, complete - written, shown, complete);
  test::Screenshot(overview, "big_season_overview");

  // The link commands: each writes and shows the whole page again. A long
  // page is readable as a preview of its first rows while the complete page
  // is read behind it. Each kind of link is clicked at once after the
  // complete page has taken its place, while the engine may still be busy
  // with it (our share then includes the wait until it takes the click), at
  // once on the preview of the page before, while the complete page is read
  // behind it, and after a second of reading, on an idle page.
  const QString sort_link = QStringLiteral("document.querySelector('a[href=\"%1\"]').click();");
  const QString remove_first =
      QStringLiteral("document.querySelector('button[name=btn_remove]').click();");
  const QString add_first = QStringLiteral(
      "document.querySelector('select[name=add]').value = '0';"
      "document.querySelector('form button:not([name])').click();");
  enum When { kOnPreview, kOnCompletePage, kAfterReading };
  const struct {
    const char* name;
    QString script;
    When when;
  } links[] = {
      {"at once: sort link \"Name\"", sort_link.arg("window:refresh?sort=-2"), kOnCompletePage},
      {"at once: remove the first park", remove_first, kOnCompletePage},
      {"at once: add it again", add_first, kOnCompletePage},
      {"on the preview: sort by the average", sort_link.arg("window:refresh?sort=-1"), kOnPreview},
      {"on the preview: remove the first park", remove_first, kOnPreview},
      {"on the preview: add it again", add_first, kOnPreview},
      {"after reading: sort link \"Name\"", sort_link.arg("window:refresh?sort=-2"), kAfterReading},
      {"after reading: remove the first park", remove_first, kAfterReading},
      {"after reading: add it again", add_first, kAfterReading},
  };
  for (size_t i = 0; i < std::size(links); ++i) {
    const auto& link = links[i];
    const bool next_on_preview = i + 1 < std::size(links) && links[i + 1].when == kOnPreview;
    if (link.when != kOnPreview) {
      if (!Finished(
              test::WaitFor([&] { return overview->page_complete(); }, std::chrono::minutes(5)),
              "complete page"))
        return 1;
    }
    if (link.when == kAfterReading) test::Settle(std::chrono::seconds(1));
    const int before = overview->pages_shown();
    const auto written_before = fs::last_write_time(page);
    const Clock::time_point link_start = Clock::now();
    test::RunScript(overview->main_view(), link.script);
    if (!Finished(test::WaitFor([&] { return fs::last_write_time(page) != written_before; },
                                std::chrono::minutes(5)),
                  link.name))
      return 1;
    const double link_written = Seconds(Clock::now() - link_start);
    if (!Finished(test::WaitFor(
                      [&] { return overview->pages_shown() > before && !overview->generating(); },
                      std::chrono::minutes(5)),
                  "link page shown"))
      return 1;
    const double link_shown = Seconds(Clock::now() - link_start);
    if (link.when == kOnPreview || next_on_preview) {
      std::printf(
          "  %s: our share %.2f s; engine share: readable after %.2f s more; link -> "
          "readable %.2f s\n",
          link.name, link_written, link_shown - link_written, link_shown);
      continue;
    }
    if (!Finished(test::WaitFor([&] { return overview->page_complete(); }, std::chrono::minutes(5)),
                  "complete page"))
      return 1;
    const double link_complete = Seconds(Clock::now() - link_start);
    std::printf(
        "  %s: our share %.2f s; engine share: readable after %.2f s more, complete after %.2f s "
        "more; link -> readable %.2f s, link -> complete %.2f s\n",
        link.name, link_written, link_shown - link_written, link_complete - link_written,
        link_shown, link_complete);
  }
  if (!Finished(window.state().selection().chosen().size() == parks, "every park back")) return 1;
  test::Screenshot(overview, "big_season_overview");
  // Repeated last, so a script finds the step-3 figures on the final line.
  std::printf("apply -> readable page %.2f s; our share %.2f s\n", shown, written);
  return 0;
}

}  // namespace
}  // namespace wunt

int main(int argc, char** argv) {
  // Runs without a desktop too; the engine wants no sandbox as root.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  wunt::RegisterAppSchemes();
  QApplication app(argc, argv);
  wunt::InstallGermanTranslations(app);
  app.setQuitOnLastWindowClosed(false);
  return wunt::Measure();
}
