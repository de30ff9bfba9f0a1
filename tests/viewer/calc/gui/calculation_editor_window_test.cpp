// The calculation editor, opened from the wizard's "Bearbeiten": its opening
// state, creating and changing calculations that the wizard then offers,
// the insertion of names, "Zurücksetzen", a save that fails, live hints.
#include "viewer/calc/gui/calculation_editor_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <filesystem>
#include <string>

#include "common/file_util.h"
#include "tests/support/gui/gui_support.h"
#include "tests/support/gui/wizard_fixture.h"
#include "viewer/calc/calculations.h"
#include "viewer/platform/app_info.h"
#include "viewer/platform/dialogs.h"
#include "viewer/wizard/gui/main_window.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

class CalculationEditorGui : public test::WizardTest {
 protected:
  CalculationEditorGui() : WizardTest("calc_editor") {}
  void SetUp() override {
    WizardTest::SetUp();
    OpenWizard();
  }
  const MainWindow::Controls& wizard() const { return c(); }
  fs::path season() const { return folder_ / "Data" / "7"; }

  // Step 1 for `kind`, then "Bearbeiten" on tab 2.
  CalculationEditorWindow* Open(QRadioButton* kind) {
    kind->click();
    wizard().apply1->click();
    return Edit();
  }
  CalculationEditorWindow* Open() { return Open(wizard().kind_value); }
  // "Bearbeiten" on tab 2 as it stands.
  CalculationEditorWindow* Edit() {
    wizard().edit->click();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* editor = dynamic_cast<CalculationEditorWindow*>(widget); editor != nullptr) {
        if (editor->isVisible()) return editor;
      }
    }
    return nullptr;
  }

  static QStringList Lines(QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }
  static QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
  }
  static void Type(QWidget* field, const QString& text) {
    field->setFocus();
    QTest::keyClicks(field, text);
  }
};

TEST_F(CalculationEditorGui, OpensOnTheNewCalculationAndShowsEntriesTranslated) {
  CalculationEditorWindow* editor = Open();
  ASSERT_NE(editor, nullptr);
  const auto& c = editor->controls();
  EXPECT_FALSE(window_->isEnabled());
  EXPECT_EQ(editor->windowTitle(), QStringLiteral("WUNT2.1 Viewer (V0.05 Alpa 3) - Rechnungen"));
  EXPECT_EQ(editor->minimumSize(), editor->maximumSize());

  EXPECT_EQ(Lines(c.list),
            QStringList({"Besucherzahlen", "Jahresumsatz", "Gewinn", "Erlös je Gast",
                         "Eintrittspreise", "Zufriedenheit", "neue Rechnung erstellen"}));
  EXPECT_EQ(c.list->currentRow(), 6);
  EXPECT_EQ(c.name->text(), QStringLiteral("Unbenannt"));
  EXPECT_TRUE(c.description->toPlainText().isEmpty());
  EXPECT_TRUE(c.values->toPlainText().isEmpty());
  // The translated names in byte order: the umlaut name after all ASCII ones.
  const QStringList names = Items(c.variables);
  ASSERT_EQ(names.size(), 11);
  EXPECT_EQ(names.front(), QStringLiteral("Attraktionen"));
  EXPECT_EQ(names.back(), QStringLiteral("Zufriedenheit"));
  EXPECT_EQ(c.variables->currentIndex(), 0);
  EXPECT_LT(names.indexOf(QStringLiteral("Fläche")),
            names.indexOf(QStringLiteral("Gründungsjahr")));

  c.list->setCurrentRow(3);
  EXPECT_EQ(c.name->text(), QStringLiteral("Erlös je Gast"));
  EXPECT_EQ(c.values->toPlainText(),
            QStringLiteral("\"Umsatz\"*100/\"Besucher\" [/100] EUR = Erlös je Gast\n"));
  c.list->setCurrentRow(0);
  EXPECT_EQ(c.description->toPlainText(),
            QStringLiteral("Die Zahl der Gäste jedes Parks im Jahr.\nLeere Felder: der Park war "
                           "nicht geöffnet."));
  test::Screenshot(editor, "calculation_editor");

  c.close->click();
  ASSERT_TRUE(test::WaitFor([&] { return window_->isEnabled(); }));
  EXPECT_EQ(wizard().calculation->count(), 6);
}

