// The Viewer driven like a user on a demo season: the wizard's three steps,
// the computation, the overview window and its link commands.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QWebEngineView>
#include <cctype>
#include <utility>

#include "common/file_util.h"
#include "common/server_config.h"
#include "common/text.h"
#include "tests/support/gui/gui_support.h"
#include "tests/support/gui/wizard_fixture.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/web_page.h"
#include "viewer/report/html_writer.h"
#include "viewer/wizard/gui/main_window.h"
#include "viewer/wizard/gui/overview_window.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::Screenshot;
using test::WaitFor;

class ViewerRoad : public test::WizardTest {
 protected:
  ViewerRoad() : WizardTest("road") {}
  void SetUp() override {
    WizardTest::SetUp();
    OpenWizard();
  }

  void ApplyStep1(ContentKind kind) {
    QRadioButton* buttons[] = {c().kind_value, c().kind_park, c().kind_year};
    buttons[static_cast<int>(kind)]->click();
    c().apply1->click();
    ASSERT_EQ(window_->step(), 1);
  }
  // Step 2 with the calculation named `name`, whole span.
  void ApplyStep2(const QString& name, SourceKind source = SourceKind::kParks) {
    const int index = c().calculation->findText(name);
    ASSERT_GE(index, 0) << name.toStdString();
    c().calculation->setCurrentIndex(index);
    c().source->setCurrentIndex(static_cast<int>(source));
    c().apply2->click();
    ASSERT_EQ(window_->step(), 2);
  }
  // Step 3: apply and wait for the overview page.
  OverviewWindow* ApplyStep3() {
    c().apply3->click();
    if (!WaitFor([&] { return window_->overview() != nullptr; })) return nullptr;
    OverviewWindow* overview = window_->overview();
    if (!WaitFor([&] { return overview->pages_shown() > 0 && !overview->generating(); })) {
      return nullptr;
    }
    return overview;
  }
  // Waits for the page generation after a command to be shown.
  bool WaitForNewPage(OverviewWindow* overview, int before) {
    return WaitFor([&] { return overview->pages_shown() > before && !overview->generating(); });
  }
  std::string TempDat() const { return ReadWholeFile(folder_ / "Data" / "Temp.dat").value_or(""); }
  static size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  // Collects the addresses sent to the system browser; true when any came.
  bool Take() {
    for (const QUrl& url : SystemBrowser::TakeOpened()) opened_.push_back(url);
    return !opened_.empty();
  }

  std::vector<QUrl> opened_;
};

TEST_F(ViewerRoad, ValueOverParksReachesTheOverviewAndBack) {
  Screenshot(window_.get(), "road_tab1");
  ApplyStep1(ContentKind::kValue);
  ApplyStep2(c().calculation->itemText(0));
  Screenshot(window_.get(), "road_tab3");
  c().add_all->click();
  const size_t chosen = window_->state().selection().chosen().size();
  ASSERT_GT(chosen, 0u);
  // While the worker computes, the wizard is disabled and shows its bar
  // in place of the three buttons.
  c().apply3->click();
  ASSERT_TRUE(window_->computing());
  EXPECT_FALSE(window_->isEnabled());
  EXPECT_FALSE(c().progress->isHidden());
  EXPECT_TRUE(c().apply3->isHidden());
  ASSERT_TRUE(WaitFor([&] { return window_->overview() != nullptr; }));
  EXPECT_TRUE(window_->isEnabled());
  EXPECT_TRUE(c().progress->isHidden());
  EXPECT_FALSE(c().apply3->isHidden());
  OverviewWindow* overview = window_->overview();
  ASSERT_TRUE(WaitFor([&] { return overview->pages_shown() > 0 && !overview->generating(); }));
  ASSERT_NE(overview, nullptr);
  EXPECT_FALSE(window_->isVisible());
  Screenshot(overview, "road_overview_parks");
  const std::string page = TempDat();
  EXPECT_EQ(Count(page, "href=\"open:park?id="), chosen);
  EXPECT_EQ(window_->computations(), 1);

  overview->close();
  ASSERT_TRUE(WaitFor([&] { return window_->overview() == nullptr; }));
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(c().tabs->currentIndex(), 2);
  // A changed list takes the road to tab 4 away until the next apply.
  ASSERT_TRUE(c().next3->isEnabled());
  c().chosen->setCurrentRow(0);
  c().remove->click();
  EXPECT_FALSE(c().next3->isEnabled());

  // The same source kind again opens the result without computing.
  ASSERT_NE(ApplyStep3(), nullptr);
  EXPECT_EQ(window_->computations(), 1);
}

