#include "tests/support/gui/window_fit.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QToolButton>
#include <algorithm>

#include "viewer/platform/geometry.h"

namespace wunt::test {
namespace {

QString Name(const QWidget* widget) {
  QString name = QString::fromLatin1(widget->metaObject()->className());
  if (!widget->objectName().isEmpty()) name += QLatin1Char('#') + widget->objectName();
  if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
    name += QStringLiteral(" \"%1\"").arg(button->text());
  }
  return name;
}

class Checker {
 public:
  explicit Checker(QWidget* window) : window_(window) {}

  void Need(const QWidget* widget, const QString& text, int need, int have) {
    if (need <= have) return;
    misfits_ << QStringLiteral("%1: %2 \"%3\" needs %4 px, has %5 px")
                    .arg(window_->windowTitle(), Name(widget), text)
                    .arg(need)
                    .arg(have);
  }

  // The widest line of a plain text, without the mnemonic marks.
  static int Advance(const QFontMetrics& metrics, QString text) {
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    int widest = 0;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
      widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    return widest;
  }

  void Label(QLabel* label) {
    const QString text = label->text();
    if (text.isEmpty() || Qt::mightBeRichText(text)) return;
    const QFontMetrics metrics(label->font());
    const int margin = label->margin() + std::max(label->indent(), 0);
    const QRect area = label->contentsRect().adjusted(margin, margin, -margin, -margin);
    if (label->wordWrap()) {
      const QRect needed =
          metrics.boundingRect(QRect(0, 0, area.width(), 100000), Qt::TextWordWrap, text);
      Need(label, text.left(40), needed.width(), area.width());
      Need(label, text.left(40) + QStringLiteral(" (height)"), needed.height(), area.height());
      return;
    }
    Need(label, text, Advance(metrics, text), area.width());
    const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
    Need(label, text + QStringLiteral(" (height)"), lines * metrics.height(), area.height());
  }

  void Button(QAbstractButton* button, QStyle::SubElement contents) {
    if (button->text().isEmpty()) return;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    const QRect area = button->style()->subElementRect(contents, &option, button);
    int need = Advance(QFontMetrics(button->font()), button->text());
    if (!button->icon().isNull()) need += button->iconSize().width() + 4;
    Need(button, button->text(), need, area.width());
    Need(button, button->text() + QStringLiteral(" (height)"),
         QFontMetrics(button->font()).height(), area.height());
  }

  void GroupBox(QGroupBox* box) {
    if (box->title().isEmpty()) return;
    // The title starts a little in from the frame and must end inside it.
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    Need(box, box->title(), label.left() + Advance(QFontMetrics(box->font()), box->title()),
         box->width());
  }

  void Tabs(QTabBar* bar) {
    // Scroll arrows hide tabs; elided tabs cut their text.
    for (QToolButton* arrow : bar->findChildren<QToolButton*>()) {
      if (arrow->isVisibleTo(bar)) Need(bar, QStringLiteral("(no scroll arrows)"), 1, 0);
    }
    const QFontMetrics metrics(bar->font());
    for (int i = 0; i < bar->count(); ++i) {
      const QRect rect = bar->tabRect(i);
      Need(bar, bar->tabText(i), rect.right() + 1, bar->width());
      Need(bar, bar->tabText(i), Advance(metrics, bar->tabText(i)), rect.width());
    }
  }

  void SpinBox(QSpinBox* spin) {
    auto* edit = spin->findChild<QLineEdit*>();
    if (edit == nullptr) return;
    const QFontMetrics metrics(edit->font());
    // The line edit keeps a margin of two pixels on each side of its text.
    const int have = edit->contentsRect().width() - 4;
    for (const int value : {spin->minimum(), spin->maximum(), spin->value()}) {
      const QString text = spin->prefix() + QString::number(value) + spin->suffix();
      Need(spin, text, metrics.horizontalAdvance(text), have);
    }
  }

  void ComboBox(QComboBox* combo) {
    if (combo->isEditable()) return;
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = false;
    option.frame = combo->hasFrame();
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxEditField, combo);
    const QFontMetrics metrics(combo->font());
    // The label is drawn one pixel in from each side of the field.
    for (int i = 0; i < combo->count(); ++i) {
      Need(combo, combo->itemText(i), metrics.horizontalAdvance(combo->itemText(i)),
           field.width() - 2);
    }
  }

  void List(QListWidget* list) {
    // A line longer than the list is fine while the list scrolls sideways
    // to show it; an elided or cut line is not.
    const QFontMetrics metrics(list->font());
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const bool scrolls = list->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
    for (int i = 0; i < list->count(); ++i) {
      const QListWidgetItem* item = list->item(i);
      int have = list->visualItemRect(item).width() - 2 * margin;
      if (!scrolls) have = std::min(have, list->viewport()->width() - 2 * margin);
      Need(list, item->text(), metrics.horizontalAdvance(item->text()), have);
    }
  }

