#include "viewer/wizard/gui/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <atomic>

#include "common/season_layout.h"
#include "common/server_config.h"
#include "viewer/attractions/gui/catalogue_window.h"
#include "viewer/attractions/gui/park_plan_window.h"
#include "viewer/calc/gui/calculation_editor_window.h"
#include "viewer/data/gui/season_progress_window.h"
#include "viewer/diagram/gui/diagram_tab.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/geometry.h"
#include "viewer/platform/web_page.h"
#include "viewer/update/gui/update_options_window.h"
#include "viewer/wizard/gui/demo_season_window.h"
#include "viewer/wizard/gui/main_window_layout.h"
#include "viewer/wizard/gui/overview_window.h"
#include "viewer/wizard/gui/selection_page.h"

namespace wunt {

MainWindow::MainWindow(std::filesystem::path program_folder)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      program_folder_(std::move(program_folder)),
      server_config_(LoadServerConfig(program_folder_)),
      game_address_(server_config_.game_address),
      sink_(this) {
  state_.data_dir = DataFolder(program_folder_);
  setWindowTitle(WindowTitle());
  SetFixedDialogSize(this, 600, 400);
  c_.tabs = Place(new QTabWidget(this), 0, 0, 600, 400);
  const QString names[] = {QStringLiteral("Schritt 1 (Inhaltsauswahl)"),
                           QStringLiteral("Schritt 2 (Jahr- und Wertauswahl)"),
                           QStringLiteral("Schritt 3 (Parkauswahl)"),
                           QStringLiteral("Schritt 4 (Aussehen)")};
  for (const QString& name : names) c_.tabs->addTab(new QWidget, name);
  BuildTab1(c_.tabs->widget(0));
  BuildTab2(c_.tabs->widget(1));
  BuildTab3(c_.tabs->widget(2));
  diagram_ = new DiagramTab(state_.colors, c_.tabs->widget(3));
  diagram_->set_on_back([this] { ShowStep(2); });
  SetFocusOrder(this, c_);
  // A click on the tab strip never changes the step.
  connect(c_.tabs, &QTabWidget::currentChanged, this, [this](int index) {
    if (index != steps_.step()) c_.tabs->setCurrentIndex(steps_.step());
  });
  steps_.SetSeasons(ListSeasonFolders(state_.data_dir));
  ShowSeasons();
  ShowStep(0);
  FitToScreen(this);
  // Said once, after the window is up: a port that was replaced.
  if (const std::string note = ServerConfigNote(server_config_); !note.empty()) {
    QTimer::singleShot(0, this,
                       [this, note] { MessageBoxes::Show(this, WindowTitle(), FromCp1252(note)); });
  }
}

// The job stops and the open child windows go before the state they read.
MainWindow::~MainWindow() = default;

OverviewWindow* MainWindow::overview() const { return overview_.get(); }

UpdateOptionsWindow* MainWindow::update_options() const { return update_options_.get(); }

DemoSeasonWindow* MainWindow::demo_season() const { return demo_.get(); }

void MainWindow::BuildTab1(QWidget* page) {
  LayOutTab(0, page, c_);
  for (QRadioButton* kind : {c_.kind_value, c_.kind_park, c_.kind_year}) {
    connect(kind, &QRadioButton::toggled, this, [this](bool on) {
      if (on) ChoiceChanged(0);
    });
  }
  // A pick from the list puts its caption into the field, so the text
  // alone says which season is meant.
  connect(c_.season, &QComboBox::editTextChanged, this,
          [this](const QString& text) { SeasonTyped(text); });
  connect(c_.demo, &QPushButton::clicked, this, [this] { CreateDemoSeason(); });
  connect(c_.updater, &QPushButton::clicked, this, [this] { OpenUpdater(); });
  connect(c_.attractions, &QPushButton::clicked, this, [this] { ShowCatalogue(); });
  connect(c_.apply1, &QPushButton::clicked, this, [this] { ApplyStep1(); });
  connect(c_.next1, &QPushButton::clicked, this, [this] { ShowStep(1); });
}

void MainWindow::BuildTab2(QWidget* page) {
  LayOutTab(1, page, c_);
  // Each spin keeps the end after the start by pushing the other one.
  connect(c_.start_year, &QSpinBox::valueChanged, this, [this](int year) {
    ChoiceChanged(1);
    steps_.StartChanged(year);
    c_.end_year->setValue(steps_.span().end);
  });
  connect(c_.end_year, &QSpinBox::valueChanged, this, [this](int year) {
    ChoiceChanged(1);
    steps_.EndChanged(year);
    c_.start_year->setValue(steps_.span().start);
  });
  connect(c_.vanished, &QCheckBox::toggled, this, [this] { ChoiceChanged(1); });
  connect(c_.calculation, &QComboBox::currentIndexChanged, this, [this] {
    ChoiceChanged(1);
    CalculationChanged();
  });
  connect(c_.edit, &QPushButton::clicked, this, [this] { EditCalculations(); });
  connect(c_.back2, &QPushButton::clicked, this, [this] { ShowStep(0); });
  connect(c_.apply2, &QPushButton::clicked, this, [this] { ApplyStep2(); });
  connect(c_.next2, &QPushButton::clicked, this, [this] { ShowStep(2); });
}

void MainWindow::BuildTab3(QWidget* page) {
  LayOutTab(2, page, c_);
  selection_ = new SelectionPage(
      c_, state_, [this] { ChoiceChanged(2); }, this);
  connect(c_.back3, &QPushButton::clicked, this, [this] { ShowStep(1); });
  connect(c_.apply3, &QPushButton::clicked, this, [this] { ApplyStep3(); });
  connect(c_.next3, &QPushButton::clicked, this, [this] {
    ShowStep(3);
    diagram_->Open(
        DiagramDataFromTable(state_.table, RequestTableView(state_), state_.calculation));
  });
}

void MainWindow::ShowStep(int step) {
  steps_.Show(step);
  c_.tabs->setCurrentIndex(step);
  // Each step starts where its first choice is made.
  QWidget* first[] = {c_.kind_value->isChecked()  ? c_.kind_value
                      : c_.kind_park->isChecked() ? c_.kind_park
                                                  : c_.kind_year,
                      c_.calculation, c_.available};
  if (step >= 0 && step < 3) first[step]->setFocus();
}

void MainWindow::MirrorSteps() {
  QPushButton* next[] = {c_.next1, c_.next2, c_.next3};
  for (int i = 0; i < 3; ++i) next[i]->setEnabled(steps_.next(i));
  // The bar takes the place of the tab's buttons while the values are
  // computed.
  for (QPushButton* button : {c_.back3, c_.apply3, c_.next3}) {
    button->setVisible(!steps_.computing());
  }
  c_.progress->setVisible(steps_.computing());
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Return presses a focused button, and otherwise the step's
  // "Übernehmen", as in a dialog. Lists take Return themselves.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
      if (button->isEnabled()) button->click();
      return;
    }
    QPushButton* apply[] = {c_.apply1, c_.apply2, c_.apply3};
    const int step = steps_.step();
    if (step >= 0 && step < 3 && apply[step]->isEnabled() && apply[step]->isVisible()) {
      apply[step]->click();
    }
    return;
  }
  QWidget::keyPressEvent(event);
}

