#pragma once
// The small window that shows our demo season being written into the data
// folder, on a background job. It closes itself when the work ends and
// hands over what happened.

#include <QWidget>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "viewer/platform/background_job.h"

class QProgressBar;

namespace wunt {

class DemoSeasonWindow : public QWidget {
 public:
  // `done` gets the season number written, or 0 and a German reason.
  using Done = std::function<void(int32_t season, const std::string& error)>;

  // Starts writing into `data_dir` at once.
  DemoSeasonWindow(std::filesystem::path data_dir, Done done);
  ~DemoSeasonWindow() override;

  QProgressBar* bar() const { return bar_; }

 protected:
  // Closing the window stops the work; nothing half-written stays.
  void closeEvent(QCloseEvent* event) override;

 private:
  Done done_;
  QProgressBar* bar_ = nullptr;
  std::atomic<bool> cancel_{false};
  int32_t season_ = 0;  // written by the job, read after it ended
  std::string error_;
  BackgroundJob job_{this};
};

}  // namespace wunt
