#pragma once
// The kinds every layer of the Viewer talks about: what a table shows, which
// entities become its rows, and an entry of the selection lists. They live
// here, below the calculation, report and wizard code, so that none of those
// has to include another only for these names.

#include <cstdint>
#include <string>

namespace wunt {

// What the wizard's first step chooses; the numbers are those stored as a
// calculation's "Diagram" key.
enum class ContentKind : int32_t {
  kValue = 0,  // "Wert": one value over entities and years
  kPark = 1,   // "Park": one entity over values and years
  kYear = 2,   // "Jahr": one year over entities and values
};

// Which entities become rows; the numbers are the source chooser's lines.
enum class SourceKind : int32_t {
  kParks = 0,
  kCompanies = 1,
  kCountries = 2,
};

inline constexpr int32_t kNoFilter = -1;

struct SelectionEntry {
  int32_t id = 0;
  std::string label;
  // 0..15: the country filter box that governs the entry (parks: country
  // number - 1); kNoFilter for companies, countries and parks whose country
  // number has no box.
  int32_t filter = kNoFilter;
};

}  // namespace wunt
