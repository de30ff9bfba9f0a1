#pragma once
// The one table every output is produced from: a row per chosen entity,
// joined with its computed values, in display order, and the sort index the
// rows were last ordered by.

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/data/kinds.h"
#include "viewer/data/value_record.h"

namespace wunt {

// Stored sort indexes below 0; n >= 0 sorts by column n.
inline constexpr int32_t kSortByName = -2;
inline constexpr int32_t kSortByTotal = -1;

// What the table is read through: the wizard's choices and the merge flag
// of the loaded calculation.
struct TableView {
  ContentKind content_kind = ContentKind::kValue;
  SourceKind source_kind = SourceKind::kParks;
  int32_t start_year = 0;
  int32_t end_year = 0;
  bool merge = true;
};

struct ResultRow {
  int32_t id = 0;
  std::string name;
  // Countries: the span's start and end year.
  int32_t first_year = 0;
  int32_t last_year = 0;
  // The value record's per-year table, owned by the value list. Rows never
  // outlive a rebuild of that list.
  const std::vector<std::vector<int64_t>>* year_values = nullptr;
  int64_t sort_key = 0;
  int64_t total = 0;

  // The values of the game year at `slot` (game year - start year); empty
  // when the year has no data or lies outside the table.
  const std::vector<int64_t>* Slot(int64_t slot) const;
  // Value `index` of that slot, or 0 (shown as no value) when missing.
  int64_t Value(int64_t slot, int64_t index) const;
};

struct ResultTable {
  std::vector<ResultRow> rows;
  // Survives rebuilds and every change of the wizard's choices; changes
  // only through SortResultTable.
  int32_t sort_index = kSortByTotal;
};

// Refills the table from the chosen list, in its order, and re-sorts by the
// stored index even though it did not change (by total turns into by name,
// stored, when the merge flag is off). A chosen id without a value record
// gets no row.
void BuildResultTable(const std::vector<SelectionEntry>& chosen, const ValueList& values,
                      const TableView& view, ResultTable& table);

// Orders the rows by `sort_index` (stable). Returns 1 when it sorted, 0 when
// it left the table alone (content kind "Park", or the stored index again).
// By total without a total column (merge flag off) means by name. A column
// index beyond the current table (after the span or the calculation shrank)
// is stored as asked but gives every row the key 0, so the rows keep their
// order until the column exists again.
int SortResultTable(int32_t sort_index, const TableView& view, ResultTable& table);

}  // namespace wunt
