#include "viewer/platform/geometry.h"

#include <QAbstractScrollArea>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

namespace wunt {
namespace {

// The average width as dialog units have always measured it: over the 52
// letters, so that a font with narrow digits or wide capitals counts fairly.
double AverageCharWidth(const QFont& font) {
  static const QString kLetters =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return QFontMetricsF(font).horizontalAdvance(kLetters) / kLetters.size();
}

// Moves a window's controls onto a page of the window's present size that
// scrolls inside the window, so that a window too big for its screen can
// shrink without cutting anything off. Returns false for a window that
// arranges its controls through a layout of its own.
bool ScrollContent(QWidget* window) {
  if (window->layout() != nullptr) return false;
  auto* content = new QWidget;
  content->setFixedSize(window->size());
  const bool shown = window->isVisible();
  const QObjectList children = window->children();
  for (QObject* child : children) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr || widget->isWindow()) continue;
    const bool hidden = widget->isHidden() && widget->testAttribute(Qt::WA_WState_ExplicitShowHide);
    widget->setParent(content);
    if (hidden) {
      widget->hide();
    } else if (shown) {
      widget->show();
    }
  }
  auto* area = new QScrollArea(window);
  area->setObjectName(QString::fromLatin1(kWindowContentName));
  area->setFrameShape(QFrame::NoFrame);
  area->setFocusPolicy(Qt::NoFocus);
  area->setWidget(content);
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(area);
  if (shown) area->show();
  return true;
}

// Numbers the rows of a top-to-bottom sorted list of tops: a top within
// `tolerance` of its row's first top shares that row.
std::vector<int> RowNumbers(const std::vector<int>& sorted_tops, int tolerance) {
  std::vector<int> rows;
  int row = -1;
  int row_top = 0;
  for (const int top : sorted_tops) {
    if (row < 0 || top - row_top > tolerance) {
      ++row;
      row_top = top;
    }
    rows.push_back(row);
  }
  return rows;
}

struct FocusStop {
  QWidget* widget;
  QRect rect;    // in the window's coordinates
  QRect anchor;  // where its group starts: the group's frame, or itself
  int group_row = 0;
  int row = 0;
};

// A spin box's text field is part of the spin box: it follows it.
bool IsPartOfStop(const QWidget* widget, const QWidget* window) {
  for (const QWidget* w = widget->parentWidget(); w != nullptr && w != window;
       w = w->parentWidget()) {
    if (w->focusPolicy() & Qt::TabFocus) return true;
  }
  return false;
}

