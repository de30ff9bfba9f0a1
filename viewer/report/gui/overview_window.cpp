#include "viewer/report/gui/overview_window.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <utility>

#include "common/file_util.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/geometry.h"
#include "viewer/platform/web_page.h"
#include "viewer/report/html_writer.h"
#include "viewer/ui/page_commands.h"

namespace wunt {
namespace {

// The page's own size: its table and fonts are set by the page, not by the
// desktop font, so the window is not scaled with the dialog units.
constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kLoadAttempts = 3;
// The cancel button below the loading page's box, in dialog units.
constexpr int kCancelTop = 290;
constexpr int kCancelWidth = 120;
constexpr int kCancelHeight = 25;

// What one generation reads, copied on the GUI thread so that commands can
// change the table and lists while the page is written. The rows still
// point into the value lists, which stay as they are while the window is
// open.
struct PageSnapshot {
  ResultTable table;
  TableView view;
  std::string calculation_name;
  std::string description;
  std::vector<ValueDefinition> values;
  int32_t highest_year = 0;
  std::string game_address;
  std::vector<SelectionEntry> available;
  std::vector<SelectionEntry> chosen;
  int32_t season = 0;
  std::filesystem::path program_folder;

  std::optional<std::filesystem::path> Write() const {
    const ReportInput input{.table = table,
                            .view = view,
                            .calculation_name = calculation_name,
                            .description = description,
                            .values = values,
                            .highest_year = highest_year,
                            .game_address = game_address};
    return WriteAppPage(program_folder, season, input, available, chosen);
  }
};

QWebEngineView* MakeView(QWidget* parent, NavigationPage::Handler handler) {
  auto* view = new QWebEngineView(parent);
  view->setPage(new NavigationPage(AppProfile(), std::move(handler), view));
  return view;
}

}  // namespace

OverviewWindow::OverviewWindow(RequestState& state, std::filesystem::path program_folder,
                               std::string game_address)
    : QWidget(nullptr, Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                           Qt::WindowCloseButtonHint),
      state_(state),
      program_folder_(std::move(program_folder)),
      game_address_(std::move(game_address)),
      generator_(this,
                 [this](const std::optional<std::filesystem::path>& page) { PageWritten(page); }) {
  setWindowTitle(
      WindowTitle("\xdc"
                  "bersicht"));
  resize(kWidth, kHeight);
  FitToScreen(this);
  loading_view_ = MakeView(
      this, [this](const QUrl& url, bool by_user) { return HandleNavigation(url, by_user); });
  SetPageRoot(QString::fromStdString(state_.data_dir.string()));
  loading_view_->setUrl(
      PageUrl(QString::fromStdString((state_.season_folder() / "Load.htm").string())));
  main_view_ = MakeMainView();
  next_view_ = MakeMainView();
  cancel_ = new QPushButton(QStringLiteral("Abbrechen"), this);
  connect(cancel_, &QPushButton::clicked, this, [this] { close(); });
  copy_action_ = new QAction(QStringLiteral("Tabelle kopieren"), this);
  connect(copy_action_, &QAction::triggered, this, [this] { CopyTable(); });
  csv_action_ = new QAction(QStringLiteral("Als CSV speichern ..."), this);
  connect(csv_action_, &QAction::triggered, this, [this] { SaveCsv(); });
  Generate();
}

OverviewWindow::~OverviewWindow() {
  // The views outlive this object's members; a load they end on their way
  // out must not reach it.
  main_view_->page()->disconnect(this);
  next_view_->page()->disconnect(this);
}

QWebEngineView* OverviewWindow::MakeMainView() {
  QWebEngineView* view = MakeView(
      this, [this](const QUrl& url, bool by_user) { return HandleNavigation(url, by_user); });
  view->hide();
  // Our own menu instead of the browser's (back, reload, view source), none
  // of which means anything for a generated page.
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view, &QWidget::customContextMenuRequested, this,
          [this, view](const QPoint& position) { ShowContextMenu(view->mapToGlobal(position)); });
  connect(view->page(), &QWebEnginePage::loadingChanged, this,
          [this, view](const QWebEngineLoadingInfo& info) { LoadingChanged(view, info); });
  return view;
}

void OverviewWindow::LoadingChanged(QWebEngineView* view, const QWebEngineLoadingInfo& info) {
  // The loading page stays up until the new page has loaded, also when
  // loading fails: the window never waits for ever. A cancelled navigation
  // (a command link) ends with another address and does not count.
  if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) return;
  if (view != next_view_ || info.url() != requested_page_) return;
  const bool ok = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
  // A navigation the view cancelled for a command can interrupt the page's
  // load; load it again, a few times at most.
  if (!ok && load_attempts_ < kLoadAttempts) {
    ++load_attempts_;
    next_view_->load(requested_page_);
    return;
  }
  requested_page_.clear();
  if (ok) ++pages_shown_;
  // The view shows what came of the load, as a single view would.
  std::swap(main_view_, next_view_);
  ShowLoading(false);
  // The old page goes only now, in the view that is hidden: dropping a long
  // table costs the engine about as much as reading the new one, and in the
  // same view it held up the new page. The small loading page takes its
  // place, which also keeps that view's engine process ready for the next
  // page.
  next_view_->load(loading_view_->url());
  // The first rows are on screen; let them be drawn before the engine lays
  // out the rest.
  if (ok) QTimer::singleShot(0, this, [this] { RevealAllRows(); });
}

bool OverviewWindow::HandleNavigation(const QUrl& url, bool by_user) {
  const LinkCommand command = ParseLinkCommand(url.toString().toStdString());
  if (command.action == LinkAction::kShow) return true;
  if (by_user && command.action != LinkAction::kNothing) {
    QTimer::singleShot(0, this, [this, command] { RunCommand(command); });
  }
  return false;
}

