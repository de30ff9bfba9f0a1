#pragma once
// Checks that a window's texts are whole: every label, button, check box,
// radio button, group title, tab, spin box, combo box entry and list line
// fits the space the style gives its text.

#include <QString>
#include <QStringList>

class QWidget;

namespace wunt::test {

// One line per text that does not fit: window, control, text and the
// pixels it needs against the pixels it has. Hidden controls count too
// when their window or page shows them (the tab pages not shown are
// checked as well), except those hidden on purpose.
QStringList TextsThatDoNotFit(QWidget* window);

// One line per shown control that lies, wholly or in part, outside the
// control it sits on (and so outside the window): it cannot be reached.
// A control on a page that scrolls counts as reachable.
QStringList ControlsOutOfReach(QWidget* window);

// One line per shown label whose text starts at its top edge (wrapped help
// texts) that stands on a framed group (a sibling of it) but reaches over
// the group's title or border: its first line would be drawn over them.
QStringList ControlsOverFrames(QWidget* window);

// One line per step of the window's keyboard focus chain that jumps back
// against reading order: up and to the left at once.
QStringList FocusStepsAgainstLayout(QWidget* window);

// Empty when the window with its frame lies on its screen's available
// area; otherwise what sticks out.
QString OffScreen(QWidget* window);

}  // namespace wunt::test
