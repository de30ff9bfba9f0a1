// Names in formula texts are replaced only where they stand whole: the name
// table in both directions and the park field names of the terms.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/demo/demo_season.h"
#include "common/file_util.h"
#include "common/season_layout.h"
#include "common/text.h"
#include "tests/support/scratch_folder.h"
#include "viewer/calc/calculations.h"
#include "viewer/data/translation.h"
#include "viewer/data/whole_names.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

TEST(WholeNamesTest, NameBytes) {
  for (char c : std::string("azAZ09_\xc4\xd6\xdc\xe4\xf6\xfc\xdf\xc0\xff\x8a\x9a")) {
    EXPECT_TRUE(IsNameByte(c)) << static_cast<int>(static_cast<unsigned char>(c));
  }
  for (char c : std::string(" \"()[]+-*/^~@=.,;\r\n\t\xd7\xf7\xa0\x80")) {
    EXPECT_FALSE(IsNameByte(c)) << static_cast<int>(static_cast<unsigned char>(c));
  }
}

TEST(WholeNamesTest, DisplayDirection) {
  const std::vector<NameTableEntry> table = {
      {"U", "Umsatz"},
      {"Umsatz", "Umsatz in Euro"},
      {"Fl\xe4"
       "che",
       "Gr\xf6\xdf"
       "e"},
      {"A", "B"},
      {"B", "C"},
      {"Vis", "Kurz"},
      {"Visitors", "Besucher"},
  };
  struct Case {
    const char* text;
    const char* shown;
  };
  const Case cases[] = {
      // A short field name must not cut a longer one: "U" beside "Umsatz".
      {"Umsatz [/100] EUR = U", "\"Umsatz in Euro\" [/100] EUR = \"Umsatz\""},
      {"U/Parkanzahl = Je Park", "\"Umsatz\"/Parkanzahl = Je Park"},
      {"U_2+U2+2U+U = x", "U_2+U2+2U+\"Umsatz\" = x"},
      // Umlauts are letters: "U" before "\xdc" or after "\xe4" is no name.
      {"\xe4U+U\xfc+(U)", "\xe4U+U\xfc+(\"Umsatz\")"},
      {"Fl\xe4"
       "che*2",
       "\"Gr\xf6\xdf"
       "e\"*2"},
      {"Fl\xe4"
       "chen*2",
       "Fl\xe4"
       "chen*2"},
      // Chains: replaced text is not looked at again.
      {"A+B = A", "\"B\"+\"C\" = \"B\""},
      // Longest first, whatever the file order.
      {"Visitors/Vis", "\"Besucher\"/\"Kurz\""},
      // Inside quotes and at line ends, across CR LF.
      {"\"U\"\r\nU\r\nx = U", "\"\"Umsatz\"\"\r\n\"Umsatz\"\r\nx = \"Umsatz\""},
      {"", ""},
  };
  for (const Case& c : cases) {
    const std::string shown = TranslateToDisplay(c.text, table);
    EXPECT_EQ(shown, c.shown) << c.text;
    if (std::string(c.text).find('"') == std::string::npos) {
      EXPECT_EQ(TranslateToInternal(shown, table), c.text) << c.text;
    }
  }
}

