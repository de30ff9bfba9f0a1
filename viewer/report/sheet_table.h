#pragma once
// Tables handed to spreadsheets: the CSV files and the texts copied to the
// clipboard. All of them share one form, the one a spreadsheet with German
// settings reads without asking: a value cell is a bare number ("-1234,5":
// decimal comma, no thousands dots, its unit in a heading), and every other
// cell is text that cannot start a formula. Windows-1252, CR LF.

#include <optional>
#include <string>
#include <string_view>

namespace wunt {

class SheetTable {
 public:
  // ';' for CSV files, '\t' for the clipboard.
  explicit SheetTable(char separator) : separator_(separator) {}

  // A number in the sheet form; anything else is added as text, so no
  // caller can slip a formula in through a value.
  void AddNumber(std::string_view number);
  // Names, labels and headings come from the game's data, the user or the
  // shared SaveData.ini: one that starts like a formula gets a leading
  // apostrophe, so that it stays text. Blanks around it are dropped.
  void AddText(std::string_view text);
  void AddEmpty();
  void EndRow();

  const std::string& text() const { return out_; }

 private:
  void StartCell();
  void AddField(std::string_view text);

  char separator_;
  std::string out_;
  bool row_open_ = false;
};

// The sheet form of a German display number ("1.234,5", "-0,05", "12"),
// or nothing when the text is not one.
std::optional<std::string> SheetNumberOfGerman(std::string_view shown);

// "Umsatz" and "TEUR" give "Umsatz (TEUR)"; an empty unit leaves the
// heading as it is.
std::string HeadingWithUnit(std::string_view heading, std::string_view unit);

}  // namespace wunt
