#include "viewer/attractions/gui/park_plan_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <chrono>
#include <cmath>
#include <new>

#include "viewer/attractions/gui/raster_qimage.h"
#include "viewer/attractions/gui/wait_window.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/geometry.h"

namespace wunt {
namespace {

constexpr int kTurnMs = 100;
constexpr int kScrollStep = 50;

const QString kPngEntry = QStringLiteral("Portable Network Graphics (*.png)");
const QString kBmpEntry = QStringLiteral("Windows Bitmap (*.bmp)");
const QString kJpegEntry = QStringLiteral("JPEG (*.jpg)");

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

QString JpegLevelText(int level) {
  QString text = QStringLiteral("Stufe %1").arg(level);
  if (level == kJpegLevels) text += QStringLiteral(" (höchste Qualität)");
  if (level == 0) text += QStringLiteral(" (geringste Qualität)");
  return text;
}

}  // namespace

ParkPlanWindow::ParkPlanWindow(ParkPlanRequest request, QWidget* parent)
    : QWidget(parent, Qt::Window), request_(std::move(request)), clock_(SteadyMs) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(kParkPlanWindowName);
  setWindowTitle(FromCp1252(ParkPlanTitle(request_)));

  c_.area = new QScrollArea(this);
  c_.plan = new QLabel;
  c_.plan->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  c_.plan->setWordWrap(true);  // for the text of a year without plan
  // The canvas is a picture of fixed size, not a layout measure.
  c_.plan->setFixedSize(kPlanWidth, kPlanHeight);
  c_.area->setWidget(c_.plan);
  c_.area->verticalScrollBar()->setSingleStep(kScrollStep);
  c_.area->horizontalScrollBar()->setSingleStep(kScrollStep);
  c_.slider = new QSlider(Qt::Vertical, this);
  c_.slider->setTickPosition(QSlider::TicksBothSides);
  c_.slider->setTickInterval(1);
  c_.slider->setPageStep(1);
  c_.slider->setRange(request_.first_year, std::max(request_.first_year, request_.last_year));
  c_.slider->setValue(request_.first_year);
  c_.slider->setToolTip(QString::number(request_.first_year));
  c_.play = new QPushButton(QStringLiteral(">"), this);
  c_.play->setCheckable(true);
  BuildMenu();
  resize(DialogUnits(this).Size(800, 600));
  FitToScreen(this);
  LayOut();

  connect(c_.slider, &QSlider::valueChanged, this, [this](int year) {
    c_.slider->setToolTip(QString::number(year));
    if (loaded()) ShowYear(year);
  });
  connect(c_.play, &QPushButton::toggled, this, [this](bool on) { PlayToggled(on); });
  timer_.setInterval(kTurnMs);
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });

  wait_ = std::make_unique<WaitWindow>([this] { StopWork(); });
  wait_->show();
  job_.Start(
      [this](std::stop_token stop) {
        const std::stop_callback stop_cancel(stop, [this] { cancel_ = true; });
        try {
          loading_ = ParkPlans::Load(request_, Control());
        } catch (const std::bad_alloc&) {
          out_of_memory_ = true;
        }
      },
      [this] { Loaded(); });
}

ParkPlanWindow::~ParkPlanWindow() { job_.Stop(); }

void ParkPlanWindow::BuildMenu() {
  c_.menu = new QMenu(this);
  c_.menu->addAction(QStringLiteral("Parkpläne speichern als ..."))->setEnabled(false);
  c_.menu->addSeparator();
  QMenu* jpeg = c_.menu->addMenu(kJpegEntry);
  const auto add = [this](QMenu* menu, const QString& text, int id) {
    QAction* action = menu->addAction(text);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { SaveAs(id); });
  };
  for (int level = kJpegLevels; level >= 0; --level) {
    add(jpeg, JpegLevelText(level), kPlanMenuJpeg + level);
  }
  add(c_.menu, kPngEntry, kPlanMenuPng);
  add(c_.menu, kBmpEntry, kPlanMenuBmp);
}

void ParkPlanWindow::LayOut() {
  // The window's inner size in reference units; the arrangement hangs on
  // its right edge and its height.
  const DialogUnits units(this);
  const int w = static_cast<int>(std::lround(width() / units.x_scale()));
  const int h = static_cast<int>(std::lround(height() / units.y_scale()));
  Place(c_.area, 0, 0, std::max(0, w - 70), h);
  Place(c_.slider, w - 70, 0, 20, h);
  for (QLabel* label : c_.year_labels) delete label;
  c_.year_labels.clear();
  for (const YearLabel& year : YearLabels(request_.first_year, request_.last_year, h)) {
    QLabel* label = Place(new QLabel(QString::number(year.year), this), w - 45, year.y, 43, 17);
    label->show();
    c_.year_labels.push_back(label);
  }
  Place(c_.play, w - 45, h / 2 - 12, 25, 25);
  c_.play->raise();
}

