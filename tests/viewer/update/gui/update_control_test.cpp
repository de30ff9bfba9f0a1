// The update options and progress windows with a stand-in updater (a shell
// script under the updater's name that prints chosen lines, reads its input
// and records what it got), and once with the real WUNT_Updater against our
// local update server.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/text.h"
#include "tests/support/child_process.h"
#include "tests/support/gui/gui_support.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/geometry.h"
#include "viewer/update/gui/update_options_window.h"
#include "viewer/update/gui/update_progress_window.h"
#include "viewer/wizard/gui/main_window.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

const QString kTitle = QStringLiteral("WUNT2.1 Viewer (V0.05 Alpa 3)");
const QString kUpdaterTitle = QStringLiteral("WUNT2.1 Viewer (V0.05 Alpa 3) - Updater");
const QString kEndedUnexpectedly = QStringLiteral("Der Updater wurde unerwartet beendet.");

// Waits (bounded) for the file `name` in the working directory, which the
// test creates when it has looked at the window.
std::string WaitForFile(const std::string& name) {
  return "i=0; while [ ! -e " + name + " ] && [ $i -lt 600 ]; do sleep 0.05; i=$((i+1)); done\n";
}

std::vector<int32_t> YearFolders(const fs::path& season) {
  std::vector<int32_t> years;
  for (const fs::directory_entry& entry : fs::directory_iterator(season)) {
    const int64_t year = LeadingDecimal(entry.path().filename().string());
    if (entry.is_directory() && year != 0) years.push_back(static_cast<int32_t>(year));
  }
  std::sort(years.begin(), years.end());
  return years;
}

class UpdateControl : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = test::MakeProgramFolder(
        std::string("update_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    // What an earlier run of this test left beside the data.
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
      if (entry.path().filename() != "Data") fs::remove_all(entry.path());
    }
    dialogs_ = std::make_unique<test::ScriptedDialogs>();
  }
  void TearDown() override {
    window_.reset();
    dialogs_.reset();
  }

  // The stand-in records its command line in its working directory first.
  // A new file each time: a shell still running the last one reads on.
  void WriteStandIn(const std::string& body) {
    const fs::path path = folder_ / "WUNT_Updater";
    ASSERT_TRUE(WriteFileAtomically(path, "#!/bin/sh\necho \"$*\" > args.txt\n" + body));
    fs::permissions(path, fs::perms::owner_all);
  }
  std::string Recorded(const char* name) { return ReadWholeFile(folder_ / name).value_or(""); }
  void Touch(const char* name) { test::WriteBytes(folder_ / name, ""); }

  UpdateOptionsWindow& Open(int64_t season = 7) {
    window_ = std::make_unique<UpdateOptionsWindow>(folder_, season);
    window_->show();
    return *window_;
  }
  const UpdateOptionsWindow::Controls& c() const { return window_->controls(); }
  UpdateProgressWindow* progress() const { return window_->progress(); }

  // The one message box that ends a run.
  ShownMessage WaitForMessage(milliseconds limit = milliseconds(30000)) {
    std::vector<ShownMessage> shown;
    EXPECT_TRUE(test::WaitFor(
        [&] {
          for (ShownMessage& box : MessageBoxes::TakeRecorded()) shown.push_back(std::move(box));
          return !shown.empty();
        },
        limit));
    test::Settle(milliseconds(50));
    for (ShownMessage& box : MessageBoxes::TakeRecorded()) shown.push_back(std::move(box));
    EXPECT_EQ(shown.size(), 1u);
    return shown.empty() ? ShownMessage{} : shown.front();
  }
  ShownMessage RunToEnd() {
    c().start->click();
    ShownMessage shown = WaitForMessage();
    EXPECT_EQ(progress(), nullptr);
    EXPECT_TRUE(window_->isEnabled());
    return shown;
  }

  fs::path folder_;
  std::unique_ptr<test::ScriptedDialogs> dialogs_;
  std::unique_ptr<UpdateOptionsWindow> window_;
};

