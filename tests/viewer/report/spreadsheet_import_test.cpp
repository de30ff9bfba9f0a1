// Our CSV files as a real spreadsheet reads them: LibreOffice Calc, without
// a display, imports them with German settings (semicolon, Windows-1252,
// German number forms, formulas evaluated as a careless import would) and
// writes them back as a flat OpenDocument file, whose cell types and values
// are compared with what we meant to write. Needs `soffice` (Debian:
// libreoffice-calc-nogui); without it the test is skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <variant>
#include <vector>

#include "common/file_util.h"
#include "common/text.h"
#include "tests/support/child_process.h"
#include "tests/support/scratch_folder.h"
#include "viewer/attractions/catalogue_export.h"
#include "viewer/report/html_writer.h"

namespace wunt {
namespace {

namespace fs = std::filesystem;

// The import options: field separator ';' (59), text delimiter '"' (34),
// Windows-1252 (1), from line 1, standard columns, German (1031), then
// "evaluate formulas" on, so that a cell which would run shows up as one.
constexpr char kGermanImport[] = "CSV:59,34,1,1,,1031,false,false,false,false,false,-1,true";

std::optional<fs::path> FindSoffice() {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  for (const std::string& dir : [&] {
         std::vector<std::string> dirs(1);
         for (const char* p = path; *p != '\0'; ++p) {
           if (*p == ':') {
             dirs.emplace_back();
           } else {
             dirs.back() += *p;
           }
         }
         return dirs;
       }()) {
    const fs::path candidate = fs::path(dir) / "soffice";
    std::error_code error;
    if (!dir.empty() && fs::is_regular_file(candidate, error)) return candidate;
  }
  return std::nullopt;
}

// One cell as the spreadsheet holds it.
struct Cell {
  std::string type;  // "float", "string", or empty for an empty cell
  double value = 0;
  std::string text;  // UTF-8
  bool formula = false;
};
using Sheet = std::vector<std::vector<Cell>>;

std::string Unescape(std::string text) {
  for (const auto& [from, to] :
       {std::pair{"&apos;", "'"}, {"&quot;", "\""}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
    text = ReplaceAll(text, from, to);
  }
  return text;
}

std::string Attribute(const std::string& attributes, const std::string& name) {
  std::smatch match;
  const std::regex pattern(name + "=\"([^\"]*)\"");
  return std::regex_search(attributes, match, pattern) ? match[1].str() : std::string();
}

// The first table of a flat OpenDocument spreadsheet.
Sheet ReadSheet(const std::string& document) {
  Sheet sheet;
  const std::regex row_pattern("<table:table-row[^>]*>([\\s\\S]*?)</table:table-row>");
  const std::regex cell_pattern(
      "<table:(?:covered-)?table-cell([^>]*?)(?:/>|>([\\s\\S]*?)</table:(?:covered-)?table-cell>)");
  const std::regex text_pattern("<text:p>([\\s\\S]*?)</text:p>");
  for (std::sregex_iterator row(document.begin(), document.end(), row_pattern), end; row != end;
       ++row) {
    sheet.emplace_back();
    const std::string cells = (*row)[1].str();
    for (std::sregex_iterator it(cells.begin(), cells.end(), cell_pattern); it != end; ++it) {
      const std::string attributes = (*it)[1].str();
      const std::string body = (*it)[2].str();
      Cell cell;
      cell.type = Attribute(attributes, "office:value-type");
      if (cell.type == "float")
        cell.value = std::strtod(Attribute(attributes, "office:value").c_str(), nullptr);
      cell.formula = !Attribute(attributes, "table:formula").empty();
      std::smatch text;
      if (std::regex_search(body, text, text_pattern)) cell.text = Unescape(text[1].str());
      const std::string repeated = Attribute(attributes, "table:number-columns-repeated");
      const int count = repeated.empty() ? 1 : std::min(std::atoi(repeated.c_str()), 64);
      for (int i = 0; i < count; ++i) sheet.back().push_back(cell);
    }
  }
  return sheet;
}

// What a cell must arrive as: a number, a text (UTF-8), or nothing.
struct Empty {};
using Expected = std::variant<double, std::string, Empty>;

void ExpectSheet(const Sheet& sheet, const std::vector<std::vector<Expected>>& expected) {
  ASSERT_GE(sheet.size(), expected.size());
  for (size_t r = 0; r < expected.size(); ++r) {
    for (size_t c = 0; c < expected[r].size(); ++c) {
      SCOPED_TRACE("row " + std::to_string(r) + " column " + std::to_string(c));
      const Cell none;
      const Cell& got = c < sheet[r].size() ? sheet[r][c] : none;
      EXPECT_FALSE(got.formula) << got.text;
      if (const double* number = std::get_if<double>(&expected[r][c])) {
        EXPECT_EQ(got.type, "float") << got.text;
        EXPECT_NEAR(got.value, *number, 1e-9 * std::max(1.0, std::abs(*number)));
      } else if (const std::string* text = std::get_if<std::string>(&expected[r][c])) {
        EXPECT_EQ(got.type, "string");
        EXPECT_EQ(got.text, *text);
      } else {
        EXPECT_EQ(got.type, "") << got.text;
      }
    }
  }
}

TEST(SpreadsheetImport, EveryValueCellArrivesAsItsNumber) {
  const std::optional<fs::path> soffice = FindSoffice();
  if (!soffice) {
    GTEST_SKIP() << "soffice is not on PATH (Debian package libreoffice-calc-nogui, installed by "
                    "scripts/install-deps.sh), so no spreadsheet can read our CSV here";
  }
  test::ScratchFolder folder;

  // A "Jahr" page: one column per value, each kind of display format, a
  // unit that tries to run a command, and names a spreadsheet would run.
  const std::vector<ValueDefinition> values = {
      {"G\xE4ste", "", "", ""},     {"Umsatz", "", "/100", "TEUR"},
      {"Anteil", "", "/1000", "%"}, {"Kosten", "", "*1000", "EUR"},
      {"Rang", "", "-10", ""},      {"Trick", "", "", "+cmd|' /C calc'!A0"},
  };
  std::vector<std::vector<int64_t>> first = {{1234567, 304712, -5, 12, 12355, -21665}};
  std::vector<std::vector<int64_t>> second = {{-1234567, 0, 1500, -12, -14, 7}};
  ResultTable table;
  table.rows.push_back({1, "=1+1", 2001, 2001, &first, 0, 99999});
  table.rows.push_back({2, "Zoo; \"Nord\"", 2001, 2001, &second, 0, 0});
  const ReportInput input{.table = table,
                          .view = {.content_kind = ContentKind::kYear,
                                   .source_kind = SourceKind::kParks,
                                   .start_year = 2001,
                                   .end_year = 2001,
                                   .merge = true},
                          .calculation_name = "Test",
                          .description = "",
                          .values = values,
                          .highest_year = 2001,
                          .game_address = ""};
  const std::string trick = "+cmd|' /C calc'!A0";
  const std::vector<std::vector<Expected>> report = {
      {"Nr.", "Name", "G\xC3\xA4ste", "Umsatz (TEUR)", "Anteil (%)", "Kosten (EUR)", "Rang",
       "Trick (" + trick + ")", "Gesamt (" + trick + ")"},
      {1.0, "'=1+1", 1234567.0, 3047.12, -0.005, 12000.0, 1236.0, -21665.0, 99999.0},
      {2.0, "Zoo; \"Nord\"", -1234567.0, Empty{}, 1.5, -12000.0, -1.0, 7.0, 0.0},
  };

  // The catalogue: thousands, decimals, a negative sum and the area text.
  CatalogueEntry entry;
  entry.id = 1;
  entry.category = 1;
  entry.name = "-Bahn";
  entry.cost = 1234567;
  entry.maintenance = -12345;
  entry.staff = 3;
  entry.staff_cost = 45000;
  entry.width = 4;
  entry.depth = 5;
  entry.capacity = 800;
  entry.target_a = 1.5f;
  entry.atmosphere = 3;
  entry.bonus_a = 2.5f;
  CatalogueModel model;
  model.ReplaceEntries(2001, {entry});
  std::vector<Expected> header;
  for (int c = 0; c < kCatalogueColumnCount; ++c) {
    header.emplace_back(Cp1252ToUtf8(CatalogueColumnOf(c).header));
  }
  header.emplace_back(std::string("gebaut"));
  // Each cell as the window shows it, read the way the window means it.
  std::vector<Expected> row = {std::string("'-Bahn")};
  for (int c = 1; c < kCatalogueColumnCount; ++c) {
    std::string shown = model.CellText(0, c);
    if (CatalogueColumnOf(c).thousands) std::erase(shown, '.');
    if (shown.empty()) {
      row.emplace_back(Empty{});
    } else if (c == kColumnArea) {
      row.emplace_back(shown);
    } else {
      row.emplace_back(std::strtod(shown.c_str(), nullptr));
    }
  }
  row.emplace_back(Empty{});
  const std::vector<std::vector<Expected>> catalogue = {header, row};

  ASSERT_TRUE(WriteFileAtomically(folder / "report.csv", BuildCsvTable(input)));
  ASSERT_TRUE(WriteFileAtomically(folder / "catalogue.csv", BuildCatalogueCsv(model)));
  test::ChildProcess office;
  ASSERT_TRUE(office.Start(
      {soffice->string(), "-env:UserInstallation=file://" + (folder / "profile").string(),
       "--headless", "--norestore", "--infilter=" + std::string(kGermanImport), "--convert-to",
       "fods", "--outdir", (folder / "out").string(), (folder / "report.csv").string(),
       (folder / "catalogue.csv").string()}));
  office.ReadRemainingLines(std::chrono::minutes(3));
  ASSERT_EQ(office.Wait(std::chrono::seconds(10)), 0);
  {
    SCOPED_TRACE("report");
    ExpectSheet(ReadSheet(ReadWholeFile(folder / "out" / "report.fods").value_or("")), report);
  }
  {
    SCOPED_TRACE("catalogue");
    ExpectSheet(ReadSheet(ReadWholeFile(folder / "out" / "catalogue.fods").value_or("")),
                catalogue);
  }
}

}  // namespace
}  // namespace wunt
