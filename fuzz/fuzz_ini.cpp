// The INI reader over arbitrary bytes: parse, walk every group and key, look
// things up, write, remove, and check that rewriting is stable.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  wunt::IniFile ini;
  ini.OpenIniFromBytes(bytes);
  std::string first_group;
  size_t seen = 0;
  if (ini.FirstGroup()) {
    while (ini.NextGroup()) {
      if (first_group.empty()) first_group = ini.GroupName();
      if (ini.FirstKey()) {
        while (ini.NextKey()) seen += ini.KeyName().size() + ini.KeyValue().size();
      }
    }
  }
  ini.SelectGroup(first_group);
  seen += ini.ReadString("Name", "").size();
  seen += static_cast<size_t>(ini.ReadLong("0", 0) & 1);
  ini.WriteString("Name", "Wert");
  ini.SelectGroup("Neu");
  ini.WriteLong("x", -1);
  ini.RemoveGroup(first_group);
  (void)seen;

  // A rewritten file must read back as itself.
  std::string once = ini.Serialize();
  wunt::IniFile again;
  again.OpenIniFromBytes(once);
  if (again.Serialize() != once) std::abort();
  return 0;
}
