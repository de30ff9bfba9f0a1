#include "viewer/calc/values_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/calc/calculations.h"

namespace wunt {
namespace {

TEST(InsertVariableTest, InsertsTheFramedNameAtTheCaret) {
  struct Case {
    const char* text;
    size_t line;
    size_t column;
    std::string result;
    size_t caret;
  };
  const Case cases[] = {
      {"", 0, 0, " \"Umsatz\" ", 10},
      {"abcdef", 0, 3, "abc \"Umsatz\" def", 13},
      {"abc = x\r\nde = y\r\n", 1, 2, "abc = x\r\nde \"Umsatz\"  = y\r\n", 12},
      {"a\nb\rc", 2, 0, "a\nb\r \"Umsatz\" c", 10},
      {"abc", 0, 99, "abc \"Umsatz\" ", 13},           // past the line's end
      {"ab\r\ncd", 7, 1, "ab\r\nc \"Umsatz\" d", 11},  // past the last line
      {"ab\r\n", 1, 0, "ab\r\n \"Umsatz\" ", 10},
  };
  for (const Case& c : cases) {
    const InsertedVariable inserted = InsertVariable(c.text, c.line, c.column, "Umsatz");
    EXPECT_EQ(inserted.text, c.result) << c.text;
    EXPECT_EQ(inserted.caret_column, c.caret) << c.text;
  }
}

TEST(LowestFreeCalculationNumberTest, SkipsTakenGroupsInAnyCase) {
  EXPECT_EQ(LowestFreeCalculationNumber({}), 1);
  EXPECT_EQ(LowestFreeCalculationNumber({"1_Calculation", "2_calculation", "4_Calculation"}), 3);
  EXPECT_EQ(LowestFreeCalculationNumber({"AttViewer", "01_Calculation", "Calculation"}), 1);
}

class ValuesHintTest : public testing::Test {
 protected:
  std::vector<ValuesHint> Check(const std::string& text) const {
    const DataFieldList fields = {{"ID", 0},     {"Name", 1},     {"Land", 0},
                                  {"Umsatz", 0}, {"Ausgaben", 0}, {"U", 0}};
    const std::vector<NameTableEntry> names = {{"Umsatz", "Umsatz in Euro"},
                                               {"Ausgaben", "Kosten"}};
    return CheckValuesText(text, names, fields);
  }
};

TEST_F(ValuesHintTest, SoundLinesGetNoHint) {
  for (const char* text : {
           "\"Umsatz in Euro\" = Umsatz\r\n",
           "\"Umsatz in Euro\"-\"Kosten\" [/1000] TEUR = Gewinn\r\n",
           "-\"Kosten\"+5 = Neg\r\n",
           "U/Parkanzahl = Je Park",
           "2*(-3+U) = Klammer",
           "1~16 = Wurzel",
           "Umsatz+ = Rest",  // the missing operand counts as 0: the value is Umsatz
           "NoValueMerge = 1\r\nNoValueMerge",  // the switch, as the editor shows it
           "\r\n\r\n   \r\n",
       }) {
    EXPECT_TRUE(Check(text).empty()) << text << ": " << Check(text).front().text;
  }
}

TEST_F(ValuesHintTest, EachCauseNamedWithItsLine) {
  struct Case {
    const char* text;
    int line;
    ValuesHintCause cause;
    bool always_zero;
    std::string hint;
  };
  const Case cases[] = {
      {"U = a\r\nUmsatz gesamt", 2, ValuesHintCause::kMissingEquals, true,
       "Zeile 2: Kein \x84=\x93, die ganze Zeile gilt als Formel und als Beschriftung, der Wert "
       "ist immer 0."},
      {"Umsatz", 1, ValuesHintCause::kMissingEquals, false,
       "Zeile 1: Kein \x84=\x93, die ganze Zeile gilt als Formel und als Beschriftung."},
      {"[U] = x", 1, ValuesHintCause::kNotStored, true,
       "Zeile 1: Beginnt mit \x84[\x93 oder \x84;\x93 und wird nicht gespeichert, der Wert ist "
       "immer 0."},
      {"Name = Anders", 1, ValuesHintCause::kSettingKey, false,
       "Zeile 1: \x84Name\x93 ist kein Wert, sondern ersetzt beim Laden die Angabe der "
       "Rechnung."},
      {"U = x\n Diagram", 2, ValuesHintCause::kSettingKey, false,
       "Zeile 2: \x84"
       "Diagram\x93 ist kein Wert, sondern ersetzt beim Laden die Angabe der Rechnung."},
      {"\n\n = Leer", 3, ValuesHintCause::kEmptyFormula, true,
       "Zeile 3: Keine Formel vor dem \x84=\x93, der Wert ist immer 0."},
      {"Umsatzz*2 = x", 1, ValuesHintCause::kUnknownName, true,
       "Zeile 1: Unbekannter Name \x84Umsatzz\x93, der Wert ist immer 0."},
      {"\"Besucher\" = x", 1, ValuesHintCause::kUnknownName, true,
       "Zeile 1: Unbekannter Name \x84"
       "Besucher\x93, der Wert ist immer 0."},
      {"3x = x", 1, ValuesHintCause::kUnknownName, true,
       "Zeile 1: Unbekannter Name \x84x\x93, der Wert ist immer 0."},
      {"Umsatz^U = x", 1, ValuesHintCause::kTwoFieldsInOneTerm, true,
       "Zeile 1: Zwei Felder ohne + - * / dazwischen, der Wert ist immer 0."},
      {"U*-2 = x", 1, ValuesHintCause::kMissingOperand, true,
       "Zeile 1: Operator ohne Operand, der Wert ist immer 0."},
      {"U* = x", 1, ValuesHintCause::kMissingOperand, true,
       "Zeile 1: Operator ohne Operand, der Wert ist immer 0."},
      {"*U = x", 1, ValuesHintCause::kMissingOperand, true,
       "Zeile 1: Operator ohne Operand, der Wert ist immer 0."},
      // The engine strips the surplus: not 0, but not what it looks like.
      {"(U+2 = x", 1, ValuesHintCause::kUnbalancedParentheses, false,
       "Zeile 1: Klammern nicht ausgeglichen."},
      {"U+2)*3 = x", 1, ValuesHintCause::kUnbalancedParentheses, false,
       "Zeile 1: Klammern nicht ausgeglichen."},
      {"U-U = x", 1, ValuesHintCause::kAlwaysZero, true,
       "Zeile 1: Die Formel ergibt f\xfcr jeden Eintrag 0."},
      {"\"U = x", 1, ValuesHintCause::kAlwaysZero, true,
       "Zeile 1: Die Formel ergibt f\xfcr jeden Eintrag 0."},
  };
  for (const Case& c : cases) {
    const std::vector<ValuesHint> hints = Check(c.text);
    ASSERT_EQ(hints.size(), 1u) << c.text;
    EXPECT_EQ(hints[0].line, c.line) << c.text;
    EXPECT_EQ(hints[0].cause, c.cause) << c.text;
    EXPECT_EQ(hints[0].always_zero, c.always_zero) << c.text;
    EXPECT_EQ(hints[0].text, c.hint) << c.text;
  }
}

TEST_F(ValuesHintTest, OneHintPerFaultyLine) {
  const std::vector<ValuesHint> hints =
      Check("U = gut\r\nFoo = schlecht\r\n\r\nU*0 = null\r\n\"Kosten\" = gut\r\n");
  ASSERT_EQ(hints.size(), 2u);
  EXPECT_EQ(hints[0].line, 2);
  EXPECT_EQ(hints[1].line, 4);
}

}  // namespace
}  // namespace wunt
