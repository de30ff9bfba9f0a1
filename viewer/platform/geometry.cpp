#include "viewer/platform/geometry.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
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

void FitToScreen(QWidget* window, bool center) {
  QScreen* screen = window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  // The frame counts too: its title bar must stay reachable.
  const QSize frame_extra = window->frameGeometry().size() - window->geometry().size();
  const QSize limit = area.size() - frame_extra;
  if (window->width() > limit.width() || window->height() > limit.height()) {
    if (window->minimumWidth() > limit.width() || window->minimumHeight() > limit.height()) {
      window->setMinimumSize(window->minimumSize().boundedTo(limit));
    }
    if (window->maximumWidth() > limit.width() || window->maximumHeight() > limit.height()) {
      window->setMaximumSize(window->maximumSize().boundedTo(limit));
    }
    window->resize(window->size().boundedTo(limit));
  }
  QRect frame = window->frameGeometry();
  if (center) frame.moveCenter(area.center());
  frame.moveLeft(std::clamp(frame.left(), area.left(),
                            std::max(area.left(), area.right() - frame.width() + 1)));
  frame.moveTop(std::clamp(frame.top(), area.top(),
                           std::max(area.top(), area.bottom() - frame.height() + 1)));
  window->move(frame.topLeft());
}

}  // namespace wunt
