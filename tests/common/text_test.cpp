#include "common/text.h"

#include <gtest/gtest.h>

namespace wunt {
namespace {

TEST(LeadingNumberTest, ReadsEveryForm) {
  struct Case {
    const char* text;
    int64_t leading;  // LeadingNumber
    int64_t decimal;  // LeadingDecimal
  };
  const Case cases[] = {
      {"", 0, 0},         {"abc", 0, 0},
      {"42", 42, 42},     {" \t 42xyz", 42, 42},
      {"-17", -17, -17},  {"+17", 17, 17},
      {"- 5", 0, 0},  // sign must touch the digits
      {"$ff", 255, 0},    {"$FFg", 255, 0},
      {"-$10", -16, 0},   {"%1011", 11, 0},
      {"%102", 2, 0},     {"$", 0, 0},
      {"12.345", 12, 12}, {"\n5", 0, 0},  // only blanks and tabs are skipped
      {"007", 7, 7},      {"9223372036854775807", INT64_MAX, INT64_MAX},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LeadingNumber(c.text), c.leading) << c.text;
    EXPECT_EQ(LeadingDecimal(c.text), c.decimal) << c.text;
  }
}

TEST(LeadingNumberTest, OverlongNumbersWrapInsteadOfTrapping) {
  // 2^64 + 1 wraps to 1; the point is that it is defined (UBSan watches).
  EXPECT_EQ(LeadingNumber("18446744073709551617"), 1);
  EXPECT_EQ(LeadingNumber("-9223372036854775808"), INT64_MIN);
}

TEST(TextTest, CaseRulesCoverAToZOnly) {
  EXPECT_TRUE(EqualsIgnoreCaseAZ("Park", "pARK"));
  EXPECT_FALSE(EqualsIgnoreCaseAZ("Park", "Parks"));
  // Umlauts must match exactly: \xe4 is a-umlaut, \xc4 A-umlaut.
  EXPECT_FALSE(EqualsIgnoreCaseAZ("L\xe4nder", "L\xc4nder"));
  EXPECT_TRUE(EqualsIgnoreCaseAZ("L\xe4nder", "l\xe4NDER"));
  EXPECT_FALSE(EqualsIgnoreCaseAZ("@", "`"));  // 0x40 / 0x60 are not letters
  EXPECT_EQ(FoldCaseAZ("AbZ[\xc4]"), "abz[\xc4]");
}

TEST(TextTest, TrimsBlanksAndTabsOnly) {
  EXPECT_EQ(TrimBlanks(" \t a b \t "), "a b");
  EXPECT_EQ(TrimBlanks("\r x \n"), "\r x \n");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimLeadingBlanks("  a  "), "a  ");
  EXPECT_EQ(TrimTrailingBlanks("  a  "), "  a");
}

TEST(TextTest, ReplaceAllDoesNotRescanInsertedText) {
  EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(ReplaceAll("@1+@12", "@1", "5"), "5+52");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("", "a", "b"), "");
  EXPECT_EQ(ReplaceAll("xyx", "x", ""), "y");
}

TEST(Cp1252Test, KnownCharactersConvertBothWays) {
  struct Case {
    const char* cp1252;
    const char* utf8;
  };
  const Case cases[] = {
      {"\xdc"
       "bersicht",
       "\xc3\x9c"
       "bersicht"},
      {"\x80", "\xe2\x82\xac"},  // euro sign
      {"\x9f", "\xc5\xb8"},      // Y with diaeresis
      {"\xdf", "\xc3\x9f"},      // sharp s
      {"\xff", "\xc3\xbf"},
      {"\xa0", "\xc2\xa0"},
      {"plain", "plain"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8);
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
  }
}

TEST(Cp1252Test, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Cp1252Test, UnmappableAndMalformedUtf8) {
  EXPECT_EQ(Utf8ToCp1252("\xe4\xb8\xad"), "?");             // CJK: no byte for it
  EXPECT_EQ(Utf8ToCp1252("\xf0\x9f\x98\x80"), "?");         // emoji
  EXPECT_EQ(Utf8ToCp1252("a\xe4x"), "a\xe4x");              // stray byte kept
  EXPECT_EQ(Utf8ToCp1252("\xc3"), "\xc3");                  // cut sequence kept
  EXPECT_EQ(Utf8ToCp1252("\xc0\x80"), "\xc0\x80");          // overlong form is not UTF-8
  EXPECT_EQ(Utf8ToCp1252("\xed\xa0\x80"), "\xed\xa0\x80");  // surrogate
}

}  // namespace
}  // namespace wunt