QRect InWindow(const QWidget* widget, const QWidget* window) {
  return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

struct Frame {
  const QGroupBox* box;
  QRect rect;  // in the window's coordinates
};

// Where a control's group starts: the frame around it, or the frame it is
// stacked right below in the same column, or the scrolling list it is part
// of; a control of its own is its own group. Only frames on the control's
// own page count: the pages of a tab widget lie over each other.
QRect GroupOf(const QWidget* widget, const QRect& rect, const std::vector<Frame>& frames,
              const QWidget* window) {
  for (const QWidget* w = widget->parentWidget(); w != nullptr && w != window;
       w = w->parentWidget()) {
    const auto* area = qobject_cast<const QAbstractScrollArea*>(w->parentWidget());
    if (area != nullptr && area->viewport() == w &&
        area->objectName() != QLatin1String(kWindowContentName)) {
      return InWindow(area, window);
    }
  }
  const Frame* best = nullptr;
  for (const Frame& frame : frames) {
    if (!frame.box->parentWidget()->isAncestorOf(widget)) continue;
    if (frame.rect.contains(rect.center())) return frame.rect;
    const bool in_column = rect.left() >= frame.rect.left() && rect.right() <= frame.rect.right();
    if (in_column && rect.top() > frame.rect.bottom() &&
        (best == nullptr || frame.rect.bottom() > best->rect.bottom())) {
      best = &frame;
    }
  }
  return best != nullptr ? best->rect : rect;
}

void SortIntoRows(std::vector<FocusStop>& stops, QRect FocusStop::*key, int FocusStop::*row,
                  int tolerance) {
  std::stable_sort(stops.begin(), stops.end(), [key](const FocusStop& a, const FocusStop& b) {
    return (a.*key).top() < (b.*key).top();
  });
  std::vector<int> tops;
  for (const FocusStop& stop : stops) tops.push_back((stop.*key).top());
  const std::vector<int> rows = RowNumbers(tops, tolerance);
  for (size_t i = 0; i < stops.size(); ++i) stops[i].*row = rows[i];
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font)
    : x_scale_(AverageCharWidth(font) / kReferenceCharWidth),
      y_scale_(QFontMetricsF(font).height() / kReferenceLineHeight) {}

DialogUnits::DialogUnits(const QWidget* widget) : DialogUnits(widget->font()) {}

int DialogUnits::X(int x) const { return static_cast<int>(std::lround(x * x_scale_)); }
int DialogUnits::Y(int y) const { return static_cast<int>(std::lround(y * y_scale_)); }

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
  // Edges are scaled, not sizes, so neighbours that touch keep touching.
  const int left = X(x);
  const int top = Y(y);
  return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

QSize DialogUnits::Size(int width, int height) const { return QSize(X(width), Y(height)); }

QRect InsideFrame(const QRect& rect, const QWidget* frame) {
  const QRect contents = frame->contentsRect().translated(frame->pos());
  if (!frame->geometry().contains(rect.center())) return rect;
  return rect.intersected(contents);
}

void SetFixedDialogSize(QWidget* window, int width, int height) {
  window->setFixedSize(DialogUnits(window).Size(width, height));
}

void FitToScreen(QWidget* window, bool center) {
  QScreen* screen = window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  // The frame counts too: its title bar must stay reachable. Before the
  // window is shown its frame is unknown; a title bar and thin borders are
  // what desktops draw.
  QMargins frame(window->geometry().left() - window->frameGeometry().left(),
                 window->geometry().top() - window->frameGeometry().top(),
                 window->frameGeometry().right() - window->geometry().right(),
                 window->frameGeometry().bottom() - window->geometry().bottom());
  if (frame.isNull()) {
    const int border = window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    frame = QMargins(border, title + border, border, border);
  }
  const QSize limit = area.size().shrunkBy(frame);
  if (window->width() > limit.width() || window->height() > limit.height()) {
    QSize size = window->size().boundedTo(limit);
    // A window of fixed size gets a smaller fixed size; a resizable one
    // keeps its limits, so that it can grow again on a bigger screen.
    if (window->minimumSize() == window->maximumSize()) {
      if (ScrollContent(window)) {
        // The scroll bar needs room of its own, so that scrolling one way
        // does not make the page scroll the other way as well.
        const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        if (window->height() > limit.height()) size.rwidth() += bar;
        if (window->width() > limit.width()) size.rheight() += bar;
        size = size.boundedTo(limit);
      }
      window->setFixedSize(size);
    } else {
      window->setMinimumSize(window->minimumSize().boundedTo(limit));
      window->resize(size);
    }
  }
  QRect outer = QRect(window->geometry().topLeft(), window->size()).marginsAdded(frame);
  if (center) outer.moveCenter(area.center());
  outer.moveLeft(std::clamp(outer.left(), area.left(),
                            std::max(area.left(), area.right() - outer.width() + 1)));
  outer.moveTop(std::clamp(outer.top(), area.top(),
                           std::max(area.top(), area.bottom() - outer.height() + 1)));
  // A window's position is its frame's.
  window->move(outer.topLeft());
}

void OrderFocusByPosition(QWidget* window) {
  std::vector<Frame> frames;
  for (const QGroupBox* box : window->findChildren<QGroupBox*>()) {
    if (box->parentWidget() != nullptr) frames.push_back({box, InWindow(box, window)});
  }
  std::vector<FocusStop> stops;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!(widget->focusPolicy() & Qt::TabFocus) || IsPartOfStop(widget, window)) continue;
    const QRect rect = InWindow(widget, window);
    stops.push_back({widget, rect, GroupOf(widget, rect, frames, window)});
  }
  const int tolerance = DialogUnits(window).Y(8);
  SortIntoRows(stops, &FocusStop::rect, &FocusStop::row, tolerance);
  SortIntoRows(stops, &FocusStop::anchor, &FocusStop::group_row, tolerance);
  std::stable_sort(stops.begin(), stops.end(), [](const FocusStop& a, const FocusStop& b) {
    return std::make_tuple(a.group_row, a.anchor.left(), a.anchor.top(), a.row, a.rect.left()) <
           std::make_tuple(b.group_row, b.anchor.left(), b.anchor.top(), b.row, b.rect.left());
  });
  for (size_t i = 1; i < stops.size(); ++i) {
    QWidget::setTabOrder(stops[i - 1].widget, stops[i].widget);
  }
}

}  // namespace wunt
