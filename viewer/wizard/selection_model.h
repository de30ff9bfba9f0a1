#pragma once
// The entity lists behind the wizard's third tab: which parks, companies or
// countries are available and which are chosen, the country filters, the
// automatic selection of the first or last N entities, and what the
// calculation chooser offers. The tab's widgets only display this model and
// forward clicks to it; nothing here knows about Qt.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/calc/calculations.h"
#include "viewer/data/kinds.h"
#include "viewer/data/value_record.h"

namespace wunt {

inline constexpr int kCountryFilterCount = 16;

// Case-insensitive label order of both lists: A-Z and the accented capitals
// of Windows-1252 fold to lower case, then bytes compare unsigned. Pages,
// files and the page's positions follow this order.
bool LabelLess(std::string_view a, std::string_view b);

// The order the tab's lists show (Windows-1252 labels): letters with their
// base letters whatever the accent or case (Ä with A, ß as ss), numbers
// inside names by value ("Adlerhorst 2" before "Adlerhorst 19"); labels
// equal so far keep the order of LabelLess.
bool NaturalLess(std::string_view a, std::string_view b);

// "Name (1990 - 1995)", or "Name (1990 -     )" while the entity still exists
// in the end year; the bare name for countries and for content kind "Jahr".
std::string SelectionLabel(const ValueRecord& record, SourceKind source_kind,
                           ContentKind content_kind, int32_t end_year);

// The automatic-selection chooser: its entries and whether it is enabled.
struct AutoSelectionChooser {
  std::vector<std::string> entries;
  bool enabled = false;
};
inline constexpr int kAutoSelectionEntries = 41;
AutoSelectionChooser AutoSelectionChoices(SourceKind source_kind, ContentKind content_kind);

// Chooser entry for "the first n" (n = 1..20) and "the last n".
int AutoSelectFirst(int n);
int AutoSelectLast(int n);

// The calculations the calculation chooser shows, as positions in the
// calculation list, in list order: every calculation numbered 1 or more,
// plus "Unbenannt" for content kind "Park".
std::vector<size_t> CalculationChooserPositions(const CalculationList& list,
                                                ContentKind content_kind);

class SelectionModel {
 public:
  // Rebuilds both lists: every entity of the source kind becomes available,
  // nothing is chosen. Filter boxes keep their state.
  void Fill(const ValueList& entities, SourceKind source_kind, ContentKind content_kind,
            int32_t end_year);

  const std::vector<SelectionEntry>& available() const { return available_; }
  const std::vector<SelectionEntry>& chosen() const { return chosen_; }
  SourceKind source_kind() const { return source_kind_; }
  // Content kind "Park" shows one entity: the chosen list holds at most
  // one, and adding another puts the chosen one back.
  bool single_choice() const { return single_; }
  // The tab's hint for a single choice (Windows-1252): that adding
  // replaces, or which entry the last add replaced. Empty otherwise.
  std::string SingleChoiceHint() const;
  // Both lists as a page showed them, for going back to that page.
  void RestoreLists(std::vector<SelectionEntry> available, std::vector<SelectionEntry> chosen);

  // The visible available list: positions in available() of the entries
  // whose filter box is checked (or that have none), in list order. The
  // visible chosen list is chosen() itself.
  std::vector<size_t> VisibleAvailable() const;
  size_t VisibleAvailableCount() const;
  bool IsShown(const SelectionEntry& entry) const;

  // Filters apply to parks only, and only while "Alle" is unchecked.
  bool filtering_active() const { return source_kind_ == SourceKind::kParks && !all_checked_; }
  bool filter_checked(int index) const;
  bool all_checked() const { return all_checked_; }
  // A box toggled: "Alle" follows whether all 16 are checked.
  void SetFilter(int index, bool checked);
  // "Alle" toggled: every box takes its state.
  void SetAllFilters(bool checked);

  // The lines the tab shows, in natural order: positions in available() of
  // the shown entries, and positions in chosen().
  std::vector<size_t> AvailableRows() const;
  std::vector<size_t> ChosenRows() const;

