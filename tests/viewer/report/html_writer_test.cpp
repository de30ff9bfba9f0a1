#include "viewer/report/html_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/file_util.h"

namespace wunt {
namespace {

// Pieces of the table as the page format defines them.
const std::string kOpen =
    "<TABLE cellpadding=0 cellspacing=0 class=\"tabellem\" style=\"border: solid 1px #AAA; "
    "border-collapse:collapse; margin-bottom:12px;\">";
const std::string kHeadRow =
    "<tr style=\"background-color:#EEEEEE; color:#0A468C;\"><td style=\"border-bottom: solid 1px "
    "#AAA; font-weight:bold; text-align:center;\">Nr.</td>";
const std::string kLeft = "<td style=\"border-bottom: solid 1px #AAA; font-weight:bold;\">";
const std::string kRight =
    "<td style=\"text-align:right; border-bottom: solid 1px #AAA; font-weight:bold;\">";
const std::string kOdd = "<tr style=\"\">";
const std::string kEven = "<tr style=\"background-color:#FFF;\">";
// Values keep their units on their line.
const std::string kCell = "</td><td style=\"text-align:right; white-space:nowrap;\">";
const std::string kTotal = "<td style=\"text-align:right; white-space:nowrap;\">";
const std::string kNameCell = ".</td><td style=\"white-space:nowrap;\">";

// A small season: two parks over 2001..2002 (highest game year 2003) and a
// calculation of two values.
struct Fixture {
  std::vector<std::vector<int64_t>> park_a = {{1234, 5}, {0, 0}};
  std::vector<std::vector<int64_t>> park_b = {{}, {-7, 250}};
  std::vector<ValueDefinition> values = {{"G\xe4ste", "", "", ""}, {"Preis", "", "/100", "EUR"}};
  ResultTable table;
  TableView view{.content_kind = ContentKind::kValue,
                 .source_kind = SourceKind::kParks,
                 .start_year = 2001,
                 .end_year = 2002,
                 .merge = true};

