#include "viewer/calc/calculation_editor.h"

#include <algorithm>
#include <cstdio>
#include <system_error>
#include <utility>

#include "common/text.h"

namespace wunt {
namespace {

// The stored form of a multi-line text: what the list holds after a load, so
// a saved entry and a loaded one show alike.
std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string FailureCause(EditorSave result) {
  return result == EditorSave::kNoSaveData
             ? "die Datei SaveData.ini dieser Runde fehlt"
             : "die Datei SaveData.ini dieser Runde nicht geschrieben werden konnte "
               "(schreibgesch\xfctzt?)";
}

}  // namespace

CalculationEditor::CalculationEditor(std::filesystem::path season_folder, ContentKind content_kind,
                                     DataFieldList park_fields, CalculationList& list)
    : season_folder_(std::move(season_folder)),
      content_kind_(content_kind),
      park_fields_(std::move(park_fields)),
      list_(list),
      names_(LoadNameTable(season_folder_)) {
  for (const NameTableEntry& entry : names_) variables_.push_back(entry.display_text);
  std::sort(variables_.begin(), variables_.end());
  // A list that lost its closing entry would have no line for a new one.
  if (list_.entries.empty() || list_.entries.back().number != kClosingEntryNumber) {
    CalculationListEntry closing;
    closing.name = std::string(kClosingEntryName);
    list_.entries.push_back(std::move(closing));
  }
}

std::vector<std::string> CalculationEditor::ListLines() const {
  std::vector<std::string> lines;
  lines.reserve(list_.entries.size());
  for (const CalculationListEntry& entry : list_.entries) lines.push_back(entry.name);
  lines.back() = std::string(kNewCalculationLine);
  return lines;
}

size_t CalculationEditor::Show(int64_t line) {
  const auto last = static_cast<int64_t>(list_.entries.size()) - 1;
  list_.current = static_cast<size_t>(line < 0 || line > last ? last : line);
  return list_.current;
}

EditorTexts CalculationEditor::ShownTexts() const {
  const CalculationListEntry& entry =
      list_.entries[std::min(list_.current, list_.entries.size() - 1)];
  return {entry.name, entry.description, entry.values_text};
}

EditorSave CalculationEditor::Failure() const {
  std::error_code error;
  return std::filesystem::exists(SaveDataPath(season_folder_), error) ? EditorSave::kNotWritten
                                                                      : EditorSave::kNoSaveData;
}

EditorSave CalculationEditor::Save(const EditorTexts& texts) {
  if (!SaveCalculation(season_folder_, content_kind_, texts.name, WithCrLf(texts.description),
                       WithCrLf(texts.values), list_)) {
    return Failure();
  }
  saved_any_ = true;
  return EditorSave::kSaved;
}

bool CalculationEditor::HasUnsavedEdits(const EditorTexts& typed) const {
  const EditorTexts stored = ShownTexts();
  return typed.name != stored.name || WithCrLf(typed.description) != WithCrLf(stored.description) ||
         WithCrLf(typed.values) != WithCrLf(stored.values);
}

std::string CalculationEditor::UnsavedEditsQuestion() const {
  return "\xc4nderungen an \"" + ShownTexts().name +
         "\" \xfc"
         "bernehmen?";
}

bool CalculationEditor::CanDelete() const {
  return list_.current < list_.entries.size() &&
         list_.entries[list_.current].number != kClosingEntryNumber;
}

std::string CalculationEditor::DeleteQuestion() const {
  return "Rechnung \"" + ShownTexts().name +
         "\" l\xf6schen? Sie wird aus SaveData.ini entfernt und kann nicht wiederhergestellt "
         "werden.";
}

EditorSave CalculationEditor::Delete() {
  if (!CanDelete()) return EditorSave::kNotWritten;
  if (!DeleteCalculation(season_folder_, list_)) return Failure();
  saved_any_ = true;
  return EditorSave::kSaved;
}

std::vector<ValuesHint> CalculationEditor::Hints(std::string_view values_text) const {
  return CheckValuesText(values_text, names_, park_fields_);
}

std::string EditorSaveFailureText(EditorSave result) {
  return "Die Rechnung wurde nicht gespeichert, weil " + FailureCause(result) +
         ". Deine Eingaben bleiben im Fenster erhalten.";
}

std::string EditorDeleteFailureText(EditorSave result) {
  return "Die Rechnung wurde nicht gel\xf6scht, weil " + FailureCause(result) + ".";
}

std::string ForeignCharacterRefusal(const EditorTexts& typed_utf8) {
  const std::pair<const char*, const std::string*> fields[] = {
      {"Name", &typed_utf8.name},
      {"Beschreibung", &typed_utf8.description},
      {"Werte", &typed_utf8.values}};
  for (const auto& [field, text] : fields) {
    const ForeignCharacter found = FindNonCp1252(*text);
    if (found.length == 0) continue;
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(found.code_point));
    return "Das Zeichen \"" + text->substr(found.offset, found.length) + "\" (" + code +
           ") im Feld \"" + field +
           "\" kann in SaveData.ini nicht gespeichert werden: die Datei kennt nur die Zeichen "
           "von Windows-1252. Bitte ersetze es; die Rechnung wurde nicht gespeichert, deine "
           "Eingaben bleiben im Fenster erhalten.";
  }
  return {};
}

}  // namespace wunt
