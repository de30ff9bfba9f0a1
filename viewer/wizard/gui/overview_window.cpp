#include "viewer/wizard/gui/overview_window.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
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
// The cancel button below the loading page's box, in dialog units.
constexpr int kCancelTop = 290;
constexpr int kCancelWidth = 120;
constexpr int kCancelHeight = 25;

}  // namespace

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
  OrderFocusByPosition(this);
  FitToScreen(this);
  SetPageRoot(FromPath(state_.data_dir));
  SetPagePreview([](std::string_view page, size_t rows) -> std::optional<PreviewPage> {
    std::optional<std::string> cut = TablePreview(page, rows);
    if (!cut) return std::nullopt;
    PreviewPage preview;
    preview.page = ShortenLists(std::move(*cut), kRowsWhileLoading, preview.lists);
    return preview;
  });
  // The first page is written while the views start their engine processes.
  RequestPage();
  page_view_ = new PageView(
      PageUrl(FromPath(state_.season_folder() / "Load.htm")),
      [this](const QUrl& url, bool by_user) { return HandleNavigation(url, by_user); }, this);
  page_view_->set_on_context_menu(
      [this](const QPoint& global_position) { ShowContextMenu(global_position); });
  cancel_ = new QPushButton(QStringLiteral("Abbrechen"), this);
  connect(cancel_, &QPushButton::clicked, this, [this] { CancelPageBuild(); });
  // The loading page offers to end the generation.
  page_view_->set_on_loading([this](bool loading) {
    cancel_->setVisible(loading);
    if (loading) cancel_->raise();
  });
  copy_action_ = new QAction(QStringLiteral("Tabelle kopieren"), this);
  connect(copy_action_, &QAction::triggered, this, [this] { CopyTable(); });
  csv_action_ = new QAction(QStringLiteral("Als CSV speichern ..."), this);
  connect(csv_action_, &QAction::triggered, this, [this] { SaveCsv(); });
  page_view_->ShowLoading(true);
}

OverviewWindow::~OverviewWindow() {
  // The page view's callbacks reach this window's members, which go
  // before its children.
  delete page_view_;
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
                                {QStringLiteral("HTML-Seite"), {"htm", "html"}});
  if (file.isEmpty()) return;
  WriteChosenFile(file, BuildExportPage(RequestReportInput(state_, game_address_)));
}

void OverviewWindow::WriteChosenFile(const QString& file, const std::string& bytes) {
  // Replaced as a whole: an old file is never left half overwritten.
  if (WriteFileAtomically(ToPath(file), bytes)) return;
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
                                                 {QStringLiteral("CSV"), {"csv"}});
  if (file.isEmpty()) return;
  WriteChosenFile(file, BuildCsvTable(RequestReportInput(state_, game_address_)));
}

void OverviewWindow::Generate() {
  page_view_->ShowLoading(true);
  RequestPage();
}

void OverviewWindow::RequestPage() {
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
  requested_ = snapshot;
  drop_written_ = false;
  generator_.Request([snapshot] { return snapshot->Write(); });
}

void OverviewWindow::CancelPageBuild() {
  // Before the first page is on screen there is nothing to stay on: back
  // to the wizard, also when that page is already written and being read.
  if (!shown_ || page_view_->pages_shown() == 0) {
    close();
    return;
  }
  if (generator_.busy()) {
    // The page in the view stays, and so do the lists and the order it
    // shows: its form and links name positions in them.
    state_.table = shown_->table;
    state_.selection().RestoreLists(shown_->available, shown_->chosen);
    drop_written_ = true;
  }
  // A page already written is being read: it takes the view once readable.
  page_view_->ShowLoading(false);
}

void OverviewWindow::PageWritten(const std::optional<std::filesystem::path>& page) {
  if (std::exchange(drop_written_, false)) return;
  if (page) shown_ = requested_;
  if (!page) {
    // Nothing new to show: the previous page comes back.
    page_view_->ShowLoading(false);
    return;
  }
  // A long table shows its first rows as a preview first; the complete page
  // follows behind it.
  page_view_->Show(PageUrl(FromPath(*page)),
                   rows_requested_ + 1 > static_cast<size_t>(kRowsWhileLoading));
}

void OverviewWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  page_view_->setGeometry(0, 0, width(), height());
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
