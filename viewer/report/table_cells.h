#pragma once
// What each cell of a result page shows, shared by the HTML pages and the
// CSV export so that both always agree.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/calc/calculations.h"
#include "viewer/report/result_table.h"

namespace wunt {

// Everything a page is made from.
struct ReportInput {
  const ResultTable& table;
  TableView view;
  std::string_view calculation_name;
  std::string_view description;  // line breaks as CR LF
  const std::vector<ValueDefinition>& values;
  int32_t highest_year = 0;       // of the season: "----" for entities that still exist
  std::string_view game_address;  // scheme and host, no trailing slash
};

// One data column of the table.
struct ReportColumn {
  std::string heading;     // game year or value label
  int32_t sort_index = 0;  // what a click on the heading sorts by
};

// The data columns, by content kind: the span's game years ("Wert"), the
// single row's game years ("Park"), or the calculation's values ("Jahr").
std::vector<ReportColumn> ReportColumns(const ReportInput& input);

// Rows of the body: the table's rows, or the calculation's values for
// content kind "Park".
size_t ReportRowCount(const ReportInput& input);

// The stored value behind cell (row, column) and the definition it is
// formatted with. A value of 0 means no value.
int64_t ReportCellValue(const ReportInput& input, size_t row, size_t column);
const ValueDefinition& ReportCellDefinition(const ReportInput& input, size_t row, size_t column);
// Which of input.values that definition is; input.values.size() stands for
// the plain definition of a calculation without values.
size_t ReportCellDefinitionIndex(const ReportInput& input, size_t row, size_t column);

// The total column exists for "Wert" and "Jahr" with the merge flag on.
bool HasTotalColumn(const ReportInput& input);
std::string_view TotalHeading(const ReportInput& input);
// The total is formatted with this definition, even when it is 0.
const ValueDefinition& TotalDefinition(const ReportInput& input);

// "Park" pages: the single row, or nullptr for an empty table.
const ResultRow* SingleRow(const ReportInput& input);
// First and last game year of the single row's columns, clamped to the span.
int32_t SingleRowFirstYear(const ReportInput& input);
int32_t SingleRowLastYear(const ReportInput& input);

}  // namespace wunt