TEST_F(ViewerRoad, EveryContentAndSourceKindReachesItsPage) {
  struct Case {
    ContentKind content_kind;
    SourceKind source_kind;
    const char* link;  // the in-app entity link of the source kind
  };
  const Case cases[] = {
      {ContentKind::kValue, SourceKind::kParks, "open:park?id="},
      {ContentKind::kValue, SourceKind::kCompanies, "open:company?id="},
      {ContentKind::kValue, SourceKind::kCountries, "open:country?id="},
      {ContentKind::kYear, SourceKind::kParks, "open:park?id="},
      {ContentKind::kYear, SourceKind::kCompanies, "open:company?id="},
      {ContentKind::kYear, SourceKind::kCountries, "open:country?id="},
      {ContentKind::kPark, SourceKind::kParks, "open:park?id="},
      {ContentKind::kPark, SourceKind::kCompanies, "open:company?id="},
      {ContentKind::kPark, SourceKind::kCountries, "open:country?id="},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "content " << static_cast<int>(k.content_kind) << " source "
                                    << static_cast<int>(k.source_kind));
    window_ = std::make_unique<MainWindow>(folder_);
    window_->show();
    ApplyStep1(k.content_kind);
    // "Unbenannt" is last for content kind Park; take the first real one.
    ApplyStep2(c().calculation->itemText(0), k.source_kind);
    size_t rows = 0;
    if (k.content_kind == ContentKind::kPark) {
      // One entity, by double-click.
      c().available->setCurrentRow(0);
      emit c().available->itemDoubleClicked(c().available->item(0));
      ASSERT_EQ(window_->state().selection().chosen().size(), 1u);
      EXPECT_TRUE(c().apply3->isEnabled());
      rows = 1;  // the heading's link
    } else {
      c().add_all->click();
      rows = window_->state().selection().chosen().size();
    }
    OverviewWindow* overview = ApplyStep3();
    ASSERT_NE(overview, nullptr);
    test::Settle();
    Screenshot(overview, "kind" + std::to_string(static_cast<int>(k.content_kind)) + "_source" +
                             std::to_string(static_cast<int>(k.source_kind)));
    const std::string page = TempDat();
    EXPECT_EQ(Count(page, std::string("href=\"") + k.link), rows);
    const std::string shown = test::PageHtml(overview->main_view()).toStdString();
    EXPECT_NE(shown.find("Nr."), std::string::npos);
    overview->close();
    ASSERT_TRUE(WaitFor([&] { return window_->overview() == nullptr; }));
    EXPECT_EQ(c().tabs->currentIndex(), 2);
  }
}