void OverviewWindow::RunCommand(const LinkCommand& command) {
  switch (command.action) {
    case LinkAction::kClose:
      close();
      break;
    case LinkAction::kSort:
      if (command.number) Sort(*command.number);
      break;
    case LinkAction::kForm:
      ApplyForm(command.command);
      break;
    case LinkAction::kSave:
      Save();
      break;
    case LinkAction::kOpen: {
      const QUrl address(
          QString::fromStdString(OpenAddress(game_address_, command.target, *command.number)));
      if (!SystemBrowser::Open(address)) {
        MessageBoxes::Show(this, WindowTitle(),
                           QStringLiteral("Der Browser konnte nicht gestartet werden, um %1 "
                                          "zu öffnen.")
                               .arg(address.toString()),
                           MessageIcon::kError);
      }
      break;
    }
    case LinkAction::kShow:
    case LinkAction::kNothing:
    case LinkAction::kRegister:
      // Registrations are the program's own business; a page cannot make them.
      break;
  }
}

void OverviewWindow::Sort(int32_t sort_index) {
  if (SortResultTable(sort_index, RequestTableView(state_), state_.table) == 1) Generate();
}

void OverviewWindow::ApplyForm(const std::string& command) {
  if (ApplyPageForm(state_, command)) Generate();
}

void OverviewWindow::Save() {
  const QString file =
      FileDialogs::SaveFileName(this, WindowTitle(), FromCp1252(ExportFileName(state_)),
                                QStringLiteral("html (*.htm, *.html) (*.htm *.html)"));
  if (file.isEmpty()) return;
  WriteChosenFile(file, BuildExportPage(RequestReportInput(state_, game_address_)));
}

void OverviewWindow::WriteChosenFile(const QString& file, const std::string& bytes) {
  // Replaced as a whole: an old file is never left half overwritten.
  if (WriteFileAtomically(std::filesystem::path(file.toStdString()), bytes)) return;
  MessageBoxes::Show(this, WindowTitle(),
                     QStringLiteral("Die Datei %1 konnte nicht gespeichert werden.").arg(file),
                     MessageIcon::kError);
}

QList<QAction*> OverviewWindow::context_actions() const { return {copy_action_, csv_action_}; }

void OverviewWindow::ShowContextMenu(const QPoint& global_position) {
  QMenu menu(this);
  menu.addActions(context_actions());
  menu.exec(global_position);
}

void OverviewWindow::CopyTable() {
  const std::string text = BuildTabTable(RequestReportInput(state_, game_address_));
  QGuiApplication::clipboard()->setText(FromCp1252(text));
}

void OverviewWindow::SaveCsv() {
  std::string name = ExportFileName(state_);
  if (name.ends_with(".htm")) name.resize(name.size() - 4);
  name += ".csv";
  const QString file = FileDialogs::SaveFileName(this, WindowTitle(), FromCp1252(name),
                                                 QStringLiteral("CSV (*.csv)"));
  if (file.isEmpty()) return;
  WriteChosenFile(file, BuildCsvTable(RequestReportInput(state_, game_address_)));
}

void OverviewWindow::RevealAllRows() {
  main_view_->page()->runJavaScript(AllRowsScript(), QWebEngineScript::ApplicationWorld,
                                    [this, shown = pages_shown_](const QVariant&) {
                                      if (shown == pages_shown_) ++pages_complete_;
                                    });
}

void OverviewWindow::Generate() {
  ShowLoading(true);
  auto snapshot = std::make_shared<PageSnapshot>();
  const CalculationListEntry* entry = state_.calculation_entry();
  snapshot->table = state_.table;
  snapshot->view = RequestTableView(state_);
  if (entry != nullptr) {
    snapshot->calculation_name = entry->name;
    snapshot->description = entry->description;
  }
  snapshot->values = state_.calculation.values;
  snapshot->highest_year = state_.season_data.highest_year;
  snapshot->game_address = game_address_;
  snapshot->available = state_.selection().available();
  snapshot->chosen = state_.selection().chosen();
  snapshot->season = state_.season;
  snapshot->program_folder = program_folder_;
  generator_.Request([snapshot] { return snapshot->Write(); });
}

void OverviewWindow::PageWritten(const std::optional<std::filesystem::path>& page) {
  if (!page) {
    // Nothing new to show: the previous page comes back.
    ShowLoading(false);
    return;
  }
  // The same address again must still load the new page.
  requested_page_ = PageUrl(QString::fromStdString(page->string()));
  load_attempts_ = 1;
  // Read into the hidden view: the shown one keeps its page until the new
  // one can take its place.
  next_view_->load(requested_page_);
}

void OverviewWindow::ShowLoading(bool loading) {
  loading_view_->setVisible(loading);
  main_view_->setVisible(!loading);
  next_view_->hide();
  cancel_->setVisible(loading);
  if (loading) cancel_->raise();
}

void OverviewWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  loading_view_->setGeometry(0, 0, width(), height());
  main_view_->setGeometry(0, 0, width(), height());
  next_view_->setGeometry(0, 0, width(), height());
  const DialogUnits units(this);
  const QSize size = units.Size(kCancelWidth, kCancelHeight);
  cancel_->setGeometry((width() - size.width()) / 2, units.Y(kCancelTop), size.width(),
                       size.height());
}

void OverviewWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && cancel_->isVisible()) {
    cancel_->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

void OverviewWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (on_closed_) QTimer::singleShot(0, this, on_closed_);
}

}  // namespace wunt
