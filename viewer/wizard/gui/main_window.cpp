#include "viewer/wizard/gui/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "common/season_layout.h"
#include "common/server_config.h"
#include "common/text.h"
#include "viewer/attractions/gui/catalogue_window.h"
#include "viewer/attractions/gui/park_plan_window.h"
#include "viewer/calc/gui/calculation_editor_window.h"
#include "viewer/data/gui/season_progress_window.h"
#include "viewer/diagram/gui/diagram_tab.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/geometry.h"
#include "viewer/update/gui/update_options_window.h"
#include "viewer/wizard/gui/overview_window.h"

namespace wunt {
namespace {

constexpr char kBack[] = "< < < < < < <";
constexpr char kNext[] = "> > > > > > >";
// The vertical distance between two country filter boxes.
constexpr int kFilterPitch = 25;

const QString kHelpText = QStringLiteral(
    "Fals ein neues Jahr beendet wurde drücke auf \"Updater\". "
    "Hier können die Daten der Jahre und die Attraktionsbilder geladen werden.\r\n"
    "\r\n"
    "Wähle links den Diagrammtyp aus und drücken dann auf \"Übernehmen\". "
    "In den darauf folgenden Schritten werden die gewünschten Werte (Rechnungen) und dann die "
    "gewünschten Parks/ Firmen/ Länder ausgewählt. Der letzte Schritt erstellt das Diagramm.\r\n"
    "\r\n"
    "Unter der Attraktionsliste kannst du dir auch die Daten aller verfügbaren Attraktion "
    "anschauen.");
// Said on tab 1 instead of leaving an empty chooser without a word.
const QString kNoSeason = QStringLiteral(
    "Keine Runde gefunden: Der Ordner \"Data\" enthält noch keine Rundendaten. Lade eine Runde "
    "mit \"Updater (Rundendaten)\" oder lege die Demo-Runde an (tools/make-demo-season, siehe "
    "README).");
const QString kHintA = QStringLiteral(
    "Hinweiß: Wähle in der Liste das Diagramm aus, welches die anzuzeigenden Werte enthält. "
    "Möchtest du ein Vorhandenes ändern oder neue erstellen klicke auf ''Bearbeiten''. Du "
    "solltest Vorhandene nur ändern, wenn du wirklich weist was du tust. Beachte die beliegende "
    "Readme.txt!");
const QString kHintB = QStringLiteral(
    "Hinweiß: Wähle in der Liste das Diagramm aus, welches die anzuzeigenden Daten enthält. "
    "Möchtest du ein Vorhandenes ändern oder neue erstellen klicke auf ''Bearbeiten''. Du "
    "solltest vorhandene nur ändern, wenn du wirklich weist was du tust. Beachte die beliegende "
    "Readme.txt!");

QPushButton* Button(QWidget* page, const QString& text, int x, int y, int w, int h) {
  return Place(new QPushButton(text, page), x, y, w, h);
}

QLabel* Label(QWidget* page, const QString& text, int x, int y, int w = 130, int h = 17) {
  return Place(new QLabel(text, page), x, y, w, h);
}

}  // namespace

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
  // The tab strip is no stop on the keyboard's way: it never changes the
  // step.
  c_.tabs->setFocusPolicy(Qt::NoFocus);
  c_.tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
  SetFocusOrder({c_.kind_value, c_.kind_park, c_.kind_year, c_.season, c_.apply1, c_.next1,
                 c_.back1, c_.updater, c_.attractions});
  SetFocusOrder({c_.start_year, c_.end_year, c_.vanished, c_.calculation, c_.edit, c_.apply2,
                 c_.next2, c_.back2});
  // The sixteen country boxes come last: they are rarely wanted on the way
  // to "Übernehmen".
  std::vector<QWidget*> tab3 = {c_.source, c_.available,  c_.add,    c_.add_all,
                                c_.remove, c_.remove_all, c_.chosen, c_.auto_select,
                                c_.apply3, c_.next3,      c_.back3};
  tab3.insert(tab3.end(), c_.filter.begin(), c_.filter.end());
  tab3.push_back(c_.filter_all);
  SetFocusOrder(tab3);
  // A click on the tab strip never changes the step.
  connect(c_.tabs, &QTabWidget::currentChanged, this, [this](int index) {
    if (index != step_) c_.tabs->setCurrentIndex(step_);
  });
  FillSeasonChooser();
  ShowStep(0);
  FitToScreen(this);
  // Said once, after the window is up: a port that was replaced.
  if (const std::string note = ReplacedPortsNote(server_config_); !note.empty()) {
    QTimer::singleShot(0, this,
                       [this, note] { MessageBoxes::Show(this, WindowTitle(), FromCp1252(note)); });
  }
}

