#include "viewer/calc/calculations.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/file_util.h"
#include "tests/support/scratch_folder.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

class CalculationFileTest : public testing::Test {
 protected:
  void Write(const char* name, const std::string& bytes) {
    ASSERT_TRUE(WriteFileAtomically(folder_ / name, bytes));
  }
  std::string SaveData() const { return ReadWholeFile(SaveDataPath(folder_)).value_or("<none>"); }

  // Park schema: the fixed first three fields, then the ones formulas use.
  // "B" stands before "Bx" on purpose.
  static DataFieldList ParkFields() {
    DataFieldList fields;
    for (const char* name : {"ID", "Name", "Country", "Revenue", "Visitors", "B", "Bx"}) {
      fields.push_back({name, 0});
    }
    return fields;
  }

  test::ScratchFolder scratch_;
  const fs::path& folder_ = scratch_.path();
};

constexpr char kSaveData[] =
    "[AttViewer]\r\n"
    "Sort = 1\r\n"
    "[1_Calculation]\r\n"
    "Diagram = 0\r\n"
    "Name = Umsatz\r\n"
    "Description = Erste Zeile||Zweite Zeile\r\n"
    "Revenue = Umsatz\r\n"
    "[7_Calculation]\r\n"
    "Diagram = 2\r\n"
    "Name = Jahr\r\n"
    "Revenue = R\r\n"
    "[Calculation]\r\n"
    "Name = Ohne Art\r\n"
    "Revenue/Parkanzahl = Je Park\r\n"
    "NoValueMerge =\r\n"
    "[5_Calculation]\r\n"
    "[3_calculation]\r\n"
    "Diagram = 0\r\n"
    "Name = Klein\r\n";

TEST_F(CalculationFileTest, ListOffersTheCalculationsOfTheContentKind) {
  Write("SaveData.ini", kSaveData);
  const struct {
    ContentKind content_kind;
    std::vector<int32_t> numbers;
  } cases[] = {{ContentKind::kValue, {1, 0, 3, -1}},
               {ContentKind::kPark, {0, -1}},
               {ContentKind::kYear, {7, 0, -1}}};
  for (const auto& c : cases) {
    CalculationList list;
    EXPECT_EQ(LoadCalculationList(folder_, c.content_kind, list), c.numbers.size());
    std::vector<int32_t> numbers;
    for (const auto& entry : list.entries) numbers.push_back(entry.number);
    EXPECT_EQ(numbers, c.numbers) << "content kind " << static_cast<int>(c.content_kind);
    EXPECT_EQ(list.current, list.entries.size() - 1);
    EXPECT_EQ(list.entries.back().name, "Unbenannt");
  }
}

TEST_F(CalculationFileTest, ListEntriesCarryNameDescriptionAndTranslatedValues) {
  Write("SaveData.ini", kSaveData);
  Write("Translation.txt", "Revenue = Umsatz in Euro\r\n[Countrys]\r\n1 = Land\r\n");
  CalculationList list;
  LoadCalculationList(folder_, ContentKind::kValue, list);
  ASSERT_EQ(list.entries.size(), 4u);
  EXPECT_EQ(list.entries[0].name, "Umsatz");
  EXPECT_EQ(list.entries[0].description, "Erste Zeile\r\nZweite Zeile");
  EXPECT_EQ(list.entries[0].values_text, "\"Umsatz in Euro\" = Umsatz\r\n");
  EXPECT_EQ(list.entries[1].values_text,
            "\"Umsatz in Euro\"/Parkanzahl = Je Park\r\nNoValueMerge = \r\n");
  EXPECT_EQ(list.entries[3].values_text, "");
}

TEST_F(CalculationFileTest, MissingFileListsOnlyTheClosingEntry) {
  CalculationList list;
  list.entries.resize(3);
  EXPECT_EQ(LoadCalculationList(folder_, ContentKind::kValue, list), 1u);
  EXPECT_EQ(list.entries[0].number, -1);
  EXPECT_EQ(list.entries[0].name, "Unbenannt");
}

