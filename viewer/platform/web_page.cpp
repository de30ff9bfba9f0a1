#include "viewer/platform/web_page.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMutex>
#include <QUrlQuery>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <algorithm>
#include <cstring>

#include "viewer/platform/app_info.h"

namespace wunt {
namespace {

constexpr const char* kSchemes[] = {"window", "open"};
constexpr char kFirstRowsId[] = "wunt-first-rows";
constexpr char kPreviewItem[] = "preview";

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

// What the newest preview left out of its lists, by the page number its
// address carries. Pages are served and shown on the GUI thread only.
struct LeftOutLists {
  QString page;
  std::vector<std::pair<std::string, std::string>> lists;
};

LeftOutLists& LeftOut() {
  static LeftOutLists left_out;
  return left_out;
}

// A Windows path stands as "/C:/..." in an address with a host.
QString FilePath(const QUrl& url) {
  QString path = url.path();
  if (path.size() > 2 && path[0] == QLatin1Char('/') && path[2] == QLatin1Char(':')) {
    path.remove(0, 1);
  }
  return path;
}

QString PageNumber(const QUrl& url) {
  return QUrlQuery(url).queryItemValue(QStringLiteral("page"));
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

// An in-app page as the view reads it: with the first-rows style, which
// goes into the page's first bytes, and the rest read from the file as the
// engine asks for it, so that a page of megabytes is never copied whole.
class StyledPage : public QIODevice {
 public:
  StyledPage(QFile* file, QObject* parent) : QIODevice(parent), file_(file) {
    file_->setParent(this);
    head_ = WithFirstRowsStyle(file_->read(kHeadBytes));
    head_from_file_ = file_->pos();
  }
  bool open(OpenMode mode) override {
    // Unbuffered: the engine reads in chunks of its own.
    return (mode & WriteOnly) == 0 && file_->isOpen() && QIODevice::open(mode | Unbuffered);
  }
  qint64 size() const override { return head_.size() + file_->size() - head_from_file_; }
  bool seek(qint64 position) override {
    if (!QIODevice::seek(position)) return false;
    at_ = position;
    return file_->seek(head_from_file_ + std::max<qint64>(0, position - head_.size()));
  }

 protected:
  qint64 readData(char* data, qint64 max) override {
    qint64 done = 0;
    if (at_ < head_.size()) {
      done = std::min(max, head_.size() - at_);
      std::memcpy(data, head_.constData() + at_, static_cast<size_t>(done));
    }
    if (done < max) {
      const qint64 read = file_->read(data + done, max - done);
      if (read < 0 && done == 0) return -1;
      done += std::max<qint64>(0, read);
    }
    at_ += done;
    return done;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  // WithFirstRowsStyle looks no further than this for the html tag.
  static constexpr qint64 kHeadBytes = 4096;
  QFile* file_;
  QByteArray head_;
  qint64 head_from_file_ = 0;
  qint64 at_ = 0;
};

class PageFileHandler : public QWebEngineUrlSchemeHandler {
 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
  void requestStarted(QWebEngineUrlRequestJob* job) override {
    const QString root = PageRoot();
    const QString path = QFileInfo(FilePath(job->requestUrl())).canonicalFilePath();
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
    if (Preview() != nullptr &&
        QUrlQuery(job->requestUrl()).hasQueryItem(QString::fromLatin1(kPreviewItem))) {
      // A preview is short enough to be laid out while it is read. The
      // page is looked at where it lies: a copy of ten megabytes in
      // memory costs more than cutting it.
      std::optional<PreviewPage> preview;
      if (const uchar* mapped = file->map(0, file->size())) {
        preview = Preview()(std::string_view(reinterpret_cast<const char*>(mapped),
                                             static_cast<size_t>(file->size())),
                            kRowsWhileLoading);
      } else {
        const QByteArray bytes = file->readAll();
        preview = Preview()(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                            kRowsWhileLoading);
        file->seek(0);
      }
      if (preview) {
        LeftOut() = {PageNumber(job->requestUrl()), std::move(preview->lists)};
        auto* page = new QBuffer(job);
        page->setData(QByteArray::fromStdString(preview->page));
        delete file;
        page->open(QIODevice::ReadOnly);
        job->reply(type, page);
        return;
      }
    }
    auto* page = new StyledPage(file, job);
    if (!page->open(QIODevice::ReadOnly)) {
      job->fail(QWebEngineUrlRequestJob::RequestFailed);
      return;
    }
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
  // With a host, the engine tells one page's process from another's: with
  // a path alone every page would be read in a new process.
  QWebEngineUrlScheme page(kPageScheme);
  page.setSyntax(QWebEngineUrlScheme::Syntax::Host);
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
  QString path = QFileInfo(file).absoluteFilePath();
  if (!path.startsWith(QLatin1Char('/'))) path.prepend(QLatin1Char('/'));
  url.setScheme(QString::fromLatin1(kPageScheme));
  url.setHost(QString::fromLatin1(kPageHost));
  url.setPath(path);
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

QString RestoreListsScript(const QUrl& preview) {
  LeftOutLists& left_out = LeftOut();
  if (left_out.lists.empty() || left_out.page != PageNumber(preview)) return {};
  QJsonArray lists;
  for (const auto& [name, options] : left_out.lists) {
    lists.append(FromCp1252(name));
    lists.append(FromCp1252(options));
  }
  left_out = {};
  return QStringLiteral(
             "(function(d) { var s = document.getElementsByTagName('select');"
             " for (var i = 0; i < d.length; i += 2) for (var k = 0; k < s.length; ++k)"
             " if (s[k].name === d[i]) { s[k].insertAdjacentHTML('beforeend', d[i + 1]); break; }"
             " })(%1);")
      .arg(QString::fromUtf8(QJsonDocument(lists).toJson(QJsonDocument::Compact)));
}

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
