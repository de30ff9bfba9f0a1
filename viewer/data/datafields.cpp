#include "viewer/data/datafields.h"

#include "common/ini_file.h"
#include "common/season_layout.h"
#include "common/text.h"

namespace wunt {

std::string_view EntityKindName(EntityKind kind) {
  switch (kind) {
    case EntityKind::kPark:
      return "Park";
    case EntityKind::kCompany:
      return "Company";
    case EntityKind::kAttraction:
      return "Attraction";
  }
  return "";
}

namespace {

// "String" -> 1 ... "StringList" -> 4, compared exactly; -1 when unknown.
int32_t TypeCode(std::string_view type_name) {
  if (type_name == "String") return kFieldString;
  if (type_name == "IDList") return kFieldIdList;
  if (type_name == "Time") return kFieldTime;
  if (type_name == "StringList") return kFieldStringList;
  return -1;
}

// Field numbers come from the file; a huge one would make every record of
// the season that large, so numbers beyond this are taken as garbage.
constexpr int64_t kMaxFieldNumber = 4095;

}  // namespace

int LoadDatafields(const std::filesystem::path& season_folder, EntityKind kind, DataFieldList& list,
                   MessageSink& sink) {
  list.clear();
  IniFile ini;
  if (!ini.OpenIni(season_folder / kDatafieldsFile)) return 0;
  std::string_view kind_name = EntityKindName(kind);
  if (!ini.SelectGroup(kind_name)) {
    sink.ShowMessage("DataField Error", "Unbekanntes DataField: '" + std::string(kind_name) + "'");
    return 0;
  }
  bool failed = false;
  if (ini.FirstKey()) {
    while (ini.NextKey()) {
      int64_t number = LeadingNumber(ini.KeyName());
      if (number < 0 || number > kMaxFieldNumber) continue;
      if (list.size() <= static_cast<size_t>(number)) list.resize(static_cast<size_t>(number) + 1);
      DataField& field = list[static_cast<size_t>(number)];
      std::string name = ini.KeyValue();
      if (name.empty() || name[0] != '(') {
        field.name = std::move(name);
        continue;
      }
      size_t close = name.find(')', 1);
      std::string type_name =
          name.substr(1, close == std::string::npos ? std::string::npos : close - 1);
      name = ReplaceAll(name, type_name + ")", "").substr(1);
      int32_t type = TypeCode(type_name);
      if (type < 0) {
        sink.ShowMessage("DataField Error",
                         "'" + name + "' wird ein unbekannter Datentyp zugwiesen!");
        list.clear();
        failed = true;
        continue;
      }
      field.name = std::move(name);
      field.type = type;
    }
  }
  return failed ? 0 : static_cast<int>(list.size());
}

}  // namespace wunt
