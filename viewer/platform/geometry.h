#pragma once
// Window geometry that follows the font. Every position and size a window
// states is read in the pixels of the reference dialog font the layout was
// drawn for (an average character width of 6 and a line height of 13
// pixels) and scaled by the metrics of the font in use: widths by the
// average character width, heights by the line height. The arrangement and
// proportions stay, and texts fit whatever the desktop font or scale.

#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

namespace wunt {

inline constexpr double kReferenceCharWidth = 6.0;
inline constexpr double kReferenceLineHeight = 13.0;

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  // The widget's own font.
  explicit DialogUnits(const QWidget* widget);

  int X(int x) const;
  int Y(int y) const;
  QRect Rect(int x, int y, int width, int height) const;
  QSize Size(int width, int height) const;

  double x_scale() const { return x_scale_; }
  double y_scale() const { return y_scale_; }

 private:
  double x_scale_ = 1.0;
  double y_scale_ = 1.0;
};

// Places `widget` at a rectangle given in reference units. The units are
// those of the window's font: a control with a font of its own (a big year
// label) keeps the place the window's layout gives it.
template <typename W>
W* Place(W* widget, int x, int y, int width, int height) {
  widget->setGeometry(DialogUnits(widget->window()).Rect(x, y, width, height));
  return widget;
}

// `rect` (in the parent's pixels) cut to the contents of `frame`, a framed
// group on the same parent: below its title and inside its border, however
// big the style draws them. A rectangle not on the frame stays as it is.
QRect InsideFrame(const QRect& rect, const QWidget* frame);

// Gives a window that cannot be resized its size in reference units.
void SetFixedDialogSize(QWidget* window, int width, int height);

// A window larger than its screen's available area shrinks to it; the
// window is moved so that all of it lies on that area, centred when
// `center` is set. A window of fixed size keeps its arrangement: its
// controls then scroll inside the smaller window instead of being cut.
void FitToScreen(QWidget* window, bool center = true);
// The object name of the scrolling page such a window gets.
inline constexpr char kWindowContentName[] = "window_content";

// Chains the keyboard focus of a window's controls the way the window
// reads: top to bottom, left to right on a row, and the controls of a
// framed group (and those stacked right below it) together.
void OrderFocusByPosition(QWidget* window);

}  // namespace wunt
