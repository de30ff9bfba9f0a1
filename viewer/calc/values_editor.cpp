#include "viewer/calc/values_editor.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "common/text.h"
#include "viewer/calc/calculations.h"
#include "viewer/calc/formula.h"
#include "viewer/data/whole_names.h"

namespace wunt {
namespace {

struct LineSpan {
  size_t start;
  size_t size;
};

// Lines end at CR LF, CR or LF; a text without any has one line.
std::vector<LineSpan> Lines(std::string_view text) {
  std::vector<LineSpan> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back({start, i - start});
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back({start, text.size() - start});
  return lines;
}

// Field values of three sizes, so that a value that is 0 for all of them is 0
// by its form rather than by chance.
struct Sample {
  int64_t base;
  int64_t step;  // per field number
  int64_t park_count;
};
constexpr std::array<Sample, 3> kSamples = {{{7, 3, 1}, {1234, 17, 3}, {987654, 101, 7}}};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The term's text with its number pasted in the way the value computation
// does it: "@" + its own field number (not followed by a further digit), or
// "Parkanzahl" for terms without a field. Further fields of the term stay.
std::string PasteNumber(const Term& term, int64_t number) {
  std::string place(kParkCountName);
  if (term.field_number >= 0) {
    place.assign(1, '@');
    place.append(std::to_string(term.field_number));
  }
  std::string out;
  size_t start = 0;
  for (size_t at = term.text.find(place); at != std::string::npos;
       at = term.text.find(place, at + 1)) {
    const size_t end = at + place.size();
    if (term.field_number >= 0 && end < term.text.size() && IsDigit(term.text[end])) continue;
    out.append(term.text, start, at - start);
    out += std::to_string(number);
    start = end;
    at = end - 1;
  }
  out.append(term.text, start, std::string::npos);
  return out;
}

bool AlwaysZero(const std::vector<Term>& terms) {
  for (const Sample& sample : kSamples) {
    std::string formula;
    for (const Term& term : terms) {
      const int64_t number = term.field_number >= 0 ? sample.base + sample.step * term.field_number
                                                    : sample.park_count;
      formula += PasteNumber(term, number);
      if (term.op != 0) formula += term.op;
    }
    const int64_t value = EvaluateFormulaToInteger(formula);
    if (value != 0 && value != INT64_MIN) return false;
  }
  return true;
}

std::optional<std::string> UnknownName(const std::vector<Term>& terms) {
  for (const Term& term : terms) {
    const std::string& text = term.text;
    for (size_t i = 0; i < text.size();) {
      if (!IsNameByte(text[i])) {
        ++i;
        continue;
      }
      size_t end = i;
      while (end < text.size() && IsNameByte(text[end])) ++end;
      // Digits in front belong to a number ("3x" is 3 and an unknown x).
      size_t name = i;
      while (name < end && IsDigit(text[name])) ++name;
      if (name < end && text.compare(name, end - name, kParkCountName) != 0) {
        return text.substr(name, end - name);
      }
      i = end;
    }
  }
  return std::nullopt;
}

bool TwoFieldsInOneTerm(const std::vector<Term>& terms) {
  return std::any_of(terms.begin(), terms.end(), [](const Term& term) {
    return std::count(term.text.begin(), term.text.end(), '@') > 1;
  });
}

bool MissingOperand(const std::vector<Term>& terms) {
  for (size_t i = 0; i < terms.size(); ++i) {
    const std::string& text = terms[i].text;
    // A leading "-" is the sign of the first number.
    if (text.empty() && !(i == 0 && terms[i].op == '-')) return true;
    if (!text.empty() &&
        (text.front() == '^' || text.front() == '~' || text.back() == '^' || text.back() == '~')) {
      return true;
    }
  }
  return false;
}

bool UnbalancedParentheses(std::string_view formula) {
  int depth = 0;
  for (char c : formula) {
    if (c == '(') ++depth;
    if (c == ')' && --depth < 0) return true;
  }
  return depth != 0;
}

// `name`: the unknown name or the setting's key.
std::string CauseText(ValuesHintCause cause, const std::string& name) {
  switch (cause) {
    case ValuesHintCause::kMissingEquals:
      return "Kein \x84=\x93, die ganze Zeile gilt als Formel und als Beschriftung";
    case ValuesHintCause::kNotStored:
      return "Beginnt mit \x84[\x93 oder \x84;\x93 und wird nicht gespeichert";
    case ValuesHintCause::kSettingKey:
      return "\x84" + name +
             "\x93 ist kein Wert, sondern ersetzt beim Laden die Angabe "
             "der Rechnung";
    case ValuesHintCause::kEmptyFormula:
      return "Keine Formel vor dem \x84=\x93";
    case ValuesHintCause::kUnknownName:
      return "Unbekannter Name \x84" + name + "\x93";
    case ValuesHintCause::kTwoFieldsInOneTerm:
      return "Zwei Felder ohne + - * / dazwischen";
    case ValuesHintCause::kMissingOperand:
      return "Operator ohne Operand";
    case ValuesHintCause::kUnbalancedParentheses:
      return "Klammern nicht ausgeglichen";
    case ValuesHintCause::kAlwaysZero:
      return "Die Formel ergibt f\xfcr jeden Eintrag 0";
  }
  return {};
}

}  // namespace

InsertedVariable InsertVariable(std::string_view text, size_t line, size_t column,
                                std::string_view name) {
  const std::vector<LineSpan> lines = Lines(text);
  const LineSpan& span = lines[std::min(line, lines.size() - 1)];
  const size_t at = span.start + std::min(column, span.size);
  std::string inserted = " \"";
  inserted.append(name).append("\" ");
  InsertedVariable result;
  result.text.reserve(text.size() + inserted.size());
  result.text.append(text.substr(0, at)).append(inserted).append(text.substr(at));
  result.caret_column = at - span.start + inserted.size();
  return result;
}

std::vector<ValuesHint> CheckValuesText(std::string_view values_text,
                                        const std::vector<NameTableEntry>& names,
                                        const DataFieldList& park_fields) {
  // Names never hold a line break, so translating the whole text keeps its
  // lines where they were.
  const std::string internal = TranslateToInternal(values_text, names);
  std::vector<ValuesHint> hints;
  const std::vector<LineSpan> lines = Lines(internal);
  for (size_t number = 0; number < lines.size(); ++number) {
    const std::string_view line =
        TrimBlanks(std::string_view(internal).substr(lines[number].start, lines[number].size));
    if (line.empty()) continue;
    const size_t eq = line.find('=');
    // Saved with a blank in front, the key is read back trimmed, and the
    // calculation's own keys then take it for themselves.
    const std::string_view key = TrimBlanks(line.substr(0, eq));
    if (key == "NoValueMerge") continue;
    const bool setting_key = key == "Name" || key == "Description" || key == "Diagram";
    LoadedCalculation calculation;
    AppendValue(calculation, line.substr(0, eq), "");
    ResolveFieldNames(calculation, park_fields);
    const std::vector<Term>& terms = calculation.terms;
    const std::string& formula = calculation.values.front().formula;

    ValuesHint hint;
    hint.always_zero = AlwaysZero(terms);
    const std::optional<std::string> unknown = UnknownName(terms);
    if (line.front() == '[' || line.front() == ';') {
      hint.cause = ValuesHintCause::kNotStored;
    } else if (setting_key) {
      hint.cause = ValuesHintCause::kSettingKey;
      hint.always_zero = false;  // no value at all
    } else if (eq == std::string_view::npos) {
      hint.cause = ValuesHintCause::kMissingEquals;
    } else if (TrimBlanks(formula).empty()) {
      hint.cause = ValuesHintCause::kEmptyFormula;
    } else if (unknown) {
      hint.cause = ValuesHintCause::kUnknownName;
    } else if (hint.always_zero && TwoFieldsInOneTerm(terms)) {
      hint.cause = ValuesHintCause::kTwoFieldsInOneTerm;
    } else if (hint.always_zero && MissingOperand(terms)) {
      hint.cause = ValuesHintCause::kMissingOperand;
    } else if (UnbalancedParentheses(formula)) {
      hint.cause = ValuesHintCause::kUnbalancedParentheses;
    } else if (hint.always_zero) {
      hint.cause = ValuesHintCause::kAlwaysZero;
    } else {
      continue;
    }
    hint.line = static_cast<int>(number + 1);
    hint.text = "Zeile " + std::to_string(hint.line) + ": " +
                CauseText(hint.cause, setting_key ? std::string(key) : unknown.value_or(""));
    if (hint.always_zero && hint.cause != ValuesHintCause::kAlwaysZero) {
      hint.text += ", der Wert ist immer 0";
    }
    hint.text += '.';
    hints.push_back(std::move(hint));
  }
  return hints;
}

}  // namespace wunt
