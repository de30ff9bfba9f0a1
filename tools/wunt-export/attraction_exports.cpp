#include "tools/wunt-export/attraction_exports.h"

#include <unistd.h>

#include <algorithm>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "common/file_util.h"
#include "common/season_layout.h"
#include "common/text.h"
#include "tools/wunt-export/console.h"
#include "viewer/attractions/catalogue_export.h"
#include "viewer/attractions/catalogue_session.h"
#include "viewer/attractions/catalogue_settings.h"
#include "viewer/attractions/park_plan.h"
#include "viewer/attractions/picture_index.h"
#include "viewer/calc/value_computation.h"
#include "viewer/wizard/request.h"

namespace wunt::exporter {
namespace {

namespace fs = std::filesystem;

std::string YearRange(const std::vector<int32_t>& years) {
  return std::to_string(years.front()) + " bis " + std::to_string(years.back());
}

// The folder the plans go into, created when missing. Checked before any
// work, so that a typo costs no drawing.
void PrepareFolder(const fs::path& folder) {
  std::error_code error;
  const fs::file_status status = fs::status(folder, error);
  if (fs::exists(status) && !fs::is_directory(status)) {
    Fail("--out " + folder.string() + " ist kein Ordner");
  }
  if (!fs::exists(status) && !fs::create_directories(folder, error)) {
    Fail("der Ordner " + folder.string() + " kann nicht angelegt werden: " + error.message());
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    Fail("in den Ordner " + folder.string() + " kann nicht geschrieben werden");
  }
}

}  // namespace

int ExportCatalogue(const CatalogueRequest& request) {
  const fs::path season_folder = SeasonFolder(request.data, request.season);
  StderrSink sink;
  CatalogueSession session(season_folder, request.season, sink);
  sink.Flush();
  const std::vector<int32_t>& years = session.years();
  if (years.empty()) Fail("Runde " + std::to_string(request.season) + " hat kein Spieljahr");
  if (!std::binary_search(years.begin(), years.end(), request.year)) {
    Fail("Spieljahr " + std::to_string(request.year) + " gibt es in Runde " +
         std::to_string(request.season) + " nicht (Spieljahre " + YearRange(years) + ")");
  }
  session.SelectYear(request.year);
  sink.Flush();
  // The building list is the user's, whatever year is looked at; the window
  // shows it on the year it opens with, the file on the year asked for.
  std::vector<BuildTick> build;
  LoadCatalogueSettings(season_folder, &build);
  CatalogueModel& model = session.model();
  model.ApplyBuildTicks(build);
  if (model.entries().empty()) {
    Fail("Spieljahr " + std::to_string(request.year) +
         " hat keine Attraktionen (Attraction.ini fehlt, ist leer oder unlesbar)");
  }
  const std::string bytes = request.csv ? BuildCatalogueCsv(model) : BuildCataloguePage(model);
  if (!WriteFileAtomically(request.out, bytes)) {
    Note(request.out.string() + " kann nicht geschrieben werden");
    return kExitWriteFailed;
  }
  return 0;
}

PlanFileFormat ParsePlanFormat(std::string_view text) {
  if (text == "png") return {PlanFormat::kPng, 0};
  if (text == "bmp") return {PlanFormat::kBmp, 0};
  if (text == "jpg") return {PlanFormat::kJpeg, 100};
  if (text.starts_with("jpg:")) {
    const std::optional<int64_t> quality = ParseInt(text.substr(4));
    if (!quality || *quality < 0 || *quality > 100) {
      Fail("--format jpg:QUALITÄT will eine ganze Zahl von 0 bis 100, nicht \"" +
           std::string(text.substr(4)) + "\"");
    }
    return {PlanFormat::kJpeg, static_cast<int>(*quality)};
  }
  Fail("--format will jpg, jpg:QUALITÄT, png oder bmp, nicht \"" + std::string(text) + "\"");
}

int ExportParkPlans(const ParkPlanExportRequest& request) {
  RequestState state;
  state.data_dir = request.data;
  StderrSink sink;
  const bool loaded = LoadRequestSeason(state, request.season, ContentKind::kPark, sink);
  sink.Flush();
  if (!loaded)
    Fail("Runde " + std::to_string(request.season) + " kann nicht verwendet werden (siehe oben)");
  const int32_t lowest = state.season_data.years.front().year;
  const int32_t highest = state.season_data.years.back().year;
  ComputationSettings span;
  span.content_kind = ContentKind::kPark;
  span.start_year = request.from.value_or(lowest);
  span.end_year = request.to.value_or(highest);
  if (span.start_year > span.end_year) Fail("--from liegt nach --to");
  if (span.start_year < lowest || span.end_year > highest) {
    Fail("die Runde hat die Spieljahre " + std::to_string(lowest) + " bis " +
         std::to_string(highest));
  }
  // The park's name and years as the Viewer's table of content "Park"
  // gives them, which is where its window takes them from.
  BuildParkValueList(state.season_data, span, state.lists);
  const auto park = std::find_if(state.lists.parks.begin(), state.lists.parks.end(),
                                 [&](const ValueRecord& r) { return r.id == request.park_id; });
  if (park == state.lists.parks.end()) {
    Fail("einen Park " + std::to_string(request.park_id) + " gibt es in Runde " +
         std::to_string(request.season) + " in den Spieljahren " + std::to_string(span.start_year) +
         " bis " + std::to_string(span.end_year) + " nicht");
  }
  // Without the picture index no year has a plan.
  const std::string no_index =
      "keine Parkpläne: " + (state.season_folder() / kImageStoreFile).string() +
      " fehlt oder kann nicht gelesen werden";
  if (!PictureIndex().Open(state.season_folder())) Fail(no_index);
  PrepareFolder(request.folder);

  const ParkPlanRequest plan_request{state.season_folder(), park->id, park->name, park->first_year,
                                     park->last_year};
  std::optional<ParkPlans> plans;
  PlanSaveReport report;
  try {
    plans = ParkPlans::Load(plan_request);
    if (!plans || !plans->HasPlan(plan_request.first_year)) Fail(no_index);
    report = SaveParkPlans(*plans, request.folder, request.format);
  } catch (const std::bad_alloc&) {
    Fail("keine Parkpläne: zu wenig Arbeitsspeicher");
  }
  if (report.failed > 0) {
    Note(Cp1252ToUtf8(PlanSaveFailureText(report)));
    return kExitWriteFailed;
  }
  return 0;
}

}  // namespace wunt::exporter