MainWindow::~MainWindow() {
  StopWorker();
  delete overview_;
  delete editor_;
  delete update_options_;
}

void MainWindow::BuildTab1(QWidget* page) {
  Place(new QGroupBox(QStringLiteral("möglicher Inhalt"), page), 60, 10, 170, 215);
  c_.kind_value = Place(new QRadioButton(QStringLiteral("Wert"), page), 75, 30, 140, 20);
  Label(page, QStringLiteral("X-Achse: Parks"), 85, 50);
  Label(page, QStringLiteral("Y-Achse: Jahre"), 85, 70);
  c_.kind_park = Place(new QRadioButton(QStringLiteral("Park"), page), 75, 95, 140, 20);
  Label(page, QStringLiteral("X-Achse: Werte"), 85, 115);
  Label(page, QStringLiteral("Y-Achse: Jahre"), 85, 135);
  c_.kind_year = Place(new QRadioButton(QStringLiteral("Jahr"), page), 75, 160, 140, 20);
  Label(page, QStringLiteral("X-Achse: Parks"), 85, 180);
  Label(page, QStringLiteral("Y-Achse: Werte"), 85, 200);
  c_.kind_value->setChecked(true);
  Place(new QGroupBox(QStringLiteral("Hilfe"), page), 250, 10, 290, 185);
  c_.help = Label(page, kHelpText, 265, 25, 270, 165);
  c_.help->setWordWrap(true);
  c_.help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  c_.season = Place(new QComboBox(page), 250, 205, 290, 20);
  c_.updater = Button(page, QStringLiteral("Updater (Rundendaten)"), 60, 245, 230, 25);
  c_.attractions = Button(page, QStringLiteral("Attraktionsliste"), 310, 245, 230, 25);
  c_.back1 = Button(page, kBack, 60, 285, 157, 25);
  c_.apply1 = Button(page, QStringLiteral("Übernehmen"), 222, 285, 157, 25);
  c_.next1 = Button(page, kNext, 384, 285, 157, 25);
  c_.back1->setEnabled(false);
  c_.next1->setEnabled(false);
  c_.no_season = Label(page, kNoSeason, 60, 316, 481, 50);
  c_.no_season->setWordWrap(true);
  c_.no_season->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  c_.no_season->hide();

  for (QRadioButton* kind : {c_.kind_value, c_.kind_park, c_.kind_year}) {
    connect(kind, &QRadioButton::toggled, this, [this](bool on) {
      if (on) ChoiceChanged(0);
    });
  }
  connect(c_.season, &QComboBox::currentIndexChanged, this, [this] { ChoiceChanged(0); });
  connect(c_.updater, &QPushButton::clicked, this, [this] { OpenUpdater(); });
  connect(c_.attractions, &QPushButton::clicked, this, [this] { ShowCatalogue(); });
  connect(c_.apply1, &QPushButton::clicked, this, [this] { ApplyStep1(); });
  connect(c_.next1, &QPushButton::clicked, this, [this] { ShowStep(1); });
}

