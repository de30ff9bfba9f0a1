// wunt-export: one ranking, its diagram, the attraction catalogue or a
// park's plans from the command line, each made by the same code the
// Viewer's windows run.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/data_root.h"
#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/raster_image.h"
#include "common/season_layout.h"
#include "common/server_config.h"
#include "common/text.h"
#include "tools/wunt-export/attraction_exports.h"
#include "tools/wunt-export/console.h"
#include "tools/wunt-export/diagram_painting.h"
#include "viewer/calc/formula.h"
#include "viewer/diagram/diagram_form.h"
#include "viewer/diagram/diagram_model.h"
#include "viewer/report/html_writer.h"
#include "viewer/wizard/request.h"

namespace wunt::exporter {
namespace {

constexpr char kHelp[] =
    "usage: wunt-export [--data DIR] --season N --content wert|park|jahr --calc NUMBER\n"
    "                   --from YEAR --to YEAR --source parks|companies|countries\n"
    "                   (--ids ID,ID,... | --first N | --last N | --all)\n"
    "                   [--vanished] [--sort INDEX] [--csv] [--out FILE]\n"
    "                   [--diagram FILE.bmp|FILE.png [DIAGRAM FIELDS]]\n"
    "       wunt-export [--data DIR] --season N --catalogue --year YEAR [--csv] --out FILE\n"
    "       wunt-export [--data DIR] --season N --park-plan ID [--from YEAR --to YEAR]\n"
    "                   --format jpg[:QUALITY]|png|bmp --out FOLDER\n"
    "\n"
    "Computes one calculation of a season for the chosen parks, companies or\n"
    "countries and writes the page the Viewer's \"save\" command writes, or a CSV\n"
    "table, and the diagram of its fourth tab; or writes a game year's\n"
    "attraction catalogue, or a park's plans. Everything goes through the\n"
    "Viewer's own code.\n"
    "\n"
    "  --data DIR        the data folder, holding one folder per season; without\n"
    "                    it the Viewer's: Data/ beside this program when that is\n"
    "                    a folder we may write to, else $XDG_DATA_HOME/wunt/Data\n"
    "                    (~/.local/share/wunt/Data)\n"
    "  --season N        season number (folder DIR/N)\n"
    "\n"
    "A ranking:\n"
    "  --content KIND    wert: one value over entities and years\n"
    "                    park: one entity over all values and years\n"
    "                    jahr: one game year over entities and values\n"
    "  --calc NUMBER     number of the calculation in the season's SaveData.ini\n"
    "                    (group NUMBER_Calculation); it must be offered for KIND\n"
    "  --from YEAR       first game year of the span (not needed for jahr)\n"
    "  --to YEAR         last game year of the span; for jahr the one game year\n"
    "  --source KIND     parks, companies or countries: what the rows are\n"
    "  --ids ID,...      choose these entities by number\n"
    "  --first N         choose the first N (1-20) of the value list, as the\n"
    "                    Viewer's automatic selection does; parks and companies,\n"
    "                    not for park content\n"
    "  --last N          the last N (1-20) likewise\n"
    "  --all             choose every entity\n"
    "  --vanished        wert only: also parks that no longer exist in --to\n"
    "  --sort INDEX      -2 by name, -1 by average or total (default), n >= 0 by\n"
    "                    column n (the n-th year of the span for wert, the n-th\n"
    "                    value for jahr)\n"
    "  --csv             write a semicolon-separated table instead of the page:\n"
    "                    bare numbers with a decimal comma, units in the headings\n"
    "  --out FILE        where to write (replaced atomically); not needed with\n"
    "                    --diagram\n"
    "  --diagram FILE    also (or only) write the diagram of the ranking: a\n"
    "                    24-bit bitmap, or PNG when FILE ends in .png. Lines and\n"
    "                    bars and texts as the Viewer draws them\n"
    "\n"
    "Diagram fields (start values fitted to the data for any not given; given\n"
    "ones are applied in the order given, as if typed into the fourth tab's\n"
    "fields one after the other, so coupled fields follow):\n"
    "  --plot-width W    \"Breite:\" (1-16384); the column width follows\n"
    "  --plot-height H   \"Höhe:\" (1-16384); values per pixel follow\n"
    "  --column-width C  \"Breite einer 'Spalte':\" (1-16384); the plot width\n"
    "                    follows\n"
    "  --grid-lines G    \"Anzahl Hilfslinien:\" (0-999)\n"
    "  --max M           \"max. Wert Y-Achse:\", a whole number; values per\n"
    "  --min m           pixel follow; --max must lie above --min\n"
    "  --left-margin L   \"Beschriftung X-Achse:\" (0-16384)\n"
    "  --bottom-margin B \"Beschriftung Y-Achse:\" (0-16384)\n"
    "  The picture, margins included, holds at most 40.000.000 pixels (what\n"
    "  the bitmap and PNG writers take); a larger one is refused with exit\n"
    "  code 2 before anything is written.\n"
    "\n"
    "The attraction catalogue:\n"
    "  --catalogue       the catalogue of one game year, with the weights,\n"
    "                    categories and ticks of the season's SaveData.ini\n"
    "                    (group AttViewer, defaults when missing; group Build\n"
    "                    for the column \"gebaut\")\n"
    "  --year YEAR       the game year\n"
    "  --csv             semicolon-separated, bare numbers with a decimal comma\n"
    "  --out FILE        where to write (replaced atomically)\n"
    "\n"
    "A park's plans:\n"
    "  --park-plan ID    the park; one picture per game year it exists in\n"
    "  --from, --to      only these game years (the whole season when left out)\n"
    "  --format F        jpg (quality 100), jpg:QUALITY (0-100), png or bmp\n"
    "  --out FOLDER      where the files go (created when missing), named\n"
    "                    PARKNAME_YEAR.jpg|.png|.bmp; existing ones are replaced\n"
    "\n"
    "Pages and CSV are Windows-1252 text; numbers use the German format the\n"
    "page shows. Links point at the game server named in Server.ini beside the\n"
    "data folder (written with defaults when missing).\n"
    "\n"
    "Exit codes: 0 written; 1 an output could not be written; 2 bad\n"
    "arguments, a missing season, calculation, game year or park, a season that\n"
    "cannot be used (the message names the file), an empty selection, or an\n"
    "output folder that cannot be written to.\n";

struct Options {
  std::filesystem::path data;
  std::optional<int64_t> season;
  std::optional<ContentKind> content_kind;
  std::optional<int64_t> calc;
  std::optional<int64_t> from;
  std::optional<int64_t> to;
  std::optional<SourceKind> source_kind;
  std::vector<int32_t> ids;
  bool ids_given = false;
  int first = 0;
  int last = 0;
  bool all = false;
  bool vanished = false;
  int32_t sort = kSortByTotal;
  bool csv = false;
  std::filesystem::path out;
  std::filesystem::path diagram;
  // Diagram fields as typed, in the order given.
  std::vector<std::pair<DiagramField, std::string>> fields;
  std::optional<int32_t> grid_lines;
  bool catalogue = false;
  std::optional<int64_t> year;
  std::optional<int64_t> park_plan;
  std::optional<PlanFileFormat> format;
  std::vector<std::string> given;  // every option named, in order
};

struct FieldOption {
  std::string_view name;
  DiagramField field;
  int64_t low;
  int64_t high;
};
constexpr FieldOption kFieldOptions[] = {
    {"--plot-width", DiagramField::kPlotWidth, 1, kMaxDiagramSide},
    {"--plot-height", DiagramField::kPlotHeight, 1, kMaxDiagramSide},
    {"--column-width", DiagramField::kColumnWidth, 1, kMaxDiagramSide},
    {"--max", DiagramField::kMaximum, -kMaxDiagramBound, kMaxDiagramBound},
    {"--min", DiagramField::kMinimum, -kMaxDiagramBound, kMaxDiagramBound},
    {"--left-margin", DiagramField::kLeftMargin, 0, kMaxDiagramSide},
    {"--bottom-margin", DiagramField::kBottomMargin, 0, kMaxDiagramSide},
};

const FieldOption* FindFieldOption(std::string_view name) {
  for (const FieldOption& option : kFieldOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

std::vector<int32_t> IdList(std::string_view text) {
  std::vector<int32_t> ids;
  while (true) {
    const size_t comma = text.find(',');
    ids.push_back(
        static_cast<int32_t>(IntArgument("--ids", text.substr(0, comma), INT32_MIN, INT32_MAX)));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return ids;
}

bool EndsWithFolded(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() &&
         FoldCaseAZ(text.substr(text.size() - ending.size())) == ending;
}

// The options of the catalogue and the park plans belong to them alone.
void AllowOnly(const Options& options, std::string_view mode,
               std::initializer_list<std::string_view> allowed) {
  for (const std::string& name : options.given) {
    if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
      Fail(name + " passt nicht zu " + std::string(mode));
    }
  }
}

void CheckCatalogue(const Options& options) {
  AllowOnly(options, "--catalogue",
            {"--data", "--season", "--catalogue", "--year", "--csv", "--out"});
  if (!options.year) Fail("--year fehlt: der Katalog zeigt ein Spieljahr");
  if (options.out.empty()) Fail("--out is missing");
}

void CheckParkPlan(const Options& options) {
  AllowOnly(options, "--park-plan",
            {"--data", "--season", "--park-plan", "--from", "--to", "--format", "--out"});
  if (!options.format) Fail("--format fehlt: jpg, jpg:QUALITÄT, png oder bmp");
  if (options.out.empty()) Fail("--out fehlt: der Ordner für die Bilder");
  if (options.from && options.to && *options.from > *options.to) Fail("--from liegt nach --to");
}

void CheckRanking(const Options& options) {
  for (const std::string& name : options.given) {
    if (name == "--year" || name == "--format") {
      Fail(name + " gilt nur mit --catalogue oder --park-plan");
    }
    if ((FindFieldOption(name) != nullptr || name == "--grid-lines") && options.diagram.empty()) {
      Fail(name + " gilt nur mit --diagram");
    }
  }
  if (!options.content_kind) Fail("--content is missing");
  if (!options.calc) Fail("--calc is missing");
  if (!options.to) Fail("--to is missing");
  if (*options.content_kind != ContentKind::kYear) {
    if (!options.from) Fail("--from is missing");
    if (*options.from > *options.to) Fail("--from lies after --to");
  }
  if (!options.source_kind) Fail("--source is missing");
  if (options.out.empty() && options.diagram.empty()) Fail("--out is missing");
  const int ways = options.ids_given + (options.first > 0) + (options.last > 0) + options.all;
  if (ways != 1) Fail("give exactly one of --ids, --first, --last and --all");
  if ((options.first > 0 || options.last > 0) && (*options.source_kind == SourceKind::kCountries ||
                                                  *options.content_kind == ContentKind::kPark)) {
    Fail("--first and --last choose parks or companies for wert and jahr only");
  }
  if (*options.content_kind == ContentKind::kPark && options.ids.size() != 1) {
    Fail("--content park shows one entity: give it with --ids ID");
  }
  if (options.vanished && *options.content_kind != ContentKind::kValue) {
    Fail("--vanished is for --content wert only");
  }
  if (!options.diagram.empty() && !EndsWithFolded(options.diagram.string(), ".bmp") &&
      !EndsWithFolded(options.diagram.string(), ".png")) {
    Fail("--diagram " + options.diagram.string() + ": der Name muss auf .bmp oder .png enden");
  }
  std::optional<int64_t> maximum;
  std::optional<int64_t> minimum;
  for (const auto& [field, text] : options.fields) {
    if (field == DiagramField::kMaximum) maximum = ParseInt(text);
    if (field == DiagramField::kMinimum) minimum = ParseInt(text);
  }
  if (maximum && minimum && *maximum <= *minimum) {
    Fail("--max " + std::to_string(*maximum) + " muss über --min " + std::to_string(*minimum) +
         " liegen");
  }
}

std::filesystem::path ProgramFolder(const char* argv0) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) self = std::filesystem::absolute(argv0, error);
  return self.parent_path();
}

// Server.ini lies beside the data folder, as the Viewer keeps them.
std::filesystem::path ServerIniFolder(const std::filesystem::path& data) {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(data, error).lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  return folder.parent_path();
}

Options ParseArguments(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      std::exit(0);
    }
    options.given.emplace_back(arg);
    if (arg == "--all") {
      options.all = true;
      continue;
    }
    if (arg == "--vanished") {
      options.vanished = true;
      continue;
    }
    if (arg == "--csv") {
      options.csv = true;
      continue;
    }
    if (arg == "--catalogue") {
      options.catalogue = true;
      continue;
    }
    if (i + 1 >= argc) Fail("unknown option or missing value: " + std::string(arg));
    const std::string_view value = argv[++i];
    if (arg == "--data") {
      options.data = std::string(value);
    } else if (arg == "--season") {
      options.season = IntArgument(arg, value, 1, INT32_MAX);
    } else if (arg == "--content") {
      options.content_kind = static_cast<ContentKind>(Choice(arg, value, {"wert", "park", "jahr"}));
    } else if (arg == "--calc") {
      options.calc = IntArgument(arg, value, 1, INT32_MAX);
    } else if (arg == "--from") {
      options.from = IntArgument(arg, value, INT32_MIN, INT32_MAX);
    } else if (arg == "--to") {
      options.to = IntArgument(arg, value, INT32_MIN, INT32_MAX);
    } else if (arg == "--source") {
      options.source_kind =
          static_cast<SourceKind>(Choice(arg, value, {"parks", "companies", "countries"}));
    } else if (arg == "--ids") {
      options.ids = IdList(value);
      options.ids_given = true;
    } else if (arg == "--first") {
      options.first = static_cast<int>(IntArgument(arg, value, 1, 20));
    } else if (arg == "--last") {
      options.last = static_cast<int>(IntArgument(arg, value, 1, 20));
    } else if (arg == "--sort") {
      options.sort = static_cast<int32_t>(IntArgument(arg, value, -2, INT32_MAX));
    } else if (arg == "--out") {
      options.out = std::string(value);
    } else if (arg == "--diagram") {
      options.diagram = std::string(value);
    } else if (const FieldOption* field = FindFieldOption(arg)) {
      options.fields.emplace_back(field->field,
                                  std::to_string(IntArgument(arg, value, field->low, field->high)));
    } else if (arg == "--grid-lines") {
      options.grid_lines = static_cast<int32_t>(IntArgument(arg, value, 0, kMaxGridLines));
    } else if (arg == "--year") {
      options.year = IntArgument(arg, value, INT32_MIN, INT32_MAX);
    } else if (arg == "--park-plan") {
      options.park_plan = IntArgument(arg, value, INT32_MIN, INT32_MAX);
    } else if (arg == "--format") {
      options.format = ParsePlanFormat(value);
    } else {
      Fail("unknown option: " + std::string(arg));
    }
  }
  if (options.data.empty()) options.data = DataFolder(DataRoot(ProgramFolder(argv[0])));
  if (!options.season) Fail("--season is missing");
  if (options.catalogue) {
    CheckCatalogue(options);
  } else if (options.park_plan) {
    CheckParkPlan(options);
  } else {
    CheckRanking(options);
  }
  return options;
}

