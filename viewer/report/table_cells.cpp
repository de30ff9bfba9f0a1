#include "viewer/report/table_cells.h"

#include <algorithm>

namespace wunt {
namespace {

// A calculation without values still gets a page; its cells and totals are
// formatted plainly.
const ValueDefinition& DefinitionAt(const ReportInput& input, size_t index) {
  static const ValueDefinition kPlain;
  return index < input.values.size() ? input.values[index] : kPlain;
}

}  // namespace

const ResultRow* SingleRow(const ReportInput& input) {
  return input.table.rows.empty() ? nullptr : &input.table.rows.front();
}

int32_t SingleRowFirstYear(const ReportInput& input) {
  const ResultRow* row = SingleRow(input);
  return row == nullptr ? 0 : std::max(row->first_year, input.view.start_year);
}

int32_t SingleRowLastYear(const ReportInput& input) {
  // An empty table, or a row without years, has no year columns.
  const ResultRow* row = SingleRow(input);
  return row == nullptr ? -1 : std::min(row->last_year, input.view.end_year);
}

std::vector<ReportColumn> ReportColumns(const ReportInput& input) {
  std::vector<ReportColumn> columns;
  const TableView& view = input.view;
  if (view.content_kind == ContentKind::kYear) {
    for (size_t j = 0; j < input.values.size(); ++j) {
      columns.push_back({input.values[j].label, static_cast<int32_t>(j)});
    }
    return columns;
  }
  int32_t first = view.start_year;
  int32_t last = view.end_year;
  if (view.content_kind == ContentKind::kPark) {
    first = SingleRowFirstYear(input);
    last = SingleRowLastYear(input);
  }
  for (int64_t y = first; y <= last; ++y) {
    columns.push_back({std::to_string(y), static_cast<int32_t>(y - view.start_year)});
  }
  return columns;
}

size_t ReportRowCount(const ReportInput& input) {
  return input.view.content_kind == ContentKind::kPark ? input.values.size()
                                                       : input.table.rows.size();
}

int64_t ReportCellValue(const ReportInput& input, size_t row, size_t column) {
  switch (input.view.content_kind) {
    case ContentKind::kValue:
      return input.table.rows[row].Value(static_cast<int64_t>(column), 0);
    case ContentKind::kPark: {
      const ResultRow* single = SingleRow(input);
      if (single == nullptr) return 0;
      const int64_t year = int64_t{SingleRowFirstYear(input)} + static_cast<int64_t>(column);
      return single->Value(year - input.view.start_year, static_cast<int64_t>(row));
    }
    default:
      return input.table.rows[row].Value(0, static_cast<int64_t>(column));
  }
}

size_t ReportCellDefinitionIndex(const ReportInput& input, size_t row, size_t column) {
  size_t index = column;
  if (input.view.content_kind == ContentKind::kValue) index = 0;
  if (input.view.content_kind == ContentKind::kPark) index = row;
  return std::min(index, input.values.size());
}

const ValueDefinition& ReportCellDefinition(const ReportInput& input, size_t row, size_t column) {
  return DefinitionAt(input, ReportCellDefinitionIndex(input, row, column));
}

bool HasTotalColumn(const ReportInput& input) {
  return input.view.merge && input.view.content_kind != ContentKind::kPark;
}

std::string_view TotalHeading(const ReportInput& input) {
  return input.view.content_kind == ContentKind::kYear ? "Gesamt" : "Durchschnitt";
}

const ValueDefinition& TotalDefinition(const ReportInput& input) {
  const size_t definition = input.view.content_kind == ContentKind::kYear && !input.values.empty()
                                ? input.values.size() - 1
                                : 0;
  return DefinitionAt(input, definition);
}

}  // namespace wunt
