#include "viewer/report/page_preview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/report/html_writer.h"

namespace wunt {
namespace {

const std::string kTable = "<TABLE class=\"tabellem\">";

std::string Repeat(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i) repeated += text;
  return repeated;
}

TEST(TablePreview, CutsOnlyTheRowsAfterTheFirstOnes) {
  const struct {
    const char* name;
    std::string page;
    size_t rows;
    std::optional<std::string> expected;
  } cases[] = {
      {"heading and one row kept", "<p>a</p>" + kTable + "<tr>h</tr><tr>1</tr><tr>2</tr></table>x",
       2, "<p>a</p>" + kTable + "<tr>h</tr><tr>1</tr></table>x"},
      {"tags in any case, with attributes",
       kTable + "<TR style=\"\">h</TR><tr\r\n>1</tr><Tr>2</tr></TABLE><p>end</p>", 1,
       kTable + "<TR style=\"\">h</TR></TABLE><p>end</p>"},
      {"\"<track\" and \"<tr\" outside the table do not count",
       "<tr>before</tr>" + kTable + "<tr>h<track></tr><tr>1</tr></table><tr>after</tr>", 1,
       "<tr>before</tr>" + kTable + "<tr>h<track></tr></table><tr>after</tr>"},
      {"no more rows than asked", kTable + "<tr>h</tr><tr>1</tr></table>", 2, std::nullopt},
      {"exactly one more", kTable + "<tr>h</tr><tr>1</tr></table>", 1,
       kTable + "<tr>h</tr></table>"},
      {"no result table", "<table><tr>1</tr><tr>2</tr></table>", 1, std::nullopt},
      {"class only in a style sheet", "<style>.tabellem {}</style><tr>1</tr><tr>2</tr>", 0,
       std::nullopt},
      {"table never ends", kTable + "<tr>h</tr><tr>1</tr><tr>2</tr>", 1, std::nullopt},
      {"\"</tablex\" is no end", kTable + "<tr>h</tr><tr>1</tr></tablex>", 1, std::nullopt},
      {"nested table", kTable + "<tr>h</tr><tr><td><table></table></td></tr></table>", 1,
       std::nullopt},
      {"empty page", "", 1, std::nullopt},
      {"end far into a long table, past \"<ta\" texts",
       kTable + "<tr>h</tr>" + Repeat("<tr><td><tag>1</tag></td><td>2</td></tr>", 40) +
           "</TaBlE >x",
       1, kTable + "<tr>h</tr></TaBlE >x"},
      {"nested far into a long table",
       kTable + "<tr>h</tr>" + Repeat("<tr><td>1</td></tr>", 40) + "<tAbLe></table></table>", 1,
       std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TablePreview(c.page, c.rows), c.expected) << c.name;
  }
}

// A preview's long lists keep their first option, and what they lose comes
// back by name; lists the page may mean otherwise stay whole.
TEST(ShortenLists, CutsOnlyLongListsTheWriterWrote) {
  const std::string a = "<option value=\"0\">a</option>";
  const std::string bc = "<option value=\"1\">b</option><option value=\"2\">c</option>";
  const auto list = [](const std::string& name, const std::string& options) {
    return "<Select name=\"" + name + "\" style=\"\">" + options + "</Select>";
  };
  const struct {
    const char* name;
    std::string page;
    std::string expected;
    std::vector<LeftOutOptions> left_out;
  } cases[] = {
      {"two long lists",
       "<form>" + list("remove", a + bc) + list("add", a + bc) + "</form>" + kTable,
       "<form>" + list("remove", a) + list("add", a) + "</form>" + kTable,
       {{"remove", bc}, {"add", bc}}},
      {"no longer than kept",
       list("remove", a + "<option>b</option>") + kTable,
       list("remove", a + "<option>b</option>") + kTable,
       {}},
      {"after the result table",
       kTable + list("remove", a + bc),
       kTable + list("remove", a + bc),
       {}},
      {"an option chosen",
       list("x", a + "<option selected>b</option><option>c</option>"),
       list("x", a + "<option selected>b</option><option>c</option>"),
       {}},
      {"no name", "<select>" + a + bc + "</select>", "<select>" + a + bc + "</select>", {}},
      {"never closed", "<select name=\"x\">" + a + bc, "<select name=\"x\">" + a + bc, {}},
  };
  for (const auto& c : cases) {
    std::vector<LeftOutOptions> left_out;
    EXPECT_EQ(ShortenLists(c.page, 2, left_out), c.expected) << c.name;
    EXPECT_EQ(left_out, c.left_out) << c.name;
  }
}

// The preview of a page as the writer writes it: the same page, less the
// rows after the first ones.
TEST(TablePreview, FitsThePagesTheWriterWrites) {
  std::vector<std::vector<int64_t>> values(3, std::vector<int64_t>{42});
  ResultTable table;
  for (int32_t id = 1; id <= 5; ++id) {
    table.rows.push_back({id, "Park <" + std::to_string(id) + ">", 2001, 2003, &values, 0, id});
  }
  const std::vector<ValueDefinition> definitions = {{"G\xe4ste", "", "", ""}};
  const ReportInput input{.table = table,
                          .view = {.content_kind = ContentKind::kValue,
                                   .source_kind = SourceKind::kParks,
                                   .start_year = 2001,
                                   .end_year = 2003},
                          .calculation_name = "Besucher",
                          .description = "",
                          .values = definitions,
                          .highest_year = 2003,
                          .game_address = ""};
  const std::vector<SelectionEntry> none;
  const std::string page = ComposeAppPage("<html><body>[CONTENT]<p>Fu\xdf</p></body></html>",
                                          "C:/x", BuildAppContent(input, none, none));
  const std::optional<std::string> preview = TablePreview(page, 3);
  ASSERT_TRUE(preview.has_value());
  const size_t third = page.find("Park &lt;3&gt;");
  ASSERT_NE(third, std::string::npos);
  const size_t cut = page.rfind("<tr", third);
  const size_t end = page.find("</table>", third);
  EXPECT_EQ(*preview, page.substr(0, cut) + page.substr(end));
  EXPECT_NE(preview->find("Park &lt;2&gt;"), std::string::npos);
  EXPECT_NE(preview->find("<p>Fu\xdf</p></body></html>"), std::string::npos);
  EXPECT_EQ(TablePreview(page, 6), std::nullopt);
}

}  // namespace
}  // namespace wunt
