#pragma once
// The attraction catalogue as a file: the rows the window shows, in its
// order and with its cell texts, plus whether each attraction is ticked as
// built. Both outputs are Windows-1252.

#include <string>

#include "viewer/attractions/catalogue_model.h"

namespace wunt {

// Heading of the tick column in both outputs.
inline constexpr char kBuiltHeading[] = "gebaut";

// A plain HTML page with one table: the window's headers and cells, names
// escaped, "x" in the last column for a ticked row.
std::string BuildCataloguePage(const CatalogueModel& model);

// Semicolon-separated, CR LF, a header line. Whole numbers lose their
// thousands dots so that spreadsheets read them as numbers; decimals keep
// the window's point.
std::string BuildCatalogueCsv(const CatalogueModel& model);

}  // namespace wunt
