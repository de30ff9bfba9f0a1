#include "viewer/ui/selection_model.h"

#include <algorithm>

namespace wunt {
namespace {

unsigned char FoldLabelByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  // Windows-1252 capitals with accents sit 32 below their small letters;
  // 0xD7 is the multiplication sign and has no small form.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  return c;
}

int32_t FilterOfCountry(int32_t country) {
  return country >= 1 && country <= kCountryFilterCount ? country - 1 : kNoFilter;
}

}  // namespace

bool LabelLess(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = FoldLabelByte(static_cast<unsigned char>(a[i]));
    const unsigned char y = FoldLabelByte(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::string SelectionLabel(const ValueRecord& record, SourceKind source_kind,
                           ContentKind content_kind, int32_t end_year) {
  if (source_kind == SourceKind::kCountries || content_kind == ContentKind::kYear)
    return record.name;
  std::string label = record.name;
  label += " (";
  label += std::to_string(record.first_year);
  label += " - ";
  label += record.last_year == end_year ? std::string("    ") : std::to_string(record.last_year);
  label += ")";
  return label;
}

AutoSelectionChooser AutoSelectionChoices(SourceKind source_kind, ContentKind content_kind) {
  AutoSelectionChooser chooser;
  if (content_kind == ContentKind::kPark) return chooser;
  if (source_kind == SourceKind::kCountries) {
    chooser.entries.push_back("auto. Auswahl f\xfcr L\xe4nder nicht m\xf6glich");
    return chooser;
  }
  chooser.enabled = true;
  chooser.entries.reserve(kAutoSelectionEntries);
  chooser.entries.push_back("keine zus\xe4tzliche automatische Auswahl");
  chooser.entries.push_back("+ Ersten");
  for (int n = 2; n <= 20; ++n) chooser.entries.push_back("+ ersten " + std::to_string(n));
  for (int n = 20; n >= 2; --n) chooser.entries.push_back("+ letzten " + std::to_string(n));
  chooser.entries.push_back("+ Letzten");
  return chooser;
}

int AutoSelectFirst(int n) { return n; }
int AutoSelectLast(int n) { return kAutoSelectionEntries - n; }

std::vector<size_t> CalculationChooserPositions(const CalculationList& list,
                                                ContentKind content_kind) {
  std::vector<size_t> positions;
  for (size_t i = 0; i < list.entries.size(); ++i) {
    const int32_t number = list.entries[i].number;
    if (number >= 1 || (number == kClosingEntryNumber && content_kind == ContentKind::kPark)) {
      positions.push_back(i);
    }
  }
  return positions;
}

void SelectionModel::Fill(const ValueList& entities, SourceKind source_kind,
                          ContentKind content_kind, int32_t end_year) {
  source_kind_ = source_kind;
  available_.clear();
  chosen_.clear();
  available_.reserve(entities.size());
  for (const ValueRecord& record : entities) {
    SelectionEntry entry;
    entry.id = record.id;
    entry.label = SelectionLabel(record, source_kind, content_kind, end_year);
    entry.filter = source_kind == SourceKind::kParks ? FilterOfCountry(record.country) : kNoFilter;
    available_.push_back(std::move(entry));
  }
  std::stable_sort(
      available_.begin(), available_.end(),
      [](const SelectionEntry& a, const SelectionEntry& b) { return LabelLess(a.label, b.label); });
}

bool SelectionModel::FilterOpen(int32_t filter) const {
  if (!filtering_active() || filter < 0 || filter >= kCountryFilterCount) return true;
  return filters_[filter];
}

bool SelectionModel::IsShown(const SelectionEntry& entry) const { return FilterOpen(entry.filter); }

std::vector<size_t> SelectionModel::VisibleAvailable() const {
  std::vector<size_t> shown;
  shown.reserve(available_.size());
  for (size_t i = 0; i < available_.size(); ++i) {
    if (IsShown(available_[i])) shown.push_back(i);
  }
  return shown;
}

size_t SelectionModel::VisibleAvailableCount() const {
  return static_cast<size_t>(std::count_if(available_.begin(), available_.end(),
                                           [this](const auto& e) { return IsShown(e); }));
}

bool SelectionModel::filter_checked(int index) const {
  return index >= 0 && index < kCountryFilterCount && filters_[index];
}

void SelectionModel::SetFilter(int index, bool checked) {
  if (index < 0 || index >= kCountryFilterCount) return;
  filters_[index] = checked;
  all_checked_ = std::all_of(filters_.begin(), filters_.end(), [](bool b) { return b; });
}

void SelectionModel::SetAllFilters(bool checked) {
  filters_.fill(checked);
  all_checked_ = checked;
}

// Equal labels keep the order in which they arrived, as appending and then
// re-sorting stably would.
void SelectionModel::InsertSorted(std::vector<SelectionEntry>& list, SelectionEntry entry) {
  auto at = std::upper_bound(
      list.begin(), list.end(), entry,
      [](const SelectionEntry& a, const SelectionEntry& b) { return LabelLess(a.label, b.label); });
  list.insert(at, std::move(entry));
}

bool SelectionModel::Add(size_t visible_index) {
  size_t seen = 0;
  for (size_t i = 0; i < available_.size(); ++i) {
    if (!IsShown(available_[i])) continue;
    if (seen++ != visible_index) continue;
    SelectionEntry entry = std::move(available_[i]);
    available_.erase(available_.begin() + static_cast<std::ptrdiff_t>(i));
    InsertSorted(chosen_, std::move(entry));
    return true;
  }
  return false;
}

bool SelectionModel::Remove(size_t index) {
  if (index >= chosen_.size()) return false;
  SelectionEntry entry = std::move(chosen_[index]);
  chosen_.erase(chosen_.begin() + static_cast<std::ptrdiff_t>(index));
  InsertSorted(available_, std::move(entry));
  return true;
}

void SelectionModel::AddAll() {
  std::vector<SelectionEntry> kept;
  std::vector<SelectionEntry> moved;
  for (SelectionEntry& entry : available_) {
    (IsShown(entry) ? moved : kept).push_back(std::move(entry));
  }
  available_ = std::move(kept);
  // Both runs are sorted; merging keeps earlier chosen entries first among
  // equal labels, as adding one by one would.
  std::vector<SelectionEntry> merged;
  merged.reserve(chosen_.size() + moved.size());
  std::merge(std::make_move_iterator(chosen_.begin()), std::make_move_iterator(chosen_.end()),
             std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()),
             std::back_inserter(merged), [](const SelectionEntry& a, const SelectionEntry& b) {
               return LabelLess(a.label, b.label);
             });
  chosen_ = std::move(merged);
}

void SelectionModel::RemoveAll() {
  std::vector<SelectionEntry> merged;
  merged.reserve(chosen_.size() + available_.size());
  std::merge(std::make_move_iterator(available_.begin()), std::make_move_iterator(available_.end()),
             std::make_move_iterator(chosen_.begin()), std::make_move_iterator(chosen_.end()),
             std::back_inserter(merged), [](const SelectionEntry& a, const SelectionEntry& b) {
               return LabelLess(a.label, b.label);
             });
  available_ = std::move(merged);
  chosen_.clear();
}

bool SelectionModel::AddId(int32_t id) {
  size_t visible = 0;
  for (const SelectionEntry& entry : available_) {
    if (!IsShown(entry)) continue;
    if (entry.id == id) return Add(visible);
    ++visible;
  }
  return false;
}

bool SelectionModel::AddPosition(size_t position) {
  if (position >= available_.size()) return false;
  SelectionEntry entry = std::move(available_[position]);
  available_.erase(available_.begin() + static_cast<std::ptrdiff_t>(position));
  InsertSorted(chosen_, std::move(entry));
  return true;
}

size_t SelectionModel::ApplyAutoSelection(int choice, const ValueList& entities) {
  if (choice <= 0 || choice >= kAutoSelectionEntries) return 0;
  if (source_kind_ == SourceKind::kCountries) return 0;
  const bool from_front = choice <= 20;
  const size_t wanted = static_cast<size_t>(from_front ? choice : kAutoSelectionEntries - choice);
  size_t added = 0;
  size_t counted = 0;
  for (size_t step = 0; step < entities.size() && counted < wanted; ++step) {
    const ValueRecord& record = entities[from_front ? step : entities.size() - 1 - step];
    // Parks behind an unchecked country box neither count nor get added;
    // chosen parks count without being added again.
    if (source_kind_ == SourceKind::kParks && !FilterOpen(FilterOfCountry(record.country)))
      continue;
    ++counted;
    if (AddId(record.id)) ++added;
  }
  return added;
}

bool SelectionTab::SourceChosen(SourceKind source_kind) {
  if (source_kind == last_source_) return false;
  last_source_ = source_kind;
  buttons_.filters_enabled = source_kind == SourceKind::kParks;
  return true;
}

void SelectionTab::AddAllClicked() {
  buttons_.apply = true;
  buttons_.remove_all = true;
  buttons_.add = false;
  buttons_.add_all = false;
  model_.AddAll();
}

void SelectionTab::AddClicked(std::optional<size_t> selected) {
  buttons_.apply = true;
  buttons_.add = false;
  if (selected) model_.Add(*selected);
  buttons_.add_all = model_.VisibleAvailableCount() > 0;
}

void SelectionTab::AvailableListEvent(bool double_click, std::optional<size_t> selected) {
  if (double_click && selected) {
    buttons_.apply = true;
    model_.Add(*selected);
  }
  // A line moved away by the double-click leaves nothing selected.
  buttons_.add = selected.has_value() && !double_click;
  buttons_.add_all = model_.VisibleAvailableCount() > 0;
}

void SelectionTab::FiltersChanged() {
  buttons_.add_all = model_.VisibleAvailableCount() > 0;
  buttons_.add = false;
}

void SelectionTab::AllToggled(bool checked) {
  model_.SetAllFilters(checked);
  FiltersChanged();
}

void SelectionTab::FilterToggled(int index, bool checked) {
  model_.SetFilter(index, checked);
  FiltersChanged();
}

void SelectionTab::AutoChoiceChanged(int choice) {
  if (choice != 0) {
    buttons_.apply = true;
  } else if (model_.chosen().empty()) {
    buttons_.apply = false;
  }
}

void SelectionTab::RemoveClicked(std::optional<size_t> selected) {
  buttons_.remove = false;
  if (selected) model_.Remove(*selected);
}

void SelectionTab::ChosenListEvent(bool double_click, std::optional<size_t> selected) {
  if (double_click && selected) model_.Remove(*selected);
  buttons_.remove = selected.has_value() && !double_click;
}

void SelectionTab::RemoveAllClicked() {
  buttons_.apply = false;
  buttons_.remove_all = false;
  buttons_.remove = false;
  buttons_.add_all = true;
  model_.RemoveAll();
}

}  // namespace wunt