void ChooseEntities(const Options& options, RequestState& state) {
  if (options.all) {
    state.selection().AddAll();
    return;
  }
  for (int32_t id : options.ids) {
    if (!state.selection().AddId(id)) {
      Fail("no entity " + std::to_string(id) + " to choose (or chosen twice) for this span");
    }
  }
}

// The fourth tab's fields for the table, typed in the order given.
DiagramForm RankingDiagramForm(const Options& options, const RequestState& state,
                               const TextMeasure& measure) {
  DiagramForm form;
  form.Show(DiagramDataFromTable(state.table, RequestTableView(state), state.calculation), measure);
  for (const auto& [field, text] : options.fields) {
    form.SetText(field, text);
    form.Leave(field);
  }
  if (options.grid_lines) form.SetGridLines(*options.grid_lines);
  return form;
}

bool WriteOutput(const std::filesystem::path& path, const std::string& bytes) {
  if (!bytes.empty() && WriteFileAtomically(path, bytes)) return true;
  Note("cannot write " + path.string());
  return false;
}

int ExportRanking(const Options& options) {
  const auto season = static_cast<int32_t>(*options.season);
  RequestState state;
  state.data_dir = options.data;
  StderrSink sink;
  const bool loaded = LoadRequestSeason(state, season, *options.content_kind, sink);
  sink.Flush();
  if (!loaded) Fail("season " + std::to_string(season) + " cannot be used (see above)");
  const auto from = static_cast<int32_t>(options.from.value_or(*options.to));
  const auto to = static_cast<int32_t>(*options.to);
  const int32_t lowest = state.season_data.years.front().year;
  const int32_t highest = state.season_data.years.back().year;
  if (from < lowest || to > highest) {
    Fail("the season has the game years " + std::to_string(lowest) + " to " +
         std::to_string(highest));
  }
  const size_t calculation =
      FindCalculation(state.calculations, static_cast<int32_t>(*options.calc));
  const std::filesystem::path save_data = SaveDataPath(state.season_folder());
  if (!IniFile().OpenIni(save_data)) {
    Fail("cannot read the calculations: " + save_data.string() + " is missing or unreadable");
  }
  if (calculation >= state.calculations.entries.size()) {
    Fail("calculation " + std::to_string(*options.calc) + " does not exist or is not offered for " +
         "this content kind");
  }
  ApplyRequestSpan(state, calculation, from, to, options.vanished, *options.source_kind);
  for (size_t index : state.values_past_token_limit) {
    Note("value \"" + Cp1252ToUtf8(state.calculation.values[index].label) +
         "\": its formula has more than " + std::to_string(kMaxFormulaTokens) +
         " tokens; the rest is ignored");
  }
  ChooseEntities(options, state);
  state.table.sort_index = options.sort;
  const int auto_choice = options.first > 0  ? AutoSelectFirst(options.first)
                          : options.last > 0 ? AutoSelectLast(options.last)
                                             : 0;
  ApplyRequestSelection(state, auto_choice);
  if (state.selection().chosen().empty()) {
    // Most often the last year's data file holds nothing: name it.
    const bool companies = *options.source_kind == SourceKind::kCompanies;
    const GameYear* last = state.season_data.FindYear(to);
    if (last != nullptr && (companies ? last->companies.size() : last->parks.size()) == 0) {
      const std::filesystem::path file =
          YearFolder(state.season_folder(), to) / (companies ? kCompanyFile : kParkFile);
      Fail("the selection is empty: " + file.string() + " holds no " +
           (companies ? "company" : "park") + " (missing, damaged or unreadable)");
    }
    Fail("the selection is empty");
  }

  // The diagram's size is checked before anything is drawn or written.
  std::optional<DiagramPainting> painting;
  DiagramForm diagram;
  if (!options.diagram.empty()) {
    painting = ExportDiagramPainting();
    if (!painting->texts) Note("ohne Qt gebaut: das Diagramm wird ohne seine Texte gezeichnet");
    diagram = RankingDiagramForm(options, state, painting->measure);
    if (const std::string too_large = DiagramTooLargeText(diagram.ForDrawing());
        !too_large.empty()) {
      Fail("--diagram: " + Cp1252ToUtf8(too_large));
    }
  }

  bool written = true;
  if (!options.out.empty()) {
    const ServerConfig server = LoadServerConfig(ServerIniFolder(options.data));
    if (!server.unreadable.empty()) Note(Cp1252ToUtf8(server.unreadable));
    for (const std::string& setting : server.replaced_ports) {
      Note(std::string(kServerIniName) + ": \"" + setting +
           "\" is no port from 1 to 65535; port 80 is used");
    }
    const ReportInput input = RequestReportInput(state, server.game_address);
    written = WriteOutput(options.out, options.csv ? BuildCsvTable(input) : BuildExportPage(input));
  }
  if (!options.diagram.empty()) {
    const RasterImage image = painting->paint(
        DrawDiagram(diagram.ForDrawing(), diagram.data(), state.colors, painting->measure));
    const bool png = EndsWithFolded(options.diagram.string(), ".png");
    written = WriteOutput(options.diagram, png ? EncodePng(image) : EncodeBmp(image)) && written;
  }
  return written ? 0 : kExitWriteFailed;
}

int Run(int argc, char** argv) {
  const Options options = ParseArguments(argc, argv);
  const auto season = static_cast<int32_t>(*options.season);
  if (!std::filesystem::is_directory(SeasonFolder(options.data, season))) {
    Fail("no season " + std::to_string(season) + " in " + options.data.string());
  }
  if (options.catalogue) {
    return ExportCatalogue(
        {options.data, season, static_cast<int32_t>(*options.year), options.csv, options.out});
  }
  if (options.park_plan) {
    const auto year = [](const std::optional<int64_t>& y) -> std::optional<int32_t> {
      if (!y) return std::nullopt;
      return static_cast<int32_t>(*y);
    };
    return ExportParkPlans({options.data, season, static_cast<int32_t>(*options.park_plan),
                            year(options.from), year(options.to), *options.format, options.out});
  }
  return ExportRanking(options);
}

}  // namespace
}  // namespace wunt::exporter

int main(int argc, char** argv) { return wunt::exporter::Run(argc, argv); }