TEST_F(CalculationEditorGui, ANewCalculationIsSavedSelectedAndOfferedByTheWizard) {
  CalculationEditorWindow* editor = Open();
  ASSERT_NE(editor, nullptr);
  const auto& c = editor->controls();
  // Typing umlauts is beyond the test keyboard; the field takes them pasted.
  c.name->setText(QStringLiteral("Gäste je Fläche"));
  Type(c.description, QStringLiteral("Erste Zeile"));
  QTest::keyClick(c.description, Qt::Key_Return);
  QTest::keyClicks(c.description, QStringLiteral("Zweite"));
  c.variables->setCurrentIndex(c.variables->findText(QStringLiteral("Besucher")));
  c.add->click();
  QTest::keyClicks(c.values, QStringLiteral("/"));
  c.variables->setCurrentIndex(c.variables->findText(QStringLiteral("Fläche")));
  c.add->click();
  QTest::keyClicks(c.values, QStringLiteral("= Dichte"));
  EXPECT_EQ(c.values->toPlainText(), QStringLiteral(" \"Besucher\" / \"Fläche\" = Dichte"));
  EXPECT_EQ(c.hints->count(), 0);
  c.apply->click();

  EXPECT_TRUE(MessageBoxes::TakeRecorded().empty());
  EXPECT_EQ(c.list->count(), 8);
  EXPECT_EQ(c.list->item(6)->text(), QStringLiteral("Gäste je Fläche"));
  EXPECT_EQ(c.list->item(7)->text(), QStringLiteral("neue Rechnung erstellen"));
  EXPECT_EQ(c.list->currentRow(), 6);
  EXPECT_EQ(c.name->text(), QStringLiteral("Gäste je Fläche"));
  EXPECT_EQ(c.description->toPlainText(), QStringLiteral("Erste Zeile\nZweite"));

  // Groups 1 to 9 exist: the new one is number 10, for content kind "Wert".
  const std::string file = ReadWholeFile(SaveDataPath(season())).value_or("");
  EXPECT_NE(file.find("[10_Calculation]\r\nDiagram = 0\r\nName = G\xe4ste je Fl\xe4"
                      "che\r\nDescription = Erste Zeile||Zweite\r\n"),
            std::string::npos)
      << file;
  LoadedCalculation loaded;
  ASSERT_EQ(LoadCalculation(season(), 10, window_->state().park_fields, loaded), 1);
  EXPECT_EQ(loaded.values[0].formula, "Besucher / Flaeche");
  EXPECT_EQ(loaded.values[0].label, "Dichte");

  c.close->click();
  ASSERT_TRUE(test::WaitFor([&] { return window_->isEnabled(); }));
  ASSERT_EQ(wizard().calculation->count(), 7);
  EXPECT_EQ(wizard().calculation->itemText(6), QStringLiteral("Gäste je Fläche"));
  wizard().calculation->setCurrentIndex(6);
  wizard().apply2->click();
  EXPECT_EQ(window_->state().calculation.number, 10);
  EXPECT_EQ(window_->state().calculation.value_count(), 1);
}

TEST_F(CalculationEditorGui, SavesAreBoundToTheContentKindTheEditorOpenedFor) {
  CalculationEditorWindow* editor = Open(wizard().kind_year);
  ASSERT_NE(editor, nullptr);
  const auto& c = editor->controls();
  ASSERT_EQ(c.list->count(), 3);
  Type(c.values, QStringLiteral("Personal = Leute"));
  c.apply->click();
  EXPECT_EQ(c.list->currentRow(), 2);
  const std::string file = ReadWholeFile(SaveDataPath(season())).value_or("");
  EXPECT_NE(file.find("[10_Calculation]\r\nDiagram = 2\r\nName = Unbenannt\r\n"), std::string::npos)
      << file;
}

