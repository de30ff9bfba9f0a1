#pragma once
// Calculations: named sets of values, each a formula over park data fields,
// stored per season in SaveData.ini. Groups "<n>_Calculation" hold the keys
// "Diagram" (content kind), "Name", "Description" ("||" for a line break),
// optionally "NoValueMerge", and one key per value: the formula, optionally
// followed by "[display format]" and a unit, with the label as its value.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/data/datafields.h"
#include "viewer/data/kinds.h"
#include "viewer/data/whole_names.h"

namespace wunt {

// Number of the closing entry of the calculation list, which stands for
// "no calculation yet" in the chooser and "new calculation" in the editor.
inline constexpr int32_t kClosingEntryNumber = -1;
inline constexpr std::string_view kClosingEntryName = "Unbenannt";
inline constexpr std::string_view kParkCountName = "Parkanzahl";

struct CalculationListEntry {
  int32_t number = kClosingEntryNumber;
  std::string name;
  std::string description;  // line breaks as CR LF
  // One line per value key: key, " = ", label, CR LF; field names shown as
  // their display texts in double quotes.
  std::string values_text;
};

struct CalculationList {
  std::vector<CalculationListEntry> entries;  // the closing entry last
  size_t current = 0;                         // the entry the editor works on
};

// How one value is labelled and shown.
struct ValueDefinition {
  std::string label;
  std::string formula;
  std::string display_format;  // for example "/100"; see FormatValue
  std::string unit;
};

// A formula is cut at * / + - into terms so that field values (or, for
// companies and countries, field sums) can be pasted in per term.
struct Term {
  std::string text;           // trimmed; field names replaced by "@" + number
  int32_t field_number = -1;  // park field the term refers to, -1 if none
  char op = 0;                // the operator after the term; 0 closes a value
};

struct LoadedCalculation {
  int32_t number = kClosingEntryNumber;
  // Cleared by "NoValueMerge": companies then rank by their end-year value
  // instead of the average over their years.
  bool merge = true;
  std::vector<ValueDefinition> values;
  // The terms of all values, value after value.
  std::vector<Term> terms;

  int value_count() const { return static_cast<int>(values.size()); }
};

// The number a new calculation gets: the lowest n from 1 up for which no
// group "<n>_Calculation" is among `group_names` (compared ignoring A-Z case).
int32_t LowestFreeCalculationNumber(const std::vector<std::string>& group_names);

// SaveData.ini of a season folder.
std::filesystem::path SaveDataPath(const std::filesystem::path& season_folder);

// Rebuilds `list` with the calculations offered for `content_kind` (groups
// without "Diagram" are offered for every kind) in file order, translated
// through the season's name table, plus the closing entry. Returns the number
// of entries including the closing one; `current` points at the closing entry.
size_t LoadCalculationList(const std::filesystem::path& season_folder, ContentKind content_kind,
                           CalculationList& list);

// Fills `calculation` from group "<number>_Calculation". A missing file or
// group leaves it without values. Returns the number of values.
int LoadCalculation(const std::filesystem::path& season_folder, int32_t number,
                    const DataFieldList& park_fields, LoadedCalculation& calculation);

// The building blocks of LoadCalculation, for callers that define values
// without a file. AppendValue reads one value key and its label and cuts the
// formula into terms; ResolveFieldNames then replaces the park field names
// that stand whole in a term by "@" + field number (the longest name first,
// so a field "B" leaves a field "Bx" alone).
// FieldReferences: each park field name with its "@" + field number.
std::vector<NameReplacement> FieldReferences(const DataFieldList& park_fields);
void AppendValue(LoadedCalculation& calculation, std::string_view key, std::string_view label);
void ResolveFieldNames(LoadedCalculation& calculation, const DataFieldList& park_fields);

// Stores the current entry of `list` with the editor's three texts (values
// text with display names, which are translated back). Saving the closing
// entry creates a calculation with the lowest free number just before it.
// Returns false, storing nothing, while SaveData.ini does not exist or when
// it cannot be written.
bool SaveCalculation(const std::filesystem::path& season_folder, ContentKind content_kind,
                     std::string_view name, std::string_view description,
                     std::string_view values_text, CalculationList& list);

// Removes the current entry of `list` and its group (every group of that
// number) from SaveData.ini, so that the next new calculation may take its
// number again. `current` then points at the entry that followed. Returns
// false, changing nothing, for the closing entry or when the file cannot be
// read or written.
bool DeleteCalculation(const std::filesystem::path& season_folder, CalculationList& list);

}  // namespace wunt
