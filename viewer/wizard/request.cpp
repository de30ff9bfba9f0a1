#include "viewer/wizard/request.h"

#include "common/ini_file.h"
#include "common/season_layout.h"
#include "common/text.h"
#include "viewer/calc/formula.h"
#include "viewer/data/translation.h"

namespace wunt {
namespace {

constexpr std::string_view kFileErrorTitle = "Dateifehler";

// Why a season cannot be shown, in one sentence naming the file. The
// schema's own messages have already said which line is at fault.
std::string SeasonProblem(const std::filesystem::path& folder, int32_t season,
                          const char* bad_group) {
  const std::string where = " (Runde " + std::to_string(season) + ")";
  const std::string datafields = Utf8ToCp1252((folder / kDatafieldsFile).string());
  if (bad_group != nullptr && !IniFile().OpenIni(folder / kDatafieldsFile)) {
    return "Die Datei " + datafields + where + " fehlt oder kann nicht gelesen werden.";
  }
  if (bad_group != nullptr) {
    return "In der Datei " + datafields + where + " fehlt die Gruppe [" + bad_group +
           "] oder sie enth\xE4lt einen unbekannten Datentyp.";
  }
  return "Der Ordner " + Utf8ToCp1252(folder.string()) + where +
         " enth\xE4lt kein Spieljahr (Unterordner mit vierstelliger Jahreszahl).";
}

}  // namespace

std::filesystem::path RequestState::season_folder() const { return SeasonFolder(data_dir, season); }

const CalculationListEntry* RequestState::calculation_entry() const {
  return calculation_index < calculations.entries.size() ? &calculations.entries[calculation_index]
                                                         : nullptr;
}

const ValueList& RequestState::source_list() const {
  switch (source_kind) {
    case SourceKind::kCompanies:
      return lists.companies;
    case SourceKind::kCountries:
      return lists.countries;
    default:
      return lists.parks;
  }
}

bool LoadRequestSeason(RequestState& state, int32_t season, ContentKind content_kind,
                       MessageSink& sink, const LoadSeasonOptions& options) {
  state.content_kind = content_kind;
  if (season != state.season) {
    state.season = season;
    const std::filesystem::path folder = state.season_folder();
    SeasonData loaded;
    LoadCountries(folder, 0, state.lists.countries);
    const char* bad_group = nullptr;
    if (LoadDatafields(folder, EntityKind::kPark, state.park_fields, sink) == 0) {
      bad_group = "Park";
    } else if (LoadDatafields(folder, EntityKind::kCompany, state.company_fields, sink) == 0) {
      bad_group = "Company";
    }
    const bool ok =
        bad_group == nullptr &&
        LoadSeasonYears(folder, season, state.park_fields, state.company_fields,
                        CountryNumberSlots(state.lists.countries), loaded, sink, options);
    if (!ok) {
      // A failed load would otherwise leave the user on the first step
      // without a word.
      sink.ShowMessage(kFileErrorTitle, SeasonProblem(folder, season, bad_group));
      // Forget it, so that asking again tries again.
      state.season = 0;
      return false;
    }
    state.season_data = std::move(loaded);
    state.table.rows.clear();  // they point into the lists
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
                      int32_t end_year, bool include_vanished, SourceKind source_kind) {
  state.calculation_index = calculation_index;
  const CalculationListEntry* entry = state.calculation_entry();
  if (entry == nullptr) return false;
  ComputationSettings& settings = state.settings;
  settings.content_kind = state.content_kind;
  settings.end_year = end_year;
  settings.start_year = state.content_kind == ContentKind::kYear ? end_year : start_year;
  settings.include_vanished = state.content_kind == ContentKind::kValue && include_vanished;

  // A sort chosen for one calculation means nothing for another.
  const std::pair<int32_t, ContentKind> table_for{entry->number, state.content_kind};
  if (table_for != state.table_for) state.table.sort_index = kSortByTotal;
  state.table_for = table_for;

  const std::filesystem::path folder = state.season_folder();
  state.calculation = {};
  LoadCalculation(folder, entry->number, state.park_fields, state.calculation);
  state.values_past_token_limit = ValuesPastTokenLimit(state.calculation);
  // The rows point into the value lists rebuilt here.
  state.table.rows.clear();
  BuildParkValueList(state.season_data, settings, state.lists);
  BuildCompanyValueList(state.season_data, settings, state.lists);
  LoadCountries(folder, settings.year_count(), state.lists.countries);
  state.lists.countries_computed = false;
  ChangeRequestSource(state, source_kind);
  return true;
}

void ChangeRequestSource(RequestState& state, SourceKind source_kind) {
  state.source_kind = source_kind;
  state.selection().Fill(state.source_list(), source_kind, state.content_kind,
                         state.settings.end_year);
  state.tab.Filled();
}

bool ApplyRequestSelection(RequestState& state, int auto_choice, const WorkControl& control) {
  state.selection().ApplyAutoSelection(auto_choice, state.source_list());
  bool done = true;
  switch (state.source_kind) {
    case SourceKind::kCompanies:
      done = ComputeCompanyValues(state.season_data, state.settings, state.calculation, state.lists,
                                  control);
      break;
    case SourceKind::kCountries:
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

std::string TokenLimitNote(const RequestState& state) {
  std::string note;
  for (size_t index : state.values_past_token_limit) {
    note += "Die Formel des Werts \"" + state.calculation.values[index].label +
            "\" ist zu lang: nur ihre ersten " + std::to_string(kMaxFormulaTokens) +
            " Bestandteile werden berechnet.\r\n";
  }
  return note;
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