TEST_F(CalculationEditorGui, ChangingAnExistingOneAndResettingUnsavedEdits) {
  // Step 2 applied with the calculation about to change, then back to it.
  wizard().apply1->click();
  wizard().calculation->setCurrentIndex(2);
  wizard().apply2->click();
  wizard().back3->click();
  ASSERT_TRUE(wizard().next2->isEnabled());
  CalculationEditorWindow* editor = Edit();
  ASSERT_NE(editor, nullptr);
  const auto& c = editor->controls();
  c.list->setCurrentRow(2);
  Type(c.name, QStringLiteral(" neu"));
  c.values->clear();
  Type(c.values, QStringLiteral("\"Umsatz\" = Nur Umsatz"));
  c.reset->click();
  EXPECT_EQ(c.name->text(), QStringLiteral("Gewinn"));
  EXPECT_EQ(
      c.values->toPlainText(),
      QStringLiteral("NoValueMerge = 1\n\"Umsatz\"-\"Ausgaben\" [-1000] TEUR = Jahresergebnis\n"));
  EXPECT_EQ(c.list->currentRow(), 2);
  EXPECT_EQ(c.hints->count(), 0);

  Type(c.name, QStringLiteral(" 2"));
  c.apply->click();
  EXPECT_EQ(c.list->count(), 7);
  EXPECT_EQ(c.list->currentRow(), 2);
  EXPECT_EQ(c.list->item(2)->text(), QStringLiteral("Gewinn 2"));
  CalculationList reloaded;
  LoadCalculationList(season(), ContentKind::kValue, reloaded);
  EXPECT_EQ(reloaded.entries.back().number, kClosingEntryNumber);
  EXPECT_EQ(reloaded.entries[reloaded.entries.size() - 2].name, "Gewinn 2");
  LoadedCalculation loaded;
  ASSERT_EQ(LoadCalculation(season(), 3, window_->state().park_fields, loaded), 1);
  EXPECT_EQ(loaded.values[0].formula, "Umsatz-Ausgaben");
  EXPECT_EQ(loaded.values[0].unit, " TEUR");
  // The stored "NoValueMerge" shows as a value line and comes back as such.
  EXPECT_FALSE(loaded.merge);

  c.close->click();
  ASSERT_TRUE(test::WaitFor([&] { return window_->isEnabled(); }));
  EXPECT_EQ(wizard().calculation->itemText(2), QStringLiteral("Gewinn 2"));
  EXPECT_EQ(wizard().calculation->currentIndex(), 2);
  // The values loaded before the change are not offered any more.
  EXPECT_FALSE(wizard().next2->isEnabled());
  wizard().apply2->click();
  EXPECT_EQ(window_->state().calculation.values[0].label, "Jahresergebnis");
  EXPECT_EQ(window_->step(), 2);
}

TEST_F(CalculationEditorGui, AddInsertsTheFramedNameAtTheCaret) {
  CalculationEditorWindow* editor = Open();
  ASSERT_NE(editor, nullptr);
  const auto& c = editor->controls();
  c.variables->setCurrentIndex(c.variables->findText(QStringLiteral("Fläche")));
  struct Case {
    QString text;
    int line;
    int column;
    int selected;  // characters selected from the caret on
    QString result;
    int caret_column;
  };
  const Case cases[] = {
      {"", 0, 0, 0, " \"Fläche\" ", 10},
      {"abcdef", 0, 3, 0, "abc \"Fläche\" def", 13},
      {"abcdef", 0, 1, 3, "a \"Fläche\" bcdef", 11},  // the selection stays
      {"x = 1\nÄrger = 2", 1, 5, 0, "x = 1\nÄrger \"Fläche\"  = 2", 15},
      {"x = 1\n", 1, 0, 0, "x = 1\n \"Fläche\" ", 10},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text.toStdString());
    c.values->setPlainText(k.text);
    const QTextBlock block = c.values->document()->findBlockByNumber(k.line);
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + k.column);
    cursor.setPosition(block.position() + k.column + k.selected, QTextCursor::KeepAnchor);
    c.values->setTextCursor(cursor);
    c.add->click();
    EXPECT_EQ(c.values->toPlainText(), k.result);
    EXPECT_EQ(c.values->textCursor().block().blockNumber(), k.line);
    EXPECT_EQ(c.values->textCursor().positionInBlock(), k.caret_column);
  }
}

