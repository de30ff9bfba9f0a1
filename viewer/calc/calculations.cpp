#include "viewer/calc/calculations.h"

#include <string>
#include <unordered_set>

#include "common/ini_file.h"
#include "common/season_layout.h"
#include "common/text.h"
#include "viewer/data/translation.h"
#include "viewer/data/whole_names.h"

namespace wunt {
namespace {

constexpr std::string_view kGroupSuffix = "Calculation";

// Joins two texts. (Spelled out because g++ 12 warns falsely about
// operator+ on strings at -O2.)
std::string Concat(std::string_view a, std::string_view b) {
  std::string out;
  out.reserve(a.size() + b.size());
  out.append(a);
  out.append(b);
  return out;
}

std::string GroupNameOf(int32_t number) { return Concat(std::to_string(number), "_Calculation"); }

bool IsCalculationGroup(std::string_view name) {
  return name.size() >= kGroupSuffix.size() &&
         EqualsIgnoreCaseAZ(name.substr(name.size() - kGroupSuffix.size()), kGroupSuffix);
}

// A text that lands on one line of the file: any line break becomes
// `replacement`, so that no typed text can start a line of its own there.
std::string OneLine(std::string_view text, std::string_view replacement) {
  std::string out = ReplaceAll(text, "\r\n", replacement);
  out = ReplaceAll(out, "\r", replacement);
  return ReplaceAll(out, "\n", replacement);
}

void CutIntoTerms(std::string_view formula, std::vector<Term>& terms) {
  std::string_view rest = formula;
  for (;;) {
    const size_t cut = rest.find_first_of("*/+-");
    if (cut == std::string_view::npos) {
      terms.push_back({std::string(TrimBlanks(rest)), -1, 0});
      return;
    }
    terms.push_back({std::string(TrimBlanks(rest.substr(0, cut))), -1, rest[cut]});
    rest = TrimBlanks(rest.substr(cut + 1));
  }
}

int32_t FieldNumberAfterAt(std::string_view text) {
  const size_t at = text.find('@');
  if (at == std::string_view::npos) return -1;
  int64_t number = 0;
  for (size_t i = at + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    // No schema comes near this; saturate rather than wrap.
    number = std::min<int64_t>(number * 10 + (text[i] - '0'), INT32_MAX);
  }
  return static_cast<int32_t>(number);
}

// The value lines of the editor text, as key and label, in order. Lines are
// cut at any line break. A line whose key would read back as a group or
// comment line cannot be stored as a value and is left out.
std::vector<std::pair<std::string, std::string>> ValueLines(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = TrimBlanks(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == '[' || line.front() == ';') continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      lines.emplace_back(Concat(" ", line), std::string());
    } else {
      // Everything after the first "=" is the label, so a label may hold "="
      // itself; the file's reader splits at the first "=" as well.
      lines.emplace_back(Concat(" ", line.substr(0, eq)), std::string(line.substr(eq + 1)));
    }
  }
  return lines;
}

}  // namespace

std::vector<NameReplacement> FieldReferences(const DataFieldList& park_fields) {
  std::vector<NameReplacement> references;
  for (size_t field = 0; field < park_fields.size(); ++field) {
    references.push_back({park_fields[field].name, Concat("@", std::to_string(field))});
  }
  return references;
}

int32_t LowestFreeCalculationNumber(const std::vector<std::string>& group_names) {
  std::unordered_set<std::string> taken;
  for (const std::string& name : group_names) taken.insert(FoldCaseAZ(name));
  int32_t number = 1;
  while (taken.count(FoldCaseAZ(GroupNameOf(number))) != 0) ++number;
  return number;
}

std::filesystem::path SaveDataPath(const std::filesystem::path& season_folder) {
  return season_folder / kSaveDataFile;
}

size_t LoadCalculationList(const std::filesystem::path& season_folder, ContentKind content_kind,
                           CalculationList& list) {
  list.entries.clear();
  IniFile ini;
  if (ini.OpenIni(SaveDataPath(season_folder))) {
    ini.FirstGroup();
    while (ini.NextGroup()) {
      const std::string group = ini.GroupName();
      if (!IsCalculationGroup(group) || !ini.FirstKey() || !ini.NextKey()) continue;
      CalculationListEntry entry;
      entry.number = static_cast<int32_t>(LeadingNumber(group));
      bool offered = true;
      do {
        const std::string key = ini.KeyName();
        const std::string value = ini.KeyValue();
        if (key == "Name") {
          entry.name = value;
        } else if (key == "Description") {
          entry.description = ReplaceAll(value, "||", "\r\n");
        } else if (key == "Diagram") {
          offered = LeadingNumber(value) == static_cast<int64_t>(content_kind);
        } else {
          entry.values_text.append(key).append(" = ").append(value).append("\r\n");
        }
      } while (offered && ini.NextKey());
      if (offered) list.entries.push_back(std::move(entry));
    }
  }
  ini.CloseIni();

  const std::vector<NameTableEntry> names = LoadNameTable(season_folder);
  if (!names.empty()) {
    for (CalculationListEntry& entry : list.entries) {
      entry.values_text = TranslateToDisplay(entry.values_text, names);
    }
  }
  CalculationListEntry closing;
  closing.number = kClosingEntryNumber;
  closing.name = std::string(kClosingEntryName);
  list.entries.push_back(std::move(closing));
  list.current = list.entries.size() - 1;
  return list.entries.size();
}

