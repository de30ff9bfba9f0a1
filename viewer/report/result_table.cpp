#include "viewer/report/result_table.h"

#include <algorithm>
#include <unordered_map>

namespace wunt {
namespace {

// Unsigned bytes, so capitals come before small letters and accented
// letters after "z"; a prefix (the empty name too) sorts first.
bool NameLess(const ResultRow& a, const ResultRow& b) {
  return std::lexicographical_compare(
      a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
      [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
}

int64_t ColumnKey(const ResultRow& row, int32_t column, const TableView& view) {
  if (view.content_kind == ContentKind::kValue) return row.Value(column, 0);
  return row.Value(0, column);
}

int Sort(int32_t sort_index, const TableView& view, ResultTable& table, bool always) {
  if (view.content_kind == ContentKind::kPark) return 0;
  if (sort_index == kSortByTotal && !view.merge) sort_index = kSortByName;
  if (!always && sort_index == table.sort_index) return 0;
  table.sort_index = sort_index;
  auto& rows = table.rows;
  if (sort_index == kSortByName) {
    std::stable_sort(rows.begin(), rows.end(), NameLess);
    return 1;
  }
  for (ResultRow& row : rows) {
    row.sort_key = sort_index == kSortByTotal ? row.total : ColumnKey(row, sort_index, view);
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const ResultRow& a, const ResultRow& b) { return a.sort_key > b.sort_key; });
  return 1;
}

}  // namespace

const std::vector<int64_t>* ResultRow::Slot(int64_t slot) const {
  if (year_values == nullptr || slot < 0 || slot >= static_cast<int64_t>(year_values->size())) {
    return nullptr;
  }
  const std::vector<int64_t>& values = (*year_values)[static_cast<size_t>(slot)];
  return values.empty() ? nullptr : &values;
}

int64_t ResultRow::Value(int64_t slot, int64_t index) const {
  const std::vector<int64_t>* values = Slot(slot);
  if (values == nullptr || index < 0 || index >= static_cast<int64_t>(values->size())) return 0;
  return (*values)[static_cast<size_t>(index)];
}

void BuildResultTable(const std::vector<SelectionEntry>& chosen, const ValueList& values,
                      const TableView& view, ResultTable& table) {
  table.rows.clear();
  std::unordered_map<int32_t, const ValueRecord*> by_id;
  by_id.reserve(values.size());
  for (const ValueRecord& record : values) by_id.emplace(record.id, &record);
  table.rows.reserve(chosen.size());
  for (const SelectionEntry& entry : chosen) {
    auto found = by_id.find(entry.id);
    if (found == by_id.end()) continue;
    const ValueRecord& record = *found->second;
    ResultRow row;
    row.id = record.id;
    row.name = record.name;
    row.first_year = record.first_year;
    row.last_year = record.last_year;
    if (view.source_kind == SourceKind::kCountries) {
      row.first_year = view.start_year;
      row.last_year = view.end_year;
    }
    row.year_values = &record.year_values;
    row.sort_key = record.result;
    row.total = record.sum;
    table.rows.push_back(std::move(row));
  }
  // Re-sorting by the unchanged index must not take the shortcut. By total
  // without a total column still becomes by name (and is stored so), or
  // the heading would name a column the page does not have.
  Sort(table.sort_index, view, table, /*always=*/true);
}

int SortResultTable(int32_t sort_index, const TableView& view, ResultTable& table) {
  return Sort(sort_index, view, table, /*always=*/false);
}

}  // namespace wunt
