#pragma once
// The calculation editor window: the season's calculations for one content
// kind, their name, description and values text, a chooser of the
// translated field names to insert, and live hints under the values. The
// rules live in CalculationEditor; the window only mirrors them.

#include <QWidget>
#include <filesystem>
#include <functional>

#include "viewer/calc/calculation_editor.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace wunt {

class CalculationEditorWindow : public QWidget {
 public:
  struct Controls {
    QListWidget* list = nullptr;
    QLineEdit* name = nullptr;
    QPlainTextEdit* description = nullptr;
    QComboBox* variables = nullptr;
    QPushButton* add = nullptr;
    QPlainTextEdit* values = nullptr;
    QListWidget* hints = nullptr;
    QPushButton* apply = nullptr;
    QPushButton* reset = nullptr;
    QPushButton* remove = nullptr;
    QPushButton* close = nullptr;
  };

  // `list` is the wizard's calculation list, changed in place; it must
  // outlive the window. Saved calculations are bound to `content_kind`.
  CalculationEditorWindow(std::filesystem::path season_folder, ContentKind content_kind,
                          DataFieldList park_fields, CalculationList& list);

  // Called once the window has been closed.
  void set_on_closed(std::function<void()> on_closed) { on_closed_ = std::move(on_closed); }

  const Controls& controls() const { return c_; }
  const CalculationEditor& editor() const { return editor_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FillList();
  void ShowEntry(int64_t line);
  void AddVariable();
  // Texts as typed, in Windows-1252.
  EditorTexts Typed() const;
  // False when the typed texts could not be stored; they stay as typed.
  bool Apply();
  // Asks before typed edits are dropped; false when the user stays.
  bool MayLeave();
  void Delete();
  void ShowHints();

  CalculationEditor editor_;
  Controls c_;
  std::function<void()> on_closed_;
};

}  // namespace wunt
