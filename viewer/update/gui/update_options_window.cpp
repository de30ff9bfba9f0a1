#include "viewer/update/gui/update_options_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <memory>
#include <string>

#include "common/season_layout.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/geometry.h"
#include "viewer/update/gui/update_progress_window.h"
#include "viewer/update/interrupted_run.h"

namespace wunt {
namespace {

const QString kStartFailed = QStringLiteral("Starten des Updaters fehlgeschlagen!");

}  // namespace

UpdateOptionsWindow::UpdateOptionsWindow(std::filesystem::path program_folder, int64_t season)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      program_folder_(std::move(program_folder)),
      season_(season) {
  setWindowTitle(WindowTitle("Updater"));
  SetFixedDialogSize(this, 300, 145);
  c_.task = Place(new QComboBox(this), 10, 10, 280, 20);
  const std::filesystem::path season_folder = DataFolder(program_folder_) / std::to_string(season_);
  for (const std::string& entry : UpdateTaskEntries(ListYearFolderNames(season_folder))) {
    c_.task->addItem(FromCp1252(entry));
  }
  c_.frame = Place(new QGroupBox(QStringLiteral("Optionen"), this), 10, 35, 280, 65);
  c_.data =
      Place(new QCheckBox(QStringLiteral("Rundendaten aktualisieren"), this), 20, 50, 260, 20);
  c_.images = Place(new QCheckBox(QStringLiteral("Attraktionsbilder aktualisieren"), this), 20, 75,
                    260, 20);
  c_.start = Place(new QPushButton(QStringLiteral("Aktualisieren"), this), 10, 110, 137, 25);
  c_.close = Place(new QPushButton(QStringLiteral("Schließen"), this), 152, 110, 137, 25);
  MirrorOptions();

  connect(c_.task, &QComboBox::currentIndexChanged, this, [this](int index) {
    options_.SelectTask(index);
    MirrorOptions();
  });
  connect(c_.data, &QCheckBox::clicked, this, [this](bool ticked) {
    options_.SetData(ticked);
    MirrorOptions();
  });
  connect(c_.images, &QCheckBox::clicked, this, [this](bool ticked) {
    options_.SetImages(ticked);
    MirrorOptions();
  });
  connect(c_.start, &QPushButton::clicked, this, [this] { RunUpdater(); });
  connect(c_.close, &QPushButton::clicked, this, [this] { close(); });
  OrderFocusByPosition(this);
  FitToScreen(this);
}

UpdateOptionsWindow::~UpdateOptionsWindow() { delete progress_; }

void UpdateOptionsWindow::closeEvent(QCloseEvent* event) {
  // A run in progress ends with its progress window and its message, not
  // with this one.
  if (progress_ != nullptr || telling_.running()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
  if (on_closed_) on_closed_();
}

void UpdateOptionsWindow::MirrorOptions() {
  const QSignalBlocker block(c_.task);
  c_.task->setCurrentIndex(options_.task());
  c_.data->setChecked(options_.data());
  c_.images->setChecked(options_.images());
  c_.data->setEnabled(options_.boxes_enabled());
  c_.images->setEnabled(options_.boxes_enabled());
}

std::filesystem::path UpdateOptionsWindow::SeasonFolderPath() const {
  return DataFolder(program_folder_) / std::to_string(season_);
}

void UpdateOptionsWindow::RunUpdater() {
  if (progress_ != nullptr || telling_.running()) return;
  setEnabled(false);
  const int task = options_.task();
  years_before_ = YearsWithData(SeasonFolderPath());
  progress_ = new UpdateProgressWindow(task);
  progress_->show();
  const bool started =
      progress_->Start(program_folder_, UpdaterArguments(task, season_, options_.flags()),
                       [this](const UpdaterAction& final_action) { RunEnded(final_action); });
  if (!started) {
    delete std::exchange(progress_, nullptr);
    MessageBoxes::Show(this, WindowTitle(), kStartFailed, MessageIcon::kError);
    setEnabled(true);
  }
}

void UpdateOptionsWindow::RunEnded(const UpdaterAction& final_action) {
  std::exchange(progress_, nullptr)->deleteLater();
  outcomes_.push_back(final_action);
  // The window stays disabled until the message is there.
  auto message = std::make_shared<std::string>();
  telling_.Start([message, final_action, folder = SeasonFolderPath(), before = years_before_](
                     std::stop_token) { *message = RunEndMessage(final_action, folder, before); },
                 [this, message] {
                   MessageBoxes::Show(this, WindowTitle("Updater"), FromCp1252Lines(*message),
                                      MessageIcon::kInformation);
                   setEnabled(true);
                 });
}

}  // namespace wunt