void MainWindow::SeasonTyped(const QString& text) {
  steps_.TypeSeason(ToCp1252(text));
  ChoiceChanged(0);
  ShowSeasonNote();
}

// The updater works on the season in the field, also one without a folder
// yet; the loaded season stays as it is while the wizard is hidden.
void MainWindow::OpenUpdater() {
  const int32_t season = steps_.chosen_season();
  if (season == 0) {
    MessageBoxes::Show(this, WindowTitle(),
                       QStringLiteral("Bitte gib zuerst die Nummer deiner Runde in das Feld ein "
                                      "(zum Beispiel 9)."));
    c_.season->setFocus();
    return;
  }
  // The updater fills a season folder that is there; one made for it here
  // goes again if the update brought nothing into it.
  const std::filesystem::path folder = SeasonFolder(state_.data_dir, season);
  std::error_code ec;
  if (!std::filesystem::exists(folder, ec) && std::filesystem::create_directories(folder, ec)) {
    made_for_updater_ = folder;
  }
  hide();
  update_options_.Open(new UpdateOptionsWindow(program_folder_, season), this);
  update_options_->set_on_closed([this] { UpdaterClosed(); });
  update_options_->show();
}

void MainWindow::UpdaterClosed() {
  // Its new years are read by the next step-1 apply, which must come first.
  for (const UpdaterAction& outcome : update_options_->outcomes()) {
    if (SeasonNeedsReload(outcome, update_options_->season(), state_.season)) {
      steps_.LoadedSeasonUpdated();
    }
  }
  update_options_.Closed();
  if (!made_for_updater_.empty()) {
    std::error_code ec;
    std::filesystem::remove(made_for_updater_, ec);  // only while empty
    made_for_updater_.clear();
  }
  steps_.RefreshSeasons(ListSeasonFolders(state_.data_dir));
  ShowSeasons();
  MirrorSteps();
  show();
}

