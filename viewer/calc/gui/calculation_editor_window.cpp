#include "viewer/calc/gui/calculation_editor_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextBlock>

#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"
#include "viewer/platform/geometry.h"

namespace wunt {
namespace {

constexpr char kFileErrorTitle[] = "Dateifehler";

// The window is taller than the calculation editor has always been: the
// hints get a row of their own between the values and the buttons.
constexpr int kWidth = 600;
constexpr int kHeight = 510;
constexpr int kButtonsY = 475;

// Captions end where they always did, 5 before their fields, but start 5
// further left: "Beschreibung:" had no room to spare at larger fonts.
void Caption(QWidget* window, const QString& text, int y) {
  auto* label = Place(new QLabel(text, window), 5, y, 75, 17);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace

CalculationEditorWindow::CalculationEditorWindow(std::filesystem::path season_folder,
                                                 ContentKind content_kind,
                                                 DataFieldList park_fields, CalculationList& list)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      editor_(std::move(season_folder), content_kind, std::move(park_fields), list) {
  setWindowTitle(WindowTitle("Rechnungen"));
  SetFixedDialogSize(this, kWidth, kHeight);

  c_.list = Place(new QListWidget(this), 10, 10, 580, 180);
  Caption(this, QStringLiteral("Name:"), 212);
  c_.name = Place(new QLineEdit(this), 85, 210, 505, 20);
  Caption(this, QStringLiteral("Beschreibung:"), 237);
  c_.description = Place(new QPlainTextEdit(this), 85, 235, 505, 50);
  c_.description->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  c_.description->setTabChangesFocus(true);
  Caption(this, QStringLiteral("Variablen:"), 292);
  c_.variables = Place(new QComboBox(this), 85, 290, 400, 20);
  c_.add = Place(new QPushButton(QStringLiteral("Hinzufügen"), this), 490, 290, 100, 22);
  Caption(this, QStringLiteral("Werte:"), 317);
  c_.values = Place(new QPlainTextEdit(this), 85, 315, 505, 100);
  c_.values->setLineWrapMode(QPlainTextEdit::NoWrap);
  c_.values->setTabChangesFocus(true);
  Caption(this, QStringLiteral("Hinweise:"), 422);
  c_.hints = Place(new QListWidget(this), 85, 420, 505, 45);
  c_.hints->setSelectionMode(QAbstractItemView::NoSelection);
  c_.hints->setFocusPolicy(Qt::NoFocus);
  // Four buttons share the row as the three always did: 5 pixels apart.
  constexpr int kButtonWidth = (kWidth - 2 * 10 - 3 * 5) / 4;
  const auto button = [this](const char* caption, int index) {
    return Place(new QPushButton(QString::fromUtf8(caption), this), 10 + index * (kButtonWidth + 5),
                 kButtonsY, kButtonWidth, 25);
  };
  c_.apply = button("Übernehmen", 0);
  c_.reset = button("Zurücksetzen", 1);
  c_.remove = button("Löschen", 2);
  c_.close = button("Schließen", 3);

  for (const std::string& variable : editor_.variables()) {
    c_.variables->addItem(FromCp1252(variable));
  }
  c_.variables->setCurrentIndex(c_.variables->count() > 0 ? 0 : -1);
  // Without names there is nothing to insert but an empty pair of quotes.
  c_.add->setEnabled(c_.variables->count() > 0);

  connect(c_.list, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0) return;
    if (!MayLeave()) {
      const QSignalBlocker block(c_.list);
      c_.list->setCurrentRow(static_cast<int>(editor_.shown_line()));
      return;
    }
    ShowEntry(row);
  });
  connect(c_.add, &QPushButton::clicked, this, [this] { AddVariable(); });
  connect(c_.values, &QPlainTextEdit::textChanged, this, [this] { ShowHints(); });
  connect(c_.apply, &QPushButton::clicked, this, [this] { Apply(); });
  connect(c_.remove, &QPushButton::clicked, this, [this] { Delete(); });
  connect(c_.reset, &QPushButton::clicked, this,
          [this] { ShowEntry(static_cast<int64_t>(editor_.shown_line())); });
  connect(c_.close, &QPushButton::clicked, this, [this] { close(); });

