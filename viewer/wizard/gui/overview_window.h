#pragma once
// The overview window: the in-app page in a page view, and the page's
// links and form turned into commands (sort, add, remove, change, save,
// open in the system browser, close).

#include <QUrl>
#include <QWidget>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "viewer/platform/page_generator.h"
#include "viewer/platform/page_view.h"
#include "viewer/report/link_command.h"
#include "viewer/wizard/request.h"

class QAction;
class QPushButton;
class QWebEngineView;

namespace wunt {

struct PageSnapshot;

class OverviewWindow : public QWidget {
 public:
  // `state` holds the result table and the lists the commands change; it
  // must outlive the window and stay untouched by others while it is open.
  OverviewWindow(RequestState& state, std::filesystem::path program_folder,
                 std::string game_address);
  ~OverviewWindow() override;

  // Called once the window has been closed.
  void set_on_closed(std::function<void()> on_closed) { on_closed_ = std::move(on_closed); }

  // The navigation callback of every view: whether the view may open `url`.
  // Commands only run for navigations the user made; they run after the
  // callback has returned, never inside the view's own call.
  bool HandleNavigation(const QUrl& url, bool by_user);

  // Starts a page generation (one is started when the window opens).
  void Generate();

  // The page view's views and counters (see PageView).
  QWebEngineView* main_view() const { return page_view_->main_view(); }
  QWebEngineView* loading_view() const { return page_view_->loading_view(); }
  int pages_shown() const { return page_view_->pages_shown(); }
  int pages_complete() const { return page_view_->pages_complete(); }
  // Whether the newest page is shown complete.
  bool page_complete() const { return !generating() && page_view_->complete(); }
  // True until the newest page is readable.
  bool generating() const { return generator_.busy() || page_view_->reading(); }

  // The page's context menu: "Tabelle kopieren", "Als CSV speichern ...".
  QList<QAction*> context_actions() const;
  // Ends a page generation from the loading page: the page shown before
  // stays (the wizard, before the first page).
  QPushButton* cancel_button() const { return cancel_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void RunCommand(const LinkCommand& command);
  void Sort(int32_t sort_index);
  void ApplyForm(const std::string& command);
  void Save();
  void CopyTable();
  void SaveCsv();
  // Replaces `file` with `bytes`; says so when it cannot.
  void WriteChosenFile(const QString& file, const std::string& bytes);
  void ShowContextMenu(const QPoint& global_position);
  // Has the page for the current state written; PageWritten hears of it.
  void RequestPage();
  void PageWritten(const std::optional<std::filesystem::path>& page);
  void CancelPageBuild();

  RequestState& state_;
  std::filesystem::path program_folder_;
  std::string game_address_;
  std::function<void()> on_closed_;
  PageView* page_view_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QAction* copy_action_ = nullptr;
  QAction* csv_action_ = nullptr;
  size_t rows_requested_ = 0;  // the page's table rows, newest generation
  // What the newest generation and the page in the view were made from.
  std::shared_ptr<const PageSnapshot> requested_;
  std::shared_ptr<const PageSnapshot> shown_;
  bool drop_written_ = false;  // the newest generation was cancelled
  PageGenerator generator_;
};

}  // namespace wunt