TEST_F(CalculationFileTest, LoadReadsValuesFormatsAndTerms) {
  Write("SaveData.ini",
        "[2_Calculation]\r\n"
        "Diagram = 0\r\n"
        "Name = N\r\n"
        "Revenue/Parkanzahl = Umsatz je Park\r\n"
        "Visitors [/100] EUR =\r\n"
        "-Revenue + 5 = Neg\r\n"
        "Bx^B = Cut\r\n"
        "NoValueMerge = 1\r\n");
  LoadedCalculation calc;
  ASSERT_EQ(LoadCalculation(folder_, 2, ParkFields(), calc), 4);
  EXPECT_FALSE(calc.merge);

  const struct {
    const char* label;
    const char* formula;
    const char* format;
    const char* unit;
  } values[] = {
      {"Umsatz je Park", "Revenue/Parkanzahl", "", ""},
      {"Visitors [/100] EUR", "Visitors", "/100", " EUR"},
      {"Neg", "-Revenue + 5", "", ""},
      {"Cut", "Bx^B", "", ""},
  };
  for (size_t i = 0; i < std::size(values); ++i) {
    EXPECT_EQ(calc.values[i].label, values[i].label) << i;
    EXPECT_EQ(calc.values[i].formula, values[i].formula) << i;
    EXPECT_EQ(calc.values[i].display_format, values[i].format) << i;
    EXPECT_EQ(calc.values[i].unit, values[i].unit) << i;
  }

  const struct {
    const char* text;
    int32_t field;
    char op;
  } terms[] = {
      {"@3", 3, '/'},  {"Parkanzahl", -1, 0},                // value 1
      {"@4", 4, 0},                                          // value 2
      {"", -1, '-'},   {"@3", 3, '+'},        {"5", -1, 0},  // value 3
      {"@6^@5", 6, 0},                                       // value 4: "B" leaves "Bx"
  };
  ASSERT_EQ(calc.terms.size(), std::size(terms));
  for (size_t i = 0; i < std::size(terms); ++i) {
    EXPECT_EQ(calc.terms[i].text, terms[i].text) << i;
    EXPECT_EQ(calc.terms[i].field_number, terms[i].field) << i;
    EXPECT_EQ(calc.terms[i].op, terms[i].op) << i;
  }
}

TEST_F(CalculationFileTest, LoadFindsNothingForMissingGroupsAndTheClosingEntry) {
  Write("SaveData.ini", "[-1_Calculation]\r\nRevenue = R\r\n[1_Calculation]\r\nRevenue = R\r\n");
  LoadedCalculation calc;
  EXPECT_EQ(LoadCalculation(folder_, -1, ParkFields(), calc), 0);
  EXPECT_TRUE(calc.terms.empty());
  EXPECT_TRUE(calc.merge);
  EXPECT_EQ(LoadCalculation(folder_, 9, ParkFields(), calc), 0);
  EXPECT_EQ(LoadCalculation(folder_, 1, ParkFields(), calc), 1);
  fs::remove(SaveDataPath(folder_));
  EXPECT_EQ(LoadCalculation(folder_, 1, ParkFields(), calc), 0);
}

TEST(TermCuttingTest, CutsAtTheFourOperatorsOnly) {
  const struct {
    const char* formula;
    std::vector<std::pair<std::string, char>> terms;
  } cases[] = {
      {"", {{"", 0}}},
      {"5+", {{"5", '+'}, {"", 0}}},
      {"(a + b) * c", {{"(a", '+'}, {"b)", '*'}, {"c", 0}}},
      {"2^3~4", {{"2^3~4", 0}}},
      {" - x", {{"", '-'}, {"x", 0}}},
  };
  for (const auto& c : cases) {
    LoadedCalculation calc;
    AppendValue(calc, c.formula, "L");
    std::vector<std::pair<std::string, char>> terms;
    for (const Term& t : calc.terms) terms.emplace_back(t.text, t.op);
    EXPECT_EQ(terms, c.terms) << c.formula;
  }
}

TEST(TermCuttingTest, KeyWithBracketsButNoOpeningOne) {
  LoadedCalculation calc;
  AppendValue(calc, "Revenue] Mio", "");
  EXPECT_EQ(calc.values[0].formula, "");
  EXPECT_EQ(calc.values[0].unit, " Mio");
  EXPECT_EQ(calc.values[0].label, "Revenue] Mio");
}

