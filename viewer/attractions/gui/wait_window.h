#pragma once
// The small "Bitte Warten ..." window shown while the park plans are drawn
// or saved. It runs on the GUI thread; the work runs on worker threads and
// reports here, so the bar shows the years done instead of only running.
// "Abbrechen" hands the decision to whoever started the work.

#include <QWidget>
#include <functional>

class QProgressBar;
class QPushButton;

namespace wunt {

class WaitWindow : public QWidget {
 public:
  explicit WaitWindow(std::function<void()> on_cancel);

  // `done` of `total` steps; the bar runs without a value until the first
  // report.
  void SetProgress(int done, int total);
  QProgressBar* bar() const { return bar_; }
  QPushButton* cancel() const { return cancel_; }

 private:
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace wunt