  void Walk() {
    for (QWidget* widget : window_->findChildren<QWidget*>()) {
      // A control hidden on purpose is not part of the window right now; a
      // control on a tab page not shown is.
      if (widget->isHidden() && !IsTabPage(widget)) continue;
      if (!ShownWithinTabs(widget)) continue;
      if (auto* label = qobject_cast<QLabel*>(widget)) {
        Label(label);
      } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
        Button(check, QStyle::SE_CheckBoxContents);
      } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        Button(radio, QStyle::SE_RadioButtonContents);
      } else if (auto* push = qobject_cast<QPushButton*>(widget)) {
        Button(push, QStyle::SE_PushButtonContents);
      } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        GroupBox(box);
      } else if (auto* bar = qobject_cast<QTabBar*>(widget)) {
        Tabs(bar);
      } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
        SpinBox(spin);
      } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        ComboBox(combo);
      } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
        List(list);
      }
    }
  }

  QStringList misfits() const { return misfits_; }

 private:
  static bool IsTabPage(const QWidget* widget) {
    return widget->parentWidget() != nullptr && widget->parentWidget()->inherits("QStackedWidget");
  }
  // Visible apart from tab pages that are merely not the current one.
  bool ShownWithinTabs(const QWidget* widget) const {
    for (const QWidget* w = widget; w != nullptr && w != window_; w = w->parentWidget()) {
      if (w->isHidden() && !IsTabPage(w)) return false;
    }
    return true;
  }

  QWidget* window_;
  QStringList misfits_;
};

}  // namespace

QStringList TextsThatDoNotFit(QWidget* window) {
  Checker checker(window);
  checker.Walk();
  return checker.misfits();
}

QStringList ControlsOutOfReach(QWidget* window) {
  QStringList out;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    QWidget* parent = widget->parentWidget();
    if (!widget->isVisible() || parent == nullptr || widget->isWindow()) continue;
    const auto* area = qobject_cast<QAbstractScrollArea*>(parent->parentWidget());
    if (area != nullptr && area->viewport() == parent) continue;
    const QRect rect = widget->geometry();
    if (rect.isEmpty() || parent->rect().contains(rect)) continue;
    out << QStringLiteral("%1: %2 at %3,%4 %5x%6 outside %7 %8x%9")
               .arg(window->windowTitle(), Name(widget))
               .arg(rect.x())
               .arg(rect.y())
               .arg(rect.width())
               .arg(rect.height())
               .arg(Name(parent))
               .arg(parent->width())
               .arg(parent->height());
  }
  return out;
}

QStringList ControlsOverFrames(QWidget* window) {
  QStringList out;
  for (const QGroupBox* box : window->findChildren<QGroupBox*>()) {
    if (!box->isVisible() || box->parentWidget() == nullptr) continue;
    const QRect contents = box->contentsRect().translated(box->pos());
    for (const QObject* child : box->parentWidget()->children()) {
      const auto* widget = qobject_cast<const QLabel*>(child);
      if (widget == nullptr || !widget->isVisible() || !(widget->alignment() & Qt::AlignTop)) {
        continue;
      }
      const QRect rect = widget->geometry();
      if (!box->geometry().contains(rect.center()) || contents.contains(rect)) continue;
      const auto at = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
      };
      out << QStringLiteral("%1: %2 at %3 over the frame of %4 (contents %5)")
                 .arg(window->windowTitle(), Name(widget), at(rect), box->title(), at(contents));
    }
  }
  return out;
}

QStringList FocusStepsAgainstLayout(QWidget* window) {
  const auto is_stop = [window](const QWidget* widget) {
    if (!widget->isVisible() || !(widget->focusPolicy() & Qt::TabFocus)) return false;
    for (const QWidget* w = widget->parentWidget(); w != nullptr && w != window;
         w = w->parentWidget()) {
      if (w->focusPolicy() & Qt::TabFocus) return false;
    }
    return widget->window() == window;
  };
  std::vector<const QWidget*> chain;
  for (QWidget* w = window->nextInFocusChain(); w != nullptr && w != window;
       w = w->nextInFocusChain()) {
    if (is_stop(w)) chain.push_back(w);
    if (chain.size() > 10000) break;
  }
  // A control in a scrolling list is where its list is; the page of a
  // window too big for its screen scrolls as a whole and is no list.
  const auto place = [window](const QWidget* widget) {
    for (const QWidget* w = widget->parentWidget(); w != nullptr && w != window;
         w = w->parentWidget()) {
      const auto* area = qobject_cast<const QAbstractScrollArea*>(w->parentWidget());
      if (area != nullptr && area->viewport() == w &&
          area->objectName() != QLatin1String(kWindowContentName)) {
        widget = area;
        break;
      }
    }
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
  };
  const int tolerance = QFontMetrics(window->font()).height() / 2;
  QStringList out;
  for (size_t i = 1; i < chain.size(); ++i) {
    const QRect a = place(chain[i - 1]);
    const QRect b = place(chain[i]);
    const bool down = b.top() >= a.top() - tolerance;
    const bool next_column = b.left() >= a.right() - tolerance;
    if (down || next_column) continue;
    out << QStringLiteral("%1: %2 -> %3")
               .arg(window->windowTitle(), Name(chain[i - 1]), Name(chain[i]));
  }
  return out;
}

QString OffScreen(QWidget* window) {
  const QScreen* screen = window->screen();
  if (screen == nullptr) return QStringLiteral("no screen");
  const QRect area = screen->availableGeometry();
  const QRect frame = window->frameGeometry();
  if (area.contains(frame)) return {};
  return QStringLiteral("%1: frame %2,%3 %4x%5 outside %6,%7 %8x%9")
      .arg(window->windowTitle())
      .arg(frame.x())
      .arg(frame.y())
      .arg(frame.width())
      .arg(frame.height())
      .arg(area.x())
      .arg(area.y())
      .arg(area.width())
      .arg(area.height());
}

}  // namespace wunt::test
