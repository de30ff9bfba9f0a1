#include "viewer/data/gui/season_progress_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>

#include "viewer/platform/app_info.h"
#include "viewer/platform/geometry.h"

namespace wunt {
namespace {

QLabel* YearLabel(QWidget* parent, int x, int y, int w, int h, int point_size) {
  auto* label = Place(new QLabel(parent), x, y, w, h);
  label->setAlignment(Qt::AlignCenter);
  label->setFont(QFont(QStringLiteral("Arial"), point_size, QFont::Bold));
  return label;
}

}  // namespace

SeasonProgressWindow::SeasonProgressWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(WindowTitle());
  SetFixedDialogSize(this, 300, 110);
  Place(new QLabel(QStringLiteral("Es werden nun alle bekannten Jahresdaten geladen ..."), this),
        10, 10, 280, 17);
  Place(new QGroupBox(this), 10, 30, 280, 50);
  Place(new QGroupBox(this), 103, 32, 94, 46);
  years_[0] = YearLabel(this, 20, 57, 30, 18, 10);
  years_[1] = YearLabel(this, 55, 52, 45, 22, 14);
  // The current year fills its frame: a 27 pt line is taller than the
  // frame's old inner height once the font is not the narrow reference.
  years_[2] = YearLabel(this, 105, 34, 90, 43, 27);
  years_[3] = YearLabel(this, 200, 52, 45, 22, 14);
  years_[4] = YearLabel(this, 250, 57, 30, 18, 10);
  bar_ = Place(new QProgressBar(this), 10, 90, 280, 10);
  bar_->setRange(0, 1);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  FitToScreen(this);
}

void SeasonProgressWindow::ShowYear(const YearProgress& progress) {
  for (size_t i = 0; i < years_.size(); ++i) {
    years_[i]->setText(QString::fromStdString(progress.labels[i]));
  }
  if (bar_->maximum() != progress.maximum) bar_->setRange(0, std::max(progress.maximum, 1));
  bar_->setValue(static_cast<int>(progress.step));
}

}  // namespace wunt
