#include "viewer/data/datafields.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "common/file_util.h"
#include "tests/support/scratch_folder.h"
#include "viewer/data/translation.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

class SeasonFolderTest : public ::testing::Test {
 protected:
  void Put(const std::string& name, const std::string& text) {
    ASSERT_TRUE(WriteFileAtomically(folder_ / name, text));
  }
  test::ScratchFolder scratch_;
  const fs::path& folder_ = scratch_.path();
};

using DatafieldsTest = SeasonFolderTest;

std::string Describe(const DataFieldList& list) {
  std::string out;
  for (const DataField& f : list) out += std::to_string(f.type) + ":" + f.name + ";";
  return out;
}

TEST_F(DatafieldsTest, DeclarationsBecomeTheSchema) {
  struct Case {
    const char* name;
    std::string group_lines;
    int result;
    std::string schema;
    std::string message;  // text of the one expected message, if any
  };
  const Case cases[] = {
      {"gaps are filled", "2=(String)Name\n0=ID\n", 3, "0:ID;0:;1:Name;", ""},
      {"every type", "0=(Time)Dauer\n1=(IDList)Attraktionen\n2=(StringList)Art\n3=Plain\n", 4,
       "3:Dauer;2:Attraktionen;4:Art;0:Plain;", ""},
      {"redeclaration keeps type without prefix", "0=(String)A\n0=B\n", 1, "1:B;", ""},
      {"redeclaration with prefix changes type", "0=(String)A\n0=(Time)B\n", 1, "3:B;", ""},
      {"key that is not a number is field 0", "x=First\n", 1, "0:First;", ""},
      {"hex and binary numbers", "$2=Hex\n%1=Bin\n", 3, "0:;0:Bin;0:Hex;", ""},
      {"open parenthesis only", "0=(String\n", 1, "1:String;", ""},
      {"all occurrences of the type are removed", "0=(Time)Time)Zeit\n", 1, "3:Zeit;", ""},
      {"type names are case-sensitive", "0=A\n1=(string)Name\n", 0, "",
       "'Name' wird ein unbekannter Datentyp zugwiesen!"},
      {"lines after a bad type are kept", "0=A\n1=(Zahl)X\n3=C\n", 0, "0:;0:;0:;0:C;",
       "'X' wird ein unbekannter Datentyp zugwiesen!"},
      {"empty group", "", 0, "", ""},
      {"negative numbers are ignored", "-1=Bad\n0=Good\n", 1, "0:Good;", ""},
  };
  for (const Case& c : cases) {
    Put("Datafields.txt", "[Company]\n0=x\n[park]\n" + c.group_lines + "[Other]\n5=y\n");
    RecordingMessageSink sink;
    DataFieldList list = {{"stale", 1}};
    EXPECT_EQ(LoadDatafields(folder_, EntityKind::kPark, list, sink), c.result) << c.name;
    EXPECT_EQ(Describe(list), c.schema) << c.name;
    if (c.message.empty()) {
      EXPECT_TRUE(sink.messages.empty()) << c.name;
    } else {
      ASSERT_EQ(sink.messages.size(), 1u) << c.name;
      EXPECT_EQ(sink.messages[0].first, "DataField Error");
      EXPECT_EQ(sink.messages[0].second, c.message);
    }
  }
}

TEST_F(DatafieldsTest, MissingFileAndMissingGroup) {
  RecordingMessageSink sink;
  DataFieldList list = {{"stale", 1}};
  EXPECT_EQ(LoadDatafields(folder_, EntityKind::kAttraction, list, sink), 0);
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(sink.messages.empty());

  Put("Datafields.txt", "[Park]\n0=ID\n");
  for (EntityKind kind : {EntityKind::kCompany, EntityKind::kAttraction}) {
    EXPECT_EQ(LoadDatafields(folder_, kind, list, sink), 0);
  }
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].second, "Unbekanntes DataField: 'Company'");
  EXPECT_EQ(sink.messages[1].second, "Unbekanntes DataField: 'Attraction'");
}

TEST_F(DatafieldsTest, AbsurdFieldNumbersDoNotExhaustMemory) {
  Put("Datafields.txt", "[Park]\n0=ID\n99999999999=Huge\n");
  RecordingMessageSink sink;
  DataFieldList list;
  EXPECT_EQ(LoadDatafields(folder_, EntityKind::kPark, list, sink), 1);
}

