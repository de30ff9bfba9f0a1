#include "viewer/attractions/catalogue_export.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "viewer/report/html_writer.h"
#include "viewer/report/sheet_table.h"

namespace wunt {
namespace {

std::string_view BuiltMark(const CatalogueModel& model, size_t row) {
  return model.IsTicked(row) ? "x" : "";
}

// The window shows whole numbers with thousands dots and decimals with a
// point; a sheet wants neither.
void AddCatalogueCell(SheetTable& sheet, const CatalogueModel& model, size_t row, int column) {
  std::string cell = model.CellText(row, column);
  if (column == kColumnName) {
    sheet.AddText(cell);
    return;
  }
  if (CatalogueColumnOf(column).thousands) {
    std::erase(cell, '.');
  } else {
    std::replace(cell.begin(), cell.end(), '.', ',');
  }
  if (cell.empty()) {
    sheet.AddEmpty();
  } else {
    sheet.AddNumber(cell);  // the area "3 x 4" goes in as text
  }
}

std::string BuildCatalogueSheet(const CatalogueModel& model, const std::vector<size_t>& rows,
                                char separator, bool with_built) {
  SheetTable sheet(separator);
  for (int c = 0; c < kCatalogueColumnCount; ++c) sheet.AddText(CatalogueColumnOf(c).header);
  if (with_built) sheet.AddText(kBuiltHeading);
  sheet.EndRow();
  for (size_t row : rows) {
    for (int c = 0; c < kCatalogueColumnCount; ++c) AddCatalogueCell(sheet, model, row, c);
    if (with_built) sheet.AddText(BuiltMark(model, row));
    sheet.EndRow();
  }
  return sheet.text();
}

}  // namespace

std::string BuildCataloguePage(const CatalogueModel& model) {
  const std::string year = std::to_string(model.year());
  std::string out =
      "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
      "charset=windows-1252\">\r\n<title>Attraktionen " +
      year + "</title>\r\n</head>\r\n<body>\r\n<h1>Attraktionen " + year +
      "</h1>\r\n<table border=\"1\">\r\n<tr>";
  for (int c = 0; c < kCatalogueColumnCount; ++c) {
    out += "<th>";
    AppendHtmlEscaped(out, CatalogueColumnOf(c).header);
    out += "</th>";
  }
  out += "<th>";
  out += kBuiltHeading;
  out += "</th></tr>\r\n";
  for (size_t row = 0; row < model.row_count(); ++row) {
    out += "<tr>";
    for (int c = 0; c < kCatalogueColumnCount; ++c) {
      out += "<td>";
      AppendHtmlEscaped(out, model.CellText(row, c));
      out += "</td>";
    }
    out += "<td>";
    out += BuiltMark(model, row);
    out += "</td></tr>\r\n";
  }
  out += "</table>\r\n</body>\r\n</html>\r\n";
  return out;
}

std::string BuildCatalogueCsv(const CatalogueModel& model) {
  std::vector<size_t> rows(model.row_count());
  std::iota(rows.begin(), rows.end(), size_t{0});
  return BuildCatalogueSheet(model, rows, ';', true);
}

std::string BuildCatalogueCopyText(const CatalogueModel& model, std::vector<size_t> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::erase_if(rows, [&model](size_t row) { return row >= model.row_count(); });
  return BuildCatalogueSheet(model, rows, '\t', false);
}

}  // namespace wunt
