#include "viewer/calc/calculation_editor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "common/file_util.h"
#include "tests/support/scratch_folder.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

constexpr char kSaveData[] =
    "[1_Calculation]\r\n"
    "Diagram = 0\r\n"
    "Name = Umsatz\r\n"
    "Description = Erste||Zweite\r\n"
    " Revenue [/100] EUR = Umsatz\r\n"
    "[2_Calculation]\r\n"
    "Diagram = 1\r\n"
    "Name = Profil\r\n"
    " U = Kurz\r\n"
    "[4_Calculation]\r\n"
    "Diagram = 0\r\n"
    "Name = Je Park\r\n"
    " Revenue/Parkanzahl = Je Park\r\n";

// "U" stands beside "Revenue" and is a prefix of nothing; "Zahl" and the
// umlaut name check the byte order of the chooser.
constexpr char kTranslation[] =
    "Revenue = Zahl\r\n"
    "U = \xc4rger\r\n"
    "Visitors = G\xe4ste\r\n"
    "[Countrys]\r\n"
    "1 = Land\r\n";

class CalculationEditorTest : public testing::Test {
 protected:
  void SetUp() override {
    test::WriteBytes(scratch_ / "SaveData.ini", kSaveData);
    test::WriteBytes(scratch_ / "Translation.txt", kTranslation);
  }
  // The list as the wizard's step 1 leaves it.
  CalculationList ListFor(ContentKind kind) const {
    CalculationList list;
    LoadCalculationList(scratch_.path(), kind, list);
    return list;
  }
  static DataFieldList ParkFields() {
    DataFieldList fields;
    for (const char* name : {"ID", "Name", "Country", "Revenue", "Visitors", "U"}) {
      fields.push_back({name, 0});
    }
    return fields;
  }
  std::string SaveData() const {
    return ReadWholeFile(SaveDataPath(scratch_.path())).value_or("<none>");
  }

  test::ScratchFolder scratch_;
};

TEST_F(CalculationEditorTest, OpensOnTheNewCalculationWithTheSortedNames) {
  CalculationList list = ListFor(ContentKind::kValue);
  CalculationEditor editor(scratch_.path(), ContentKind::kValue, ParkFields(), list);
  EXPECT_EQ(editor.ListLines(),
            (std::vector<std::string>{"Umsatz", "Je Park", "neue Rechnung erstellen"}));
  EXPECT_EQ(editor.variables(), (std::vector<std::string>{"G\xe4ste", "Zahl", "\xc4rger"}));

  // Lines out of range mean the new calculation, which shows "Unbenannt".
  for (const int64_t line : {int64_t{-1}, int64_t{3}, int64_t{99}}) {
    EXPECT_EQ(editor.Show(line), 2u) << line;
    EXPECT_EQ(editor.ShownTexts(), (EditorTexts{"Unbenannt", "", ""})) << line;
  }
  EXPECT_EQ(editor.Show(0), 0u);
  EXPECT_EQ(list.current, 0u);
  EXPECT_EQ(editor.ShownTexts(),
            (EditorTexts{"Umsatz", "Erste\r\nZweite", "\"Zahl\" [/100] EUR = Umsatz\r\n"}));
}

TEST_F(CalculationEditorTest, ANewCalculationTakesTheFreeNumberAndTheClosingLine) {
  // Opened for "Jahr": the list holds only the closing entry.
  CalculationList list = ListFor(ContentKind::kYear);
  CalculationEditor editor(scratch_.path(), ContentKind::kYear, ParkFields(), list);
  editor.Show(-1);
  ASSERT_EQ(editor.Save({"Neu", "Eins\nZwei", "\"Zahl\"/\"\xc4rger\" = Quote\n\n\"G\xe4ste\" ="}),
            EditorSave::kSaved);
  EXPECT_TRUE(editor.saved_any());
  EXPECT_EQ(editor.ListLines(), (std::vector<std::string>{"Neu", "neue Rechnung erstellen"}));
  EXPECT_EQ(editor.shown_line(), 0u);
  EXPECT_EQ(list.entries[0].number, 3);
  // The list holds the texts as a load would give them.
  EXPECT_EQ(
      editor.ShownTexts(),
      (EditorTexts{"Neu", "Eins\r\nZwei", "\"Zahl\"/\"\xc4rger\" = Quote\r\n\r\n\"G\xe4ste\" ="}));
  EXPECT_NE(SaveData().find("[3_Calculation]\r\n"
                            "Diagram = 2\r\n"
                            "Name = Neu\r\n"
                            "Description = Eins||Zwei\r\n"
                            " Revenue/U  =  Quote\r\n"
                            " Visitors  = \r\n"),
            std::string::npos)
      << SaveData();

  LoadedCalculation loaded;
  ASSERT_EQ(LoadCalculation(scratch_.path(), 3, ParkFields(), loaded), 2);
  EXPECT_EQ(loaded.values[0].formula, "Revenue/U");
  EXPECT_EQ(loaded.values[0].label, "Quote");
  EXPECT_EQ(loaded.terms[0].field_number, 3);
  EXPECT_EQ(loaded.terms[1].field_number, 5);
  EXPECT_EQ(loaded.values[1].label, "Visitors");

  // The next new one goes on the closing line again, below the first.
  editor.Show(-1);
  ASSERT_EQ(editor.Save({"Noch eine", "", ""}), EditorSave::kSaved);
  EXPECT_EQ(editor.ListLines(),
            (std::vector<std::string>{"Neu", "Noch eine", "neue Rechnung erstellen"}));
  EXPECT_EQ(editor.shown_line(), 1u);
  EXPECT_EQ(list.entries[1].number, 5);
}

