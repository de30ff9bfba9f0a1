#include "viewer/wizard/gui/demo_season_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <utility>

#include "common/demo/demo_season.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/geometry.h"

namespace wunt {

DemoSeasonWindow::DemoSeasonWindow(std::filesystem::path data_dir, Done done)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      done_(std::move(done)) {
  setWindowTitle(WindowTitle());
  SetFixedDialogSize(this, 300, 60);
  Place(new QLabel(QStringLiteral("Die Beispielrunde wird angelegt ..."), this), 10, 10, 280, 17);
  bar_ = Place(new QProgressBar(this), 10, 32, 280, 15);
  bar_->setRange(0, 1);
  bar_->setValue(0);
  FitToScreen(this);
  job_.Start(
      [this, data_dir = std::move(data_dir)](std::stop_token stop) {
        const std::stop_callback cancel_on_stop(stop, [this] { cancel_ = true; });
        DemoSeasonOptions options;
        options.control.cancel = &cancel_;
        options.control.progress = [this](int64_t year, int64_t years) {
          job_.Post([this, year, years] {
            bar_->setRange(0, static_cast<int>(years));
            bar_->setValue(static_cast<int>(year));
          });
        };
        if (!AddDemoSeason(data_dir, options, &season_, &error_)) season_ = 0;
      },
      [this] {
        hide();
        if (done_) done_(season_, error_);
        close();
      });
}

DemoSeasonWindow::~DemoSeasonWindow() { job_.Stop(); }

void DemoSeasonWindow::closeEvent(QCloseEvent* event) {
  if (job_.running()) {
    // Ends with the job's own cleanup; the end is told like any other.
    cancel_ = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

}  // namespace wunt