TEST(WholeNamesTest, InternalDirection) {
  const std::vector<NameTableEntry> table = {
      {"Besucher", "Besucher"}, {"Gaeste", "Besucher"}, {"A", "B"}, {"B", "C"}, {"X", "Umsatz"}};
  struct Case {
    const char* shown;
    const char* text;
  };
  const Case cases[] = {
      // Two names for one display text: the earlier line wins, as before.
      {"\"Besucher\"*2", "Besucher*2"},
      {"\"B\"+\"C\"", "A+B"},
      // Quoted display texts need no boundary: the quotes are one.
      {"2\"Umsatz\"x", "2Xx"},
      {"Umsatz+\"Umsatz \"", "Umsatz+\"Umsatz \""},
      {"\"Umsatz\"\r\n", "X\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(TranslateToInternal(c.shown, table), c.text) << c.shown;
}

TEST(WholeNamesTest, FieldNamesResolveWhole) {
  DataFieldList fields;
  for (const char* name : {"ID", "Name", "Land", "U", "Umsatz", "Park",
                           "Fl\xe4"
                           "che"}) {
    fields.push_back({name, 0});
  }
  struct Case {
    const char* formula;
    std::vector<std::string> texts;
    std::vector<int32_t> numbers;
  };
  const Case cases[] = {
      {"Umsatz", {"@4"}, {4}},
      {"U/Parkanzahl", {"@3", "Parkanzahl"}, {3, -1}},
      {"Umsatz^U", {"@4^@3"}, {4}},
      {"Park*2", {"@5", "2"}, {5, -1}},
      {"Fl\xe4"
       "che+Fl\xe4"
       "cheU",
       {"@6",
        "Fl\xe4"
        "cheU"},
       {6, -1}},
      {"(Umsatz)", {"(@4)"}, {4}},
  };
  for (const Case& c : cases) {
    LoadedCalculation calc;
    AppendValue(calc, c.formula, "");
    ResolveFieldNames(calc, fields);
    ASSERT_EQ(calc.terms.size(), c.texts.size()) << c.formula;
    for (size_t i = 0; i < c.texts.size(); ++i) {
      EXPECT_EQ(calc.terms[i].text, c.texts[i]) << c.formula;
      EXPECT_EQ(calc.terms[i].field_number, c.numbers[i]) << c.formula;
    }
  }
}

// The line-after-line plain replacement the name table used to get: every
// text it handled correctly must come out the same.
std::string PlainDisplay(std::string text, const std::vector<NameTableEntry>& table) {
  for (const NameTableEntry& e : table)
    text = ReplaceAll(text, e.internal_name, "\"" + e.display_text + "\"");
  return text;
}

TEST(WholeNamesTest, DemoSeasonTextsUnchangedAndSurviveASave) {
  const test::ScratchFolder scratch;
  const fs::path data = scratch / "Data";
  DemoSeasonOptions options = test::SmallSeason(5, 2, 1);
  options.max_placed = 1;
  ASSERT_NO_FATAL_FAILURE(test::WriteDemoData(data, options));
  const fs::path folder = SeasonFolder(data, options.season);
  const std::vector<NameTableEntry> table = LoadNameTable(folder);
  ASSERT_FALSE(table.empty());
  const std::string before = ReadWholeFile(SaveDataPath(folder)).value_or("");
  for (const ContentKind kind : {ContentKind::kValue, ContentKind::kPark, ContentKind::kYear}) {
    CalculationList list;
    LoadCalculationList(folder, kind, list);
    for (list.current = 0; list.current + 1 < list.entries.size(); ++list.current) {
      const CalculationListEntry entry = list.entries[list.current];
      EXPECT_EQ(entry.values_text,
                PlainDisplay(TranslateToInternal(entry.values_text, table), table));
      ASSERT_TRUE(
          SaveCalculation(folder, kind, entry.name, entry.description, entry.values_text, list));
    }
  }
  // Saving what was shown, unchanged, writes the same keys again.
  const std::string after = ReadWholeFile(SaveDataPath(folder)).value_or("");
  for (const ContentKind kind : {ContentKind::kValue, ContentKind::kPark, ContentKind::kYear}) {
    CalculationList first, second;
    ASSERT_TRUE(WriteFileAtomically(SaveDataPath(folder), before));
    LoadCalculationList(folder, kind, first);
    ASSERT_TRUE(WriteFileAtomically(SaveDataPath(folder), after));
    LoadCalculationList(folder, kind, second);
    ASSERT_EQ(first.entries.size(), second.entries.size());
    for (size_t i = 0; i < first.entries.size(); ++i) {
      EXPECT_EQ(first.entries[i].values_text, second.entries[i].values_text) << i;
    }
  }
  fs::remove_all(data);
}

class ChainedNamesTest : public testing::Test {
 protected:
  test::ScratchFolder scratch_;
  const fs::path& folder_ = scratch_.path();
};

TEST_F(ChainedNamesTest, ChainedNamesSurviveSaveAndLoad) {
  ASSERT_TRUE(WriteFileAtomically(folder_ / "Translation.txt",
                                  "A = B\r\nB = C\r\nU = Umsatz\r\n[Countrys]\r\n1 = X\r\n"));
  ASSERT_TRUE(WriteFileAtomically(SaveDataPath(folder_), ""));
  CalculationList list;
  LoadCalculationList(folder_, ContentKind::kValue, list);
  ASSERT_TRUE(SaveCalculation(folder_, ContentKind::kValue, "N", "",
                              "\"B\"/\"C\" = Quote\r\n\"Umsatz\"*U = Zwei\r\n", list));
  EXPECT_NE(ReadWholeFile(SaveDataPath(folder_))->find(" A/B  =  Quote\r\n U*U  =  Zwei\r\n"),
            std::string::npos);
  LoadCalculationList(folder_, ContentKind::kValue, list);
  ASSERT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(list.entries[0].values_text, "\"B\"/\"C\" = Quote\r\n\"Umsatz\"*\"Umsatz\" = Zwei\r\n");
  DataFieldList fields = {{"ID", 0}, {"Name", 0}, {"Land", 0}, {"A", 0}, {"B", 0}, {"U", 0}};
  LoadedCalculation calc;
  ASSERT_EQ(LoadCalculation(folder_, 1, fields, calc), 2);
  EXPECT_EQ(calc.terms[0].text, "@3");
  EXPECT_EQ(calc.terms[1].text, "@4");
}

}  // namespace
}  // namespace wunt