  FillList();
  ShowEntry(-1);
  OrderFocusByPosition(this);
  FitToScreen(this);
}

void CalculationEditorWindow::FillList() {
  const QSignalBlocker block(c_.list);
  c_.list->clear();
  for (const std::string& line : editor_.ListLines()) c_.list->addItem(FromCp1252(line));
}

void CalculationEditorWindow::ShowEntry(int64_t line) {
  const size_t shown = editor_.Show(line);
  {
    const QSignalBlocker block(c_.list);
    c_.list->setCurrentRow(static_cast<int>(shown));
  }
  const EditorTexts texts = editor_.ShownTexts();
  c_.name->setText(FromCp1252(texts.name));
  c_.description->setPlainText(FromCp1252Lines(texts.description));
  c_.values->setPlainText(FromCp1252Lines(texts.values));
  c_.remove->setEnabled(editor_.CanDelete());
}

void CalculationEditorWindow::AddVariable() {
  const int variable = c_.variables->currentIndex();
  if (variable < 0) return;
  const int caret = c_.values->textCursor().selectionStart();
  const QTextBlock line = c_.values->document()->findBlock(caret);
  // Counted in bytes as the core sees the text, whatever Qt's units are.
  const size_t column = ToCp1252(line.text().left(caret - line.position())).size();
  const InsertedVariable inserted = InsertVariable(
      ToCp1252Lines(c_.values->toPlainText()), static_cast<size_t>(line.blockNumber()), column,
      editor_.variables()[static_cast<size_t>(variable)]);
  c_.values->setPlainText(FromCp1252Lines(inserted.text));
  // The new text came from single-byte characters: bytes and Qt's units agree.
  const QTextBlock same = c_.values->document()->findBlockByNumber(line.blockNumber());
  QTextCursor cursor(same);
  cursor.setPosition(same.position() + static_cast<int>(inserted.caret_column));
  c_.values->setTextCursor(cursor);
  c_.values->setFocus();
}

EditorTexts CalculationEditorWindow::Typed() const {
  return {ToCp1252(c_.name->text()), ToCp1252Lines(c_.description->toPlainText()),
          ToCp1252Lines(c_.values->toPlainText())};
}

bool CalculationEditorWindow::Apply() {
  // Checked before the texts become Windows-1252, where such a character
  // would silently turn into "?".
  const std::string refusal = ForeignCharacterRefusal({c_.name->text().toStdString(),
                                                       c_.description->toPlainText().toStdString(),
                                                       c_.values->toPlainText().toStdString()});
  if (!refusal.empty()) {
    MessageBoxes::Show(this, WindowTitle("Rechnungen"), QString::fromStdString(refusal),
                       MessageIcon::kError);
    return false;
  }
  const EditorSave result = editor_.Save(Typed());
  if (result != EditorSave::kSaved) {
    // The typed texts stay in the fields, so nothing is lost.
    MessageBoxes::Show(this, QString::fromLatin1(kFileErrorTitle),
                       FromCp1252(EditorSaveFailureText(result)));
    return false;
  }
  FillList();
  ShowEntry(static_cast<int64_t>(editor_.shown_line()));
  return true;
}

bool CalculationEditorWindow::MayLeave() {
  if (!editor_.HasUnsavedEdits(Typed())) return true;
  switch (MessageBoxes::Ask(this, WindowTitle("Rechnungen"),
                            FromCp1252(editor_.UnsavedEditsQuestion()), true)) {
    case Answer::kYes:
      return Apply();
    case Answer::kNo:
      return true;
    case Answer::kCancel:
      break;
  }
  return false;
}

void CalculationEditorWindow::Delete() {
  if (!editor_.CanDelete()) return;
  if (MessageBoxes::Ask(this, WindowTitle("Rechnungen"), FromCp1252(editor_.DeleteQuestion()),
                        false) != Answer::kYes) {
    return;
  }
  const EditorSave result = editor_.Delete();
  if (result != EditorSave::kSaved) {
    MessageBoxes::Show(this, QString::fromLatin1(kFileErrorTitle),
                       FromCp1252(EditorDeleteFailureText(result)));
    return;
  }
  FillList();
  ShowEntry(static_cast<int64_t>(editor_.shown_line()));
}

void CalculationEditorWindow::ShowHints() {
  c_.hints->clear();
  for (const ValuesHint& hint : editor_.Hints(ToCp1252Lines(c_.values->toPlainText()))) {
    c_.hints->addItem(FromCp1252(hint.text));
  }
}

void CalculationEditorWindow::closeEvent(QCloseEvent* event) {
  if (!MayLeave()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
  if (on_closed_) on_closed_();
}

}  // namespace wunt