TEST_F(ViewerRoad, SortLinkResortsOnceAndTheFormAddsAndRemoves) {
  ApplyStep1(ContentKind::kValue);
  ApplyStep2(c().calculation->itemText(0));
  c().auto_select->setCurrentIndex(AutoSelectFirst(5));
  emit c().auto_select->activated(AutoSelectFirst(5));
  ASSERT_TRUE(c().apply3->isEnabled());
  OverviewWindow* overview = ApplyStep3();
  ASSERT_NE(overview, nullptr);
  const SelectionModel& selection = window_->state().selection();
  ASSERT_EQ(selection.chosen().size(), 5u);
  // The chooser goes back to "no automatic selection".
  EXPECT_EQ(c().auto_select->currentIndex(), 0);

  int before = overview->pages_shown();
  Click(overview->main_view(), "a[href=\"window:refresh?sort=-2\"]");
  ASSERT_TRUE(WaitForNewPage(overview, before));
  EXPECT_EQ(window_->state().table.sort_index, kSortByName);
  const auto& rows = window_->state().table.rows;
  for (size_t i = 1; i < rows.size(); ++i) {
    EXPECT_FALSE(LabelLess(rows[i].name, rows[i - 1].name)) << rows[i].name;
  }
  EXPECT_NE(TempDat().find("<h2>Sortiert nach Namen</h2>"), std::string::npos);
  test::Settle();
  Screenshot(overview, "sorted_by_name");

  // The same link again leaves the page alone.
  before = overview->pages_shown();
  Click(overview->main_view(), "a[href=\"window:refresh?sort=-2\"]");
  test::Settle(std::chrono::milliseconds(800));
  EXPECT_EQ(overview->pages_shown(), before);
  EXPECT_FALSE(overview->generating());

  // Add the third available entry through the page's form.
  const SelectionEntry third = selection.available()[2];
  before = overview->pages_shown();
  test::RunScript(overview->main_view(),
                  "document.querySelector('select[name=add]').value = '2';"
                  "document.querySelector('form button:not([name])').click();");
  ASSERT_TRUE(WaitForNewPage(overview, before));
  ASSERT_EQ(selection.chosen().size(), 6u);
  EXPECT_TRUE(std::any_of(selection.chosen().begin(), selection.chosen().end(),
                          [&](const SelectionEntry& e) { return e.id == third.id; }));
  EXPECT_EQ(window_->state().table.rows.size(), 6u);
  EXPECT_EQ(Count(TempDat(), "href=\"open:park?id="), 6u);

  // Remove the first chosen one: the remove button adds its own pair.
  const int32_t first = selection.chosen()[0].id;
  before = overview->pages_shown();
  Click(overview->main_view(), "button[name=btn_remove]");
  ASSERT_TRUE(WaitForNewPage(overview, before));
  ASSERT_EQ(selection.chosen().size(), 5u);
  EXPECT_TRUE(std::none_of(selection.chosen().begin(), selection.chosen().end(),
                           [&](const SelectionEntry& e) { return e.id == first; }));
  test::Settle();
  Screenshot(overview, "after_add_remove");

  // Back on tab 3 the lists show what the page changed.
  Click(overview->main_view(), "a[href=\"window:close\"]");
  ASSERT_TRUE(WaitFor([&] { return window_->overview() == nullptr; }));
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(c().tabs->currentIndex(), 2);
  EXPECT_EQ(c().chosen->count(), 5);
  Screenshot(window_.get(), "back_on_tab3");
}

TEST_F(ViewerRoad, SaveWritesTheExportPageAndOpenLinksReachTheBrowser) {
  ApplyStep1(ContentKind::kYear);
  ApplyStep2(c().calculation->itemText(0), SourceKind::kCompanies);
  c().add_all->click();
  OverviewWindow* overview = ApplyStep3();
  ASSERT_NE(overview, nullptr);
  const RequestState& state = window_->state();
  const std::string expected_name = "R7_" + state.calculation_entry()->name + "_" +
                                    std::to_string(state.settings.start_year) + ".htm";

  // Cancelled: nothing is written.
  Click(overview->main_view(), "a[href=\"window:save\"]");
  ASSERT_TRUE(WaitFor([] { return !FileDialogs::TakeAskedDefaults().isEmpty(); }));

  // A name typed without an extension gets ".htm".
  const fs::path target = folder_ / "export.htm";
  fs::remove(target);
  FileDialogs::SetNextFileName(QString::fromStdString((folder_ / "export").string()));
  Click(overview->main_view(), "a[href=\"window:save\"]");
  ASSERT_TRUE(WaitFor([&] { return fs::exists(target); }));
  const QStringList asked = FileDialogs::TakeAskedDefaults();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_EQ(asked[0].toStdString(), Cp1252ToUtf8(expected_name));
  ServerConfig server = LoadServerConfig(folder_);
  EXPECT_EQ(ReadWholeFile(target).value_or(""),
            BuildExportPage(RequestReportInput(state, server.game_address)));

  // A company link goes to the system browser and leaves the page as it is.
  const int32_t id = state.table.rows.front().id;
  const int before = overview->pages_shown();
  Click(overview->main_view(),
        QString::fromStdString("a[href=\"open:company?id=" + std::to_string(id) + "\"]"));
  ASSERT_TRUE(WaitFor([&] { return !opened_.empty() || Take(); }));
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].toString().toStdString(),
            server.game_address + "/company.php?userid=" + std::to_string(id));
  EXPECT_EQ(overview->pages_shown(), before);
  EXPECT_EQ(overview->main_view()->url().fileName(), QStringLiteral("Temp.dat"));
}

