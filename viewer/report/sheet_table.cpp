#include "viewer/report/sheet_table.h"

#include "common/text.h"

namespace wunt {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// "-1234,5": an optional minus, digits, and optionally a comma and digits.
bool IsSheetNumber(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  const size_t comma = text.find(',');
  if (comma == std::string_view::npos) return IsDigits(text);
  return IsDigits(text.substr(0, comma)) && IsDigits(text.substr(comma + 1));
}

// Spreadsheets run a cell that starts with one of these as a formula (a tab
// or line break in front is skipped by some of them).
bool StartsLikeFormula(std::string_view text) {
  return !text.empty() &&
         std::string_view("=+-@\t\r\n").find(text.front()) != std::string_view::npos;
}

}  // namespace

void SheetTable::StartCell() {
  if (row_open_) out_ += separator_;
  row_open_ = true;
}

void SheetTable::AddField(std::string_view text) {
  const char special[] = {separator_, '"', '\r', '\n', '\0'};
  if (text.find_first_of(std::string_view(special, sizeof special)) == std::string_view::npos) {
    out_ += text;
    return;
  }
  out_ += '"';
  for (char c : text) {
    if (c == '"') out_ += '"';
    out_ += c;
  }
  out_ += '"';
}

void SheetTable::AddNumber(std::string_view number) {
  if (!IsSheetNumber(number)) {
    AddText(number);
    return;
  }
  StartCell();
  out_ += number;
}

void SheetTable::AddText(std::string_view text) {
  StartCell();
  text = TrimBlanks(text);
  if (StartsLikeFormula(text)) {
    std::string marked(1, '\'');
    marked.append(text);
    AddField(marked);
    return;
  }
  AddField(text);
}

void SheetTable::AddEmpty() { StartCell(); }

void SheetTable::EndRow() {
  out_ += "\r\n";
  row_open_ = false;
}

std::optional<std::string> SheetNumberOfGerman(std::string_view shown) {
  shown = TrimBlanks(shown);
  std::string number;
  number.reserve(shown.size());
  for (size_t i = 0; i < shown.size(); ++i) {
    const bool thousands = shown[i] == '.' && i > 0 && IsDigit(shown[i - 1]) &&
                           i + 1 < shown.size() && IsDigit(shown[i + 1]);
    if (!thousands) number += shown[i];
  }
  if (!IsSheetNumber(number)) return std::nullopt;
  return number;
}

std::string HeadingWithUnit(std::string_view heading, std::string_view unit) {
  std::string text(TrimBlanks(heading));
  unit = TrimBlanks(unit);
  if (unit.empty()) return text;
  if (!text.empty()) text += ' ';
  text += '(';
  text += unit;
  text += ')';
  return text;
}

}  // namespace wunt
