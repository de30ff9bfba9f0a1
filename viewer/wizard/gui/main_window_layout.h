#pragma once
// Where every control of the wizard's first three tabs goes, with its
// caption and its place in reference units: one table per tab, laid out by
// one loop, in the order the controls stack; and the keyboard's way
// through them.

#include "viewer/wizard/gui/main_window.h"

namespace wunt {

// The hint of tab 2 while no calculation is chosen.
inline constexpr char kHintB[] =
    "Hinweiß: Wähle in der Liste das Diagramm aus, welches die anzuzeigenden Daten enthält. "
    "Möchtest du ein Vorhandenes ändern oder neue erstellen klicke auf ''Bearbeiten''. Du "
    "solltest vorhandene nur ändern, wenn du wirklich weist was du tust. Beachte die beliegende "
    "Readme.txt!";

// The vertical distance between two country filter boxes.
inline constexpr int kFilterPitch = 25;

// Makes the controls of tab `tab` (0 to 2) on `page`, notes them in `c` and
// gives them their looks and their state before any choice.
void LayOutTab(int tab, QWidget* page, MainWindow::Controls& c);
// The keyboard's way through each tab: the way the tab reads.
void SetFocusOrder(QWidget* window, const MainWindow::Controls& c);

}  // namespace wunt