void MainWindow::BuildTab2(QWidget* page) {
  Place(new QGroupBox(QStringLiteral("Zeitspanne (in Jahren)"), page), 15, 15, 570, 70);
  c_.start_label = Label(page, QStringLiteral("Anfang:"), 110, 38, 50, 17);
  c_.start_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  c_.start_year = Place(new QSpinBox(page), 170, 35, 50, 20);
  c_.end_label = Label(page, QStringLiteral("Ende:"), 335, 38, 50, 17);
  c_.end_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  c_.end_year = Place(new QSpinBox(page), 395, 35, 50, 20);
  for (QSpinBox* spin : {c_.start_year, c_.end_year}) {
    spin->setRange(0, 1);
    spin->findChild<QLineEdit*>()->setReadOnly(true);
    spin->setButtonSymbols(QSpinBox::UpDownArrows);
  }
  c_.vanished = Place(
      new QCheckBox(QStringLiteral("Auch Parks berücksichtigen, die im letzten ausgewählten Jahr "
                                   "nicht mehr existieren."),
                    page),
      // Wider than drawn for the narrow reference font: the box's mark
      // does not grow with the font, the text does.
      90, 60, 470, 17);
  c_.vanished->setToolTip(
      QStringLiteral("Für die Länderstatistiken werden immer alle Parks berücksichtigt."));
  Place(new QGroupBox(QStringLiteral("Wertauswahl"), page), 15, 100, 570, 180);
  c_.calculation = Place(new QComboBox(page), 30, 125, 435, 20);
  c_.edit = Button(page, QStringLiteral("Bearbeiten"), 470, 125, 100, 22);
  c_.hint = Label(page, kHintA, 30, 150, 555, 120);
  c_.hint->setWordWrap(true);
  c_.hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  c_.back2 = Button(page, kBack, 15, 315, 185, 25);
  c_.apply2 = Button(page, QStringLiteral("Übernehmen"), 204, 315, 185, 25);
  c_.next2 = Button(page, kNext, 393, 315, 185, 25);
  c_.apply2->setEnabled(false);
  c_.next2->setEnabled(false);

  connect(c_.start_year, &QSpinBox::valueChanged, this, [this] {
    ChoiceChanged(1);
    StartChanged();
  });
  connect(c_.end_year, &QSpinBox::valueChanged, this, [this] {
    ChoiceChanged(1);
    EndChanged();
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
  c_.source = Place(new QComboBox(page), 15, 15, 225, 20);
  c_.source->addItems(
      {QStringLiteral("Parks"), QStringLiteral("Firmen"), QStringLiteral("Länder")});
  c_.auto_select = Place(new QComboBox(page), 360, 15, 225, 20);
  c_.available = Place(new QListWidget(page), 15, 40, 225, 290);
  c_.chosen = Place(new QListWidget(page), 360, 40, 225, 290);
  // Several lines at once with Shift and Ctrl; Return moves them.
  for (QListWidget* list : {c_.available, c_.chosen}) {
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->installEventFilter(this);
  }
  c_.add = Button(page, QStringLiteral("> Hinzufügen >"), 245, 15, 110, 25);
  c_.add_all = Button(page, QStringLiteral("alle Hinzufügen"), 245, 45, 110, 25);
  c_.remove = Button(page, QStringLiteral("< Entfernen <"), 245, 95, 110, 25);
  c_.remove_all = Button(page, QStringLiteral("alle Entfernen"), 245, 125, 110, 25);
  c_.add->setEnabled(false);
  c_.remove->setEnabled(false);
  c_.remove_all->setEnabled(false);
  c_.filters = Place(new QScrollArea(page), 245, 155, 110, 175);
  c_.filters->setFocusPolicy(Qt::NoFocus);
  c_.filter_area = new QWidget(c_.filters);
  for (int i = 0; i < kCountryFilterCount; ++i) {
    c_.filter[i] = Place(new QCheckBox(c_.filter_area), 0, kFilterPitch * i, 90, 20);
    c_.filter[i]->setToolTip(QStringLiteral("Filter aktivieren/ deaktivieren"));
    c_.filter[i]->setChecked(true);
    connect(c_.filter[i], &QCheckBox::clicked, this,
            [this, i](bool checked) { TabEvent([&] { state_.tab.FilterToggled(i, checked); }); });
  }
  c_.filter_all = new QCheckBox(QStringLiteral("Alle"), c_.filter_area);
  c_.filter_all->setToolTip(QStringLiteral("alle Filter aktivieren/ deaktivieren"));
  c_.filter_all->setChecked(true);
  c_.filters->setWidget(c_.filter_area);
  // One wheel notch or arrow click moves by one box.
  c_.filters->verticalScrollBar()->setSingleStep(DialogUnits(this).Y(kFilterPitch));
  c_.filters->viewport()->installEventFilter(this);
  UpdateFilterBoxes();
  c_.back3 = Button(page, kBack, 15, 340, 185, 25);
  c_.apply3 = Button(page, QStringLiteral("Übernehmen"), 204, 340, 185, 25);
  c_.next3 = Button(page, kNext, 393, 340, 185, 25);
  c_.apply3->setEnabled(false);
  c_.next3->setEnabled(false);
  c_.progress = Place(new QProgressBar(page), 10, 340, 580, 25);
  c_.progress->setRange(0, 100);
  c_.progress->setToolTip(QStringLiteral("gewünschte Werte werden Berechnet"));
  c_.progress->hide();

  connect(c_.source, &QComboBox::currentIndexChanged, this, [this](int i) { SourceChanged(i); });
  connect(c_.auto_select, &QComboBox::activated, this, [this](int i) {
    ChoiceChanged(2);
    state_.tab.AutoChoiceChanged(i);
    MirrorButtons();
  });
  connect(c_.add_all, &QPushButton::clicked, this, [this] {
    ChoiceChanged(2);
    TabEvent([&] { state_.tab.AddAllClicked(); });
  });
  connect(c_.add, &QPushButton::clicked, this, [this] {
    ChoiceChanged(2);
    TabEvent([&] { state_.tab.AddClicked(Selected(c_.available)); });
  });
  connect(c_.available, &QListWidget::itemSelectionChanged, this, [this] {
    state_.tab.AvailableListEvent(false, FirstSelected(c_.available));
    MirrorButtons();
  });
  connect(c_.available, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    const auto row = static_cast<size_t>(c_.available->row(item));
    ChoiceChanged(2);
    TabEvent([&] { state_.tab.AvailableListEvent(true, row); });
  });
  connect(c_.remove, &QPushButton::clicked, this, [this] {
    ChoiceChanged(2);
    TabEvent([&] { state_.tab.RemoveClicked(Selected(c_.chosen)); });
  });
  connect(c_.chosen, &QListWidget::itemSelectionChanged, this, [this] {
    state_.tab.ChosenListEvent(false, FirstSelected(c_.chosen));
    MirrorButtons();
  });
  connect(c_.chosen, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    const auto row = static_cast<size_t>(c_.chosen->row(item));
    ChoiceChanged(2);
    TabEvent([&] { state_.tab.ChosenListEvent(true, row); });
  });
  connect(c_.remove_all, &QPushButton::clicked, this, [this] {
    ChoiceChanged(2);
    TabEvent([&] { state_.tab.RemoveAllClicked(); });
  });
  connect(c_.filter_all, &QCheckBox::clicked, this,
          [this](bool checked) { TabEvent([&] { state_.tab.AllToggled(checked); }); });
  connect(c_.back3, &QPushButton::clicked, this, [this] { ShowStep(1); });
  connect(c_.apply3, &QPushButton::clicked, this, [this] { ApplyStep3(); });
  connect(c_.next3, &QPushButton::clicked, this, [this] {
    ShowStep(3);
    diagram_->Open(
        DiagramDataFromTable(state_.table, RequestTableView(state_), state_.calculation));
  });
}

