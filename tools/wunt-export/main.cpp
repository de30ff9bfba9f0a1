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
    "Aufruf: wunt-export [--data ORDNER] --season N --content wert|park|jahr\n"
    "                    --calc NUMMER --from JAHR --to JAHR\n"
    "                    --source parks|companies|countries\n"
    "                    (--ids ID,ID,... | --first N | --last N | --all)\n"
    "                    [--vanished] [--sort INDEX] [--csv] [--out DATEI]\n"
    "                    [--diagram DATEI.bmp|DATEI.png [DIAGRAMMFELDER]]\n"
    "        wunt-export [--data ORDNER] --season N --catalogue --year JAHR [--csv]\n"
    "                    --out DATEI\n"
    "        wunt-export [--data ORDNER] --season N --park-plan ID\n"
    "                    [--from JAHR --to JAHR] --format jpg[:QUALITÄT]|png|bmp\n"
    "                    --out ORDNER\n"
    "\n"
    "Berechnet eine Berechnung einer Runde für die gewählten Parks, Firmen oder\n"
    "Länder und schreibt die Seite, die der Viewer aus seiner Übersicht\n"
    "speichert, oder eine CSV-Tabelle, und das Diagramm seines vierten Reiters;\n"
    "oder schreibt den Attraktionskatalog eines Spieljahres oder die Parkpläne\n"
    "eines Parks. Alles geht durch den Code des Viewers.\n"
    "\n"
    "  --data ORDNER     der Datenordner mit einem Ordner je Runde; ohne ihn der\n"
    "                    des Viewers: Data/ neben diesem Programm, wenn wir dort\n"
    "                    schreiben dürfen, sonst $XDG_DATA_HOME/wunt/Data\n"
    "                    (~/.local/share/wunt/Data)\n"
    "  --season N        Nummer der Runde (Ordner ORDNER/N)\n"
    "\n"
    "Eine Rangliste:\n"
    "  --content ART     wert: ein Wert über Einträge und Jahre\n"
    "                    park: ein Eintrag über alle Werte und Jahre\n"
    "                    jahr: ein Spieljahr über Einträge und Werte\n"
    "  --calc NUMMER     Nummer der Berechnung in SaveData.ini der Runde (Gruppe\n"
    "                    NUMMER_Calculation); sie muss für ART angeboten sein\n"
    "  --from JAHR       erstes Spieljahr der Spanne (nicht für jahr)\n"
    "  --to JAHR         letztes Spieljahr der Spanne; für jahr das eine\n"
    "                    Spieljahr\n"
    "  --source ART      parks, companies oder countries: was die Zeilen sind\n"
    "  --ids ID,...      diese Einträge nach Nummer wählen\n"
    "  --first N         die ersten N (1-20) der Werteliste wählen, wie die\n"
    "                    automatische Auswahl des Viewers; Parks und Firmen,\n"
    "                    nicht für park\n"
    "  --last N          ebenso die letzten N (1-20)\n"
    "  --all             alle Einträge wählen\n"
    "  --vanished        nur wert: auch Parks, die es in --to nicht mehr gibt\n"
    "  --sort INDEX      -2 nach Name, -1 nach Durchschnitt oder Summe\n"
    "                    (Vorgabe), n >= 0 nach Spalte n (das n-te Jahr der\n"
    "                    Spanne bei wert, der n-te Wert bei jahr)\n"
    "  --csv             eine Tabelle mit Semikolons statt der Seite: blanke\n"
    "                    Zahlen mit Dezimalkomma, Einheiten in den Überschriften\n"
    "  --out DATEI       wohin geschrieben wird (ganz oder gar nicht ersetzt);\n"
    "                    mit --diagram nicht nötig\n"
    "  --diagram DATEI   auch (oder nur) das Diagramm der Rangliste schreiben:\n"
    "                    eine 24-Bit-Bitmap, oder PNG, wenn DATEI auf .png endet;\n"
    "                    Linien, Balken und Texte, wie der Viewer sie zeichnet\n"
    "\n"
    "Diagrammfelder (nicht angegebene bekommen zu den Daten passende\n"
    "Startwerte; angegebene gelten in ihrer Reihenfolge, als würden sie\n"
    "nacheinander in die Felder des vierten Reiters getippt, so dass\n"
    "gekoppelte Felder folgen):\n"
    "  --plot-width W    \"Breite:\" (1-16384); die Spaltenbreite folgt\n"
    "  --plot-height H   \"Höhe:\" (1-16384); Werte je Pixel folgen\n"
    "  --column-width C  \"Breite einer 'Spalte':\" (1-16384); die Breite folgt\n"
    "  --grid-lines G    \"Anzahl Hilfslinien:\" (0-999)\n"
    "  --max M           \"max. Wert Y-Achse:\", eine ganze Zahl; Werte je\n"
    "  --min m           Pixel folgen; --max muss über --min liegen\n"
    "  --left-margin L   \"Beschriftung X-Achse:\" (0-16384)\n"
    "  --bottom-margin B \"Beschriftung Y-Achse:\" (0-16384)\n"
    "  Das Bild hat mit Rändern höchstens 40.000.000 Pixel (was die Bitmap-\n"
    "  und PNG-Schreiber annehmen); ein größeres wird mit Code 2 abgelehnt,\n"
    "  bevor etwas geschrieben wird.\n"
    "\n"
    "Der Attraktionskatalog:\n"
    "  --catalogue       der Katalog eines Spieljahres, mit den Gewichten,\n"
    "                    Kategorien und Haken aus SaveData.ini der Runde\n"
    "                    (Gruppe AttViewer, Vorgaben, wenn sie fehlt; Gruppe\n"
    "                    Build für die Spalte \"gebaut\")\n"
    "  --year JAHR       das Spieljahr\n"
    "  --csv             mit Semikolons, blanke Zahlen mit Dezimalkomma\n"
    "  --out DATEI       wohin geschrieben wird (ganz oder gar nicht ersetzt)\n"
    "\n"
    "Die Pläne eines Parks:\n"
    "  --park-plan ID    der Park; ein Bild je Spieljahr, in dem es ihn gibt\n"
    "  --from, --to      nur diese Spieljahre (ohne sie die ganze Runde)\n"
    "  --format F        jpg (Qualität 100), jpg:QUALITÄT (0-100), png oder bmp\n"
    "  --out ORDNER      wohin die Dateien kommen (angelegt, wenn er fehlt),\n"
    "                    PARKNAME_JAHR.jpg|.png|.bmp; vorhandene werden ersetzt\n"
    "\n"
    "Seiten und CSV sind Windows-1252-Text; Zahlen im deutschen Format der\n"
    "Seite. Links zeigen auf den Spielserver aus Server.ini neben dem\n"
    "Datenordner (mit Vorgaben geschrieben, wenn sie fehlt).\n"
    "\n"
    "Rückgabewerte: 0 geschrieben; 1 eine Ausgabe konnte nicht geschrieben\n"
    "werden; 2 falsche Angaben, eine fehlende Runde, Berechnung, ein fehlendes\n"
    "Spieljahr oder fehlender Park, eine unbrauchbare Runde (die Meldung nennt\n"
    "die Datei), eine leere Auswahl oder ein Ausgabeordner, in den nicht\n"
    "geschrieben werden kann.\n";

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
  if (options.out.empty()) Fail("--out fehlt");
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
  if (!options.content_kind) Fail("--content fehlt");
  if (!options.calc) Fail("--calc fehlt");
  if (!options.to) Fail("--to fehlt");
  if (*options.content_kind != ContentKind::kYear) {
    if (!options.from) Fail("--from fehlt");
    if (*options.from > *options.to) Fail("--from liegt nach --to");
  }
  if (!options.source_kind) Fail("--source fehlt");
  if (options.out.empty() && options.diagram.empty()) Fail("--out fehlt");
  const int ways = options.ids_given + (options.first > 0) + (options.last > 0) + options.all;
  if (ways != 1) Fail("genau eins von --ids, --first, --last und --all angeben");
  if ((options.first > 0 || options.last > 0) && (*options.source_kind == SourceKind::kCountries ||
                                                  *options.content_kind == ContentKind::kPark)) {
    Fail("--first und --last wählen Parks oder Firmen, nur für wert und jahr");
  }
  if (*options.content_kind == ContentKind::kPark && options.ids.size() != 1) {
    Fail("--content park zeigt einen Eintrag: ihn mit --ids ID angeben");
  }
  if (options.vanished && *options.content_kind != ContentKind::kValue) {
    Fail("--vanished gilt nur mit --content wert");
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
    if (i + 1 >= argc) Fail("unbekannte Option oder fehlender Wert: " + std::string(arg));
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
      Fail("unbekannte Option: " + std::string(arg));
    }
  }
  if (options.data.empty()) options.data = DataFolder(DataRoot(ProgramFolder(argv[0])));
  if (!options.season) Fail("--season fehlt");
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
      Fail("einen Eintrag " + std::to_string(id) +
           " gibt es in dieser Spanne nicht (oder er ist doppelt gewählt)");
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
  Note(path.string() + " kann nicht geschrieben werden");
  return false;
}

