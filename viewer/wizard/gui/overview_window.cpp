#include "viewer/wizard/gui/overview_window.h"

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
#include <chrono>
#include <utility>

#include "common/file_util.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/geometry.h"
#include "viewer/platform/web_page.h"
#include "viewer/report/html_writer.h"
#include "viewer/report/page_preview.h"
#include "viewer/report/table_cells.h"
#include "viewer/wizard/page_commands.h"

namespace wunt {
namespace {

// The page's own size: its table and fonts are set by the page, not by the
// desktop font, so the window is not scaled with the dialog units.
constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kLoadAttempts = 3;
// How the window waits for the complete page to be drawn under its
// preview: a script answered within kIdleAnswer, kIdleAnswers times in a
// row, kFramePoll apart, or kFramePolls asked.
constexpr auto kIdleAnswer = std::chrono::milliseconds(30);
constexpr int kIdleAnswers = 3;
constexpr auto kFramePoll = std::chrono::milliseconds(16);
constexpr int kFramePolls = 100;
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

  ReportInput Input() const {
    return {.table = table,
            .view = view,
            .calculation_name = calculation_name,
            .description = description,
            .values = values,
            .highest_year = highest_year,
            .game_address = game_address};
  }
  std::optional<std::filesystem::path> Write() const {
    return WriteAppPage(program_folder, season, Input(), available, chosen);
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
  SetPagePreview(&TablePreview);
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
  // out must not reach it, and a script answer they give on their way out
  // must find the window closing.
  closing_ = true;
  main_view_->page()->disconnect(this);
  next_view_->page()->disconnect(this);
  delete main_view_;
  delete next_view_;
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
  // loading fails: the window never waits for ever. Every page has an
  // address of its own, so a load that a newer one ended never counts.
  if (view != next_view_ || requested_page_.isEmpty()) return;
  if (info.url() != requested_page_) {
    // The engine can drop a page load given while the view still loads the
    // small page that replaced the old one: when that one has loaded
    // instead, the page is asked for again.
    if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus && !requested_started_) {
      next_view_->load(requested_page_);
    }
    return;
  }
  if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
    requested_started_ = true;
    return;
  }
  const bool ok = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
  // A navigation the view cancelled for a command can interrupt the page's
  // load; load it again, a few times at most.
  if (!ok && load_attempts_ < kLoadAttempts) {
    ++load_attempts_;
    next_view_->load(requested_page_);
    return;
  }
  requested_page_.clear();
  if (stage_ == Stage::kFirst) {
    FirstPageRead(ok);
  } else if (stage_ == Stage::kFull) {
    FullPageRead(ok);
  }
}

void OverviewWindow::Read(const QUrl& page, bool first) {
  stage_ = first ? Stage::kFirst : Stage::kFull;
  requested_page_ = page;
  requested_started_ = false;
  load_attempts_ = 1;
  next_view_->load(page);
}

void OverviewWindow::FirstPageRead(bool ok) {
  stage_ = Stage::kNone;
  if (ok) ++pages_shown_;
  // The view shows what came of the load, as a single view would.
  std::swap(main_view_, next_view_);
  const bool preview = ok && !full_page_.isEmpty();
  // The view that held the old page drops it: dropping a long table costs
  // the engine about as much as reading the new one, and in the view that
  // reads the new page it held that up. Behind a preview it reads the
  // complete page while the user reads the preview.
  if (preview) {
    Read(full_page_, false);
  } else {
    full_page_.clear();
    DropHiddenPage();
  }
  ShowLoading(false);
  // The first rows are on screen; let them be drawn before the engine lays
  // out the rest.
  if (ok && !preview) QTimer::singleShot(0, this, [this] { RevealAllRows(); });
}

void OverviewWindow::FullPageRead(bool ok) {
  if (!ok) {
    // The preview stays; it offers every command the complete page does.
    stage_ = Stage::kNone;
    full_page_.clear();
    DropHiddenPage();
    return;
  }
  stage_ = Stage::kRevealing;
  const QPointF scroll = main_view_->page()->scrollPosition();
  next_view_->page()->runJavaScript(
      AllRowsScript(scroll), QWebEngineScript::ApplicationWorld,
      [this, serial = serial_, scroll](const QVariant&) { ShowFullPage(serial, scroll, 3); });
}

void OverviewWindow::ShowFullPage(int serial, QPointF scrolled_to, int attempts_left) {
  // Also reached from a script answer a closing view gives.
  if (closing_ || serial != serial_ || stage_ != Stage::kRevealing) return;
  // The user may have scrolled the preview while the rows were laid out.
  const QPointF scroll = main_view_->page()->scrollPosition();
  if (scroll != scrolled_to && attempts_left > 0) {
    next_view_->page()->runJavaScript(ScrollScript(scroll), QWebEngineScript::ApplicationWorld,
                                      [this, serial, scroll, attempts_left](const QVariant&) {
                                        ShowFullPage(serial, scroll, attempts_left - 1);
                                      });
    return;
  }
  WaitUntilDrawn(serial, kFramePolls, 0);
}