void MainWindow::ShowStep(int step) {
  step_ = step;
  c_.tabs->setCurrentIndex(step);
  // Each step starts where its first choice is made.
  QWidget* first[] = {c_.kind_value->isChecked()  ? c_.kind_value
                      : c_.kind_park->isChecked() ? c_.kind_park
                                                  : c_.kind_year,
                      c_.calculation, c_.available};
  if (step >= 0 && step < 3) first[step]->setFocus();
}

void MainWindow::SetFocusOrder(const std::vector<QWidget*>& widgets) {
  for (size_t i = 1; i < widgets.size(); ++i) setTabOrder(widgets[i - 1], widgets[i]);
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
    if (step_ >= 0 && step_ < 3 && apply[step_]->isEnabled() && apply[step_]->isVisible()) {
      apply[step_]->click();
    }
    return;
  }
  QWidget::keyPressEvent(event);
}

// The updater works on the season in the chooser; the loaded season stays
// as it is while the wizard is hidden.
void MainWindow::OpenUpdater() {
  const auto season = static_cast<int32_t>(LeadingNumber(ToCp1252(c_.season->currentText())));
  hide();
  update_options_ = new UpdateOptionsWindow(program_folder_, season);
  update_options_->set_on_closed([this] { UpdaterClosed(); });
  update_options_->show();
}

