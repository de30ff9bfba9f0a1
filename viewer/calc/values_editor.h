#pragma once
// The rules of the calculation editor's values field that need no window:
// inserting a variable at the caret, and the hints for lines whose value
// cannot come out as the user meant it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/data/datafields.h"
#include "viewer/data/translation.h"

namespace wunt {

struct InsertedVariable {
  std::string text;
  size_t caret_column = 0;  // on the same line, just after the inserted text
};

// "Hinzufügen": on line `line` (0-based; lines end at CR LF, CR or LF) the
// text " \"" + name + "\" " goes in after `column` characters. A column past
// the line's end appends to the line; a line past the last one means the
// last line. Everything else stays byte for byte.
InsertedVariable InsertVariable(std::string_view text, size_t line, size_t column,
                                std::string_view name);

enum class ValuesHintCause {
  kMissingEquals,          // the whole line is formula and label at once
  kNotStored,              // starts with "[" or ";": saving leaves it out
  kSettingKey,             // "Name", "Description" or "Diagram": read back as that setting
  kEmptyFormula,           // nothing before the "="
  kUnknownName,            // a name that is neither a field nor "Parkanzahl"
  kTwoFieldsInOneTerm,     // only the first field of a term gets its number
  kMissingOperand,         // an operator with nothing on one side
  kUnbalancedParentheses,  // the engine strips or ignores the surplus
  kAlwaysZero,             // none of the above, but the value is 0 anyway
};

struct ValuesHint {
  int line = 0;  // 1-based
  ValuesHintCause cause = ValuesHintCause::kAlwaysZero;
  bool always_zero = false;  // the line gives 0 for every entity
  std::string text;          // German, CP1252, naming line and cause
};

// One hint for every line of the editor's values text (display names in
// quotes, as the editor shows them) that has one of the causes above; the
// first cause in the order above is named. A "NoValueMerge" line, the form
// in which the editor shows that switch, gets none. Whether a value is 0 for every
// entity is found by computing it as the engine does with three sets of
// field values of different sizes. Empty lines get no hint.
std::vector<ValuesHint> CheckValuesText(std::string_view values_text,
                                        const std::vector<NameTableEntry>& names,
                                        const DataFieldList& park_fields);

}  // namespace wunt
