#pragma once
// The update options window: the user picks what the updater should do for
// one season, and each "Aktualisieren" runs it once with a progress window
// and ends with a message box. The window stays open for another run and is
// disabled while one runs.

#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "viewer/platform/background_job.h"
#include "viewer/update/update_options.h"
#include "viewer/update/updater_exchange.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

namespace wunt {

class UpdateProgressWindow;

class UpdateOptionsWindow : public QWidget {
 public:
  struct Controls {
    QComboBox* task = nullptr;
    QGroupBox* frame = nullptr;
    QCheckBox* data = nullptr;
    QCheckBox* images = nullptr;
    QPushButton* start = nullptr;
    QPushButton* close = nullptr;
  };

  // The updater in `program_folder` works on Data/<season>/ there.
  UpdateOptionsWindow(std::filesystem::path program_folder, int64_t season);
  ~UpdateOptionsWindow() override;

  // Called once the user closed the window.
  void set_on_closed(std::function<void()> on_closed) { on_closed_ = std::move(on_closed); }

  const Controls& controls() const { return c_; }
  int64_t season() const { return season_; }
  // The progress window of the run going on, or nullptr.
  UpdateProgressWindow* progress() const { return progress_; }
  // The final actions of the runs so far, oldest first.
  const std::vector<UpdaterAction>& outcomes() const { return outcomes_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void MirrorOptions();
  void RunUpdater();
  void RunEnded(const UpdaterAction& final_action);
  std::filesystem::path SeasonFolderPath() const;

  std::filesystem::path program_folder_;
  int64_t season_ = 0;
  UpdateOptions options_;
  Controls c_;
  UpdateProgressWindow* progress_ = nullptr;
  std::vector<UpdaterAction> outcomes_;
  // Years with data when the run started, for the message of a run that
  // did not end by itself.
  std::vector<int32_t> years_before_;
  std::function<void()> on_closed_;
  // Tells what a run left on disk, which for a cancelled or broken-off run
  // means reading every year's data files: too slow for the GUI thread on a
  // big season. Last, so it is stopped before the members it reports to go.
  BackgroundJob telling_{this};
};

}  // namespace wunt