void MainWindow::UpdaterClosed() {
  UpdateOptionsWindow* options = std::exchange(update_options_, nullptr);
  for (const UpdaterAction& outcome : options->outcomes()) {
    if (SeasonNeedsReload(outcome, options->season(), state_.season)) season_stale_ = true;
  }
  options->deleteLater();
  // Its new years are read by the next step-1 apply, which must come first.
  if (season_stale_) c_.next1->setEnabled(false);
  const QString chosen = c_.season->currentText();
  {
    // Refilling is no choice of the user's; another season in the chooser is.
    const QSignalBlocker block(c_.season);
    c_.season->clear();
    FillSeasonChooser();
    if (const int index = c_.season->findText(chosen); index >= 0) {
      c_.season->setCurrentIndex(index);
    }
  }
  if (c_.season->currentText() != chosen) ChoiceChanged(0);
  show();
}

// Seasons in ascending order, the newest last and chosen.
void MainWindow::FillSeasonChooser() {
  for (const std::string& name : ListSeasonFolders(state_.data_dir)) {
    c_.season->addItem(FromCp1252(name) + QStringLiteral(". Runde"));
  }
  c_.season->setCurrentIndex(c_.season->count() - 1);
  const bool any = c_.season->count() > 0;
  c_.no_season->setVisible(!any);
  c_.apply1->setEnabled(any);
}

void MainWindow::ChoiceChanged(int step) {
  QPushButton* next[] = {c_.next1, c_.next2, c_.next3};
  for (int i = step; i < 3; ++i) next[i]->setEnabled(false);
}

void MainWindow::ApplyStep1() {
  const ContentKind kind = c_.kind_value->isChecked()  ? ContentKind::kValue
                           : c_.kind_park->isChecked() ? ContentKind::kPark
                                                       : ContentKind::kYear;
  const auto season = static_cast<int32_t>(LeadingNumber(ToCp1252(c_.season->currentText())));
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
    if (std::exchange(season_stale_, false)) state_.season = 0;  // read it again
    loaded = LoadRequestSeason(state_, season, kind, sink_, options);
    setEnabled(true);
  }
  // Without a loaded season there is nothing to choose a span from.
  if (!loaded) return;
  FillCalculationChooser();

  const int32_t lowest = state_.season_data.lowest_year;
  const int32_t highest = state_.season_data.highest_year;
  const QSignalBlocker block_start(c_.start_year);
  const QSignalBlocker block_end(c_.end_year);
  c_.start_year->setRange(lowest, std::max(lowest, highest - 1));
  c_.start_year->setValue(lowest);
  const bool one_year = kind == ContentKind::kYear;
  c_.end_year->setRange(one_year ? lowest : std::min(lowest + 1, highest), highest);
  c_.end_year->setValue(highest);
  c_.start_label->setVisible(!one_year);
  c_.start_year->setVisible(!one_year);
  c_.end_label->setText(one_year ? QStringLiteral("gewünschtes Jahr:") : QStringLiteral("Ende:"));
  Place(c_.end_label, one_year ? 285 : 335, 38, one_year ? 100 : 50, 17);
  c_.vanished->setVisible(kind == ContentKind::kValue);

  c_.next1->setEnabled(true);
  c_.next2->setEnabled(false);
  c_.next3->setEnabled(false);
  ShowStep(1);
}

void MainWindow::StartChanged() {
  if (c_.end_year->value() <= c_.start_year->value()) {
    c_.end_year->setValue(c_.start_year->value() + 1);
  }
}