// Seasons in ascending order, the newest last and chosen unless the user
// chose or typed another one. Refilling is no choice of the user's.
void MainWindow::ShowSeasons() {
  {
    const QSignalBlocker block(c_.season);
    c_.season->clear();
    for (const std::string& caption : steps_.season_captions()) {
      c_.season->addItem(FromCp1252(caption));
    }
    c_.season->setCurrentIndex(steps_.chosen_season_index());
    c_.season->setEditText(FromCp1252(steps_.season_text()));
  }
  c_.demo->setVisible(!steps_.has_seasons());
  ShowSeasonNote();
}

void MainWindow::ShowSeasonNote() {
  const std::string note = steps_.season_note();
  c_.no_season->setText(FromCp1252(note));
  c_.no_season->setVisible(!note.empty());
  c_.apply1->setEnabled(steps_.season_listed());
}

// Our demo season, for trying every window before anything is downloaded.
void MainWindow::CreateDemoSeason() {
  if (demo_) return;
  setEnabled(false);
  demo_.Open(new DemoSeasonWindow(state_.data_dir,
                                  [this](int32_t season, const std::string& error) {
                                    DemoSeasonDone(season, error);
                                  }),
             this);
  demo_->show();
}

void MainWindow::DemoSeasonDone(int32_t season, const std::string& error) {
  demo_.Closed();
  setEnabled(true);
  if (season == 0) {
    MessageBoxes::Show(this, WindowTitle(), FromCp1252(error), MessageIcon::kError);
    return;
  }
  steps_.TypeSeason(std::to_string(season));
  steps_.RefreshSeasons(ListSeasonFolders(state_.data_dir));
  ShowSeasons();
  ChoiceChanged(0);
}

void MainWindow::ChoiceChanged(int step) {
  steps_.ChoiceChanged(step);
  MirrorSteps();
}

