#include "viewer/update/gui/update_progress_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <optional>
#include <string_view>
#include <utility>

#include "viewer/platform/app_info.h"
#include "viewer/platform/geometry.h"
#include "viewer/update/update_options.h"

namespace wunt {
namespace {

constexpr int kBarMaximum = 1000;

// After its final line the updater is left to end by itself, as it would
// be if nobody listened: it only writes its closing line then, and a kill
// could land in the middle of a file it is still renaming into place. Its
// pipes are closed, so a late line finds no reader instead of a full pipe.
void LetEndByItself(QProcess* process) {
  process->disconnect();
  process->closeWriteChannel();
  process->closeReadChannel(QProcess::StandardOutput);
  process->setParent(nullptr);
  if (process->state() == QProcess::NotRunning) {
    process->deleteLater();
  } else {
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
  }
}

}  // namespace

UpdateProgressWindow::UpdateProgressWindow(int task)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint) {
  setWindowTitle(WindowTitle("Updater"));
  SetFixedDialogSize(this, 400, 110);
  // The active step stands out by weight alone: at the desktop's size, so
  // that it is never smaller than the steps around it.
  normal_font_ = font();
  highlight_font_ = normal_font_;
  highlight_font_.setBold(true);
  const std::array<std::string_view, 3> names = UpdateStepNames(task);
  for (size_t i = 0; i < c_.steps.size(); ++i) {
    c_.steps[i] =
        Place(new QLabel(FromCp1252(names[i]), this), 10, 10 + 20 * static_cast<int>(i), 260, 17);
    c_.steps[i]->setAlignment(Qt::AlignCenter);
  }
  c_.bar = Place(new QProgressBar(this), 10, 70, 380, 25);
  c_.bar->setRange(0, kBarMaximum);
  c_.bar->setValue(0);
  c_.bar->setTextVisible(false);
  c_.cancel = Place(new QPushButton(QStringLiteral("Abbrechen"), this), 270, 10, 120, 25);
  connect(c_.cancel, &QPushButton::clicked, this, [this] { RequestCancel(); });
  FitToScreen(this);
}

UpdateProgressWindow::~UpdateProgressWindow() {
  // The Viewer going away does not break off a download halfway.
  if (process_ != nullptr) LetEndByItself(std::exchange(process_, nullptr));
}

bool UpdateProgressWindow::Start(const std::filesystem::path& program_folder,
                                 const std::vector<std::string>& arguments,
                                 FinishedHandler on_finished) {
  QStringList qt_arguments;
  for (const std::string& argument : arguments) qt_arguments << FromCp1252(argument);
  process_ = new QProcess(this);
  process_->setProgram(FromPath(UpdaterFolder(program_folder) / kUpdaterProgramName));
  process_->setArguments(qt_arguments);
  process_->setWorkingDirectory(FromPath(program_folder));
  // Its diagnostics reach the Viewer's own standard error, not a buffer.
  process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  connect(process_, &QProcess::readyReadStandardOutput, this, [this] { ReadOutput(); });
  connect(process_, &QProcess::finished, this, [this] { ProcessEnded(); });
  process_->start();
  if (!process_->waitForStarted()) {
    delete std::exchange(process_, nullptr);
    return false;
  }
  on_finished_ = std::move(on_finished);
  return true;
}

void UpdateProgressWindow::closeEvent(QCloseEvent* event) {
  // The close control asks like "Abbrechen"; the window goes with the
  // updater's answer.
  event->ignore();
  RequestCancel();
}

void UpdateProgressWindow::RequestCancel() {
  if (process_ == nullptr) return;
  process_->write(kUpdaterCancelRequest);
  ++cancel_requests_;
}

void UpdateProgressWindow::ReadOutput() {
  if (process_ == nullptr) return;
  const QByteArray bytes = process_->readAllStandardOutput();
  for (const UpdaterAction& action :
       exchange_.Feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())))) {
    if (!Apply(action)) return;
  }
}

void UpdateProgressWindow::ProcessEnded() {
  ReadOutput();
  if (std::optional<UpdaterAction> last = exchange_.End()) Finish(*last);
}

bool UpdateProgressWindow::Apply(const UpdaterAction& action) {
  switch (action.kind) {
    case UpdaterActionKind::kStep:
      c_.bar->setValue(0);
      Highlight(action.step);
      return true;
    case UpdaterActionKind::kProgress:
      c_.bar->setValue(action.progress);
      return true;
    default:
      Finish(action);
      return false;
  }
}

void UpdateProgressWindow::Finish(const UpdaterAction& final_action) {
  if (process_ != nullptr) LetEndByItself(std::exchange(process_, nullptr));
  hide();
  // The owner may delete this window in its handler: not from inside a
  // signal of the process.
  QTimer::singleShot(0, this, [this, final_action] {
    if (on_finished_) on_finished_(final_action);
  });
}

void UpdateProgressWindow::Highlight(int step) {
  for (size_t i = 0; i < c_.steps.size(); ++i) {
    c_.steps[i]->setFont(static_cast<int>(i) + 1 == step ? highlight_font_ : normal_font_);
  }
  highlighted_ = step;
}

}  // namespace wunt
