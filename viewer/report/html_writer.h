#pragma once
// The two HTML pages made from the result table: the self-contained export
// page the user saves, and the in-app page (the season's Overview.htm with
// the content put in) that the overview window shows from Data/Temp.dat.
//
// Pages are Windows-1252 bytes without line breaks, except the CR LF after
// each rule of the export page's style block and those of the calculation's
// description. Names from the game's data (parks, companies, countries, and
// the selection labels made from them) are HTML-escaped, so no player can
// put markup or script into another player's page; calculation names,
// descriptions and value labels are the user's own and written as they are.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/data/kinds.h"
#include "viewer/report/table_cells.h"

namespace wunt {

enum class Gradient { kBanner, kFooter };

struct PageColor {
  int r = 0;
  int g = 0;
  int b = 0;
  bool operator==(const PageColor&) const = default;
};

int GradientHeight(Gradient gradient);
PageColor GradientColor(Gradient gradient, int row);
// One 1-pixel div per row of the gradient, top row first.
std::string BuildGradientDivs(Gradient gradient);

// "&", "<", ">" and the double quote as entities; everything else as it is.
void AppendHtmlEscaped(std::string& out, std::string_view text);

// The h1 (and h2 sort heading) of both pages; `app_links` picks the
// in-program entity links.
std::string BuildHeadings(const ReportInput& input, bool app_links);

std::string BuildExportTable(const ReportInput& input);
std::string BuildAppTable(const ReportInput& input);
std::string BuildExportPage(const ReportInput& input);

// The add / remove / change form of the in-app page. Option values are the
// positions in the full lists, whatever the country filters hide.
std::string BuildSelectionForm(ContentKind content_kind,
                               const std::vector<SelectionEntry>& available,
                               const std::vector<SelectionEntry>& chosen);

// Headings, hint, form and table: what replaces [CONTENT].
std::string BuildAppContent(const ReportInput& input, const std::vector<SelectionEntry>& available,
                            const std::vector<SelectionEntry>& chosen);

// The template with its line breaks dropped, every [PROGRAMPATH] replaced by
// `season_path` and then every [CONTENT] by `content` (case-sensitive).
std::string ComposeAppPage(std::string_view template_bytes, std::string_view season_path,
                           std::string_view content);

// Data/<season>/ below the program folder as the template sees it: an
// absolute path ending with the separator.
std::string SeasonPathForTemplate(const std::filesystem::path& program_folder, int32_t season);
std::filesystem::path AppPagePath(const std::filesystem::path& program_folder);

// The file part of the in-app page generation: reads Data/<season>/
// Overview.htm, composes the page and replaces Data/Temp.dat atomically.
// Returns the page's path, or nothing when the template cannot be read or
// the file cannot be written; Temp.dat is then left as it was, and the
// window keeps its previous page.
std::optional<std::filesystem::path> WriteAppPage(const std::filesystem::path& program_folder,
                                                  int32_t season, const ReportInput& input,
                                                  const std::vector<SelectionEntry>& available,
                                                  const std::vector<SelectionEntry>& chosen);

// The table for spreadsheets (see sheet_table.h): as CSV with semicolons,
// and tab-separated for the clipboard. A value cell holds the bare number,
// its unit moves into the column heading (on "Park" pages, where each row
// is one value, into the row's label); a cell the page shows as "---" is
// empty.
std::string BuildCsvTable(const ReportInput& input);
std::string BuildTabTable(const ReportInput& input);

}  // namespace wunt