TEST_F(CalculationEditorGui, AFailedSaveSaysSoAndKeepsTheTypedTexts) {
  CalculationEditorWindow* editor = Open();
  ASSERT_NE(editor, nullptr);
  const auto& c = editor->controls();
  // A folder where the file should be: as good as unwritable, also for root.
  const fs::path path = SaveDataPath(season());
  fs::remove(path);
  fs::create_directory(path);
  c.name->setText(QStringLiteral("Verloren?"));
  Type(c.values, QStringLiteral("\"Umsatz\" = U"));
  c.apply->click();

  const std::vector<ShownMessage> shown = MessageBoxes::TakeRecorded();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, QStringLiteral("Dateifehler"));
  EXPECT_TRUE(shown[0].text.contains(QStringLiteral("nicht gespeichert")))
      << shown[0].text.toStdString();
  EXPECT_EQ(c.name->text(), QStringLiteral("Verloren?"));
  EXPECT_EQ(c.values->toPlainText(), QStringLiteral("\"Umsatz\" = U"));
  EXPECT_EQ(c.list->count(), 7);
  EXPECT_EQ(c.list->currentRow(), 6);
  test::Screenshot(editor, "calculation_editor_save_failed");

  // Once the file is back, the same texts save.
  fs::remove(path);
  test::WriteBytes(path, "");
  c.apply->click();
  EXPECT_TRUE(MessageBoxes::TakeRecorded().empty());
  EXPECT_EQ(c.list->item(6)->text(), QStringLiteral("Verloren?"));
}

TEST_F(CalculationEditorGui, HintsFollowTheValuesAsTheyAreTyped) {
  CalculationEditorWindow* editor = Open();
  ASSERT_NE(editor, nullptr);
  const auto& c = editor->controls();
  Type(c.values, QStringLiteral("\"Umsatz\" = A"));
  EXPECT_EQ(c.hints->count(), 0);
  QTest::keyClick(c.values, Qt::Key_Return);
  QTest::keyClicks(c.values, QStringLiteral("Umsatzz = B"));
  ASSERT_EQ(c.hints->count(), 1);
  EXPECT_TRUE(c.hints->item(0)->text().startsWith(QStringLiteral("Zeile 2: Unbekannter Name")))
      << c.hints->item(0)->text().toStdString();
  test::Screenshot(editor, "calculation_editor_hints");
  QTest::keyClick(c.values, Qt::Key_Backspace);
  QTest::keyClick(c.values, Qt::Key_Backspace);
  QTest::keyClick(c.values, Qt::Key_Backspace);
  QTest::keyClick(c.values, Qt::Key_Backspace);
  QTest::keyClick(c.values, Qt::Key_Backspace);
  EXPECT_EQ(c.hints->count(), 1);  // "Umsatz" without "=": no value line
  QTest::keyClicks(c.values, QStringLiteral(" = B"));
  EXPECT_EQ(c.hints->count(), 0);
  // Hints never block saving.
  QTest::keyClick(c.values, Qt::Key_Return);
  QTest::keyClicks(c.values, QStringLiteral("(1 = C"));
  EXPECT_EQ(c.hints->count(), 1);
  c.apply->click();
  EXPECT_EQ(c.list->count(), 8);
}