  Fixture() {
    table.rows.push_back({7, "A & <B>", 2001, 2002, &park_a, 0, 617});
    table.rows.push_back({9, "Zoo", 2002, 2003, &park_b, 0, 0});
  }
  ReportInput Input() const {
    return {.table = table,
            .view = view,
            .calculation_name = "Besucher \"<i>\"",
            .description = "Zeile 1\r\nZeile 2",
            .values = values,
            .highest_year = 2003,
            .game_address = "http://g.example"};
  }
};

TEST(Gradient, RowsFollowTheBands) {
  struct Case {
    Gradient gradient;
    int row;
    PageColor expected;
  };
  const Case cases[] = {
      {Gradient::kBanner, 0, {80, 170, 220}},    {Gradient::kBanner, 20, {44, 119, 179}},
      {Gradient::kBanner, 39, {10, 70, 140}},    {Gradient::kBanner, 40, {255, 255, 255}},
      {Gradient::kBanner, 42, {255, 255, 255}},  {Gradient::kBanner, 43, {250, 130, 160}},
      {Gradient::kBanner, 60, {250, 30, 70}},    {Gradient::kBanner, 61, {255, 255, 255}},
      {Gradient::kBanner, 160, {255, 255, 255}}, {Gradient::kBanner, 401, {250, 235, 150}},
      {Gradient::kBanner, 499, {250, 235, 150}}, {Gradient::kFooter, 2, {255, 255, 255}},
      {Gradient::kFooter, 3, {250, 130, 160}},   {Gradient::kFooter, 12, {250, 77, 112}},
      {Gradient::kFooter, 20, {250, 30, 70}},
  };
  for (const Case& c : cases) {
    const PageColor got = GradientColor(c.gradient, c.row);
    EXPECT_EQ(got, c.expected) << c.row << ": " << got.r << "," << got.g << "," << got.b;
  }
  // The fade to sand never steps by more than one unit or turns back.
  for (int row = 161; row <= 401; ++row) {
    const PageColor a = GradientColor(Gradient::kBanner, row - 1);
    const PageColor b = GradientColor(Gradient::kBanner, row);
    for (auto [x, y] : {std::pair{a.r, b.r}, {a.g, b.g}, {a.b, b.b}}) {
      EXPECT_LE(y, x) << row;
      EXPECT_LE(x - y, 1) << row;
    }
  }
}

TEST(Gradient, DivsOnePerRow) {
  const std::string footer = BuildGradientDivs(Gradient::kFooter);
  const std::string first =
      "<div style=\"height:1px; background-color:RGB(255,255,255);\"><!-- --></div>";
  EXPECT_EQ(footer.substr(0, first.size()), first);
  EXPECT_TRUE(footer.ends_with(
      "<div style=\"height:1px; background-color:RGB(250,30,70);\"><!-- --></div>"));
  auto count = [](const std::string& s) {
    size_t n = 0;
    for (size_t at = s.find("<div"); at != std::string::npos; at = s.find("<div", at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count(footer), 21u);
  EXPECT_EQ(count(BuildGradientDivs(Gradient::kBanner)), 500u);
}

TEST(HtmlTable, ExportValueOverYearsWithAverage) {
  const Fixture f;
  const std::string expected =
      kOpen + kHeadRow + kLeft + "Name</td>" + kRight + "2001</td>" + kRight + "2002</td>" +
      kRight + "Durchschnitt</td></tr>" + kOdd + "<td>1" + kNameCell +
      "<a href=\"http://g.example/parkprofil.php?parkid=7\">A &amp; &lt;B&gt;</a>" + kCell +
      "1.234 " + kCell + "---</td>" + kTotal + "617 </td></tr>" + kEven + "<td>2" + kNameCell +
      "<a href=\"http://g.example/parkprofil.php?parkid=9\">Zoo</a>" + kCell + "---" + kCell +
      "-7 </td>" + kTotal + "0 </td></tr></table>";
  EXPECT_EQ(BuildExportTable(f.Input()), expected);
}

TEST(HtmlTable, AppYearOverValuesWithoutTotal) {
  Fixture f;
  f.view.content_kind = ContentKind::kYear;
  f.view.source_kind = SourceKind::kCompanies;
  f.view.start_year = f.view.end_year = 2002;
  f.view.merge = false;
  f.park_a = {{0, 150}};
  f.park_b = {{3, -1}};
  const std::string expected =
      kOpen + kHeadRow + kLeft + "<a href=\"window:refresh?sort=-2\">Name</a></td>" + kRight +
      "<a href=\"window:refresh?sort=0\">G\xe4ste</a></td>" + kRight +
      "<a href=\"window:refresh?sort=1\">Preis</a></td></tr>" + kOdd + "<td>1" + kNameCell +
      "<a href=\"open:company?id=7\">A &amp; &lt;B&gt;</a>" + kCell + "---" + kCell +
      "1,50 EUR</td></tr>" + kEven + "<td>2" + kNameCell + "<a href=\"open:company?id=9\">Zoo</a>" +
      kCell + "3 " + kCell + "-0,01 EUR</td></tr></table>";
  EXPECT_EQ(BuildAppTable(f.Input()), expected);
}

TEST(HtmlTable, AppHeadingsAreSortLinks) {
  const Fixture f;
  const std::string expected = kOpen + kHeadRow + kLeft +
                               "<a href=\"window:refresh?sort=-2\">Name</a></td>" + kRight +
                               "<a href=\"window:refresh?sort=0\">2001</a></td>" + kRight +
                               "<a href=\"window:refresh?sort=1\">2002</a></td>" + kRight +
                               "<a href=\"window:refresh?sort=-1\">Durchschnitt</a></td></tr>" +
                               kOdd + "<td>1" + kNameCell + "<a href=\"open:park?id=7\">";
  EXPECT_EQ(BuildAppTable(f.Input()).substr(0, expected.size()), expected);
}

TEST(HtmlTable, YearTotalUsesTheLastValuesFormat) {
  Fixture f;
  f.view.content_kind = ContentKind::kYear;
  f.view.start_year = f.view.end_year = 2001;
  f.table.rows.resize(1);
  EXPECT_TRUE(BuildExportTable(f.Input()).ends_with(kTotal + "6,17 EUR</td></tr></table>"));
}

TEST(HtmlTable, SingleParkHasOneRowPerValueAndNoLinks) {
  Fixture f;
  f.view.content_kind = ContentKind::kPark;
  f.table.rows.erase(f.table.rows.begin());  // park 9, 2002..2003, clamped to the span
  const std::string table = BuildAppTable(f.Input());
  const std::string expected = kOpen + kHeadRow + kLeft + "Wert</td>" + kRight + "2002</td></tr>" +
                               kOdd + "<td>1" + kNameCell + "G\xe4ste" + kCell + "-7 </td></tr>" +
                               kEven + "<td>2" + kNameCell + "Preis" + kCell +
                               "2,50 EUR</td></tr></table>";
  EXPECT_EQ(table, expected);
  EXPECT_EQ(BuildExportTable(f.Input()), expected);
}

TEST(HtmlHeadings, ByContentAndSortIndex) {
  struct Case {
    ContentKind content_kind;
    int32_t sort_index;
    const char* h2;
  };
  const Case cases[] = {
      {ContentKind::kValue, kSortByName, "<h2>Sortiert nach Namen</h2>"},
      {ContentKind::kValue, kSortByTotal, "<h2>Sortiert nach dem Durchschnitt</h2>"},
      {ContentKind::kValue, 1, "<h2>Sortiert nach den Werten aus dem Jahr 2002</h2>"},
      {ContentKind::kYear, kSortByName, "<h2>Sortiert nach Namen</h2>"},
      {ContentKind::kYear, kSortByTotal, "<h2>Sortiert nach der Gesamtsumme</h2>"},
      {ContentKind::kYear, 1, "<h2>Sortiert nach dem Wert \"Preis\"</h2>"},
      {ContentKind::kYear, 5, "<h2>Sortiert nach dem Wert \"\"</h2>"},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.view.content_kind = c.content_kind;
    f.table.sort_index = c.sort_index;
    const std::string h1 = c.content_kind == ContentKind::kValue
                               ? "<h1>\xdc"
                                 "bersicht \xfc"
                                 "ber den Wert \"Besucher \"<i>\"\"</h1>"
                               : "<h1>\xdc"
                                 "bersicht \xfc"
                                 "ber das Jahr 2001</h1>";
    EXPECT_EQ(BuildHeadings(f.Input(), false), h1 + c.h2);
  }
}

TEST(HtmlHeadings, SingleEntityShowsItsYears) {
  struct Case {
    SourceKind source_kind;
    int32_t last_year;
    bool app_links;
    const char* expected;
  };
  const Case cases[] = {
      {SourceKind::kParks, 2003, false,
       "den Park <a href=\"http://g.example/parkprofil.php?parkid=7\">A &amp; &lt;B&gt;</a> (2001 "
       "- "
       "----)"},
      {SourceKind::kParks, 2002, true,
       "den Park <a href=\"open:park?id=7\">A &amp; &lt;B&gt;</a> (2001 - 2002)"},
      {SourceKind::kCompanies, 2003, false,
       "die Firma <a href=\"http://g.example/company.php?userid=7\">A &amp; &lt;B&gt;</a> (2001 - "
       "----)"},
      {SourceKind::kCountries, 2003, false,
       "<a href=\"http://g.example/teilnehmerliste.php?landid=7\">A &amp; &lt;B&gt;</a>"},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.view.content_kind = ContentKind::kPark;
    f.view.source_kind = c.source_kind;
    f.table.rows[0].last_year = c.last_year;
    EXPECT_EQ(BuildHeadings(f.Input(), c.app_links), std::string("<h1>\xdc"
                                                                 "bersicht \xfc"
                                                                 "ber ") +
                                                         c.expected + "</h1>");
  }
}

// The hint above the form names only what the page's form and headings offer.
TEST(AppContent, HintFitsWhatThePageOffers) {
  const struct {
    ContentKind kind;
    const char* offered;
    const char* not_offered;
  } cases[] = {
      {ContentKind::kValue, "Zum Hinzuf\xfcgen, Entfernen oder Sortieren", "\xc4ndern"},
      {ContentKind::kYear, "Zum Hinzuf\xfcgen, Entfernen oder Sortieren", "\xc4ndern"},
      {ContentKind::kPark, "Zum \xc4ndern der Auswahl", "Hinzuf\xfcgen"},
  };
  for (const auto& c : cases) {
    Fixture f;
    f.view.content_kind = c.kind;
    const std::string content = BuildAppContent(f.Input(), {{9, "Zoo", 0}}, {{7, "A", 0}});
    const std::string hint = content.substr(content.find("<p>"));
    EXPECT_NE(hint.find(c.offered), std::string::npos) << hint;
    EXPECT_EQ(hint.substr(0, hint.find("</p>")).find(c.not_offered), std::string::npos) << hint;
  }
}

TEST(HtmlForm, ListsAndContentKinds) {
  const std::string open =
      "<FORM name=\"auswahl\" method=\"get\" action=\"window:refresh\"><table cellpadding=0 "
      "cellspacing=0 style=\"margin-bottom:10px;\"><tr>";
  const std::string close = "</tr></table></form>";
  const std::string cell = "<td style=\"padding-left:10px; padding-right:10px;\">";
  const std::string add =
      "<td>Hinzuf\xfcgen: </td>" + cell +
      "<Select name=\"add\" style=\"margin-left:0px;\"><option value=\"0\">a&lt;1&gt;</option>"
      "<option value=\"1\">b</option></Select></td><td><BUTTON type=\"submit\" "
      "class=\"button\"></BUTTON></td>";
  const std::string remove =
      "<td>Entfernen: </td>" + cell +
      "<Select name=\"remove\" style=\"margin-left:0px;\"><option value=\"0\">c</option></Select>"
      "</td><td><BUTTON type=\"submit\" name=\"btn_remove\" value=\"remove\" "
      "class=\"button\"></BUTTON></td>";
  const std::vector<SelectionEntry> available = {{1, "a<1>", 0}, {2, "b", 3}};
  const std::vector<SelectionEntry> chosen = {{3, "c", kNoFilter}};
  EXPECT_EQ(BuildSelectionForm(ContentKind::kValue, {}, {}), open + close);
  EXPECT_EQ(BuildSelectionForm(ContentKind::kYear, available, {}), open + add + close);
  EXPECT_EQ(BuildSelectionForm(ContentKind::kValue, {}, chosen), open + remove + close);
  EXPECT_EQ(BuildSelectionForm(ContentKind::kValue, available, chosen),
            open + add + "</tr><tr>" + remove + close);
  EXPECT_EQ(BuildSelectionForm(ContentKind::kPark, chosen, available),
            open + "<td>\xc4ndern: </td>" + cell +
                "<Select name=\"change\" style=\"margin-left:0px;\"><option "
                "value=\"0\">c</option></Select></td><td><BUTTON type=\"submit\" "
                "class=\"button\"></BUTTON></td>" +
                close);
}

TEST(HtmlExportPage, FrameAroundHeadingsDescriptionAndTable) {
  const Fixture f;
  const ReportInput input = f.Input();
  const std::string page = BuildExportPage(input);
  const std::string start =
      "<html><head><style type=\"text/css\">\r\nbody {font-family: Verdana, sans-serif;font-size: "
      "11px;padding:0px;background-color:#FAEB96;margin:0px;}\r\ntable {margin:0px;";
  EXPECT_EQ(page.substr(0, start.size()), start);
  EXPECT_NE(page.find("\r\n.tabellem  {background-color:#FDF7D7;}\r\n.tabellem td {"),
            std::string::npos);
  const std::string after_style =
      "</style></head><body><table class=\"bg_table\"cellspacing=0px cellpadding=0px><tr><td "
      "style=\"border:0px\" align=\"left\"><div class=\"top\"><div class=\"top_bg\">" +
      BuildGradientDivs(Gradient::kBanner) +
      "</div><a href=\"http://g.example\"><div class=\"hl_left\">Orvanto</div></a><div "
      "class=\"hl_right\">Brekks Statistiken</div><div class=\"top_fg\">" +
      BuildHeadings(input, false) + "<p>Zeile 1\r\nZeile 2</p>" + BuildExportTable(input) +
      "</div><div style=\"height:21px\"><!-- --></div></div><div class=\"bottom\"><div "
      "class=\"bottom_bg\">" +
      BuildGradientDivs(Gradient::kFooter) +
      "</div><div class=\"bottom_fg\" align=\"center\">Design nach Torvenn   -   Inhalt von "
      "Brekk</div></div></td></tr></table></body></html>";
  EXPECT_TRUE(page.ends_with(after_style));
  // 20 style rules end with CR LF, the description holds one more; no other
  // line breaks anywhere.
  EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 22);
  EXPECT_EQ(std::count(page.begin(), page.end(), '\r'), 22);
  EXPECT_EQ(page.find("open:"), std::string::npos);
  EXPECT_EQ(page.find("<FORM"), std::string::npos);
}

TEST(AppPage, TemplateRules) {
  struct Case {
    const char* what;
    const char* page_template;
    const char* expected;
  };
  const Case cases[] = {
      {"lines joined, both placeholders everywhere",
       "<a>\r\n[PROGRAMPATH]x\n[CONTENT]\r[PROGRAMPATH]", "<a>/p/7/xC[P]/p/7/"},
      {"no [CONTENT]: no content", "<html>\r\n</html>\r\n", "<html></html>"},
      {"placeholders are case-sensitive", "[content][Content]", "[content][Content]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComposeAppPage(c.page_template, "/p/7/", "C[P]"), c.expected) << c.what;
  }
  // A park named like a placeholder stays as it is.
  EXPECT_EQ(ComposeAppPage("[CONTENT]", "/p/", "[PROGRAMPATH]"), "[PROGRAMPATH]");
}

TEST(AppPage, WritesTempDatOnlyWhenTheTemplateExists) {
  const std::filesystem::path root =
      std::filesystem::path(WUNT_BINARY_DIR) / "test-report" / "app_page";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "Data" / "7");
  const Fixture f;
  const std::vector<SelectionEntry> chosen = {{7, "A", 0}};
  EXPECT_FALSE(WriteAppPage(root, 7, f.Input(), {}, chosen));
  EXPECT_FALSE(std::filesystem::exists(root / "Data" / "Temp.dat"));

  std::filesystem::copy_file(std::filesystem::path(WUNT_FIXTURES) / "report" / "Overview.htm",
                             root / "Data" / "7" / "Overview.htm");
  const auto written = WriteAppPage(root, 7, f.Input(), {}, chosen);
  ASSERT_TRUE(written);
  EXPECT_EQ(*written, root / "Data" / "Temp.dat");
  const std::string season_path = SeasonPathForTemplate(root, 7);
  EXPECT_TRUE(season_path.ends_with("/Data/7/"));
  EXPECT_TRUE(std::filesystem::path(season_path).is_absolute());
  const std::string content =
      BuildHeadings(f.Input(), true) +
      "<p>Zum Hinzuf\xfcgen, Entfernen oder Sortieren muss die Seite neu erstellt werden.</p>" +
      BuildSelectionForm(ContentKind::kValue, {}, chosen) + BuildAppTable(f.Input());
  EXPECT_EQ(ReadWholeFile(*written).value_or(""),
            "<html><head><title>\xdc"
            "bersicht</title><link rel=\"stylesheet\" href=\"" +
                season_path + "style.css\"></head><body><img src=\"" + season_path +
                "Banner.jpg\">" + content + "</body></html>");
}

// A page much longer than the writer's pieces, with the content placed
// twice, is written exactly as composed in memory, and no scratch file is
// left beside it.
TEST(AppPage, LongPageIsWrittenAsComposed) {
  const std::filesystem::path root =
      std::filesystem::path(WUNT_BINARY_DIR) / "test-report" / "long_app_page";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "Data" / "7");
  const std::string page_template = "<html>\r\n[PROGRAMPATH]<b>[CONTENT]</b>\n[CONTENT]</html>";
  ASSERT_TRUE(WriteFileAtomically(root / "Data" / "7" / "Overview.htm", page_template));
  Fixture f;
  const auto rows = f.table.rows;
  for (int i = 0; i < 3000; ++i) f.table.rows.push_back(rows[static_cast<size_t>(i % 2)]);
  const std::vector<SelectionEntry> chosen = {{7, "A", 0}, {9, "Zoo", 0}};
  const std::vector<SelectionEntry> available = {{11, "B<", 0}};
  ASSERT_TRUE(WriteAppPage(root, 7, f.Input(), available, chosen));
  const std::string expected = ComposeAppPage(page_template, SeasonPathForTemplate(root, 7),
                                              BuildAppContent(f.Input(), available, chosen));
  ASSERT_GT(expected.size(), size_t{1} << 20);
  EXPECT_TRUE(ReadWholeFile(root / "Data" / "Temp.dat").value_or("") == expected);
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(root / "Data")) {
    ++entries;
  }
  EXPECT_EQ(entries, 2u);  // the season folder and Temp.dat
}

TEST(CsvTable, CellsAsShownAndFieldsQuotedWhenNeeded) {
  Fixture f;
  f.table.rows[1].name = "Zoo; \"Nord\"";
  EXPECT_EQ(BuildCsvTable(f.Input()),
            "Nr.;Name;2001;2002;Durchschnitt\r\n"
            "1;A & <B>;1234;;617\r\n"
            "2;\"Zoo; \"\"Nord\"\"\";;-7;0\r\n");
  f.view.content_kind = ContentKind::kPark;
  f.view.merge = false;
  EXPECT_EQ(BuildCsvTable(f.Input()),
            "Nr.;Wert;2001;2002\r\n"
            "1;G\xe4ste;1234;\r\n"
            "2;Preis (EUR);0,05;\r\n");
}

// A value cell is the bare number in the one sheet form (decimal comma, no
// thousands dots); its unit, whatever text it is, moves into the heading.
TEST(CsvTable, ValuesAreBareNumbersAndUnitsGoToTheHeadings) {
  const struct {
    int64_t value;
    const char* format;
    const char* unit;
    const char* heading_unit;
    const char* cell;
  } cases[] = {
      {3047, "", " TEUR ", " (TEUR)", "3047"},
      {1234567, "", "", "", "1234567"},
      {1234567, "/100", "EUR", " (EUR)", "12345,67"},
      {-5, "/100", "%", " (%)", "-0,05"},
      {12, "*1000", "", "", "12000"},
      {12355, "-100", "", "", "124"},
      {-21665, "", "+cmd|' /C calc'!A0", " (+cmd|' /C calc'!A0)", "-21665"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cell);
    Fixture f;
    f.view.content_kind = ContentKind::kYear;
    f.view.end_year = f.view.start_year;
    f.values = {{"Wert", "", c.format, c.unit}};
    f.park_a = {{c.value}};
    f.table.rows.resize(1);
    f.table.rows[0].total = c.value;
    const std::string unit = c.heading_unit;
    EXPECT_EQ(BuildCsvTable(f.Input()), "Nr.;Name;Wert" + unit + ";Gesamt" + unit +
                                            "\r\n1;A & <B>;" + c.cell + ";" + c.cell + "\r\n");
  }
}

TEST(CsvTable, TextsThatSpreadsheetsWouldRunAreMarkedAsText) {
  const struct {
    const char* name;
    const char* cell;
  } cases[] = {
      {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
      {"+1", "'+1"},
      {"-Zoo", "'-Zoo"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\t=1", "'=1"},
      {"\rZoo", "\"'\rZoo\""},
      {"  =1", "'=1"},
      {"Zoo=1", "Zoo=1"},
      {"1-2", "1-2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.table.rows[0].name = c.name;
    const std::string csv = BuildCsvTable(f.Input());
    const std::string row = "1;" + std::string(c.cell) + ";1234;;617\r\n";
    EXPECT_NE(csv.find(row), std::string::npos) << csv;
    // The same text as a value's label heads a column of "Jahr" pages.
    f.view.content_kind = ContentKind::kYear;
    f.values[0].label = c.name;
    EXPECT_TRUE(BuildCsvTable(f.Input()).starts_with("Nr.;Name;" + std::string(c.cell) + ";"));
  }
  // Negative numbers stay numbers.
  Fixture f;
  EXPECT_NE(BuildCsvTable(f.Input()).find("\r\n2;Zoo;;-7;0\r\n"), std::string::npos);
}

}  // namespace
}  // namespace wunt
