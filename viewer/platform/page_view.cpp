#include "viewer/platform/page_view.h"

#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <chrono>
#include <utility>

namespace wunt {
namespace {

constexpr int kLoadAttempts = 3;
// How the view waits for the complete page to be drawn under its preview:
// a script answered within kIdleAnswer, kIdleAnswers times in a row,
// kFramePoll apart, or kFramePolls asked.
constexpr auto kIdleAnswer = std::chrono::milliseconds(30);
constexpr int kIdleAnswers = 3;
constexpr auto kFramePoll = std::chrono::milliseconds(16);
constexpr int kFramePolls = 100;

}  // namespace

PageView::PageView(const QUrl& loading_page, NavigationPage::Handler navigation, QWidget* parent)
    : QWidget(parent), navigation_(std::move(navigation)) {
  loading_view_ = MakeView();
  loading_view_->setUrl(loading_page);
  main_view_ = MakeMainView();
  next_view_ = MakeMainView();
  readings_[0].view = main_view_;
  readings_[1].view = next_view_;
}

PageView::~PageView() {
  // The views outlive this object's members; a load they end on their way
  // out must not reach it, and a script answer they give on their way out
  // must find the view closing.
  closing_ = true;
  main_view_->page()->disconnect(this);
  next_view_->page()->disconnect(this);
  delete main_view_;
  delete next_view_;
}

QWebEngineView* PageView::MakeView() {
  auto* view = new QWebEngineView(this);
  // Each page keeps a handler of its own: a view may still ask while this
  // object's members are gone.
  view->setPage(new NavigationPage(AppProfile(), navigation_, view));
  return view;
}

QWebEngineView* PageView::MakeMainView() {
  QWebEngineView* view = MakeView();
  view->hide();
  // The owner's menu instead of the browser's (back, reload, view source),
  // none of which means anything for a generated page.
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& position) {
    if (on_context_menu_) on_context_menu_(view->mapToGlobal(position));
  });
  connect(view->page(), &QWebEnginePage::loadingChanged, this,
          [this, view](const QWebEngineLoadingInfo& info) { LoadingChanged(view, info); });
  return view;
}

void PageView::Show(QUrl page, bool preview_first) {
  // A hidden view still busy with the complete form of the page before
  // would read the new one only after that; the other, idle, reads it. The
  // busy one stops reading, so the engine's time goes to the new page.
  if (stage_ == Stage::kFull || stage_ == Stage::kRevealing) {
    std::swap(main_view_, next_view_);
    // A complete page still waiting for its view's loading page goes too.
    ReadingOf(main_view_).wanted.clear();
    if (stage_ == Stage::kFull) main_view_->stop();
  }
  ++serial_;
  page.setQuery(QStringLiteral("page=%1").arg(serial_));
  if (preview_first) {
    // The preview is read by a view's running process; the complete page by
    // a fresh one, which ends the process that held the long table before
    // and gives its memory back: a process keeps what it once laid out.
    full_page_ = page;
    full_page_.setHost(QStringLiteral("page%1").arg(serial_));
    Read(PreviewUrl(page), true);
  } else {
    full_page_.clear();
    Read(page, true);
  }
}

void PageView::LoadingChanged(QWebEngineView* view, const QWebEngineLoadingInfo& info) {
  if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus) {
    Reading& reading = ReadingOf(view);
    if (!reading.now.isEmpty() && info.url() == reading.now) {
      reading.now.clear();
      if (!reading.wanted.isEmpty()) LoadInto(view, std::exchange(reading.wanted, QUrl()));
    }
  }
  // The loading page stays up until the new page has loaded, also when
  // loading fails: the owner never waits for ever. Every page has an
  // address of its own, so a load that a newer one ended never counts.
  if (view != next_view_ || requested_page_.isEmpty() || info.url() != requested_page_ ||
      info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
    return;
  }
  const bool ok = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
  // A navigation the view cancelled for a command can interrupt the page's
  // load; load it again, a few times at most.
  if (!ok && load_attempts_ < kLoadAttempts) {
    ++load_attempts_;
    LoadInto(next_view_, requested_page_);
    return;
  }
  requested_page_.clear();
  if (stage_ == Stage::kFirst) {
    FirstPageRead(ok);
  } else if (stage_ == Stage::kFull) {
    FullPageRead(ok);
  }
}

void PageView::Read(const QUrl& page, bool first) {
  stage_ = first ? Stage::kFirst : Stage::kFull;
  requested_page_ = page;
  load_attempts_ = 1;
  LoadInto(next_view_, page);
}

void PageView::FirstPageRead(bool ok) {
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
    // The preview's long lists come in whole now that its first rows are
    // on screen.
    const QString lists = RestoreListsScript(PreviewUrl(full_page_));
    if (!lists.isEmpty()) {
      main_view_->page()->runJavaScript(lists, QWebEngineScript::ApplicationWorld);
    }
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

void PageView::FullPageRead(bool ok) {
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

void PageView::ShowFullPage(int serial, QPointF scrolled_to, int attempts_left) {
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

void PageView::WaitUntilDrawn(int serial, int polls_left, int quick_in_row) {
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
        if (in_row >= kIdleAnswers || polls_left <= 0 || !isVisible() || window()->isMinimized()) {
          SwapInFullPage();
          return;
        }
        QTimer::singleShot(kFramePoll, this, [this, serial, polls_left, in_row] {
          WaitUntilDrawn(serial, polls_left - 1, in_row);
        });
      });
}

void PageView::SwapInFullPage() {
  stage_ = Stage::kNone;
  full_page_.clear();
  std::swap(main_view_, next_view_);
  ++pages_complete_;
  complete_serial_ = serial_;
  // A page asked for meanwhile keeps the loading page up until it is
  // readable.
  ShowLoading(loading_);
  DropHiddenPage();
}

PageView::Reading& PageView::ReadingOf(QWebEngineView* view) {
  return view == readings_[0].view ? readings_[0] : readings_[1];
}

void PageView::LoadInto(QWebEngineView* view, const QUrl& page) {
  // A view reads one page at a time: the engine reads a page asked for
  // while the view still reads another after it, or drops it, and a page
  // asked for twice is read twice, the second time under a reader who
  // already took it as shown. The newest page waits, the others are dropped.
  Reading& reading = ReadingOf(view);
  if (!reading.now.isEmpty()) {
    reading.wanted = page;
    return;
  }
  reading.now = page;
  view->load(page);
}

void PageView::DropHiddenPage() {
  // The small loading page takes the old page's place, which also keeps
  // that view's engine process ready for the next page.
  LoadInto(next_view_, loading_view_->url());
}

void PageView::RevealAllRows() {
  main_view_->page()->runJavaScript(AllRowsScript(), QWebEngineScript::ApplicationWorld,
                                    [this, serial = serial_](const QVariant&) {
                                      if (closing_ || serial != serial_) return;
                                      ++pages_complete_;
                                      complete_serial_ = serial;
                                    });
}

void PageView::ShowLoading(bool loading) {
  loading_ = loading;
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
  if (on_loading_) on_loading_(loading);
}

void PageView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  loading_view_->setGeometry(0, 0, width(), height());
  main_view_->setGeometry(0, 0, width(), height());
  next_view_->setGeometry(0, 0, width(), height());
}

}  // namespace wunt