TEST_F(ViewerRoad, ChangeFormShowsTheNamedEntityAndBothViewsFollowTheWindowSize) {
  ApplyStep1(ContentKind::kPark);
  ApplyStep2(c().calculation->itemText(0));
  const SelectionModel& selection = window_->state().selection();
  // Tab 3 holds one park: each one added takes the place of the one before,
  // and the hint says so. The page then offers every other park.
  for (const int row : {0, 0, 2}) emit c().available->itemDoubleClicked(c().available->item(row));
  ASSERT_EQ(selection.chosen().size(), 1u);
  EXPECT_TRUE(c().single_hint->isVisible());
  EXPECT_TRUE(c().single_hint->text().startsWith(QStringLiteral("Ersetzt: ")));
  EXPECT_FALSE(c().add_all->isEnabled());
  OverviewWindow* overview = ApplyStep3();
  ASSERT_NE(overview, nullptr);

  struct Case {
    int option;  // as the page numbered it
  };
  for (const Case k : {Case{0}, Case{2}, Case{5}}) {
    SCOPED_TRACE(k.option);
    const std::vector<SelectionEntry> before_lists = selection.available();
    const int32_t expected = before_lists[static_cast<size_t>(k.option)].id;
    const int before = overview->pages_shown();
    test::RunScript(overview->main_view(),
                    QStringLiteral("document.querySelector('select[name=change]').value = '%1';"
                                   "document.querySelector('form button').click();")
                        .arg(k.option));
    ASSERT_TRUE(WaitForNewPage(overview, before));
    ASSERT_EQ(selection.chosen().size(), 1u);
    EXPECT_EQ(selection.chosen()[0].id, expected);
    EXPECT_EQ(window_->state().table.rows.front().id, expected);
  }

  overview->resize(800, 500);
  test::Settle(std::chrono::milliseconds(100));
  EXPECT_EQ(overview->main_view()->geometry(), QRect(0, 0, 800, 500));
  EXPECT_EQ(overview->loading_view()->geometry(), QRect(0, 0, 800, 500));
  EXPECT_TRUE(overview->loading_view()->isHidden());
  EXPECT_FALSE(overview->main_view()->isHidden());
}

TEST_F(ViewerRoad, ALinkPageIsReadHiddenAndTakesTheOldPagesPlace) {
  ApplyStep1(ContentKind::kValue);
  ApplyStep2(c().calculation->itemText(0));
  c().add_all->click();
  OverviewWindow* overview = ApplyStep3();
  ASSERT_NE(overview, nullptr);
  const QList<QWebEngineView*> views = overview->findChildren<QWebEngineView*>();
  ASSERT_EQ(views.size(), 3);
  const auto shown_views = [&] {
    std::vector<QWebEngineView*> shown;
    for (QWebEngineView* view : views) {
      if (!view->isHidden()) shown.push_back(view);
    }
    return shown;
  };

  // Enough links that each view shows a page more than once.
  const struct {
    const char* link;
    const char* heading;
  } cases[] = {
      {"window:refresh?sort=-2", "<h2>Sortiert nach Namen</h2>"},
      {"window:refresh?sort=-1", "<h2>Sortiert nach dem Durchschnitt</h2>"},
      {"window:refresh?sort=-2", "<h2>Sortiert nach Namen</h2>"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.link);
    QWebEngineView* old_view = overview->main_view();
    const int before = overview->pages_shown();
    Click(old_view, QStringLiteral("a[href=\"%1\"]").arg(QLatin1String(k.link)));
    ASSERT_TRUE(WaitForNewPage(overview, before));
    EXPECT_EQ(overview->pages_shown(), before + 1);
    ASSERT_NE(overview->main_view(), old_view);
    EXPECT_EQ(shown_views(), std::vector<QWebEngineView*>{overview->main_view()});
    EXPECT_TRUE(test::PageHtml(overview->main_view()).contains(QLatin1String(k.heading)));
    // The old page is dropped from the hidden view.
    EXPECT_TRUE(WaitFor([&] { return old_view->url().fileName() == QStringLiteral("Load.htm"); }));
    EXPECT_EQ(old_view->contextMenuPolicy(), Qt::CustomContextMenu);
  }

  overview->resize(700, 450);
  test::Settle(std::chrono::milliseconds(100));
  for (const QWebEngineView* view : views) EXPECT_EQ(view->geometry(), QRect(0, 0, 700, 450));

  // Closed while the next page is being written or read.
  Click(overview->main_view(), "a[href=\"window:refresh?sort=-1\"]");
  overview->close();
  ASSERT_TRUE(WaitFor([&] { return window_->overview() == nullptr; }));
  test::Settle(std::chrono::milliseconds(300));
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(c().tabs->currentIndex(), 2);
}