using TranslationTest = SeasonFolderTest;

TEST_F(TranslationTest, NameTableAppliesLineAfterLine) {
  Put("Translation.txt", "Visitors = Besucher\nVis = Kurz\nRevenue=Umsatz \xe4\n[Countrys]\n1=X\n");
  std::vector<NameTableEntry> table = LoadNameTable(folder_);
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[2].display_text, "Umsatz \xe4");
  // Line 2 sees the result of line 1: "Visitors" is already gone.
  std::string shown = TranslateToDisplay("Visitors/Vis+Revenue", table);
  EXPECT_EQ(shown, "\"Besucher\"/\"Kurz\"+\"Umsatz \xe4\"");
  EXPECT_EQ(TranslateToInternal(shown, table), "Visitors/Vis+Revenue");
  EXPECT_EQ(TranslateToDisplay("x", {{"", "empty"}}), "x");
}

TEST_F(TranslationTest, CountriesInFileOrderWithYearSlots) {
  Put("Translation.txt", "a=b\n[COUNTRYS]\n3=Deutschland\n1=\xd6sterreich\nabc=Nirgendwo\n");
  ValueList countries(2);
  ASSERT_EQ(LoadCountries(folder_, 4, countries), 3);
  EXPECT_EQ(countries[0].id, 3);
  EXPECT_EQ(countries[1].name, "\xd6sterreich");
  EXPECT_EQ(countries[2].id, 0);
  for (const ValueRecord& c : countries) {
    ASSERT_EQ(c.year_values.size(), 4u);
    EXPECT_TRUE(c.year_values[0].empty());
    EXPECT_EQ(c.result, 0);
  }
  ASSERT_EQ(LoadCountries(folder_, 0, countries), 3);
  EXPECT_TRUE(countries[0].year_values.empty());
}

TEST_F(TranslationTest, MissingFileOrGroupGivesEmptyLists) {
  ValueList countries(1);
  std::vector<ColorEntry> colors(1);
  EXPECT_EQ(LoadCountries(folder_, 3, countries), 0);
  EXPECT_EQ(LoadColors(folder_, colors), 0);
  EXPECT_TRUE(countries.empty() && colors.empty());
  EXPECT_TRUE(LoadNameTable(folder_).empty());
  Put("Translation.txt", "[Other]\n1=2\n");
  EXPECT_EQ(LoadCountries(folder_, 3, countries), 0);
  EXPECT_EQ(LoadColors(folder_, colors), 0);
}

TEST(ColorTest, LightAndDarkShades) {
  struct Case {
    uint32_t base, light, dark;
  };
  const Case cases[] = {
      {0x0000FF, 0x9999FF, 0x00007F},  // pure red: light 255,153,153
      {0x000000, 0x999999, 0x000000},  // black: 153 everywhere
      {0xFFFFFF, 0xFFFFFF, 0x7F7F7F}, {0xFF0000, 0xFF9999, 0x7F0000},  // pure blue
      {0x010101, 0x999999, 0x000000},  // 1 + 254*0.6 = 153.4: truncated / rounded
      {0x020202, 0x99999A, 0x010101},  // 2 + 253*0.6 = 153.8: 153 blue/green, 154 red
  };
  for (const Case& c : cases) {
    ColorEntry e = MakeColorEntry(c.base);
    EXPECT_EQ(e.base, c.base);
    EXPECT_EQ(e.light, c.light) << std::hex << c.base;
    EXPECT_EQ(e.dark, c.dark) << std::hex << c.base;
  }
}

TEST_F(TranslationTest, ColorsReadDecimalAndHex) {
  Put("Translation.txt", "[colors]\nx=255\ny=$FF00\nz=kein\n");
  std::vector<ColorEntry> colors;
  ASSERT_EQ(LoadColors(folder_, colors), 3);
  EXPECT_EQ(colors[0].base, 255u);
  EXPECT_EQ(colors[1].base, 0xFF00u);
  EXPECT_EQ(colors[2].base, 0u);
  EXPECT_EQ(colors[2].light, 0x999999u);
}

}  // namespace
}  // namespace wunt
