#pragma once
// The attraction catalogue as a file: the rows the window shows, in its
// order and with its cell texts, plus whether each attraction is ticked as
// built. Both outputs are Windows-1252.

#include <string>
#include <vector>

#include "viewer/attractions/catalogue_model.h"

namespace wunt {

// Heading of the tick column in both outputs.
inline constexpr char kBuiltHeading[] = "gebaut";

// A plain HTML page with one table: the window's headers and cells, names
// escaped, "x" in the last column for a ticked row.
std::string BuildCataloguePage(const CatalogueModel& model);

// The window's rows for spreadsheets, in the form of sheet_table.h: numbers
// bare with a decimal comma, names and headings as text. The CSV has a
// header line, every row and the tick column; the clipboard text (Ctrl+C)
// has the header line and the given rows (each once, in row order) without
// the tick column.
std::string BuildCatalogueCsv(const CatalogueModel& model);
std::string BuildCatalogueCopyText(const CatalogueModel& model, std::vector<size_t> rows);

}  // namespace wunt