TEST_F(ViewerRoad, NavigationsNotMadeByTheUserRunNoCommand) {
  // A template whose script would click the close link at once.
  ASSERT_TRUE(WriteFileAtomically(folder_ / "Data" / "7" / "Overview.htm",
                                  "<html><body><a id=\"x\" href=\"window:close\">x</a>[CONTENT]"
                                  "<script>document.getElementById('x').click();"
                                  "location.href = 'open:park?id=1';</script></body></html>"));
  ApplyStep1(ContentKind::kValue);
  ApplyStep2(c().calculation->itemText(0));
  c().add_all->click();
  OverviewWindow* overview = ApplyStep3();
  ASSERT_NE(overview, nullptr);
  test::Settle(std::chrono::milliseconds(500));
  EXPECT_EQ(window_->overview(), overview);
  EXPECT_TRUE(SystemBrowser::TakeOpened().empty());
  // As if a page script or the program navigated: cancelled, and ignored.
  EXPECT_FALSE(overview->HandleNavigation(QUrl("window:close"), false));
  EXPECT_FALSE(overview->HandleNavigation(QUrl("open:park?id=1"), false));
  EXPECT_FALSE(overview->HandleNavigation(QUrl("http://example.org/index.html"), true));
  EXPECT_TRUE(overview->HandleNavigation(PageUrl("/x/Data/Temp.dat"), false));
  test::Settle();
  EXPECT_EQ(window_->overview(), overview);
  EXPECT_TRUE(SystemBrowser::TakeOpened().empty());
  // A user's click on the same address does close it.
  EXPECT_FALSE(overview->HandleNavigation(QUrl("window:close"), true));
  EXPECT_TRUE(WaitFor([&] { return window_->overview() == nullptr; }));
}

TEST_F(ViewerRoad, ParkWithoutCalculationOpensThePlanInsteadOfTheOverview) {
  ApplyStep1(ContentKind::kPark);
  ASSERT_EQ(c().calculation->itemText(c().calculation->count() - 1), QStringLiteral("Unbenannt"));
  ApplyStep2(QStringLiteral("Unbenannt"));
  emit c().available->itemDoubleClicked(c().available->item(0));
  MessageBoxes::TakeRecorded();
  c().apply3->click();
  ASSERT_TRUE(WaitFor([&] { return !window_->computing() && window_->computations() == 1; }));
  // The plan window shows itself once its plans are drawn.
  QWidget* plan = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    plan = window_->findChild<QWidget*>(QStringLiteral("ParkPlanWindow"));
    return plan != nullptr && plan->isVisible();
  }));
  EXPECT_EQ(window_->overview(), nullptr);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_TRUE(MessageBoxes::TakeRecorded().empty());
  plan->close();
  ASSERT_TRUE(WaitFor(
      [&] { return window_->findChild<QWidget*>(QStringLiteral("ParkPlanWindow")) == nullptr; }));
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(c().tabs->currentIndex(), 2);
}

// Splits the lines of a CSV or tab-separated table into fields (quotes as
// the writers use them).
std::vector<std::vector<std::string>> Fields(const std::string& text, char separator) {
  std::vector<std::vector<std::string>> rows(1);
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (quoted) {
      if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (ch == '"') {
        quoted = false;
      } else {
        field += ch;
      }
    } else if (ch == '"') {
      quoted = true;
    } else if (ch == separator) {
      rows.back().push_back(std::exchange(field, {}));
    } else if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.back().push_back(std::exchange(field, {}));
      rows.emplace_back();
      ++i;
    } else {
      field += ch;
    }
  }
  if (rows.back().empty()) rows.pop_back();
  return rows;
}

