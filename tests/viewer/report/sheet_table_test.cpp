#include "viewer/report/sheet_table.h"

#include <gtest/gtest.h>

namespace wunt {
namespace {

// Only the one number form goes in as a number; anything else, however it
// reached the number path, is text and neutralised like every text.
TEST(SheetTable, OnlyBareNumbersStayNumbers) {
  const struct {
    const char* given;
    const char* field;
  } cases[] = {
      {"1234", "1234"},
      {"-0,05", "-0,05"},
      {"-21.665 +cmd|' /C calc'!A0", "'-21.665 +cmd|' /C calc'!A0"},
      {"-", "'-"},
      {",5", ",5"},
      {"1,", "1,"},
      {"3 x 4", "3 x 4"},
  };
  for (const auto& c : cases) {
    SheetTable sheet(';');
    sheet.AddNumber(c.given);
    EXPECT_EQ(sheet.text(), c.field) << c.given;
  }
}

}  // namespace
}  // namespace wunt
