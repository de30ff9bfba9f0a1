#pragma once
// The per-season schema: which numbered fields parks, companies and
// attractions have, their names and how their text is read.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_sink.h"

namespace wunt {

enum class EntityKind { kPark, kCompany, kAttraction };

// "Park", "Company", "Attraction": the group names of Datafields.txt.
std::string_view EntityKindName(EntityKind kind);

// Type codes as declared in Datafields.txt.
enum FieldType : int32_t {
  kFieldNumber = 0,      // no prefix
  kFieldString = 1,      // (String)
  kFieldIdList = 2,      // (IDList)
  kFieldTime = 3,        // (Time)
  kFieldStringList = 4,  // (StringList)
};

struct DataField {
  std::string name;
  int32_t type = kFieldNumber;
};

// The list position is the field number; undeclared numbers are entries with
// an empty name and type 0.
using DataFieldList = std::vector<DataField>;

// Fixed field numbers other code relies on.
inline constexpr int kParkFieldId = 0;
inline constexpr int kParkFieldName = 1;
inline constexpr int kParkFieldCountry = 2;
inline constexpr int kCompanyFieldId = 0;
inline constexpr int kCompanyFieldName = 1;
inline constexpr int kCompanyFieldParks = 3;

// Rebuilds `list` from <season_folder>/Datafields.txt. Returns the number of
// entries, or 0 on any failure (missing file, missing group, unknown type);
// messages go to `sink`.
int LoadDatafields(const std::filesystem::path& season_folder, EntityKind kind, DataFieldList& list,
                   MessageSink& sink);

}  // namespace wunt