TEST_F(ViewerRoad, ContextMenuCopiesTheTableAndSavesTheCsvOfTheExporter) {
  ApplyStep1(ContentKind::kValue);
  ApplyStep2(c().calculation->itemText(0));
  c().add_all->click();
  OverviewWindow* overview = ApplyStep3();
  ASSERT_NE(overview, nullptr);
  const QList<QAction*> actions = overview->context_actions();
  ASSERT_EQ(actions.size(), 2);
  EXPECT_EQ(actions[0]->text(), QStringLiteral("Tabelle kopieren"));
  EXPECT_EQ(actions[1]->text(), QStringLiteral("Als CSV speichern ..."));
  EXPECT_EQ(overview->main_view()->contextMenuPolicy(), Qt::CustomContextMenu);

  // The same request through the command-line exporter.
  const RequestState& state = window_->state();
  std::string ids;
  for (const SelectionEntry& entry : state.selection().chosen()) {
    if (!ids.empty()) ids += ',';
    ids += std::to_string(entry.id);
  }
  const fs::path exported = folder_ / "exported.csv";
  const QStringList arguments = {"--data",
                                 QString::fromStdString((folder_ / "Data").string()),
                                 "--season",
                                 "7",
                                 "--content",
                                 "wert",
                                 "--calc",
                                 QString::number(state.calculation_entry()->number),
                                 "--from",
                                 QString::number(state.settings.start_year),
                                 "--to",
                                 QString::number(state.settings.end_year),
                                 "--source",
                                 "parks",
                                 "--ids",
                                 QString::fromStdString(ids),
                                 "--sort",
                                 QString::number(state.table.sort_index),
                                 "--csv",
                                 "--out",
                                 QString::fromStdString(exported.string())};
  ASSERT_EQ(QProcess::execute(QStringLiteral(WUNT_EXPORT_PATH), arguments), 0);
  const std::string csv = ReadWholeFile(exported).value_or("");
  ASSERT_FALSE(csv.empty());

  const fs::path saved = folder_ / "saved.csv";
  FileDialogs::SetNextFileName(QString::fromStdString(saved.string()));
  actions[1]->trigger();
  EXPECT_EQ(ReadWholeFile(saved).value_or(""), csv);
  const QStringList asked = FileDialogs::TakeAskedDefaults();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_TRUE(asked[0].endsWith(QStringLiteral("_Uebersicht.csv"))) << asked[0].toStdString();

  // The copy holds the same cells, tab-separated.
  actions[0]->trigger();
  const std::string copied = Utf8ToCp1252(QGuiApplication::clipboard()->text().toStdString());
  const auto csv_rows = Fields(csv, ';');
  EXPECT_EQ(Fields(copied, '\t'), csv_rows);
  ASSERT_EQ(csv_rows.size(), state.table.rows.size() + 1);
}

TEST_F(ViewerRoad, SaveFailuresAndAMissingBrowserAreSaid) {
  ApplyStep1(ContentKind::kValue);
  ApplyStep2(c().calculation->itemText(0));
  c().add_all->click();
  OverviewWindow* overview = ApplyStep3();
  ASSERT_NE(overview, nullptr);
  MessageBoxes::TakeRecorded();

  // A folder that does not exist: the page cannot be saved there.
  const QString unwritable = QString::fromStdString((folder_ / "missing" / "x.htm").string());
  FileDialogs::SetNextFileName(unwritable);
  Click(overview->main_view(), "a[href=\"window:save\"]");
  std::vector<ShownMessage> shown;
  ASSERT_TRUE(WaitFor([&] {
    for (ShownMessage& m : MessageBoxes::TakeRecorded()) shown.push_back(std::move(m));
    return !shown.empty();
  }));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].icon, MessageIcon::kError);
  EXPECT_TRUE(shown[0].text.contains(unwritable)) << shown[0].text.toStdString();
  EXPECT_TRUE(shown[0].text.contains(QStringLiteral("konnte nicht gespeichert werden")));
  EXPECT_FALSE(fs::exists(folder_ / "missing"));

  // The CSV goes the same way.
  FileDialogs::SetNextFileName(unwritable);
  overview->context_actions()[1]->trigger();
  shown = MessageBoxes::TakeRecorded();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].text.contains(unwritable));

  // A desktop without a browser.
  SystemBrowser::StartRecording(false);
  const int32_t id = window_->state().table.rows.front().id;
  Click(overview->main_view(),
        QString::fromStdString("a[href=\"open:park?id=" + std::to_string(id) + "\"]"));
  shown.clear();
  ASSERT_TRUE(WaitFor([&] {
    for (ShownMessage& m : MessageBoxes::TakeRecorded()) shown.push_back(std::move(m));
    return !shown.empty();
  }));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("Der Browser konnte nicht gestartet werden")))
      << shown[0].text.toStdString();
  EXPECT_TRUE(
      shown[0].text.contains(QStringLiteral("parkprofil.php?parkid=") + QString::number(id)));
  EXPECT_EQ(SystemBrowser::TakeOpened().size(), 1u);
}

