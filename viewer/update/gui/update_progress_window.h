#pragma once
// The progress window of one updater run: it starts WUNT_Updater from the
// program folder, follows its output lines (step labels, bar) until the
// first final line or the end of the process, and hands that final action
// to its owner. "Abbrechen" and the window's own close control ask the
// updater to cancel; the window stays until the updater answers.

#include <QFont>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "viewer/update/updater_exchange.h"

class QLabel;
class QProcess;
class QProgressBar;
class QPushButton;

namespace wunt {

class UpdateProgressWindow : public QWidget {
 public:
  struct Controls {
    std::array<QLabel*, 3> steps{};
    QProgressBar* bar = nullptr;
    QPushButton* cancel = nullptr;
  };
  using FinishedHandler = std::function<void(const UpdaterAction& final_action)>;

  // The labels show the step names of `task`.
  explicit UpdateProgressWindow(int task);
  ~UpdateProgressWindow() override;

  // Starts the updater (see UpdaterFolder) with `program_folder`, the folder
  // holding Data/ and Server.ini, as its working directory.
  // False when it cannot be started; otherwise `on_finished` is called once,
  // from the event loop, with the final action of the run.
  bool Start(const std::filesystem::path& program_folder, const std::vector<std::string>& arguments,
             FinishedHandler on_finished);

  const Controls& controls() const { return c_; }
  // The label shown in the highlight font (1-3), 0 for none.
  int highlighted_step() const { return highlighted_; }
  // How many cancel requests were written to the updater.
  int cancel_requests() const { return cancel_requests_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void RequestCancel();
  void ReadOutput();
  void ProcessEnded();
  // False once the action ended the exchange.
  bool Apply(const UpdaterAction& action);
  void Finish(const UpdaterAction& final_action);
  void Highlight(int step);

  Controls c_;
  QFont normal_font_;
  QFont highlight_font_;
  int highlighted_ = 0;
  int cancel_requests_ = 0;
  QProcess* process_ = nullptr;
  UpdaterExchange exchange_;
  FinishedHandler on_finished_;
};

}  // namespace wunt
