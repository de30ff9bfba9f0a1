#pragma once
// While the view reads and lays out a long result table, the overview window
// shows a preview first: the very same page with only the table's first
// rows, which the engine reads in a fraction of the time. It is made from
// the page's bytes when the view asks for them and never stored.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace wunt {

// The page with its result table cut after the first `rows` rows (the
// heading row counts); everything before and after the table stays as it
// is. Nothing when the table has no more rows than that, or when the page
// does not hold the table as the writer writes it.
std::optional<std::string> TablePreview(std::string_view page, size_t rows);

}  // namespace wunt
