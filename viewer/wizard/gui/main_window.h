#pragma once
// The Viewer's main window: the wizard on a tab panel. Step 1 picks the
// content kind and the season, step 2 the span and the calculation, step 3
// the parks, companies or countries; applying step 3 computes the values on
// a background job and opens the overview window. The steps' rules live in
// WizardSteps and tab 3's in the SelectionTab; the window mirrors them.

#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/server_config.h"
#include "viewer/platform/background_job.h"
#include "viewer/platform/child_window.h"
#include "viewer/platform/gui_message_sink.h"
#include "viewer/wizard/request.h"
#include "viewer/wizard/wizard_steps.h"

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
class CatalogueWindow;
class DemoSeasonWindow;
class DiagramTab;
class OverviewWindow;
class ParkPlanWindow;
class SelectionPage;
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
    // Shown while the field names no season there is: why "Übernehmen"
    // waits, or how to begin without any season.
    QLabel* no_season = nullptr;
    QPushButton* demo = nullptr;  // "Beispielrunde anlegen", while there is no season
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
    QLabel* single_hint = nullptr;  // content kind "Park": one entity, adding replaces
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
  int step() const { return steps_.step(); }
  // The open overview window, or nullptr.
  OverviewWindow* overview() const;
  // The open update options window, or nullptr.
  UpdateOptionsWindow* update_options() const;
  // The window that writes the demo season, while it works; or nullptr.
  DemoSeasonWindow* demo_season() const;
  DiagramTab* diagram() const { return diagram_; }
  bool computing() const { return job_.running(); }
  // How many computations the worker ran; a result opened from values
  // already computed adds none.
  int computations() const { return computations_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildTab1(QWidget* page);
  void BuildTab2(QWidget* page);
  void BuildTab3(QWidget* page);
  void ShowStep(int step);
  // The steps' next buttons and tab 3's progress follow the model.
  void MirrorSteps();
  void ShowSeasons();
  // The note under the field and whether "Übernehmen" may load its season.
  void ShowSeasonNote();
  // A choice on tab `step` changed: its next button and those after it
  // wait for that tab's "Übernehmen" again.
  void ChoiceChanged(int step);
  void SeasonTyped(const QString& text);
  void OpenUpdater();
  void UpdaterClosed();
  void CreateDemoSeason();
  void DemoSeasonDone(int32_t season, const std::string& error);

  void ApplyStep1();
  void ShowSpan(ContentKind kind);
  void CalculationChanged();
  // `keep_calculation`: choose the calculation chosen before, by its number
  // (none when it was deleted), not the line it stood on.
  void FillCalculationChooser(bool keep_calculation = false);
  void EditCalculations();
  void CalculationsEdited();
  void ApplyStep2();

  void ApplyStep3();
  void ComputationDone();
  void ShowResult();
  void ShowCatalogue();
  void ShowParkPlan();
  void ResultClosed();

  std::filesystem::path program_folder_;
  // A season folder made empty for the updater, removed if it stays empty.
  std::filesystem::path made_for_updater_;
  ServerConfig server_config_;
  std::string game_address_;
  RequestState state_;
  GuiMessageSink sink_;
  Controls c_;
  WizardSteps steps_;
  // Chooser index -> position in the calculation list.
  std::vector<size_t> calculation_positions_;
  int computations_ = 0;
  // Written by the computation, read after its job ended.
  bool computed_ = false;
  SelectionPage* selection_ = nullptr;  // tab 3
  DiagramTab* diagram_ = nullptr;
  std::function<void()> on_closed_;
  // After the state they read: they go first.
  ChildWindow<OverviewWindow> overview_;
  ChildWindow<CalculationEditorWindow> editor_;
  ChildWindow<UpdateOptionsWindow> update_options_;
  ChildWindow<CatalogueWindow> catalogue_;
  ChildWindow<ParkPlanWindow> park_plan_;
  ChildWindow<DemoSeasonWindow> demo_;
  BackgroundJob job_{this};
};

}  // namespace wunt
