// wunt-export: one ranking from the command line, computed by the same code
// the Viewer runs, written as the export page or as CSV.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_util.h"
#include "common/ini_file.h"
#include "common/message_sink.h"
#include "common/server_config.h"
#include "common/text.h"
#include "viewer/calc/formula.h"
#include "viewer/report/html_writer.h"
#include "viewer/ui/request.h"

namespace {

constexpr int kExitWriteFailed = 1;
constexpr int kExitUsage = 2;

constexpr char kHelp[] =
    "usage: wunt-export --data DIR --season N --content wert|park|jahr --calc NUMBER\n"
    "                   --from YEAR --to YEAR --source parks|companies|countries\n"
    "                   (--ids ID,ID,... | --first N | --last N | --all)\n"
    "                   [--vanished] [--sort INDEX] [--csv] --out FILE\n"
    "\n"
    "Computes one calculation of a season for the chosen parks, companies or\n"
    "countries and writes the page the Viewer's \"save\" command writes, or a CSV\n"
    "table. Everything goes through the Viewer's own code.\n"
    "\n"
    "  --data DIR        the data folder, holding one folder per season\n"
    "  --season N        season number (folder DIR/N)\n"
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
    "  --csv             write a semicolon-separated table instead of the page\n"
    "  --out FILE        where to write (replaced atomically)\n"
    "\n"
    "Pages and CSV are Windows-1252 text; numbers use the German format the\n"
    "page shows. Links point at the game server named in Server.ini beside this\n"
    "program (written with defaults when missing).\n"
    "\n"
    "Exit codes: 0 written; 1 the output could not be written; 2 bad\n"
    "arguments, a missing season or calculation, a season that cannot be used\n"
    "(the message names the file), or an empty selection.\n";

struct Options {
  std::filesystem::path data;
  std::optional<int64_t> season;
  std::optional<wunt::ContentKind> content_kind;
  std::optional<int64_t> calc;
  std::optional<int64_t> from;
  std::optional<int64_t> to;
  std::optional<wunt::SourceKind> source_kind;
  std::vector<int32_t> ids;
  bool ids_given = false;
  int first = 0;
  int last = 0;
  bool all = false;
  bool vanished = false;
  int32_t sort = wunt::kSortByTotal;
  bool csv = false;
  std::filesystem::path out;
};

// Gathers the messages of one load: a damaged file repeats the same one
// many times, which is printed once with its count.
class StderrSink : public wunt::MessageSink {
 public:
  ~StderrSink() override { Flush(); }
  void ShowMessage(std::string_view title, std::string_view text) override {
    for (Gathered& g : gathered_) {
      if (g.title == title && g.text == text) {
        ++g.count;
        return;
      }
    }
    gathered_.push_back({std::string(title), std::string(text), 1});
  }
  void Flush() {
    for (const Gathered& g : gathered_) {
      const std::string line = wunt::Cp1252ToUtf8(g.title + ": " + g.text);
      if (g.count > 1) {
        std::fprintf(stderr, "wunt-export: %s (%d times)\n", line.c_str(), g.count);
      } else {
        std::fprintf(stderr, "wunt-export: %s\n", line.c_str());
      }
    }
    gathered_.clear();
  }

 private:
  struct Gathered {
    std::string title;
    std::string text;
    int count;
  };
  std::vector<Gathered> gathered_;
};

void Note(const std::string& text) { std::fprintf(stderr, "wunt-export: %s\n", text.c_str()); }

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "wunt-export: %s\n(see wunt-export --help)\n", message.c_str());
  std::exit(kExitUsage);
}

std::optional<int64_t> ParseInt(std::string_view text) {
  if (text.empty() || text.size() > 11) return std::nullopt;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return text[0] == '-' ? -value : value;
}

int64_t IntArgument(std::string_view name, std::string_view text, int64_t low, int64_t high) {
  const std::optional<int64_t> value = ParseInt(text);
  if (!value || *value < low || *value > high) {
    Fail(std::string(name) + " wants a whole number from " + std::to_string(low) + " to " +
         std::to_string(high) + ", not \"" + std::string(text) + "\"");
  }
  return *value;
}

