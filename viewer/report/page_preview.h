#pragma once
// While the view reads and lays out a long result table, the overview window
// shows a preview first: the very same page with only the table's first
// rows, which the engine reads in a fraction of the time. It is made from
// the page's bytes when the view asks for them and never stored.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wunt {

// The page with its result table cut after the first `rows` rows (the
// heading row counts); everything before and after the table stays as it
// is. Nothing when the table has no more rows than that, or when the page
// does not hold the table as the writer writes it.
std::optional<std::string> TablePreview(std::string_view page, size_t rows);

// A list of the page's forms, its name and the options' markup left out.
using LeftOutOptions = std::pair<std::string, std::string>;

// The page's selection lists before its result table that hold more than
// `keep` options, each cut to its first option (the one chosen when the
// page opens); what was cut, with the list's name, goes to `left_out`, to be
// added back once the preview is on screen. A list of thousands of parks
// costs the engine about as much as the table's first rows.
std::string ShortenLists(std::string page, size_t keep, std::vector<LeftOutOptions>& left_out);

}  // namespace wunt