TEST_F(UpdateControl, OptionsWindowEntriesAndBoxRules) {
  const fs::path season = folder_ / "Data" / "7";
  fs::create_directories(season / "Images2");
  const std::vector<int32_t> years = YearFolders(season);
  Open();
  EXPECT_EQ(window_->windowTitle(), kUpdaterTitle);
  EXPECT_EQ(window_->size(), DialogUnits(window_.get()).Size(300, 145));
  EXPECT_EQ(c().frame->title(), QStringLiteral("Optionen"));
  EXPECT_EQ(c().data->text(), QStringLiteral("Rundendaten aktualisieren"));
  EXPECT_EQ(c().images->text(), QStringLiteral("Attraktionsbilder aktualisieren"));
  EXPECT_EQ(c().start->text(), QStringLiteral("Aktualisieren"));
  EXPECT_EQ(c().close->text(), QStringLiteral("Schließen"));

  QStringList expected = {QStringLiteral("Program aktualisieren"),
                          QStringLiteral("neue Jahre laden")};
  for (const int32_t year : years) expected << QStringLiteral("neuladen des Jahres %1").arg(year);
  QStringList entries;
  for (int i = 0; i < c().task->count(); ++i) entries << c().task->itemText(i);
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(c().task->currentIndex(), 1);
  EXPECT_TRUE(c().data->isChecked() && c().images->isChecked());
  EXPECT_TRUE(c().data->isEnabled() && c().images->isEnabled());
  test::Screenshot(window_.get(), "update_options");

  // The program update greys both boxes and keeps their ticks.
  c().task->setCurrentIndex(0);
  EXPECT_FALSE(c().data->isEnabled() || c().images->isEnabled());
  EXPECT_TRUE(c().data->isChecked() && c().images->isChecked());
  c().task->setCurrentIndex(2);
  EXPECT_TRUE(c().data->isEnabled() && c().images->isEnabled());

  // One box always stays ticked.
  struct Click {
    QCheckBox* box;
    bool data_after;
    bool images_after;
  };
  const Click clicks[] = {{c().data, false, true},
                          {c().images, true, false},
                          {c().data, false, true},
                          {c().images, true, false},
                          {c().images, true, true}};
  for (const Click& click : clicks) {
    click.box->click();
    EXPECT_EQ(c().data->isChecked(), click.data_after);
    EXPECT_EQ(c().images->isChecked(), click.images_after);
  }
}

