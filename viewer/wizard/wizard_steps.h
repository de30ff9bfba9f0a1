#pragma once
// The wizard's own rules, apart from its widgets: which step is shown, when
// each tab's "> > >" leads on, the year spans tab 2 offers, whether step 3
// must compute before it shows a result, which result window opens, and the
// seasons tab 1 offers. The main window feeds in the user's choices and
// mirrors this state into its controls; nothing here knows about Qt.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "viewer/calc/value_computation.h"
#include "viewer/data/kinds.h"

namespace wunt {

// The highest season number the field takes; longer numbers are typos.
inline constexpr int32_t kHighestSeason = 99999;

// The two year spins of tab 2: their ranges and values.
struct YearSpan {
  int32_t start_minimum = 0;
  int32_t start_maximum = 1;
  int32_t start = 0;
  int32_t end_minimum = 0;
  int32_t end_maximum = 1;
  int32_t end = 0;
  // Content kind "Jahr" shows one year: only the end spin counts.
  bool one_year = false;
  bool operator==(const YearSpan&) const = default;
};

// What a finished step 3 opens.
enum class ResultWindow {
  kOverview,
  kParkPlan,      // content kind "Park" without a calculation: the park's plans
  kNoParkChosen,  // the same with an empty table: a message instead
};

// Which window shows the result of content kind `kind` for the calculation
// numbered `calculation` (none: no calculation entry) and a table of
// `table_rows` rows.
ResultWindow ResultWindowFor(ContentKind kind, std::optional<int32_t> calculation,
                             size_t table_rows);

// Whether the values of `source` are computed already, so that step 3 can
// show them without computing again.
bool SourceValuesComputed(const ValueListState& lists, SourceKind source);

// What "Übernehmen" on tab 3 leads to.
enum class Step3Road {
  kBusy,        // a computation runs: nothing
  kShowResult,  // the values are computed already
  kCompute,     // compute first, then ComputationEnded
};

class WizardSteps {
 public:
  // The step shown, 0 to 3.
  int step() const { return step_; }
  void Show(int step) { step_ = step; }

  // Whether "> > >" of tab `tab` (0 to 2) leads on.
  bool next(int tab) const { return next_[static_cast<size_t>(tab)]; }
  bool computing() const { return computing_; }

  // The season folders of the data folder as ListSeasonFolders names them;
  // the newest comes last and is chosen.
  void SetSeasons(const std::vector<std::string>& folders);
  // The same after the updater ran: the season in the field stays, and is
  // shown as its entry once it is listed. A listed season that went closes
  // the road on like a user's choice.
  void RefreshSeasons(const std::vector<std::string>& folders);
  // Tab 1's chooser entries ("7. Runde"), Windows-1252.
  std::vector<std::string> season_captions() const;
  bool has_seasons() const { return !seasons_.empty(); }
  // The entry of the season in the field, -1 when it is not listed.
  int chosen_season_index() const;
  // An entry picked from the list: the field shows its caption.
  void ChooseSeason(int index);
  // The field's text as the user typed it (Windows-1252).
  void TypeSeason(std::string text);
  const std::string& season_text() const { return season_text_; }
  // The season in the field: the leading number of its text; 0 when there
  // is none or it is out of range.
  int32_t chosen_season() const;
  // Whether the season in the field is one of the listed folders: only
  // then can step 1 load it.
  bool season_listed() const { return chosen_season_index() >= 0; }
  // Why "Übernehmen" on tab 1 waits, or how to begin when no season is
  // there yet (Windows-1252); empty when the field names a listed season.
  std::string season_note() const;

  // A choice on tab `tab` changed: its "> > >" and those after it wait for
  // that tab's "Übernehmen" again.
  void ChoiceChanged(int tab);
  // Step 1 applied with a season of years `lowest` to `highest`: tab 2
  // opens with the whole span.
  void Step1Applied(int32_t lowest, int32_t highest, ContentKind kind);
  // Step 2 applied: tab 3 opens with fresh lists.
  void Step2Applied();
  // "Übernehmen" on tab 3; `computed` as SourceValuesComputed says.
  Step3Road ApplyStep3(bool computed);
  // The computation ended; true when the result opens (it was `done`).
  bool ComputationEnded(bool done);
  // The calculation editor saved a calculation, maybe the loaded one: the
  // steps after tab 2 wait for a fresh apply instead of showing old values.
  void CalculationsSaved();
  // The updater wrote game years into the loaded season: the next step-1
  // apply must read it again before tab 2 is entered.
  void LoadedSeasonUpdated();
  // True once after LoadedSeasonUpdated: the season is to be read anew.
  bool TakeSeasonStale();

  const YearSpan& span() const { return span_; }
  // The user moved a spin; the other one keeps the end after the start.
  void StartChanged(int32_t start);
  void EndChanged(int32_t end);

 private:
  struct Season {
    int32_t number = 0;
    std::string folder;
  };

  int step_ = 0;
  std::array<bool, 3> next_{};
  bool computing_ = false;
  bool season_stale_ = false;
  std::vector<Season> seasons_;
  std::string season_text_;
  YearSpan span_;
};

}  // namespace wunt
