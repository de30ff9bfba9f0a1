#include "viewer/wizard/gui/selection_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "viewer/platform/app_info.h"
#include "viewer/platform/geometry.h"
#include "viewer/wizard/gui/main_window_layout.h"

namespace wunt {

SelectionPage::SelectionPage(MainWindow::Controls& c, RequestState& state,
                             std::function<void()> on_choice, QObject* parent)
    : QObject(parent), c_(c), state_(state), on_choice_(std::move(on_choice)) {
  // Several lines at once with Shift and Ctrl; Return moves them.
  for (QListWidget* list : {c_.available, c_.chosen}) {
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->installEventFilter(this);
  }
  c_.filters->setFocusPolicy(Qt::NoFocus);
  c_.filter_area = new QWidget(c_.filters);
  for (int i = 0; i < kCountryFilterCount; ++i) {
    Filter(i) = Place(new QCheckBox(c_.filter_area), 0, kFilterPitch * i, 90, 20);
    Filter(i)->setToolTip(QStringLiteral("Filter aktivieren/ deaktivieren"));
    Filter(i)->setChecked(true);
    connect(Filter(i), &QCheckBox::clicked, this,
            [this, i](bool checked) { TabEvent([&] { state_.tab.FilterToggled(i, checked); }); });
  }
  c_.filter_all = new QCheckBox(QStringLiteral("Alle"), c_.filter_area);
  c_.filter_all->setToolTip(QStringLiteral("alle Filter aktivieren/ deaktivieren"));
  c_.filter_all->setChecked(true);
  c_.filters->setWidget(c_.filter_area);
  // One wheel notch or arrow click moves by one box.
  c_.filters->verticalScrollBar()->setSingleStep(DialogUnits(c_.filters->window()).Y(kFilterPitch));
  c_.filters->viewport()->installEventFilter(this);
  UpdateFilterBoxes();

  connect(c_.source, &QComboBox::currentIndexChanged, this, [this](int i) { SourceChanged(i); });
  connect(c_.auto_select, &QComboBox::activated, this, [this](int i) {
    on_choice_();
    state_.tab.AutoChoiceChanged(i);
    MirrorButtons();
  });
  // A move between the lists is a choice of tab 3.
  const auto move = [this](QPushButton* button, auto handle) {
    connect(button, &QPushButton::clicked, this, [this, handle] {
      on_choice_();
      TabEvent(handle);
    });
  };
  move(c_.add_all, [this] { state_.tab.AddAllClicked(); });
  move(c_.add, [this] { state_.tab.AddClicked(Selected(c_.available)); });
  move(c_.remove, [this] { state_.tab.RemoveClicked(Selected(c_.chosen)); });
  move(c_.remove_all, [this] { state_.tab.RemoveAllClicked(); });
  // A selection sets the list's move button; a double-click moves the line.
  using ListEvent = void (SelectionTab::*)(bool, std::optional<size_t>);
  const auto list = [this](QListWidget* widget, ListEvent handle) {
    connect(widget, &QListWidget::itemSelectionChanged, this, [this, widget, handle] {
      (state_.tab.*handle)(false, FirstSelected(widget));
      MirrorButtons();
    });
    connect(widget, &QListWidget::itemDoubleClicked, this,
            [this, widget, handle](QListWidgetItem* item) {
              const auto row = static_cast<size_t>(widget->row(item));
              on_choice_();
              TabEvent([&] { (state_.tab.*handle)(true, row); });
            });
  };
  list(c_.available, &SelectionTab::AvailableListEvent);
  list(c_.chosen, &SelectionTab::ChosenListEvent);
  connect(c_.filter_all, &QCheckBox::clicked, this,
          [this](bool checked) { TabEvent([&] { state_.tab.AllToggled(checked); }); });
}

bool SelectionPage::eventFilter(QObject* watched, QEvent* event) {
  // Return on a list line moves the selected lines, like a double-click,
  // and the cursor stays where they were.
  if ((watched == c_.available || watched == c_.chosen) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      const bool on_available = watched == c_.available;
      if ((on_available ? c_.add : c_.remove)->isEnabled()) ReturnPressed(on_available);
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
  return QObject::eventFilter(watched, event);
}

void SelectionPage::ReturnPressed(bool on_available) {
  QListWidget* list = on_available ? c_.available : c_.chosen;
  on_choice_();
  std::optional<size_t> line;
  TabEvent([&] { line = state_.tab.ReturnPressed(on_available, Selected(list)); });
  if (!line) return;
  const QSignalBlocker block(list);
  list->setCurrentRow(static_cast<int>(*line), QItemSelectionModel::ClearAndSelect);
}

void SelectionPage::SourceChanged(int index) {
  const auto source = static_cast<SourceKind>(index);
  if (!state_.tab.SourceChosen(source)) return;
  on_choice_();
  ChangeRequestSource(state_, source);
  FillLists();
}

void SelectionPage::FillLists() {
  // One line at a time where one entity is shown.
  c_.available->setSelectionMode(state_.selection().single_choice()
                                     ? QAbstractItemView::SingleSelection
                                     : QAbstractItemView::ExtendedSelection);
  FillAutoSelect();
  ShowLines();
  MirrorButtons();
}

std::vector<size_t> SelectionPage::Selected(QListWidget* list) {
  std::vector<size_t> rows;
  for (const QListWidgetItem* item : list->selectedItems()) {
    rows.push_back(static_cast<size_t>(list->row(item)));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::optional<size_t> SelectionPage::FirstSelected(QListWidget* list) {
  const std::vector<size_t> rows = Selected(list);
  if (rows.empty()) return std::nullopt;
  return rows.front();
}

void SelectionPage::TabEvent(const std::function<void()>& event) {
  event();
  ShowLines();
  MirrorButtons();
}

void SelectionPage::MirrorButtons() {
  const SelectionButtons b = state_.tab.buttons();
  c_.apply3->setEnabled(b.apply);
  c_.add->setEnabled(b.add);
  c_.add_all->setEnabled(b.add_all);
  c_.remove->setEnabled(b.remove);
  c_.remove_all->setEnabled(b.remove_all);
  for (int i = 0; i < kCountryFilterCount; ++i) {
    Filter(i)->setEnabled(b.filters_enabled);
    Filter(i)->setChecked(state_.selection().filter_checked(i));
  }
  c_.filter_all->setEnabled(b.filters_enabled);
  c_.filter_all->setChecked(state_.selection().all_checked());
  const std::string hint = state_.selection().SingleChoiceHint();
  c_.single_hint->setText(FromCp1252(hint));
  c_.single_hint->setToolTip(c_.single_hint->text());
  c_.single_hint->setVisible(!hint.empty());
  c_.auto_select->setVisible(hint.empty());
}

void SelectionPage::ShowLines() {
  const SelectionModel& model = state_.selection();
  const auto show = [](QListWidget* list, const std::vector<SelectionEntry>& entries,
                       const std::vector<size_t>& rows) {
    const QSignalBlocker block(list);
    list->clear();
    QStringList labels;
    for (size_t i : rows) labels << FromCp1252(entries[i].label);
    list->addItems(labels);
  };
  show(c_.available, model.available(), model.AvailableRows());
  show(c_.chosen, model.chosen(), model.ChosenRows());
}

void SelectionPage::ShowLists() {
  state_.tab.Reshown();
  ShowLines();
  MirrorButtons();
}

void SelectionPage::FillAutoSelect() {
  const AutoSelectionChooser chooser =
      AutoSelectionChoices(state_.source_kind, state_.content_kind);
  const QSignalBlocker block(c_.auto_select);
  c_.auto_select->clear();
  for (const std::string& entry : chooser.entries) c_.auto_select->addItem(FromCp1252(entry));
  c_.auto_select->setCurrentIndex(chooser.entries.empty() ? -1 : 0);
  c_.auto_select->setEnabled(chooser.enabled);
}

void SelectionPage::UpdateFilterBoxes() {
  const auto& countries = state_.lists.countries;
  const int count = static_cast<int>(std::min<size_t>(countries.size(), kCountryFilterCount));
  for (int i = 0; i < kCountryFilterCount; ++i) Filter(i)->setVisible(false);
  for (const ValueRecord& country : countries) {
    const int box = country.id - 1;
    if (box < 0 || box >= kCountryFilterCount) continue;
    Filter(box)->setText(FromCp1252(country.name));
    Filter(box)->setVisible(true);
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
  c_.filter_area->resize(width, DialogUnits(c_.filters->window()).Y((count + 1) * kFilterPitch));
}

}  // namespace wunt