void MainWindow::ApplyStep1() {
  if (!steps_.season_listed()) return;
  const ContentKind kind = c_.kind_value->isChecked()  ? ContentKind::kValue
                           : c_.kind_park->isChecked() ? ContentKind::kPark
                                                       : ContentKind::kYear;
  // Starting the embedded browser takes about half a second on the GUI
  // thread. Done during the load, whose years are read on other threads, it
  // is not paid again when the first result page opens.
  QTimer::singleShot(0, this, [] { AppProfile(); });
  bool loaded = true;
  {
    MessageBatch batch(sink_);
    std::unique_ptr<SeasonProgressWindow> progress;
    LoadSeasonOptions options;
    options.progress = [&progress](const YearProgress& year) {
      if (!progress) {
        progress = std::make_unique<SeasonProgressWindow>();
        progress->show();
      }
      progress->ShowYear(year);
      // Paint the window; clicks meanwhile reach only the disabled wizard.
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    setEnabled(false);
    if (steps_.TakeSeasonStale()) state_.season = 0;  // read it again
    loaded = LoadRequestSeason(state_, steps_.chosen_season(), kind, sink_, options);
    setEnabled(true);
  }
  // Without a loaded season there is nothing to choose a span from.
  if (!loaded) return;
  FillCalculationChooser();
  steps_.Step1Applied(state_.season_data.lowest_year, state_.season_data.highest_year, kind);
  ShowSpan(kind);
  MirrorSteps();
  ShowStep(1);
}

void MainWindow::ShowSpan(ContentKind kind) {
  const YearSpan& span = steps_.span();
  {
    const QSignalBlocker block_start(c_.start_year);
    const QSignalBlocker block_end(c_.end_year);
    c_.start_year->setRange(span.start_minimum, span.start_maximum);
    c_.start_year->setValue(span.start);
    c_.end_year->setRange(span.end_minimum, span.end_maximum);
    c_.end_year->setValue(span.end);
  }
  c_.start_label->setVisible(!span.one_year);
  c_.start_year->setVisible(!span.one_year);
  c_.end_label->setText(span.one_year ? QStringLiteral("gewünschtes Jahr:")
                                      : QStringLiteral("Ende:"));
  Place(c_.end_label, span.one_year ? 285 : 335, 38, span.one_year ? 100 : 50, 17);
  c_.vanished->setVisible(kind == ContentKind::kValue);
}

void MainWindow::FillCalculationChooser(bool keep_calculation) {
  const int remembered = c_.calculation->currentIndex();
  const QVariant chosen = c_.calculation->currentData();
  const QSignalBlocker block(c_.calculation);
  c_.calculation->clear();
  calculation_positions_ = CalculationChooserPositions(state_.calculations, state_.content_kind);
  for (const size_t position : calculation_positions_) {
    const CalculationListEntry& entry = state_.calculations.entries[position];
    c_.calculation->addItem(FromCp1252(entry.name), entry.number);
  }
  c_.calculation->setCurrentIndex(keep_calculation && chosen.isValid()
                                      ? c_.calculation->findData(chosen)
                                  : remembered < c_.calculation->count() ? remembered
                                                                         : -1);
  CalculationChanged();
}

// The wizard waits, disabled, until the editor is closed.
void MainWindow::EditCalculations() {
  if (editor_) return;
  setEnabled(false);
  editor_.Open(new CalculationEditorWindow(state_.season_folder(), state_.content_kind,
                                           state_.park_fields, state_.calculations),
               this);
  editor_->set_on_closed([this] { CalculationsEdited(); });
  editor_->show();
}

void MainWindow::CalculationsEdited() {
  if (editor_->editor().saved_any()) steps_.CalculationsSaved();
  editor_.Closed();
  MirrorSteps();
  FillCalculationChooser(true);
  setEnabled(true);
  activateWindow();
  raise();
}

void MainWindow::CalculationChanged() {
  const int index = c_.calculation->currentIndex();
  if (index < 0 || static_cast<size_t>(index) >= calculation_positions_.size()) {
    c_.apply2->setEnabled(false);
    c_.hint->setText(QString::fromUtf8(kHintB));
    return;
  }
  c_.apply2->setEnabled(true);
  state_.calculations.current = calculation_positions_[static_cast<size_t>(index)];
  c_.hint->setText(
      FromCp1252(state_.calculations.entries[state_.calculations.current].description));
}

void MainWindow::ApplyStep2() {
  const int index = c_.calculation->currentIndex();
  if (index < 0 || static_cast<size_t>(index) >= calculation_positions_.size()) return;
  ApplyRequestSpan(state_, calculation_positions_[static_cast<size_t>(index)],
                   c_.start_year->value(), c_.end_year->value(), c_.vanished->isChecked(),
                   static_cast<SourceKind>(c_.source->currentIndex()));
  if (const std::string note = TokenLimitNote(state_); !note.empty()) {
    MessageBoxes::Show(this, WindowTitle(), FromCp1252(note));
  }
  selection_->FillLists();
  selection_->UpdateFilterBoxes();
  steps_.Step2Applied();
  MirrorSteps();
  ShowStep(2);
}

void MainWindow::ApplyStep3() {
  if (steps_.computing()) return;
  const int choice = c_.auto_select->isEnabled() ? c_.auto_select->currentIndex() : 0;
  state_.selection().ApplyAutoSelection(choice, state_.source_list());
  if (c_.auto_select->isEnabled()) c_.auto_select->setCurrentIndex(0);
  state_.tab.AutoChoiceChanged(0);
  selection_->ShowLists();
  const Step3Road road = steps_.ApplyStep3(SourceValuesComputed(state_.lists, state_.source_kind));
  if (road == Step3Road::kShowResult) {
    MirrorSteps();
    RebuildRequestTable(state_);
    ShowResult();
    return;
  }
  // The disabled window keeps the user away from the lists the worker uses.
  setEnabled(false);
  c_.progress->setValue(0);
  ++computations_;
  job_.Start(
      [this](std::stop_token stop) {
        std::atomic<bool> cancel{false};
        const std::stop_callback cancel_on_stop(stop, [&cancel] { cancel = true; });
        WorkControl control;
        control.cancel = &cancel;
        int shown = -1;
        control.progress = [this, &shown](int64_t position, int64_t maximum) {
          // One queued update per percent is plenty for a bar.
          const int percent = maximum > 0 ? static_cast<int>(position * 100 / maximum) : 0;
          if (percent == shown) return;
          shown = percent;
          job_.Post([bar = c_.progress, percent] { bar->setValue(percent); });
        };
        computed_ = ApplyRequestSelection(state_, 0, control);
      },
      [this] { ComputationDone(); });
  // Showing the bar in the buttons' place takes a while; the worker need
  // not wait for it.
  MirrorSteps();
}

// A computation stopped by closing the program never comes here.
void MainWindow::ComputationDone() {
  const bool open = steps_.ComputationEnded(computed_);
  MirrorSteps();
  setEnabled(true);
  if (open) ShowResult();
}

void MainWindow::ShowResult() {
  const CalculationListEntry* entry = state_.calculation_entry();
  switch (ResultWindowFor(state_.content_kind,
                          entry != nullptr ? std::optional(entry->number) : std::nullopt,
                          state_.table.rows.size())) {
    case ResultWindow::kNoParkChosen:
      MessageBoxes::Show(this, WindowTitle(), QStringLiteral("Es ist kein Park ausgewählt."));
      ResultClosed();
      return;
    case ResultWindow::kParkPlan:
      ShowParkPlan();
      return;
    case ResultWindow::kOverview:
      break;
  }
  hide();
  overview_.Open(new OverviewWindow(state_, program_folder_, game_address_), this);
  overview_->set_on_closed([this] {
    overview_.Closed();
    ResultClosed();
  });
  overview_->show();
}

void MainWindow::ShowCatalogue() {
  if (!steps_.season_listed()) return;
  const int32_t season = steps_.chosen_season();
  hide();
  catalogue_.Open(new CatalogueWindow(SeasonFolder(state_.data_dir, season), season, this), this);
  catalogue_->set_on_closed([this] {
    catalogue_.Closed();
    show();
    activateWindow();
    raise();
  });
  catalogue_->show();
}

// The table of content kind "Park" holds the one park shown.
void MainWindow::ShowParkPlan() {
  const ResultRow& row = state_.table.rows.front();
  hide();
  park_plan_.Open(
      new ParkPlanWindow({state_.season_folder(), row.id, row.name, row.first_year, row.last_year},
                         this),
      this);
  park_plan_->set_on_closed([this] {
    park_plan_.Closed();
    ResultClosed();
  });
}

void MainWindow::ResultClosed() {
  // The page's form may have changed the chosen list.
  selection_->ShowLists();
  show();
  ShowStep(2);
  activateWindow();
  raise();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing the main window ends the program, also while a result is open
  // or the values are still being computed.
  job_.Stop();
  if (overview_) {
    overview_->set_on_closed(nullptr);
    overview_->close();
  }
  QWidget::closeEvent(event);
  if (on_closed_) on_closed_();
}

}  // namespace wunt