void MainWindow::EndChanged() {
  if (c_.start_year->isVisible() && c_.end_year->value() <= c_.start_year->value()) {
    c_.start_year->setValue(c_.end_year->value() - 1);
  }
}

void MainWindow::FillCalculationChooser() {
  const int remembered = c_.calculation->currentIndex();
  const QSignalBlocker block(c_.calculation);
  c_.calculation->clear();
  calculation_positions_ = CalculationChooserPositions(state_.calculations, state_.content_kind);
  for (const size_t position : calculation_positions_) {
    c_.calculation->addItem(FromCp1252(state_.calculations.entries[position].name));
  }
  c_.calculation->setCurrentIndex(remembered < c_.calculation->count() ? remembered : -1);
  CalculationChanged();
}

// The wizard waits, disabled, until the editor is closed.
void MainWindow::EditCalculations() {
  if (editor_ != nullptr) return;
  setEnabled(false);
  editor_ = new CalculationEditorWindow(state_.season_folder(), state_.content_kind,
                                        state_.park_fields, state_.calculations);
  editor_->set_on_closed([this] { CalculationsEdited(); });
  editor_->show();
}

void MainWindow::CalculationsEdited() {
  // A saved calculation may be the one whose values step 2 already loaded:
  // the steps after it wait for a fresh apply instead of showing old values.
  if (editor_->editor().saved_any()) {
    c_.next2->setEnabled(false);
    c_.next3->setEnabled(false);
  }
  editor_->deleteLater();
  editor_ = nullptr;
  FillCalculationChooser();
  setEnabled(true);
  activateWindow();
  raise();
}

void MainWindow::CalculationChanged() {
  const int index = c_.calculation->currentIndex();
  if (index < 0 || static_cast<size_t>(index) >= calculation_positions_.size()) {
    c_.apply2->setEnabled(false);
    c_.hint->setText(kHintB);
    return;
  }
  c_.apply2->setEnabled(true);
  state_.calculations.current = calculation_positions_[index];
  c_.hint->setText(
      FromCp1252(state_.calculations.entries[state_.calculations.current].description));
}

void MainWindow::ApplyStep2() {
  const int index = c_.calculation->currentIndex();
  if (index < 0 || static_cast<size_t>(index) >= calculation_positions_.size()) return;
  ApplyRequestSpan(state_, calculation_positions_[index], c_.start_year->value(),
                   c_.end_year->value(), c_.vanished->isChecked(),
                   static_cast<SourceKind>(c_.source->currentIndex()));
  if (const std::string note = TokenLimitNote(state_); !note.empty()) {
    MessageBoxes::Show(this, WindowTitle(), FromCp1252(note));
  }
  FillLists();
  UpdateFilterBoxes();
  c_.next2->setEnabled(true);
  c_.next3->setEnabled(false);
  ShowStep(2);
}