TEST_F(UpdateControl, StepsProgressAndTheReadySummary) {
  // Lines end at LF, CR LF or CR, also split across reads.
  WriteStandIn("printf 'Step 1\\nProgress 16\\n'\n" + WaitForFile("go") +
               "printf 'Step 2\\r\\nProg'\nsleep 0.3\nprintf 'ress 500\\r'\n" + WaitForFile("go2") +
               "printf '\\nStep 3\\nProgress 1000\\nReady 1970 1971|1971\\n'\n");
  Open();
  c().start->click();
  UpdateProgressWindow* window = progress();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window_->isEnabled());
  EXPECT_EQ(window->windowTitle(), kUpdaterTitle);
  EXPECT_EQ(window->size(), DialogUnits(window).Size(400, 110));
  const UpdateProgressWindow::Controls& p = window->controls();
  EXPECT_EQ(p.steps[0]->text(), QStringLiteral("- Informationen sammeln -"));
  EXPECT_EQ(p.steps[1]->text(), QStringLiteral("--- Rundendaten laden ---"));
  EXPECT_EQ(p.steps[2]->text(), QStringLiteral("----- Bilder  laden -----"));
  EXPECT_EQ(p.cancel->text(), QStringLiteral("Abbrechen"));
  EXPECT_EQ(p.bar->maximum(), 1000);
  ASSERT_TRUE(test::WaitFor([&] { return p.bar->value() == 16; }));
  EXPECT_EQ(window->highlighted_step(), 1);

  Touch("go");
  ASSERT_TRUE(test::WaitFor([&] { return p.bar->value() == 500; }));
  EXPECT_EQ(window->highlighted_step(), 2);
  // Bold at the size of the steps around it, whatever the desktop's font.
  const QFont bold = p.steps[1]->font();
  EXPECT_EQ(bold.family(), p.steps[0]->font().family());
  EXPECT_EQ(bold.pointSizeF(), p.steps[0]->font().pointSizeF());
  EXPECT_TRUE(bold.bold());
  EXPECT_FALSE(p.steps[0]->font().bold());
  EXPECT_FALSE(p.steps[2]->font().bold());
  test::Screenshot(window, "update_progress");

  Touch("go2");
  const ShownMessage shown = WaitForMessage();
  EXPECT_EQ(shown.title, kUpdaterTitle);
  EXPECT_EQ(shown.text, QStringLiteral("Rundendaten geladen (1970, 1971)\nBilder geladen (1971)"));
  EXPECT_EQ(shown.icon, MessageIcon::kInformation);
  EXPECT_EQ(progress(), nullptr);
  EXPECT_TRUE(window_->isEnabled());
  EXPECT_EQ(Recorded("args.txt"), "-t 1 -r 7 Image Data\n");
  ASSERT_EQ(window_->outcomes().size(), 1u);
  EXPECT_EQ(window_->outcomes()[0].data_years, (std::vector<std::string>{"1970", "1971"}));
}

TEST_F(UpdateControl, EveryRunEndsWithOneMessageAndTheWindowStaysForTheNext) {
  struct Case {
    const char* what;
    std::string body;
    QString message;
  };
  const Case cases[] = {
      {"error line", "printf 'Step 1\\nError Server konnte nicht erreicht werden.\\n'\n",
       QStringLiteral("Es ist ein Fehler aufgetrehten: \nServer konnte nicht erreicht werden.")},
      {"unknown line, updater goes on", "printf 'Step 1\\nHallo Welt\\n'\nsleep 1\n",
       QStringLiteral("Unbekannter Befehl: Hallo Welt")},
      {"later lines are not read", "printf 'Ready\\nError x\\n'\n",
       QStringLiteral("Kein neues Jahr verfügbar.")},
      {"final line without its end", "printf 'Step 1\\nReady 1980'\n",
       QStringLiteral("Rundendaten geladen (1980)")},
      {"crash", "printf 'Step 2\\nProgress 100\\n'\nkill -9 $$\n", kEndedUnexpectedly},
      {"quiet exit", "printf 'Step 1\\n'\nexit 0\n", kEndedUnexpectedly},
      {"cut final line", "printf 'Step 3\\nRea'\n", kEndedUnexpectedly},
  };
  Open();
  size_t runs = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteStandIn(c.body);
    const ShownMessage shown = RunToEnd();
    // A run that broke off goes on to say what is on disk.
    EXPECT_TRUE(shown.text.startsWith(c.message)) << shown.text.toStdString();
    EXPECT_EQ(shown.title, kUpdaterTitle);
    EXPECT_EQ(shown.icon, MessageIcon::kInformation);
    EXPECT_EQ(window_->outcomes().size(), ++runs);
  }
  // A run that broke off never reads as a success.
  EXPECT_EQ(window_->outcomes().back().kind, UpdaterActionKind::kEnded);
}

