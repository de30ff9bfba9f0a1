#pragma once
// The embedded browser of the overview window. Every navigation a view is
// about to make goes to one callback that may cancel it; only navigations
// the user makes (a link clicked or a form sent in the main frame) may run
// program commands, and page scripts are switched off, so a page can never
// trigger one by itself.

#include <QPointF>
#include <QWebEnginePage>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QWebEngineProfile;

namespace wunt {

// The program's own schemes ("window", "open") must be known before the
// application object exists, or their navigations never reach the page.
void RegisterAppSchemes();
// Answers every request of those schemes with nothing, on `profile`.
void InstallAppSchemeHandler(QWebEngineProfile* profile);

// The in-app page is a ".dat" file, which the browser would show as plain
// text from a file address. The views therefore read the data folder
// through a scheme of their own that serves pages as Windows-1252 HTML and
// pictures by their extension, and nothing outside `data_root`.
inline constexpr char kPageScheme[] = "wunt";
void SetPageRoot(const QString& data_root);
// The address of a file below the page root, under kPageHost. The engine
// keeps a view's process from one page to the next of the same host and
// starts a new process for another host: a page read under kPageHost is
// read by a process that is already running, one under a host of its own
// by a fresh one, which ends the process of the page before.
inline constexpr char kPageHost[] = "local";
QUrl PageUrl(const QString& file);

// A long result table would be laid out again and again while the engine
// reads it, which costs many times a single layout. The in-app page is
// therefore served with a style that shows only the table's first rows
// while it loads; once loaded, AllRowsScript (run in the application's
// script world) lifts it, lays out the rest once and scrolls to `scroll`.
// The page's file stays byte for byte as written; only what the view reads
// carries it.
inline constexpr int kRowsWhileLoading = 60;
QByteArray WithFirstRowsStyle(QByteArray page);
QString AllRowsScript(QPointF scroll = {});
// Scrolls the page to `scroll`, in the application's script world.
QString ScrollScript(QPointF scroll);

// The address under which the view reads only the first kRowsWhileLoading
// rows of the page's result table: a long page shows that much long before
// the engine has read all of it. What the rows are is the business of the
// window that shows pages: it sets how a page is cut (nothing: the page is
// served whole).
QUrl PreviewUrl(QUrl page);
struct PreviewPage {
  std::string page;
  // Lists of the page's forms whose options the preview leaves out after
  // the first: the list's name and the options' markup, both as in the
  // page. They are added back once the preview is on screen.
  std::vector<std::pair<std::string, std::string>> lists;
};
using PagePreview = std::optional<PreviewPage> (*)(std::string_view page, size_t rows);
void SetPagePreview(PagePreview preview);
// The script, for the application's script world, that adds back what the
// preview read under `preview` left out of its lists; empty when nothing.
// Only the newest preview's lists are kept, until asked for.
QString RestoreListsScript(const QUrl& preview);

class NavigationPage : public QWebEnginePage {
 public:
  // Returns whether the view may open the address. `by_user` is false for
  // navigations the program or the page itself started.
  using Handler = std::function<bool(const QUrl& url, bool by_user)>;

  NavigationPage(QWebEngineProfile* profile, Handler handler, QObject* parent = nullptr);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool is_main_frame) override;

 private:
  Handler handler_;
};

// A private in-memory profile for the overview window: no cache or cookies
// on disk, and the program's schemes handled.
QWebEngineProfile* AppProfile();

}  // namespace wunt
