#pragma once
// One ranked entity (park, company or country) with its computed values.

#include <cstdint>
#include <string>
#include <vector>

namespace wunt {

struct ValueRecord {
  int32_t id = 0;
  std::string name;
  // Parks and companies: earliest and latest game year of the span in which
  // the entity exists. Countries: 0.
  int32_t first_year = 0;
  int32_t last_year = 0;
  // Entry k belongs to game year start + k and holds one value per value of
  // the calculation; an empty entry means no data in that year. Values are
  // kept in 64 bits so that large company and country totals never wrap.
  std::vector<std::vector<int64_t>> year_values;
  int64_t result = 0;
  int64_t sum = 0;
  int32_t country = 0;  // parks only
};

using ValueList = std::vector<ValueRecord>;

}  // namespace wunt