void MainWindow::UpdateFilterBoxes() {
  const auto& countries = state_.lists.countries;
  const int count = static_cast<int>(std::min<size_t>(countries.size(), kCountryFilterCount));
  for (int i = 0; i < kCountryFilterCount; ++i) c_.filter[i]->setVisible(false);
  for (const ValueRecord& country : countries) {
    const int box = country.id - 1;
    if (box < 0 || box >= kCountryFilterCount) continue;
    c_.filter[box]->setText(FromCp1252(country.name));
    c_.filter[box]->setVisible(true);
  }
  Place(c_.filter_all, 0, count * kFilterPitch, 90, 20);
  // A name longer than the area widens all boxes, and the area scrolls
  // sideways instead of cutting the name.
  int width = c_.filters->maximumViewportSize().width() -
              c_.filters->verticalScrollBar()->sizeHint().width();
  for (QCheckBox* box : c_.filter) {
    if (box->isVisibleTo(c_.filter_area)) width = std::max(width, box->sizeHint().width());
  }
  for (QCheckBox* box : c_.filter) box->resize(width, box->height());
  c_.filter_all->resize(width, c_.filter_all->height());
  c_.filter_area->resize(width, DialogUnits(this).Y((count + 1) * kFilterPitch));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // Return on a list line moves the selected lines, like a double-click.
  if ((watched == c_.available || watched == c_.chosen) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      QPushButton* move = watched == c_.available ? c_.add : c_.remove;
      if (move->isEnabled()) move->click();
      return true;
    }
  }
  // The area scrolls by one box per wheel notch, whatever the desktop's
  // lines-per-notch setting says.
  if (watched == c_.filters->viewport() && event->type() == QEvent::Wheel) {
    const auto* wheel = static_cast<QWheelEvent*>(event);
    wheel_rest_ += wheel->angleDelta().y();
    const int notches = wheel_rest_ / QWheelEvent::DefaultDeltasPerStep;
    wheel_rest_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    QScrollBar* bar = c_.filters->verticalScrollBar();
    bar->setValue(bar->value() - notches * bar->singleStep());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::SourceChanged(int index) {
  const auto source = static_cast<SourceKind>(index);
  if (!state_.tab.SourceChosen(source)) return;
  ChoiceChanged(2);
  ChangeRequestSource(state_, source);
  FillLists();
}

void MainWindow::FillLists() {
  FillAutoSelect();
  ShowAvailable();
  ShowChosen();
  MirrorButtons();
}

std::vector<size_t> MainWindow::Selected(QListWidget* list) {
  std::vector<size_t> rows;
  for (const QListWidgetItem* item : list->selectedItems()) {
    rows.push_back(static_cast<size_t>(list->row(item)));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::optional<size_t> MainWindow::FirstSelected(QListWidget* list) {
  const std::vector<size_t> rows = Selected(list);
  if (rows.empty()) return std::nullopt;
  return rows.front();
}

void MainWindow::TabEvent(const std::function<void()>& event) {
  event();
  ShowAvailable();
  ShowChosen();
  MirrorButtons();
}

void MainWindow::MirrorButtons() {
  const SelectionButtons b = state_.tab.buttons();
  c_.apply3->setEnabled(b.apply);
  c_.add->setEnabled(b.add);
  c_.add_all->setEnabled(b.add_all);
  c_.remove->setEnabled(b.remove);
  c_.remove_all->setEnabled(b.remove_all);
  for (int i = 0; i < kCountryFilterCount; ++i) {
    c_.filter[i]->setEnabled(b.filters_enabled);
    c_.filter[i]->setChecked(state_.selection().filter_checked(i));
  }
  c_.filter_all->setEnabled(b.filters_enabled);
  c_.filter_all->setChecked(state_.selection().all_checked());
}

void MainWindow::ShowAvailable() {
  const QSignalBlocker block(c_.available);
  c_.available->clear();
  const auto& available = state_.selection().available();
  QStringList labels;
  for (size_t i : state_.selection().AvailableRows()) labels << FromCp1252(available[i].label);
  c_.available->addItems(labels);
}

void MainWindow::ShowChosen() {
  const QSignalBlocker block(c_.chosen);
  c_.chosen->clear();
  const auto& chosen = state_.selection().chosen();
  QStringList labels;
  for (size_t i : state_.selection().ChosenRows()) labels << FromCp1252(chosen[i].label);
  c_.chosen->addItems(labels);
}

void MainWindow::ShowLists() {
  state_.tab.Reshown();
  ShowAvailable();
  ShowChosen();
  MirrorButtons();
}

void MainWindow::FillAutoSelect() {
  const AutoSelectionChooser chooser =
      AutoSelectionChoices(state_.source_kind, state_.content_kind);
  const QSignalBlocker block(c_.auto_select);
  c_.auto_select->clear();
  for (const std::string& entry : chooser.entries) c_.auto_select->addItem(FromCp1252(entry));
  c_.auto_select->setCurrentIndex(chooser.entries.empty() ? -1 : 0);
  c_.auto_select->setEnabled(chooser.enabled);
}

void MainWindow::ApplyStep3() {
  if (computing()) return;
  // Tab 4 draws the table this apply builds, so it waits for it.
  c_.next3->setEnabled(false);
  const int choice = c_.auto_select->isEnabled() ? c_.auto_select->currentIndex() : 0;
  state_.selection().ApplyAutoSelection(choice, state_.source_list());
  if (c_.auto_select->isEnabled()) c_.auto_select->setCurrentIndex(0);
  state_.tab.AutoChoiceChanged(0);
  ShowLists();
  const bool computed =
      state_.source_kind == SourceKind::kCompanies   ? state_.lists.companies_computed
      : state_.source_kind == SourceKind::kCountries ? state_.lists.countries_computed
                                                     : state_.lists.parks_computed;
  if (computed) {
    RebuildRequestTable(state_);
    c_.next3->setEnabled(true);
    ShowResult();
    return;
  }
  // The disabled window keeps the user away from the lists the worker uses.
  setEnabled(false);
  c_.back3->hide();
  c_.apply3->hide();
  c_.next3->hide();
  c_.progress->setValue(0);
  c_.progress->show();
  cancel_ = false;
  ++computations_;
  worker_ = std::thread([this] {
    WorkControl control;
    control.cancel = &cancel_;
    int shown = -1;
    control.progress = [this, &shown](int64_t position, int64_t maximum) {
      // One queued update per percent is plenty for a bar.
      const int percent = maximum > 0 ? static_cast<int>(position * 100 / maximum) : 0;
      if (percent == shown) return;
      shown = percent;
      QMetaObject::invokeMethod(
          c_.progress, [bar = c_.progress, percent] { bar->setValue(percent); },
          Qt::QueuedConnection);
    };
    const bool done = ApplyRequestSelection(state_, 0, control);
    QMetaObject::invokeMethod(
        this, [this, done] { ComputationDone(done); }, Qt::QueuedConnection);
  });
}

void MainWindow::ComputationDone(bool done) {
  if (worker_.joinable()) worker_.join();
  c_.progress->hide();
  c_.back3->show();
  c_.apply3->show();
  c_.next3->show();
  setEnabled(true);
  // A computation stopped by closing the program opens nothing.
  if (done && !cancel_) {
    c_.next3->setEnabled(true);
    ShowResult();
  }
}

void MainWindow::ShowResult() {
  const CalculationListEntry* entry = state_.calculation_entry();
  if (state_.content_kind == ContentKind::kPark && entry != nullptr &&
      entry->number == kClosingEntryNumber) {
    ShowParkPlan();
    return;
  }
  hide();
  overview_ = new OverviewWindow(state_, program_folder_, game_address_);
  overview_->set_on_closed([this] { ResultClosed(); });
  overview_->show();
}

void MainWindow::ShowCatalogue() {
  if (c_.season->count() == 0) return;
  const auto season = static_cast<int32_t>(LeadingNumber(ToCp1252(c_.season->currentText())));
  hide();
  auto* catalogue = new CatalogueWindow(SeasonFolder(state_.data_dir, season), season, this);
  catalogue->set_on_closed([this] {
    show();
    activateWindow();
    raise();
  });
  catalogue->show();
}

void MainWindow::ShowParkPlan() {
  // The table of content kind "Park" holds the one park shown.
  if (state_.table.rows.empty()) {
    MessageBoxes::Show(this, WindowTitle(), QStringLiteral("Es ist kein Park ausgewählt."));
    ResultClosed();
    return;
  }
  const ResultRow& row = state_.table.rows.front();
  hide();
  auto* plan = new ParkPlanWindow(
      {state_.season_folder(), row.id, row.name, row.first_year, row.last_year}, this);
  plan->set_on_closed([this] { ResultClosed(); });
}

void MainWindow::ResultClosed() {
  if (overview_ != nullptr) {
    overview_->deleteLater();
    overview_ = nullptr;
  }
  // The page's form may have changed the chosen list.
  ShowLists();
  show();
  ShowStep(2);
  activateWindow();
  raise();
}

void MainWindow::StopWorker() {
  if (!worker_.joinable()) return;
  cancel_ = true;
  worker_.join();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing the main window ends the program, also while a result is open
  // or the values are still being computed.
  StopWorker();
  if (overview_ != nullptr) {
    overview_->set_on_closed(nullptr);
    overview_->close();
  }
  QWidget::closeEvent(event);
  if (on_closed_) on_closed_();
}

}  // namespace wunt
