#include "viewer/wizard/selection_model.h"

#include <algorithm>
#include <functional>

namespace wunt {
namespace {

unsigned char FoldLabelByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  // Windows-1252 capitals with accents sit 32 below their small letters;
  // 0xD7 is the multiplication sign and has no small form.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  return c;
}

// A Windows-1252 byte as the letters it sorts with: the base letter in
// lower case, two letters for ß, Æ, Œ and Þ, itself for the rest.
std::string_view OrderLetters(unsigned char c) {
  static constexpr std::string_view kUpper[32] = {
      "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
      "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "ss"};
  if (c >= 0xC0 && c != 0xD7 && c != 0xF7) {
    if (c == 0xFF) return "y";
    return kUpper[(c - 0xC0) & 0x1F];
  }
  switch (c) {
    case 0x8A:
    case 0x9A:
      return "s";
    case 0x8E:
    case 0x9E:
      return "z";
    case 0x8C:
    case 0x9C:
      return "oe";
    case 0x9F:
      return "y";
    default:
      return {};
  }
}

// The label spelt in the letters it sorts with.
std::string OrderKey(std::string_view label) {
  std::string key;
  key.reserve(label.size() + 4);
  for (const char raw : label) {
    const auto c = static_cast<unsigned char>(raw);
    if (c >= 'A' && c <= 'Z') {
      key += static_cast<char>(c + 32);
    } else if (const std::string_view letters = OrderLetters(c); !letters.empty()) {
      key += letters;
    } else {
      key += raw;
    }
  }
  return key;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// -1, 0 or 1: runs of digits compare by their value, the rest bytewise.
int CompareNatural(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      while (i < a.size() && a[i] == '0') ++i;
      while (j < b.size() && b[j] == '0') ++j;
      const size_t a_start = i;
      const size_t b_start = j;
      while (i < a.size() && IsDigit(a[i])) ++i;
      while (j < b.size() && IsDigit(b[j])) ++j;
      // Without leading zeros the longer number is the bigger one.
      if (i - a_start != j - b_start) return i - a_start < j - b_start ? -1 : 1;
      const int digits = a.substr(a_start, i - a_start).compare(b.substr(b_start, j - b_start));
      if (digits != 0) return digits < 0 ? -1 : 1;
      continue;
    }
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[j]);
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  const size_t a_rest = a.size() - i;
  const size_t b_rest = b.size() - j;
  return a_rest == b_rest ? 0 : (a_rest < b_rest ? -1 : 1);
}

// Positions of `list` (all, or those `shown`) in natural order.
template <typename Shown>
std::vector<size_t> NaturalRows(const std::vector<SelectionEntry>& list, Shown shown) {
  std::vector<size_t> rows;
  std::vector<std::string> keys(list.size());
  rows.reserve(list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    if (!shown(list[i])) continue;
    rows.push_back(i);
    keys[i] = OrderKey(list[i].label);
  }
  // The lists are kept in LabelLess order, so a stable sort settles ties
  // as NaturalLess does.
  std::stable_sort(rows.begin(), rows.end(),
                   [&keys](size_t a, size_t b) { return CompareNatural(keys[a], keys[b]) < 0; });
  return rows;
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

bool NaturalLess(std::string_view a, std::string_view b) {
  const int order = CompareNatural(OrderKey(a), OrderKey(b));
  return order != 0 ? order < 0 : LabelLess(a, b);
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
  single_ = content_kind == ContentKind::kPark;
  replaced_.clear();
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
  return filters_[static_cast<size_t>(filter)];
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
  return index >= 0 && index < kCountryFilterCount && filters_[static_cast<size_t>(index)];
}

void SelectionModel::SetFilter(int index, bool checked) {
  if (index < 0 || index >= kCountryFilterCount) return;
  filters_[static_cast<size_t>(index)] = checked;
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

void SelectionModel::Choose(SelectionEntry entry) {
  if (single_ && !chosen_.empty()) {
    replaced_ = chosen_.front().label;
    RemoveAll();
  }
  InsertSorted(chosen_, std::move(entry));
}

std::string SelectionModel::SingleChoiceHint() const {
  if (!single_) return "";
  if (!replaced_.empty()) return "Ersetzt: " + replaced_;
  return "Nur einer wird gezeigt: Hinzuf\xfcgen ersetzt ihn.";
}

void SelectionModel::RestoreLists(std::vector<SelectionEntry> available,
                                  std::vector<SelectionEntry> chosen) {
  available_ = std::move(available);
  chosen_ = std::move(chosen);
}

std::vector<size_t> SelectionModel::AvailableRows() const {
  return NaturalRows(available_, [this](const SelectionEntry& e) { return IsShown(e); });
}

std::vector<size_t> SelectionModel::ChosenRows() const {
  return NaturalRows(chosen_, [](const SelectionEntry&) { return true; });
}

namespace {

// Takes the entries at `positions` out of `from` and sorts them into `to`.
size_t MovePositions(std::vector<size_t> positions, std::vector<SelectionEntry>& from,
                     const std::function<void(SelectionEntry)>& insert) {
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  while (!positions.empty() && positions.back() >= from.size()) positions.pop_back();
  std::vector<SelectionEntry> moved;
  moved.reserve(positions.size());
  for (size_t position : positions) moved.push_back(std::move(from[position]));
  // Erase from the back so that the positions still to erase stay valid.
  for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
    from.erase(from.begin() + static_cast<std::ptrdiff_t>(*it));
  }
  for (SelectionEntry& entry : moved) insert(std::move(entry));
  return moved.size();
}

}  // namespace

size_t SelectionModel::AddPositions(std::vector<size_t> positions) {
  if (single_) {
    // The first of several selected lines.
    if (positions.empty()) return 0;
    return AddPosition(*std::min_element(positions.begin(), positions.end())) ? 1 : 0;
  }
  return MovePositions(std::move(positions), available_,
                       [this](SelectionEntry entry) { Choose(std::move(entry)); });
}

size_t SelectionModel::RemovePositions(std::vector<size_t> positions) {
  return MovePositions(std::move(positions), chosen_, [this](SelectionEntry entry) {
    InsertSorted(available_, std::move(entry));
  });
}

bool SelectionModel::Add(size_t visible_index) {
  size_t seen = 0;
  for (size_t i = 0; i < available_.size(); ++i) {
    if (!IsShown(available_[i])) continue;
    if (seen++ != visible_index) continue;
    SelectionEntry entry = std::move(available_[i]);
    available_.erase(available_.begin() + static_cast<std::ptrdiff_t>(i));
    Choose(std::move(entry));
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
  if (single_) {
    Add(0);
    return;
  }
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
  Choose(std::move(entry));
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

namespace {

// The label of the first of the shown lines `selected`, if any is shown.
std::optional<std::string> FirstLabel(const std::vector<SelectionEntry>& list,
                                      const std::vector<size_t>& rows,
                                      const std::vector<size_t>& selected) {
  std::optional<size_t> first;
  for (size_t row : selected) {
    if (row < rows.size() && (!first || row < *first)) first = row;
  }
  if (!first) return std::nullopt;
  return list[rows[*first]].label;
}

// The shown line where a line labelled `label` would stand, or the last
// line. Found by label rather than by number: an entry a single choice
// sends back may have come in before it.
std::optional<size_t> LineAt(const std::vector<SelectionEntry>& list,
                             const std::vector<size_t>& rows, const std::string& label) {
  if (rows.empty()) return std::nullopt;
  size_t line = 0;
  while (line + 1 < rows.size() && NaturalLess(list[rows[line]].label, label)) ++line;
  return line;
}

// The list positions behind the shown lines `selected`.
std::vector<size_t> RowPositions(const std::vector<size_t>& rows,
                                 const std::vector<size_t>& selected) {
  std::vector<size_t> positions;
  for (size_t row : selected) {
    if (row < rows.size()) positions.push_back(rows[row]);
  }
  return positions;
}

}  // namespace

SelectionButtons SelectionTab::buttons() const {
  SelectionButtons b;
  const bool any_chosen = !model_.chosen().empty();
  b.apply = any_chosen || auto_choice_ != 0;
  b.add = available_selected_;
  b.add_all = !model_.single_choice() && model_.VisibleAvailableCount() > 0;
  b.remove = chosen_selected_;
  b.remove_all = any_chosen;
  b.filters_enabled = last_source_ == SourceKind::kParks;
  return b;
}

void SelectionTab::Filled() {
  Reshown();
  auto_choice_ = 0;
}

void SelectionTab::Reshown() {
  available_selected_ = false;
  chosen_selected_ = false;
}

bool SelectionTab::SourceChosen(SourceKind source_kind) {
  if (source_kind == last_source_) return false;
  last_source_ = source_kind;
  return true;
}

// Every move shows both lists anew, which leaves no line selected.
void SelectionTab::AddAllClicked() {
  model_.AddAll();
  Reshown();
}

void SelectionTab::AddClicked(const std::vector<size_t>& selected) {
  model_.AddPositions(RowPositions(model_.AvailableRows(), selected));
  Reshown();
}

std::optional<size_t> SelectionTab::ReturnPressed(bool on_available,
                                                  const std::vector<size_t>& selected) {
  const auto list = [this, on_available]() -> const std::vector<SelectionEntry>& {
    return on_available ? model_.available() : model_.chosen();
  };
  const auto rows = [this, on_available] {
    return on_available ? model_.AvailableRows() : model_.ChosenRows();
  };
  const std::optional<std::string> first = FirstLabel(list(), rows(), selected);
  if (on_available) {
    AddClicked(selected);
  } else {
    RemoveClicked(selected);
  }
  if (!first) return std::nullopt;
  const std::optional<size_t> line = LineAt(list(), rows(), *first);
  (on_available ? available_selected_ : chosen_selected_) = line.has_value();
  return line;
}

void SelectionTab::AvailableListEvent(bool double_click, std::optional<size_t> selected) {
  if (double_click && selected) {
    AddClicked({*selected});
    return;
  }
  available_selected_ = selected.has_value();
}

void SelectionTab::AllToggled(bool checked) {
  model_.SetAllFilters(checked);
  available_selected_ = false;
}

void SelectionTab::FilterToggled(int index, bool checked) {
  model_.SetFilter(index, checked);
  available_selected_ = false;
}

void SelectionTab::AutoChoiceChanged(int choice) { auto_choice_ = choice; }

void SelectionTab::RemoveClicked(const std::vector<size_t>& selected) {
  model_.RemovePositions(RowPositions(model_.ChosenRows(), selected));
  Reshown();
}

void SelectionTab::ChosenListEvent(bool double_click, std::optional<size_t> selected) {
  if (double_click && selected) {
    RemoveClicked({*selected});
    return;
  }
  chosen_selected_ = selected.has_value();
}

void SelectionTab::RemoveAllClicked() {
  model_.RemoveAll();
  Reshown();
}

}  // namespace wunt