  // Move the entry at a visible index to the other list. False, changing
  // nothing, when the index is out of range.
  bool Add(size_t visible_index);
  bool Remove(size_t index);
  // Move the entries at these positions of available() or chosen() to the
  // other list; positions out of range or repeated count once or not at
  // all. Returns how many moved.
  size_t AddPositions(std::vector<size_t> positions);
  size_t RemovePositions(std::vector<size_t> positions);
  // Everything shown in the available list; everything chosen.
  void AddAll();
  void RemoveAll();
  // By entity id; false when it is not shown in the available list.
  bool AddId(int32_t id);
  // By position in the whole available list, shown or not (the page's form
  // names entries so). False when the position is out of range.
  bool AddPosition(size_t position);

  // The automatic selection with chooser entry `choice` (0 does nothing),
  // walking the value list of the source kind in its current order.
  // Returns the number of entries added.
  size_t ApplyAutoSelection(int choice, const ValueList& entities);

 private:
  bool FilterOpen(int32_t filter) const;
  void InsertSorted(std::vector<SelectionEntry>& list, SelectionEntry entry);
  // Puts `entry`, already taken out of the available list, into the chosen
  // list; a single choice sends the chosen entry back first.
  void Choose(SelectionEntry entry);

  std::vector<SelectionEntry> available_;
  std::vector<SelectionEntry> chosen_;
  SourceKind source_kind_ = SourceKind::kParks;
  bool single_ = false;
  std::string replaced_;  // label of the entry the last add sent back
  std::array<bool, kCountryFilterCount> filters_{true, true, true, true, true, true, true, true,
                                                 true, true, true, true, true, true, true, true};
  bool all_checked_ = true;
};

// Which of the third tab's controls are enabled, derived from the two lists,
// the selected lines and the automatic choice after every change, so that
// no refill or move can leave a button in a state of an earlier list.
struct SelectionButtons {
  bool apply = false;           // "Übernehmen": something chosen or to be chosen
  bool add = false;             // "> Hinzufügen >": an available line selected
  bool add_all = true;          // "alle Hinzufügen": lines shown, more than one may be chosen
  bool remove = false;          // "< Entfernen <": a chosen line selected
  bool remove_all = false;      // "alle Entfernen": something chosen
  bool filters_enabled = true;  // the 16 country boxes and "Alle"
  bool operator==(const SelectionButtons&) const = default;
};

// The third tab's events. Lines are the rows the lists show, in the order
// of AvailableRows() and ChosenRows(); `selected` is the line selected in
// the list the event came from, if any.
class SelectionTab {
 public:
  SelectionModel& model() { return model_; }
  const SelectionModel& model() const { return model_; }
  SelectionButtons buttons() const;

  // The lists were filled (step-2 apply or a new source kind): nothing is
  // selected and the automatic chooser is back on its first entry.
  void Filled();
  // The lists were shown anew after a change made outside the tab's own
  // events (the automatic selection, the page's form): nothing is selected.
  void Reshown();
  // The source chooser shows `source_kind`. True when it differs from the
  // last kind seen (the first seen is parks): the caller then fills anew.
  bool SourceChosen(SourceKind source_kind);
  void AddAllClicked();
  void AddClicked(const std::vector<size_t>& selected);
  // Return on the available list (or the chosen one): its selected lines
  // move as with the button, and the line now standing where the first of
  // them stood (the last line when they were at the end) is selected, so
  // that Return again moves the next neighbour. Returns that line, if the
  // list has any left.
  std::optional<size_t> ReturnPressed(bool on_available, const std::vector<size_t>& selected);
  void AvailableListEvent(bool double_click, std::optional<size_t> selected);
  // "Alle" or one country box toggled.
  void AllToggled(bool checked);
  void FilterToggled(int index, bool checked);
  void AutoChoiceChanged(int choice);
  void RemoveClicked(const std::vector<size_t>& selected);
  void ChosenListEvent(bool double_click, std::optional<size_t> selected);
  void RemoveAllClicked();

 private:
  SelectionModel model_;
  SourceKind last_source_ = SourceKind::kParks;
  bool available_selected_ = false;
  bool chosen_selected_ = false;
  int auto_choice_ = 0;
};

}  // namespace wunt
