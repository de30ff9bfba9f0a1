#include "viewer/ui/request.h"

#include "viewer/data/translation.h"

namespace wunt {

std::filesystem::path RequestState::season_folder() const { return SeasonFolder(data_dir, season); }

const CalculationListEntry* RequestState::calculation_entry() const {
  return calculation_index < calculations.entries.size() ? &calculations.entries[calculation_index]
                                                         : nullptr;
}

const ValueList& RequestState::source_list() const {
  switch (source_kind) {
    case kSourceCompanies:
      return lists.companies;
    case kSourceCountries:
      return lists.countries;
    default:
      return lists.parks;
  }
}

bool LoadRequestSeason(RequestState& state, int32_t season, int content_kind, MessageSink& sink,
                       const LoadSeasonOptions& options) {
  state.content_kind = content_kind;
  if (season != state.season) {
    state.season = season;
    const std::filesystem::path folder = state.season_folder();
    SeasonData loaded;
    const bool ok =
        LoadDatafields(folder, EntityKind::kPark, state.park_fields, sink) > 0 &&
        LoadDatafields(folder, EntityKind::kCompany, state.company_fields, sink) > 0 &&
        LoadSeasonYears(folder, season, state.park_fields, state.company_fields,
                        static_cast<size_t>(LoadCountries(folder, 0, state.lists.countries)),
                        loaded, sink, options);
    if (!ok) {
      // Forget it, so that asking again tries again.
      state.season = 0;
      return false;
    }
    state.season_data = std::move(loaded);
    state.lists = {};
    LoadColors(folder, state.colors);
  }
  LoadCalculationList(state.season_folder(), content_kind, state.calculations);
  return true;
}

size_t FindCalculation(const CalculationList& list, int32_t number) {
  for (size_t i = 0; i < list.entries.size(); ++i) {
    if (list.entries[i].number == number) return i;
  }
  return list.entries.size();
}

bool ApplyRequestSpan(RequestState& state, size_t calculation_index, int32_t start_year,
                      int32_t end_year, bool include_vanished, int source_kind) {
  state.calculation_index = calculation_index;
  const CalculationListEntry* entry = state.calculation_entry();
  if (entry == nullptr) return false;
  ComputationSettings& settings = state.settings;
  settings.content_kind = state.content_kind;
  settings.end_year = end_year;
  settings.start_year = state.content_kind == kContentYear ? end_year : start_year;
  settings.include_vanished = state.content_kind == kContentValue && include_vanished;

  const std::filesystem::path folder = state.season_folder();
  state.calculation = {};
  LoadCalculation(folder, entry->number, state.park_fields, state.calculation);
  BuildParkValueList(state.season_data, settings, state.lists);
  BuildCompanyValueList(state.season_data, settings, state.lists);
  LoadCountries(folder, settings.year_count(), state.lists.countries);
  state.lists.countries_computed = false;
  ChangeRequestSource(state, source_kind);
  return true;
}

void ChangeRequestSource(RequestState& state, int source_kind) {
  state.source_kind = source_kind;
  state.selection().Fill(state.source_list(), source_kind, state.content_kind,
                         state.settings.end_year);
  state.tab.Filled();
}

bool ApplyRequestSelection(RequestState& state, int auto_choice, const ComputeControl& control) {
  state.selection().ApplyAutoSelection(auto_choice, state.source_list());
  bool done = true;
  switch (state.source_kind) {
    case kSourceCompanies:
      done = ComputeCompanyValues(state.season_data, state.settings, state.calculation, state.lists,
                                  control);
      break;
    case kSourceCountries:
      done = ComputeCountryValues(state.season_data, state.settings, state.calculation, state.lists,
                                  control);
      break;
    default:
      done = ComputeParkValues(state.season_data, state.settings, state.calculation, state.lists,
                               control);
      break;
  }
  if (!done) return false;
  RebuildRequestTable(state);
  return true;
}

void RebuildRequestTable(RequestState& state) {
  BuildResultTable(state.selection().chosen(), state.source_list(), RequestTableView(state),
                   state.table);
}

TableView RequestTableView(const RequestState& state) {
  TableView view;
  view.content_kind = state.content_kind;
  view.source_kind = state.source_kind;
  view.start_year = state.settings.start_year;
  view.end_year = state.settings.end_year;
  view.merge = state.calculation.merge;
  return view;
}

ReportInput RequestReportInput(const RequestState& state, std::string_view game_address) {
  const CalculationListEntry* entry = state.calculation_entry();
  return ReportInput{
      .table = state.table,
      .view = RequestTableView(state),
      .calculation_name = entry != nullptr ? std::string_view(entry->name) : std::string_view(),
      .description = entry != nullptr ? std::string_view(entry->description) : std::string_view(),
      .values = state.calculation.values,
      .highest_year = state.season_data.highest_year,
      .game_address = game_address,
  };
}

}  // namespace wunt
