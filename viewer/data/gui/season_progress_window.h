#pragma once
// The small window that shows which game year of a season is being read.

#include <QWidget>
#include <array>

#include "viewer/data/game_years.h"

class QLabel;
class QProgressBar;

namespace wunt {

class SeasonProgressWindow : public QWidget {
 public:
  SeasonProgressWindow();

  // One game year begins: the five year labels and one step of the bar.
  void ShowYear(const YearProgress& progress);

  const std::array<QLabel*, 5>& year_labels() const { return years_; }
  QProgressBar* bar() const { return bar_; }

 private:
  std::array<QLabel*, 5> years_{};
  QProgressBar* bar_ = nullptr;
};

}  // namespace wunt
