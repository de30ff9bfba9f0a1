#include "viewer/attractions/catalogue_export.h"

#include <string_view>

#include "viewer/report/html_writer.h"

namespace wunt {
namespace {

std::string_view BuiltMark(const CatalogueModel& model, size_t row) {
  return model.IsTicked(row) ? "x" : "";
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
  std::string out;
  for (int c = 0; c < kCatalogueColumnCount; ++c) {
    AppendCsvText(out, CatalogueColumnOf(c).header);
    out += ';';
  }
  out += kBuiltHeading;
  out += "\r\n";
  for (size_t row = 0; row < model.row_count(); ++row) {
    AppendCsvText(out, model.CellText(row, kColumnName));
    for (int c = 1; c < kCatalogueColumnCount; ++c) {
      out += ';';
      std::string cell = model.CellText(row, c);
      if (CatalogueColumnOf(c).thousands) std::erase(cell, '.');
      AppendCsvField(out, cell);
    }
    out += ';';
    out += BuiltMark(model, row);
    out += "\r\n";
  }
  return out;
}

}  // namespace wunt
