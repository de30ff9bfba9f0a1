#include "viewer/platform/geometry.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace wunt {
namespace {

// The average width as dialog units have always measured it: over the 52
// letters, so that a font with narrow digits or wide capitals counts fairly.
double AverageCharWidth(const QFont& font) {
  static const QString kLetters =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return QFontMetricsF(font).horizontalAdvance(kLetters) / kLetters.size();
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
    const QSize size = window->size().boundedTo(limit);
    // A window of fixed size gets a smaller fixed size; a resizable one
    // keeps its limits, so that it can grow again on a bigger screen.
    if (window->minimumSize() == window->maximumSize()) {
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

}  // namespace wunt