WorkControl ParkPlanWindow::Control() {
  WorkControl control;
  control.cancel = &cancel_;
  // Called on worker threads; the bar is touched on the GUI thread only.
  control.progress = [this](int done, int total) {
    QMetaObject::invokeMethod(
        this,
        [this, done, total] {
          if (wait_) wait_->SetProgress(done, total);
        },
        Qt::QueuedConnection);
  };
  return control;
}

void ParkPlanWindow::Loaded() {
  wait_.reset();
  if (closed_) return;
  if (out_of_memory_) {
    MessageBoxes::Show(parentWidget(), WindowTitle(),
                       QStringLiteral("Für den Parkplan reicht der Arbeitsspeicher nicht."));
  }
  if (!loading_) {
    close();
    return;
  }
  plans_ = std::move(loading_);
  loading_.reset();
  frames_ = std::make_unique<PlanFrames>(*plans_);
  ShowYear(c_.slider->value());
  showMaximized();
}

void ParkPlanWindow::ShowYear(int32_t year, int alpha) {
  const RasterImage& frame = frames_->Frame(year, alpha);
  if (frame.empty()) {
    c_.plan->setText(FromCp1252(NoPlanText(request_)));
  } else {
    c_.plan->setPixmap(QPixmap::fromImage(ToQImage(frame)));
  }
  shown_year_ = year;
  shown_alpha_ = alpha;
}

void ParkPlanWindow::PlayToggled(bool on) {
  if (!on) {
    timer_.stop();
    return;
  }
  t0_ = clock_() - kPlayStartMs;
  timer_.start();
  Tick();
}

void ParkPlanWindow::Tick() {
  if (!loaded() || !c_.play->isChecked()) return;
  const AnimationStep step =
      StepAnimation(c_.slider->value(), request_.first_year, request_.last_year, t0_, clock_());
  t0_ = step.t0;
  if (step.year != c_.slider->value()) {
    const QSignalBlocker block(c_.slider);
    c_.slider->setValue(step.year);
    c_.slider->setToolTip(QString::number(step.year));
  }
  ShowYear(step.year, step.alpha);
  if (!step.playing) c_.play->setChecked(false);
}

void ParkPlanWindow::SaveAs(int menu_id) {
  const std::optional<PlanFileFormat> format = PlanFormatForMenuId(menu_id);
  if (!format || !loaded() || busy()) return;
  // Every year gets its own file named after the park, in the chosen
  // folder; files of the same names there are replaced.
  const QString chosen =
      FileDialogs::ExistingFolder(this, WindowTitle("Parkplan speichern"), last_folder_);
  if (chosen.isEmpty()) return;
  last_folder_ = chosen;
  const std::filesystem::path folder = ToPath(chosen);
  wait_ = std::make_unique<WaitWindow>([this] { StopWork(); });
  wait_->show();
  cancel_ = false;
  save_report_ = {};
  job_.Start(
      [this, folder, format = *format](std::stop_token stop) {
        const std::stop_callback stop_cancel(stop, [this] { cancel_ = true; });
        save_report_ = SaveParkPlans(*plans_, folder, format, Control());
      },
      [this] { Saved(); });
}

void ParkPlanWindow::StopWork() {
  if (!busy()) return;
  if (!loaded()) {  // nothing to show: back to the wizard
    close();
    return;
  }
  job_.Stop();
  Saved();
}

void ParkPlanWindow::Saved() {
  wait_.reset();
  if (closed_) return;
  if (save_report_.cancelled) {
    MessageBoxes::Show(this, WindowTitle(), FromCp1252(PlanSaveStoppedText(save_report_)));
    return;
  }
  QString text = FromCp1252(PlanSaveFailureText(save_report_));
  if (text.isEmpty() && save_report_.written == 0) {
    text = QStringLiteral("Für diesen Park gibt es keine Parkpläne zum Speichern.");
  }
  if (!text.isEmpty()) MessageBoxes::Show(this, WindowTitle(), text);
}

void ParkPlanWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

void ParkPlanWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (!loaded() || busy()) return;
  c_.menu->exec(event->globalPos());
}

void ParkPlanWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (closed_) return;
  closed_ = true;
  timer_.stop();
  const bool saving = busy() && loaded();
  job_.Stop();
  wait_.reset();
  if (on_closed_) on_closed_();
  // A save cut short by the close is said, or the player would take the
  // folder for complete.
  if (saving && save_report_.written < save_report_.total) {
    MessageBoxes::Show(parentWidget(), WindowTitle(),
                       FromCp1252(PlanSaveStoppedText(save_report_)));
  }
}

}  // namespace wunt
