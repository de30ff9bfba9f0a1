#pragma once
// Computing the values of a loaded calculation for every park, company or
// country over a span of game years.
//
// Per entity and game year the formula text of each value is assembled with
// the field values pasted into its terms (companies and countries: the sums
// over their parks) and evaluated. Values and aggregates are 64-bit; a value
// that cannot be evaluated (infinite, NaN, beyond 64 bits) is 0, which the
// tables show as "no value". Negative field values are pasted in parentheses
// so that "10-F" with F = -5 reads 10-(-5).
//
// The Compute* functions run on a worker thread while the wizard is
// disabled; they read the season and the calculation and write only the
// value list of their source kind (parks and companies from helper threads
// too, which end before the function returns). Records are found through the per-year ID
// indexes, so the cost grows with entities x years.

#include <cstdint>
#include <vector>

#include "common/work_control.h"
#include "viewer/calc/calculations.h"
#include "viewer/data/game_years.h"
#include "viewer/data/value_record.h"

namespace wunt {

// The wizard's choices that the value lists depend on.
struct ComputationSettings {
  ContentKind content_kind = ContentKind::kValue;
  int32_t start_year = 0;
  int32_t end_year = 0;
  // Content kind "Wert" only: also list parks (and companies) that exist in
  // the span but no longer in its end year.
  bool include_vanished = false;

  int32_t year_count() const { return end_year >= start_year ? end_year - start_year + 1 : 0; }
};

// The three value lists and whether each holds computed values. The country
// list comes from LoadCountries (translation.h), in file order; whoever
// rebuilds it clears countries_computed.
struct ValueListState {
  ValueList parks;
  ValueList companies;
  ValueList countries;
  bool parks_computed = false;
  bool companies_computed = false;
  bool countries_computed = false;
};

// Rebuild the park or company value list for the span: one record per
// entity, in order of first appearance scanning from the end year backwards.
// Under content kind "Wert" without include_vanished only entities of the
// end year get a record. Clears the list's computed flag; returns its size.
size_t BuildParkValueList(const SeasonData& season, const ComputationSettings& settings,
                          ValueListState& state);
size_t BuildCompanyValueList(const SeasonData& season, const ComputationSettings& settings,
                             ValueListState& state);

// Positions of the values whose assembled formula holds more tokens than
// the formula engine reads (kMaxFormulaTokens); the rest of such a formula
// is ignored.
std::vector<size_t> ValuesPastTokenLimit(const LoadedCalculation& calculation);

// Compute the values and aggregates of every record of one list. Companies
// and countries end up sorted by result, highest first (equal results keep
// their list order). Return true and set the computed flag when done; a list
// whose flag is already set is left as it is. The control's progress is
// called every few entities with the steps done so far and their number
// (parks: parks; companies: companies x years; countries: countries x
// years), and its cancel flag is checked as often: when set the computation
// stops, leaving its computed flag clear, and returns false. Parks (for a
// calculation of several values) and companies are computed on the
// control's number of threads (0: one per core), each writing records of
// its own, with the same values as on one; progress is still called from the
// calling thread only. Countries, a few sums per year, take one thread.
bool ComputeParkValues(const SeasonData& season, const ComputationSettings& settings,
                       const LoadedCalculation& calculation, ValueListState& state,
                       const WorkControl& control = {});
bool ComputeCompanyValues(const SeasonData& season, const ComputationSettings& settings,
                          const LoadedCalculation& calculation, ValueListState& state,
                          const WorkControl& control = {});
bool ComputeCountryValues(const SeasonData& season, const ComputationSettings& settings,
                          const LoadedCalculation& calculation, ValueListState& state,
                          const WorkControl& control = {});

}  // namespace wunt