TEST_F(CalculationEditorTest, ADeletedCalculationLeavesTheFileAndFreesItsNumber) {
  CalculationList list = ListFor(ContentKind::kValue);
  CalculationEditor editor(scratch_.path(), ContentKind::kValue, ParkFields(), list);
  editor.Show(-1);
  EXPECT_FALSE(editor.CanDelete());
  EXPECT_EQ(editor.Delete(), EditorSave::kNotWritten);  // the closing entry stays
  editor.Show(0);
  ASSERT_EQ(editor.Delete(), EditorSave::kSaved);
  EXPECT_TRUE(editor.saved_any());
  EXPECT_EQ(editor.ListLines(), (std::vector<std::string>{"Je Park", "neue Rechnung erstellen"}));
  EXPECT_EQ(editor.ShownTexts().name, "Je Park");
  EXPECT_EQ(SaveData().find("Umsatz"), std::string::npos) << SaveData();
  EXPECT_NE(SaveData().find("[2_Calculation]"), std::string::npos);

  editor.Show(-1);
  ASSERT_EQ(editor.Save({"Neu", "", ""}), EditorSave::kSaved);
  EXPECT_EQ(list.entries[1].number, 1);
}

TEST_F(CalculationEditorTest, AFailedSaveChangesNothingAndSaysWhy) {
  struct Case {
    const char* name;
    std::function<bool(const fs::path&)> break_file;  // false: cannot here
    EditorSave result;
  };
  const Case cases[] = {
      {"missing", [](const fs::path& path) { return fs::remove(path); }, EditorSave::kNoSaveData},
      {"a folder",
       [](const fs::path& path) { return fs::remove(path) && fs::create_directory(path); },
       EditorSave::kNotWritten},
      {"read-only",
       [](const fs::path& path) {
         fs::permissions(path, fs::perms::owner_read);
         return ::geteuid() != 0;  // root writes read-only files
       },
       EditorSave::kNotWritten},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = SaveDataPath(scratch_.path());
    std::error_code error;
    fs::remove_all(path, error);
    test::WriteBytes(path, kSaveData);
    CalculationList list = ListFor(ContentKind::kValue);
    CalculationEditor editor(scratch_.path(), ContentKind::kValue, ParkFields(), list);
    editor.Show(-1);
    if (!c.break_file(path)) continue;
    EXPECT_EQ(editor.Save({"Neu", "", "U = x"}), c.result);
    EXPECT_FALSE(editor.saved_any());
    EXPECT_EQ(list.entries.size(), 3u);
    EXPECT_EQ(editor.shown_line(), 2u);
    const std::string text = EditorSaveFailureText(c.result);
    EXPECT_NE(text.find("nicht gespeichert"), std::string::npos) << text;
    EXPECT_NE(text.find("SaveData.ini"), std::string::npos) << text;
  }
  EXPECT_NE(EditorSaveFailureText(EditorSave::kNoSaveData),
            EditorSaveFailureText(EditorSave::kNotWritten));
}

TEST_F(CalculationEditorTest, HintsReadTheNamesAsTheEditorShowsThem) {
  CalculationList list = ListFor(ContentKind::kValue);
  const CalculationEditor editor(scratch_.path(), ContentKind::kValue, ParkFields(), list);
  EXPECT_TRUE(editor.Hints("\"Zahl\"/\"\xc4rger\" = Quote\r\nU*2 = Doppelt").empty());
  const std::vector<ValuesHint> hints = editor.Hints("\"Zahl\" = a\n\"Zahlen\" = b\nkein Gleich");
  ASSERT_EQ(hints.size(), 2u);
  EXPECT_EQ(hints[0].line, 2);
  EXPECT_EQ(hints[0].cause, ValuesHintCause::kUnknownName);
  EXPECT_EQ(hints[1].line, 3);
  EXPECT_EQ(hints[1].cause, ValuesHintCause::kMissingEquals);
}

TEST(CalculationEditorListTest, AnUnloadedListGetsItsClosingEntry) {
  test::ScratchFolder scratch;
  CalculationList list;
  CalculationEditor editor(scratch.path(), ContentKind::kValue, {}, list);
  EXPECT_EQ(editor.ListLines(), std::vector<std::string>{"neue Rechnung erstellen"});
  EXPECT_TRUE(editor.variables().empty());
  EXPECT_EQ(editor.Show(0), 0u);
  EXPECT_EQ(editor.ShownTexts().name, "Unbenannt");
  EXPECT_EQ(editor.Save({"x", "", ""}), EditorSave::kNoSaveData);
}

}  // namespace
}  // namespace wunt
