#include "viewer/data/gui/season_progress_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include "viewer/platform/app_info.h"

namespace wunt {
namespace {

QLabel* YearLabel(QWidget* parent, const QRect& geometry, int point_size) {
  auto* label = new QLabel(parent);
  label->setGeometry(geometry);
  label->setAlignment(Qt::AlignCenter);
  label->setFont(QFont(QStringLiteral("Arial"), point_size, QFont::Bold));
  return label;
}

}  // namespace

SeasonProgressWindow::SeasonProgressWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(WindowTitle());
  setFixedSize(300, 110);
  auto* text =
      new QLabel(QStringLiteral("Es werden nun alle bekannten Jahresdaten geladen ..."), this);
  text->setGeometry(10, 10, 280, 17);
  (new QGroupBox(this))->setGeometry(10, 30, 280, 50);
  (new QGroupBox(this))->setGeometry(103, 32, 94, 46);
  years_[0] = YearLabel(this, {20, 57, 30, 18}, 10);
  years_[1] = YearLabel(this, {55, 52, 45, 22}, 14);
  years_[2] = YearLabel(this, {105, 39, 90, 35}, 27);
  years_[3] = YearLabel(this, {200, 52, 45, 22}, 14);
  years_[4] = YearLabel(this, {250, 57, 30, 18}, 10);
  bar_ = new QProgressBar(this);
  bar_->setGeometry(10, 90, 280, 10);
  bar_->setRange(0, 1);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  if (QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void SeasonProgressWindow::ShowYear(const YearProgress& progress) {
  for (size_t i = 0; i < years_.size(); ++i) {
    years_[i]->setText(QString::fromStdString(progress.labels[i]));
  }
  if (bar_->maximum() != progress.maximum) bar_->setRange(0, std::max(progress.maximum, 1));
  bar_->setValue(static_cast<int>(progress.step));
}

}  // namespace wunt
