#include "viewer/platform/web_page.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace wunt {
namespace {

constexpr const char* kSchemes[] = {"window", "open"};

// Navigations of these schemes are cancelled before they load; a request
// that still arrives (a sub-resource of a template) gets nothing.
class NothingHandler : public QWebEngineUrlSchemeHandler {
 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
  void requestStarted(QWebEngineUrlRequestJob* job) override {
    job->fail(QWebEngineUrlRequestJob::RequestDenied);
  }
};

}  // namespace

void RegisterAppSchemes() {
  for (const char* name : kSchemes) {
    QWebEngineUrlScheme scheme(name);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
  }
}

void InstallAppSchemeHandler(QWebEngineProfile* profile) {
  auto* handler = new NothingHandler(profile);
  for (const char* name : kSchemes) profile->installUrlSchemeHandler(name, handler);
}

QWebEngineProfile* AppProfile() {
  static QWebEngineProfile* profile = [] {
    auto* p = new QWebEngineProfile();  // off the record: nothing on disk
    p->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    p->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    p->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    InstallAppSchemeHandler(p);
    return p;
  }();
  return profile;
}

NavigationPage::NavigationPage(QWebEngineProfile* profile, Handler handler, QObject* parent)
    : QWebEnginePage(profile, parent), handler_(std::move(handler)) {}

bool NavigationPage::acceptNavigationRequest(const QUrl& url, NavigationType type,
                                             bool is_main_frame) {
  const bool by_user =
      is_main_frame && (type == NavigationTypeLinkClicked || type == NavigationTypeFormSubmitted);
  return handler_(url, by_user);
}

}  // namespace wunt