TEST_F(UpdateControl, CancelRequestsGoToTheUpdaterUntilItAnswers) {
  WriteStandIn(
      "printf 'Step 2\\n'\nread a\necho \"$a\" >> input.txt\nprintf 'Progress 500\\n'\n"
      "read b\necho \"$b\" >> input.txt\nprintf 'Cancle\\n'\n");
  Open();
  c().start->click();
  UpdateProgressWindow* window = progress();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(test::WaitFor([&] { return window->highlighted_step() == 2; }));
  window->controls().cancel->click();
  ASSERT_TRUE(test::WaitFor([&] { return window->controls().bar->value() == 500; }));
  // The first request is only an ask: the window stays until the answer.
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(MessageBoxes::TakeRecorded().empty());
  // The window's own close control asks the same way.
  window->close();
  const ShownMessage shown = WaitForMessage();
  EXPECT_TRUE(shown.text.startsWith(QStringLiteral("Abgebrochen. Keine neuen Jahre geladen")))
      << shown.text.toStdString();
  EXPECT_EQ(Recorded("input.txt"), "Cancle\nCancle\n");
}

TEST_F(UpdateControl, AnUpdaterThatCannotStart) {
  struct Case {
    const char* what;
    bool write_file;
  };
  for (const Case& c : {Case{"missing", false}, Case{"not executable", true}}) {
    SCOPED_TRACE(c.what);
    if (c.write_file) test::WriteBytes(folder_ / "WUNT_Updater", "#!/bin/sh\nprintf 'Ready\\n'\n");
    Open();
    const ShownMessage shown = RunToEnd();
    EXPECT_EQ(shown.title, kTitle);
    EXPECT_EQ(shown.text, QStringLiteral("Starten des Updaters fehlgeschlagen!"));
    EXPECT_EQ(shown.icon, MessageIcon::kError);
    EXPECT_TRUE(window_->outcomes().empty());
  }
}

TEST_F(UpdateControl, CommandLineAndStepNamesFollowTheTask) {
  struct Case {
    int task;
    QCheckBox* UpdateOptionsWindow::Controls::*untick;
    const char* arguments;
    QString first_step;
  };
  const Case cases[] = {
      {0, nullptr, "-t 0 Image Data\n", QStringLiteral("Programmversion überprüfen")},
      {1, &UpdateOptionsWindow::Controls::images, "-t 1 -r 7 Data\n",
       QStringLiteral("- Informationen sammeln -")},
      {3, &UpdateOptionsWindow::Controls::data, "-t 3 -r 7 Image\n",
       QStringLiteral("alte Daten löschen")},
  };
  WriteStandIn("printf 'Ready\\n'\n");
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.task);
    window_->controls().task->setCurrentIndex(c.task);
    if (c.untick != nullptr) (window_->controls().*c.untick)->click();
    window_->controls().start->click();
    ASSERT_NE(progress(), nullptr);
    EXPECT_EQ(progress()->controls().steps[0]->text(), c.first_step);
    WaitForMessage();
    EXPECT_EQ(Recorded("args.txt"), c.arguments);
    // Back to both boxes ticked for the next row.
    for (QCheckBox* box : {window_->controls().data, window_->controls().images}) {
      if (!box->isChecked()) box->click();
    }
  }
}

// The wizard's button: the wizard hides while the options window is open,
// and a run that added a year to the loaded season makes the next step-1
// apply read it.
TEST_F(UpdateControl, WizardButtonAndTheReloadAfterNewYears) {
  const fs::path season = folder_ / "Data" / "7";
  const int32_t last = YearFolders(season).back();
  const std::string added = std::to_string(last + 1);
  // A new year as the updater would leave it.
  WriteStandIn("cp -r Data/7/" + std::to_string(last) + " Data/7/" + added + "\nprintf 'Ready " +
               added + "\\n'\n");
  MainWindow wizard(folder_);
  wizard.show();
  const MainWindow::Controls& w = wizard.controls();
  w.apply1->click();
  ASSERT_EQ(wizard.step(), 1);
  EXPECT_EQ(w.end_year->maximum(), last);
  w.back2->click();

  w.updater->click();
  ASSERT_NE(wizard.update_options(), nullptr);
  EXPECT_FALSE(wizard.isVisible());
  EXPECT_TRUE(wizard.update_options()->isVisible());
  EXPECT_EQ(wizard.update_options()->season(), 7);
  fs::create_directories(folder_ / "Data" / "9");  // a season that came meanwhile
  wizard.update_options()->controls().start->click();
  EXPECT_EQ(WaitForMessage().text, QStringLiteral("Rundendaten geladen (%1)").arg(last + 1));
  wizard.update_options()->controls().close->click();
  EXPECT_EQ(wizard.update_options(), nullptr);
  EXPECT_TRUE(wizard.isVisible());
  EXPECT_EQ(wizard.state().season, 7);  // the loaded season is kept
  EXPECT_EQ(w.season->currentText(), QStringLiteral("7. Runde"));
  EXPECT_NE(w.season->findText(QStringLiteral("9. Runde")), -1);
  EXPECT_FALSE(w.next1->isEnabled());

  w.apply1->click();
  ASSERT_EQ(wizard.step(), 1);
  EXPECT_EQ(w.end_year->maximum(), last + 1);
}