TEST_F(CalculationEditorGui, TypedEditsAreDroppedOnlyWhenTheUserSaysSo) {
  struct Case {
    bool close;  // closing the window, or picking another entry
    Answer answer;
  };
  const Case cases[] = {{false, Answer::kCancel}, {false, Answer::kNo}, {false, Answer::kYes},
                        {true, Answer::kCancel},  {true, Answer::kNo},  {true, Answer::kYes}};
  wizard().apply1->click();
  for (const Case& k : cases) {
    SCOPED_TRACE(std::to_string(k.close) + " " + std::to_string(static_cast<int>(k.answer)));
    CalculationEditorWindow* editor = Edit();
    ASSERT_NE(editor, nullptr);
    const auto& c = editor->controls();
    c.list->setCurrentRow(1);
    const QString stored = c.name->text();
    Type(c.name, QStringLiteral(" 2"));
    MessageBoxes::SetNextAnswer(k.answer);
    if (k.close) {
      c.close->click();
    } else {
      c.list->setCurrentRow(0);
    }

    const std::vector<ShownMessage> shown = MessageBoxes::TakeRecorded();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Änderungen an \"" + stored + "\" übernehmen?");
    EXPECT_EQ(shown[0].icon, MessageIcon::kQuestion);
    const bool stays = k.answer == Answer::kCancel;
    EXPECT_EQ(editor->isVisible(), stays || !k.close);
    if (stays) {
      EXPECT_EQ(c.list->currentRow(), 1);
      EXPECT_EQ(c.name->text(), stored + " 2");
    } else if (!k.close) {
      EXPECT_EQ(c.list->currentRow(), 0);
    }
    CalculationList reloaded;
    LoadCalculationList(season(), ContentKind::kValue, reloaded);
    QStringList names;
    for (const auto& entry : reloaded.entries) names << FromCp1252(entry.name);
    EXPECT_TRUE(names.contains(k.answer == Answer::kYes ? stored + " 2" : stored))
        << names.join(", ").toStdString();
    EXPECT_EQ(names.contains(stored + " 2"), k.answer == Answer::kYes);
    if (editor->isVisible()) {
      c.reset->click();
      c.close->click();
    }
    ASSERT_TRUE(test::WaitFor([&] { return window_->isEnabled(); }));
    EXPECT_TRUE(MessageBoxes::TakeRecorded().empty());
  }
}

TEST_F(CalculationEditorGui, ACharacterWindows1252LacksIsRefusedByName) {
  struct Case {
    bool in_values;
    QString text;
    QString named;
  };
  const Case cases[] = {{true, QStringLiteral("\"Umsatz\" = Umsatz ≥ Ziel €"), "\"≥\" (U+2265)"},
                        {false, QStringLiteral("Gäste 😀"), "\"😀\" (U+1F600)"}};
  CalculationEditorWindow* editor = Open();
  ASSERT_NE(editor, nullptr);
  const auto& c = editor->controls();
  const std::string before = ReadWholeFile(SaveDataPath(season())).value_or("");
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text.toStdString());
    (k.in_values ? c.values->setPlainText(k.text) : c.name->setText(k.text));
    c.apply->click();
    const std::vector<ShownMessage> shown = MessageBoxes::TakeRecorded();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(k.named)) << shown[0].text.toStdString();
    EXPECT_EQ(k.in_values ? c.values->toPlainText() : c.name->text(), k.text);
    EXPECT_EQ(ReadWholeFile(SaveDataPath(season())).value_or(""), before);
    c.reset->click();
  }
}

TEST_F(CalculationEditorGui, DeletingAsksAndTheWizardsChooserFollows) {
  wizard().apply1->click();
  wizard().calculation->setCurrentIndex(2);  // "Gewinn", below the one deleted
  CalculationEditorWindow* editor = Edit();
  ASSERT_NE(editor, nullptr);
  const auto& c = editor->controls();
  EXPECT_FALSE(c.remove->isEnabled());  // "neue Rechnung erstellen"
  c.list->setCurrentRow(1);
  ASSERT_TRUE(c.remove->isEnabled());
  for (const Answer answer : {Answer::kNo, Answer::kYes}) {
    MessageBoxes::SetNextAnswer(answer);
    c.remove->click();
    const std::vector<ShownMessage> shown = MessageBoxes::TakeRecorded();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("Rechnung \"Jahresumsatz\" löschen?")))
        << shown[0].text.toStdString();
    EXPECT_EQ(c.list->item(1)->text(),
              answer == Answer::kNo ? QStringLiteral("Jahresumsatz") : QStringLiteral("Gewinn"));
  }
  EXPECT_EQ(c.list->count(), 6);
  EXPECT_EQ(c.name->text(), QStringLiteral("Gewinn"));

  c.close->click();
  ASSERT_TRUE(test::WaitFor([&] { return window_->isEnabled(); }));
  ASSERT_EQ(wizard().calculation->count(), 5);
  EXPECT_EQ(wizard().calculation->findText(QStringLiteral("Jahresumsatz")), -1);
  EXPECT_EQ(wizard().calculation->currentText(), QStringLiteral("Gewinn"));
}

}  // namespace
}  // namespace wunt
