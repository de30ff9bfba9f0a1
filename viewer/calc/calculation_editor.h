#pragma once
// The calculation editor without its window: which entry of the calculation
// list is shown, the texts it shows, the names offered for insertion, saving
// the edited texts and the live hints. Texts are Windows-1252 bytes; the
// multi-line ones may come with any line breaks and are stored with CR LF.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/calc/calculations.h"
#include "viewer/calc/values_editor.h"
#include "viewer/data/datafields.h"
#include "viewer/data/kinds.h"
#include "viewer/data/translation.h"

namespace wunt {

// The closing entry's line in the editor's list.
inline constexpr std::string_view kNewCalculationLine = "neue Rechnung erstellen";

struct EditorTexts {
  std::string name;
  std::string description;
  std::string values;

  bool operator==(const EditorTexts&) const = default;
};

enum class EditorSave {
  kSaved,
  kNoSaveData,  // SaveData.ini is missing: nothing is ever created here
  kNotWritten,  // SaveData.ini could not be read or replaced
};

class CalculationEditor {
 public:
  // Works on `list` in place, so that the wizard's chooser sees what was
  // saved. Calculations are saved for `content_kind` (the kind current when
  // the editor opened), whatever happens to the wizard meanwhile.
  CalculationEditor(std::filesystem::path season_folder, ContentKind content_kind,
                    DataFieldList park_fields, CalculationList& list);

  // One line per list entry: its name, the closing entry as
  // kNewCalculationLine.
  std::vector<std::string> ListLines() const;
  // The display texts of the season's name table, in byte order.
  const std::vector<std::string>& variables() const { return variables_; }

  // Makes the entry on `line` current; a line below 0 or past the last one
  // means the last line (the new calculation). Returns the line shown.
  size_t Show(int64_t line);
  size_t shown_line() const { return list_.current; }
  // The stored texts of the shown entry; the closing entry gives
  // "Unbenannt" and empty texts.
  EditorTexts ShownTexts() const;

  // Stores `texts` as the shown entry. A new calculation takes the lowest
  // free number and the line the closing entry stood on, which moves down
  // one; the shown line is then the saved calculation. On failure the list
  // is left as it was.
  EditorSave Save(const EditorTexts& texts);
  // Whether the list or the file changed (a save or a deletion), so that
  // whatever was loaded from them is stale.
  bool saved_any() const { return saved_any_; }

  // Whether `typed` differs from what the shown entry has stored, so that
  // showing another entry or closing would lose it; line breaks of any kind
  // count alike.
  bool HasUnsavedEdits(const EditorTexts& typed) const;
  // Asked before such edits are dropped.
  std::string UnsavedEditsQuestion() const;

  // Whether the shown entry is a stored calculation that may be deleted.
  bool CanDelete() const;
  std::string DeleteQuestion() const;
  // Deletes the shown calculation from the file and the list; the entry
  // that followed is shown. kSaved when it is gone.
  EditorSave Delete();

  // Hints for the values lines that would not come out as meant.
  std::vector<ValuesHint> Hints(std::string_view values_text) const;

 private:
  // Why the file was not changed.
  EditorSave Failure() const;

  std::filesystem::path season_folder_;
  ContentKind content_kind_;
  DataFieldList park_fields_;
  CalculationList& list_;
  std::vector<NameTableEntry> names_;
  std::vector<std::string> variables_;
  bool saved_any_ = false;
};

// The German message for a save that failed, naming the file.
std::string EditorSaveFailureText(EditorSave result);
std::string EditorDeleteFailureText(EditorSave result);

// The typed texts in UTF-8, as the window holds them: the German refusal
// (UTF-8) naming the first character that SaveData.ini, a Windows-1252
// file, cannot hold, and its field; empty when everything can be saved.
std::string ForeignCharacterRefusal(const EditorTexts& typed_utf8);

}  // namespace wunt
