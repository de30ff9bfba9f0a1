#include "viewer/report/html_writer.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <span>

#include "common/file_util.h"
#include "common/season_layout.h"
#include "common/text.h"
#include "viewer/calc/number_format.h"
#include "viewer/report/sheet_table.h"

namespace wunt {
namespace {

constexpr std::string_view kHeadLeft =
    "<td style=\"border-bottom: solid 1px #AAA; font-weight:bold;\">";
constexpr std::string_view kHeadRight =
    "<td style=\"text-align:right; border-bottom: solid 1px #AAA; font-weight:bold;\">";
constexpr std::string_view kHeadNumber =
    "<td style=\"border-bottom: solid 1px #AAA; font-weight:bold; text-align:center;\">Nr.</td>";
// A value keeps its unit beside it ("4.888 TEUR") however narrow the window
// showing the page: the column widens instead. With the end of the cell
// before it, as every value cell follows another cell.
constexpr std::string_view kNextValueCell =
    "</td><td style=\"text-align:right; white-space:nowrap;\">";
constexpr std::string_view kNoValue = "---";

constexpr std::string_view kStyleRules[] = {
    "body {font-family: Verdana, sans-serif;font-size: 11px;padding:0px;background-color:#FAEB96;"
    "margin:0px;}",
    "table {margin:0px;padding:0px;border-style:none;}",
    "td {font-size:13px;vertical-align:100%;margin:0px;padding:0px;border:1px #0A468C;}",
    "p {font-family:verdana,arial;color:#000000;font-size:13px;line-height:18px;margin-top:0px;"
    "margin-bottom:8px;max-width:1024;}",
    ".bg_table {position:absolute; left:0px; top:0px; width:100%; height:100%;}",
    ".top {position:relative; left:0px; top:0px; height:100%}",
    ".top_bg {position:absolute; left:0px; top:0px; width:100%; z-index:1;}",
    ".hl_left {position:absolute; left:20px; top:5px; color:#EEE; z-index:10; font-size:20;}",
    ".hl_right {position:absolute; right:20px; top:9px; color:#EEE; z-index:10; font-size:16; "
    "font-weight:bold;}",
    ".top_fg {position:relative; left:0px; top:0px; z-index:2; padding-top:80px; "
    "padding-left:20px; padding-right:20px;text-align:left}",
    ".bottom {position:relative; left:0px; bottom:21px; height:-21px}",
    ".bottom_bg {position:absolute; left:0px; top:0px; width:100%; z-index:3;}",
    ".bottom_fg {position:absolute; left:0px; top:4px; width:100%; z-index:4; text-align:center; "
    "font-size:11px;vertical-align:bottom;color:#FFF;}",
    "h1 {font-family:arial,verdana;color:#FA1E46;font-size:17px;margin-top:0px;"
    "margin-bottom:13px;}",
    "h2 {font-family:verdana,arial;color:#0A468C;font-size:13px;line-height:18px;margin-top:13px;"
    "margin-bottom:8px;}",
    "p {font-family:verdana,arial;color:#000000;font-size:13px;line-height:18px;margin-top:0px;"
    "margin-bottom:8px;}",
    "a:link, a:visited, a:active {color:#0059B4;text-decoration:none;}",
    "a:hover {color:#FA1E46;text-decoration:none;}",
    ".tabellem  {background-color:#FDF7D7;}",
    ".tabellem td {font-size:11px;vertical-align:middle;margin:0px;padding:4px;border:1px "
    "#0A468C;}",
};

void AppendNumber(std::string& out, int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

// Channel by channel from `from` at row `first` to `to` at row `last`,
// rounded to the nearest integer (halves up).
PageColor Blend(PageColor from, PageColor to, int first, int last, int row) {
  const int span = last - first;
  const int step = row - first;
  auto channel = [&](int a, int b) {
    return (2 * (a * span + (b - a) * step) + span) / (2 * span);
  };
  return {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

constexpr PageColor kWhite{255, 255, 255};
constexpr PageColor kRedTop{250, 130, 160};
constexpr PageColor kRedBottom{250, 30, 70};
constexpr PageColor kSand{250, 235, 150};

// The link to an entity: on the game server (export page) or back into the
// program (in-app page). Only the opening tag.
void AppendLinkOpening(std::string& out, const ReportInput& input, int32_t id, bool app_links) {
  static constexpr std::string_view kAppKinds[] = {"park", "company", "country"};
  static constexpr std::string_view kServerPaths[] = {
      "/parkprofil.php?parkid=", "/company.php?userid=", "/teilnehmerliste.php?landid="};
  const auto kind = static_cast<size_t>(input.view.source_kind);
  out += "<a href=\"";
  if (app_links) {
    out += "open:";
    out += kAppKinds[kind];
    out += "?id=";
  } else {
    out += input.game_address;
    out += kServerPaths[kind];
  }
  AppendNumber(out, id);
  out += "\">";
}

void AppendLink(std::string& out, const ReportInput& input, const ResultRow& row, bool app_links) {
  AppendLinkOpening(out, input, row.id, app_links);
  AppendHtmlEscaped(out, row.name);
  out += "</a>";
}

void AppendSortHeading(std::string& out, const ReportInput& input) {
  const int32_t index = input.table.sort_index;
  out += "<h2>Sortiert nach ";
  if (index == kSortByName) {
    out += "Namen";
  } else if (index == kSortByTotal) {
    out += input.view.content_kind == ContentKind::kYear ? "der Gesamtsumme" : "dem Durchschnitt";
  } else if (input.view.content_kind == ContentKind::kYear) {
    out += "dem Wert \"";
    if (index >= 0 && static_cast<size_t>(index) < input.values.size()) {
      out += input.values[static_cast<size_t>(index)].label;
    }
    out += "\"";
  } else {
    out += "den Werten aus dem Jahr ";
    AppendNumber(out, int64_t{input.view.start_year} + index);
  }
  out += "</h2>";
}

void AppendSingleEntityHeading(std::string& out, const ReportInput& input, bool app_links) {
  out +=
      "<h1>\xdc"
      "bersicht \xfc"
      "ber ";
  const ResultRow* row = SingleRow(input);
  if (row != nullptr) {
    if (input.view.source_kind == SourceKind::kCountries) {
      AppendLink(out, input, *row, app_links);
    } else {
      out += input.view.source_kind == SourceKind::kCompanies ? "die Firma " : "den Park ";
      AppendLink(out, input, *row, app_links);
      out += " (";
      AppendNumber(out, row->first_year);
      out += " - ";
      if (row->last_year == input.highest_year) {
        out += "----";
      } else {
        AppendNumber(out, row->last_year);
      }
      out += ")";
    }
  }
  out += "</h1>";
}

void AppendHeaderRow(std::string& out, const ReportInput& input, bool app_links) {
  out += "<tr style=\"background-color:#EEEEEE; color:#0A468C;\">";
  out += kHeadNumber;
  out += kHeadLeft;
  if (input.view.content_kind == ContentKind::kPark) {
    out += "Wert";
  } else if (app_links) {
    out += "<a href=\"window:refresh?sort=-2\">Name</a>";
  } else {
    out += "Name";
  }
  out += "</td>";
  for (const ReportColumn& column : ReportColumns(input)) {
    out += kHeadRight;
    if (app_links && input.view.content_kind != ContentKind::kPark) {
      out += "<a href=\"window:refresh?sort=";
      AppendNumber(out, column.sort_index);
      out += "\">";
      out += column.heading;
      out += "</a>";
    } else {
      out += column.heading;
    }
    out += "</td>";
  }
  if (HasTotalColumn(input)) {
    out += kHeadRight;
    if (app_links) {
      out += "<a href=\"window:refresh?sort=-1\">";
      out += TotalHeading(input);
      out += "</a>";
    } else {
      out += TotalHeading(input);
    }
    out += "</td>";
  }
  out += "</tr>";
}

// Generous, so that a long table is never copied to a larger buffer while
// it grows: reserved memory that is never written costs nothing.
size_t TableSizeEstimate(const ReportInput& input) {
  return 512 + ReportRowCount(input) * (256 + ReportColumns(input).size() * 96);
}

// Takes the page made so far out of `out` (into a file) and leaves it empty,
// so that a long page never sits whole in memory: every fresh megabyte costs
// page faults, and copying a page once more costs as much as making it.
using PageDrain = std::function<void(std::string& out)>;
// How much a drained page gathers before it is handed on.
constexpr size_t kDrainSize = size_t{256} << 10;

// The display formats of a table, each read once: one per definition of
// the calculation (the last one plain, for a calculation without values),
// and the total's.
struct TableFormats {
  explicit TableFormats(const ReportInput& input) : total(TotalDefinition(input)) {
    cells.reserve(input.values.size() + 1);
    for (const ValueDefinition& definition : input.values) cells.emplace_back(definition);
    cells.emplace_back("", "");
  }
  std::vector<ValueFormat> cells;
  ValueFormat total;
};

// One body row; `values` holds its data columns' stored values.
void AppendRow(std::string& out, const ReportInput& input, bool app_links, size_t row,
               std::span<const int64_t> values, const TableFormats& formats) {
  const size_t number = row + 1;
  out += number % 2 == 0 ? std::string_view("<tr style=\"background-color:#FFF;\"><td>")
                         : std::string_view("<tr style=\"\"><td>");
  AppendNumber(out, static_cast<int64_t>(number));
  out += std::string_view(".</td><td style=\"white-space:nowrap;\">");
  if (input.view.content_kind == ContentKind::kPark) {
    out += input.values[row].label;
  } else {
    AppendLink(out, input, input.table.rows[row], app_links);
  }
  for (size_t column = 0; column < values.size(); ++column) {
    if (values[column] == 0) {
      out += kNextValueCell;
      out += kNoValue;
    } else {
      formats.cells[ReportCellDefinitionIndex(input, row, column)].Append(out, values[column],
                                                                          kNextValueCell);
    }
  }
  if (HasTotalColumn(input)) {
    formats.total.Append(out, input.table.rows[row].total, kNextValueCell);
  }
  out += std::string_view("</td></tr>");
}

// A row's values lie scattered over the heap: a list of game years per
// entity, and a small vector of values per game year. Reading them cell by
// cell waits for memory two or three times per cell, so the writer asks for
// them ahead: the year lists of the next block of rows, then the values of
// the block it is about to read. The names lie apart from their rows too.
void PrefetchYearList(const ResultRow& row) {
  __builtin_prefetch(row.name.data());
  if (row.year_values == nullptr) return;
  const auto* begin = reinterpret_cast<const char*>(row.year_values->data());
  const auto* end =
      reinterpret_cast<const char*>(row.year_values->data() + row.year_values->size());
  for (const char* line = begin; line < end; line += 64) __builtin_prefetch(line);
}

void PrefetchYearValues(const ResultRow& row) {
  if (row.year_values == nullptr) return;
  for (const std::vector<int64_t>& year : *row.year_values) __builtin_prefetch(year.data());
}

// Appends in place; `drain`, when given, is called between rows.
void AppendTable(std::string& out, const ReportInput& input, bool app_links,
                 const PageDrain* drain = nullptr) {
  const size_t row_count = ReportRowCount(input);
  const size_t column_count = ReportColumns(input).size();
  out +=
      "<TABLE cellpadding=0 cellspacing=0 class=\"tabellem\" style=\"border: solid 1px #AAA; "
      "border-collapse:collapse; margin-bottom:12px;\">";
  AppendHeaderRow(out, input, app_links);
  // The values of a block of rows are fetched before any is formatted, and
  // asked for ahead (see PrefetchYearList), so that the processor waits for
  // many of them at once instead of one after another.
  constexpr size_t kBlockRows = 64;
  std::vector<int64_t> values(kBlockRows * column_count);
  const TableFormats formats(input);
  for (size_t first = 0; first < row_count; first += kBlockRows) {
    const size_t rows = std::min(kBlockRows, row_count - first);
    if (input.view.content_kind != ContentKind::kPark) {
      for (size_t row = first + rows; row < std::min(row_count, first + 2 * kBlockRows); ++row) {
        PrefetchYearList(input.table.rows[row]);
      }
      for (size_t i = 0; i < rows; ++i) PrefetchYearValues(input.table.rows[first + i]);
    }
    for (size_t i = 0; i < rows; ++i) {
      for (size_t column = 0; column < column_count; ++column) {
        values[i * column_count + column] = ReportCellValue(input, first + i, column);
      }
    }
    for (size_t i = 0; i < rows; ++i) {
      AppendRow(out, input, app_links, first + i,
                std::span(values).subspan(i * column_count, column_count), formats);
      if (drain != nullptr && out.size() >= kDrainSize) (*drain)(out);
    }
  }
  out += "</table>";
}

std::string BuildTable(const ReportInput& input, bool app_links) {
  std::string out;
  out.reserve(TableSizeEstimate(input));
  AppendTable(out, input, app_links);
  return out;
}

void AppendOptions(std::string& out, const std::vector<SelectionEntry>& entries) {
  for (size_t i = 0; i < entries.size(); ++i) {
    out += "<option value=\"";
    AppendNumber(out, static_cast<int64_t>(i));
    out += "\">";
    AppendHtmlEscaped(out, entries[i].label);
    out += "</option>";
  }
}

void AppendSelectCell(std::string& out, std::string_view name,
                      const std::vector<SelectionEntry>& entries) {
  out += "<td style=\"padding-left:10px; padding-right:10px;\"><Select name=\"";
  out += name;
  out += "\" style=\"margin-left:0px;\">";
  AppendOptions(out, entries);
  out += "</Select></td>";
}

constexpr std::string_view kSubmitButton =
    "<td><BUTTON type=\"submit\" class=\"button\"></BUTTON></td>";

void AppendAppContent(std::string& out, const ReportInput& input,
                      const std::vector<SelectionEntry>& available,
                      const std::vector<SelectionEntry>& chosen, const PageDrain* drain) {
  out += BuildHeadings(input, true);
  // The page of one entity offers only to change it, and has no sorting.
  out += input.view.content_kind == ContentKind::kPark
             ? "<p>Zum \xc4ndern der Auswahl muss die Seite neu erstellt werden.</p>"
             : "<p>Zum Hinzuf\xfcgen, Entfernen oder Sortieren muss die Seite neu erstellt "
               "werden.</p>";
  out += BuildSelectionForm(input.view.content_kind, available, chosen);
  AppendTable(out, input, /*app_links=*/true, drain);
}

constexpr std::string_view kContentPlace = "[CONTENT]";

// The template with its line breaks dropped and every [PROGRAMPATH]
// replaced: the page around its [CONTENT] places.
std::string PrepareTemplate(std::string_view template_bytes, std::string_view season_path) {
  std::string joined;
  joined.reserve(template_bytes.size());
  for (char c : template_bytes) {
    if (c != '\r' && c != '\n') joined += c;
  }
  return ReplaceAll(joined, "[PROGRAMPATH]", season_path);
}

}  // namespace

int GradientHeight(Gradient gradient) { return gradient == Gradient::kBanner ? 500 : 21; }

PageColor GradientColor(Gradient gradient, int row) {
  if (gradient == Gradient::kFooter) {
    if (row < 3) return kWhite;
    return Blend(kRedTop, kRedBottom, 3, 20, row);
  }
  if (row <= 39) return Blend({80, 170, 220}, {10, 70, 140}, 0, 39, row);
  if (row <= 42) return kWhite;
  if (row <= 60) return Blend(kRedTop, kRedBottom, 43, 60, row);
  if (row <= 160) return kWhite;
  if (row <= 401) return Blend(kWhite, kSand, 160, 401, row);
  return kSand;
}

std::string BuildGradientDivs(Gradient gradient) {
  std::string out;
  const int height = GradientHeight(gradient);
  out.reserve(static_cast<size_t>(height) * 80);
  for (int row = 0; row < height; ++row) {
    const PageColor c = GradientColor(gradient, row);
    out += "<div style=\"height:1px; background-color:RGB(";
    AppendNumber(out, c.r);
    out += ',';
    AppendNumber(out, c.g);
    out += ',';
    AppendNumber(out, c.b);
    out += ");\"><!-- --></div>";
  }
  return out;
}

void AppendHtmlEscaped(std::string& out, std::string_view text) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    std::string_view entity;
    switch (text[i]) {
      case '&':
        entity = "&amp;";
        break;
      case '<':
        entity = "&lt;";
        break;
      case '>':
        entity = "&gt;";
        break;
      case '"':
        entity = "&quot;";
        break;
      default:
        continue;
    }
    out.append(text, start, i - start);
    out += entity;
    start = i + 1;
  }
  out.append(text, start, std::string_view::npos);
}

std::string BuildHeadings(const ReportInput& input, bool app_links) {
  std::string out;
  switch (input.view.content_kind) {
    case ContentKind::kValue:
      out +=
          "<h1>\xdc"
          "bersicht \xfc"
          "ber den Wert \"";
      out += input.calculation_name;
      out += "\"</h1>";
      AppendSortHeading(out, input);
      break;
    case ContentKind::kPark:
      AppendSingleEntityHeading(out, input, app_links);
      break;
    default:
      out +=
          "<h1>\xdc"
          "bersicht \xfc"
          "ber das Jahr ";
      AppendNumber(out, input.view.start_year);
      out += "</h1>";
      AppendSortHeading(out, input);
      break;
  }
  return out;
}

std::string BuildExportTable(const ReportInput& input) { return BuildTable(input, false); }

std::string BuildAppTable(const ReportInput& input) { return BuildTable(input, true); }

std::string BuildExportPage(const ReportInput& input) {
  const std::string banner = BuildGradientDivs(Gradient::kBanner);
  const std::string footer = BuildGradientDivs(Gradient::kFooter);
  std::string out;
  out.reserve(TableSizeEstimate(input) + banner.size() + footer.size() + 4096 +
              input.description.size());
  out += "<html><head><style type=\"text/css\">\r\n";
  for (std::string_view rule : kStyleRules) {
    out += rule;
    out += "\r\n";
  }
  out +=
      "</style></head><body><table class=\"bg_table\"cellspacing=0px cellpadding=0px>"
      "<tr><td style=\"border:0px\" align=\"left\"><div class=\"top\"><div class=\"top_bg\">";
  out += banner;
  out += "</div><a href=\"";
  out += input.game_address;
  out +=
      "\"><div class=\"hl_left\">Orvanto</div></a><div class=\"hl_right\">Brekks Statistiken</div>"
      "<div class=\"top_fg\">";
  out += BuildHeadings(input, false);
  out += "<p>";
  out += input.description;
  out += "</p>";
  AppendTable(out, input, /*app_links=*/false);
  out +=
      "</div><div style=\"height:21px\"><!-- --></div></div><div class=\"bottom\">"
      "<div class=\"bottom_bg\">";
  out += footer;
  out +=
      "</div><div class=\"bottom_fg\" align=\"center\">Design nach Torvenn   -   Inhalt von Brekk"
      "</div></div></td></tr></table></body></html>";
  return out;
}

std::string BuildSelectionForm(ContentKind content_kind,
                               const std::vector<SelectionEntry>& available,
                               const std::vector<SelectionEntry>& chosen) {
  std::string out =
      "<FORM name=\"auswahl\" method=\"get\" action=\"window:refresh\"><table cellpadding=0 "
      "cellspacing=0 style=\"margin-bottom:10px;\"><tr>";
  if (content_kind == ContentKind::kPark) {
    out += "<td>\xc4ndern: </td>";
    AppendSelectCell(out, "change", available);
    out += kSubmitButton;
  } else {
    if (!available.empty()) {
      out += "<td>Hinzuf\xfcgen: </td>";
      AppendSelectCell(out, "add", available);
      out += kSubmitButton;
    }
    if (!chosen.empty()) {
      if (!available.empty()) out += "</tr><tr>";
      out += "<td>Entfernen: </td>";
      AppendSelectCell(out, "remove", chosen);
      out +=
          "<td><BUTTON type=\"submit\" name=\"btn_remove\" value=\"remove\" "
          "class=\"button\"></BUTTON></td>";
    }
  }
  out += "</tr></table></form>";
  return out;
}

std::string BuildAppContent(const ReportInput& input, const std::vector<SelectionEntry>& available,
                            const std::vector<SelectionEntry>& chosen) {
  std::string out;
  out.reserve(TableSizeEstimate(input));
  AppendAppContent(out, input, available, chosen, nullptr);
  return out;
}

std::string ComposeAppPage(std::string_view template_bytes, std::string_view season_path,
                           std::string_view content) {
  // The path goes in first, so a [CONTENT] the path might hold is replaced
  // too but nothing inside the generated content is touched.
  return ReplaceAll(PrepareTemplate(template_bytes, season_path), kContentPlace, content);
}

std::string SeasonPathForTemplate(const std::filesystem::path& program_folder, int32_t season) {
  std::error_code error;
  std::filesystem::path folder =
      std::filesystem::absolute(SeasonFolder(DataFolder(program_folder), season), error);
  if (error) folder = SeasonFolder(DataFolder(program_folder), season);
  std::string text = folder.lexically_normal().string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

std::filesystem::path AppPagePath(const std::filesystem::path& program_folder) {
  return DataFolder(program_folder) / "Temp.dat";
}

std::optional<std::filesystem::path> WriteAppPage(const std::filesystem::path& program_folder,
                                                  int32_t season, const ReportInput& input,
                                                  const std::vector<SelectionEntry>& available,
                                                  const std::vector<SelectionEntry>& chosen) {
  const std::optional<std::string> page_template =
      ReadWholeFile(SeasonFolder(DataFolder(program_folder), season) / "Overview.htm");
  if (!page_template) return std::nullopt;
  // As ComposeAppPage with BuildAppContent, but the content goes to the
  // file as it is made.
  const std::string page =
      PrepareTemplate(*page_template, SeasonPathForTemplate(program_folder, season));
  const std::filesystem::path path = AppPagePath(program_folder);
  // Made again for every page shown and read only by the page views, so it
  // is not synced: after a crash the next page replaces it anyway, and the
  // sync was a good part of the wait for a long page. Renamed over the old
  // page all the same, so that no view reads half a page and a view that
  // maps the old file keeps its bytes.
  AtomicFileWriter file;
  if (!file.Open(path)) return std::nullopt;
  const PageDrain drain = [&file](std::string& out) {
    file.Write(out);
    out.clear();
  };
  std::string out;
  out.reserve(2 * kDrainSize);
  size_t pos = 0;
  for (size_t hit; (hit = page.find(kContentPlace, pos)) != std::string::npos;
       pos = hit + kContentPlace.size()) {
    out.append(page, pos, hit - pos);
    AppendAppContent(out, input, available, chosen, &drain);
  }
  out.append(page, pos);
  drain(out);
  if (!file.CommitUnsynced()) return std::nullopt;
  return path;
}

namespace {

// A value cell as a bare number: the unit goes into the heading.
void AddValue(SheetTable& sheet, int64_t value, const ValueDefinition& definition) {
  const std::string shown = FormatValue(value, definition.display_format, "");
  const std::optional<std::string> number = SheetNumberOfGerman(shown);
  sheet.AddNumber(number ? *number : shown);
}

// The CSV file and the clipboard text: one table, told apart only by the
// separator.
std::string BuildSheetTable(const ReportInput& input, char separator) {
  const std::vector<ReportColumn> columns = ReportColumns(input);
  const bool park = input.view.content_kind == ContentKind::kPark;
  const bool total = HasTotalColumn(input);
  SheetTable sheet(separator);
  sheet.AddText("Nr.");
  sheet.AddText(park ? "Wert" : "Name");
  for (size_t column = 0; column < columns.size(); ++column) {
    // "Park" pages have one value per row, so their units go to the rows.
    sheet.AddText(park ? columns[column].heading
                       : HeadingWithUnit(columns[column].heading,
                                         ReportCellDefinition(input, 0, column).unit));
  }
  if (total) sheet.AddText(HeadingWithUnit(TotalHeading(input), TotalDefinition(input).unit));
  sheet.EndRow();
  const size_t row_count = ReportRowCount(input);
  for (size_t row = 0; row < row_count; ++row) {
    sheet.AddNumber(std::to_string(row + 1));
    if (park) {
      sheet.AddText(HeadingWithUnit(input.values[row].label, input.values[row].unit));
    } else {
      sheet.AddText(input.table.rows[row].name);
    }
    for (size_t column = 0; column < columns.size(); ++column) {
      const int64_t value = ReportCellValue(input, row, column);
      if (value == 0) {
        sheet.AddEmpty();
      } else {
        AddValue(sheet, value, ReportCellDefinition(input, row, column));
      }
    }
    if (total) AddValue(sheet, input.table.rows[row].total, TotalDefinition(input));
    sheet.EndRow();
  }
  return sheet.text();
}

}  // namespace

std::string BuildCsvTable(const ReportInput& input) { return BuildSheetTable(input, ';'); }

std::string BuildTabTable(const ReportInput& input) { return BuildSheetTable(input, '\t'); }

}  // namespace wunt