void AppendValue(LoadedCalculation& calculation, std::string_view key, std::string_view label) {
  ValueDefinition value;
  std::string formula(TrimBlanks(key));
  value.label = std::string(TrimBlanks(label));
  if (value.label.empty()) value.label = formula;
  const size_t close = formula.find(']');
  if (close != std::string::npos) {
    const size_t open = formula.find('[');
    value.unit = formula.substr(close + 1);
    if (open != std::string::npos && open < close) {
      value.display_format = formula.substr(open + 1, close - open - 1);
    }
    formula = open == std::string::npos ? std::string()
                                        : std::string(TrimBlanks(formula.substr(0, open)));
  }
  value.formula = formula;
  calculation.values.push_back(std::move(value));
  CutIntoTerms(formula, calculation.terms);
}

void ResolveFieldNames(LoadedCalculation& calculation, const DataFieldList& park_fields) {
  const WholeNameReplacer references(FieldReferences(park_fields));
  for (Term& term : calculation.terms) {
    term.text = references.Apply(term.text);
    term.field_number = FieldNumberAfterAt(term.text);
  }
}

int LoadCalculation(const std::filesystem::path& season_folder, int32_t number,
                    const DataFieldList& park_fields, LoadedCalculation& calculation) {
  calculation = LoadedCalculation();
  calculation.number = number;
  IniFile ini;
  // The closing entry stands for "no calculation", whatever the file holds.
  if (number != kClosingEntryNumber && ini.OpenIni(SaveDataPath(season_folder)) &&
      ini.SelectGroup(GroupNameOf(number))) {
    ini.FirstKey();
    while (ini.NextKey()) {
      const std::string key = ini.KeyName();
      if (key == "NoValueMerge") {
        calculation.merge = false;
      } else if (key != "Description" && key != "Diagram" && key != "Name") {
        AppendValue(calculation, key, ini.KeyValue());
      }
    }
  }
  ini.CloseIni();
  ResolveFieldNames(calculation, park_fields);
  return calculation.value_count();
}

bool SaveCalculation(const std::filesystem::path& season_folder, ContentKind content_kind,
                     std::string_view name, std::string_view description,
                     std::string_view values_text, CalculationList& list) {
  if (list.current >= list.entries.size()) return false;
  const std::string internal = TranslateToInternal(values_text, LoadNameTable(season_folder));
  IniFile ini;
  // The file is never created here; while it is missing nothing is saved.
  if (!ini.OpenIni(SaveDataPath(season_folder))) return false;

  const bool is_new = list.entries[list.current].number == kClosingEntryNumber;
  int32_t number = list.entries[list.current].number;
  if (is_new) {
    std::vector<std::string> groups;
    if (ini.FirstGroup()) {
      while (ini.NextGroup()) groups.push_back(ini.GroupName());
    }
    number = LowestFreeCalculationNumber(groups);
  }
  const std::string group = GroupNameOf(number);
  // A hand-edited file may hold the group twice; the new one replaces all.
  while (ini.RemoveGroup(group)) {
  }
  ini.SelectGroup(group);
  ini.WriteLong("Diagram", static_cast<int64_t>(content_kind));
  ini.WriteString("Name", OneLine(name, " "));
  ini.WriteString("Description", OneLine(description, "||"));
  for (const auto& [key, label] : ValueLines(internal)) ini.WriteString(key, label);
  // The list changes only once the file holds what it shows.
  if (!ini.CloseIni()) return false;

  if (is_new) {
    CalculationListEntry entry;
    entry.number = number;
    list.entries.insert(list.entries.begin() + static_cast<std::ptrdiff_t>(list.current),
                        std::move(entry));
  }
  CalculationListEntry& entry = list.entries[list.current];
  entry.name = std::string(name);
  entry.description = std::string(description);
  entry.values_text = std::string(values_text);
  return true;
}

bool DeleteCalculation(const std::filesystem::path& season_folder, CalculationList& list) {
  if (list.current + 1 >= list.entries.size()) return false;
  const int32_t number = list.entries[list.current].number;
  if (number == kClosingEntryNumber) return false;
  IniFile ini;
  if (!ini.OpenIni(SaveDataPath(season_folder))) return false;
  // Every group the list reads as this number, also hand-written ones such
  // as "07_Calculation": a survivor would bring the entry back next time.
  std::vector<std::string> groups;
  ini.FirstGroup();
  while (ini.NextGroup()) {
    const std::string group = ini.GroupName();
    if (IsCalculationGroup(group) && LeadingNumber(group) == number) groups.push_back(group);
  }
  for (const std::string& group : groups) {
    while (ini.RemoveGroup(group)) {
    }
  }
  if (!ini.CloseIni()) return false;
  list.entries.erase(list.entries.begin() + static_cast<std::ptrdiff_t>(list.current));
  return true;
}

}  // namespace wunt