// The real updater against the local update server: from the button to the
// new years in the span.
TEST_F(UpdateControl, RealUpdaterFetchesNewYearsIntoTheSpan) {
  const fs::path source = folder_ / "served";
  test::ChildProcess server;
  ASSERT_TRUE(server.Start({WUNT_UPDATE_SERVER_PATH, "--data", source.string(), "--season", "9",
                            "--demo", "--years", "8", "--parks", "40", "--port", "0",
                            "--copy-base-to", (folder_ / "Data").string()}));
  const std::optional<std::string> listening = server.ReadLine(milliseconds(60000));
  ASSERT_TRUE(listening.has_value());
  ASSERT_EQ(listening->rfind("Listening on 127.0.0.1:", 0), 0u) << *listening;
  const std::string port = std::to_string(LeadingDecimal(listening->substr(23)));
  ASSERT_TRUE(WriteFileAtomically(folder_ / "Server.ini",
                                  "[Update]\r\nHost = 127.0.0.1\r\nPort = " + port +
                                      "\r\n[Game]\r\nHost = 127.0.0.1\r\nPort = " + port + "\r\n"));
  // A copy, not a link: the updater finds Data/ beside its own file.
  fs::copy_file(WUNT_UPDATER_PATH, folder_ / "WUNT_Updater");
  fs::permissions(folder_ / "WUNT_Updater", fs::perms::owner_all, fs::perm_options::add);
  // The player has the first six years; the server has two more.
  const std::vector<int32_t> served = YearFolders(source / "9");
  ASSERT_EQ(served.size(), 8u);
  for (size_t i = 0; i < 6; ++i) {
    const std::string year = std::to_string(served[i]);
    fs::copy(source / "9" / year, folder_ / "Data" / "9" / year, fs::copy_options::recursive);
  }

  MainWindow wizard(folder_);
  wizard.show();
  const MainWindow::Controls& w = wizard.controls();
  w.season->setCurrentIndex(w.season->findText(QStringLiteral("9. Runde")));
  w.apply1->click();
  ASSERT_EQ(wizard.step(), 1);
  EXPECT_EQ(w.end_year->maximum(), served[5]);
  w.back2->click();

  w.updater->click();
  ASSERT_NE(wizard.update_options(), nullptr);
  wizard.update_options()->controls().start->click();
  const ShownMessage shown = WaitForMessage(milliseconds(120000));
  EXPECT_TRUE(shown.text.startsWith(QStringLiteral("Rundendaten geladen (%1, %2)\nBilder geladen (")
                                        .arg(served[6])
                                        .arg(served[7])))
      << shown.text.toStdString();
  wizard.update_options()->controls().close->click();
  server.Terminate();

  EXPECT_EQ(w.season->currentText(), QStringLiteral("9. Runde"));
  w.apply1->click();
  ASSERT_EQ(wizard.step(), 1);
  EXPECT_EQ(w.end_year->maximum(), served[7]);
  EXPECT_EQ(wizard.state().season_data.highest_year, served[7]);
}

}  // namespace
}  // namespace wunt
