#pragma once
// The overview window: the in-app page in an embedded browser, and the
// page's links and form turned into commands (sort, add, remove, change,
// save, open in the system browser, close).

#include <QPointF>
#include <QUrl>
#include <QWidget>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "viewer/platform/page_generator.h"
#include "viewer/report/link_command.h"
#include "viewer/wizard/request.h"

class QAction;
class QPushButton;
class QWebEngineLoadingInfo;
class QWebEngineView;

namespace wunt {

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

  // The main view showing the current page; another one, hidden, reads the
  // next page, and the two change places once it is readable.
  QWebEngineView* main_view() const { return main_view_; }
  QWebEngineView* loading_view() const { return loading_view_; }
  // Counts the pages the main view finished showing; for waiting on them.
  // A page is shown, and readable, with its first rows: a long table first
  // as a preview of them, and the complete page takes its place once the
  // engine has read and laid it out (pages_complete).
  int pages_shown() const { return pages_shown_; }
  int pages_complete() const { return pages_complete_; }
  // Whether the newest page is shown complete.
  bool page_complete() const { return !generating() && complete_serial_ == serial_; }
  // True until the newest page is readable.
  bool generating() const { return generator_.busy() || stage_ == Stage::kFirst; }

  // The page's context menu: "Tabelle kopieren", "Als CSV speichern ...".
  QList<QAction*> context_actions() const;
  // Ends a page generation from the loading page: the window closes.
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
  QWebEngineView* MakeMainView();
  void LoadingChanged(QWebEngineView* view, const QWebEngineLoadingInfo& info);
  void Read(const QUrl& page, bool first);
  void FirstPageRead(bool ok);
  void FullPageRead(bool ok);
  void ShowFullPage(int serial, QPointF scrolled_to, int attempts_left);
  void WaitUntilDrawn(int serial, int polls_left, int quick_in_row);
  void SwapInFullPage();
  void RevealAllRows();
  void DropHiddenPage();
  void ShowLoading(bool loading);
  void PageWritten(const std::optional<std::filesystem::path>& page);

  // What the hidden view is reading.
  enum class Stage {
    kNone,
    kFirst,      // the page to show next, or its preview
    kFull,       // the complete page behind its shown preview
    kRevealing,  // that page read, its rows being laid out
  };

  RequestState& state_;
  std::filesystem::path program_folder_;
  std::string game_address_;
  std::function<void()> on_closed_;
  QWebEngineView* loading_view_ = nullptr;
  QWebEngineView* main_view_ = nullptr;
  QWebEngineView* next_view_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QAction* copy_action_ = nullptr;
  QAction* csv_action_ = nullptr;
  int pages_shown_ = 0;
  int pages_complete_ = 0;
  size_t rows_requested_ = 0;  // the page's table rows, newest generation
  int serial_ = 0;             // counts the pages written; makes each address new
  int complete_serial_ = 0;    // the newest page shown complete
  Stage stage_ = Stage::kNone;
  QUrl requested_page_;  // the address the hidden view is reading
  QUrl full_page_;       // the complete page, while its preview is read or shown
  bool requested_started_ = false;
  int load_attempts_ = 0;
  bool closing_ = false;
  PageGenerator generator_;
};

}  // namespace wunt
