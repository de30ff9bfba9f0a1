#include "viewer/platform/web_page.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QUrlQuery>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <algorithm>

namespace wunt {
namespace {

constexpr const char* kSchemes[] = {"window", "open"};
constexpr char kFirstRowsId[] = "wunt-first-rows";
constexpr char kPreviewItem[] = "preview";
// More than the first-rows style takes.
constexpr qsizetype kStyleRoom = 256;

// Navigations of these schemes are cancelled before they load; a request
// that still arrives (a sub-resource of a template) gets nothing.
class NothingHandler : public QWebEngineUrlSchemeHandler {
 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
  void requestStarted(QWebEngineUrlRequestJob* job) override {
    job->fail(QWebEngineUrlRequestJob::RequestDenied);
  }
};

QString& PageRoot() {
  static QString root;
  return root;
}

PagePreview& Preview() {
  static PagePreview preview = nullptr;
  return preview;
}

QByteArray ContentType(const QString& suffix) {
  const QString s = suffix.toLower();
  if (s == "dat" || s == "htm" || s == "html") return "text/html;charset=windows-1252";
  if (s == "css") return "text/css;charset=windows-1252";
  if (s == "jpg" || s == "jpeg") return "image/jpeg";
  if (s == "png") return "image/png";
  if (s == "gif") return "image/gif";
  if (s == "bmp") return "image/bmp";
  return {};
}

class PageFileHandler : public QWebEngineUrlSchemeHandler {
 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
  void requestStarted(QWebEngineUrlRequestJob* job) override {
    const QString root = PageRoot();
    const QString path = QFileInfo(job->requestUrl().path()).canonicalFilePath();
    const QByteArray type = ContentType(QFileInfo(path).suffix());
    // Only files below the data folder, and only kinds a page shows.
    if (root.isEmpty() || path.isEmpty() || !path.startsWith(root + QLatin1Char('/')) ||
        type.isEmpty()) {
      job->fail(QWebEngineUrlRequestJob::UrlNotFound);
      return;
    }
    auto* file = new QFile(path, job);
    if (!file->open(QIODevice::ReadOnly)) {
      job->fail(QWebEngineUrlRequestJob::UrlNotFound);
      return;
    }
    if (QFileInfo(path).suffix().toLower() != QLatin1String("dat")) {
      job->reply(type, file);
      return;
    }
    // Read with room for the first-rows style, which then goes in without
    // a second copy of a page that can be ten megabytes.
    QByteArray bytes;
    bytes.reserve(file->size() + kStyleRoom);
    bytes.resize(file->size());
    bytes.resize(std::max<qint64>(0, file->read(bytes.data(), bytes.size())));
    std::optional<std::string> preview;
    if (Preview() != nullptr &&
        QUrlQuery(job->requestUrl()).hasQueryItem(QString::fromLatin1(kPreviewItem))) {
      preview = Preview()(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                          kRowsWhileLoading);
    }
    auto* page = new QBuffer(job);
    // A preview is short enough to be laid out while it is read.
    page->setData(preview ? QByteArray::fromStdString(*preview)
                          : WithFirstRowsStyle(std::move(bytes)));
    delete file;
    page->open(QIODevice::ReadOnly);
    job->reply(type, page);
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
  QWebEngineUrlScheme page(kPageScheme);
  page.setSyntax(QWebEngineUrlScheme::Syntax::Path);
  page.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
  QWebEngineUrlScheme::registerScheme(page);
}

void InstallAppSchemeHandler(QWebEngineProfile* profile) {
  auto* handler = new NothingHandler(profile);
  for (const char* name : kSchemes) profile->installUrlSchemeHandler(name, handler);
  profile->installUrlSchemeHandler(kPageScheme, new PageFileHandler(profile));
}

void SetPageRoot(const QString& data_root) {
  PageRoot() = QFileInfo(data_root).canonicalFilePath();
}

QUrl PageUrl(const QString& file) {
  QUrl url;
  url.setScheme(QString::fromLatin1(kPageScheme));
  url.setPath(QFileInfo(file).absoluteFilePath());
  return url;
}

QByteArray WithFirstRowsStyle(QByteArray page) {
  const QByteArray style = QByteArray("<style id=\"") + kFirstRowsId +
                           "\">.tabellem tr:nth-child(n+" +
                           QByteArray::number(kRowsWhileLoading + 1) + ") {display:none}</style>";
  // After a doctype, which must stay first; before the html tag the style
  // starts the head the parser makes. The tag stands near the start.
  const qsizetype html = page.left(4096).toLower().indexOf("<html");
  page.insert(html >= 0 ? html : 0, style);
  return page;
}

QString AllRowsScript(QPointF scroll) {
  return QStringLiteral(
             "(function() { var s = document.getElementById('%1'); if (s) s.remove();"
             " var h = document.body ? document.body.offsetHeight : 0; window.scrollTo(%2, %3);"
             " return h; })()")
      .arg(QString::fromLatin1(kFirstRowsId))
      .arg(scroll.x())
      .arg(scroll.y());
}

QString ScrollScript(QPointF scroll) {
  return QStringLiteral("window.scrollTo(%1, %2);").arg(scroll.x()).arg(scroll.y());
}

void SetPagePreview(PagePreview preview) { Preview() = preview; }

QUrl PreviewUrl(QUrl page) {
  QUrlQuery query(page);
  query.addQueryItem(QString::fromLatin1(kPreviewItem), QString());
  page.setQuery(query);
  return page;
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
