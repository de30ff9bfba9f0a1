#pragma once
// A page in an embedded browser that never goes blank between pages. A
// hidden view reads the next page and changes places with the shown one
// once the page is readable; a long page comes first as a preview of its
// first rows, and the complete page, read and laid out under the preview,
// takes its place when it is drawn. While the owner prepares a page a small
// loading page covers the views. What a page means (its links, menus,
// saving) is the owner's business.

#include <QPointF>
#include <QUrl>
#include <QWidget>
#include <functional>

#include "viewer/platform/web_page.h"

class QWebEngineLoadingInfo;
class QWebEngineView;

namespace wunt {

class PageView : public QWidget {
 public:
  // `loading_page` is shown while a page is prepared; every view asks
  // `navigation` whether it may open an address.
  PageView(const QUrl& loading_page, NavigationPage::Handler navigation, QWidget* parent);
  ~PageView() override;

  // Reads `page` hidden and shows it once it is readable; with
  // `preview_first`, first its preview, then the complete page behind it.
  // A newer page ends the reading of an older one.
  void Show(QUrl page, bool preview_first);
  // The loading page covers the views (while the owner prepares a page)
  // or goes (also when there is nothing new to show); it goes by itself
  // once a page given to Show is readable.
  void ShowLoading(bool loading);
  // Called whenever the loading page comes up or goes.
  void set_on_loading(std::function<void(bool loading)> on_loading) {
    on_loading_ = std::move(on_loading);
  }
  // Called for a context menu asked for on a page, at its global position.
  void set_on_context_menu(std::function<void(const QPoint&)> on_context_menu) {
    on_context_menu_ = std::move(on_context_menu);
  }

  // The view showing the current page; another one, hidden, reads the
  // next page, and the two change places once it is readable.
  QWebEngineView* main_view() const { return main_view_; }
  QWebEngineView* loading_view() const { return loading_view_; }
  // Counts the pages the main view finished showing; for waiting on them.
  // A page is shown, and readable, with its first rows: a long table first
  // as a preview of them, and the complete page takes its place once the
  // engine has read and laid it out (pages_complete).
  int pages_shown() const { return pages_shown_; }
  int pages_complete() const { return pages_complete_; }
  // True while the newest page is read and not yet readable.
  bool reading() const { return stage_ == Stage::kFirst; }
  // Whether the newest page is shown complete.
  bool complete() const { return !reading() && complete_serial_ == serial_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // What the hidden view is reading.
  enum class Stage {
    kNone,
    kFirst,      // the page to show next, or its preview
    kFull,       // the complete page behind its shown preview
    kRevealing,  // that page read, its rows being laid out
  };

  QWebEngineView* MakeView();
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

  NavigationPage::Handler navigation_;
  std::function<void(bool)> on_loading_;
  std::function<void(const QPoint&)> on_context_menu_;
  QWebEngineView* loading_view_ = nullptr;
  QWebEngineView* main_view_ = nullptr;
  QWebEngineView* next_view_ = nullptr;
  int pages_shown_ = 0;
  int pages_complete_ = 0;
  int serial_ = 0;           // counts the pages given; makes each address new
  int complete_serial_ = 0;  // the newest page shown complete
  Stage stage_ = Stage::kNone;
  bool loading_ = false;  // the loading page is asked for
  QUrl requested_page_;   // the address the hidden view is reading
  QUrl full_page_;        // the complete page, while its preview is read or shown
  // What a view reads for us, and the page it is to read next.
  struct Reading {
    QWebEngineView* view = nullptr;
    QUrl now;
    QUrl wanted;
  };
  Reading& ReadingOf(QWebEngineView* view);
  void LoadInto(QWebEngineView* view, const QUrl& page);
  Reading readings_[2];
  int load_attempts_ = 0;
  bool closing_ = false;
};

}  // namespace wunt
