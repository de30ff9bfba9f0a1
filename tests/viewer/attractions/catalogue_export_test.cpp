// The catalogue's files: names that would break a table or run as a
// spreadsheet formula, and numbers a spreadsheet reads as numbers.
#include "viewer/attractions/catalogue_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace wunt {
namespace {

CatalogueModel ModelOf(std::vector<CatalogueEntry> entries) {
  CatalogueModel model;
  model.ReplaceEntries(1995, std::move(entries));
  return model;
}

CatalogueEntry Entry(std::string name, int32_t cost, int32_t capacity) {
  CatalogueEntry e;
  e.id = capacity;
  e.category = 1;
  e.name = std::move(name);
  e.cost = cost;
  e.capacity = capacity;
  return e;
}

TEST(CatalogueExport, CsvCellsReadAsNumbersAndNamesAsText) {
  struct Case {
    const char* name;
    const char* csv_name;   // as the CSV field starts
    const char* copy_name;  // as the Ctrl+C field starts
  };
  const Case cases[] = {
      {"Looping", "Looping;", "Looping\t"},
      {"=SUMME(A1)", "'=SUMME(A1);", "'=SUMME(A1)\t"},
      {"Bahn; gross", "\"Bahn; gross\";", "Bahn; gross\t"},
      {"Die \"Wilde\"", "\"Die \"\"Wilde\"\"\";", "\"Die \"\"Wilde\"\"\"\t"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CatalogueEntry entry = Entry(c.name, 1234567, 10);
    entry.maintenance = -1234567;
    CatalogueModel model = ModelOf({entry});
    model.SetTicked(0, true);
    const std::string csv = BuildCatalogueCsv(model);
    const std::string row = csv.substr(csv.find("\r\n") + 2);
    EXPECT_TRUE(row.starts_with(c.csv_name)) << row;
    // Cost and maintenance without thousands dots, the sign kept; the
    // window's decimal point turned into the comma; the area kept as text.
    std::string numbers = model.CellText(0, kColumnTotal);
    ASSERT_NE(numbers.find('.'), std::string::npos);
    std::replace(numbers.begin(), numbers.end(), '.', ',');
    numbers.append(";1234567;-1234567;");
    EXPECT_NE(row.find(numbers), std::string::npos) << row;
    EXPECT_NE(row.find(";0 x 0;"), std::string::npos);
    EXPECT_TRUE(row.ends_with(";x\r\n")) << row;
    // Ctrl+C: the same cells, tab-separated, without the tick column.
    const std::string copied = BuildCatalogueCopyText(model, {0});
    const std::string copied_row = copied.substr(copied.find("\r\n") + 2);
    EXPECT_TRUE(copied_row.starts_with(c.copy_name)) << copied_row;
    std::replace(numbers.begin(), numbers.end(), ';', '\t');
    EXPECT_NE(copied_row.find(numbers), std::string::npos) << copied_row;
  }
}

TEST(CatalogueExport, PageEscapesNamesAndKeepsTheWindowsOrder) {
  CatalogueModel model = ModelOf({Entry("Klein <b>", 100000, 10), Entry("Gross & Co", 100000, 90)});
  const std::string page = BuildCataloguePage(model);
  const size_t big = page.find("<tr><td>Gross &amp; Co</td>");
  const size_t small = page.find("<tr><td>Klein &lt;b&gt;</td>");
  ASSERT_NE(big, std::string::npos);
  ASSERT_NE(small, std::string::npos);
  EXPECT_LT(big, small);  // more capacity, more points
  EXPECT_NE(page.find("<td>100.000</td>"), std::string::npos);
  EXPECT_NE(page.find("<th>gebaut</th></tr>"), std::string::npos);
}

}  // namespace
}  // namespace wunt
