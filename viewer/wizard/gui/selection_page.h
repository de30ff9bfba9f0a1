#pragma once
// The wizard's third tab as the user works it: the two lists, the move
// buttons, the automatic selection and the country filters show the
// request's SelectionTab and hand the user's events to it. The main window
// keeps the tab's step buttons and progress bar.

#include <QObject>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "viewer/wizard/gui/main_window.h"

class QListWidget;

namespace wunt {

class SelectionPage : public QObject {
 public:
  // `c` holds the tab's controls, placed already; `on_choice` is told of
  // every change of the chosen list or the source kind.
  SelectionPage(MainWindow::Controls& c, RequestState& state, std::function<void()> on_choice,
                QObject* parent);

  // The lists, the automatic selection and the buttons for fresh lists.
  void FillLists();
  // Both lists shown anew after a change made outside the tab's events.
  void ShowLists();
  // One box per country of the season, the rest hidden.
  void UpdateFilterBoxes();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SourceChanged(int index);
  // Return on the available list or the chosen one.
  void ReturnPressed(bool on_available);
  // Both lists' lines as the model shows them.
  void ShowLines();
  // The selected lines of a list, in list order.
  static std::vector<size_t> Selected(QListWidget* list);
  static std::optional<size_t> FirstSelected(QListWidget* list);
  // A tab event: the model and button state change, the widgets follow.
  void TabEvent(const std::function<void()>& event);
  void MirrorButtons();
  void FillAutoSelect();
  // Country filter box `index`, counted as the model counts filters.
  QCheckBox*& Filter(int index) { return c_.filter[static_cast<size_t>(index)]; }

  MainWindow::Controls& c_;
  RequestState& state_;
  std::function<void()> on_choice_;
  int wheel_rest_ = 0;  // wheel turn not yet a whole notch
};

}  // namespace wunt
