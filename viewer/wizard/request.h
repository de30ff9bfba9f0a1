#pragma once
// The road of one request, from a season on disk to a filled result table,
// as the wizard walks it: load the season (step 1), load the calculation and
// build the value lists for a span (step 2), apply the selection, compute
// and build the table (step 3). The Viewer's windows and wunt-export call
// the same functions, so both always show the same numbers.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/message_sink.h"
#include "viewer/calc/calculations.h"
#include "viewer/calc/value_computation.h"
#include "viewer/data/datafields.h"
#include "viewer/data/game_years.h"
#include "viewer/data/translation.h"
#include "viewer/report/result_table.h"
#include "viewer/report/table_cells.h"
#include "viewer/wizard/selection_model.h"

namespace wunt {

struct RequestState {
  std::filesystem::path data_dir;  // Data/ with one folder per season
  int32_t season = 0;              // 0: nothing loaded yet
  ContentKind content_kind = ContentKind::kValue;
  DataFieldList park_fields;
  DataFieldList company_fields;
  SeasonData season_data;
  std::vector<ColorEntry> colors;  // the diagram palette
  CalculationList calculations;
  // Position in `calculations` of the loaded calculation.
  size_t calculation_index = 0;
  LoadedCalculation calculation;
  ComputationSettings settings;
  ValueListState lists;
  SourceKind source_kind = SourceKind::kParks;
  SelectionTab tab;  // the lists and the third tab's buttons
  ResultTable table;
  // The calculation number and content kind the table's sort was chosen for.
  std::pair<int32_t, ContentKind> table_for{kClosingEntryNumber, ContentKind::kValue};
  // Values of the loaded calculation that the formula engine reads only in
  // part (ValuesPastTokenLimit).
  std::vector<size_t> values_past_token_limit;

  SelectionModel& selection() { return tab.model(); }
  const SelectionModel& selection() const { return tab.model(); }

  std::filesystem::path season_folder() const;
  const CalculationListEntry* calculation_entry() const;
  const ValueList& source_list() const;
};

// Step 1: makes `season` current (loading its schema, countries and game
// years only when it differs from the loaded one) and reads the calculations
// offered for `content_kind`. False, with the loaded season forgotten, when
// the season has no schema or no game year. `options` reach the game-year
// load (the Viewer's progress window).
bool LoadRequestSeason(RequestState& state, int32_t season, ContentKind content_kind,
                       MessageSink& sink, const LoadSeasonOptions& options = {});

// Position in the calculation list of the calculation numbered `number`, or
// the list's size when there is none.
size_t FindCalculation(const CalculationList& list, int32_t number);

// Step 2: the span (content kind "Jahr": only `end_year` counts), the
// calculation at `calculation_index`, fresh value lists (nothing computed),
// an empty table and the selection lists filled for `source_kind`. A table
// for another calculation or content kind than the last one starts in the
// default order (by total).
bool ApplyRequestSpan(RequestState& state, size_t calculation_index, int32_t start_year,
                      int32_t end_year, bool include_vanished, SourceKind source_kind);

// A different source kind chosen on tab 3: the lists are filled anew.
void ChangeRequestSource(RequestState& state, SourceKind source_kind);

// Step 3: the automatic selection (`auto_choice`, 0 for none), the values of
// the source kind unless already computed, and the result table. False when
// the computation was cancelled.
bool ApplyRequestSelection(RequestState& state, int auto_choice, const WorkControl& control = {});

// The same table rebuilt after the chosen list changed on the page.
void RebuildRequestTable(RequestState& state);

// One German line per value of the loaded calculation whose formula is cut
// at the engine's token limit; empty when none is. The Viewer shows it once
// after step 2.
std::string TokenLimitNote(const RequestState& state);

TableView RequestTableView(const RequestState& state);
// What the page writers read; valid while `state` is left alone.
ReportInput RequestReportInput(const RequestState& state, std::string_view game_address);

}  // namespace wunt