int ExportRanking(const Options& options) {
  const auto season = static_cast<int32_t>(*options.season);
  RequestState state;
  state.data_dir = options.data;
  StderrSink sink;
  const bool loaded = LoadRequestSeason(state, season, *options.content_kind, sink);
  sink.Flush();
  if (!loaded)
    Fail("Runde " + std::to_string(season) + " kann nicht verwendet werden (siehe oben)");
  const auto from = static_cast<int32_t>(options.from.value_or(*options.to));
  const auto to = static_cast<int32_t>(*options.to);
  const int32_t lowest = state.season_data.years.front().year;
  const int32_t highest = state.season_data.years.back().year;
  if (from < lowest || to > highest) {
    Fail("die Runde hat die Spieljahre " + std::to_string(lowest) + " bis " +
         std::to_string(highest));
  }
  const size_t calculation =
      FindCalculation(state.calculations, static_cast<int32_t>(*options.calc));
  const std::filesystem::path save_data = SaveDataPath(state.season_folder());
  if (!IniFile().OpenIni(save_data)) {
    Fail("die Berechnungen können nicht gelesen werden: " + save_data.string() +
         " fehlt oder ist unlesbar");
  }
  if (calculation >= state.calculations.entries.size()) {
    Fail("die Berechnung " + std::to_string(*options.calc) +
         " gibt es nicht oder nicht für diese Art von Inhalt");
  }
  ApplyRequestSpan(state, calculation, from, to, options.vanished, *options.source_kind);
  for (size_t index : state.values_past_token_limit) {
    Note("Wert \"" + Cp1252ToUtf8(state.calculation.values[index].label) +
         "\": die Formel hat mehr als " + std::to_string(kMaxFormulaTokens) +
         " Bestandteile; der Rest wird übergangen");
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
    const std::filesystem::path file =
        YearFolder(state.season_folder(), to) / (companies ? kCompanyFile : kParkFile);
    // The season loader has named a Park.ini that is there but broken.
    std::error_code ec;
    const bool named = !companies && std::filesystem::exists(file, ec);
    if (last != nullptr && (companies ? last->companies.size() : last->parks.size()) == 0 &&
        !named) {
      Fail("die Auswahl ist leer: " + file.string() + " enthält " +
           (companies ? "keine Firma" : "keinen Park") + " (fehlt, beschädigt oder unlesbar)");
    }
    Fail("die Auswahl ist leer");
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
           "\" ist kein Port von 1 bis 65535; Port 80 wird verwendet");
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
    Fail("keine Runde " + std::to_string(season) + " in " + options.data.string());
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