int Choice(std::string_view name, std::string_view text,
           std::initializer_list<std::string_view> choices) {
  int index = 0;
  for (std::string_view choice : choices) {
    if (text == choice) return index;
    ++index;
  }
  std::string list;
  for (std::string_view choice : choices) list += (list.empty() ? "" : ", ") + std::string(choice);
  Fail(std::string(name) + " wants one of " + list + ", not \"" + std::string(text) + "\"");
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

Options ParseArguments(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      std::exit(0);
    }
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
    if (i + 1 >= argc) Fail("unknown option or missing value: " + std::string(arg));
    const std::string_view value = argv[++i];
    if (arg == "--data") {
      options.data = std::string(value);
    } else if (arg == "--season") {
      options.season = IntArgument(arg, value, 1, INT32_MAX);
    } else if (arg == "--content") {
      options.content_kind =
          static_cast<wunt::ContentKind>(Choice(arg, value, {"wert", "park", "jahr"}));
    } else if (arg == "--calc") {
      options.calc = IntArgument(arg, value, 1, INT32_MAX);
    } else if (arg == "--from") {
      options.from = IntArgument(arg, value, INT32_MIN, INT32_MAX);
    } else if (arg == "--to") {
      options.to = IntArgument(arg, value, INT32_MIN, INT32_MAX);
    } else if (arg == "--source") {
      options.source_kind =
          static_cast<wunt::SourceKind>(Choice(arg, value, {"parks", "companies", "countries"}));
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
    } else {
      Fail("unknown option: " + std::string(arg));
    }
  }
  if (options.data.empty()) Fail("--data is missing");
  if (!options.season) Fail("--season is missing");
  if (!options.content_kind) Fail("--content is missing");
  if (!options.calc) Fail("--calc is missing");
  if (!options.to) Fail("--to is missing");
  if (*options.content_kind != wunt::ContentKind::kYear) {
    if (!options.from) Fail("--from is missing");
    if (*options.from > *options.to) Fail("--from lies after --to");
  }
  if (!options.source_kind) Fail("--source is missing");
  if (options.out.empty()) Fail("--out is missing");
  const int ways = options.ids_given + (options.first > 0) + (options.last > 0) + options.all;
  if (ways != 1) Fail("give exactly one of --ids, --first, --last and --all");
  if ((options.first > 0 || options.last > 0) &&
      (*options.source_kind == wunt::SourceKind::kCountries ||
       *options.content_kind == wunt::ContentKind::kPark)) {
    Fail("--first and --last choose parks or companies for wert and jahr only");
  }
  if (*options.content_kind == wunt::ContentKind::kPark && options.ids.size() != 1) {
    Fail("--content park shows one entity: give it with --ids ID");
  }
  if (options.vanished && *options.content_kind != wunt::ContentKind::kValue) {
    Fail("--vanished is for --content wert only");
  }
  return options;
}

std::filesystem::path ProgramFolder(const char* argv0) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) self = std::filesystem::absolute(argv0, error);
  return self.parent_path();
}

void ChooseEntities(const Options& options, wunt::RequestState& state) {
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

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseArguments(argc, argv);
  const auto season = static_cast<int32_t>(*options.season);
  wunt::RequestState state;
  state.data_dir = options.data;
  if (!std::filesystem::is_directory(wunt::SeasonFolder(options.data, season))) {
    Fail("no season " + std::to_string(season) + " in " + options.data.string());
  }
  StderrSink sink;
  const bool loaded = wunt::LoadRequestSeason(state, season, *options.content_kind, sink);
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
      wunt::FindCalculation(state.calculations, static_cast<int32_t>(*options.calc));
  const std::filesystem::path save_data = wunt::SaveDataPath(state.season_folder());
  if (!wunt::IniFile().OpenIni(save_data)) {
    Fail("cannot read the calculations: " + save_data.string() + " is missing or unreadable");
  }
  if (calculation >= state.calculations.entries.size()) {
    Fail("calculation " + std::to_string(*options.calc) + " does not exist or is not offered for " +
         "this content kind");
  }
  wunt::ApplyRequestSpan(state, calculation, from, to, options.vanished, *options.source_kind);
  for (size_t index : state.values_past_token_limit) {
    Note("value \"" + wunt::Cp1252ToUtf8(state.calculation.values[index].label) +
         "\": its formula has more than " + std::to_string(wunt::kMaxFormulaTokens) +
         " tokens; the rest is ignored");
  }
  ChooseEntities(options, state);
  state.table.sort_index = options.sort;
  const int auto_choice = options.first > 0  ? wunt::AutoSelectFirst(options.first)
                          : options.last > 0 ? wunt::AutoSelectLast(options.last)
                                             : 0;
  wunt::ApplyRequestSelection(state, auto_choice);
  if (state.selection().chosen().empty()) Fail("the selection is empty");

  const wunt::ServerConfig server = wunt::LoadServerConfig(ProgramFolder(argv[0]));
  for (const std::string& setting : server.replaced_ports) {
    Note(std::string(wunt::kServerIniName) + ": \"" + setting +
         "\" is no port from 1 to 65535; port 80 is used");
  }
  const wunt::ReportInput input = wunt::RequestReportInput(state, server.game_address);
  const std::string bytes = options.csv ? wunt::BuildCsvTable(input) : wunt::BuildExportPage(input);
  if (!wunt::WriteFileAtomically(options.out, bytes)) {
    std::fprintf(stderr, "wunt-export: cannot write %s\n", options.out.string().c_str());
    return kExitWriteFailed;
  }
  return 0;
}