// A long table is readable first as a preview of its first rows, then the
// complete page takes its place where the user scrolled to; a click on the
// preview meanwhile is answered; the file stays as written.
TEST_F(ViewerRoad, LongTablesShowAPreviewOfTheirFirstRowsAndThenTheCompletePage) {
  test::WriteDemoData(folder_ / "Data", test::SmallSeason(150, 10, 3));
  OpenWizard();
  ApplyStep1(ContentKind::kValue);
  ApplyStep2(c().calculation->itemText(0));
  c().add_all->click();
  OverviewWindow* overview = ApplyStep3();
  ASSERT_NE(overview, nullptr);
  const size_t rows = window_->state().table.rows.size();
  ASSERT_GT(rows, static_cast<size_t>(kRowsWhileLoading));
  const auto park_links = [](QWebEngineView* view) {
    return static_cast<size_t>(test::PageHtml(view).count(QStringLiteral("href=\"open:park?id=")));
  };

  // Readable: the preview, with the page's forms and the table's first rows.
  QWebEngineView* preview = overview->main_view();
  EXPECT_TRUE(preview->url().query().contains(QStringLiteral("preview")))
      << preview->url().toString().toStdString();
  EXPECT_FALSE(overview->page_complete());
  test::RunScript(preview, ScrollScript(QPointF(0, 200)));
  // The view learns its scroll position from the engine a moment later.
  EXPECT_TRUE(WaitFor([&] { return preview->page()->scrollPosition().y() == 200; }));
  EXPECT_EQ(park_links(preview), static_cast<size_t>(kRowsWhileLoading - 1));
  EXPECT_EQ(Count(test::PageHtml(preview).toStdString(), "<option value="), rows);

  ASSERT_TRUE(WaitFor([&] { return overview->page_complete(); }));
  EXPECT_NE(overview->main_view(), preview);
  EXPECT_FALSE(overview->main_view()->url().query().contains(QStringLiteral("preview")));
  EXPECT_EQ(park_links(overview->main_view()), rows);

  EXPECT_TRUE(WaitFor([&] { return overview->main_view()->page()->scrollPosition().y() == 200; }))
      << overview->main_view()->page()->scrollPosition().y();
  EXPECT_FALSE(test::PageHtml(overview->main_view()).contains(QStringLiteral("wunt-first-rows")));
  EXPECT_EQ(TempDat().find("wunt-first-rows"), std::string::npos);
  EXPECT_EQ(TempDat().find("preview"), std::string::npos);

  // A sort clicked on the next preview, while its complete page is read.
  // The preview is read by the engine process that is already running; the
  // complete page by a new one, so the old long table's memory goes.
  const qint64 preview_process = preview->page()->renderProcessPid();
  const qint64 complete_process = overview->main_view()->page()->renderProcessPid();
  const int before = overview->pages_shown();
  Click(overview->main_view(), "a[href=\"window:refresh?sort=-2\"]");
  ASSERT_TRUE(WaitForNewPage(overview, before));
  EXPECT_EQ(overview->main_view(), preview);
  EXPECT_EQ(preview->page()->renderProcessPid(), preview_process);
  Click(overview->main_view(), "a[href=\"window:refresh?sort=0\"]");
  ASSERT_TRUE(WaitFor([&] { return overview->page_complete(); }));
  EXPECT_EQ(window_->state().table.sort_index, 0);
  const QString html = test::PageHtml(overview->main_view());
  EXPECT_TRUE(html.contains(QStringLiteral("<h2>Sortiert nach den Werten aus dem Jahr")));
  EXPECT_EQ(static_cast<size_t>(html.count(QStringLiteral("href=\"open:park?id="))), rows);
  EXPECT_EQ(html.count(QStringLiteral("<h2>")), 1);
  EXPECT_NE(overview->main_view()->page()->renderProcessPid(), complete_process);

  // Closed while a complete page is read behind its preview.
  const int shown = overview->pages_shown();
  Click(overview->main_view(), "a[href=\"window:refresh?sort=-1\"]");
  ASSERT_TRUE(WaitForNewPage(overview, shown));
  ASSERT_FALSE(overview->page_complete());
  overview->close();
  ASSERT_TRUE(WaitFor([&] { return window_->overview() == nullptr; }));
  test::Settle(std::chrono::milliseconds(300));
  EXPECT_EQ(c().tabs->currentIndex(), 2);
}

