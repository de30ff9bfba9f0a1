#pragma once
// The small "Bitte Warten ..." window shown while the park plans are drawn
// or saved. It runs on the GUI thread; the work runs on worker threads and
// reports here, so the bar shows the years done instead of only running.

#include <QWidget>

class QProgressBar;

namespace wunt {

class WaitWindow : public QWidget {
 public:
  WaitWindow();

  // `done` of `total` steps; the bar runs without a value until the first
  // report.
  void SetProgress(int done, int total);
  QProgressBar* bar() const { return bar_; }

 private:
  QProgressBar* bar_ = nullptr;
};

}  // namespace wunt
