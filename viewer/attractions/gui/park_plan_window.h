#pragma once
// The park plan: a park's layout in every game year of its existence, a
// year slider with labels, a play toggle that fades year into year, and a
// context menu that saves every year's plan as JPEG, PNG or bitmap.
// Plans are drawn and files encoded on worker threads while a wait window
// shows the progress; the window itself appears once the plans are read.

#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "viewer/attractions/park_plan.h"
#include "viewer/attractions/park_plan_export.h"
#include "viewer/attractions/park_plan_view.h"
#include "viewer/platform/background_job.h"

class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QSlider;

namespace wunt {

class WaitWindow;

// The window's object name, to find it among a parent's children.
inline constexpr char kParkPlanWindowName[] = "ParkPlanWindow";

class ParkPlanWindow : public QWidget {
 public:
  struct Controls {
    QScrollArea* area = nullptr;
    QLabel* plan = nullptr;
    QSlider* slider = nullptr;
    QPushButton* play = nullptr;
    std::vector<QLabel*> year_labels;
    QMenu* menu = nullptr;  // the context menu; entries carry their menu id
  };

  // Starts reading the plans of `request`; the window shows itself,
  // maximised, when they are ready.
  explicit ParkPlanWindow(ParkPlanRequest request, QWidget* parent = nullptr);
  ~ParkPlanWindow() override;

  // Called once the window has been closed.
  void set_on_closed(std::function<void()> on_closed) { on_closed_ = std::move(on_closed); }
  // The clock the animation reads, in milliseconds; tests replace it.
  void set_clock(std::function<int64_t()> clock) { clock_ = std::move(clock); }

  const Controls& controls() const { return c_; }
  bool loaded() const { return frames_ != nullptr; }
  // True while plans are read or saved.
  bool busy() const { return job_.running(); }
  WaitWindow* wait_window() const { return wait_.get(); }
  // The year shown and the alpha it was faded in with (-1: shown plain).
  int32_t shown_year() const { return shown_year_; }
  int shown_alpha() const { return shown_alpha_; }

  // A save entry of the context menu: asks for the target and writes every
  // year's plan there.
  void SaveAs(int menu_id);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void BuildMenu();
  void LayOut();
  // Reports the workers' progress to the wait window; stops on close.
  WorkControl Control();
  void Loaded();
  // "Abbrechen" in the wait window: a load gives up the window, a save
  // stops and says how far it came.
  void StopWork();
  void Saved();
  void ShowYear(int32_t year, int alpha = -1);
  void PlayToggled(bool on);
  void Tick();

  ParkPlanRequest request_;
  Controls c_;
  std::unique_ptr<WaitWindow> wait_;
  QString last_folder_;  // where the plans were saved last, for the next save
  BackgroundJob job_{this};
  std::atomic<bool> cancel_{false};  // set once the job is asked to stop
  // Written by the worker, taken over on the GUI thread after the join.
  std::optional<ParkPlans> loading_;
  bool out_of_memory_ = false;
  PlanSaveReport save_report_;
  std::optional<ParkPlans> plans_;
  std::unique_ptr<PlanFrames> frames_;
  QTimer timer_;
  std::function<int64_t()> clock_;
  int64_t t0_ = 0;
  int32_t shown_year_ = 0;
  int shown_alpha_ = -1;
  std::function<void()> on_closed_;
  bool closed_ = false;
};

}  // namespace wunt