void OverviewWindow::WaitUntilDrawn(int serial, int polls_left, int quick_in_row) {
  if (closing_ || serial != serial_ || stage_ != Stage::kRevealing) return;
  // Drawing the laid-out table the first time keeps the engine busy for a
  // while, and a click waits for it. Done under the preview, the page takes
  // clicks at once when it comes up. The engine says nothing when it has
  // drawn, but a script it answers at once, a few times in a row, shows it
  // idle. A window that is not on screen draws nothing and does not wait.
  const auto asked = std::chrono::steady_clock::now();
  next_view_->page()->runJavaScript(
      QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
      [this, serial, polls_left, quick_in_row, asked](const QVariant&) {
        if (closing_ || serial != serial_ || stage_ != Stage::kRevealing) return;
        const bool quick = std::chrono::steady_clock::now() - asked < kIdleAnswer;
        const int in_row = quick ? quick_in_row + 1 : 0;
        if (in_row >= kIdleAnswers || polls_left <= 0 || !isVisible() || isMinimized()) {
          SwapInFullPage();
          return;
        }
        QTimer::singleShot(kFramePoll, this, [this, serial, polls_left, in_row] {
          WaitUntilDrawn(serial, polls_left - 1, in_row);
        });
      });
}

void OverviewWindow::SwapInFullPage() {
  stage_ = Stage::kNone;
  full_page_.clear();
  std::swap(main_view_, next_view_);
  ++pages_complete_;
  complete_serial_ = serial_;
  // A command given meanwhile keeps the loading page up until its page is
  // readable.
  ShowLoading(generator_.busy());
  DropHiddenPage();
}

void OverviewWindow::DropHiddenPage() {
  // The small loading page takes the old page's place, which also keeps
  // that view's engine process ready for the next page.
  next_view_->load(loading_view_->url());
}

bool OverviewWindow::HandleNavigation(const QUrl& url, bool by_user) {
  // The views' own addresses carry a query of ours: which page, a preview.
  const QUrl address =
      url.scheme() == QLatin1String(kPageScheme) ? url.adjusted(QUrl::RemoveQuery) : url;
  const LinkCommand command = ParseLinkCommand(address.toString().toStdString());
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
                                    [this, serial = serial_](const QVariant&) {
                                      if (closing_ || serial != serial_) return;
                                      ++pages_complete_;
                                      complete_serial_ = serial;
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
  rows_requested_ = ReportRowCount(snapshot->Input());
  generator_.Request([snapshot] { return snapshot->Write(); });
}

void OverviewWindow::PageWritten(const std::optional<std::filesystem::path>& page) {
  if (!page) {
    // Nothing new to show: the previous page comes back.
    ShowLoading(false);
    return;
  }
  // A hidden view still busy with the complete form of the page before
  // would read the new one only after that; the other, idle, reads it.
  if (stage_ == Stage::kFull || stage_ == Stage::kRevealing) std::swap(main_view_, next_view_);
  ++serial_;
  QUrl address = PageUrl(QString::fromStdString(page->string()));
  address.setQuery(QStringLiteral("page=%1").arg(serial_));
  // A long table shows its first rows as a preview first; the complete page
  // follows behind it.
  if (rows_requested_ + 1 > static_cast<size_t>(kRowsWhileLoading)) {
    full_page_ = address;
    Read(PreviewUrl(address), true);
  } else {
    full_page_.clear();
    Read(address, true);
  }
}

void OverviewWindow::ShowLoading(bool loading) {
  // Focus that a view loses by being hidden goes on as if by the tab key,
  // and the engine then focuses the page's first control, scrolling it into
  // view. The view that comes up takes the focus plainly.
  QWebEngineView* shown = loading ? loading_view_ : main_view_;
  const bool had_focus =
      loading_view_->hasFocus() || main_view_->hasFocus() || next_view_->hasFocus();
  shown->setVisible(true);
  if (had_focus) shown->setFocus(Qt::OtherFocusReason);
  loading_view_->setVisible(loading);
  main_view_->setVisible(!loading);
  // A complete page being read lies visible under its preview, so the
  // engine draws it as on screen and it can take the preview's place
  // without a wait.
  const bool under = !loading && (stage_ == Stage::kFull || stage_ == Stage::kRevealing);
  next_view_->setVisible(under);
  if (under) next_view_->stackUnder(main_view_);
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
