#pragma once
// The Viewer's main window: the wizard on a tab panel. Step 1 picks the
// content kind and the season, step 2 the span and the calculation, step 3
// the parks, companies or countries; applying step 3 computes the values on
// a worker thread and opens the overview window.

#include <QWidget>
#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/server_config.h"
#include "viewer/platform/gui_message_sink.h"
#include "viewer/wizard/request.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSpinBox;
class QTabWidget;

namespace wunt {

class CalculationEditorWindow;
class DiagramTab;
class OverviewWindow;
class UpdateOptionsWindow;

class MainWindow : public QWidget {
 public:
  // Every control, for the handlers and for tests that drive the window.
  struct Controls {
    QTabWidget* tabs = nullptr;
    // Tab 1
    QRadioButton* kind_value = nullptr;
    QRadioButton* kind_park = nullptr;
    QRadioButton* kind_year = nullptr;
    QLabel* help = nullptr;
    QComboBox* season = nullptr;
    QPushButton* updater = nullptr;
    QPushButton* attractions = nullptr;
    QPushButton* back1 = nullptr;
    QPushButton* apply1 = nullptr;
    QPushButton* next1 = nullptr;
    QLabel* no_season = nullptr;  // shown while the data folder holds no season
    // Tab 2
    QLabel* start_label = nullptr;
    QSpinBox* start_year = nullptr;
    QLabel* end_label = nullptr;
    QSpinBox* end_year = nullptr;
    QCheckBox* vanished = nullptr;
    QComboBox* calculation = nullptr;
    QPushButton* edit = nullptr;
    QLabel* hint = nullptr;
    QPushButton* back2 = nullptr;
    QPushButton* apply2 = nullptr;
    QPushButton* next2 = nullptr;
    // Tab 3
    QComboBox* source = nullptr;
    QComboBox* auto_select = nullptr;
    QListWidget* available = nullptr;
    QListWidget* chosen = nullptr;
    QPushButton* add = nullptr;
    QPushButton* add_all = nullptr;
    QPushButton* remove = nullptr;
    QPushButton* remove_all = nullptr;
    QScrollArea* filters = nullptr;
    QWidget* filter_area = nullptr;
    std::array<QCheckBox*, kCountryFilterCount> filter{};
    QCheckBox* filter_all = nullptr;
    QPushButton* back3 = nullptr;
    QPushButton* apply3 = nullptr;
    QPushButton* next3 = nullptr;
    QProgressBar* progress = nullptr;
  };

  explicit MainWindow(std::filesystem::path program_folder);
  ~MainWindow() override;

  // Called when the user closed the main window: the program ends.
  void set_on_closed(std::function<void()> on_closed) { on_closed_ = std::move(on_closed); }

  const Controls& controls() const { return c_; }
  RequestState& state() { return state_; }
  int step() const { return step_; }
  // The open overview window, or nullptr.
  OverviewWindow* overview() const { return overview_; }
  // The open update options window, or nullptr.
  UpdateOptionsWindow* update_options() const { return update_options_; }
  DiagramTab* diagram() const { return diagram_; }
  bool computing() const { return worker_.joinable(); }
  // How many computations the worker ran; a result opened from values
  // already computed adds none.
  int computations() const { return computations_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildTab1(QWidget* page);
  void BuildTab2(QWidget* page);
  void BuildTab3(QWidget* page);
  void ShowStep(int step);
  void SetFocusOrder(const std::vector<QWidget*>& widgets);
  void FillSeasonChooser();
  // A choice on tab `step` changed: its next button and those after it
  // wait for that tab's "Übernehmen" again.
  void ChoiceChanged(int step);
  void OpenUpdater();
  void UpdaterClosed();

  void ApplyStep1();
  void StartChanged();
  void EndChanged();
  void CalculationChanged();
  void FillCalculationChooser();
  void EditCalculations();
  void CalculationsEdited();
  void ApplyStep2();

  void SourceChanged(int index);
  void FillLists();
  void ShowAvailable();
  void ShowChosen();
  // Both lists shown anew after a change made outside the tab's events.
  void ShowLists();
  // The selected lines of a list, in list order.
  static std::vector<size_t> Selected(QListWidget* list);
  static std::optional<size_t> FirstSelected(QListWidget* list);
  // A tab-3 event: the model and button state change, the widgets follow.
  void TabEvent(const std::function<void()>& event);
  void MirrorButtons();
  void UpdateFilterBoxes();
  void FillAutoSelect();
  void ApplyStep3();
  void ComputationDone(bool done);
  void ShowResult();
  void ShowCatalogue();
  void ShowParkPlan();
  void ResultClosed();
  void StopWorker();

  std::filesystem::path program_folder_;
  ServerConfig server_config_;
  std::string game_address_;
  RequestState state_;
  GuiMessageSink sink_;
  Controls c_;
  int step_ = 0;
  // Chooser index -> position in the calculation list.
  std::vector<size_t> calculation_positions_;
  std::thread worker_;
  std::atomic<bool> cancel_{false};
  int computations_ = 0;
  int wheel_rest_ = 0;  // wheel turn not yet a whole notch
  OverviewWindow* overview_ = nullptr;
  CalculationEditorWindow* editor_ = nullptr;
  UpdateOptionsWindow* update_options_ = nullptr;
  // The updater may have written game years into the loaded season.
  bool season_stale_ = false;
  DiagramTab* diagram_ = nullptr;
  std::function<void()> on_closed_;
};

}  // namespace wunt
