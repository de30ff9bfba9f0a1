// Any bytes as a game-year data file, read with a schema that has a field of
// every type, then every field of every record read back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/message_sink.h"
#include "viewer/data/entity_table.h"
#include "viewer/data/game_years.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const wunt::SharedSchema schema = wunt::MakeSchema({{"ID", wunt::kFieldNumber},
                                                             {"Name", wunt::kFieldString},
                                                             {"Land", wunt::kFieldNumber},
                                                             {"Parks", wunt::kFieldIdList},
                                                             {"Zeit", wunt::kFieldTime},
                                                             {"Typ", wunt::kFieldStringList},
                                                             {"Mehr", wunt::kFieldIdList}});
  wunt::SilentMessageSink sink;
  wunt::EntityTable table =
      wunt::LoadEntityBytes(std::string(reinterpret_cast<const char*>(data), size), schema, sink);
  size_t checksum = 0;
  for (size_t r = 0; r < table.size(); ++r) {
    for (int f = -1; f <= table.field_count(); ++f) {
      checksum += wunt::FieldText(table, r, f, sink).size();
      checksum += static_cast<size_t>(wunt::FieldNumber(table, r, f, sink));
      if (auto list = table.IdList(r, f)) {
        for (int32_t id : *list) checksum += static_cast<size_t>(id);
      }
    }
    if (table.FindById(table.Id(r)) > r) __builtin_trap();  // the index must find it
  }
  checksum += wunt::BuildCountryParkLists(table, 4).size();
  return checksum == 1 ? 0 : 0;
}
