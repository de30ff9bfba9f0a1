#pragma once
// The embedded browser of the overview window. Every navigation a view is
// about to make goes to one callback that may cancel it; only navigations
// the user makes (a link clicked or a form sent in the main frame) may run
// program commands, and page scripts are switched off, so a page can never
// trigger one by itself.

#include <QWebEnginePage>
#include <functional>

class QWebEngineProfile;

namespace wunt {

// The program's own schemes ("window", "open") must be known before the
// application object exists, or their navigations never reach the page.
void RegisterAppSchemes();
// Answers every request of those schemes with nothing, on `profile`.
void InstallAppSchemeHandler(QWebEngineProfile* profile);

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