TEST_F(CalculationFileTest, SavingANewCalculationTakesTheLowestFreeNumber) {
  Write("SaveData.ini",
        "[1_Calculation]\r\nName = A\r\n[2_Calculation]\r\nName = B\r\n"
        "[4_Calculation]\r\nName = D\r\n");
  CalculationList list;
  LoadCalculationList(folder_, ContentKind::kPark, list);
  ASSERT_EQ(list.entries.size(), 4u);
  ASSERT_TRUE(SaveCalculation(folder_, ContentKind::kPark, "Neu", "Satz eins\r\nSatz zwei",
                              "F = L\r\nG=\r\n", list));
  ASSERT_EQ(list.entries.size(), 5u);
  EXPECT_EQ(list.current, 3u);
  EXPECT_EQ(list.entries[3].number, 3);
  EXPECT_EQ(list.entries[3].name, "Neu");
  EXPECT_EQ(list.entries[3].values_text, "F = L\r\nG=\r\n");
  EXPECT_EQ(list.entries[4].number, -1);
  EXPECT_EQ(SaveData(),
            "[1_Calculation]\r\nName = A\r\n[2_Calculation]\r\nName = B\r\n"
            "[4_Calculation]\r\nName = D\r\n"
            "[3_Calculation]\r\nDiagram = 1\r\nName = Neu\r\n"
            "Description = Satz eins||Satz zwei\r\n F  =  L\r\n G = \r\n");
}

TEST_F(CalculationFileTest, SavingAnExistingCalculationRewritesItAtTheEnd) {
  Write("SaveData.ini",
        "[1_Calculation]\r\nDiagram = 0\r\nName = A\r\nOld = X\r\n"
        "[AttViewer]\r\nSort = 2\r\n");
  Write("Translation.txt", "Revenue = Umsatz in Euro\r\n");
  CalculationList list;
  LoadCalculationList(folder_, ContentKind::kValue, list);
  list.current = 0;
  const std::string shown = "\"Umsatz in Euro\" / Parkanzahl = Je Park\r\n";
  ASSERT_TRUE(SaveCalculation(folder_, ContentKind::kValue, "A2", "", shown, list));
  EXPECT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(list.entries[0].values_text, shown);
  EXPECT_EQ(SaveData(),
            "[AttViewer]\r\nSort = 2\r\n"
            "[1_Calculation]\r\nDiagram = 0\r\nName = A2\r\nDescription = \r\n"
            " Revenue / Parkanzahl  =  Je Park\r\n");

  // What was saved reads back as the editor showed it.
  CalculationList again;
  LoadCalculationList(folder_, ContentKind::kValue, again);
  EXPECT_EQ(again.entries[0].values_text, "\"Umsatz in Euro\" / Parkanzahl = Je Park\r\n");
}

TEST_F(CalculationFileTest, SavingWithoutTheFileStoresNothing) {
  CalculationList list;
  LoadCalculationList(folder_, ContentKind::kValue, list);
  EXPECT_FALSE(SaveCalculation(folder_, ContentKind::kValue, "X", "", "F = L", list));
  EXPECT_EQ(list.entries.size(), 1u);
  EXPECT_FALSE(fs::exists(SaveDataPath(folder_)));
}

TEST_F(CalculationFileTest, SavedValueLinesReadBack) {
  Write("SaveData.ini", "");
  CalculationList list;
  LoadCalculationList(folder_, ContentKind::kValue, list);
  // LF-only breaks, a label holding "=", a line without "=", a key twice
  // apart from case, a merge switch typed as a value line, and lines that
  // would read back as a group or a comment.
  const std::string text =
      "Revenue = Umsatz = Einnahmen\n"
      "Visitors\n"
      "  \n"
      "[x] = y\r\n"
      ";Visitors = z\r\n"
      "B = erst\r\n"
      "b = dann\r\n"
      "NoValueMerge = \r\n";
  ASSERT_TRUE(SaveCalculation(folder_, ContentKind::kValue, "Zeilen\nName", "a\nb\rc", text, list));
  LoadedCalculation calc;
  ASSERT_EQ(LoadCalculation(folder_, 1, ParkFields(), calc), 3);
  EXPECT_EQ(calc.values[0].label, "Umsatz = Einnahmen");
  EXPECT_EQ(calc.values[1].label, "Visitors");
  EXPECT_EQ(calc.values[2].formula, "b");
  EXPECT_EQ(calc.values[2].label, "dann");
  EXPECT_FALSE(calc.merge);

  CalculationList again;
  LoadCalculationList(folder_, ContentKind::kValue, again);
  EXPECT_EQ(again.entries[0].name, "Zeilen Name");
  EXPECT_EQ(again.entries[0].description, "a\r\nb\r\nc");
}

}  // namespace
}  // namespace wunt