// What the view reads of a page: the first-rows style goes in where the
// page starts, and nothing else changes.
TEST(FirstRowsStyle, GoesWhereThePageStarts) {
  const struct {
    const char* page;
    const char* expected_start;
  } cases[] = {
      {"<html><body>x</body></html>", "<style id=\"wunt-first-rows\">"},
      {"<!DOCTYPE html>\r\n<HTML><body>x", "<!DOCTYPE html>\r\n<style id=\"wunt-first-rows\">"},
      {"<p>no html tag</p>", "<style id=\"wunt-first-rows\">"},
  };
  for (const auto& c : cases) {
    const QByteArray served = WithFirstRowsStyle(c.page);
    EXPECT_TRUE(served.startsWith(c.expected_start)) << served.toStdString();
    QByteArray back = served;
    const qsizetype from = back.indexOf("<style id=\"wunt-first-rows\"");
    back.remove(from, back.indexOf("</style>", from) + 8 - from);
    EXPECT_EQ(back.toStdString(), std::string(c.page));
  }
}

TEST_F(ViewerRoad, TheLoadingPageCancelsAPageBuild) {
  ApplyStep1(ContentKind::kValue);
  ApplyStep2(c().calculation->itemText(0));
  c().add_all->click();
  c().apply3->click();
  ASSERT_TRUE(WaitFor([&] { return window_->overview() != nullptr; }));
  OverviewWindow* overview = window_->overview();
  ASSERT_TRUE(overview->generating());
  ASSERT_TRUE(overview->cancel_button()->isVisible());
  EXPECT_EQ(overview->cancel_button()->text(), QStringLiteral("Abbrechen"));
  QTest::keyClick(overview, Qt::Key_Escape);
  ASSERT_TRUE(WaitFor([&] { return window_->overview() == nullptr; }));
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(c().tabs->currentIndex(), 2);
}

// "Abbrechen" while a later page is built: the window stays, on a page that
// shows the lists as they are then.
TEST_F(ViewerRoad, CancelOnALaterPageKeepsTheWindowOnAMatchingPage) {
  ApplyStep1(ContentKind::kValue);
  ApplyStep2(c().calculation->itemText(0));
  c().auto_select->setCurrentIndex(AutoSelectFirst(5));
  emit c().auto_select->activated(AutoSelectFirst(5));
  OverviewWindow* overview = ApplyStep3();
  ASSERT_NE(overview, nullptr);
  const int before = overview->pages_shown();
  Click(overview->main_view(), "button[name=btn_remove]");
  ASSERT_TRUE(WaitFor(
      [&] { return overview->cancel_button()->isVisible() || overview->pages_shown() > before; }));
  if (overview->cancel_button()->isVisible()) overview->cancel_button()->click();
  ASSERT_TRUE(WaitFor([&] { return !overview->generating(); }));
  test::Settle();
  EXPECT_EQ(window_->overview(), overview);
  EXPECT_TRUE(overview->isVisible());
  EXPECT_FALSE(overview->cancel_button()->isVisible());
  const size_t chosen = window_->state().selection().chosen().size();
  EXPECT_EQ(window_->state().table.rows.size(), chosen);
  EXPECT_EQ(
      static_cast<size_t>(
          test::PageHtml(overview->main_view()).count(QStringLiteral("href=\"open:park?id="))),
      chosen);
}

}  // namespace
}  // namespace wunt
