#include "viewer/attractions/gui/wait_window.h"

#include <QProgressBar>
#include <QPushButton>

#include "viewer/platform/app_info.h"
#include "viewer/platform/geometry.h"

namespace wunt {

WaitWindow::WaitWindow(std::function<void()> on_cancel)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
  // Closing it hides it; the work goes on and the program must not end.
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(WindowTitle("Bitte Warten ..."));
  setFixedSize(DialogUnits(this).Size(300, 95));
  bar_ = Place(new QProgressBar(this), 20, 20, 260, 20);
  bar_->setRange(0, 0);
  cancel_ = Place(new QPushButton(QStringLiteral("Abbrechen"), this), 100, 55, 100, 25);
  // Queued: the handler ends this window.
  connect(cancel_, &QPushButton::clicked, this, std::move(on_cancel), Qt::QueuedConnection);
  FitToScreen(this);
}

void WaitWindow::SetProgress(int done, int total) {
  if (total <= 0) return;
  bar_->setRange(0, total);
  bar_->setValue(done);
}

}  // namespace wunt
