#include "viewer/attractions/gui/wait_window.h"

#include <QProgressBar>

#include "viewer/platform/app_info.h"
#include "viewer/platform/geometry.h"

namespace wunt {

WaitWindow::WaitWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
  // Closing it hides it; the work goes on and the program must not end.
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(WindowTitle("Bitte Warten ..."));
  setFixedSize(DialogUnits(this).Size(300, 60));
  bar_ = Place(new QProgressBar(this), 20, 20, 260, 20);
  bar_->setRange(0, 0);
  FitToScreen(this);
}

void WaitWindow::SetProgress(int done, int total) {
  if (total <= 0) return;
  bar_->setRange(0, total);
  bar_->setValue(done);
}

}  // namespace wunt
